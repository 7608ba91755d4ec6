#include "CompactTabBar.h"

#include <QProxyStyle>

namespace {

// The application's style with a narrower space beside each tab's caption.
// The style, not the tab size, must change: a style centres the caption in
// the tab less its own padding, and would clip it in a narrower tab.
class CompactTabStyle : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override
    {
        const int size = QProxyStyle::pixelMetric(metric, option, widget);
        return metric == PM_TabBarTabHSpace ? size / 2 : size;
    }
};

} // namespace

CompactTabBar::CompactTabBar(QWidget* parent)
    : QTabBar(parent)
{
    // Without a base, the proxy follows the application's style; as this
    // bar's child it goes with the bar.
    auto* style = new CompactTabStyle;
    style->setParent(this);
    setStyle(style);
}
