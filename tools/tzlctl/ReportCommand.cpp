// The commissioning report: one pass over the relay written as a PDF file.

#include "CommandTable.h"

#include "model/CommissioningReport.h"
#include "model/RelayReadingsReader.h"
#include "model/cTZL.h"
#include "platform/ConsoleUserInterface.h"

#include <QFileInfo>
#include <QTextStream>

namespace {

int Report(CommandContext& context, const QStringList& args)
{
    QStringList rest = args;
    const QString pdf = TakeOptionValue(rest, QStringLiteral("--pdf"));
    const QString config = TakeOptionValue(rest, QStringLiteral("--config"));
    ReportDetails details{
        TakeOptionValue(rest, QStringLiteral("--site"), QStringLiteral("a text")),
        TakeOptionValue(rest, QStringLiteral("--engineer"), QStringLiteral("a text")),
        QStringLiteral("tzlctl " TZL_VERSION)};
    const bool partial = rest.removeAll(QStringLiteral("--partial")) > 0;
    RequireArgumentCount(rest, 0, 0);
    if (pdf.isEmpty())
        throw UsageError("--pdf OUT.pdf is missing");

    // The file first: one that cannot be read is not worth the relay's time.
    std::optional<ReportSettingsFile> settingsFile;
    if (!config.isEmpty()) {
        cTZL file(context.Modbus, context.UI, context.Clock);
        if (!file.LoadConfigFromFile(config))
            return ExitRelayFailed;
        settingsFile = ReportSettingsFile{QFileInfo(config).fileName(), file.Snapshot()};
    }

    const std::optional<RelayReadings> readings =
        RelayReadingsReader(context.Modbus, context.Clock).Read(context.Slave, {});
    if (!readings)
        return ExitRelayFailed;
    const CommissioningReport report(*readings, details, settingsFile);
    const QStringList unread = report.UnreadSections();
    for (const QString& section : unread)
        context.Err << "tzlctl report: could not be read: " << section << '\n';
    // A report that looks complete must be complete.
    if (!unread.isEmpty() && !partial) {
        context.Err << "tzlctl report: no report written (--partial writes it with these "
                       "sections marked \"Could not be read\")\n";
        return ExitRelayFailed;
    }
    if (const auto error = report.WritePdf(pdf)) {
        context.Err << "tzlctl report: " << pdf << ": " << FileSystemErrorText(*error) << '\n';
        return ExitRelayFailed;
    }
    context.Out << "Commissioning report written to " << pdf << '\n';
    return ExitOk;
}

} // namespace

void AddReportCommand(CommandTable& table)
{
    table.Add({QStringLiteral("report"),
               QStringLiteral("--pdf OUT.pdf [--config FILE.tcf] [--site TEXT] [--engineer TEXT] "
                              "[--partial]"),
               QStringLiteral("read the relay's identity, clock, settings, relay states, "
                              "measurements and event log in one pass and write a commissioning "
                              "report as a PDF file; --config checks the relay's settings "
                              "against a configuration file. When a part cannot be read nothing "
                              "is written (exit 1), unless --partial asks for the report with "
                              "that part marked \"Could not be read\""),
               Report});
}
