#pragma once

#include "SimFaults.h"
#include "link/cModbusCRC.h"

#include <QByteArray>
#include <chrono>
#include <cstdint>

class SimulatedRelay;

// What goes back on the line for one request, with its timing.
struct SlaveReply
{
    QByteArray Bytes;                  // empty: the relay stays silent
    std::chrono::milliseconds Delay{}; // before the first byte
    std::chrono::milliseconds Gap{};   // between bytes; 0 = back to back at line speed
    bool Babble = false;               // after the bytes, noise until stopped
    std::chrono::milliseconds BabbleGap{};
    qsizetype PauseAfter = 0;          // bytes sent before the line falls silent
    std::chrono::milliseconds Pause{}; // ... for this long, then the rest
    bool HangUp = false;               // after the bytes the relay is gone

    bool IsSilent() const { return Bytes.isEmpty() && !Babble && !HangUp; }
};

// The Modbus RTU slave of the simulated relay: takes one request frame apart,
// checks its CRC and slave ID, lets the relay act on it and builds the answer
// (or an exception), then bends the answer by the fault due for the exchange.
//
//   - a frame with a bad CRC, too short, or for another slave is ignored, as
//     on a shared line; slave 0 is a broadcast: writes are applied, nothing is
//     answered;
//   - functions 3 and 4 read holding and input registers, 16 writes holding
//     registers; any other function is answered with exception 1;
//   - a function-16 frame whose byte count disagrees with its register count
//     or its own length is answered with exception 3.
class RtuSlave
{
public:
    RtuSlave(SimulatedRelay& relay, SimFaults& faults, int slaveId = 1);

    void SetSlaveID(int slaveId) { m_SlaveID = slaveId; }
    int SlaveID() const { return m_SlaveID; }

    SlaveReply HandleRequest(const QByteArray& frame);

    SimulatedRelay& Relay() { return m_Relay; }
    SimFaults& Faults() { return m_Faults; }

private:
    QByteArray Answer(const QByteArray& frame, std::uint8_t function);
    QByteArray ReadAnswer(const QByteArray& frame, std::uint8_t function, RegisterKind kind);
    QByteArray WriteAnswer(const QByteArray& frame);
    QByteArray ExceptionAnswer(std::uint8_t function, int code) const;
    void ApplyFixedValues(RegisterKind kind, int start, std::vector<std::uint16_t>& words) const;
    SlaveReply Bend(QByteArray answer, const SimFault& fault) const;
    void AppendCRC(QByteArray& frame) const;
    void ReplaceCRC(QByteArray& frame) const;

    SimulatedRelay& m_Relay;
    SimFaults& m_Faults;
    int m_SlaveID;
    cModbusCRC m_CRC;
};
