#pragma once

#include <QComboBox>

// A drop-down list that changes only by the user's deliberate choice: opened
// and picked from, or typed into and stepped with the arrow keys while it has
// the focus. A mouse wheel turned over it scrolls past it, as it does over
// every other control: a wheel notch over a list the user did not pick must
// never replace a relay's function or rescale its trips.
class ChoiceList : public QComboBox
{
    Q_OBJECT
public:
    explicit ChoiceList(QWidget* parent = nullptr);

protected:
    void wheelEvent(QWheelEvent* event) override;
};
