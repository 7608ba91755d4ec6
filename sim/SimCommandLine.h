#pragma once

#include "platform/SerialLineSettings.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

class SimFaults;
class SimulatedRelay;

// The command line of tzl-relay-sim. Parsing also sets up the relay and its
// faults: first from the scenario file, then from the options, so an option
// overrides what the scenario says.
class SimCommandLine
{
public:
    enum class Outcome { Serve, ShowHelp, ShowVersion, UsageError };
    enum class FrontEnd { Pty, SerialDevice, Tcp };

    // `arguments` without the program name.
    Outcome Parse(const QStringList& arguments, SimulatedRelay& relay, SimFaults& faults);

    QString Error() const { return m_Error; }
    FrontEnd Front() const { return m_Front; }
    QString Device() const { return m_Device; }
    // With --tcp: the port to listen on (0: any free one) and the address,
    // the loopback address unless --listen gives another.
    quint16 TcpPort() const { return m_TcpPort; }
    QHostAddress ListenAddress() const { return m_ListenAddress; }
    SerialLineSettings Line() const { return m_Line; }
    int SlaveID() const { return m_SlaveID; }
    bool Verbose() const { return m_Verbose; }
    // On a pseudo-terminal, hear the master only at the line settings given.
    bool StrictLine() const { return m_StrictLine; }
    // Random faults on this share of exchanges, in percent; none when not asked.
    std::optional<double> FaultRate() const { return m_FaultRate; }
    // The seed of the random faults; none when the simulator is to pick one.
    std::optional<std::uint32_t> FaultSeed() const { return m_FaultSeed; }
    QString FaultLog() const { return m_FaultLog; }

    static QString HelpText();
    static QString VersionText();

private:
    bool Fail(const QString& error);
    bool ApplyOption(const QString& name, const QString& value, SimulatedRelay& relay,
                     SimFaults& faults);
    bool ApplyRelayList(const QString& name, const QString& list, int bits, SimulatedRelay& relay);

    QString m_Error;
    FrontEnd m_Front = FrontEnd::Pty;
    QString m_Device;
    quint16 m_TcpPort = 0;
    QHostAddress m_ListenAddress{QHostAddress::LocalHost};
    SerialLineSettings m_Line;
    int m_SlaveID = 1;
    bool m_Verbose = false;
    bool m_StrictLine = false;
    std::optional<double> m_FaultRate;
    std::optional<std::uint32_t> m_FaultSeed;
    QString m_FaultLog;
};
