#include "FakeClock.h"
#include "MemorySettingsStore.h"
#include "SimulatedLink.h"

#include "link/cCommsErrorLog.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// What one exchange left behind: its result, the messages shown, the
// counters, the response kept and the comms error log written.
struct Outcome
{
    bool Result = false;
    QStringList Messages;
    QList<qint64> Counters;
    QByteArray LastResponse;
    QByteArray Log;
};

Outcome Exchange(const SimFault& fault, bool write, bool fast)
{
    SimulatedLink link;
    link.SetTimeouts(300, frmModbus::DefaultCharacterTimeoutMs);
    link.Modbus().SetFastResponseDetection(fast);
    QTemporaryDir folder;
    FakeClock clock;
    cCommsErrorLog log(folder.path(), clock);
    link.Modbus().SetErrorLog(&log);
    link.Faults().Queue(fault);
    std::vector<float> values;
    Outcome outcome;
    outcome.Result = write ? link.Modbus().WriteHoldingRegister(link.SlaveID(), 6, 415.0f)
                           : link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 4, values);
    for (const auto& message : link.UI().Messages())
        outcome.Messages << message.Title + QStringLiteral(": ") + message.Text;
    cCommsStatistics& s = link.Modbus().Statistics();
    outcome.Counters = {s.CharactersTx(), s.Requests(),    s.CharactersRx(), s.Responses(),
                        s.Timeouts(),     s.CRCFailures(), s.Exceptions()};
    outcome.LastResponse = link.Modbus().LastResponse();
    QFile file(folder.filePath(cCommsErrorLog::CurrentName));
    if (file.open(QIODevice::ReadOnly))
        outcome.Log = file.readAll();
    return outcome;
}

} // namespace

class tst_FastResponseDetection : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void WholeAnswerNeedsNoSilence_data();
    void WholeAnswerNeedsNoSilence();
    void PortKeptOpenThroughARun();
    void EverythingElseEndsAsWithoutIt_data();
    void EverythingElseEndsAsWithoutIt();
    void KeptWithTheSerialSettings();
};

void tst_FastResponseDetection::WholeAnswerNeedsNoSilence_data()
{
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<bool>("write");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("rxBytes");
    QTest::newRow("read") << SimFault::None() << false << true << 13;
    QTest::newRow("read trickled byte by byte") << SimFault::Trickle(3) << false << true << 13;
    QTest::newRow("write") << SimFault::None() << true << true << 8;
    QTest::newRow("exception") << SimFault::Exception(2) << false << false << 5;
}

// The silence that would end these answers never comes within the bound on
// the whole wait, so only a wait ended by the answer itself gets them.
void tst_FastResponseDetection::WholeAnswerNeedsNoSilence()
{
    QFETCH(SimFault, fault);
    QFETCH(bool, write);
    QFETCH(int, rxBytes);
    SimulatedLink link;
    link.Relay().SetSystemVolts(415.0f);
    link.Relay().SetSystemCurrent(5.0f);
    link.SetTimeouts(300, frmModbus::MaximumTimeoutMs);
    link.Modbus().SetFastResponseDetection(true);
    link.Faults().Queue(fault);
    std::vector<float> values;
    const bool result = write ? link.Modbus().WriteHoldingRegister(link.SlaveID(), 6, 415.0f)
                              : link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 4, values);
    QTEST(result, "result");
    QCOMPARE(link.Modbus().Statistics().CharactersRx(), rxBytes);
    QCOMPARE(link.Modbus().Statistics().Timeouts(), 0);
    if (!write && result)
        QCOMPARE(values, (std::vector<float>{415.0f, 5.0f}));
    if (!result)
        QCOMPARE(link.UI().Messages().value(0).Title, QStringLiteral("Modbus Exception 2"));
    // A good answer keeps the port for the next request; a failure lets go at once.
    QCOMPARE(link.Port().IsOpen(), result);
}

// A run of transactions opens the port once; it is let go when the run
// ends, and at once when the line it was opened for changes.
void tst_FastResponseDetection::PortKeptOpenThroughARun()
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
    QVERIFY(link.Modbus().SetLineSettings(*SerialLineSettings::Parse(QStringLiteral("19200,E,8,1"))));
    QVERIFY(!link.Port().IsOpen());
    QVERIFY(link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 4, values));
    QCOMPARE(link.Port().Settings(), QStringLiteral("19200,E,8,1"));
    QCOMPARE(link.Port().OpenCount(), 3);
}

void tst_FastResponseDetection::EverythingElseEndsAsWithoutIt_data()
{
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<bool>("write");
    QTest::newRow("no answer") << SimFault::NoAnswer() << false;
    QTest::newRow("4 bytes") << SimFault::ShortAnswer(4) << false;
    QTest::newRow("bad crc") << SimFault::BadCrc() << false;
    QTest::newRow("exception") << SimFault::Exception(4) << false;
    QTest::newRow("bad echo") << SimFault::BadEcho() << true;
    // Longer than the 50 ms silence: the answer ends after its first byte.
    QTest::newRow("split by 120 ms") << SimFault::Trickle(120) << false;
}

// Every failure keeps its message, counters and log entry.
void tst_FastResponseDetection::EverythingElseEndsAsWithoutIt()
{
    QFETCH(SimFault, fault);
    QFETCH(bool, write);
    const Outcome silence = Exchange(fault, write, false);
    const Outcome fast = Exchange(fault, write, true);
    QVERIFY(!fast.Result);
    QCOMPARE(fast.Result, silence.Result);
    QCOMPARE(fast.Messages, silence.Messages);
    QCOMPARE(fast.Counters, silence.Counters);
    QCOMPARE(fast.LastResponse, silence.LastResponse);
    QCOMPARE(fast.Log, silence.Log);
}

void tst_FastResponseDetection::KeptWithTheSerialSettings()
{
    const QString app = QStringLiteral("VI_TZLConfigurator");
    MemorySettingsStore store;
    SimulatedLink link;
    link.Modbus().RestoreSettings(store, app);
    QVERIFY(!link.Modbus().FastResponseDetection());

    link.Modbus().SetFastResponseDetection(true);
    link.Modbus().SaveSettings(store, app);
    QCOMPARE(store.GetSetting(app, "Comms", "FastResponse", {}), QStringLiteral("1"));
    SimulatedLink restored;
    restored.Modbus().RestoreSettings(store, app);
    QVERIFY(restored.Modbus().FastResponseDetection());
}

QTEST_GUILESS_MAIN(tst_FastResponseDetection)
#include "tst_FastResponseDetection.moc"
