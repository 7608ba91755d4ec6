#include "shell/ChoiceList.h"

#include <QWheelEvent>

ChoiceList::ChoiceList(QWidget* parent)
    : QComboBox(parent)
{
    // Focus from a click or the keyboard only: the wheel must not take it.
    setFocusPolicy(Qt::StrongFocus);
}

void ChoiceList::wheelEvent(QWheelEvent* event)
{
    event->ignore();
}
