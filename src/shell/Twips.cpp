#include "shell/Twips.h"

#include <QWidget>
#include <cmath>

namespace {

constexpr double TwipsPerInch = 1440.0;

} // namespace

int TwipsToPixels(int twips, const QWidget* widget)
{
    return int(std::lround(twips * widget->logicalDpiX() / TwipsPerInch));
}

int PixelsToTwips(int pixels, const QWidget* widget)
{
    return int(std::lround(pixels * TwipsPerInch / widget->logicalDpiX()));
}
