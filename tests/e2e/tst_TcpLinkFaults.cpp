// The link through a serial device server, against the real simulator over a
// real TCP connection: the network's own failures and the relay's faults as
// they come through it. Each is told with the address, counted and logged,
// the wait stays bounded and asleep, and the next read gets its own answer.

#include "ScriptedUserInterface.h"
#include "SimulatorProcess.h"

#include "link/cCommsErrorLog.h"
#include "link/frmModbus.h"
#include "platform/SerialOrTcpPort.h"
#include "platform/SystemClock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <sys/resource.h>

namespace {

constexpr int ResponseTimeoutMs = 300;
const QString Timeout = QStringLiteral("Modbus Response Timeout");

qint64 CpuTimeMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

} // namespace

class tst_TcpLinkFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void Fault_data()
    {
        QTest::addColumn<QString>("fault"); // the first exchange's; empty: no server at all
        QTest::addColumn<QString>("text");  // and title; ADDRESS is the server's
        QTest::addColumn<QString>("title");
        QTest::addColumn<QList<qint64>>("counts"); // Rx, responses, time-outs, CRC failures
        const QList<qint64> timedOut{0, 0, 1, 0};
        QTest::newRow("no answer") << "no-answer" << Timeout << "Comms Error" << timedOut;
        QTest::newRow("late answer") << "delay:400" << Timeout << "Comms Error" << timedOut;
        QTest::newRow("garbage") << "garbage-after:3"
                                 << "CRC Error in response"
                                 << "Modbus Error" << QList<qint64>{12, 1, 0, 1};
        QTest::newRow("short answer") << "short:4" << Timeout << "Comms Error" << timedOut;
        QTest::newRow("closed mid-answer") << "hang-up:4"
                                           << "ADDRESS closed the connection"
                                           << "Read ADDRESS" << QList<qint64>{4, 0, 1, 0};
        QTest::newRow("refused") << ""
                                 << "ADDRESS refused the connection"
                                 << "Connect ADDRESS" << timedOut;
    }

    void Fault()
    {
        QFETCH(QString, fault);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(QList<qint64>, counts);
        QTemporaryDir logFolder;
        qputenv("TZL_LOG_DIR", logFolder.path().toLocal8Bit());
        std::optional<SimulatorProcess> sim;
        QString address;
        if (fault.isEmpty()) {
            QTcpServer gone; // a loopback port nothing listens on any more
            gone.listen(QHostAddress::LocalHost);
            address = QStringLiteral("tcp://127.0.0.1:%1").arg(gone.serverPort());
        } else {
            sim.emplace(QStringList{"--volts", "11000", "--fault", fault + "@1"},
                        SimulatorProcess::Line::Tcp);
            address = sim->Device();
            QVERIFY2(!address.isEmpty(), qPrintable(sim->StandardError()));
        }
        SerialOrTcpPort port;
        ScriptedUserInterface ui;
        SystemClock clock;
        cCommsErrorLog log(cCommsErrorLog::DefaultFolder(), clock);
        log.StartCommsErrorLog();
        frmModbus modbus(port, ui);
        modbus.SetErrorLog(&log);
        modbus.SetDevice(address);
        modbus.SetResponseTimeout(ResponseTimeoutMs);

        std::vector<float> values;
        const qint64 cpuBefore = CpuTimeMs();
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(!modbus.ReadHoldingRegisters(1, 6, 2, values));
        const qint64 wallMs = elapsed.elapsed();
        const qint64 cpuMs = CpuTimeMs() - cpuBefore;
        QVERIFY2(wallMs <= ResponseTimeoutMs + 550, qPrintable(QString::number(wallMs)));
        // A wait that spins burns the whole of it on the processor.
        QVERIFY2(cpuMs * 4 <= wallMs + 40,
                 qPrintable(QStringLiteral("%1 ms of CPU in %2 ms").arg(cpuMs).arg(wallMs)));
        QVERIFY(!port.IsOpen());
        QCOMPARE(ui.Messages().size(), 1);
        QCOMPARE(ui.Messages()[0].Text, text.replace(QStringLiteral("ADDRESS"), address));
        QCOMPARE(ui.Messages()[0].Title, title.replace(QStringLiteral("ADDRESS"), address));
        const cCommsStatistics& s = modbus.Statistics();
        QCOMPARE((QList<qint64>{s.CharactersRx(), s.Responses(), s.Timeouts(), s.CRCFailures()}),
                 counts);
        QFile file(QDir(log.Folder()).filePath(cCommsErrorLog::CurrentName));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList entry =
            QString::fromLocal8Bit(file.readAll()).split(QStringLiteral("\r\n")).mid(1, 3);
        QVERIFY2(entry[0].endsWith(u' ' + (counts[3] > 0 ? QStringLiteral("CRC Failure") : text)),
                 qPrintable(entry[0]));
        QCOMPARE(entry[1], QStringLiteral("TX: 1 3 0 6 0 2 24 A"));
        // What came of a cut answer is logged; nothing at all is logged as 0.
        QCOMPARE(entry[2].count(u' '), std::max<qint64>(counts[0], 1));

        // A relay that hung up is gone, like a server never there: another
        // comes up in its place. A late answer goes to a connection now closed.
        if (!sim || fault.startsWith(QStringLiteral("hang-up"))) {
            sim.emplace(QStringList{"--volts", "11000"}, SimulatorProcess::Line::Tcp);
            modbus.SetDevice(sim->Device());
        }
        QTest::qWait(fault.startsWith(QStringLiteral("delay")) ? 250 : 0);
        ui.ClearMessages();
        QVERIFY(modbus.ReadHoldingRegisters(1, 6, 2, values));
        QCOMPARE(values, std::vector<float>{11000.0f});
        QVERIFY(ui.Messages().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_TcpLinkFaults)
#include "tst_TcpLinkFaults.moc"
