// tzlctl against the real simulator over a pseudo-terminal.

#include "SimulatorProcess.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

class tst_TzlctlLink : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ReadsAndWritesThroughTheTtyLayer();
    void WordOrderAndSlaveMustMatchTheRelay();
    void RelayFailuresExitWithOne();
    void InfoFailsOnAnotherItemsEcho();
    void SystemShowsWhatTheRelayHolds();
    void UsageErrorsExitWithTwo_data();
    void UsageErrorsExitWithTwo();
    void CommandHelpNeedsNoLine();
    void BenchReportsItsFigures();
};

void tst_TzlctlLink::ReadsAndWritesThroughTheTtyLayer()
{
    SimulatorProcess sim({QStringLiteral("--slave"), QStringLiteral("7")});
    QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
    const QStringList target{QStringLiteral("--port"), sim.Device(), QStringLiteral("--slave"),
                             QStringLiteral("7")};

    ToolRun run = RunTzlctl(target + QStringList{"write", "6", "11000", "1250.125"});
    QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    run = RunTzlctl(target + QStringList{"--stats", "read-holding", "6", "4"});
    QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    const QStringList lines = run.Out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("11000"));
    QCOMPARE(lines.value(1), QStringLiteral("1250.125"));
    QVERIFY(run.Out.contains(QStringLiteral("Characters Rx:     13")));
    QVERIFY(run.Out.contains(QStringLiteral("Responses Rx:      1")));
}

void tst_TzlctlLink::WordOrderAndSlaveMustMatchTheRelay()
{
    SimulatorProcess sim({QStringLiteral("--word-order"), QStringLiteral("1")});
    QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
    ToolRun run = RunTzlctl({"--port", sim.Device(), "--word-order", "1", "write", "6", "415"});
    QCOMPARE(run.ExitCode, 0);
    run = RunTzlctl({"--port", sim.Device(), "--word-order", "1", "read-holding", "6", "2"});
    QCOMPARE(run.Out.trimmed(), QStringLiteral("415"));
    run = RunTzlctl({"--port", sim.Device(), "--word-order", "0", "read-holding", "6", "2"});
    QCOMPARE(run.ExitCode, 0);
    QVERIFY(run.Out.trimmed() != QStringLiteral("415"));
}

void tst_TzlctlLink::RelayFailuresExitWithOne()
{
    SimulatorProcess sim;
    QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
    // Nobody answers to slave 9.
    ToolRun run = RunTzlctl(
        {"--port", sim.Device(), "--slave", "9", "--timeout", "200", "read-holding", "6", "2"});
    QCOMPARE(run.ExitCode, 1);
    QCOMPARE(run.Err.trimmed(), QStringLiteral("Comms Error: Modbus Response Timeout"));
    QVERIFY(run.Out.isEmpty());
    // Logged in the folder the environment names, with the request sent.
    QFile log(QDir(CommsLogFolder()).filePath(QStringLiteral("CommsErr.log")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray entries = log.readAll();
    QVERIFY2(entries.contains(" Modbus Response Timeout\r\nTX: 9 3 0 6 0 2 "), entries.constData());

    run = RunTzlctl({"--port", QStringLiteral("/dev/no-such-tty"), "read-holding", "6", "2"});
    QCOMPARE(run.ExitCode, 1);
    QVERIFY2(run.Err.contains(QStringLiteral("/dev/no-such-tty")), qPrintable(run.Err));
}

// A relay answering with the echo of another selector has not said what was
// asked: the zeros printed would be no answer at all.
void tst_TzlctlLink::InfoFailsOnAnotherItemsEcho()
{
    SimulatorProcess sim({"--fault", "value:h240=3"});
    QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
    const ToolRun run = RunTzlctl({"--port", sim.Device(), "info"});
    QCOMPARE(run.ExitCode, 1);
    QVERIFY2(run.Err.contains(QStringLiteral("word order")), qPrintable(run.Err));
    QVERIFY(run.Out.isEmpty());
}

// What the relay holds, even where an upload would correct it.
void tst_TzlctlLink::SystemShowsWhatTheRelayHolds()
{
    SimulatorProcess sim({"--volts", "0", "--current", "400", "--type", "4"});
    QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
    const ToolRun run = RunTzlctl({"--port", sim.Device(), "system"});
    QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    QCOMPARE(run.Out.split(u'\n', Qt::SkipEmptyParts),
             QStringList({"System type:      3 Phase 4 Wire System (4) - an upload takes it as 3",
                          "Primary VT value: 0 V - an upload takes it as 1 V",
                          "Primary CT value: 400 A"}));
}

void tst_TzlctlLink::UsageErrorsExitWithTwo_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no command") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"frobnicate"};
    QTest::newRow("missing count") << QStringList{"read-holding", "6"};
    QTest::newRow("odd count") << QStringList{"read-holding", "6", "3"};
    QTest::newRow("slave 0") << QStringList{"--slave", "0", "read-holding", "6", "2"};
    QTest::newRow("word order 2") << QStringList{"--word-order", "2", "read-holding", "6", "2"};
    QTest::newRow("bad settings") << QStringList{"--settings", "9600-N-8-1", "read-holding", "6",
                                                 "2"};
    QTest::newRow("bad value") << QStringList{"write", "6", "ten"};
    QTest::newRow("value nan") << QStringList{"write", "66", "nan"};
    // 62 values are 124 registers; a request writes at most 123.
    QTest::newRow("62 values") << (QStringList{"write", "6"} << QStringList(62, "1"));
    QTest::newRow("unknown option") << QStringList{"--colour", "read-holding", "6", "2"};
}

void tst_TzlctlLink::UsageErrorsExitWithTwo()
{
    QFETCH(QStringList, arguments);
    const ToolRun run = RunTzlctl(QStringList{"--port", "/dev/null"} + arguments);
    QCOMPARE(run.ExitCode, 2);
    QVERIFY(run.Err.startsWith(QStringLiteral("tzlctl")));
    QVERIFY(run.Out.isEmpty());
}

// A device that does not exist shows that the help is given before the
// line is touched.
void tst_TzlctlLink::CommandHelpNeedsNoLine()
{
    const ToolRun run = RunTzlctl({"--port", "/dev/no-such-device", "watch", "--help"});
    QCOMPARE(run.ExitCode, 0);
    QVERIFY2(run.Out.startsWith(
                 QStringLiteral("Usage: tzlctl [OPTIONS] watch [--duration S] [--csv FILE]\n")),
             qPrintable(run.Out));
    QVERIFY(run.Out.contains(QStringLiteral("Ctrl+C")));
    QVERIFY(run.Err.isEmpty());
}

void tst_TzlctlLink::BenchReportsItsFigures()
{
    SimulatorProcess sim({QStringLiteral("--settings"), QStringLiteral("115200,N,8,1")});
    QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
    const ToolRun run =
        RunTzlctl({"--port", sim.Device(), "--settings", "115200,N,8,1", "bench", "--count", "5"});
    QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    QVERIFY(run.Out.contains(QStringLiteral("transactions:        5")));
    // 21 characters at 115200 baud and the 50 ms silence.
    QVERIFY2(run.Out.contains(QStringLiteral("floor:               51.82 ms")),
             qPrintable(run.Out));
    // A transaction can be no faster than the line allows, nor, on a
    // pseudo-terminal, a great deal slower.
    const auto median = QRegularExpression(QStringLiteral("median: +([0-9.]+) ms")).match(run.Out);
    QVERIFY2(median.hasMatch(), qPrintable(run.Out));
    const double medianMs = median.captured(1).toDouble();
    QVERIFY2(medianMs >= 51.82 && medianMs < 51.82 + 250.0, qPrintable(run.Out));
}

QTEST_GUILESS_MAIN(tst_TzlctlLink)
#include "tst_TzlctlLink.moc"
