#include "shell/TripParameterText.h"

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
    // From the single's exact value, as the printout rounds it: a single read
    // as 4096.005 holds 4096.0048828125, which both show as 4096.00.
    return GroupingLocale().toString(double(value), 'f', FewestDecimals);
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
