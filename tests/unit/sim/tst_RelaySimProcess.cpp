// The real tzl-relay-sim on a pseudo-terminal, reached the way the
// configurator reaches a relay: QSerialPort through the kernel's tty layer
// and the Modbus master.
#include "ScriptedUserInterface.h"

#include "link/frmModbus.h"
#include "platform/QtSerialPort.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <unistd.h>

namespace {

QString SimulatorPath()
{
    QString dir = qEnvironmentVariable("TZL_BIN_DIR");
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath();
    return QDir(dir).filePath(QStringLiteral("tzl-relay-sim"));
}

// CPU time the process has used, in clock ticks (user + system).
qint64 CpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // Fields after the command name, which is in parentheses.
    const QList<QByteArray> f = stat.readAll().split(')').last().trimmed().split(' ');
    return f.size() > 12 ? f[11].toLongLong() + f[12].toLongLong() : -1;
}

// One running simulator and a master talking to it.
class Session
{
public:
    explicit Session(const QStringList& arguments)
    {
        m_Process.start(SimulatorPath(), QStringList{QStringLiteral("--pty")} + arguments);
        if (!m_Process.waitForStarted(5000))
            return;
        QElapsedTimer clock;
        clock.start();
        while (!m_Process.canReadLine() && m_Process.state() == QProcess::Running
               && clock.elapsed() < 5000)
            m_Process.waitForReadyRead(100);
        Device = QString::fromLocal8Bit(m_Process.readLine()).trimmed();
        Port.SetPortName(Device);
        Modbus.SetResponseTimeout(1000);
        Modbus.SetCharacterTimeout(20);
    }
    ~Session()
    {
        if (m_Process.state() != QProcess::NotRunning) {
            m_Process.kill();
            m_Process.waitForFinished(3000);
        }
    }
    QProcess& Process() { return m_Process; }
    // Sends SIGTERM and returns the exit code, -1 when it did not stop.
    int Stop()
    {
        m_Process.terminate();
        if (!m_Process.waitForFinished(5000) || m_Process.exitStatus() != QProcess::NormalExit)
            return -1;
        return m_Process.exitCode();
    }

    QString Device;
    QtSerialPort Port;
    ScriptedUserInterface UI;
    frmModbus Modbus{Port, UI};

private:
    QProcess m_Process;
};

struct Run
{
    int ExitCode = -1;
    QString Out;
    QString Err;
};

Run RunSimulator(const QStringList& arguments)
{
    QProcess p;
    p.start(SimulatorPath(), arguments);
    Run run;
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.ExitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.Out = QString::fromLocal8Bit(p.readAllStandardOutput());
    run.Err = QString::fromLocal8Bit(p.readAllStandardError());
    return run;
}

} // namespace

class tst_RelaySimProcess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ServesARelay();
    void WordOrderAndScheduledFault();
    void IdleWhileWaiting();
    void ExitCodes_data();
    void ExitCodes();
};

void tst_RelaySimProcess::ServesARelay()
{
    QTemporaryDir dir;
    const QString scenario = dir.filePath(QStringLiteral("relay.sim"));
    QFile file(scenario);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("volts 11000\ncurrent 500\ntype 2\n"
               "event 3 12 2026-03-14 08:00:05\nevent 1 4 2026-02-02 08:00:05\n");
    file.close();

    Session s({QStringLiteral("--scenario"), scenario, QStringLiteral("--latch"), QStringLiteral("3"),
               QStringLiteral("--slave"), QStringLiteral("9"), QStringLiteral("--verbose")});
    QVERIFY2(s.Device.startsWith(QStringLiteral("/dev/")), qPrintable(s.Device));
    std::vector<float> v;

    QVERIFY(s.Modbus.ReadHoldingRegisters(9, 6, 6, v));
    QCOMPARE(v, (std::vector<float>{11000.0f, 500.0f, 2.0f}));

    // Reset the latch of relay 3 as the configurator does.
    QVERIFY(s.Modbus.WriteHoldingRegisters(9, 58, 2, {3.0f}));
    QVERIFY(s.Modbus.ReadHoldingRegisters(9, 58, 8, v));
    QCOMPARE(v[0], 3.0f);
    QCOMPARE(v[3], 2.0f);
    QVERIFY(s.Modbus.WriteHoldingRegisters(9, 64, 2, {16.0f}));
    QVERIFY(s.Modbus.ReadHoldingRegisters(9, 64, 2, v));
    QCOMPARE(v, std::vector<float>{0.0f});

    QList<int> numbers;
    for (int i = 0; i < 3; ++i) {
        QVERIFY(s.Modbus.ReadInputRegisters(9, 798, 18, v));
        numbers.append(int(v[0]));
    }
    QCOMPARE(numbers, (QList<int>{3, 1, 0}));

    // 77 bytes paced at 9600 baud: 80 ms on the wire, plus the master's silence.
    QElapsedTimer clock;
    clock.start();
    QVERIFY(s.Modbus.ReadInputRegisters(9, 0, 36, v));
    QVERIFY2(clock.elapsed() >= 80, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(v[0] > 10000.0f && v[0] < 12000.0f);

    // Another slave's request goes unanswered.
    QVERIFY(!s.Modbus.ReadHoldingRegisters(1, 6, 2, v));
    QCOMPARE(s.UI.Messages().size(), 1);
    QCOMPARE(s.UI.Messages()[0].Text, QStringLiteral("Modbus Response Timeout"));

    QCOMPARE(s.Stop(), 0);
    const QString log = QString::fromLocal8Bit(s.Process().readAllStandardError());
    QVERIFY2(log.contains(QStringLiteral("RX 09 03 00 06 00 06")), qPrintable(log));
    QVERIFY(log.contains(QStringLiteral("TX 09 03 0C")));
    QVERIFY(log.contains(QStringLiteral("-- no answer")));
}

void tst_RelaySimProcess::WordOrderAndScheduledFault()
{
    Session s({QStringLiteral("--word-order"), QStringLiteral("1"), QStringLiteral("--fault"),
               QStringLiteral("exception:6@2"), QStringLiteral("--settings"),
               QStringLiteral("115200,N,8,1")});
    QVERIFY(!s.Device.isEmpty());
    QVERIFY(s.Port.SetSettings(QStringLiteral("115200,N,8,1")));
    s.Modbus.SetWordOrder(1);
    std::vector<float> v;
    QVERIFY(s.Modbus.WriteHoldingRegister(1, 6, 415.0f));
    QVERIFY(!s.Modbus.ReadHoldingRegisters(1, 6, 2, v));
    QCOMPARE(s.UI.Messages().last().Title, QStringLiteral("Modbus Exception 6"));
    QVERIFY(s.Modbus.ReadHoldingRegisters(1, 6, 2, v));
    QCOMPARE(v, std::vector<float>{415.0f});
    s.Modbus.SetWordOrder(0);
    QVERIFY(s.Modbus.ReadHoldingRegisters(1, 6, 2, v));
    QVERIFY(v[0] != 415.0f);
    QCOMPARE(s.Stop(), 0);
}

// Waiting for a request must not cost CPU time, with or without a master
// that has opened and closed the terminal.
void tst_RelaySimProcess::IdleWhileWaiting()
{
    Session s({});
    QVERIFY(!s.Device.isEmpty());
    std::vector<float> v;
    QVERIFY(s.Modbus.ReadHoldingRegisters(1, 10, 2, v)); // opened and closed again
    const qint64 before = CpuTicks(s.Process().processId());
    QVERIFY(before >= 0);
    QTest::qWait(1000);
    const qint64 used = CpuTicks(s.Process().processId()) - before;
    // A spinning loop would use about a second's worth of ticks.
    QVERIFY2(used <= sysconf(_SC_CLK_TCK) / 20, qPrintable(QString::number(used)));
    QCOMPARE(s.Stop(), 0);
}

void tst_RelaySimProcess::ExitCodes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // a part of standard output or error

    QTest::newRow("help") << QStringList{"--help"} << 0 << "--fault";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "tzl-relay-sim " TZL_VERSION;
    QTest::newRow("unknown option") << QStringList{"--pty", "--colour"} << 2 << "unknown option '--colour'";
    QTest::newRow("no line") << QStringList{} << 2 << "--pty or --port";
    QTest::newRow("device missing") << QStringList{"--port", "/dev/no-such-tty"} << 1 << "cannot open /dev/no-such-tty";
}

void tst_RelaySimProcess::ExitCodes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);

    const Run run = RunSimulator(arguments);
    QCOMPARE(run.ExitCode, exitCode);
    QVERIFY2((run.Out + run.Err).contains(output), qPrintable(run.Out + run.Err));
    if (exitCode == 0)
        QVERIFY(run.Err.isEmpty());
}

QTEST_GUILESS_MAIN(tst_RelaySimProcess)
#include "tst_RelaySimProcess.moc"
