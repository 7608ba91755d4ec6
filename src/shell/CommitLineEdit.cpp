#include "shell/CommitLineEdit.h"

#include <QFocusEvent>
#include <QTimer>

bool FocusMovesBetweenControls(Qt::FocusReason reason)
{
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

CommitLineEdit::CommitLineEdit(QWidget* parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::returnPressed, this, &CommitLineEdit::Commit);
}

void CommitLineEdit::ShowText(const QString& text)
{
    if (text != this->text()) {
        setText(text);
        if (hasFocus())
            selectAll();
    }
    setModified(false);
}

void CommitLineEdit::CommitPendingEdit()
{
    if (isModified())
        Commit();
}

void CommitLineEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // A mouse click places the caret after the focus arrives; selecting once
    // the click is through keeps the whole text selected.
    if (FocusMovesBetweenControls(event->reason()))
        QTimer::singleShot(0, this, &QLineEdit::selectAll);
}

void CommitLineEdit::focusOutEvent(QFocusEvent* event)
{
    // Before the base class drops the selection, which decides the cut.
    if (FocusMovesBetweenControls(event->reason()))
        Commit();
    QLineEdit::focusOutEvent(event);
}

void CommitLineEdit::Commit()
{
    if (!hasSelectedText())
        setText(text().left(cursorPosition()).trimmed());
    Q_EMIT Committed();
}
