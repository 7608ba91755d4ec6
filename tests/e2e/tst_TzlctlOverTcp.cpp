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

} // namespace

class tst_TzlctlOverTcp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A download with the connection kept open between transactions (--fast),
    // then the event log read and the relay watched with a connection per
    // transaction. The trip download's own checks are tst_TzlctlRelay's.
    void DownloadEventsAndWatch()
    {
        QTemporaryDir dir;
        const QString scenario = WriteTestFile(dir.path(), QStringLiteral("relay.sim"),
                                               "type 2\nevent 1 5 2026-03-13 17:42:00\n");
        const QString config =
            WriteTestFile(dir.path(), QStringLiteral("site.tcf"), ConfigFileText(2, 500, 11000));
        SimulatorProcess sim({"--scenario", scenario}, Line::Tcp);
        QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
        ToolRun run =
            RunTzlctl(PortOf(sim) + QStringList{"--fast", "download-config", config, "--yes"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        run = RunTzlctl(PortOf(sim) + QStringList{"read-holding", "6", "4"});
        QCOMPARE(run.Out.split(u'\n', Qt::SkipEmptyParts), (QStringList{"11000", "500"}));

        const QString events = dir.filePath(QStringLiteral("events.tef"));
        run = RunTzlctl(PortOf(sim) + QStringList{"events", "--save", events});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        QFile saved(events);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().contains("\"1 , 17:42:00"));

        const QString csv = dir.filePath(QStringLiteral("watch.csv"));
        run = RunTzlctl(PortOf(sim) + QStringList{"watch", "--csv", csv, "--duration", "2"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        QVERIFY2(run.Err.contains(QStringLiteral(" 0 failed")), qPrintable(run.Err));
    }

    // No line settings to try through a device server.
    void ScanFindsSlaveAndWordOrder()
    {
        SimulatorProcess sim({"--slave", "7", "--word-order", "1"}, Line::Tcp);
        QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
        const ToolRun run = RunTzlctl(PortOf(sim) + QStringList{"scan", "--slaves", "1-10"});
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
        ToolRun run = RunTzlctl(PortOf(sim) + QStringList{"read-holding", "6", "2"});
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Err.contains(sim.Device() + QStringLiteral(" closed the connection")),
                 qPrintable(run.Err));
        QString simLog;
        QTRY_VERIFY2((simLog += sim.StandardError()).contains(QStringLiteral("refused")),
                     qPrintable(simLog));
        QCOMPARE(first.state(), QAbstractSocket::ConnectedState);
        first.disconnectFromHost();
        run = RunTzlctl(PortOf(sim) + QStringList{"read-holding", "6", "2"});
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
