#include "Golden.h"
#include "SimulatedLink.h"

#include "link/ICommsErrorLog.h"
#include "link/ModbusFrames.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <climits>
#include <limits>

namespace {

// Remembers the entries the link asks for; can be made to fail like a full disk.
class RecordingErrorLog : public ICommsErrorLog
{
public:
    struct Entry
    {
        QString Text;
        QByteArray Request;
        QByteArray Response;
    };
    QList<Entry> Entries;
    bool Fail = false;

    bool LogCommsError(const QString& text, const QByteArray& request, const QByteArray& response,
                       QString& errorDescription, QString& errorSource) override
    {
        if (Fail) {
            errorDescription = QStringLiteral("No space left on device");
            errorSource = QStringLiteral("CommsErr.log");
            return false;
        }
        Entries.append({text, request, response});
        return true;
    }
};

// Answers every request with one canned frame, for answers no relay would
// give (a well-formed response carrying fewer registers than asked for).
class CannedAnswerPort : public ISerialPort
{
public:
    explicit CannedAnswerPort(QByteArray answer)
        : m_Answer(std::move(answer))
    {}
    void SetPortName(const QString&) override {}
    QString PortName() const override { return QStringLiteral("canned"); }
    bool SetSettings(const QString&) override { return true; }
    QString Settings() const override { return QStringLiteral("9600,N,8,1"); }
    bool Open() override { return m_Open = true; }
    void Close() override { m_Open = false; }
    bool IsOpen() const override { return m_Open; }
    bool Write(const QByteArray&) override
    {
        QTimer::singleShot(1, [this] { m_Input = m_Answer; });
        return true;
    }
    void DiscardInput() override { m_Input.clear(); }
    qint64 BytesWaiting() override { return m_Input.size(); }
    QByteArray PeekWaiting() override { return m_Input; }
    QByteArray ReadAll() override { return std::exchange(m_Input, {}); }
    QString ErrorDescription() const override { return {}; }
    QString ErrorSource() const override { return {}; }

private:
    QByteArray m_Answer;
    QByteArray m_Input;
    bool m_Open = false;
};

QString Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}

enum class Detection { Silence, Fast, FastWithoutSilence };

// One exchange under a fault ("write " in front: a write of one value at 6,
// else a read of 4 registers at 6), then an ordinary read: one line of what
// the user saw, what was counted and logged, and what the link was left in.
QString Exchange(const QString& row, Detection detection)
{
    SimulatedLink link;
    // The loopback answers within a millisecond or two: 100 ms is ample, and
    // keeps the time-outs of the table short.
    link.SetTimeouts(100, detection == Detection::FastWithoutSilence
                              ? frmModbus::MaximumTimeoutMs
                              : frmModbus::DefaultCharacterTimeoutMs);
    link.Modbus().SetFastResponseDetection(detection != Detection::Silence);
    link.Relay().SetSystemVolts(415.0f);
    link.Relay().SetSystemCurrent(5.0f);
    RecordingErrorLog log;
    link.Modbus().SetErrorLog(&log);
    const bool write = row.startsWith(QStringLiteral("write "));
    QString error;
    const auto fault = SimFaults::ParseFault(write ? row.mid(6) : row, error);
    if (!fault)
        return error;
    link.Faults().Queue(*fault);
    std::vector<float> values{-1.0f};
    const bool ok = write ? link.Modbus().WriteHoldingRegister(link.SlaveID(), 6, 230.0f)
                          : link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 4, values);
    QStringList out{ok ? QStringLiteral("ok") : QStringLiteral("FAIL")};
    if (!write) {
        QStringList shown;
        for (const float v : values)
            shown << QString::number(v);
        out << QStringLiteral("values ") + shown.join(u',');
    }
    for (const auto& m : link.UI().Messages())
        out << QStringLiteral("box \"%1\" \"%2\"").arg(m.Title, m.Text);
    const cCommsStatistics& s = link.Modbus().Statistics();
    out << QStringLiteral("tx %1 req %2 rx %3 resp %4 to %5 crc %6 exc %7")
               .arg(s.CharactersTx())
               .arg(s.Requests())
               .arg(s.CharactersRx())
               .arg(s.Responses())
               .arg(s.Timeouts())
               .arg(s.CRCFailures())
               .arg(s.Exceptions());
    for (const auto& entry : log.Entries) {
        out << QStringLiteral("log \"%1\" TX %2 RX %3")
                   .arg(entry.Text, Hex(entry.Request), Hex(entry.Response));
        if (entry.Response != link.Modbus().LastResponse())
            out << QStringLiteral("kept %1").arg(Hex(link.Modbus().LastResponse()));
    }
    out << (link.Port().IsOpen() ? QStringLiteral("port open") : QStringLiteral("port closed"));
    link.UI().ClearMessages();
    std::vector<float> next;
    out << (link.Modbus().ReadHoldingRegisters(link.SlaveID(), 8, 2, next)
                    && next == std::vector<float>{5.0f} && link.UI().Messages().isEmpty()
                ? QStringLiteral("next ok")
                : QStringLiteral("next FAIL"));
    return out.join(QStringLiteral(" | "));
}

} // namespace

class tst_frmModbus : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every fault the relay or the line can put into one exchange, with and
    // without fast response detection: a failure must end alike either way, so
    // the fast outcome is written out only where it differs.
    void FaultTable()
    {
        QStringList rows{"none",          "trickle:3",        "no-answer",       "short:1",
                         "short:4",       "bad-crc",          "other-slave",     "bad-function",
                         "byte-count:16", "byte-count:4",     "byte-count:3",    "byte-count:255",
                         "byte-count:0",  "garbage-before:3", "garbage-after:3", "trickle:120"};
        for (int code = 1; code <= 11; ++code)
            rows << QStringLiteral("exception:%1").arg(code);
        rows << "write none"
             << "write bad-echo"
             << "write no-answer"
             << "write exception:2";
        QString table;
        for (const QString& row : rows) {
            const QString silence = Exchange(row, Detection::Silence);
            const QString fast = Exchange(row, Detection::Fast);
            table += row + QStringLiteral("\n  silence: ") + silence
                     + QStringLiteral("\n  fast:    ")
                     + (fast == silence ? QStringLiteral("same") : fast) + u'\n';
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("link-faults.txt"), table);
    }

    // The silence that would end these answers never comes within the bound on
    // the whole wait, so only a wait ended by the answer itself gets them.
    void FastDetectionNeedsNoSilence()
    {
        for (const char* row : {"none", "trickle:3", "write none", "exception:2"})
            QCOMPARE(Exchange(QLatin1String(row), Detection::FastWithoutSilence),
                     Exchange(QLatin1String(row), Detection::Fast));
    }

    // A run of transactions opens the port once; it is let go when the run
    // ends, and at once when the line it was opened for changes.
    void PortKeptOpenThroughAFastRun()
    {
        SimulatedLink link;
        link.Modbus().SetFastResponseDetection(true);
        std::vector<float> values;
        for (int i = 0; i < 3; ++i)
            QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 4, values));
        QCOMPARE(link.Port().OpenCount(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!link.Port().IsOpen(), 10 * frmModbus::IdleCloseMs);

        QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 4, values));
        QVERIFY(link.Port().IsOpen());
        QVERIFY(link.Modbus().SetLineSettings(
            *SerialLineSettings::Parse(QStringLiteral("19200,E,8,1"))));
        QVERIFY(!link.Port().IsOpen());
        QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 4, values));
        QCOMPARE(link.Port().Settings(), QStringLiteral("19200,E,8,1"));
        QCOMPARE(link.Port().OpenCount(), 3);
    }

    void InvalidSlaveSendsNothing()
    {
        SimulatedLink link;
        std::vector<float> values{42.0f};
        for (const int slave : {0, 248, -1}) {
            QVERIFY(!link.Modbus().ReadHoldingRegisters(std::int16_t(slave), 6, 2, values));
            QVERIFY(!link.Modbus().WriteHoldingRegister(std::int16_t(slave), 6, 1.0f));
            QVERIFY(!link.Modbus().WriteHoldingRegisters(std::int16_t(slave), 6, 2, {1.0f}));
        }
        QCOMPARE(link.UI().Messages().size(), 9);
        for (const auto& message : link.UI().Messages()) {
            QCOMPARE(message.Text, QStringLiteral("Invalid Slave ID"));
            QCOMPARE(message.Title, QStringLiteral("Modbus Error"));
            QCOMPARE(message.Buttons, MsgButtons::OK);
        }
        QVERIFY(link.Port().WrittenFrames().isEmpty());
        QCOMPARE(values, std::vector<float>{42.0f});
        QCOMPARE(link.Modbus().Statistics().Requests(), 0);
    }

    void SeveralValueWriteNeedsMatchingArray()
    {
        SimulatedLink link;
        QVERIFY(!link.Modbus().WriteHoldingRegisters(link.SlaveID(), 6, 4, {1.0f, 2.0f, 3.0f}));
        QVERIFY(!link.Modbus().WriteHoldingRegisters(link.SlaveID(), 6, 4, {1.0f}));
        QVERIFY(link.Port().WrittenFrames().isEmpty());
        QVERIFY(link.UI().Messages().isEmpty());

        QVERIFY(link.Modbus().WriteHoldingRegisters(link.SlaveID(), 6, 4, {230.0f, 10.0f}));
        QCOMPARE(link.Modbus().LastRequest().size(), 2 * 4 + 9);
        QCOMPARE(link.Relay().SystemCurrent(), 10.0f);
    }

    void NonFiniteValuesAreNeverSent()
    {
        SimulatedLink link;
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const float inf = std::numeric_limits<float>::infinity();
        QVERIFY(!link.Modbus().WriteHoldingRegister(link.SlaveID(), 66, nan));
        QVERIFY(!link.Modbus().WriteHoldingRegisters(link.SlaveID(), 66, 4, {1.0f, -inf}));
        QVERIFY(link.Port().WrittenFrames().isEmpty());
        QCOMPARE(link.UI().Messages().size(), 2);
        QCOMPARE(link.UI().Messages()[0].Title, QStringLiteral("Modbus Error"));
    }

    // The port's own failure is shown as it stands; the values are untouched.
    void PortFailures_data()
    {
        QTest::addColumn<int>("step"); // that fails: 0 open, 1 write, 2 read
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("requests"); // counted before the failure
        QTest::newRow("open") << 0 << "Permission denied" << 0;
        QTest::newRow("write") << 1 << "Input/output error" << 0;
        QTest::newRow("read") << 2 << "Resource temporarily unavailable" << 1;
    }

    void PortFailures()
    {
        QFETCH(int, step);
        QFETCH(QString, description);
        QFETCH(int, requests);
        SimulatedLink link;
        const QString source = QStringLiteral("Port /dev/ttyUSB0");
        if (step == 0)
            link.Port().RefuseOpen(description, source);
        else if (step == 1)
            link.Port().FailWrite(description, source);
        else
            link.Port().FailReadAll(description, source);
        std::vector<float> values{3.0f};
        QVERIFY(!link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 2, values));
        QCOMPARE(link.UI().Messages().size(), 1);
        QCOMPARE(link.UI().Messages()[0].Text, description);
        QCOMPARE(link.UI().Messages()[0].Title, source);
        QVERIFY(!link.Port().IsOpen());
        QCOMPARE(values, std::vector<float>{3.0f});
        const cCommsStatistics& s = link.Modbus().Statistics();
        QCOMPARE(QList<qint64>({s.Requests(), s.CharactersTx(), s.CharactersRx(), s.Responses()}),
                 QList<qint64>({requests, 8 * requests, 0, 0}));
    }

    void ShortDataResponseIsRefused()
    {
        // Four registers asked for, the answer carries two: well formed, CRC right.
        CannedAnswerPort port(QByteArray::fromHex("0103043F800000F7CF"));
        ScriptedUserInterface ui;
        frmModbus modbus(port, ui);
        RecordingErrorLog log;
        modbus.SetErrorLog(&log);
        modbus.SetCharacterTimeout(10);
        std::vector<float> values{9.0f};
        QVERIFY(!modbus.ReadHoldingRegisters(1, 0, 4, values));
        QCOMPARE(values, std::vector<float>{9.0f});
        QCOMPARE(ui.Messages().size(), 1);
        QCOMPARE(ui.Messages()[0].Title, QStringLiteral("Modbus Error"));
        QCOMPARE(ui.Messages()[0].Text,
                 QStringLiteral("Modbus Response Too Short - fewer registers were returned than "
                                "requested"));
        QCOMPARE(log.Entries.size(), 1);
        QCOMPARE(log.Entries[0].Text, QStringLiteral("Short Response"));
        QVERIFY(!port.IsOpen());
        // The same answer satisfies a read of two registers.
        QVERIFY(modbus.ReadHoldingRegisters(1, 0, 2, values));
        QCOMPARE(values, std::vector<float>{1.0f});
    }

    void SecondTransactionWhileWaitingIsRefused()
    {
        SimulatedLink link;
        link.Relay().SetSystemVolts(690.0f);
        link.Faults().Queue(SimFault::Delay(60));
        bool secondResult = true;
        int secondAttempts = 0;
        // A timer or a click handled while the first read waits starts another one.
        link.UI().OnProcessEvents = [&] {
            if (secondAttempts++ == 0) {
                std::vector<float> other;
                secondResult = link.Modbus().ReadHoldingRegisters(link.SlaveID(), 8, 2, other);
                QVERIFY(link.Port().IsOpen()); // the first one's port stays open
            }
        };
        std::vector<float> values;
        QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 2, values));
        QVERIFY(!secondResult);
        QCOMPARE(values, std::vector<float>{690.0f});
        QCOMPARE(link.Port().WrittenFrames().size(), 1);
        QCOMPARE(link.Port().OpenCount(), 1);
        QVERIFY(!link.Port().IsOpen());

        // Once the first has ended, the link takes transactions again.
        link.UI().OnProcessEvents = nullptr;
        QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 2, values));
    }

    // A program told to stop while a transaction waits lets that one finish and
    // sends nothing more; every transaction sent, and only those, is reported.
    void StopLetsTheTransactionUnderWayFinish()
    {
        SimulatedLink link;
        QSignalSpy finished(&link.Modbus(), &frmModbus::TransactionFinished);
        std::vector<float> values;
        QVERIFY(!link.Modbus().ReadHoldingRegisters(0, 6, 2, values)); // refused, not sent
        link.Faults().Queue(SimFault::NoAnswer());
        link.Modbus().SetResponseTimeout(20);
        QVERIFY(!link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 2, values));
        link.Modbus().SetResponseTimeout(frmModbus::DefaultResponseTimeoutMs);
        link.UI().OnProcessEvents = [&] { link.Modbus().RefuseNewTransactions(); };
        QVERIFY(link.Modbus().WriteHoldingRegister(link.SlaveID(), 6, 230.0f));
        link.UI().ClearMessages();
        QVERIFY(!link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 2, values));
        QVERIFY(!link.Modbus().WriteHoldingRegister(link.SlaveID(), 6, 240.0f));

        QCOMPARE(link.Port().WrittenFrames().size(), 2);
        QVERIFY(link.UI().Messages().isEmpty());
        QCOMPARE(finished.size(), 2);
        QCOMPARE(finished[0][0].toBool(), false);
        QCOMPARE(finished[1][0].toBool(), true);
    }

    // The timer takes intervals far beyond ten seconds; what it cannot take is
    // clamped.
    void AnyPositiveTimeoutWorks_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("held");
        QTest::newRow("10 s") << 10000 << 10000;
        QTest::newRow("1 min") << 60000 << 60000;
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("largest int") << INT_MAX << frmModbus::MaximumTimeoutMs;
    }

    void AnyPositiveTimeoutWorks()
    {
        QFETCH(int, set);
        SimulatedLink link;
        link.Modbus().SetResponseTimeout(set);
        QTEST(link.Modbus().ResponseTimeout(), "held");
        if (set < 1000)
            return;
        link.Faults().Queue(SimFault::Delay(150));
        std::vector<float> values;
        QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 2, values));
        QVERIFY(link.UI().Messages().isEmpty());
    }

    void WaitingSleepsInsteadOfSpinning()
    {
        SimulatedLink link;
        link.SetTimeouts(300, 10);
        link.Faults().Queue(SimFault::NoAnswer());
        std::vector<float> values;
        QVERIFY(!link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 2, values));
        // A spinning wait would pass through the event loop many thousand times in
        // 300 ms; a sleeping one only when something happens.
        QVERIFY2(link.UI().ProcessEventsCalls() < 50,
                 qPrintable(QString::number(link.UI().ProcessEventsCalls())));
    }
};

QTEST_GUILESS_MAIN(tst_frmModbus)
#include "tst_frmModbus.moc"
