#include "shell/TripParameterText.h"

#include "platform/FloatText.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {

constexpr int FewestDecimals = 2;
constexpr int MostLimitDecimals = 4;

// The user's locale with its thousands separator both written and accepted;
// the C locale leaves it out by default.
QLocale GroupingLocale()
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions()
                            & ~(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator));
    return locale;
}

} // namespace

QString ParameterValueText(float value)
{
    // The single's shortest exact digits decide how many decimals it needs;
    // as a double they format back to the same digits.
    const QString shortest = PlainFloatText(value);
    const qsizetype point = shortest.indexOf(u'.');
    const int decimals = point < 0 ? 0 : int(shortest.size() - point - 1);
    return GroupingLocale().toString(shortest.toDouble(), 'f', std::max(FewestDecimals, decimals));
}

QString ParameterLimitText(float value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    QString text = locale.toString(double(value), 'f', MostLimitDecimals);
    const QString zero = locale.zeroDigit();
    for (int optional = MostLimitDecimals - FewestDecimals; optional > 0 && text.endsWith(zero);
         --optional)
        text.chop(zero.size());
    return text;
}

std::optional<float> ParameterValueFromText(const QString& text)
{
    bool ok = false;
    const double value = GroupingLocale().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return float(value);
}
