// Finding a relay on a serial device when nothing answers at the settings in
// hand: every line setting, slave ID and word order in turn.

#include "CommandTable.h"

#include "link/frmModbus.h"
#include "model/RelayScan.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/ISerialPort.h"

#include <QTextStream>
#include <csignal>

namespace {

constexpr int DefaultProbeTimeoutMs = 100;

volatile std::sig_atomic_t InterruptRequested = 0;

extern "C" void RequestInterrupt(int)
{
    InterruptRequested = 1;
}

// Ctrl+C ends the scan between two probes, with the port closed and the
// reason printed, instead of killing the program mid-transaction.
class InterruptCatcher
{
public:
    InterruptCatcher()
    {
        InterruptRequested = 0;
        struct sigaction action
        {};
        action.sa_handler = RequestInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_Previous);
    }
    ~InterruptCatcher() { sigaction(SIGINT, &m_Previous, nullptr); }
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

private:
    struct sigaction m_Previous
    {};
};

QString Duration(std::chrono::milliseconds time)
{
    const qint64 seconds = (time.count() + 999) / 1000;
    return seconds < 60 ? QStringLiteral("%1 s").arg(seconds)
                        : QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
}

int Scan(CommandContext& context, const QStringList& args)
{
    QStringList rest = args;
    const QString slaves =
        TakeOptionValue(rest, QStringLiteral("--slaves"), QStringLiteral("a range such as 1-10"));
    const QString timeout =
        TakeOptionValue(rest, QStringLiteral("--probe-timeout"), QStringLiteral("a time in ms"));
    RequireArgumentCount(rest, 0, 0);
    int first = 1;
    int last = 247;
    if (!slaves.isEmpty()) {
        first = ParseIntArgument(slaves.section(u'-', 0, 0), QStringLiteral("--slaves"), 1, 247);
        last = slaves.contains(u'-') ? ParseIntArgument(slaves.section(u'-', 1),
                                                        QStringLiteral("--slaves"), first, 247)
                                     : first;
    }
    const int timeoutMs =
        timeout.isEmpty() ? DefaultProbeTimeoutMs
                          : ParseIntArgument(timeout, QStringLiteral("--probe-timeout"), 20, 1000);

    const ScanPlan plan = ScanPlan::ForPort(context.Modbus.SerialPort().PortName(), first, last,
                                            std::chrono::milliseconds(timeoutMs));
    QTextStream& out = context.Out;
    QTextStream& err = context.Err;
    out << "Scanning " << context.Modbus.SerialPort().PortName() << ": " << plan.Probes().size()
        << " combinations, " << timeoutMs << " ms time-out each; at most " << Duration(plan.Bound())
        << ". Ctrl+C stops.\n";
    out.flush();

    const InterruptCatcher catcher;
    RelayScan scan(context.Modbus.ClosedPort(), context.UI);
    QString lastLine;
    scan.Progress = [&](int index, const ScanProbe& probe) {
        const QString line =
            plan.TriesLineSettings() ? probe.Line.ToString() : QStringLiteral("slave IDs");
        if (line == lastLine)
            return;
        lastLine = line;
        err << QStringLiteral("[%1/%2] %3, from slave %4\n")
                   .arg(index + 1)
                   .arg(plan.Probes().size())
                   .arg(line)
                   .arg(probe.Slave);
        err.flush();
    };
    scan.Note = [&](const QString& note) {
        out << "  note: " << note << '\n';
        out.flush();
    };
    scan.Cancelled = [] { return InterruptRequested != 0; };
    const ScanResult result = scan.Run(plan);

    switch (result.Result) {
    case ScanResult::Outcome::Found:
        out << "Found a TZL at ";
        if (plan.TriesLineSettings())
            out << result.Where.Line.ToString() << ", ";
        out << "slave " << result.Where.Slave << ", word order " << result.WordOrder;
        if (result.OnlyInThisWordOrder)
            out << " (its values make no sense in word order " << 1 - result.WordOrder << ')';
        out << ".\nOptions: " << result.Options() << '\n';
        return ExitOk;
    case ScanResult::Outcome::Cancelled:
        err << "tzlctl: scan stopped after " << result.ProbesTried << " of " << plan.Probes().size()
            << " combinations\n";
        return ExitRelayFailed;
    case ScanResult::Outcome::BoundReached:
        err << "tzlctl: scan gave up at its time bound after " << result.ProbesTried
            << " combinations\n";
        return ExitRelayFailed;
    case ScanResult::Outcome::NotFound:
        break;
    }
    err << "tzlctl: no TZL answered in " << result.ProbesTried << " combinations\n";
    return ExitRelayFailed;
}

} // namespace

void AddScanCommand(CommandTable& table)
{
    table.Add({QStringLiteral("scan"), QStringLiteral("[--slaves FIRST-LAST] [--probe-timeout MS]"),
               QStringLiteral("find a relay on the device: tries 2400-19200 then 38400-115200 "
                              "baud, parity N, E, O, slave IDs (default 1-247, 1-10 first) and "
                              "both word orders with one short read each (default time-out "
                              "100 ms); prints the options to use. Through a device server "
                              "(tcp://) only slave IDs and word orders are tried; the "
                              "connection is made within the probe time-out, so raise it "
                              "across a slow network"),
               Scan});
}
