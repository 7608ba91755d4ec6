#pragma once

#include <QString>
#include <optional>

enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Question, Exclamation, Critical };
enum class MsgResult { OK, Cancel, Yes, No };

// Everything the core asks of the user goes through here, so a test can see
// every message box and answer it, and tzlctl can print it.
class IUserInterface
{
public:
    virtual ~IUserInterface() = default;

    // Shows a modal message box and returns the button pressed.
    virtual MsgResult MsgBox(const QString& text, const QString& title, MsgButtons buttons,
                             MsgIcon icon) = 0;

    // Asks for a line of text, offering `defaultText`; nothing when the user
    // cancels. An interface that cannot ask anyone gives nothing.
    virtual std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText)
    {
        Q_UNUSED(prompt);
        Q_UNUSED(title);
        Q_UNUSED(defaultText);
        return std::nullopt;
    }

    // Lets the interface handle what is pending; when nothing is, sleeps until
    // the next event (a byte on the line, a timer) rather than spinning.
    virtual void ProcessPendingEvents() = 0;
};
