#pragma once

#include <cstdint>

class IUserInterface;
class cTZL;

// Changes to a relay's trip as the user makes them: a new function starts
// from its defaults; a parameter is rounded to the resolution the relay
// works in, kept within its limits, and the parameters that depend on it
// follow.
class TripParameterEditor
{
public:
    TripParameterEditor(cTZL& device, IUserInterface& ui)
        : m_Device(device)
        , m_UI(ui)
    {}

    void SetTripFunction(std::int16_t relay, std::int16_t functionIndex);
    void SetTripParameterValue(std::int16_t relay, std::int16_t position, float& value);

private:
    void LimitSlipFrequency(std::int16_t relay, std::int16_t slipPosition);

    cTZL& m_Device;
    IUserInterface& m_UI;
};
