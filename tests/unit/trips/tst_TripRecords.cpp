#include "FakeClock.h"
#include "SimulatedLink.h"
#include "trips/cTZLTrips.h"

#include <QTest>

// The records and their accessors.
class tst_TripRecords : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void badRelayNumbers();
    void setName_data();
    void setName();
    void parameterBeyondCountReadsZero();
    void initialiseTripRecord_data();
    void initialiseTripRecord();
    void firmwareCompatibility_data();
    void firmwareCompatibility();

private:
    std::unique_ptr<SimulatedLink> m_Link;
    FakeClock m_Clock;
    std::unique_ptr<cTZLTrips> m_Trips;
};

void tst_TripRecords::init()
{
    m_Trips.reset();
    m_Link = std::make_unique<SimulatedLink>();
    m_Trips = std::make_unique<cTZLTrips>(m_Link->Modbus(), m_Link->UI(), m_Clock);
}

void tst_TripRecords::badRelayNumbers()
{
    for (std::int16_t relay : {std::int16_t(0), std::int16_t(17)}) {
        m_Trips->SetName(relay, QStringLiteral("x"));
        m_Trips->SetAlarmFlag(relay, true);
        m_Trips->SetParameterValue(relay, 1, 5.0F);
        m_Trips->InitialiseTripRecord(relay, 3);
        QCOMPARE(m_Trips->TripName(relay), QStringLiteral("(Unknown)"));
        QCOMPARE(m_Trips->FunctionNumber(relay), 0);
        QCOMPARE(m_Trips->AlarmFlag(relay), 0);
        QCOMPARE(m_Trips->ParameterValue(relay, 1), -1.0F);
        QVERIFY(!m_Trips->state(relay) && !m_Trips->IsInAlarm(relay));
    }
    TripRecord cleared;
    cleared.Name = QStringLiteral("Relay Trip 16");
    QCOMPARE(m_Trips->TripDefinition(16), cleared);
}

void tst_TripRecords::setName_data()
{
    QTest::addColumn<QVariant>("name");
    QTest::addColumn<QString>("stored");
    QTest::newRow("padded") << QVariant("  Feeder, A  ") << "Feeder, A";
    QTest::newRow("digits") << QVariant("12") << "Relay 3";
    QTest::newRow("number value") << QVariant(1.5) << "Relay 3";
    QTest::newRow("blanks") << QVariant("    ") << "Relay 3";
    QTest::newRow("tab") << QVariant("Pump\t2") << "Relay 3";
    QTest::newRow("line break") << QVariant("Pump\n2") << "Relay 3";
    QTest::newRow("digits and text") << QVariant("12 kV") << "12 kV";
    QTest::newRow("double quotes") << QVariant("The \"big\" one") << "The 'big' one";
}

void tst_TripRecords::setName()
{
    QFETCH(QVariant, name);
    QFETCH(QString, stored);
    m_Trips->SetName(3, name);
    QCOMPARE(m_Trips->TripName(3), stored);
}

void tst_TripRecords::parameterBeyondCountReadsZero()
{
    m_Trips->InitialiseTripRecord(1, 1); // three parameters
    for (std::int16_t p = 0; p <= 7; ++p)
        m_Trips->SetParameterValue(1, p, float(p) + 0.5F);
    QCOMPARE(m_Trips->ParameterValue(1, 3), 3.5F);
    QCOMPARE(m_Trips->ParameterValue(1, 4), 0.0F);
    // The slots are kept although the function does not show them.
    const std::array<float, 6> kept{1.5F, 2.5F, 3.5F, 4.5F, 5.5F, 6.5F};
    QCOMPARE(m_Trips->TripDefinition(1).ParameterValues, kept);
}

void tst_TripRecords::initialiseTripRecord_data()
{
    QTest::addColumn<int>("fromFunction");
    QTest::addColumn<int>("fromFlags");
    QTest::addColumn<int>("toFunction");
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("flags");
    QTest::addColumn<float>("parameters");
    QTest::newRow("new function sets fail safe, keeps the rest")
        << 1 << 0x8E << 16 << 16 << 0x8F << 0.0F;
    QTest::newRow("same function changes nothing") << 16 << 2 << 16 << 16 << 2 << 7.0F;
    QTest::newRow("to unused clears flags") << 5 << 0xFF << 0 << 0 << 0 << 0.0F;
    QTest::newRow("invalid acts as unused") << 5 << 0xFF << 40 << 0 << 0 << 0.0F;
}

void tst_TripRecords::initialiseTripRecord()
{
    QFETCH(int, fromFunction);
    QFETCH(int, fromFlags);
    QFETCH(int, toFunction);
    QFETCH(int, function);
    QFETCH(int, flags);
    QFETCH(float, parameters);
    TripRecord record;
    record.FunctionIndex = std::uint8_t(fromFunction);
    record.Flags = std::uint8_t(fromFlags);
    record.ParameterValues.fill(7.0F);
    m_Trips->SetTripDefinition(2, record);

    m_Trips->InitialiseTripRecord(2, std::int16_t(toFunction));

    record.FunctionIndex = std::uint8_t(function);
    record.Flags = std::uint8_t(flags);
    record.ParameterValues.fill(parameters);
    QCOMPARE(m_Trips->TripDefinition(2), record);
}

void tst_TripRecords::firmwareCompatibility_data()
{
    QTest::addColumn<int>("relay");
    QTest::addColumn<int>("function");
    QTest::addColumn<float>("version");
    QTest::addColumn<int>("highestCode");
    QTest::addColumn<bool>("compatible");
    QTest::newRow("empty, 4.0") << 1 << 0 << 4.0F << 0 << false;
    QTest::newRow("empty, 0") << 1 << 0 << 0.0F << 0 << false;
    QTest::newRow("code 27 on 2.9") << 16 << 12 << 2.9F << 27 << false;
    QTest::newRow("code 27 on 3.0") << 16 << 12 << 3.0F << 27 << true;
}

void tst_TripRecords::firmwareCompatibility()
{
    QFETCH(int, relay);
    QFETCH(int, function);
    QFETCH(float, version);
    QFETCH(int, highestCode);
    QFETCH(bool, compatible);
    m_Trips->InitialiseTripRecord(std::int16_t(relay), std::int16_t(function));
    QCOMPARE(m_Trips->HightestTripCodeUsed(), highestCode);
    QCOMPARE(m_Trips->CompatibleWithFirmware(version), compatible);
}

QTEST_GUILESS_MAIN(tst_TripRecords)
#include "tst_TripRecords.moc"
