#include "model/MeasurementFormat.h"

#include <QLocale>
#include <cmath>

namespace {

// Fixed decimals; a value that rounds to zero shows without a sign.
QString Decimals(double value, int decimals)
{
    const QString text = QString::number(value, 'f', decimals);
    return text.toDouble() == 0.0 ? QString::number(0.0, 'f', decimals) : text;
}

} // namespace

QString FormatMeasurement(float value)
{
    const float magnitude = std::fabs(value);
    const double x = value;
    if (magnitude < 1.0f)
        return Decimals(x, 5) + QStringLiteral("  ");
    if (magnitude < 1000.0f)
        return Decimals(x, 3) + QStringLiteral("  ");
    if (magnitude < 1000000.0f)
        return Decimals(x / 1000.0, 3) + QStringLiteral(" k");
    if (magnitude < 1000000000.0f)
        return Decimals(x / 1000000.0, 3) + QStringLiteral(" M");
    return Decimals(x / 1000000.0, 2) + QStringLiteral(" M");
}

QString FormatMeasurementWithUnit(float value, const QString& unit)
{
    const QString text = FormatMeasurement(value);
    // The scaled texts end in " k" or " M", which the unit follows directly.
    if (!text.endsWith(QStringLiteral("  ")))
        return text + unit;
    return (text.trimmed() + u' ' + unit).trimmed();
}

PowerDisplay FormatSystemPower(float power)
{
    // Grouped with commas and a decimal point whatever the desktop's locale,
    // like the rest of the program's numbers.
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const auto text = [&](double value) { return english.toString(value, 'f', 2); };
    if (power <= 1000.0f)
        return {text(power), QStringLiteral("W")};
    if (power <= 1000000.0f)
        return {text(power / 1000.0), QStringLiteral("kW")};
    return {text(power / 1000000.0), QStringLiteral("MW")};
}
