// What the relay reads live: its clock, its measurements and its event log.

#include "CommandTable.h"
#include "model/MeasurementNames.h"
#include "PdfOutput.h"

#include "model/MeasurementFormat.h"
#include "model/cTZL.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/IClock.h"

#include <QTextStream>

namespace {

const QString DateTimePattern = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

int GetTime(CommandContext& context, const QStringList& args)
{
    RequireArgumentCount(args, 0, 0);
    cTZL device(context.Modbus, context.UI, context.Clock);
    const int before = context.UI.MessageCount();
    const QDateTime moment = device.GetRTC(context.Slave);
    // A failed reading comes back as 1 January 1900; the reason is on
    // standard error.
    if (context.UI.MessageCount() != before)
        return ExitRelayFailed;
    context.Out << moment.toString(DateTimePattern) << '\n';
    return ExitOk;
}

QDateTime RequestedTime(CommandContext& context, const QStringList& args)
{
    RequireArgumentCount(args, 1, 1);
    if (args[0] == QStringLiteral("--now"))
        return context.Clock.Now();
    const QDateTime moment = QDateTime::fromString(args[0], DateTimePattern);
    if (!moment.isValid())
        throw UsageError(QStringLiteral("\"%1\" is not a date and time of the form "
                                        "2026-03-15T13:05:09")
                             .arg(args[0])
                             .toStdString());
    // The relay keeps two digits of the year and reads them back in this
    // window; another year would come back a century off.
    if (moment.date().year() < 1930 || moment.date().year() > 2029)
        throw UsageError("the relay's clock holds the years 1930 to 2029 only");
    return moment;
}

int SetTime(CommandContext& context, const QStringList& args)
{
    const QDateTime moment = RequestedTime(context, args);
    cTZL device(context.Modbus, context.UI, context.Clock);
    if (!device.SetRTC(context.Slave, moment))
        return ExitRelayFailed;
    context.Out << "Relay clock set to " << moment.toString(DateTimePattern) << '\n';
    return ExitOk;
}

int Measurements(CommandContext& context, const QStringList& args)
{
    RequireArgumentCount(args, 0, 0);
    cTZL device(context.Modbus, context.UI, context.Clock);
    if (!device.Inputs.Upload(context.Slave))
        return ExitRelayFailed;
    for (const MeasurementName& m : MeasurementNames)
        context.Out << QStringLiteral("%1 %2\n")
                           .arg(QString::fromLatin1(m.Name), -19)
                           .arg(FormatMeasurement(device.Inputs.Value(m.Quantity)), 13);
    return ExitOk;
}

int Events(CommandContext& context, const QStringList& args)
{
    QStringList rest = args;
    const QString file = TakeOptionValue(rest, QStringLiteral("--save"));
    const QString pdf = TakeOptionValue(rest, QStringLiteral("--pdf"));
    if (!rest.isEmpty())
        throw UsageError("expected: events [--save FILE] [--pdf OUT.pdf]");
    cTZL device(context.Modbus, context.UI, context.Clock);
    const cTZLEventLog& log = device.EventLog;
    if (!device.EventLog.Upload(context.Slave))
        return ExitRelayFailed;
    int listed = 0;
    for (std::int16_t n = 1; n <= cTZLEventLog::Capacity; ++n) {
        if (log.EvtRelay(n) == -1)
            continue;
        const QDateTime moment = log.EvtDateTime(n);
        context.Out << QStringLiteral("%1  %2  relay %3\n")
                           .arg(n, 2)
                           .arg(moment.isValid() ? moment.toString(DateTimePattern)
                                                 : QStringLiteral("(no valid date)"),
                                -19)
                           .arg(log.EvtRelay(n));
        ++listed;
    }
    if (listed == 0)
        context.Out << "The event log is empty\n";
    if (!file.isEmpty() && !device.EventLog.SaveToFile(file))
        return ExitRelayFailed;
    if (!pdf.isEmpty()
        && !PrintToPdf(
            pdf, [&log](IPrinter& printer) { return log.LogPrint(printer); }, context.Err))
        return ExitRelayFailed;
    return ExitOk;
}

} // namespace

void AddLiveCommands(CommandTable& table)
{
    table.Add(
        {QStringLiteral("get-time"), QString(), QStringLiteral("read the relay's clock"), GetTime});
    table.Add({QStringLiteral("set-time"), QStringLiteral("--now | YYYY-MM-DDTHH:MM:SS"),
               QStringLiteral("set the relay's clock to this computer's time or the one given"),
               SetTime});
    table.Add({QStringLiteral("measurements"), QString(),
               QStringLiteral("read the 31 live measurements"), Measurements});
    table.Add({QStringLiteral("events"), QStringLiteral("[--save FILE] [--pdf OUT.pdf]"),
               QStringLiteral("read the event log: event number, date and time, relay; --save "
                              "also writes the event-log file (.tef), --pdf prints the log into "
                              "a PDF file as the configurator prints it"),
               Events});
}
