#pragma once

#include <QPushButton>

// A button for a command that the main window runs on its next tick. Pressing
// it disables it, so the request cannot be made twice, and reports the
// request; the main window enables it again when the time has come.
class RequestButton : public QPushButton
{
    Q_OBJECT
public:
    RequestButton(const QString& name, const QString& caption, const QString& tip, QWidget* parent);

Q_SIGNALS:
    void Requested();
};
