#pragma once

#include <QLabel>

// A control's caption: its mnemonic moves the focus to the control, and
// assistive technology reads it as the control's label.
QLabel* CaptionLabel(const QString& text, const QString& objectName, QWidget* control,
                     QWidget* parent);
