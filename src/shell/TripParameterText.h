#pragma once

#include <QString>
#include <optional>

// Trip parameter values as the trip editor shows them and reads them back, in
// the user's own number format (QLocale()): his thousands separator and
// decimal point, both ways.

// Thousands grouped and two decimals ("1,234.50"), as the printout shows it.
// A box left as it is commits nothing, so the digits this hides are kept.
QString ParameterValueText(float value);
// One end of a parameter's range: no grouping, two to four decimals ("0.05",
// "132.00", "0.3704").
QString ParameterLimitText(float value);
// The value of a text in the user's number format, thousands separators
// allowed; nothing when it is no finite number.
std::optional<float> ParameterValueFromText(const QString& text);
