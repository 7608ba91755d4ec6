#include "model/PowerRatings.h"

#include "model/NearestInt16.h"

#include <cmath>

namespace {

// Products in double precision, stored as a single like every value the
// relay works with.
float Rating(float systemType, float volts, float current, double threeWire, double fourWire)
{
    const auto type = NearestInt16(systemType);
    const double base = double(volts) * double(current);
    if (type == 2)
        return float(threeWire * base);
    if (type == 3)
        return float(fourWire * base);
    return 0.0f;
}

} // namespace

float PhasePowerOf(float systemType, float volts, float current)
{
    return Rating(systemType, volts, current, std::sqrt(3.0), 1.0);
}

float SystemPowerOf(float systemType, float volts, float current)
{
    return Rating(systemType, volts, current, std::sqrt(3.0), 3.0);
}
