#pragma once

#include "platform/SerialLineSettings.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

class ISerialPort;
class IUserInterface;

// One combination a scan tries: line settings and a slave ID. Both word
// orders are judged from the same answer.
struct ScanProbe
{
    SerialLineSettings Line;
    int Slave = 1;
};

// The combinations of a scan in the order tried, and the time they may take.
// Slow rates (2400 to 19200 baud) before fast ones, parity N, E, O, 8 data
// bits and 1 stop bit; the slave IDs 1 to 10 of the range on every line
// setting first, since relays seldom leave them, then the rest.
class ScanPlan
{
public:
    ScanPlan(int firstSlave, int lastSlave, std::chrono::milliseconds responseTimeout);
    // The plan for the port of that name. Through a serial device server
    // (tcp://), which sets the line itself, only the slave IDs (1 to 10
    // first) and the word orders are tried.
    static ScanPlan ForPort(const QString& portName, int firstSlave, int lastSlave,
                            std::chrono::milliseconds responseTimeout);

    const QList<ScanProbe>& Probes() const { return m_Probes; }
    bool TriesLineSettings() const { return m_TriesLineSettings; }
    std::chrono::milliseconds ResponseTimeout() const { return m_ResponseTimeout; }
    // The longest one probe may take at its line speed: the wait for an
    // answer, the request and the answer on the line, the silence after it.
    std::chrono::milliseconds ProbeAllowance(const SerialLineSettings& line) const;
    // Every probe's allowance plus one confirmation of a find; the scan stops
    // there whatever the line does.
    std::chrono::milliseconds Bound() const;

    static constexpr std::chrono::milliseconds SilenceAfterAnswer{20};

private:
    ScanPlan(int firstSlave, int lastSlave, std::chrono::milliseconds responseTimeout,
             const QList<SerialLineSettings>& lines);

    QList<ScanProbe> m_Probes;
    std::chrono::milliseconds m_ResponseTimeout;
    bool m_TriesLineSettings = true;
};

struct ScanResult
{
    enum class Outcome { Found, NotFound, Cancelled, BoundReached };
    Outcome Result = Outcome::NotFound;
    ScanProbe Where;
    int WordOrder = 0;
    // The answer decoded in the other word order made no sense.
    bool OnlyInThisWordOrder = false;
    int ProbesTried = 0;
    bool LineSettingsTried = true;

    // "--settings 4800,E,8,1 --slave 7 --word-order 1", without the settings
    // when the scan did not try them.
    QString Options() const;
};

// Looks for a TZL on a serial line by trying combinations of line settings
// and slave ID with one short read each (the system volts, current and type,
// which every TZL holds), quietly: failures are expected and shown to nobody.
// An answer is taken when its values lie in their ranges in one word order
// and the relay then echoes a product-information selector written to it.
//
// Answers that point at one wrong setting are reported as notes while the
// scan goes on: a bad CRC (baud rate or parity), an exception (right line
// and slave, wrong register: another device), values that make sense in no
// word order. The port is the caller's; its settings are left as found.
class RelayScan
{
public:
    RelayScan(ISerialPort& port, IUserInterface& ui);

    std::function<void(int probeIndex, const ScanProbe& probe)> Progress;
    std::function<void(const QString& note)> Note;
    // Asked before every probe; true ends the scan.
    std::function<bool()> Cancelled;

    ScanResult Run(const ScanPlan& plan);

private:
    ISerialPort& m_Port;
    IUserInterface& m_UI;
};
