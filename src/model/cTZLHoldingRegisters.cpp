#include "model/cTZLHoldingRegisters.h"

#include "link/frmModbus.h"

#include <vector>

namespace {

constexpr std::int16_t VoltsRegister = 6;
constexpr std::int16_t CurrentRegister = 8;
constexpr std::int16_t SystemTypeRegister = 10;
constexpr std::int16_t OneValue = 2;
constexpr std::int16_t ThreeValues = 6;

// A NaN is "not at least the minimum" and so becomes the minimum too.
float Clamp(float value, float minimum, float maximum)
{
    if (!(value >= minimum))
        return minimum;
    if (value > maximum)
        return maximum;
    return value;
}

} // namespace

cTZLHoldingRegisters::cTZLHoldingRegisters(frmModbus& link)
    : m_Link(link)
{
    Clear();
}

void cTZLHoldingRegisters::SetSystemVolts(float volts)
{
    m_SystemVolts = Clamp(volts, MinimumVolts, MaximumVolts);
}

void cTZLHoldingRegisters::SetSystemCurrent(float current)
{
    m_SystemCurrent = Clamp(current, MinimumCurrent, MaximumCurrent);
}

void cTZLHoldingRegisters::SetStoredValues(float systemType, float volts, float current)
{
    m_SystemType = systemType;
    m_SystemVolts = volts;
    m_SystemCurrent = current;
}

void cTZLHoldingRegisters::SetUploadedValues(float systemType, float volts, float current)
{
    SetSystemVolts(volts);
    SetSystemCurrent(current);
    m_SystemType = (systemType == 2.0f || systemType == 3.0f) ? systemType : 3.0f;
}

bool cTZLHoldingRegisters::SystemTypeMatches(std::int16_t slave, std::int16_t type)
{
    std::vector<float> values;
    if (!m_Link.ReadHoldingRegisters(slave, SystemTypeRegister, OneValue, values))
        return false;
    return values.at(0) == float(type);
}

bool cTZLHoldingRegisters::Upload(std::int16_t slave)
{
    if (!ReadBack(slave))
        return false;
    SetUploadedValues(m_SystemType, m_SystemVolts, m_SystemCurrent);
    return true;
}

bool cTZLHoldingRegisters::ReadBack(std::int16_t slave)
{
    std::vector<float> values;
    if (!m_Link.ReadHoldingRegisters(slave, VoltsRegister, ThreeValues, values))
        return false;
    SetStoredValues(values.at(2), values.at(0), values.at(1));
    return true;
}

bool cTZLHoldingRegisters::Download(std::int16_t slave)
{
    const bool written =
        m_Link.WriteHoldingRegisters(slave, VoltsRegister, OneValue, {m_SystemVolts})
        && m_Link.WriteHoldingRegisters(slave, CurrentRegister, OneValue, {m_SystemCurrent});
    ReadBack(slave);
    return written;
}

void cTZLHoldingRegisters::Clear()
{
    m_SystemType = 3.0f;
    m_SystemVolts = 110.0f;
    m_SystemCurrent = 5.0f;
}
