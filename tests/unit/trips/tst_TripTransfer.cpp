#include "FakeClock.h"
#include "SimulatedLink.h"
#include "trips/cTZLTrips.h"

#include <QTest>

// Trip definitions to and from the simulated relay.
class tst_TripTransfer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void uploadAllPausesToWholeSeconds();
    void pauseAcrossMidnight();
    void uploadEchoMismatchStopsUploadAll();
    void uploadRefusesBytesOutOfRange_data();
    void uploadRefusesBytesOutOfRange();
    void downloadWritesWindowAndDeselects();
    void downloadReadBackMismatchIsSilent();

private:
    std::int16_t Slave() const { return m_Link->SlaveID(); }
    std::unique_ptr<SimulatedLink> m_Link;
    std::unique_ptr<FakeClock> m_Clock;
    std::unique_ptr<cTZLTrips> m_Trips;
};

void tst_TripTransfer::init()
{
    m_Trips.reset();
    m_Link = std::make_unique<SimulatedLink>();
    m_Clock = std::make_unique<FakeClock>();
    m_Trips = std::make_unique<cTZLTrips>(m_Link->Modbus(), m_Link->UI(), *m_Clock);
}

void tst_TripTransfer::uploadAllPausesToWholeSeconds()
{
    // Codes 5 and 99 go to index 8 and, unknown, to index 0.
    const int codes[16] = {5, 99, 27, 0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 22};
    for (int relay = 1; relay <= 16; ++relay) {
        m_Link->Relay().SetTripDefinition(
            relay, {codes[relay - 1], 0xF0 | relay % 16,
                    {float(relay), -0.1F, 1e-7F, 3.4e38F, float(relay) / 3.0F, -0.0F}});
        m_Link->Relay().SetRelayStatus(relay, relay % 16);
    }
    m_Trips->SetName(4, QStringLiteral("Kept"));

    QVERIFY(m_Trips->UploadAllTripDefs(Slave()));

    for (std::int16_t relay = 1; relay <= 16; ++relay) {
        const TripRecord record = m_Trips->TripDefinition(relay);
        const TripDefinition sent = m_Link->Relay().GetTripDefinition(relay);
        QCOMPARE(int(record.FunctionIndex), cTripCatalogue::FunctionIndexOfCode(sent.FunctionCode));
        QCOMPARE(int(record.Flags), sent.Flags);
        QCOMPARE(int(record.Status), relay % 16);
        QCOMPARE(record.ParameterValues, sent.Parameters);
    }
    QCOMPARE(m_Trips->FunctionNumber(1), 8);
    QCOMPARE(m_Trips->FunctionNumber(2), 0);
    QCOMPARE(m_Trips->TripName(4), QStringLiteral("Kept"));
    // From 10:20:30.250: 750 ms to the first whole second, then one second per
    // relay, the last one included.
    QCOMPARE(m_Clock->Waits(), 16);
    QCOMPARE(m_Clock->TotalWaitMs(), 750 + 15 * 1000);
    QVERIFY(m_Link->UI().Messages().isEmpty());
}

void tst_TripTransfer::pauseAcrossMidnight()
{
    m_Clock->Set(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59, 900)));
    QVERIFY(m_Trips->UploadAllTripDefs(Slave()));
    QCOMPARE(m_Clock->TotalWaitMs(), 100 + 15 * 1000);
    QCOMPARE(m_Clock->Now(), QDateTime(QDate(2025, 1, 1), QTime(0, 0, 15)));
}

void tst_TripTransfer::uploadEchoMismatchStopsUploadAll()
{
    m_Link->Relay().SetTripDefinition(1, {1, 3, {5.0F}});
    m_Link->Faults().SetRegisterValue(RegisterKind::Holding, 58, 3.0F);

    QVERIFY(!m_Trips->UploadAllTripDefs(Slave()));

    QCOMPARE(m_Link->UI().Messages().size(), 1);
    const auto& message = m_Link->UI().Messages().first();
    QCOMPARE(message.Text, QStringLiteral("Relay Number mismatch - Check Word Order Setting"));
    QCOMPARE(message.Title, QStringLiteral("Upload Trip Definition Error"));
    QCOMPARE(message.Icon, MsgIcon::Exclamation);
    QCOMPARE(m_Trips->FunctionNumber(1), 0);
    QCOMPARE(m_Link->Faults().Exchanges(), 2);
    QCOMPARE(m_Clock->Waits(), 0);
}

void tst_TripTransfer::uploadRefusesBytesOutOfRange_data()
{
    QTest::addColumn<int>("reg");
    QTest::addColumn<float>("value");
    QTest::newRow("flags 256") << 62 << 256.0F;
    QTest::newRow("status 255.5") << 64 << 255.5F;
}

void tst_TripTransfer::uploadRefusesBytesOutOfRange()
{
    QFETCH(int, reg);
    QFETCH(float, value);
    m_Link->Relay().SetTripDefinition(1, {1, 3, {5.0F}});
    m_Link->Faults().SetRegisterValue(RegisterKind::Holding, reg, value);

    QVERIFY(!m_Trips->UploadTripDef(Slave(), 1));
    QCOMPARE(m_Link->UI().Messages().size(), 1);
    QCOMPARE(m_Link->UI().Messages().first().Text,
             QStringLiteral("Flags or status of Relay 1 read from TZL outside 0 to 255"));
    QCOMPARE(m_Trips->FunctionNumber(1), 0);

    // Just inside the range is a byte like any other.
    m_Link->Faults().SetRegisterValue(RegisterKind::Holding, reg, 255.4F);
    QVERIFY(m_Trips->UploadTripDef(Slave(), 1));
    const TripRecord record = m_Trips->TripDefinition(1);
    QCOMPARE(int(reg == 62 ? record.Flags : record.Status), 255);
}

void tst_TripTransfer::downloadWritesWindowAndDeselects()
{
    m_Trips->InitialiseTripRecord(1, 5); // code 22
    m_Trips->SetAlarmFlag(1, true);
    for (std::int16_t p = 1; p <= 6; ++p)
        m_Trips->SetParameterValue(1, p, float(p) * 1.1F);
    m_Trips->InitialiseTripRecord(16, 8); // code 5
    m_Link->Relay().SetRelayStatus(1, RelayStatusBit::InAlarm);
    m_Link->Relay().ClearAccesses();

    QVERIFY(m_Trips->Download(Slave()));

    const TripDefinition relay1 = m_Link->Relay().GetTripDefinition(1);
    QCOMPARE(relay1.FunctionCode, 22);
    QCOMPARE(relay1.Flags, TripFlag::Inverted | TripFlag::Alarm);
    QCOMPARE(relay1.Parameters, m_Trips->TripDefinition(1).ParameterValues);
    QCOMPARE(m_Link->Relay().GetTripDefinition(16).FunctionCode, 5);
    QCOMPARE(m_Link->Relay().SelectedRelay(), 0);
    QVERIFY(m_Trips->IsInAlarm(1)); // the status read back is kept

    // Per relay: selector, function, flags, status 0, six parameters, each a
    // float on its own; the last write deselects.
    const auto writes = m_Link->Relay().Writes();
    QCOMPARE(writes.size(), std::size_t(16 * 10 + 1));
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(writes[std::size_t(i)].Start, 58 + 2 * i);
        QCOMPARE(writes[std::size_t(i)].Count, 2);
    }
    QCOMPARE(writes[0].Values, std::vector<float>{1.0F});
    QCOMPARE(writes[3].Values, std::vector<float>{0.0F});
    QCOMPARE(writes.back().Start, 58);
    QCOMPARE(writes.back().Values, std::vector<float>{0.0F});
}

void tst_TripTransfer::downloadReadBackMismatchIsSilent()
{
    m_Trips->InitialiseTripRecord(1, 3);
    m_Link->Faults().SetRegisterValue(RegisterKind::Holding, 58, 2.0F);
    m_Link->Faults().SetRegisterValue(RegisterKind::Holding, 60, 9.0F); // not ours to store
    const TripRecord before = m_Trips->TripDefinition(1);

    QVERIFY(!m_Trips->Download(Slave()));

    QVERIFY(m_Link->UI().Messages().isEmpty());
    QCOMPARE(m_Trips->TripDefinition(1), before);
    QCOMPARE(m_Link->Relay().SelectedRelay(), 1); // stopped before deselecting
}

QTEST_GUILESS_MAIN(tst_TripTransfer)
#include "tst_TripTransfer.moc"
