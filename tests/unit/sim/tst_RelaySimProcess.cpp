// The real tzl-relay-sim on a pseudo-terminal, reached through QSerialPort and
// the Modbus master as the configurator reaches a relay; and its exit codes.
#include "ScriptedUserInterface.h"

#include "link/frmModbus.h"
#include "platform/QtSerialPort.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <unistd.h>

namespace {

QString SimulatorPath()
{
    const QString dir = qEnvironmentVariable("TZL_BIN_DIR", QCoreApplication::applicationDirPath());
    return QDir(dir).filePath(QStringLiteral("tzl-relay-sim"));
}

// CPU time the process has used, in clock ticks (user + system).
qint64 CpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // The fields after the command name, which is in parentheses.
    const QList<QByteArray> f = stat.readAll().split(')').last().trimmed().split(' ');
    return f.size() > 12 ? f[11].toLongLong() + f[12].toLongLong() : -1;
}

} // namespace

class tst_RelaySimProcess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ServesARelayOnAPty()
    {
        QProcess sim;
        sim.start(SimulatorPath(), {"--pty", "--volts", "11000", "--current", "500", "--type", "2",
                                    "--slave", "9", "--word-order", "1", "--verbose"});
        // The device path is the first line of output.
        while (!sim.canReadLine() && sim.waitForReadyRead(5000)) {
        }
        const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY2(device.startsWith(QStringLiteral("/dev/")), qPrintable(device));

        QtSerialPort port;
        port.SetPortName(device);
        ScriptedUserInterface ui;
        frmModbus modbus(port, ui);
        modbus.SetResponseTimeout(1000);
        modbus.SetCharacterTimeout(20);
        modbus.SetWordOrder(1);
        std::vector<float> v;
        QVERIFY(modbus.ReadHoldingRegisters(9, 6, 6, v));
        QCOMPARE(v, (std::vector<float>{11000.0f, 500.0f, 2.0f}));
        QVERIFY(modbus.WriteHoldingRegisters(9, 58, 2, {3.0f})); // a write goes through the tty too
        // 77 bytes paced at 9600 baud: 80 ms on the wire, plus the master's silence.
        QElapsedTimer clock;
        clock.start();
        QVERIFY(modbus.ReadInputRegisters(9, 0, 36, v));
        QVERIFY2(clock.elapsed() >= 80 && clock.elapsed() < 1000,
                 qPrintable(QString::number(clock.elapsed())));
        QVERIFY(v[0] > 10000.0f && v[0] < 12000.0f);
        QVERIFY(ui.Messages().isEmpty());

        // Waiting for a request, with the terminal closed by the master, costs no CPU time.
        const qint64 before = CpuTicks(sim.processId());
        QTest::qWait(1000);
        const qint64 used = CpuTicks(sim.processId()) - before;
        QVERIFY(before >= 0);
        QVERIFY2(used <= sysconf(_SC_CLK_TCK) / 20, qPrintable(QString::number(used)));

        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
        const QString log = QString::fromLocal8Bit(sim.readAllStandardError());
        QVERIFY2(log.contains(QStringLiteral("RX 09 03 00 06 00 06")), qPrintable(log));
        QVERIFY(log.contains(QStringLiteral("TX 09 03 0C")));
    }

    void ExitCodes()
    {
        // Arguments, exit code and a part of standard output or error.
        const std::tuple<QStringList, int, QString> rows[] = {
            {{"--help"}, 0, "--fault"},
            {{"--version"}, 0, "tzl-relay-sim " TZL_VERSION},
            {{"--pty", "--colour"}, 2, "unknown option '--colour'"},
            {{"--port", "/dev/no-such-tty"}, 1, "cannot open /dev/no-such-tty"},
        };
        for (const auto& [arguments, exitCode, output] : rows) {
            QProcess sim;
            sim.start(SimulatorPath(), arguments);
            QVERIFY(sim.waitForFinished(10000));
            QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
            const QString out =
                QString::fromLocal8Bit(sim.readAllStandardOutput() + sim.readAllStandardError());
            QVERIFY2(sim.exitCode() == exitCode && out.contains(output),
                     qPrintable(QString::number(sim.exitCode()) + u' ' + out));
        }
    }
};

QTEST_GUILESS_MAIN(tst_RelaySimProcess)
#include "tst_RelaySimProcess.moc"
