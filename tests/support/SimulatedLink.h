#pragma once

#include "LoopbackSerialPort.h"
#include "RtuSlave.h"
#include "ScriptedUserInterface.h"
#include "SimFaults.h"
#include "SimulatedRelay.h"
#include "link/frmModbus.h"

#include <cstdint>

class IClock;

// Everything a unit test needs to talk to a relay without hardware: a
// simulated relay behind its RTU slave and fault injection, a loopback port,
// a scripted user interface and a Modbus master wired to them. The master's
// time-outs are shortened (300 ms for the response, 10 ms of silence) so a
// failing exchange costs a test a fraction of a second; measurements hold
// steady so values read can be compared exactly.
//
//   SimulatedLink link;
//   link.Relay().SetSystemVolts(11000);
//   std::vector<float> v;
//   QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 6, v));
class SimulatedLink
{
public:
    static constexpr int TestResponseTimeoutMs = 300;
    static constexpr int TestCharacterTimeoutMs = 10;

    explicit SimulatedLink(std::int16_t slaveId = 1);

    SimulatedRelay& Relay() { return m_Relay; }
    SimFaults& Faults() { return m_Faults; }
    RtuSlave& Slave() { return m_Slave; }
    LoopbackSerialPort& Port() { return m_Port; }
    ScriptedUserInterface& UI() { return m_UI; }
    frmModbus& Modbus() { return m_Modbus; }

    // The ID the relay answers to (what tests pass as the slave).
    std::int16_t SlaveID() const { return std::int16_t(m_Slave.SlaveID()); }
    void SetSlaveID(std::int16_t slaveId) { m_Slave.SetSlaveID(slaveId); }

    // Sets the word order of master and relay alike.
    void SetWordOrder(int wordOrder);

    void SetTimeouts(int responseMs, int characterMs);

    // The relay's clock (and measurement drift) follow this clock from now on;
    // it must outlive the link.
    void UseClock(const IClock& clock);

private:
    SimulatedRelay m_Relay;
    SimFaults m_Faults;
    RtuSlave m_Slave;
    LoopbackSerialPort m_Port;
    ScriptedUserInterface m_UI;
    frmModbus m_Modbus;
};
