#include "model/TripParameterRounding.h"

#include <cmath>

namespace {

enum class Resolution { AsSent, Tenths, WholeNumbers };

Resolution ResolutionOf(std::int16_t function, std::int16_t position)
{
    if (function >= 1 && function <= 12) // the time delay of the simple trips
        return position == 3 ? Resolution::Tenths : Resolution::AsSent;
    if (function >= 19 && function <= 25) { // logical gates: relay inputs, delays
        if (position >= 1 && position <= 3)
            return Resolution::WholeNumbers;
        return position == 4 || position == 5 ? Resolution::Tenths : Resolution::AsSent;
    }
    switch (function) {
    case 13: // Time Overcurrent with Voltage Restraint: curve, dial
        return position == 3   ? Resolution::WholeNumbers
               : position == 4 ? Resolution::Tenths
                               : Resolution::AsSent;
    case 14: // Time Overcurrent: curve, dial
        return position == 2   ? Resolution::WholeNumbers
               : position == 3 ? Resolution::Tenths
                               : Resolution::AsSent;
    case 15: // Ground Fault: dial
        return position == 2 ? Resolution::Tenths : Resolution::AsSent;
    case 16: // Synchronising Check: time delay
        return position == 4 ? Resolution::Tenths : Resolution::AsSent;
    case 17: // ... with Deadbus: time delay
        return position == 5 ? Resolution::Tenths : Resolution::AsSent;
    case 18: // Phase Order, Alarm, Unacknowledged Alarm: time delay
    case 26:
    case 27:
        return position == 1 ? Resolution::Tenths : Resolution::AsSent;
    default:
        return Resolution::AsSent;
    }
}

} // namespace

float RoundAsRelayStores(std::int16_t functionIndex, std::int16_t position, float value)
{
    switch (ResolutionOf(functionIndex, position)) {
    case Resolution::Tenths:
        // Halves go away from zero. Scaling in single precision keeps a typed
        // value such as 0.35 (just below 0.35 as a single) on its half.
        return float(std::round(value * 10.0f) / 10.0);
    case Resolution::WholeNumbers:
        return std::floor(value);
    case Resolution::AsSent:
        break;
    }
    return value;
}
