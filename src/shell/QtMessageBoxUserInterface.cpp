#include "shell/QtMessageBoxUserInterface.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QMessageBox::StandardButtons ToQtButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OKCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::OK:
        break;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon ToQtIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The close box and Escape give the box's escape button; a box with only OK
// has OK as its escape button.
MsgResult FromQtButton(int pressed)
{
    switch (pressed) {
    case QMessageBox::Cancel:
        return MsgResult::Cancel;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    default:
        return MsgResult::OK;
    }
}

} // namespace

MsgResult QtMessageBoxUserInterface::MsgBox(const QString& text, const QString& title,
                                            MsgButtons buttons, MsgIcon icon)
{
    QMessageBox box(ToQtIcon(icon), title, text, ToQtButtons(buttons),
                    QApplication::activeWindow());
    return FromQtButton(box.exec());
}

std::optional<QString> QtMessageBoxUserInterface::InputBox(const QString& prompt,
                                                           const QString& title,
                                                           const QString& defaultText)
{
    bool accepted = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), title, prompt,
                                               QLineEdit::Normal, defaultText, &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}

void QtMessageBoxUserInterface::ProcessPendingEvents()
{
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
