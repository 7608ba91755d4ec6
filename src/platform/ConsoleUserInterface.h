#pragma once

#include "platform/IUserInterface.h"

#include <functional>

// The user interface of a command-line program: messages go to standard error
// as "TITLE: TEXT"; questions get a fixed answer chosen on the command line.
class ConsoleUserInterface : public IUserInterface
{
public:
    // Questions (Yes/No boxes) are answered with `answer`; a message with only
    // an OK button is answered OK.
    void SetQuestionAnswer(MsgResult answer) { m_QuestionAnswer = answer; }
    // True once a question was answered by default rather than by the user's
    // explicit choice; the command then reports it and fails.
    bool QuestionDeclinedByDefault() const { return m_DeclinedByDefault; }
    void SetAnswerExplicit(bool isExplicit) { m_AnswerExplicit = isExplicit; }
    int MessageCount() const { return m_MessageCount; }
    // Each message line goes here instead of standard error, for a command
    // that reports failures in its own output; none restores standard error.
    void SetMessageSink(std::function<void(const QString& line)> sink) { m_Sink = std::move(sink); }

    MsgResult MsgBox(const QString& text, const QString& title, MsgButtons buttons,
                     MsgIcon icon) override;
    // Asks on standard error and reads a line from standard input; an empty
    // line takes the offered text, the end of the input cancels.
    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    void ProcessPendingEvents() override;

private:
    MsgResult m_QuestionAnswer = MsgResult::No;
    bool m_AnswerExplicit = false;
    bool m_DeclinedByDefault = false;
    int m_MessageCount = 0;
    std::function<void(const QString&)> m_Sink;
};
