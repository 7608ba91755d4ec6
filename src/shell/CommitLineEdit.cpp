#include "shell/CommitLineEdit.h"

#include <QFocusEvent>
#include <QScopedValueRollback>
#include <QTimer>

QString CommittedText(const QString& text, int caret, bool hasSelection, CommitCause cause)
{
    if (cause == CommitCause::OnBehalf || hasSelection)
        return text.trimmed();
    return text.left(caret).trimmed();
}

bool FocusMovesBetweenControls(Qt::FocusReason reason)
{
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

CommitLineEdit::CommitLineEdit(QWidget* parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::returnPressed, this, [this] { Commit(CommitCause::Enter); });
}

void CommitLineEdit::ShowText(const QString& text)
{
    m_Shown = text;
    if (text != this->text()) {
        setText(text);
        if (hasFocus() && !m_Committing)
            selectAll();
    }
    if (m_Committing)
        end(false);
    setModified(false);
}

void CommitLineEdit::CommitPendingEdit()
{
    if (HasPendingEdit())
        Commit(CommitCause::OnBehalf);
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
        Commit(CommitCause::FocusLeft);
    QLineEdit::focusOutEvent(event);
}

void CommitLineEdit::Commit(CommitCause cause)
{
    const QString entry = CommittedText(text(), cursorPosition(), hasSelectedText(), cause);
    const QScopedValueRollback committing(m_Committing, true);
    if (entry == m_Shown) {
        ShowText(entry);
        return;
    }
    setText(entry);
    Q_EMIT Committed();
}
