#pragma once

#include "platform/IUserInterface.h"

#include <QList>
#include <QString>
#include <functional>

// A user interface for tests: records every message box and answers it from a
// script, so a test can check exact texts and titles and choose the buttons.
class ScriptedUserInterface : public IUserInterface
{
public:
    struct Message
    {
        QString Text;
        QString Title;
        MsgButtons Buttons;
        MsgIcon Icon;
    };

    // Answers are taken in order; when none is left, OK-only boxes get OK and
    // questions get DefaultAnswer.
    void QueueAnswer(MsgResult answer) { m_Answers.append(answer); }
    MsgResult DefaultAnswer = MsgResult::No;

    // Text prompts are recorded like messages (Text is the prompt, Buttons
    // OKCancel) and answered in order; nothing queued, or a queued nullopt,
    // is Cancel.
    void QueueText(std::optional<QString> text) { m_Texts.append(std::move(text)); }

    // Runs on every pass of the event wait, before the events are processed.
    std::function<void()> OnProcessEvents;

    const QList<Message>& Messages() const { return m_Messages; }
    void ClearMessages() { m_Messages.clear(); }
    int ProcessEventsCalls() const { return m_ProcessEventsCalls; }

    MsgResult MsgBox(const QString& text, const QString& title, MsgButtons buttons,
                     MsgIcon icon) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    void ProcessPendingEvents() override;

private:
    QList<Message> m_Messages;
    QList<MsgResult> m_Answers;
    QList<std::optional<QString>> m_Texts;
    int m_ProcessEventsCalls = 0;
};
