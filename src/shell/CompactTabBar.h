#pragma once

#include <QTabBar>

// A tab strip whose tabs leave less room beside their captions. The main
// window has twenty tabs; with the style's roomy padding they spill over a
// laptop-wide window and hide the first relays behind the scroll buttons.
class CompactTabBar : public QTabBar
{
    Q_OBJECT
public:
    explicit CompactTabBar(QWidget* parent = nullptr);
};
