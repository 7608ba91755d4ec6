// tzlctl through a serial device server: the real simulator on a TCP port of
// the loopback address, the same commands as on a serial line.

#include "SimulatorProcess.h"

#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

using Line = SimulatorProcess::Line;

QStringList Target(const SimulatorProcess& sim)
{
    return {QStringLiteral("--port"), sim.Device()};
}

} // namespace

class tst_TzlctlOverTcp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Upload from one relay, download with verify to another, read its event
    // log and watch it: connection per transaction by default, kept open
    // between transactions with --fast.
    void ConfigurationEventsAndWatch()
    {
        QTemporaryDir dir;
        const QString scenario = dir.filePath(QStringLiteral("relay.sim"));
        QFile scenarioFile(scenario);
        QVERIFY(scenarioFile.open(QIODevice::WriteOnly));
        scenarioFile.write("volts 11000\ncurrent 500\ntype 2\nfirmware 2.5\n"
                           "trip 3 5 7 121 1.1 0.2\nevent 1 5 2026-03-13 17:42:00\n");
        scenarioFile.close();
        const QString config = dir.filePath(QStringLiteral("site.tcf"));
        {
            SimulatorProcess source({QStringLiteral("--scenario"), scenario}, Line::Tcp);
            QVERIFY2(!source.Device().isEmpty(), qPrintable(source.StandardError()));
            const ToolRun run = RunTzlctl(Target(source) + QStringList{"upload-config", config});
            QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        }
        SimulatorProcess target({"--type", "2", "--firmware", "2.5", "--scenario", scenario},
                                Line::Tcp);
        QVERIFY2(!target.Device().isEmpty(), qPrintable(target.StandardError()));
        ToolRun run = RunTzlctl(
            Target(target) + QStringList{"--fast", "download-config", config, "--yes", "--verify"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));

        const QString events = dir.filePath(QStringLiteral("events.tef"));
        run = RunTzlctl(Target(target) + QStringList{"events", "--save", events});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        QFile saved(events);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().contains("\"1 , 17:42:00"));

        const QString csv = dir.filePath(QStringLiteral("watch.csv"));
        run = RunTzlctl(Target(target) + QStringList{"watch", "--csv", csv, "--duration", "2"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        QVERIFY2(run.Err.contains(QStringLiteral(" 0 failed")), qPrintable(run.Err));
    }

    // No line settings to try through a device server.
    void ScanFindsSlaveAndWordOrder()
    {
        SimulatorProcess sim({"--slave", "7", "--word-order", "1"}, Line::Tcp);
        QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
        const ToolRun run = RunTzlctl(Target(sim) + QStringList{"scan", "--slaves", "1-10"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err + run.Out));
        QVERIFY2(run.Out.contains(QStringLiteral("Found a TZL at slave 7, word order 1")),
                 qPrintable(run.Out));
        QVERIFY2(run.Out.contains(QStringLiteral("Options: --slave 7 --word-order 1\n")),
                 qPrintable(run.Out));
        QVERIFY2(run.Out.contains(QStringLiteral(": 10 combinations")), qPrintable(run.Out));
    }

    // A device server's serial port is one line: a second client is turned
    // away and told so, and the first one is not disturbed.
    void SecondClientIsRefused()
    {
        SimulatorProcess sim({}, Line::Tcp);
        QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
        const QUrl url(sim.Device());
        QTcpSocket first;
        first.connectToHost(url.host(), quint16(url.port()));
        QVERIFY(first.waitForConnected(5000));
        ToolRun run = RunTzlctl(Target(sim) + QStringList{"read-holding", "6", "2"});
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Err.contains(sim.Device() + QStringLiteral(" closed the connection")),
                 qPrintable(run.Err));
        QString simLog;
        QTRY_VERIFY2((simLog += sim.StandardError()).contains(QStringLiteral("refused")),
                     qPrintable(simLog));
        QCOMPARE(first.state(), QAbstractSocket::ConnectedState);
        first.disconnectFromHost();
        run = RunTzlctl(Target(sim) + QStringList{"read-holding", "6", "2"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    }

    void MalformedAddressIsAUsageError_data()
    {
        QTest::addColumn<QStringList>("target"); // empty: $TZL_PORT
        QTest::addColumn<QString>("error");
        QTest::newRow("--port") << QStringList{"--port", "tcp://:x"}
                                << "--port \"tcp://:x\" is not a network address: the host is "
                                   "missing";
        QTest::newRow("$TZL_PORT") << QStringList()
                                   << "$TZL_PORT \"tcp://relay:65536\" is not a "
                                      "network address: the port must be a "
                                      "number from 1 to 65535";
    }

    void MalformedAddressIsAUsageError()
    {
        QFETCH(QStringList, target);
        qputenv("TZL_PORT", "tcp://relay:65536");
        const ToolRun run = RunTzlctl(target + QStringList{"read-holding", "6", "2"});
        qunsetenv("TZL_PORT");
        QCOMPARE(run.ExitCode, 2);
        QFETCH(QString, error);
        QVERIFY2(run.Err.startsWith(QStringLiteral("tzlctl read-holding: ") + error + " (write"),
                 qPrintable(run.Err));
    }
};

QTEST_GUILESS_MAIN(tst_TzlctlOverTcp)
#include "tst_TzlctlOverTcp.moc"
