#pragma once

#include <QString>
#include <optional>

// Trip parameter values as the trip editor shows them and reads them back, in
// the user's own number format (QLocale()): his thousands separator and
// decimal point, both ways.

// Thousands grouped and at least two decimals ("1,234.50"); more where the
// value needs them to read back as exactly this single ("0.37037036"), so a
// value shown and left as it is keeps its value.
QString ParameterValueText(float value);
// One end of a parameter's range: no grouping, two to four decimals ("0.05",
// "132.00", "0.3704").
QString ParameterLimitText(float value);
// The value of a text in the user's number format, thousands separators
// allowed; nothing when it is no finite number.
std::optional<float> ParameterValueFromText(const QString& text);
