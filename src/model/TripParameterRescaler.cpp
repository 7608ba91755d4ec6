#include "model/TripParameterRescaler.h"

#include "model/cTZL.h"

#include <vector>

namespace {

using Basis = TripParameterRescaler::Basis;

// The positions, ascending, of a trip with relay function `code` that are
// measured on `basis`.
std::vector<std::int16_t> ScaledPositions(Basis basis, int code)
{
    switch (basis) {
    case Basis::Volts:
        switch (code) {
        case 1: // Over Volts
        case 2: // Under Volts
        case 6: // Phase Unbalanced Voltage
            return {1, 2};
        case 7: // Time Overcurrent with Voltage Restraint: nominal volts
            return {2};
        case 10: // Synchronising Check: voltage delta, voltage min.
            return {2, 3};
        case 11: // ... with Deadbus, and the dead-bus level
            return {2, 3, 4};
        }
        return {};
    case Basis::Current:
        if (code == 7 || code == 8 || code == 9) // the time-overcurrent trips and ground fault
            return {1};
        return {};
    case Basis::Power:
        if (code == 5) // Reverse Power
            return {1, 2};
        return {};
    }
    return {};
}

} // namespace

void TripParameterRescaler::AdjustPowerBasedParameters(float ratio)
{
    // Every power limit is 0 then: clamping into them would wipe the settings
    // out rather than rescale them.
    if (m_Device.PhasePower() == 0.0f)
        return;
    Adjust(Basis::Power, ratio);
}

void TripParameterRescaler::Adjust(Basis basis, float ratio)
{
    cTZLTrips& trips = m_Device.TripData;
    for (std::int16_t relay = 1; relay <= cTripCatalogue::RelayCount; ++relay) {
        const int code = cTripCatalogue::FunctionCode(trips.FunctionNumber(relay));
        for (const std::int16_t position : ScaledPositions(basis, code))
            ScaleTripParameter(relay, position, ratio);
    }
}

void TripParameterRescaler::ScaleTripParameter(std::int16_t relay, std::int16_t position,
                                               float factor)
{
    cTZLTrips& trips = m_Device.TripData;
    float value = trips.ParameterValue(relay, position) * factor;
    float minimum = 0.0f;
    float maximum = 0.0f;
    float unused = 0.0f;
    m_Device.ParamLimits(std::int16_t(trips.FunctionNumber(relay)), position, minimum, maximum,
                         unused);
    if (value > maximum)
        value = maximum;
    if (!(value >= minimum))
        value = minimum;
    trips.SetParameterValue(relay, position, value);
}
