#include "platform/FloatText.h"

#include <charconv>
#include <iterator>

QString ShortestFloatText(float value)
{
    char text[32];
    const auto result = std::to_chars(std::begin(text), std::end(text), value);
    return QString::fromLatin1(text, result.ptr - text);
}

QString PlainFloatText(float value)
{
    // Wide enough for the largest single written out in full.
    char text[64];
    const auto result =
        std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed);
    return QString::fromLatin1(text, result.ptr - text);
}
