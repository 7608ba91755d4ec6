// tzlctl: the TZL Configurator's command-line companion. Talks to one relay
// through the same link and model as the configurator.

#include "CommandTable.h"
#include "PdfOutput.h"

#include "link/cCommsErrorLog.h"
#include "link/frmModbus.h"
#include "platform/ConsoleUserInterface.h"
#include "platform/SerialOrTcpPort.h"
#include "platform/SystemClock.h"
#include "platform/TcpAddress.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

namespace {

const QString DefaultDevice = QStringLiteral("/dev/ttyUSB0");
const QString DefaultSettings = QStringLiteral("9600,N,8,1");

CommandTable BuildCommandTable()
{
    CommandTable table;
    AddLinkCommands(table);
    AddRelayStatusCommands(table);
    AddConfigCommands(table);
    AddLiveCommands(table);
    AddScanCommand(table);
    AddWatchCommand(table);
    AddReportCommand(table);
    return table;
}

// The text in lines of at most `width` characters, each after `indent`.
QString Wrapped(const QString& text, const QString& indent, int width = 79)
{
    QString wrapped;
    QString line = indent;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (line.size() > indent.size() && line.size() + 1 + word.size() > width) {
            wrapped += line + u'\n';
            line = indent;
        }
        line += (line.size() > indent.size() ? QStringLiteral(" ") : QString()) + word;
    }
    return wrapped + line + u'\n';
}

QString CommandUsage(const Command& command)
{
    return (command.Name + u' ' + command.Arguments).trimmed();
}

QString CommandHelp(const Command& command)
{
    return QStringLiteral("  %1\n").arg(CommandUsage(command))
           + Wrapped(command.Summary, QStringLiteral("      "));
}

QString HelpText(const CommandTable& table, const QString& options)
{
    QString text =
        QStringLiteral("Usage: tzlctl [OPTIONS] COMMAND [ARGS]\n"
                       "Talks to a TZL protection relay over Modbus RTU on a serial line, or\n"
                       "through a serial device server (--port tcp://HOST:PORT).\n\n"
                       "Commands:\n");
    for (const Command& command : table.Commands())
        text += CommandHelp(command);
    text += QStringLiteral("\n") + options.section(u'\n', 2);
    text += QStringLiteral(
                "\nThe device defaults to $TZL_PORT, else %1.\n"
                "Exit status: 0 success, 1 the relay exchange or a file failed (the reason is on\n"
                "standard error), 2 the command line was wrong, 3 the configurations compared\n"
                "differ.\n")
                .arg(DefaultDevice);
    return text;
}

void PrintStatistics(QTextStream& out, const cCommsStatistics& s)
{
    out << "Characters Tx:     " << s.CharactersTx() << '\n'
        << "Requests Tx:       " << s.Requests() << '\n'
        << "Characters Rx:     " << s.CharactersRx() << '\n'
        << "Responses Rx:      " << s.Responses() << '\n'
        << "Response Timeouts: " << s.Timeouts() << '\n'
        << "CRC Failures:      " << s.CRCFailures() << '\n'
        << "Exceptions Rx:     " << s.Exceptions() << '\n';
}

int UsageFailure(QTextStream& err, const QString& message)
{
    err << "tzlctl: " << message << "\nTry 'tzlctl --help' for more information.\n";
    return ExitUsage;
}

} // namespace

int main(int argc, char* argv[])
{
    const auto app = CreateApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tzlctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TZL_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("Serial device of the relay, or tcp://HOST:PORT of the serial device "
                       "server it is wired to (IPv6 hosts in brackets)."),
        QStringLiteral("DEVICE"));
    const QCommandLineOption settingsOption(
        QStringLiteral("settings"), QStringLiteral("Line settings (default 9600,N,8,1)."),
        QStringLiteral("BAUD,PARITY,DATA,STOP"), DefaultSettings);
    const QCommandLineOption slaveOption(
        QStringLiteral("slave"), QStringLiteral("Slave ID of the relay, 1-247 (default 1)."),
        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption wordOrderOption(
        QStringLiteral("word-order"),
        QStringLiteral("0: first register holds the high half of a value (default); 1: swapped."),
        QStringLiteral("0|1"), QStringLiteral("0"));
    const QCommandLineOption timeoutOption(
        QStringLiteral("timeout"),
        QStringLiteral("Longest wait for the first byte of an answer, ms (default 3000)."),
        QStringLiteral("MS"), QString::number(frmModbus::DefaultResponseTimeoutMs));
    const QCommandLineOption fastOption(
        QStringLiteral("fast"),
        QStringLiteral("End each answer as soon as all of it is in, not after 50 ms of silence."));
    const QCommandLineOption statsOption(
        QStringLiteral("stats"),
        QStringLiteral("Print the communication counters after the command."));
    parser.addOptions({portOption, settingsOption, slaveOption, wordOrderOption, timeoutOption,
                       fastOption, statsOption});
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("What to do."));

    const CommandTable table = BuildCommandTable();
    if (!parser.parse(QCoreApplication::arguments()))
        return UsageFailure(err, parser.errorText());
    if (parser.isSet(helpOption)) {
        out << HelpText(table, parser.helpText());
        return ExitOk;
    }
    if (parser.isSet(versionOption)) {
        out << "tzlctl " << TZL_VERSION << '\n';
        return ExitOk;
    }

    QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return UsageFailure(err, QStringLiteral("no command given"));
    const QString name = args.takeFirst();
    const Command* command = table.Find(name);
    if (command == nullptr)
        return UsageFailure(err, QStringLiteral("unknown command \"%1\"").arg(name));
    // Options after the command belong to it, so --help there asks about it.
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out << "Usage: tzlctl [OPTIONS] " << CommandUsage(*command) << "\n\n"
            << Wrapped(command->Summary, QStringLiteral("  "))
            << "\nThe OPTIONS (port, line settings, slave ID, ...) are listed by "
               "'tzlctl --help'.\n";
        return ExitOk;
    }

    SerialOrTcpPort port;
    ConsoleUserInterface ui;
    SystemClock clock;
    frmModbus link(port, ui);
    // Failures go to the configurator's comms error log, appended to the
    // current run's file; tzlctl runs too often to start generations of its own.
    cCommsErrorLog errorLog(cCommsErrorLog::DefaultFolder(), clock);
    link.SetErrorLog(&errorLog);
    try {
        QString device = parser.value(portOption);
        QString deviceFrom = QStringLiteral("--port");
        if (device.isEmpty()) {
            device = qEnvironmentVariable("TZL_PORT", DefaultDevice);
            deviceFrom = QStringLiteral("$TZL_PORT");
        }
        QString addressError;
        if (TcpAddress::IsTcpName(device) && !TcpAddress::Parse(device, &addressError))
            throw UsageError(QStringLiteral("%1 \"%2\" is not a network address: %3 (write "
                                            "tcp://HOST:PORT)")
                                 .arg(deviceFrom, device, addressError)
                                 .toStdString());
        port.SetPortName(device);
        if (!port.SetSettings(parser.value(settingsOption)))
            throw UsageError(QStringLiteral("line settings \"%1\" are not of the form 9600,N,8,1")
                                 .arg(parser.value(settingsOption))
                                 .toStdString());
        const int slave =
            ParseIntArgument(parser.value(slaveOption), QStringLiteral("--slave"), 1, 247);
        link.SetWordOrder(std::int16_t(
            ParseIntArgument(parser.value(wordOrderOption), QStringLiteral("--word-order"), 0, 1)));
        link.SetResponseTimeout(ParseIntArgument(parser.value(timeoutOption),
                                                 QStringLiteral("--timeout"), 1,
                                                 frmModbus::MaximumTimeoutMs));
        link.SetFastResponseDetection(parser.isSet(fastOption));

        CommandContext context{link, ui, clock, std::int16_t(slave), out, err};
        const int status = command->Run(context, args);
        out.flush();
        if (parser.isSet(statsOption))
            PrintStatistics(out, link.Statistics());
        return status;
    } catch (const UsageError& error) {
        out.flush();
        err << "tzlctl " << command->Name << ": " << error.what() << '\n'
            << "Usage: tzlctl [OPTIONS] " << CommandUsage(*command) << '\n';
        return ExitUsage;
    }
}
