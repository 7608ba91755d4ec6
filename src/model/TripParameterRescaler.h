#pragma once

#include <cstdint>

class cTZL;

// Keeps the trip definitions meaningful when the system volts or current
// change: the parameters that are voltages, currents or powers of the
// installation move in proportion, then are clamped into the limits of the
// new system values. Trips are picked by the relay's function code.
class TripParameterRescaler
{
public:
    enum class Basis { Volts, Current, Power };

    explicit TripParameterRescaler(cTZL& device)
        : m_Device(device)
    {}

    void AdjustVoltBasedParameters(float ratio) { Adjust(Basis::Volts, ratio); }
    void AdjustCurrentBasedParameters(float ratio) { Adjust(Basis::Current, ratio); }
    // The power limits are fractions of the phase power, which moves by the
    // same ratio as the volts or current whatever the system type, so the
    // power parameters move by that plain ratio too. A system type without a
    // phase power leaves them as they are.
    void AdjustPowerBasedParameters(float ratio);

private:
    void Adjust(Basis basis, float ratio);
    void ScaleTripParameter(std::int16_t relay, std::int16_t position, float factor);

    cTZL& m_Device;
};
