#pragma once

#include "platform/IUserInterface.h"

// The configurator's user interface: modal message boxes over the active
// window, and an event wait that sleeps until something happens.
class QtMessageBoxUserInterface : public IUserInterface
{
public:
    MsgResult MsgBox(const QString& text, const QString& title, MsgButtons buttons,
                     MsgIcon icon) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    void ProcessPendingEvents() override;
};
