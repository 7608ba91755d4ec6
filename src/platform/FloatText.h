#pragma once

#include <QString>

// The shortest decimal text that reads back as exactly this single ("0.2",
// not "0.200000003"); "nan", "inf" and "-inf" for the values that are not
// numbers.
QString ShortestFloatText(float value);
