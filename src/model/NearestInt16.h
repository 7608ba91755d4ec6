#pragma once

#include <cstdint>
#include <optional>

// The relay sends counts, dates and selectors as floats. They are taken as the
// nearest 16-bit integer (halves go to the even neighbour). A value that does
// not fit, or is not a number, gives nothing: with the wrong word order a
// small whole number decodes as a huge or meaningless float, and the caller
// reports that as a format error.
std::optional<std::int16_t> NearestInt16(float value);
