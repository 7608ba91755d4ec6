#include "SimCommandLine.h"

#include "ScenarioFile.h"
#include "SimFaults.h"
#include "SimulatedRelay.h"

#include <algorithm>
#include <cmath>

namespace {

// Options that take a value; the others are switches.
const QStringList ValueOptions{
    QStringLiteral("port"),       QStringLiteral("settings"),    QStringLiteral("slave"),
    QStringLiteral("word-order"), QStringLiteral("fault"),       QStringLiteral("firmware"),
    QStringLiteral("psc-number"), QStringLiteral("psc-issue"),   QStringLiteral("volts"),
    QStringLiteral("current"),    QStringLiteral("type"),        QStringLiteral("trip"),
    QStringLiteral("latch"),      QStringLiteral("alarm"),       QStringLiteral("ack"),
    QStringLiteral("scenario"),   QStringLiteral("store-limit"), QStringLiteral("store-step"),
    QStringLiteral("fault-rate"), QStringLiteral("seed"),        QStringLiteral("fault-log"),
    QStringLiteral("tcp"),        QStringLiteral("listen")};
const QStringList SwitchOptions{QStringLiteral("pty"), QStringLiteral("verbose"),
                                QStringLiteral("strict-line"), QStringLiteral("help"),
                                QStringLiteral("version")};

struct Option
{
    QString Name;
    QString Value;
};

} // namespace

bool SimCommandLine::Fail(const QString& error)
{
    m_Error = error;
    return false;
}

SimCommandLine::Outcome SimCommandLine::Parse(const QStringList& arguments, SimulatedRelay& relay,
                                              SimFaults& faults)
{
    QList<Option> options;
    QString scenario;
    bool pty = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (!arg.startsWith(QStringLiteral("--"))) {
            Fail(QStringLiteral("unexpected argument '%1'").arg(arg));
            return Outcome::UsageError;
        }
        QString name = arg.mid(2);
        QString value;
        const bool inlineValue = name.contains(u'=');
        if (inlineValue) {
            value = name.section(u'=', 1);
            name = name.section(u'=', 0, 0);
        }
        if (name == u"help")
            return Outcome::ShowHelp;
        if (name == u"version")
            return Outcome::ShowVersion;
        if (SwitchOptions.contains(name)) {
            if (inlineValue) {
                Fail(QStringLiteral("--%1 takes no value").arg(name));
                return Outcome::UsageError;
            }
            pty = pty || name == u"pty";
            m_Verbose = m_Verbose || name == u"verbose";
            m_StrictLine = m_StrictLine || name == u"strict-line";
            continue;
        }
        if (!ValueOptions.contains(name)) {
            Fail(QStringLiteral("unknown option '%1'").arg(arg));
            return Outcome::UsageError;
        }
        if (!inlineValue) {
            if (i + 1 >= arguments.size()) {
                Fail(QStringLiteral("--%1 needs a value").arg(name));
                return Outcome::UsageError;
            }
            value = arguments[++i];
        }
        if (name == u"scenario")
            scenario = value;
        else
            options.append({name, value});
    }

    const auto given = [&options](const char16_t* name) {
        return std::any_of(options.cbegin(), options.cend(),
                           [name](const Option& o) { return o.Name == name; });
    };
    const bool port = given(u"port");
    const bool tcp = given(u"tcp");
    if (int(pty) + int(port) + int(tcp) != 1) {
        Fail(QStringLiteral("give one of --tcp PORT, --pty or --port DEVICE"));
        return Outcome::UsageError;
    }
    if (given(u"listen") && !tcp) {
        Fail(QStringLiteral("--listen goes with --tcp"));
        return Outcome::UsageError;
    }
    if (m_StrictLine && tcp) {
        Fail(QStringLiteral("--strict-line goes with --pty"));
        return Outcome::UsageError;
    }
    m_Front = pty ? FrontEnd::Pty : tcp ? FrontEnd::Tcp : FrontEnd::SerialDevice;
    if (!scenario.isEmpty() && !ScenarioFile::Load(scenario, relay, faults, m_Error))
        return Outcome::UsageError;
    for (const Option& o : options) {
        if (!ApplyOption(o.Name, o.Value, relay, faults))
            return Outcome::UsageError;
    }
    if (!m_FaultRate && (m_FaultSeed || !m_FaultLog.isEmpty())) {
        Fail(QStringLiteral("--seed and --fault-log go with --fault-rate"));
        return Outcome::UsageError;
    }
    return Outcome::Serve;
}

bool SimCommandLine::ApplyOption(const QString& name, const QString& value, SimulatedRelay& relay,
                                 SimFaults& faults)
{
    bool ok = false;
    if (name == u"port") {
        m_Device = value;
        return !value.isEmpty() || Fail(QStringLiteral("--port needs a device"));
    }
    if (name == u"tcp") {
        const uint number = value.toUInt(&ok);
        m_TcpPort = quint16(number);
        return (ok && number <= 65535)
               || Fail(QStringLiteral("--tcp takes a port number 0-65535 (0: any free port)"));
    }
    if (name == u"listen") {
        m_ListenAddress = QHostAddress(value);
        return !m_ListenAddress.isNull()
               || Fail(QStringLiteral("--listen takes an IP address such as 127.0.0.1, 0.0.0.0 "
                                      "or ::1"));
    }
    if (name == u"settings") {
        const auto line = SerialLineSettings::Parse(value);
        if (!line)
            return Fail(QStringLiteral("bad --settings '%1', expected e.g. 9600,N,8,1").arg(value));
        m_Line = *line;
        return true;
    }
    if (name == u"slave") {
        m_SlaveID = value.toInt(&ok);
        return (ok && m_SlaveID >= 1 && m_SlaveID <= 247)
               || Fail(QStringLiteral("--slave must be 1 to 247"));
    }
    if (name == u"word-order") {
        if (value != u"0" && value != u"1")
            return Fail(QStringLiteral("--word-order must be 0 or 1"));
        relay.SetWordOrder(value.toInt());
        return true;
    }
    if (name == u"store-limit" || name == u"store-step") {
        QString error;
        return ScenarioFile::ApplyStoreRule(name, value.section(u'=', 0, 0), value.section(u'=', 1),
                                            relay, error)
               || Fail(QStringLiteral("--%1: %2").arg(name, error));
    }
    if (name == u"fault-rate") {
        const double rate = value.toDouble(&ok);
        m_FaultRate = rate;
        return (ok && rate >= 0 && rate <= 100)
               || Fail(QStringLiteral("--fault-rate must be a percentage from 0 to 100"));
    }
    if (name == u"seed") {
        m_FaultSeed = value.toUInt(&ok);
        return ok || Fail(QStringLiteral("--seed must be a whole number from 0 to 4294967295"));
    }
    if (name == u"fault-log") {
        m_FaultLog = value;
        return !value.isEmpty() || Fail(QStringLiteral("--fault-log needs a file"));
    }
    if (name == u"fault") {
        QString error;
        return faults.ApplyFaultText(value, error) || Fail(QStringLiteral("--fault: ") + error);
    }
    if (name == u"trip")
        return ApplyRelayList(name, value, SimulatedRelay::StatusTripped, relay);
    if (name == u"latch")
        return ApplyRelayList(name, value, SimulatedRelay::StatusLatched, relay);
    if (name == u"alarm")
        return ApplyRelayList(name, value, SimulatedRelay::StatusInAlarm, relay);
    if (name == u"ack") // an acknowledged alarm is still an alarm
        return ApplyRelayList(
            name, value, SimulatedRelay::StatusInAlarm | SimulatedRelay::StatusAcknowledged, relay);

    const float number = value.toFloat(&ok);
    if (!ok || !std::isfinite(number))
        return Fail(QStringLiteral("--%1 needs a number").arg(name));
    if (name == u"firmware")
        relay.SetFirmwareVersion(number);
    else if (name == u"psc-number")
        relay.SetPSCNumber(number);
    else if (name == u"psc-issue")
        relay.SetPSCIssue(number);
    else if (name == u"volts")
        relay.SetSystemVolts(number);
    else if (name == u"current")
        relay.SetSystemCurrent(number);
    else
        relay.SetSystemType(number);
    return true;
}

bool SimCommandLine::ApplyRelayList(const QString& name, const QString& list, int bits,
                                    SimulatedRelay& relay)
{
    for (const QString& item : list.split(u',')) {
        bool ok = false;
        const int r = item.trimmed().toInt(&ok);
        if (!ok || r < 1 || r > SimulatedRelay::RelayCount)
            return Fail(QStringLiteral("--%1 takes relay numbers 1 to 16, e.g. 3,5").arg(name));
        relay.SetStatusBits(r, bits, true);
    }
    return true;
}

QString SimCommandLine::VersionText()
{
    return QStringLiteral("tzl-relay-sim " TZL_VERSION);
}

QString SimCommandLine::HelpText()
{
    return QStringLiteral(
        "Usage: tzl-relay-sim --pty | --port DEVICE | --tcp PORT [options]\n"
        "\n"
        "A simulated TZL protection relay, a Modbus RTU slave for the TZL Configurator.\n"
        "\n"
        "Line:\n"
        "  --pty                create a pseudo-terminal and print its device path as the\n"
        "                       first line of output; serve until interrupted\n"
        "  --port DEVICE        serve on an existing serial device\n"
        "  --tcp PORT           serve as a serial device server does: RTU frames through\n"
        "                       TCP, one client at a time (another is refused and\n"
        "                       logged); prints its address, tcp://127.0.0.1:PORT, as\n"
        "                       the first line of output. Port 0 picks a free one\n"
        "  --listen ADDRESS     with --tcp, listen on this IP address instead of the\n"
        "                       loopback address 127.0.0.1 (0.0.0.0: every interface,\n"
        "                       which lets anyone on the network reach the relay)\n"
        "  --settings S         line settings, default 9600,N,8,1 (answers are paced at\n"
        "                       this speed on a pseudo-terminal and over TCP too)\n"
        "  --slave N            slave ID 1-247, default 1\n"
        "  --word-order 0|1     0: first register of a value holds the high half (default)\n"
        "  --verbose            log every frame to standard error\n"
        "  --strict-line        on a pseudo-terminal, behave like a relay whose UART is set\n"
        "                       to --settings: a master at another baud rate is not heard\n"
        "                       (no answer); one at another parity is heard, but the\n"
        "                       answer arrives damaged (bad CRC), as a UART checking the\n"
        "                       other parity would deliver it. A pseudo-terminal carries\n"
        "                       bytes at any setting, so the simulator reads the master's\n"
        "                       baud rate and parity check from the terminal itself\n"
        "\n"
        "Relay:\n"
        "  --volts V --current A --type 2|3   system volts, current, type\n"
        "  --firmware X --psc-number N --psc-issue N   product information\n"
        "  --trip LIST --latch LIST --alarm LIST --ack LIST\n"
        "                       relays (e.g. 3,5) that are tripped, latched, in alarm,\n"
        "                       or in an acknowledged alarm\n"
        "  --store-limit REG=MAX, --store-step REG=STEP\n"
        "                       a value written to holding pair REG (6 volts, 8 current,\n"
        "                       66-76 trip parameters 1-6) is stored at most MAX, or\n"
        "                       rounded to the nearest multiple of STEP\n"
        "  --scenario FILE      start from a scenario file (options given here override it)\n"
        "\n"
        "Faults (--fault, repeatable):\n"
        "  none | no-answer | short:N (1-4 bytes) | bad-crc | exception:N | bad-echo |\n"
        "  delay:MS | trickle:GAP_MS | babble[:GAP_MS]\n"
        "                       every exchange; add @N for exchange N only (e.g. bad-crc@3)\n"
        "  other-slave | bad-function\n"
        "                       the answer names the next slave ID, or the function code\n"
        "                       plus one (its CRC right)\n"
        "  byte-count:N         a read answer's byte count reads N (0-255), its data as\n"
        "                       they were (its CRC right)\n"
        "  garbage-before:N | garbage-after:N\n"
        "                       N noise bytes (1-255) just before or behind the answer\n"
        "  gap:AFTER_BYTES:MS   the line falls silent for MS ms after that many bytes of\n"
        "                       the answer\n"
        "  hang-up:AFTER_BYTES  send that many bytes of the answer, then exit (status 0)\n"
        "                       as a relay that loses its power: the device goes away\n"
        "  nan:REG | value:REG=V\n"
        "                       the register pair at REG (even) reads NaN or V; REG may\n"
        "                       be written hREG (holding) or iREG (input), plain REG is\n"
        "                       both\n"
        "  --fault-rate PERCENT fault about this share of exchanges at random, each with\n"
        "                       no-answer, short:1-4, bad-crc or exception:4|6 (every\n"
        "                       one a failed transaction for the master); at the end\n"
        "                       \"faults injected: N\" goes to standard error\n"
        "  --seed N             the random faults' seed: the same seed faults the same\n"
        "                       exchanges the same way (default: a new seed each run,\n"
        "                       printed on standard error)\n"
        "  --fault-log FILE     a line per random fault: \"exchange 17: no-answer\"\n"
        "\n"
        "Scenario file: one statement a line, '#' starts a comment:\n"
        "  volts 11000 | current 500 | type 3 | firmware 2.5 | psc-number 1234 | psc-issue 3\n"
        "  clock 2026-03-15 13:05:09\n"
        "  trip RELAY CODE FLAGS [P1 .. P6]\n"
        "  status RELAY tripped|latched|alarm|acknowledged ... (or a number 0-255)\n"
        "  event NUMBER RELAY YYYY-MM-DD HH:MM:SS   (delivered in file order, then 0)\n"
        "  measurement REG VALUE | fault FAULT (as --fault)\n"
        "  store-limit REG MAX | store-step REG STEP (as the options)\n"
        "\n"
        "  --help, --version\n"
        "\n"
        "Exit status: 0 after an interrupt or a hang-up fault (over TCP the connection\n"
        "goes with the program), 2 for a usage error, 1 when the line cannot be opened\n"
        "or the port cannot be listened on.\n");
}
