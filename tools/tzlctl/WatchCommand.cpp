// tzlctl watch: the Measurements tab's refresh, once a second, as lines on
// the terminal or rows of a CSV file, for as long as the engineer needs.

#include "CommandTable.h"
#include "model/MeasurementCsv.h"
#include "platform/StopSignals.h"

#include "link/frmModbus.h"
#include "model/MeasurementCycle.h"
#include "model/MeasurementFormat.h"
#include "model/cTZL.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/IClock.h"
#include "platform/ISerialPort.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <climits>
#include <optional>

namespace {

using namespace std::chrono_literals;
using Quantity = cTZLInputRegisters::Quantity;

constexpr std::chrono::milliseconds CyclePeriod = 1000ms;

class MeasurementWatch
{
public:
    MeasurementWatch(CommandContext& context, StopSignals& stop, MeasurementCsv* csv)
        : m_Context(context)
        , m_Stop(stop)
        , m_Csv(csv)
        , m_Device(context.Modbus, context.UI, context.Clock)
    {}

    // Runs a cycle every second, on the second counted from the start, until
    // the duration is over or a stop is requested. A cycle that overruns its
    // second makes the next one start at the next whole second rather than
    // at once: the cadence never drifts and never bunches up.
    int Run(std::optional<std::chrono::seconds> duration);

private:
    bool WaitUntil(std::chrono::milliseconds due);
    bool RunCycle();
    QString CycleStatus(const MeasurementCycleResult& result) const;
    void PrintLine(const QDateTime& start, const MeasurementCycleResult& result,
                   const QString& status);
    QString Shown(Quantity quantity) const;
    void PrintSummary();

    CommandContext& m_Context;
    StopSignals& m_Stop;
    MeasurementCsv* m_Csv;
    cTZL m_Device;
    cPollingCycle m_Rotation;
    QElapsedTimer m_Clock;
    QStringList m_CycleMessages;
    bool m_StopReachedLine = false;
    int m_Cycles = 0;
    int m_Transactions = 0;
    int m_Failures = 0;
    qint64 m_LongestCycleMs = 0;
};

int MeasurementWatch::Run(std::optional<std::chrono::seconds> duration)
{
    frmModbus& link = m_Context.Modbus;
    QObject::connect(&link, &frmModbus::TransactionFinished, &m_Stop, [this](bool succeeded) {
        ++m_Transactions;
        m_Failures += succeeded ? 0 : 1;
        // Once a stop has let this exchange finish, the messages that follow
        // only complain of the exchanges refused for it: they are left out.
        m_StopReachedLine = m_Stop.StopRequested();
    });
    QObject::connect(&m_Stop, &StopSignals::Requested, &link,
                     [&link] { link.RefuseNewTransactions(); });
    m_Context.UI.SetMessageSink([this](const QString& line) {
        if (!m_StopReachedLine)
            m_CycleMessages << line;
    });

    // The tab's very first pass only starts the rotation; here every cycle
    // is to read something.
    m_Rotation.NextMeasurementBlock();
    m_Clock.start();
    int status = ExitOk;
    for (qint64 slot = 0;; ++slot) {
        const std::chrono::milliseconds due = slot * CyclePeriod;
        if ((duration && due >= *duration) || !WaitUntil(due))
            break;
        if (!RunCycle()) {
            status = ExitRelayFailed;
            break;
        }
        if (m_Stop.StopRequested())
            break;
        slot = std::max(slot, m_Clock.elapsed() / qint64(CyclePeriod.count()));
    }
    m_Context.UI.SetMessageSink(nullptr);
    PrintSummary();
    return status;
}

// Sleeps in the event loop until `due` after the start; false when a stop
// was requested before or during the wait.
bool MeasurementWatch::WaitUntil(std::chrono::milliseconds due)
{
    const qint64 remaining = due.count() - m_Clock.elapsed();
    if (remaining > 0 && !m_Stop.StopRequested()) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(&m_Stop, &StopSignals::Requested, &loop, &QEventLoop::quit);
        timer.start(int(remaining));
        loop.exec();
    }
    return !m_Stop.StopRequested();
}

// False when the CSV file could not take the row.
bool MeasurementWatch::RunCycle()
{
    const QDateTime start = m_Context.Clock.Now();
    QElapsedTimer cycleTime;
    cycleTime.start();
    m_CycleMessages.clear();
    const MeasurementCycleResult result =
        RunMeasurementCycle(m_Rotation, m_Device, m_Context.Slave);
    m_LongestCycleMs = std::max(m_LongestCycleMs, cycleTime.elapsed());
    ++m_Cycles;

    const QString status = CycleStatus(result);
    if (m_Csv == nullptr) {
        PrintLine(start, result, status);
        return true;
    }
    QString error;
    if (m_Csv->Append(MeasurementCsv::TimeStamp(start), m_Device.Inputs, status, error))
        return true;
    m_Context.Err << "tzlctl watch: " << error << '\n';
    return false;
}

// "ok", or what went wrong in the words of the link and the model; a cycle
// cut short by a stop says so first.
QString MeasurementWatch::CycleStatus(const MeasurementCycleResult& result) const
{
    const bool succeeded = result.BlockRead && result.StatusRead;
    QStringList parts;
    if (m_Stop.StopRequested() && !succeeded)
        parts << QStringLiteral("stopped");
    parts << m_CycleMessages;
    if (parts.isEmpty() && succeeded)
        return QStringLiteral("ok");
    if (parts.isEmpty())
        parts << QStringLiteral("failed");
    return parts.join(QStringLiteral("; "));
}

QString MeasurementWatch::Shown(Quantity quantity) const
{
    const cTZLInputRegisters& inputs = m_Device.Inputs;
    return inputs.HasReading(quantity) ? FormatMeasurement(inputs.Value(quantity)).trimmed()
                                       : QStringLiteral("-");
}

void MeasurementWatch::PrintLine(const QDateTime& start, const MeasurementCycleResult& result,
                                 const QString& status)
{
    m_Context.Out << QStringLiteral("%1  %2  V %3 %4 %5  A %6 %7 %8  %9 Hz  relay %10  %11\n")
                         .arg(start.toString(QStringLiteral("HH:mm:ss")),
                              MeasurementBlockName(result.Block).leftJustified(8),
                              Shown(Quantity::Volts1), Shown(Quantity::Volts2),
                              Shown(Quantity::Volts3), Shown(Quantity::Amps1),
                              Shown(Quantity::Amps2), Shown(Quantity::Amps3),
                              Shown(Quantity::Frequency))
                         .arg(result.Relay, 2)
                         .arg(status);
    m_Context.Out.flush();
}

void MeasurementWatch::PrintSummary()
{
    m_Context.Err << QStringLiteral("watch: %1 cycles, %2 transactions, %3 failed, longest cycle "
                                    "%4 ms\n")
                         .arg(m_Cycles)
                         .arg(m_Transactions)
                         .arg(m_Failures)
                         .arg(m_LongestCycleMs);
    m_Context.Err.flush();
}

int Watch(CommandContext& context, const QStringList& args)
{
    QStringList rest = args;
    const QString durationText =
        TakeOptionValue(rest, QStringLiteral("--duration"), QStringLiteral("a number of seconds"));
    const QString csvPath = TakeOptionValue(rest, QStringLiteral("--csv"));
    RequireArgumentCount(rest, 0, 0);
    std::optional<std::chrono::seconds> duration;
    if (!durationText.isEmpty())
        duration = std::chrono::seconds(
            ParseIntArgument(durationText, QStringLiteral("--duration"), 1, INT_MAX / 1000));

    // A line that cannot be opened now will not be watched: say so at once
    // rather than report a failure every second.
    ISerialPort& port = context.Modbus.ClosedPort();
    if (!port.Open()) {
        context.Err << "tzlctl watch: cannot open " << port.PortName() << ": "
                    << port.ErrorDescription() << '\n';
        return ExitRelayFailed;
    }
    port.Close();

    MeasurementCsv csv;
    QString error;
    if (!csvPath.isEmpty() && !csv.Open(csvPath, error)) {
        context.Err << "tzlctl watch: " << error << '\n';
        return ExitRelayFailed;
    }
    StopSignals stop;
    if (!stop.Install()) {
        context.Err << "tzlctl watch: cannot catch Ctrl+C to stop cleanly\n";
        return ExitRelayFailed;
    }
    MeasurementWatch watch(context, stop, csvPath.isEmpty() ? nullptr : &csv);
    return watch.Run(duration);
}

} // namespace

void AddWatchCommand(CommandTable& table)
{
    table.Add(
        {QStringLiteral("watch"), QStringLiteral("[--duration S] [--csv FILE]"),
         QStringLiteral("poll the measurements as the configurator's Measurements tab does, one "
                        "cycle a second (a block of measurements and one relay's status), until "
                        "Ctrl+C or for S seconds. Prints a line a cycle, or with --csv appends a "
                        "row a cycle to FILE: the time, the 31 measurements (an empty cell where "
                        "the latest read failed) and a status. A failed cycle is reported and the "
                        "watch goes on; at the end the cycles, transactions, failures and the "
                        "longest cycle are printed on standard error"),
         Watch});
}
