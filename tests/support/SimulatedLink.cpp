#include "SimulatedLink.h"

#include "platform/IClock.h"

SimulatedLink::SimulatedLink(std::int16_t slaveId)
    : m_Slave(m_Relay, m_Faults, slaveId)
    , m_Port(m_Slave)
    , m_Modbus(m_Port, m_UI)
{
    m_Relay.SetMeasurementsLive(false);
    SetTimeouts(TestResponseTimeoutMs, TestCharacterTimeoutMs);
}

void SimulatedLink::SetWordOrder(int wordOrder)
{
    m_Modbus.SetWordOrder(std::int16_t(wordOrder));
    m_Relay.SetWordOrder(wordOrder);
}

void SimulatedLink::SetTimeouts(int responseMs, int characterMs)
{
    m_Modbus.SetResponseTimeout(responseMs);
    m_Modbus.SetCharacterTimeout(characterMs);
}

void SimulatedLink::UseClock(const IClock& clock)
{
    m_Relay.SetTimeSource([&clock] { return clock.Now(); });
}
