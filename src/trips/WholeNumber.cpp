#include "trips/WholeNumber.h"

#include <cmath>

std::optional<std::int64_t> RoundToWhole(double value, std::int64_t minimum, std::int64_t maximum)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // The default rounding mode is to nearest, ties to even.
    const double whole = std::nearbyint(value);
    if (whole < double(minimum) || whole > double(maximum))
        return std::nullopt;
    return std::int64_t(whole);
}
