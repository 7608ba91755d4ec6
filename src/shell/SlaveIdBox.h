#pragma once

#include <QWidget>
#include <cstdint>

class CommitLineEdit;
class QToolButton;

// "Node": the relay's Modbus slave ID as a text box with up and down
// buttons. What is typed is committed on Enter and when the box loses the
// focus: cut at the caret (unless text is selected), trimmed, clamped to 1 to
// 247, and anything that is not a number becomes 1. The box never holds an
// address outside 1 to 247 once committed. Whether the new ID is taken is the
// main window's decision; it answers with ShowSlaveId.
class SlaveIdBox : public QWidget
{
    Q_OBJECT
public:
    static constexpr std::int16_t Minimum = 1;
    static constexpr std::int16_t Maximum = 247;

    explicit SlaveIdBox(QWidget* parent = nullptr);

    // Box and buttons show this ID; nothing is signalled.
    void ShowSlaveId(std::int16_t slaveId);
    QString Text() const;

    // Commits what was typed and not yet committed, whole.
    void CommitSlaveID();

signals:
    // A committed or stepped ID, 1 to 247 (it may equal the one in use).
    void SlaveIdEntered(std::int16_t slaveId);

private:
    void ApplyEntry();
    void Step(int delta);
    void CaretToEnd();

    CommitLineEdit* txtSlaveID;
    QToolButton* m_Up;
    QToolButton* m_Down;
    std::int16_t m_Value = Minimum; // the up/down control's value
};
