#include "FakeClock.h"
#include "SimulatedLink.h"
#include "trips/cTZLTrips.h"

#include <QTest>
#include <map>

constexpr int Tripped = SimulatedRelay::StatusTripped;
constexpr int Latched = SimulatedRelay::StatusLatched;
constexpr int Acknowledged = SimulatedRelay::StatusAcknowledged;
constexpr int InAlarm = SimulatedRelay::StatusInAlarm;

// Relay status: reading it, resetting latches, acknowledging alarms.
class tst_RelayStatus : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void uploadStatusFailures_data();
    void uploadStatusFailures();
    void countsWithEveryRelayAcknowledged();
    void commandsSendAndReadBack_data();
    void commandsSendAndReadBack();
    void resetWithLatchAlreadyReleased();
    void commandEchoMismatchFails_data();
    void commandEchoMismatchFails();

private:
    std::int16_t Slave() const { return m_Link->SlaveID(); }
    // Sets the relay's statuses and lets the records learn them.
    void RelayStatuses(const std::map<int, int>& statuses);

    std::unique_ptr<SimulatedLink> m_Link;
    FakeClock m_Clock;
    std::unique_ptr<cTZLTrips> m_Trips;
};

void tst_RelayStatus::init()
{
    m_Trips.reset();
    m_Link = std::make_unique<SimulatedLink>();
    m_Trips = std::make_unique<cTZLTrips>(m_Link->Modbus(), m_Link->UI(), m_Clock);
}

void tst_RelayStatus::RelayStatuses(const std::map<int, int>& statuses)
{
    for (const auto& [relay, status] : statuses)
        m_Link->Relay().SetRelayStatus(relay, status);
    QVERIFY(m_Trips->UploadAllStatus(Slave()));
    m_Link->Relay().ClearAccesses();
    m_Link->Faults().Clear();
}

void tst_RelayStatus::uploadStatusFailures_data()
{
    QTest::addColumn<int>("relay");
    QTest::addColumn<int>("failingExchange"); // 0: none
    QTest::addColumn<int>("reg");             // pinned register, 0: none
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    const QString title = QStringLiteral("Relay Status Update Error");
    QTest::newRow("relay 0") << 0 << 0 << 0 << 0.0F << "Invalid Relay Number!" << title;
    QTest::newRow("select fails") << 5 << 1 << 0 << 0.0F << "Modbus Write Request Failed"
                                  << " Relay Status Update Error";
    QTest::newRow("read fails") << 5 << 2 << 0 << 0.0F << "Modbus Read Request Failed" << title;
    QTest::newRow("echo of another relay")
        << 5 << 0 << 58 << 6.0F << "Relay number mismatch - check Word Order Setting" << title;
    QTest::newRow("status beyond a byte")
        << 5 << 0 << 64 << 300.0F << "Flags or status of Relay 5 read from TZL outside 0 to 255"
        << title;
}

void tst_RelayStatus::uploadStatusFailures()
{
    QFETCH(int, relay);
    QFETCH(int, failingExchange);
    QFETCH(int, reg);
    QFETCH(float, value);
    QFETCH(QString, text);
    QFETCH(QString, title);
    m_Link->Relay().SetRelayStatus(5, Tripped);
    if (failingExchange > 0)
        m_Link->Faults().ScheduleAt(failingExchange, SimFault::Exception(4));
    if (reg > 0)
        m_Link->Faults().SetRegisterValue(RegisterKind::Holding, reg, value);

    QVERIFY(!m_Trips->UploadStatus(Slave(), std::int16_t(relay)));

    // The link's own message, if any, comes first; ours is the last.
    const auto& message = m_Link->UI().Messages().last();
    QCOMPARE(message.Text, text);
    QCOMPARE(message.Title, title);
    QCOMPARE(message.Buttons, MsgButtons::OK);
    QVERIFY(!m_Trips->state(5));
}

void tst_RelayStatus::countsWithEveryRelayAcknowledged()
{
    std::map<int, int> statuses;
    for (int relay = 1; relay <= 16; ++relay)
        statuses[relay] = InAlarm | Acknowledged | (relay % 7 == 3 ? Latched : 0);
    RelayStatuses(statuses);
    QCOMPARE(m_Trips->UnackedAlarmCount(), 0);
    QCOMPARE(m_Trips->LatchedCount(), 2); // relays 3 and 10

    // Nothing to acknowledge, and no latch on relay 1: no traffic at all.
    QVERIFY(m_Trips->AcknowledgeAlarms(Slave()));
    QVERIFY(m_Trips->ResetTrip(Slave(), 1));
    QVERIFY(m_Link->Relay().Accesses().empty());

    RelayStatuses({{16, InAlarm}});
    QCOMPARE(m_Trips->UnackedAlarmCount(), 1);
}

void tst_RelayStatus::commandsSendAndReadBack_data()
{
    QTest::addColumn<bool>("reset");
    QTest::addColumn<int>("before");
    QTest::addColumn<float>("command");
    QTest::addColumn<int>("after");
    QTest::newRow("reset") << true << (Latched | InAlarm) << 16.0F << int(InAlarm);
    QTest::newRow("acknowledge") << false << (Latched | InAlarm) << 4.0F
                                 << (Latched | InAlarm | Acknowledged);
}

void tst_RelayStatus::commandsSendAndReadBack()
{
    QFETCH(bool, reset);
    QFETCH(int, before);
    QFETCH(float, command);
    QFETCH(int, after);
    RelayStatuses({{12, before}});

    QVERIFY(reset ? m_Trips->ResetTrips(Slave()) : m_Trips->AcknowledgeAlarms(Slave()));

    // Select, read the window, command, read the status register back.
    const auto& accesses = m_Link->Relay().Accesses();
    QCOMPARE(accesses.size(), std::size_t(4));
    QCOMPARE(accesses[2].Start, 64);
    QCOMPARE(accesses[2].Values, std::vector<float>{command});
    QCOMPARE(accesses[3].Kind, RegisterAccess::Type::ReadHolding);
    QCOMPARE(accesses[3].Start, 64);
    QCOMPARE(accesses[3].Count, 2);
    QCOMPARE(int(m_Trips->TripDefinition(12).Status), after);
    QVERIFY(m_Link->UI().Messages().isEmpty());
}

void tst_RelayStatus::resetWithLatchAlreadyReleased()
{
    RelayStatuses({{7, Latched}});
    m_Link->Relay().SetRelayStatus(7, Tripped); // the relay let go on its own

    QVERIFY(m_Trips->ResetTrip(Slave(), 7));

    const auto writes = m_Link->Relay().Writes();
    QCOMPARE(writes.size(), std::size_t(1)); // the selector, no command
    QCOMPARE(writes[0].Start, 58);
    QCOMPARE(int(m_Trips->TripDefinition(7).Status), Tripped);
    QVERIFY(m_Link->UI().Messages().isEmpty());
}

void tst_RelayStatus::commandEchoMismatchFails_data()
{
    QTest::addColumn<bool>("reset");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::newRow("reset") << true << "Reset of latch for Relay 3 failed" << "Reset Trip Error";
    QTest::newRow("acknowledge") << false << "Acknowledgement of alarm on Relay 3 failed"
                                 << "Acknowledge Alarm Error";
}

void tst_RelayStatus::commandEchoMismatchFails()
{
    QFETCH(bool, reset);
    QFETCH(QString, text);
    QFETCH(QString, title);
    RelayStatuses({{3, Latched | InAlarm}, {5, Latched | InAlarm}});
    // The window answers for relay 4, whose status (tripped) must not land
    // in relay 3; all-relay commands stop there.
    m_Link->Faults().SetRegisterValue(RegisterKind::Holding, 58, 4.0F);
    m_Link->Faults().SetRegisterValue(RegisterKind::Holding, 64, float(Tripped));

    QVERIFY(!(reset ? m_Trips->ResetTrips(Slave()) : m_Trips->AcknowledgeAlarms(Slave())));

    QCOMPARE(m_Link->UI().Messages().size(), 1);
    QCOMPARE(m_Link->UI().Messages().first().Text, text);
    QCOMPARE(m_Link->UI().Messages().first().Title, title);
    QCOMPARE(m_Link->Relay().Writes().size(), std::size_t(1)); // no command
    QCOMPARE(int(m_Trips->TripDefinition(3).Status), Latched | InAlarm);
}

QTEST_GUILESS_MAIN(tst_RelayStatus)
#include "tst_RelayStatus.moc"
