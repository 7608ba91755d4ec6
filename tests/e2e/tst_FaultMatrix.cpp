// The link against the real simulator through the kernel's tty layer, for the
// faults whose outcome depends on real timing (silences either side of 50 ms,
// noise around a frame, a late answer, a line that never falls silent, a
// device that goes away): what the user is told, what is counted and logged,
// that the wait stays bounded and asleep, and that the next ordinary read gets
// its own answer. The relay's other faults are in the link's own fault table.

#include "ScriptedUserInterface.h"
#include "SimulatorProcess.h"

#include "link/cCommsErrorLog.h"
#include "link/frmModbus.h"
#include "platform/QtSerialPort.h"
#include "platform/SystemClock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <sys/resource.h>

namespace {

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
    NextAfterLateAnswer, // the late answer has reached the tty before the next request
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

// The master as the configurator builds it, on the real serial port class.
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

    QtSerialPort Port;
    ScriptedUserInterface UI;
    SystemClock Clock;
    cCommsErrorLog Log;
    frmModbus Modbus;
};

} // namespace

Q_DECLARE_METATYPE(Then)

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
        QTest::addColumn<QString>("fault"); // for the first exchange only
        QTest::addColumn<QString>("text");  // empty: the read succeeds
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("logEntry");
        QTest::addColumn<Counts>("counts");
        QTest::addColumn<int>("boundMs");
        QTest::addColumn<Then>("then");
        QTest::addColumn<int>("tries");

        const auto row = [](const char* name, const char* fault, const QString& text,
                            const char* title, const char* logEntry, Counts counts,
                            int boundMs = UsualBoundMs, Then then = Then::NextAtOnce,
                            int tries = 1) {
            QTest::newRow(name) << QString::fromLatin1(fault) << text << QString::fromLatin1(title)
                                << QString::fromLatin1(logEntry) << counts << boundMs << then
                                << tries;
        };
        const Counts timedOut{0, 0, 1, 0, 0};
        row("garbage after", "garbage-after:3", CrcError, "Modbus Error", "CRC Failure",
            {12, 1, 0, 1, 0});
        row("garbage before", "garbage-before:3", CrcError, "Modbus Error", "CRC Failure",
            {12, 1, 0, 1, 0});
        row("late answer", "delay:400", Timeout, "Comms Error", "Modbus Response Timeout", timedOut,
            UsualBoundMs, Then::NextAfterLateAnswer);
        // The silence inside the answer falls after its sixth byte. A gap 1 ms
        // either side of the 50 ms that ends an answer is decided by when each
        // process is woken, and a loaded machine now and then wakes one over 1 ms
        // late. The verdict must come out right in one of three tries; a silence
        // rule that is off by more than the jitter fails all of them.
        row("gap 49 ms", "gap:6:49", QString(), "", "", {9, 1, 0, 0, 0}, UsualBoundMs,
            Then::NextAtOnce, 3);
        // The rest of the answer follows the silence; the next request waits
        // for it to pass, as the late answer's does.
        row("gap 51 ms", "gap:6:51", CrcError, "Modbus Error", "CRC Failure", {6, 1, 0, 1, 0},
            UsualBoundMs, Then::NextAfterLateAnswer, 3);
        row("never silent", "babble", Timeout, "Comms Error", "Modbus Response Timeout",
            {AsReceived, 0, 1, 0, 0},
            frmModbus::TotalWaitInResponseTimeouts * ResponseTimeoutMs + MarginMs,
            Then::NextOnceNoiseStops);
        // The port's own failure: no answer, counted and logged as a time-out is,
        // under the port's description, with what came of the answer.
        row("device gone mid-answer", "hang-up:4",
            "DEVICE went away during the transaction - was the adapter unplugged?", "Read DEVICE",
            "DEVICE went away during the transaction - was the adapter unplugged?",
            {PartReceived, 0, 1, 0, 0}, UsualBoundMs, Then::NextOnNewDevice);
    }

    void Fault()
    {
        QFETCH(QString, fault);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(QString, logEntry);
        QFETCH(Counts, counts);
        QFETCH(int, boundMs);
        QFETCH(Then, then);
        QFETCH(int, tries);

        const QStringList relay{"--volts", QString::number(Volts), "--current",
                                QString::number(Current)};
        std::optional<SimulatorProcess> sim;
        std::optional<Master> fresh;
        std::vector<float> values;
        bool read = false;
        qint64 wallMs = 0;
        qint64 cpuMs = 0;
        for (int attempt = 1; attempt <= tries; ++attempt) {
            fresh.reset();
            sim.reset();
            sim.emplace(relay + QStringList{"--fault", fault + QStringLiteral("@1")});
            QVERIFY2(!sim->Device().isEmpty(), qPrintable(sim->StandardError()));
            fresh.emplace(sim->Device());
            values = {-1.0f};
            const qint64 cpuBefore = CpuTimeMs();
            QElapsedTimer elapsed;
            elapsed.start();
            read = fresh->Modbus.ReadHoldingRegisters(1, 6, 2, values);
            wallMs = elapsed.elapsed();
            cpuMs = CpuTimeMs() - cpuBefore;
            if (read == text.isEmpty())
                break;
        }
        Master& master = *fresh;

        QCOMPARE(read, text.isEmpty());
        QCOMPARE(values, std::vector<float>{read ? Volts : -1.0f});
        QVERIFY2(wallMs <= boundMs, qPrintable(QStringLiteral("took %1 ms").arg(wallMs)));
        // A wait that spins burns the whole of it on the processor.
        QVERIFY2(cpuMs * 4 <= wallMs + 40,
                 qPrintable(QStringLiteral("%1 ms of processor in %2 ms").arg(cpuMs).arg(wallMs)));
        QVERIFY(!master.Port.IsOpen());

        const auto& messages = master.UI.Messages();
        QCOMPARE(messages.size(), text.isEmpty() ? 0 : 1);
        if (!text.isEmpty()) {
            QCOMPARE(messages[0].Text, text.replace(QStringLiteral("DEVICE"), sim->Device()));
            QCOMPARE(messages[0].Title, title.replace(QStringLiteral("DEVICE"), sim->Device()));
        }
        const QByteArray received = master.Modbus.LastResponse();
        if (counts[0] == AsReceived) {
            // The noise follows the answer, which is kept for the engineer to see.
            QVERIFY2(received.size() > 9 && received.startsWith(QByteArray::fromHex("010304")),
                     received.toHex(' ').constData());
            counts[0] = received.size();
        }
        if (counts[0] == PartReceived) {
            QVERIFY2(!received.isEmpty() && QByteArray::fromHex("010304462BE000").startsWith(received),
                     received.toHex(' ').constData());
            counts[0] = received.size();
        }
        QCOMPARE(master.Counted(), counts);
        QCOMPARE(master.Modbus.Statistics().Requests(), 1);

        const QStringList log = master.LogLines();
        QCOMPARE(log.size(), logEntry.isEmpty() ? 1 : 4);
        if (!logEntry.isEmpty()) {
            QVERIFY2(
                log[1].endsWith(u' ' + logEntry.replace(QStringLiteral("DEVICE"), sim->Device())),
                qPrintable(log[1]));
            QCOMPARE(log[2], QStringLiteral("TX: 1 3 0 6 0 2 24 A"));
            QCOMPARE(log[3], HexLine(QStringLiteral("RX:"), received));
        }

        switch (then) {
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
            sim.emplace(relay);
            QVERIFY2(!sim->Device().isEmpty(), qPrintable(sim->StandardError()));
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
