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

std::optional<QString> ScriptedUserInterface::InputBox(const QString& prompt, const QString& title,
                                                       const QString& defaultText)
{
    m_Messages.append({prompt + QStringLiteral(" [") + defaultText + u']', title,
                       MsgButtons::OKCancel, MsgIcon::None});
    return m_Texts.isEmpty() ? std::nullopt : m_Texts.takeFirst();
}

void ScriptedUserInterface::ProcessPendingEvents()
{
    ++m_ProcessEventsCalls;
    if (OnProcessEvents)
        OnProcessEvents();
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
