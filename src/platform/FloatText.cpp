#include "platform/FloatText.h"

#include <charconv>
#include <iterator>

QString ShortestFloatText(float value)
{
    char text[32];
    const auto result = std::to_chars(std::begin(text), std::end(text), value);
    return QString::fromLatin1(text, result.ptr - text);
}
