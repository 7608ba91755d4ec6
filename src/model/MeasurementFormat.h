#pragma once

#include <QString>

// A measurement as shown on screen: scaled to k or M above a thousand and a
// million, always ending in two blanks, " k" or " M", so right-aligned
// columns line up. The range is chosen on the value before rounding, so
// 999.9996 shows as "1000.000  ".
QString FormatMeasurement(float value);

// The same with its unit, for running text and printed tables: "230.500 V",
// "11.000 kV", "0.95000" for a power factor, which has none.
QString FormatMeasurementWithUnit(float value, const QString& unit);

// The installation's rated power as the System tab shows it: a grouped number
// with two decimals and its unit. Each unit runs up to and including its
// upper threshold (1000 W is still "W").
struct PowerDisplay
{
    QString Value;
    QString Units;
};
PowerDisplay FormatSystemPower(float power);
