// The link against the real simulator, through the kernel's tty layer and
// through a serial device server over a real TCP connection, for the faults
// whose outcome depends on real timing or on the line itself (silences either
// side of 50 ms, noise around a frame, a late answer, a line that never falls
// silent, a device or server that goes away, a server that refuses): what the
// user is told, what is counted and logged, that the wait stays bounded and
// asleep, and that the next ordinary read gets its own answer. The relay's
// other faults are in the link's own fault table (tst_frmModbus::FaultTable).

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

using Line = SimulatorProcess::Line;

constexpr int ResponseTimeoutMs = 300;
constexpr int SilenceMs = frmModbus::DefaultCharacterTimeoutMs;
// Room for a loaded machine to be late waking up; no fault needs it.
constexpr int MarginMs = 500;
constexpr int UsualBoundMs = ResponseTimeoutMs + SilenceMs + MarginMs;
// The relay holds these, so an answer to one read taken for the other shows.
constexpr float Volts = 11000.0f; // holding registers 6 and 7
constexpr float Current = 500.0f; // holding registers 8 and 9
const QString Timeout = QStringLiteral("Modbus Response Timeout");
const QString CrcError = QStringLiteral("CRC Error in response");

// What happens between the faulty exchange and the next one.
enum class Then {
    NextAtOnce,
    NextAfterLateAnswer, // the late answer has reached the line before the next request
    NextOnNewDevice,     // the simulator is gone; another one serves a new device
    // The noise stops only when the relay hears the next request: a byte of
    // it already on its way may spoil that one answer, never the one after.
    NextOnceNoiseStops,
};

// Characters received, responses, time-outs, CRC failures, exceptions; the
// bytes of a line that never falls silent vary, so -1 stands for "as many as
// were received", the answer and the noise behind it; and those of a relay
// that goes away in mid-answer, -2 for "the part of the answer that came".
using Counts = QList<qint64>;
constexpr qint64 AsReceived = -1;
constexpr qint64 PartReceived = -2;

// One row: the fault is the first exchange's (empty: no server listens);
// DEVICE in the texts stands for the device or address; an empty text is a
// read that succeeds.
struct Case
{
    Line Transport;
    QString Fault;
    QString Text;
    QString Title;
    QString LogEntry;
    Counts Counted;
    int BoundMs = UsualBoundMs;
    Then Next = Then::NextAtOnce;
    int Tries = 1;
};

qint64 CpuTimeMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

QString HexLine(const QString& label, const QByteArray& bytes)
{
    QString line = label;
    for (const char byte : bytes)
        line += u' ' + QString::number(std::uint8_t(byte), 16).toUpper();
    return line;
}

// The master as the configurator builds it, on the port it uses.
struct Master
{
    explicit Master(const QString& device)
        : Log(cCommsErrorLog::DefaultFolder(), Clock)
        , Modbus(Port, UI)
    {
        Log.StartCommsErrorLog();
        Modbus.SetErrorLog(&Log);
        Modbus.SetDevice(device);
        Modbus.SetResponseTimeout(ResponseTimeoutMs);
    }

    QStringList LogLines() const
    {
        QFile file(QDir(Log.Folder()).filePath(cCommsErrorLog::CurrentName));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLocal8Bit(file.readAll())
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    Counts Counted()
    {
        const cCommsStatistics& s = Modbus.Statistics();
        return {s.CharactersRx(), s.Responses(), s.Timeouts(), s.CRCFailures(), s.Exceptions()};
    }

    SerialOrTcpPort Port;
    ScriptedUserInterface UI;
    SystemClock Clock;
    cCommsErrorLog Log;
    frmModbus Modbus;
};

} // namespace

Q_DECLARE_METATYPE(Case)

class tst_FaultMatrix : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_LogFolder.isValid());
        qputenv("TZL_LOG_DIR", m_LogFolder.path().toLocal8Bit());
    }

    void Fault_data()
    {
        QTest::addColumn<Case>("row");
        const auto row = [](const char* name, Line line, const char* fault, const QString& text,
                            const char* title, const QString& logEntry, Counts counts,
                            Then then = Then::NextAtOnce, int boundMs = UsualBoundMs,
                            int tries = 1) {
            QTest::newRow(name) << Case{line,   fault,   text, title, logEntry,
                                        counts, boundMs, then, tries};
        };
        const Counts timedOut{0, 0, 1, 0, 0};
        const QString crc = QStringLiteral("CRC Failure");
        row("garbage after", Line::Pty, "garbage-after:3", CrcError, "Modbus Error", crc,
            {12, 1, 0, 1, 0});
        row("garbage before", Line::Pty, "garbage-before:3", CrcError, "Modbus Error", crc,
            {12, 1, 0, 1, 0});
        row("late answer", Line::Pty, "delay:400", Timeout, "Comms Error", Timeout, timedOut,
            Then::NextAfterLateAnswer);
        // The silence inside the answer falls after its sixth byte. A gap 1 ms
        // either side of the 50 ms that ends an answer is decided by when each
        // process is woken, and a loaded machine now and then wakes one over 1 ms
        // late. The verdict must come out right in one of three tries; a silence
        // rule that is off by more than the jitter fails all of them.
        row("gap 49 ms", Line::Pty, "gap:6:49", {}, "", {}, {9, 1, 0, 0, 0}, Then::NextAtOnce,
            UsualBoundMs, 3);
        // The rest of the answer follows the silence; the next request waits
        // for it to pass, as the late answer's does.
        row("gap 51 ms", Line::Pty, "gap:6:51", CrcError, "Modbus Error", crc, {6, 1, 0, 1, 0},
            Then::NextAfterLateAnswer, UsualBoundMs, 3);
        row("never silent", Line::Pty, "babble", Timeout, "Comms Error", Timeout,
            {AsReceived, 0, 1, 0, 0}, Then::NextOnceNoiseStops,
            frmModbus::TotalWaitInResponseTimeouts * ResponseTimeoutMs + MarginMs);
        // The port's own failure: no answer, counted and logged as a time-out is,
        // under the port's description, with what came of the answer.
        const QString gone =
            QStringLiteral("DEVICE went away during the transaction - was the adapter unplugged?");
        row("device gone mid-answer", Line::Pty, "hang-up:4", gone, "Read DEVICE", gone,
            {PartReceived, 0, 1, 0, 0}, Then::NextOnNewDevice);
        // Through a device server the late answer goes to a connection now
        // closed; a server that hangs up or was never there is replaced.
        row("tcp late answer", Line::Tcp, "delay:400", Timeout, "Comms Error", Timeout, timedOut,
            Then::NextAfterLateAnswer);
        const QString closed = QStringLiteral("DEVICE closed the connection");
        row("tcp closed mid-answer", Line::Tcp, "hang-up:4", closed, "Read DEVICE", closed,
            {4, 0, 1, 0, 0}, Then::NextOnNewDevice);
        const QString refused = QStringLiteral("DEVICE refused the connection");
        row("tcp refused", Line::Tcp, "", refused, "Connect DEVICE", refused, timedOut,
            Then::NextOnNewDevice);
    }

    void Fault()
    {
        QFETCH(Case, row);
        const QStringList relay{"--volts", QString::number(Volts), "--current",
                                QString::number(Current)};
        std::optional<SimulatorProcess> sim;
        std::optional<Master> fresh;
        QString device;
        std::vector<float> values;
        bool read = false;
        qint64 wallMs = 0;
        qint64 cpuMs = 0;
        for (int attempt = 1; attempt <= row.Tries; ++attempt) {
            fresh.reset();
            sim.reset();
            if (row.Fault.isEmpty()) {
                QTcpServer closed; // a loopback port nothing listens on any more
                closed.listen(QHostAddress::LocalHost);
                device = QStringLiteral("tcp://127.0.0.1:%1").arg(closed.serverPort());
            } else {
                sim.emplace(relay + QStringList{"--fault", row.Fault + QStringLiteral("@1")},
                            row.Transport);
                device = sim->Device();
            }
            fresh.emplace(device);
            values = {-1.0f};
            const qint64 cpuBefore = CpuTimeMs();
            QElapsedTimer elapsed;
            elapsed.start();
            read = fresh->Modbus.ReadHoldingRegisters(1, 6, 2, values);
            wallMs = elapsed.elapsed();
            cpuMs = CpuTimeMs() - cpuBefore;
            if (read == row.Text.isEmpty())
                break;
        }
        Master& master = *fresh;

        QCOMPARE(read, row.Text.isEmpty());
        QCOMPARE(values, std::vector<float>{read ? Volts : -1.0f});
        QVERIFY2(wallMs <= row.BoundMs, qPrintable(QStringLiteral("took %1 ms").arg(wallMs)));
        // A wait that spins burns the whole of it on the processor.
        QVERIFY2(cpuMs * 4 <= wallMs + 40,
                 qPrintable(QStringLiteral("%1 ms of processor in %2 ms").arg(cpuMs).arg(wallMs)));
        QVERIFY(!master.Port.IsOpen());

        const auto& messages = master.UI.Messages();
        QCOMPARE(messages.size(), row.Text.isEmpty() ? 0 : 1);
        if (!row.Text.isEmpty()) {
            QCOMPARE(messages[0].Text, row.Text.replace(QStringLiteral("DEVICE"), device));
            QCOMPARE(messages[0].Title, row.Title.replace(QStringLiteral("DEVICE"), device));
        }
        const QByteArray received = master.Modbus.LastResponse();
        Counts counts = row.Counted;
        if (counts[0] == AsReceived) {
            // The noise follows the answer, which is kept for the engineer to see.
            QVERIFY2(received.size() > 9 && received.startsWith(QByteArray::fromHex("010304")),
                     received.toHex(' ').constData());
            counts[0] = received.size();
        }
        if (counts[0] == PartReceived) {
            QVERIFY2(!received.isEmpty()
                         && QByteArray::fromHex("010304462BE000").startsWith(received),
                     received.toHex(' ').constData());
            counts[0] = received.size();
        }
        QCOMPARE(master.Counted(), counts);
        QCOMPARE(master.Modbus.Statistics().Requests(), 1);

        const QStringList log = master.LogLines();
        QCOMPARE(log.size(), row.LogEntry.isEmpty() ? 1 : 4);
        if (!row.LogEntry.isEmpty()) {
            QVERIFY2(log[1].endsWith(u' ' + row.LogEntry.replace(QStringLiteral("DEVICE"), device)),
                     qPrintable(log[1]));
            QCOMPARE(log[2], QStringLiteral("TX: 1 3 0 6 0 2 24 A"));
            QCOMPARE(log[3], HexLine(QStringLiteral("RX:"), received));
        }

        switch (row.Next) {
        case Then::NextAtOnce:
            break;
        case Then::NextAfterLateAnswer:
            // The relay answers 400 ms after the request, or finishes an
            // answer after its silence; give it time to.
            QTest::qWait(250);
            break;
        case Then::NextOnceNoiseStops:
            master.Modbus.ReadHoldingRegisters(1, 8, 2, values);
            break;
        case Then::NextOnNewDevice:
            sim.reset();
            sim.emplace(relay, row.Transport);
            master.Modbus.SetDevice(sim->Device());
            break;
        }
        master.UI.ClearMessages();
        QVERIFY(master.Modbus.ReadHoldingRegisters(1, 8, 2, values));
        QCOMPARE(values, std::vector<float>{Current});
        QVERIFY(master.UI.Messages().isEmpty());
    }

private:
    QTemporaryDir m_LogFolder;
};

QTEST_GUILESS_MAIN(tst_FaultMatrix)
#include "tst_FaultMatrix.moc"
