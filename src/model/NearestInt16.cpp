#include "model/NearestInt16.h"

#include <cmath>

std::optional<std::int16_t> NearestInt16(float value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // nearbyint follows the default rounding mode, ties to even.
    const double rounded = std::nearbyint(double(value));
    if (rounded < INT16_MIN || rounded > INT16_MAX)
        return std::nullopt;
    return std::int16_t(rounded);
}
