#include "model/TripParameterEditor.h"

#include "model/TripParameterRounding.h"
#include "model/cTZL.h"
#include "platform/IUserInterface.h"

#include <algorithm>

namespace {

// The shortest time delay of an instantaneous current trip set below the
// system current.
constexpr float MinimumUndercurrentDelay = 0.2f;

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
    value = RoundAsRelayStores(std::int16_t(function), position, value);

    switch (function) {
    case 5: // Instantaneous Over Current, Over Neutral Current
    case 7:
        if (position == 1 && value < systemCurrent
            && trips.ParameterValue(relay, 3) < MinimumUndercurrentDelay)
            trips.SetParameterValue(relay, 3, MinimumUndercurrentDelay);
        if (position == 3)
            minimum =
                trips.ParameterValue(relay, 1) > systemCurrent ? 0.0f : MinimumUndercurrentDelay;
        break;
    case 16: // Synchronising Check: slip frequency
        if (position == 5)
            maximum = std::min(maximum, SlipFrequencyLimit(trips.ParameterValue(relay, 1)));
        break;
    case 17: // ... with Deadbus
        if (position == 6)
            maximum = std::min(maximum, SlipFrequencyLimit(trips.ParameterValue(relay, 1)));
        break;
    default:
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
