// The simulator's command line and scenario files: what they set up in the
// relay and its faults, and that mistakes are refused with a reason. Random
// faults (--fault-rate): about the share asked for, only faults a master must
// count as failed, the same ones again from the same seed, and each one logged.
#include "RandomFaults.h"
#include "ScenarioFile.h"
#include "SimCommandLine.h"
#include "SimFaults.h"
#include "SimulatedRelay.h"

#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace {

QString WriteScenario(const QTemporaryDir& dir, const QString& text)
{
    QFile file(dir.filePath(QStringLiteral("t.sim")));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) != text.toUtf8().size())
        return {};
    return file.fileName();
}

constexpr int Exchanges = 10000;

QList<std::optional<SimFault>> DrawAll(RandomFaults& random)
{
    QList<std::optional<SimFault>> drawn;
    for (int exchange = 1; exchange <= Exchanges; ++exchange)
        drawn << random.Draw(exchange);
    return drawn;
}

bool MasterCountsAsFailed(const SimFault& f)
{
    using K = SimFault::Kind;
    return f.Type == K::NoAnswer || f.Type == K::BadCrc
           || (f.Type == K::ShortAnswer && f.Value >= 1 && f.Value <= 4)
           || (f.Type == K::Exception && (f.Value == 4 || f.Value == 6));
}

} // namespace

class tst_SimCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void Parse()
    {
        // Arguments, a part of the error (empty: accepted), the scenario file
        // given with --scenario when not empty.
        const QStringList pty{"--pty"};
        const std::tuple<QStringList, QString, QString> rows[] = {
            {pty, "", ""},
            {{"--bogus", "--help"}, "unknown option", ""},
            {{"--slave", "3"}, "--pty or --port", ""},
            {{"--pty", "--tcp", "0"}, "give one of --tcp PORT", ""},
            {{"--tcp", "65536"}, "port number 0-65535", ""},
            {{"--pty", "--listen", "0.0.0.0"}, "--listen goes with --tcp", ""},
            {{"--tcp", "0", "--listen", "relay"}, "an IP address", ""},
            {{"--pty", "--slave"}, "needs a value", ""},
            {{"--pty", "--slave", "247"}, "", ""},
            {{"--pty", "--slave=0"}, "1 to 247", ""},
            {{"--pty", "--slave", "248"}, "1 to 247", ""},
            {{"--pty", "--word-order", "2"}, "0 or 1", ""},
            {{"--pty", "--settings", "9600,X,8,1"}, "bad --settings", ""},
            {{"--pty", "--trip", "3,17"}, "1 to 16", ""},
            {{"--pty", "--fault", "short:5"}, "bad value '5'", ""},
            {{"--pty", "--fault", "bad-crc:3"}, "takes no value", ""},
            {{"--pty", "--fault", "bad-crc@0"}, "bad exchange", ""},
            // A fault far ahead is kept without room for every exchange before it.
            {{"--pty", "--fault", "no-answer@2147483647"}, "", ""},
            {{"--pty", "--fault", "flaky"}, "unknown fault 'flaky'", ""},
            {{"--pty", "--fault", "gap:6"}, "bad value '6'", ""},
            {{"--pty", "--fault", "gap:0:49"}, "bad value '0:49'", ""},
            {{"--pty", "--fault", "hang-up:4:1"}, "bad value '4:1'", ""},
            {{"--pty", "--fault-rate", "5", "--seed", "7"}, "", ""},
            {{"--pty", "--fault-rate", "100.5"}, "percentage from 0 to 100", ""},
            {{"--pty", "--seed", "7"}, "go with --fault-rate", ""},
            // A value takes a register pair, which starts at an even register.
            {{"--pty", "--fault", "nan:i71"}, "even register", ""},
            {{"--pty", "--fault", "value:239=2"}, "even register", ""},
            {{"--pty", "--scenario", "/nonexistent/x.sim"}, "cannot read", ""},
            {pty, "t.sim:2: unknown statement 'voltage'", "volts 1\nvoltage 2\n"},
            {pty, "t.sim:1: bad event date or time", "event 1 2 2026-02-30 10:00:00\n"},
            {pty, "t.sim:3: bad value '0' for fault 'babble'", "\n\nfault babble:0\n"},
            {pty, "t.sim:51: the event log holds at most 50 events",
             QStringLiteral("event 1 1 2026-01-01 00:00:00\n").repeated(51)},
        };
        for (const auto& [given, error, scenario] : rows) {
            QStringList arguments = given;
            QTemporaryDir dir;
            if (!scenario.isEmpty())
                arguments << QStringLiteral("--scenario") << WriteScenario(dir, scenario);
            SimulatedRelay relay;
            SimFaults faults;
            SimCommandLine line;
            const auto outcome = line.Parse(arguments, relay, faults);
            const QString context = arguments.join(u' ') + QStringLiteral(": ") + line.Error();
            QVERIFY2(outcome
                         == (error.isEmpty() ? SimCommandLine::Outcome::Serve
                                             : SimCommandLine::Outcome::UsageError),
                     qPrintable(context));
            QVERIFY2(line.Error().contains(error), qPrintable(context));
            QVERIFY2(line.Error().isEmpty() == error.isEmpty(), qPrintable(context));
        }
    }

    // The scenario is applied first, wherever it stands, so options override it.
    void ScenarioThenOptions()
    {
        QTemporaryDir dir;
        const QString scenario =
            WriteScenario(dir, QStringLiteral("# a training relay\nvolts 11000\ncurrent 500   # CT "
                                              "primary\ntype 2\nfirmware 2.1\n\n"
                                              "clock 2026-03-15 13:05:09\ntrip 3 1 7 121 1.1 "
                                              "0.2\nstatus 3 tripped latched\nstatus 6 9\n"
                                              "event 2 3 2026-03-14 08:00:05\nevent 1 5 2025-12-31 "
                                              "23:59:59\nmeasurement 70 49.5\n"
                                              "fault exception:6@1\n"));
        SimulatedRelay relay;
        SimFaults faults;
        SimCommandLine line;
        const QStringList arguments{
            "--scenario", scenario, "--port",       "/dev/ttyS1", "--settings", "19200,E,8,1",
            "--slave",    "7",      "--word-order", "1",          "--firmware", "2.44",
            "--fault",    "babble", "--fault",      "gap:6:49@3", "--fault",    "nan:i70",
            "--latch",    "4",      "--alarm",      "5",          "--ack",      "6",
            "--verbose"};
        QCOMPARE(line.Parse(arguments, relay, faults), SimCommandLine::Outcome::Serve);
        QCOMPARE(line.Front(), SimCommandLine::FrontEnd::SerialDevice);
        QCOMPARE(line.Device(), QStringLiteral("/dev/ttyS1"));
        QCOMPARE(int(line.Line().CharacterTime().count()), 573); // 11 bits with the parity bit
        QCOMPARE(line.SlaveID(), 7);
        QVERIFY(line.Verbose());
        QCOMPARE(relay.WordOrder(), 1);
        // The firmware option overrides the scenario.
        QCOMPARE((std::array{relay.SystemVolts(), relay.SystemCurrent(), relay.SystemType(),
                             relay.FirmwareVersion()}),
                 (std::array{11000.0f, 500.0f, 2.0f, 2.44f}));
        QCOMPARE(relay.ClockFields(), (std::array<int, 6>{26, 3, 15, 13, 5, 9}));
        QCOMPARE(relay.GetTripDefinition(3), (TripDefinition{1, 7, {121, 1.1f, 0.2f, 0, 0, 0}}));
        // Relay 3 tripped and latched, 4 latched, 5 in alarm, 6 tripped in an acknowledged alarm.
        QCOMPARE((std::array{relay.RelayStatus(3), relay.RelayStatus(4), relay.RelayStatus(5),
                             relay.RelayStatus(6)}),
                 (std::array{3, 2, 8, 13}));
        const std::vector<RelayEvent> events{
            {2, 3, QDateTime(QDate(2026, 3, 14), QTime(8, 0, 5))},
            {1, 5, QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59))}};
        QCOMPARE(relay.Events(), events);
        QCOMPARE(relay.Measurement(70), std::optional<float>(49.5f));
        QVERIFY(std::isnan(faults.RegisterValue(RegisterKind::Input, 70).value_or(0.0f)));
        // Exchanges 1 and 3 as scheduled; the persistent fault for every other.
        const SimFault babble = SimFault::Babble(SimFaults::DefaultBabbleGapMs);
        QList<SimFault> next;
        for (int exchange = 1; exchange <= 4; ++exchange)
            next.append(faults.TakeNext());
        QCOMPARE(next,
                 (QList<SimFault>{SimFault::Exception(6), babble, SimFault::Gap(6, 49), babble}));
        // A fault queued later takes the first exchange without one of its own.
        faults.ScheduleAt(7, SimFault::NoAnswer());
        faults.Queue(SimFault::Delay(5));
        next.clear();
        for (int exchange = 5; exchange <= 8; ++exchange)
            next.append(faults.TakeNext());
        QCOMPARE(next, (QList<SimFault>{SimFault::Delay(5), babble, SimFault::NoAnswer(), babble}));
    }

    void RandomShare()
    {
        // Percent, and the least and most faults in 10000 exchanges.
        const std::tuple<double, int, int> rows[] = {
            {0.0, 0, 0}, {0.5, 30, 70}, {5.0, 400, 600}, {100.0, Exchanges, Exchanges}};
        for (const auto& [percent, least, most] : rows) {
            RandomFaults random(percent, 42);
            const auto drawn = DrawAll(random);
            const int injected = int(std::count_if(drawn.cbegin(), drawn.cend(),
                                                   [](const auto& f) { return f.has_value(); }));
            QCOMPARE(random.Injected(), injected);
            QVERIFY2(injected >= least && injected <= most,
                     qPrintable(QStringLiteral("%1 %: %2").arg(percent).arg(injected)));
        }
    }

    void RandomOnlyFailuresEachKindAndRepeatable()
    {
        RandomFaults first(100.0, 7);
        RandomFaults again(100.0, 7);
        RandomFaults other(100.0, 8);
        const auto drawn = DrawAll(first);
        QVERIFY(DrawAll(again) == drawn);
        QVERIFY(DrawAll(other) != drawn);
        QSet<int> kinds;
        for (const auto& fault : drawn) {
            QVERIFY2(MasterCountsAsFailed(*fault), qPrintable(fault->ToString()));
            kinds << int(fault->Type);
        }
        QCOMPARE(kinds.size(), 4);
    }

    // Queued and scheduled faults come first; the random source fills in the
    // rest, with the exchange's number, and its log names each fault.
    void RandomSourceFillsIn()
    {
        QTemporaryDir dir;
        const QString logPath = dir.filePath(QStringLiteral("faults.log"));
        RandomFaults random(100.0, 3);
        QString error;
        QVERIFY(random.SetLog(logPath, error));
        SimFaults faults;
        faults.SetFaultSource([&random](int exchange) { return random.Draw(exchange); });
        faults.ScheduleAt(2, SimFault::Delay(5));
        QList<SimFault> taken;
        for (int i = 0; i < 3; ++i)
            taken << faults.TakeNext();
        QCOMPARE(taken[1], SimFault::Delay(5));
        QCOMPARE(random.Injected(), 2);

        QFile log(logPath);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(log.readAll()),
                 QStringLiteral("exchange 1: %1\nexchange 3: %2\n")
                     .arg(taken[0].ToString(), taken[2].ToString()));
    }
};

QTEST_GUILESS_MAIN(tst_SimCommandLine)
#include "tst_SimCommandLine.moc"
