// The relay's configuration and product information: reading it into a
// configuration file, sending a file to the relay, and showing a file.

#include "CommandTable.h"
#include "PdfOutput.h"

#include "model/ConfigComparison.h"
#include "model/cTZL.h"
#include "model/SystemTypeText.h"
#include "model/cTZLHoldingRegisters.h"
#include "platform/FloatText.h"
#include "platform/ConsoleUserInterface.h"

#include <QTextStream>
#include <optional>

namespace {

// True when the user interface showed nothing since `before`.
bool NoMessageSince(const CommandContext& context, int before)
{
    return context.UI.MessageCount() == before;
}

struct SystemValues
{
    float Type;
    float Volts;
    float Current;
};

// " - an upload takes it as 1 V" where the model would not keep the value.
QString Correction(float value, float taken, const QString& unit)
{
    if (value == taken)
        return {};
    return QStringLiteral(" - an upload takes it as %1%2").arg(ShortestFloatText(taken), unit);
}

// The values as they are; `taken` is what the configurator would make of them.
void PrintSystemParameters(QTextStream& out, const SystemValues& shown, const SystemValues& taken)
{
    out << "System type:      " << SystemTypeText(shown.Type) << " ("
        << ShortestFloatText(shown.Type) << ")" << Correction(shown.Type, taken.Type, QString())
        << '\n'
        << "Primary VT value: " << ShortestFloatText(shown.Volts) << " V"
        << Correction(shown.Volts, taken.Volts, QStringLiteral(" V")) << '\n'
        << "Primary CT value: " << ShortestFloatText(shown.Current) << " A"
        << Correction(shown.Current, taken.Current, QStringLiteral(" A")) << '\n';
}

int SystemParameters(CommandContext& context, const QStringList& args)
{
    RequireArgumentCount(args, 0, 0);
    cTZLHoldingRegisters held(context.Modbus);
    if (!held.ReadBack(context.Slave))
        return ExitRelayFailed;
    cTZLHoldingRegisters uploaded(held);
    uploaded.SetUploadedValues(held.SystemType(), held.SystemVolts(), held.SystemCurrent());
    PrintSystemParameters(
        context.Out, {held.SystemType(), held.SystemVolts(), held.SystemCurrent()},
        {uploaded.SystemType(), uploaded.SystemVolts(), uploaded.SystemCurrent()});
    return ExitOk;
}

int Info(CommandContext& context, const QStringList& args)
{
    RequireArgumentCount(args, 0, 0);
    cTZL device(context.Modbus, context.UI, context.Clock);
    const int before = context.UI.MessageCount();
    if (!device.UploadProductInfo(context.Slave)) {
        // A failed exchange has said why; an answer to another selector has not.
        if (NoMessageSince(context, before))
            context.Err << "tzlctl: the relay answered for another product-information item "
                           "than asked for - check the word order\n";
        return ExitRelayFailed;
    }
    context.Out << "Firmware version: " << ShortestFloatText(device.VersionNumber()) << '\n'
                << "PSC number:       " << ShortestFloatText(device.PSCNumber()) << '\n'
                << "PSC issue:        " << ShortestFloatText(device.PSCIssue()) << '\n';
    return ExitOk;
}

int UploadConfig(CommandContext& context, const QStringList& args)
{
    RequireArgumentCount(args, 1, 1);
    cTZL device(context.Modbus, context.UI, context.Clock);
    // A configuration only partly read is not saved as if it were the relay's.
    if (!device.UploadConfig(context.Slave))
        return ExitRelayFailed;
    if (!device.SaveConfigToFile(args[0]))
        return ExitRelayFailed;
    context.Out << "Configuration saved to " << args[0] << '\n';
    return ExitOk;
}

// The relay's configuration, read with the traffic of an upload; nothing
// when the exchange failed (the reason is already on standard error).
std::optional<ConfigSnapshot> ReadRelayConfig(CommandContext& context)
{
    cTZL relay(context.Modbus, context.UI, context.Clock);
    if (!relay.UploadConfig(context.Slave))
        return std::nullopt;
    return relay.Snapshot();
}

std::optional<ConfigSnapshot> ReadFileConfig(CommandContext& context, const QString& path)
{
    cTZL file(context.Modbus, context.UI, context.Clock);
    if (!file.LoadConfigFromFile(path))
        return std::nullopt;
    return file.Snapshot();
}

int PrintDifferences(QTextStream& out, const QList<ConfigDifference>& differences,
                     const QString& oldSide, const QString& newSide, const QString& sameText)
{
    out << ConfigComparison::Report(differences, oldSide, newSide, sameText);
    return differences.isEmpty() ? ExitOk : ExitDiffers;
}

int DownloadConfig(CommandContext& context, const QStringList& args)
{
    QStringList files;
    bool yes = false;
    bool no = false;
    bool verify = false;
    for (const QString& arg : args) {
        if (arg == QStringLiteral("--yes"))
            yes = true;
        else if (arg == QStringLiteral("--no"))
            no = true;
        else if (arg == QStringLiteral("--verify"))
            verify = true;
        else
            files << arg;
    }
    if (yes && no)
        throw UsageError("--yes and --no exclude each other");
    RequireArgumentCount(files, 1, 1);
    // Without an answer on the command line the questions are printed and
    // answered No, and the command fails.
    context.UI.SetQuestionAnswer(yes ? MsgResult::Yes : MsgResult::No);
    context.UI.SetAnswerExplicit(yes || no);

    cTZL device(context.Modbus, context.UI, context.Clock);
    if (!device.LoadConfigFromFile(files[0]))
        return ExitRelayFailed;
    // The download replaces the model with the relay's read-back, so what was
    // sent is kept apart for the verification.
    const ConfigSnapshot sent = device.Snapshot();
    if (!device.DownloadConfig(context.Slave))
        return ExitRelayFailed;
    context.Out << "Configuration " << files[0] << " sent to the relay\n";
    if (!verify)
        return ExitOk;
    const std::optional<ConfigSnapshot> held = ReadRelayConfig(context);
    if (!held)
        return ExitRelayFailed;
    return PrintDifferences(
        context.Out, ConfigComparison::Compare(sent, *held, ConfigComparison::Names::Ignored),
        QStringLiteral("sent"), QStringLiteral("TZL"),
        QStringLiteral("Verified: the TZL holds this configuration"));
}

int Compare(CommandContext& context, const QStringList& args)
{
    RequireArgumentCount(args, 1, 2);
    if (args.size() == 2) {
        const std::optional<ConfigSnapshot> first = ReadFileConfig(context, args[0]);
        const std::optional<ConfigSnapshot> second =
            first ? ReadFileConfig(context, args[1]) : std::nullopt;
        if (!second)
            return ExitRelayFailed;
        return PrintDifferences(
            context.Out,
            ConfigComparison::Compare(*first, *second, ConfigComparison::Names::Compared), args[0],
            args[1], QStringLiteral("The files hold the same configuration"));
    }
    // The file first: a file that cannot be read is not worth the relay's time.
    const std::optional<ConfigSnapshot> file = ReadFileConfig(context, args[0]);
    const std::optional<ConfigSnapshot> relay = file ? ReadRelayConfig(context) : std::nullopt;
    if (!relay)
        return ExitRelayFailed;
    return PrintDifferences(
        context.Out, ConfigComparison::Compare(*relay, *file, ConfigComparison::Names::Ignored),
        QStringLiteral("TZL"), args[0],
        QStringLiteral("No differences: the TZL holds the configuration of ") + args[0]);
}

void PrintRelay(QTextStream& out, const cTZL& device, std::int16_t relay)
{
    const cTZLTrips& trips = device.TripData;
    const auto function = std::int16_t(trips.FunctionNumber(relay));
    out << "\nRelay " << relay << ": " << trips.TripName(relay) << '\n'
        << "  Function:  " << cTripCatalogue::FunctionName(function) << '\n';
    for (std::int16_t p = 1; p <= cTripCatalogue::NumberOfParameters(function); ++p) {
        const QString unit = cTripCatalogue::ParameterUnitName(function, p).trimmed();
        out << "  " << QStringLiteral("%1 ").arg(cTripCatalogue::ParameterName(function, p), -15)
            << (ShortestFloatText(trips.ParameterValue(relay, p)) + u' ' + unit).trimmed() << '\n';
    }
    const auto flag = [](int on) { return on ? QStringLiteral("yes") : QStringLiteral("no"); };
    out << "  Latched " << flag(trips.LatchedFlag(relay)) << ", Alarm "
        << flag(trips.AlarmFlag(relay)) << ", Fail Safe " << flag(trips.InvertedFlag(relay))
        << ", Logged " << flag(trips.LoggedFlag(relay)) << '\n';
}

int ShowConfig(CommandContext& context, const QStringList& args)
{
    RequireArgumentCount(args, 1, 1);
    cTZL device(context.Modbus, context.UI, context.Clock);
    if (!device.LoadConfigFromFile(args[0]))
        return ExitRelayFailed;
    QTextStream& out = context.Out;
    // A file's values are loaded as they are.
    const SystemValues file{device.SystemType(), device.SystemVolts(), device.SystemCurrent()};
    PrintSystemParameters(out, file, file);
    for (std::int16_t relay = 1; relay <= cTripCatalogue::RelayCount; ++relay)
        PrintRelay(out, device, relay);
    return ExitOk;
}

int PrintConfig(CommandContext& context, const QStringList& args)
{
    QStringList files = args;
    const QString pdf = TakeOptionValue(files, QStringLiteral("--pdf"));
    RequireArgumentCount(files, 1, 1);
    if (pdf.isEmpty())
        throw UsageError("--pdf OUT.pdf is missing");
    cTZL device(context.Modbus, context.UI, context.Clock);
    if (!device.LoadConfigFromFile(files[0]))
        return ExitRelayFailed;
    if (!PrintToPdf(
            pdf, [&device](IPrinter& printer) { return device.PrintConfig(printer); }, context.Err))
        return ExitRelayFailed;
    context.Out << "Configuration " << files[0] << " printed to " << pdf << '\n';
    return ExitOk;
}

} // namespace

void AddConfigCommands(CommandTable& table)
{
    table.Add({QStringLiteral("system"), QString(),
               QStringLiteral("read the relay's system type, primary VT and CT values as it "
                              "holds them"),
               SystemParameters});
    table.Add({QStringLiteral("info"), QString(),
               QStringLiteral("read the relay's firmware version, PSC number and PSC issue"),
               Info});
    table.Add({QStringLiteral("upload-config"), QStringLiteral("FILE"),
               QStringLiteral("read system parameters and the 16 trip definitions into a "
                              "configuration file (.tcf)"),
               UploadConfig});
    table.Add({QStringLiteral("download-config"), QStringLiteral("FILE [--yes | --no] [--verify]"),
               QStringLiteral("send a configuration file to the relay; --yes or --no answers its "
                              "questions about system type and firmware (without either they "
                              "are answered No and the command fails); --verify reads the "
                              "whole configuration back and lists every difference (exit 3 "
                              "if any)"),
               DownloadConfig});
    table.Add({QStringLiteral("compare"), QStringLiteral("FILE [FILE2]"),
               QStringLiteral("read the relay's configuration and list how FILE differs from "
                              "it, as the relay stores values (names are not on the relay); "
                              "with FILE2, compare two files without a relay. Exit 0 same, 3 "
                              "different"),
               Compare});
    table.Add({QStringLiteral("show-config"), QStringLiteral("FILE"),
               QStringLiteral("show a configuration file as text, one relay per block"),
               ShowConfig});
    table.Add({QStringLiteral("print-config"), QStringLiteral("FILE --pdf OUT.pdf"),
               QStringLiteral("print a configuration file into a PDF file as the configurator "
                              "prints it (no relay needed)"),
               PrintConfig});
}
