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

struct Counts
{
    qint64 CharactersTx, Requests, CharactersRx, Responses, Timeouts, CRCFailures, Exceptions;
    bool operator==(const Counts&) const = default;
};

Counts CountsOf(cCommsStatistics& s)
{
    return {s.CharactersTx(), s.Requests(),    s.CharactersRx(), s.Responses(),
            s.Timeouts(),     s.CRCFailures(), s.Exceptions()};
}

char* toString(const Counts& c)
{
    return qstrdup(QStringLiteral("Tx %1 Req %2 Rx %3 Resp %4 TO %5 CRC %6 Exc %7")
                       .arg(c.CharactersTx)
                       .arg(c.Requests)
                       .arg(c.CharactersRx)
                       .arg(c.Responses)
                       .arg(c.Timeouts)
                       .arg(c.CRCFailures)
                       .arg(c.Exceptions)
                       .toLatin1()
                       .constData());
}

} // namespace

class tst_frmModbus : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void InvalidSlaveSendsNothing_data();
    void InvalidSlaveSendsNothing();
    void SuccessfulReadCountsAndDecodes();
    void FailedResponses_data();
    void FailedResponses();
    void WriteEchoMismatchIsSilent();
    void SeveralValueWriteNeedsMatchingArray();
    void NonFiniteValuesAreNeverSent();
    void PortFailures_data();
    void PortFailures();
    void UnwritableLogFailsTheTransaction();
    void ShortDataResponseIsRefused();
    void SecondTransactionWhileWaitingIsRefused();
    void StopLetsTheTransactionUnderWayFinish();
    void LineThatNeverFallsSilentTimesOut();
    void AnyPositiveTimeoutWorks_data();
    void AnyPositiveTimeoutWorks();
    void WaitingSleepsInsteadOfSpinning();
    void SetWordOrderNormalises();
};

void tst_frmModbus::InvalidSlaveSendsNothing_data()
{
    QTest::addColumn<int>("slave");
    QTest::newRow("0") << 0;
    QTest::newRow("248") << 248;
    QTest::newRow("-1") << -1;
}

void tst_frmModbus::InvalidSlaveSendsNothing()
{
    QFETCH(int, slave);
    SimulatedLink link;
    std::vector<float> values{42.0f};
    QVERIFY(!link.Modbus().ReadHoldingRegisters(std::int16_t(slave), 6, 2, values));
    QVERIFY(!link.Modbus().WriteHoldingRegister(std::int16_t(slave), 6, 1.0f));
    QVERIFY(!link.Modbus().WriteHoldingRegisters(std::int16_t(slave), 6, 2, {1.0f}));
    QCOMPARE(link.UI().Messages().size(), 3);
    for (const auto& message : link.UI().Messages()) {
        QCOMPARE(message.Text, QStringLiteral("Invalid Slave ID"));
        QCOMPARE(message.Title, QStringLiteral("Modbus Error"));
        QCOMPARE(message.Buttons, MsgButtons::OK);
    }
    QVERIFY(link.Port().WrittenFrames().isEmpty());
    QCOMPARE(values, std::vector<float>{42.0f});
    QCOMPARE(CountsOf(link.Modbus().Statistics()), (Counts{0, 0, 0, 0, 0, 0, 0}));
}

void tst_frmModbus::SuccessfulReadCountsAndDecodes()
{
    SimulatedLink link;
    link.Relay().SetSystemVolts(415.0f);
    link.Relay().SetSystemCurrent(5.0f);
    std::vector<float> values;
    QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 2, values));
    QCOMPARE(link.Modbus().LastRequest().toHex(' '), QByteArray("01 03 00 06 00 02 24 0a"));
    QCOMPARE(values, std::vector<float>{415.0f});
    QCOMPARE(CountsOf(link.Modbus().Statistics()), (Counts{8, 1, 9, 1, 0, 0, 0}));
    QVERIFY(!link.Port().IsOpen());

    QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 4, values));
    QCOMPARE(values, (std::vector<float>{415.0f, 5.0f}));
    QVERIFY(link.UI().Messages().isEmpty());
    QVERIFY(!link.Port().IsOpen());
}

void tst_frmModbus::FailedResponses_data()
{
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("logEntry");
    QTest::addColumn<int>("rxBytes");
    QTest::addColumn<int>("timeouts");
    QTest::addColumn<int>("crcFailures");
    QTest::addColumn<int>("exceptions");

    const QString timeout = QStringLiteral("Modbus Response Timeout");
    QTest::newRow("no answer") << SimFault::NoAnswer() << timeout << "Comms Error" << timeout << 0
                               << 1 << 0 << 0;
    QTest::newRow("1 byte") << SimFault::ShortAnswer(1) << timeout << "Comms Error" << timeout << 0
                            << 1 << 0 << 0;
    QTest::newRow("4 bytes") << SimFault::ShortAnswer(4) << timeout << "Comms Error" << timeout << 0
                             << 1 << 0 << 0;
    QTest::newRow("bad crc") << SimFault::BadCrc() << "CRC Error in response"
                             << "Modbus Error"
                             << "CRC Failure" << 9 << 0 << 1 << 0;
    QTest::newRow("exception 2") << SimFault::Exception(2)
                                 << "Modbus Illegal Address Value Exception"
                                 << "Modbus Exception 2"
                                 << "Exception Response" << 5 << 0 << 0 << 1;
    QTest::newRow("exception 8") << SimFault::Exception(8) << "Modbus Memory Parity Error Exception"
                                 << "Modbus Exception 8"
                                 << "Exception Response" << 5 << 0 << 0 << 1;
    QTest::newRow("exception 9") << SimFault::Exception(9) << "Unknown error"
                                 << "Modbus Exception 9"
                                 << "Exception Response" << 5 << 0 << 0 << 1;
}

void tst_frmModbus::FailedResponses()
{
    QFETCH(SimFault, fault);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QString, logEntry);
    QFETCH(int, rxBytes);
    QFETCH(int, timeouts);
    QFETCH(int, crcFailures);
    QFETCH(int, exceptions);

    SimulatedLink link;
    RecordingErrorLog log;
    link.Modbus().SetErrorLog(&log);
    link.Faults().Queue(fault);
    std::vector<float> values{7.0f};
    QVERIFY(!link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 2, values));

    QCOMPARE(values, std::vector<float>{7.0f});
    QVERIFY(!link.Port().IsOpen());
    QCOMPARE(link.UI().Messages().size(), 1);
    QCOMPARE(link.UI().Messages()[0].Text, text);
    QCOMPARE(link.UI().Messages()[0].Title, title);
    const int responses = rxBytes > 0 ? 1 : 0;
    QCOMPARE(CountsOf(link.Modbus().Statistics()),
             (Counts{8, 1, rxBytes, responses, timeouts, crcFailures, exceptions}));
    QCOMPARE(log.Entries.size(), 1);
    QCOMPARE(log.Entries[0].Text, logEntry);
    QCOMPARE(log.Entries[0].Request.toHex(' '), QByteArray("01 03 00 06 00 02 24 0a"));
    QCOMPARE(log.Entries[0].Response, link.Modbus().LastResponse());
    if (timeouts > 0)
        QCOMPARE(link.Modbus().LastResponse(), QByteArray(1, '\0'));
    else
        QCOMPARE(link.Modbus().LastResponse().size(), rxBytes);

    // The next exchange is unaffected.
    QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 2, values));
}

void tst_frmModbus::WriteEchoMismatchIsSilent()
{
    SimulatedLink link;
    RecordingErrorLog log;
    link.Modbus().SetErrorLog(&log);
    link.Faults().Queue(SimFault::BadEcho());
    QVERIFY(!link.Modbus().WriteHoldingRegister(link.SlaveID(), 6, 240.0f));
    QVERIFY(link.UI().Messages().isEmpty());
    QVERIFY(log.Entries.isEmpty());
    QCOMPARE(link.Modbus().Statistics().Responses(), 1);
    QCOMPARE(link.Modbus().Statistics().CRCFailures() + link.Modbus().Statistics().Exceptions()
                 + link.Modbus().Statistics().Timeouts(),
             0);
    QVERIFY(!link.Port().IsOpen());
    QCOMPARE(link.Modbus().LastRequest().size(), 13);
}

void tst_frmModbus::SeveralValueWriteNeedsMatchingArray()
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

void tst_frmModbus::NonFiniteValuesAreNeverSent()
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
void tst_frmModbus::PortFailures_data()
{
    QTest::addColumn<int>("step"); // that fails: 0 open, 1 write, 2 read
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("requests"); // counted before the failure
    QTest::newRow("open") << 0 << "Permission denied" << 0;
    QTest::newRow("write") << 1 << "Input/output error" << 0;
    QTest::newRow("read") << 2 << "Resource temporarily unavailable" << 1;
}

void tst_frmModbus::PortFailures()
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
    QCOMPARE(CountsOf(link.Modbus().Statistics()), (Counts{8 * requests, requests, 0, 0, 0, 0, 0}));
}

void tst_frmModbus::UnwritableLogFailsTheTransaction()
{
    SimulatedLink link;
    RecordingErrorLog log;
    log.Fail = true;
    link.Modbus().SetErrorLog(&log);
    link.Faults().Queue(SimFault::NoAnswer());
    std::vector<float> values;
    QVERIFY(!link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 2, values));
    QCOMPARE(link.UI().Messages().size(), 2);
    QCOMPARE(link.UI().Messages()[1].Text, QStringLiteral("No space left on device"));
    QCOMPARE(link.UI().Messages()[1].Title, QStringLiteral("CommsErr.log"));
    QVERIFY(!link.Port().IsOpen());
}

void tst_frmModbus::ShortDataResponseIsRefused()
{
    // Four registers asked for, the answer carries two: well formed, CRC right.
    QByteArray answer = QByteArray::fromHex("0103043F800000F7CF");
    CannedAnswerPort port(answer);
    ScriptedUserInterface ui;
    frmModbus modbus(port, ui);
    modbus.SetCharacterTimeout(10);
    std::vector<float> values{9.0f};
    QVERIFY(!modbus.ReadHoldingRegisters(1, 0, 4, values));
    QCOMPARE(values, std::vector<float>{9.0f});
    QCOMPARE(ui.Messages().size(), 1);
    QCOMPARE(ui.Messages()[0].Title, QStringLiteral("Modbus Error"));
    QVERIFY(ui.Messages()[0].Text.contains(QStringLiteral("Too Short")));
    QVERIFY(!port.IsOpen());
    // The same answer satisfies a read of two registers.
    QVERIFY(modbus.ReadHoldingRegisters(1, 0, 2, values));
    QCOMPARE(values, std::vector<float>{1.0f});
}

void tst_frmModbus::SecondTransactionWhileWaitingIsRefused()
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
void tst_frmModbus::StopLetsTheTransactionUnderWayFinish()
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

// The time-out stays, but the noise is counted and logged for the engineer.
void tst_frmModbus::LineThatNeverFallsSilentTimesOut()
{
    SimulatedLink link;
    RecordingErrorLog log;
    link.Modbus().SetErrorLog(&log);
    link.SetTimeouts(40, 10);
    link.Faults().Queue(SimFault::Babble(3));
    std::vector<float> values{1.0f};
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 2, values));
    QVERIFY2(timer.elapsed() < 40 * frmModbus::TotalWaitInResponseTimeouts + 2000,
             qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(link.UI().Messages().size(), 1);
    QCOMPARE(link.UI().Messages()[0].Text, QStringLiteral("Modbus Response Timeout"));
    QVERIFY(!link.Port().IsOpen());
    QCOMPARE(values, std::vector<float>{1.0f});
    const QByteArray received = link.Modbus().LastResponse();
    QVERIFY2(received.size() > 9 && received.startsWith(QByteArray::fromHex("010304")),
             received.toHex(' ').constData());
    QCOMPARE(CountsOf(link.Modbus().Statistics()), (Counts{8, 1, received.size(), 0, 1, 0, 0}));
    QCOMPARE(log.Entries.size(), 1);
    QCOMPARE(log.Entries[0].Text, QStringLiteral("Modbus Response Timeout"));
    QCOMPARE(log.Entries[0].Response, received);
}

// The timer takes intervals far beyond ten seconds; what it cannot take is
// clamped.
void tst_frmModbus::AnyPositiveTimeoutWorks_data()
{
    QTest::addColumn<int>("set");
    QTest::addColumn<int>("held");
    QTest::newRow("10 s") << 10000 << 10000;
    QTest::newRow("1 min") << 60000 << 60000;
    QTest::newRow("0") << 0 << 1;
    QTest::newRow("largest int") << INT_MAX << frmModbus::MaximumTimeoutMs;
}

void tst_frmModbus::AnyPositiveTimeoutWorks()
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

void tst_frmModbus::WaitingSleepsInsteadOfSpinning()
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

void tst_frmModbus::SetWordOrderNormalises()
{
    SimulatedLink link;
    link.Modbus().SetWordOrder(5);
    QCOMPARE(link.Modbus().GetWordOrder(), std::int16_t(1));
    link.Modbus().SetWordOrder(-3);
    QCOMPARE(link.Modbus().GetWordOrder(), std::int16_t(1));
    link.Modbus().SetWordOrder(0);
    QCOMPARE(link.Modbus().GetWordOrder(), std::int16_t(0));
}

QTEST_GUILESS_MAIN(tst_frmModbus)
#include "tst_frmModbus.moc"
