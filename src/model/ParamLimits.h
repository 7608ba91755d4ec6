#pragma once

#include <cstdint>

struct ParameterLimits
{
    float Minimum = 0.0f;
    float Maximum = 0.0f;
    float Default = 0.0f;
};

// Range and default of parameter `position` (1 to 6) of the trip function
// with application index `functionIndex` (0 to 27), for an installation of
// the given system volts, system current and phase power. Most parameters
// are fractions of one of those three; the rest are fixed. A combination
// without a parameter gives 0, 0, 0.
ParameterLimits ParamLimitsFor(std::int16_t functionIndex, std::int16_t position, float volts,
                               float current, float phasePower);
