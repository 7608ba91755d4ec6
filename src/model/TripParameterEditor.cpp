#include "model/TripParameterEditor.h"

#include "model/cTZL.h"
#include "platform/IUserInterface.h"

#include <algorithm>
#include <cmath>

namespace {

// The shortest time delay of an instantaneous current trip set below the
// system current.
constexpr float MinimumUndercurrentDelay = 0.2f;

// Halves go away from zero. Scaling in single precision keeps a typed value
// such as 0.35 (just below 0.35 as a single) on its half.
float RoundToOneDecimal(float value)
{
    return float(std::round(value * 10.0f) / 10.0);
}

float RoundDown(float value)
{
    return std::floor(value);
}

// The highest slip frequency that fits a phase-angle window: the slip must
// not sweep through the window faster than the relay can check it.
float SlipFrequencyLimit(float phaseAngle)
{
    return phaseAngle / 0.03f / 180.0f;
}

} // namespace

void TripParameterEditor::SetTripFunction(std::int16_t relay, std::int16_t functionIndex)
{
    const QString title = QStringLiteral("TZL Configurator Error");
    cTZLTrips& trips = m_Device.TripData;
    if (!cTripCatalogue::ValidTripNumber(relay)) {
        m_UI.MsgBox(QStringLiteral("Internal Error: invalid Trip Relay Number!"), title,
                    MsgButtons::OK, MsgIcon::None);
        return;
    }
    if (!cTripCatalogue::ValidTripFunction(functionIndex)) {
        m_UI.MsgBox(QStringLiteral("Internal Error: invalid Trip Function Number!"), title,
                    MsgButtons::OK, MsgIcon::None);
        return;
    }
    if (functionIndex == trips.FunctionNumber(relay))
        return;
    trips.InitialiseTripRecord(relay, functionIndex);
    for (std::int16_t position = 1; position <= cTripCatalogue::MaxParams(); ++position) {
        float minimum = 0.0f;
        float maximum = 0.0f;
        float defaultValue = 0.0f;
        m_Device.ParamLimits(functionIndex, position, minimum, maximum, defaultValue);
        trips.SetParameterValue(relay, position, defaultValue);
    }
}

void TripParameterEditor::SetTripParameterValue(std::int16_t relay, std::int16_t position,
                                                float& value)
{
    cTZLTrips& trips = m_Device.TripData;
    const int function = trips.FunctionNumber(relay);
    float minimum = 0.0f;
    float maximum = 0.0f;
    float unused = 0.0f;
    m_Device.ParamLimits(std::int16_t(function), position, minimum, maximum, unused);
    const float systemCurrent = m_Device.SystemCurrent();
    const bool logical = function >= 19 && function <= 25;

    switch (function) {
    case 5: // Instantaneous Over Current, Over Neutral Current
    case 7:
        if (position == 1 && value < systemCurrent
            && trips.ParameterValue(relay, 3) < MinimumUndercurrentDelay)
            trips.SetParameterValue(relay, 3, MinimumUndercurrentDelay);
        if (position == 3) {
            value = RoundToOneDecimal(value);
            minimum =
                trips.ParameterValue(relay, 1) > systemCurrent ? 0.0f : MinimumUndercurrentDelay;
        }
        break;
    case 13: // Time Overcurrent with Voltage Restraint: curve, dial
        if (position == 3)
            value = RoundDown(value);
        else if (position == 4)
            value = RoundToOneDecimal(value);
        break;
    case 14: // Time Overcurrent: curve, dial
        if (position == 2)
            value = RoundDown(value);
        else if (position == 3)
            value = RoundToOneDecimal(value);
        break;
    case 15: // Ground Fault: dial
        if (position == 2)
            value = RoundToOneDecimal(value);
        break;
    case 16: // Synchronising Check: time delay, slip frequency
        if (position == 4)
            value = RoundToOneDecimal(value);
        else if (position == 5)
            maximum = std::min(maximum, SlipFrequencyLimit(trips.ParameterValue(relay, 1)));
        break;
    case 17: // ... with Deadbus
        if (position == 5)
            value = RoundToOneDecimal(value);
        else if (position == 6)
            maximum = std::min(maximum, SlipFrequencyLimit(trips.ParameterValue(relay, 1)));
        break;
    case 18: // Phase Order, Alarm, Unacknowledged Alarm: time delay
    case 26:
    case 27:
        if (position == 1)
            value = RoundToOneDecimal(value);
        break;
    default:
        if (logical && position >= 1 && position <= 3) // relay numbers
            value = RoundDown(value);
        else if (logical && (position == 4 || position == 5)) // delays on and off
            value = RoundToOneDecimal(value);
        else if (position == 3 && function >= 1 && function <= 12) // time delays
            value = RoundToOneDecimal(value);
        break;
    }

    // Something that is not a number ends up at the minimum, not stored.
    if (!(value >= minimum))
        value = minimum;
    if (value > maximum)
        value = maximum;
    trips.SetParameterValue(relay, position, value);

    if (position == 1 && function == 16)
        LimitSlipFrequency(relay, 5);
    else if (position == 1 && function == 17)
        LimitSlipFrequency(relay, 6);
}

// A narrower phase-angle window lowers the slip frequency it allows.
void TripParameterEditor::LimitSlipFrequency(std::int16_t relay, std::int16_t slipPosition)
{
    cTZLTrips& trips = m_Device.TripData;
    const int function = trips.FunctionNumber(relay);
    const float limit = SlipFrequencyLimit(trips.ParameterValue(relay, 1));
    float minimum = 0.0f;
    float maximum = 0.0f;
    float unused = 0.0f;
    m_Device.ParamLimits(std::int16_t(function), slipPosition, minimum, maximum, unused);
    if (trips.ParameterValue(relay, slipPosition) > limit && limit < maximum)
        trips.SetParameterValue(relay, slipPosition, limit);
}
