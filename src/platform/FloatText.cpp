#include "platform/FloatText.h"

#include <charconv>
#include <iterator>

QString ShortestFloatText(float value)
{
    // Plain notation runs to 39 digits for the largest single and to 45
    // decimals for the smallest denormal.
    char text[64];
    const auto result =
        std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed);
    return QString::fromLatin1(text, result.ptr - text);
}
