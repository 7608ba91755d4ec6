#include "shell/CaptionLabel.h"

QLabel* CaptionLabel(const QString& text, const QString& objectName, QWidget* control,
                     QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setBuddy(control);
    return label;
}
