#pragma once

#include <QString>

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

    // Lets the interface handle what is pending; when nothing is, sleeps until
    // the next event (a byte on the line, a timer) rather than spinning.
    virtual void ProcessPendingEvents() = 0;
};
