#pragma once

#include <QLineEdit>

// A text box whose entry takes effect on Enter and when the focus leaves it,
// the way the program's edit boxes work. Before it asks its owner to store
// the entry it cuts the text at the caret (unless text is selected) and trims
// it, so moving the caret back and pressing Enter drops the rest. Entering
// the box selects its whole text, so typing replaces the value.
//
// The owner stores text() on Committed() and puts the stored value back with
// setText(), which leaves the caret at the end.
// True when the focus goes from one control to another. Focus that goes to a
// context menu or a list's popup, or to another application, comes back to the
// same edit: it neither ends the edit nor starts a new one.
bool FocusMovesBetweenControls(Qt::FocusReason reason);

class CommitLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit CommitLineEdit(QWidget* parent = nullptr);

    // Shows a value from the model outside a commit. When the text changes
    // under a user who is in the box, it comes up selected, so what he types
    // next replaces it rather than being added to it.
    void ShowText(const QString& text);
    // Commits what the user has typed since the box was last filled, if
    // anything; for when the value the box stands for is about to change
    // under it.
    void CommitPendingEdit();

Q_SIGNALS:
    void Committed();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Commit();
};
