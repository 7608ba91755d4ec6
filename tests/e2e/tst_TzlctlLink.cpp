// tzlctl against the real simulator over a pseudo-terminal.

#include "SimulatorProcess.h"

#include <QTest>

class tst_TzlctlLink : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ReadsAndWritesThroughTheTtyLayer();
    void WordOrderAndSlaveMustMatchTheRelay();
    void RelayFailuresExitWithOne();
    void UsageErrorsExitWithTwo_data();
    void UsageErrorsExitWithTwo();
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

    run = RunTzlctl({"--port", QStringLiteral("/dev/no-such-tty"), "read-holding", "6", "2"});
    QCOMPARE(run.ExitCode, 1);
    QVERIFY2(run.Err.contains(QStringLiteral("/dev/no-such-tty")), qPrintable(run.Err));
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

void tst_TzlctlLink::BenchReportsItsFigures()
{
    SimulatorProcess sim({QStringLiteral("--settings"), QStringLiteral("115200,N,8,1")});
    QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
    const ToolRun run =
        RunTzlctl({"--port", sim.Device(), "--settings", "115200,N,8,1", "bench", "--count", "5"});
    QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    QVERIFY(run.Out.contains(QStringLiteral("transactions:        5")));
    QVERIFY(run.Out.contains(QStringLiteral("median / floor:")));
    // 21 characters at 115200 baud and the 50 ms silence.
    QVERIFY2(run.Out.contains(QStringLiteral("floor:               51.82 ms")),
             qPrintable(run.Out));
}

QTEST_GUILESS_MAIN(tst_TzlctlLink)
#include "tst_TzlctlLink.moc"
