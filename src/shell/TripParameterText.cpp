#include "shell/TripParameterText.h"

#include "platform/FloatText.h"

#include <QLocale>
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
    // Through the single's shortest digits, so that a value stored just
    // below a half (1.005 as a single) rounds as it reads.
    return GroupingLocale().toString(PlainFloatText(value).toDouble(), 'f', FewestDecimals);
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
