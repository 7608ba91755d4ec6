#pragma once

#include <QLineEdit>

// How an edit box's entry reaches the model, for every box of the window:
// - the user commits with Enter or by moving to another control: the text is
//   cut at the caret (unless text is selected) and trimmed, so moving the
//   caret back and pressing Enter drops the rest;
// - the program commits on the user's behalf before it saves, prints, sends,
//   compares, changes tab or reloads: everything he typed counts, wherever
//   the caret was left;
// - a committed text equal to what the box showed stores nothing, so a value
//   shown rounded and left as it is keeps the value behind it;
// - after a commit the window redraws every shown control from the model.
enum class CommitCause { Enter, FocusLeft, OnBehalf };

// The text a commit takes from a box.
QString CommittedText(const QString& text, int caret, bool hasSelection, CommitCause cause);

// True when the focus goes from one control to another. Focus that goes to a
// context menu or a list's popup, or to another application, comes back to the
// same edit: it neither ends the edit nor starts a new one.
bool FocusMovesBetweenControls(Qt::FocusReason reason);

// A text box that commits by the rule above. Entering the box selects its
// whole text, so typing replaces the value. The owner stores text() on
// Committed() and shows the stored value with ShowText().
class CommitLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit CommitLineEdit(QWidget* parent = nullptr);

    // Shows a value from the model. Inside a commit the caret goes to the
    // end; otherwise, when the text changes under a user who is in the box,
    // it comes up selected, so what he types next replaces it.
    void ShowText(const QString& text);
    // True when the box holds text other than what it was last filled with:
    // typed, pasted or set by assistive technology.
    bool HasPendingEdit() const { return text() != m_Shown; }
    // Commits on the user's behalf what he has typed since the box was last
    // filled, if anything.
    void CommitPendingEdit();
    // Puts back what the box showed, for a redraw that must show the model.
    void DiscardPendingEdit() { setText(m_Shown); }

Q_SIGNALS:
    // The committed text differs from what the box showed.
    void Committed();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Commit(CommitCause cause);

    QString m_Shown;
    bool m_Committing = false;
};
