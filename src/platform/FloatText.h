#pragma once

#include <QString>

// The shortest decimal text that reads back as exactly this single ("0.2",
// not "0.200000003"), always in plain notation: 400000, never 4e+05, so a
// value reads the same in a file, on the console and to the eye. "nan",
// "inf" and "-inf" for the values that are not numbers.
QString ShortestFloatText(float value);
