// The simulator's command line and scenario files: what they set up in the
// relay, and that mistakes are refused with a reason.
#include "ScenarioFile.h"
#include "SimCommandLine.h"
#include "SimFaults.h"
#include "SimulatedRelay.h"

#include <QTemporaryDir>
#include <QTest>

class tst_SimCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void Outcomes_data();
    void Outcomes();
    void OptionsSetUpTheRelay();
    void OptionsOverrideTheScenario();
    void Scenario();
    void ScenarioErrors_data();
    void ScenarioErrors();
};

void tst_SimCommandLine::Outcomes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("error"); // a part of it

    using O = SimCommandLine::Outcome;
    QTest::newRow("pty") << QStringList{"--pty"} << int(O::Serve) << "";
    QTest::newRow("port") << QStringList{"--port", "/dev/ttyUSB0"} << int(O::Serve) << "";
    QTest::newRow("unknown option before help") << QStringList{"--bogus", "--help"} << int(O::UsageError) << "unknown option";
    QTest::newRow("version") << QStringList{"--version"} << int(O::ShowVersion) << "";
    QTest::newRow("neither line") << QStringList{"--slave", "3"} << int(O::UsageError) << "--pty or --port";
    QTest::newRow("both lines") << QStringList{"--pty", "--port", "/dev/x"} << int(O::UsageError) << "--pty or --port";
    QTest::newRow("missing value") << QStringList{"--pty", "--slave"} << int(O::UsageError) << "needs a value";
    QTest::newRow("slave 247") << QStringList{"--pty", "--slave", "247"} << int(O::Serve) << "";
    QTest::newRow("slave 248") << QStringList{"--pty", "--slave", "248"} << int(O::UsageError) << "1 to 247";
    QTest::newRow("word order 2") << QStringList{"--pty", "--word-order", "2"} << int(O::UsageError) << "0 or 1";
    QTest::newRow("bad fault") << QStringList{"--pty", "--fault", "short:9"} << int(O::UsageError) << "short";
    QTest::newRow("relay 17") << QStringList{"--pty", "--trip", "3,17"} << int(O::UsageError) << "1 to 16";
    QTest::newRow("missing scenario") << QStringList{"--pty", "--scenario", "/nonexistent/x.sim"} << int(O::UsageError) << "cannot read";
}

void tst_SimCommandLine::Outcomes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, outcome);
    QFETCH(QString, error);

    SimulatedRelay relay;
    SimFaults faults;
    SimCommandLine line;
    QCOMPARE(int(line.Parse(arguments, relay, faults)), outcome);
    QVERIFY2(line.Error().contains(error), qPrintable(line.Error()));
    QCOMPARE(line.Error().isEmpty(), error.isEmpty());
}

void tst_SimCommandLine::OptionsSetUpTheRelay()
{
    SimulatedRelay relay;
    SimFaults faults;
    SimCommandLine line;
    const QStringList arguments{"--port", "/dev/ttyS1", "--settings", "19200,E,8,1", "--slave", "7",
                                "--word-order", "1", "--fault", "delay:200", "--fault", "bad-crc@2",
                                "--fault", "nan:i70", "--firmware", "2.44", "--psc-number", "5021",
                                "--psc-issue", "3", "--volts", "11000", "--current", "400", "--type",
                                "2", "--trip", "3,4", "--latch", "3", "--alarm", "5", "--ack", "6",
                                "--verbose"};
    QCOMPARE(line.Parse(arguments, relay, faults), SimCommandLine::Outcome::Serve);
    QCOMPARE(line.Front(), SimCommandLine::FrontEnd::SerialDevice);
    QCOMPARE(line.Device(), QStringLiteral("/dev/ttyS1"));
    QCOMPARE(line.Line().BaudRate, 19200);
    QCOMPARE(line.Line().Parity, u'E');
    QCOMPARE(line.SlaveID(), 7);
    QVERIFY(line.Verbose());
    QCOMPARE(relay.WordOrder(), 1);
    QCOMPARE(faults.Persistent(), SimFault::Delay(200));
    QCOMPARE(faults.QueuedCount(), 2);
    QVERIFY(faults.RegisterValue(RegisterKind::Input, 70));
    QCOMPARE(relay.FirmwareVersion(), 2.44f);
    QCOMPARE(relay.PSCNumber(), 5021.0f);
    QCOMPARE(relay.PSCIssue(), 3.0f);
    QCOMPARE(relay.SystemVolts(), 11000.0f);
    QCOMPARE(relay.SystemCurrent(), 400.0f);
    QCOMPARE(relay.SystemType(), 2.0f);
    QCOMPARE(relay.RelayStatus(3), SimulatedRelay::StatusTripped | SimulatedRelay::StatusLatched);
    QCOMPARE(relay.RelayStatus(4), SimulatedRelay::StatusTripped);
    QCOMPARE(relay.RelayStatus(5), SimulatedRelay::StatusInAlarm);
    QCOMPARE(relay.RelayStatus(6), SimulatedRelay::StatusInAlarm | SimulatedRelay::StatusAcknowledged);
    QCOMPARE(relay.RelayStatus(7), 0);
}

void tst_SimCommandLine::OptionsOverrideTheScenario()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("training.sim"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("volts 415\nfirmware 2.1\n");
    file.close();

    SimulatedRelay relay;
    SimFaults faults;
    SimCommandLine line;
    // The scenario comes after the option on the command line, yet the option wins.
    QCOMPARE(line.Parse({"--pty", "--firmware", "2.5", "--scenario", path}, relay, faults),
             SimCommandLine::Outcome::Serve);
    QCOMPARE(relay.FirmwareVersion(), 2.5f);
    QCOMPARE(relay.SystemVolts(), 415.0f);
}

void tst_SimCommandLine::Scenario()
{
    const QString text = QStringLiteral(
        "# a training relay\n"
        "volts 11000\n"
        "current 500   # CT primary\n"
        "type 2\n"
        "psc-issue 4\n"
        "clock 2026-03-15 13:05:09\n"
        "\n"
        "trip 3 1 7 121 1.1 0.2\n"
        "trip 16 27 0\n"
        "status 3 tripped latched\n"
        "status 5 alarm acknowledged\n"
        "status 6 9\n"
        "event 2 3 2026-03-14 08:00:05\n"
        "event 1 5 2025-12-31 23:59:59\n"
        "measurement 70 49.5\n"
        "fault exception:6@1\n");
    SimulatedRelay relay;
    SimFaults faults;
    QString error;
    QVERIFY2(ScenarioFile::Apply(text, QStringLiteral("t.sim"), relay, faults, error), qPrintable(error));
    QCOMPARE(relay.SystemVolts(), 11000.0f);
    QCOMPARE(relay.SystemCurrent(), 500.0f);
    QCOMPARE(relay.SystemType(), 2.0f);
    QCOMPARE(relay.PSCIssue(), 4.0f);
    QCOMPARE(relay.ClockFields(), (std::array<int, 6>{26, 3, 15, 13, 5, 9}));
    TripDefinition three;
    three.FunctionCode = 1;
    three.Flags = 7;
    three.Parameters = {121.0f, 1.1f, 0.2f, 0, 0, 0};
    QCOMPARE(relay.GetTripDefinition(3), three);
    QCOMPARE(relay.GetTripDefinition(16).FunctionCode, 27);
    QCOMPARE(relay.RelayStatus(3), 3);
    QCOMPARE(relay.RelayStatus(5), 12);
    QCOMPARE(relay.RelayStatus(6), 9);
    QCOMPARE(int(relay.Events().size()), 2);
    QCOMPARE(relay.Events()[0], (RelayEvent{2, 3, QDateTime(QDate(2026, 3, 14), QTime(8, 0, 5))}));
    QCOMPARE(relay.Events()[1].Number, 1);
    QCOMPARE(relay.Measurement(70), std::optional<float>(49.5f));
    QCOMPARE(faults.TakeNext(), SimFault::Exception(6));
}

void tst_SimCommandLine::ScenarioErrors_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");

    QTest::newRow("unknown statement") << "volts 1\nvoltage 2\n" << "t.sim:2: unknown statement 'voltage'";
    QTest::newRow("volts without value") << "volts\n" << "t.sim:1: 'volts' needs one number";
    QTest::newRow("trip relay 0") << "trip 0 1 0\n" << "t.sim:1: 'trip' needs relay 1-16";
    QTest::newRow("trip bad parameter") << "trip 1 1 0 x\n" << "t.sim:1: bad parameter 'x'";
    QTest::newRow("status word") << "status 2 broken\n" << "t.sim:1: 'status' needs relay";
    QTest::newRow("event date") << "event 1 2 2026-02-30 10:00:00\n" << "t.sim:1: bad event date or time";
    QTest::newRow("bad fault") << "\n\nfault babble:0\n" << "t.sim:3: bad value '0' for fault 'babble'";
    QTest::newRow("51 events") << [] {
        QString t;
        for (int n = 1; n <= 51; ++n)
            t += QStringLiteral("event %1 1 2026-01-01 00:00:00\n").arg(n);
        return t;
    }() << "t.sim:51: the event log holds at most 50 events";
}

void tst_SimCommandLine::ScenarioErrors()
{
    QFETCH(QString, text);
    QFETCH(QString, error);

    SimulatedRelay relay;
    SimFaults faults;
    QString got;
    QVERIFY(!ScenarioFile::Apply(text, QStringLiteral("t.sim"), relay, faults, got));
    QVERIFY2(got.startsWith(error), qPrintable(got));
}

QTEST_GUILESS_MAIN(tst_SimCommandLine)
#include "tst_SimCommandLine.moc"
