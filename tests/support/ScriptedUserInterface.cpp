#include "ScriptedUserInterface.h"

#include <QCoreApplication>

MsgResult ScriptedUserInterface::MsgBox(const QString& text, const QString& title,
                                        MsgButtons buttons, MsgIcon icon)
{
    m_Messages.append({text, title, buttons, icon});
    if (!m_Answers.isEmpty())
        return m_Answers.takeFirst();
    return buttons == MsgButtons::OK ? MsgResult::OK : DefaultAnswer;
}

void ScriptedUserInterface::ProcessPendingEvents()
{
    ++m_ProcessEventsCalls;
    if (OnProcessEvents)
        OnProcessEvents();
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
