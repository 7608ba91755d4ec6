#include "platform/ConsoleUserInterface.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

MsgResult ConsoleUserInterface::MsgBox(const QString& text, const QString& title,
                                       MsgButtons buttons, MsgIcon)
{
    ++m_MessageCount;
    QString line = title.trimmed() + QStringLiteral(": ") + text;
    MsgResult answer = MsgResult::OK;
    if (buttons != MsgButtons::OK) {
        answer = m_QuestionAnswer;
        if (buttons == MsgButtons::OKCancel && answer == MsgResult::Yes)
            answer = MsgResult::OK;
        if (buttons == MsgButtons::OKCancel && answer == MsgResult::No)
            answer = MsgResult::Cancel;
        const bool yes = answer == MsgResult::Yes || answer == MsgResult::OK;
        line += yes ? QStringLiteral(" [answered yes]") : QStringLiteral(" [answered no]");
        if (!m_AnswerExplicit && !yes)
            m_DeclinedByDefault = true;
    }
    if (m_Sink) {
        m_Sink(line);
        return answer;
    }
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
    return answer;
}

std::optional<QString> ConsoleUserInterface::InputBox(const QString& prompt, const QString& title,
                                                      const QString& defaultText)
{
    std::fprintf(stderr, "%s: %s [%s] ", title.trimmed().toLocal8Bit().constData(),
                 prompt.toLocal8Bit().constData(), defaultText.toLocal8Bit().constData());
    std::fflush(stderr);
    QTextStream in(stdin);
    QString line;
    if (!in.readLineInto(&line))
        return std::nullopt;
    return line.isEmpty() ? defaultText : line;
}

void ConsoleUserInterface::ProcessPendingEvents()
{
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
