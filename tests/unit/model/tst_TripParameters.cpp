#include "FakeClock.h"
#include "SimulatedLink.h"
#include "model/cTZL.h"

#include <QTest>
#include <limits>

namespace {

struct Fixture
{
    // The loopback delivers each answer in one piece: a short silence ends it.
    Fixture() { Link.SetTimeouts(SimulatedLink::TestResponseTimeoutMs, 1); }
    // Sets a relay's function, then its slots directly, past rounding and limits.
    void Preset(std::int16_t relay, std::int16_t function, const QList<float>& values)
    {
        Device.SetTripFunction(relay, function);
        for (int p = 0; p < values.size(); ++p)
            Device.TripData.SetParameterValue(relay, std::int16_t(p + 1), values[p]);
    }
    QList<float> Parameters(std::int16_t relay) const
    {
        const auto values = Device.TripData.TripDefinition(relay).ParameterValues;
        return QList<float>(values.begin(), values.end());
    }
    SimulatedLink Link;
    FakeClock Clock;
    cTZL Device{Link.Modbus(), Link.UI(), Clock};
};

constexpr float Slip2Degrees = 2.0f / 0.03f / 180.0f; // about 0.37

} // namespace

class tst_TripParameters : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void SetTripFunction();
    void SetTripParameterValue_data();
    void SetTripParameterValue();
    void PhaseAngleLimitsSlipFrequency_data();
    void PhaseAngleLimitsSlipFrequency();
    void Rescaling();
    void RescaledValuesStayWithinNewLimits_data();
    void RescaledValuesStayWithinNewLimits();
};

void tst_TripParameters::SetTripFunction()
{
    Fixture f;
    f.Preset(5, 1, {0, 0, 0, 0, 0, 9});
    f.Device.TripData.SetAlarmFlag(5, true);
    f.Device.TripData.SetInvertedFlag(5, false);
    f.Device.SetTripFunction(5, 16);
    QCOMPARE(f.Device.TripData.FunctionNumber(5), 16);
    QVERIFY(f.Device.TripData.InvertedFlag(5) && f.Device.TripData.AlarmFlag(5));
    QCOMPARE(f.Parameters(5), (QList<float>{2, 11, 99, 0, 0.37f, 0}));
    f.Device.TripData.SetParameterValue(5, 1, 7.0f);
    f.Device.SetTripFunction(5, 16); // the same function changes nothing
    QCOMPARE(f.Device.TripData.ParameterValue(5, 1), 7.0f);
    QVERIFY(f.Link.UI().Messages().isEmpty());

    const QString relay = QStringLiteral("Internal Error: invalid Trip Relay Number!");
    const QString function = QStringLiteral("Internal Error: invalid Trip Function Number!");
    const std::pair<std::pair<int, int>, QString> refused[] = {
        {{0, 1}, relay}, {{17, 28}, relay}, {{1, 28}, function}, {{1, -1}, function}};
    for (const auto& [call, text] : refused) {
        f.Link.UI().ClearMessages();
        f.Device.SetTripFunction(std::int16_t(call.first), std::int16_t(call.second));
        QCOMPARE(f.Link.UI().Messages().size(), 1);
        QCOMPARE(f.Link.UI().Messages()[0].Text, text);
        QCOMPARE(f.Link.UI().Messages()[0].Title, QStringLiteral("TZL Configurator Error"));
    }
    QCOMPARE(f.Device.TripData.FunctionNumber(1), 0);
}

void tst_TripParameters::SetTripParameterValue_data()
{
    // System 110 V, 5 A, 4-wire.
    QTest::addColumn<int>("function");
    QTest::addColumn<QList<float>>("preset");
    QTest::addColumn<int>("position");
    QTest::addColumn<float>("entered");
    QTest::addColumn<QList<float>>("after"); // the six slots
    const auto row = [](const char* name, int f, QList<float> preset, int p, float v,
                        QList<float> after) {
        QTest::newRow(name) << f << preset << p << v << after;
    };
    row("delay rounds", 1, {121, 1.1f, 0.2f}, 3, 1.26f, {121, 1.1f, 1.3f, 0, 0, 0});
    row("typed half rounds up", 1, {121, 1.1f, 0.2f}, 3, 0.35f, {121, 1.1f, 0.4f, 0, 0, 0});
    row("trip point kept, not rounded", 1, {121, 1.1f, 0.2f}, 1, 120.26f,
        {120.26f, 1.1f, 0.2f, 0, 0, 0});
    row("not a number gives minimum", 2, {99, 1.1f, 0.2f}, 2,
        std::numeric_limits<float>::quiet_NaN(), {99, 1.1f, 0.2f, 0, 0, 0});
    row("51 curve rounds down", 14, {5.5f, 1, 0.1f}, 2, 2.7f, {5.5f, 2, 0.1f, 0, 0, 0});
    row("51 curve floor then minimum", 14, {5.5f, 1, 0.1f}, 2, 0.99f, {5.5f, 1, 0.1f, 0, 0, 0});
    row("ground fault dial rounds past max", 15, {5.5f, 0.1f}, 2, 9.96f, {5.5f, 9.9f, 0, 0, 0, 0});
    row("logical input rounds down", 19, {0, 0, 0, 0, 0}, 1, 16.9f, {16, 0, 0, 0, 0, 0});
    row("logical delay", 22, {0, 0, 0, 0, 0}, 5, 2.25f, {0, 0, 0, 0, 2.3f, 0});
    row("no parameter there", 18, {0.2f}, 2, 5, {0.2f, 0, 0, 0, 0, 0});
    // An instantaneous current trip set below the system current needs a
    // delay of at least 0.2.
    row("trip below I raises delay", 5, {5.5f, 0.05f, 0}, 1, 4, {4, 0.05f, 0.2f, 0, 0, 0});
    row("trip above I keeps delay", 7, {5.5f, 0.05f, 0}, 1, 6, {6, 0.05f, 0, 0, 0, 0});
    row("delay with trip at I", 7, {5, 0.05f, 1}, 3, 0.1f, {5, 0.05f, 0.2f, 0, 0, 0});
    row("delay with trip above I", 5, {5.5f, 0.05f, 1}, 3, 0.14f, {5.5f, 0.05f, 0.1f, 0, 0, 0});
    row("slip limited by phase angle", 16, {2, 11, 99, 0, 0.37f}, 5, 0.9f,
        {2, 11, 99, 0, Slip2Degrees, 0});
    row("deadbus slip within wide window", 17, {20, 11, 99, 11, 0, 0.37f}, 6, 0.9f,
        {20, 11, 99, 11, 0, 0.9f});
}

void tst_TripParameters::SetTripParameterValue()
{
    QFETCH(int, function);
    QFETCH(QList<float>, preset);
    QFETCH(int, position);
    QFETCH(float, entered);
    QFETCH(QList<float>, after);
    Fixture f;
    f.Preset(9, std::int16_t(function), preset);
    float value = entered;
    f.Device.SetTripParameterValue(9, std::int16_t(position), value);
    QCOMPARE(f.Parameters(9), after);
    QVERIFY(value == after[position - 1]); // the caller sees what was stored
}

void tst_TripParameters::PhaseAngleLimitsSlipFrequency_data()
{
    QTest::addColumn<int>("function");
    QTest::addColumn<float>("slip");
    QTest::addColumn<float>("angle");
    QTest::addColumn<float>("slipAfter");
    QTest::newRow("narrow window") << 16 << 0.9f << 2.0f << Slip2Degrees;
    QTest::newRow("limit not below maximum") << 16 << 1.0f << 10.8f << 1.0f;
    QTest::newRow("angle clamped first") << 16 << 0.9f << 1.0f << Slip2Degrees;
    QTest::newRow("deadbus") << 17 << 0.9f << 4.0f << 4.0f / 0.03f / 180.0f;
}

void tst_TripParameters::PhaseAngleLimitsSlipFrequency()
{
    QFETCH(int, function);
    QFETCH(float, slip);
    QFETCH(float, angle);
    Fixture f;
    const auto slipPosition = std::int16_t(function == 16 ? 5 : 6);
    f.Device.SetTripFunction(2, std::int16_t(function));
    f.Device.TripData.SetParameterValue(2, slipPosition, slip);
    f.Device.SetTripParameterValue(2, 1, angle);
    QTEST(f.Device.TripData.ParameterValue(2, slipPosition), "slipAfter");
}

void tst_TripParameters::Rescaling()
{
    Fixture f;
    const std::int16_t functions[] = {1, 13, 16, 17, 5, 8, 9, 11, 14, 15};
    for (std::int16_t relay = 1; relay <= 10; ++relay)
        f.Device.SetTripFunction(relay, functions[relay - 1]);
    f.Device.TripData.SetParameterValue(1, 1, 500.0f); // beyond its limit, as from a file
    f.Device.SetSystemVolts(110.0f); // unchanged: only what lies beyond its limits moves
    QCOMPARE(f.Parameters(1), (QList<float>{132, 1.1f, 0.2f, 0, 0, 0}));

    f.Device.SetSystemVolts(220.0f);
    QCOMPARE(f.Parameters(1), (QList<float>{264, 2.2f, 0.2f, 0, 0, 0}));     // Over Volts
    QCOMPARE(f.Parameters(2), (QList<float>{5.5f, 220, 1, 0.1f, 0, 0}));     // 51V
    QCOMPARE(f.Parameters(3), (QList<float>{2, 22, 198, 0, 0.37f, 0}));      // Sync check
    QCOMPARE(f.Parameters(4), (QList<float>{2, 22, 198, 22, 0, 0.37f}));     // Deadbus
    QCOMPARE(f.Parameters(5), (QList<float>{5.5f, 0.05f, 0.2f, 0, 0, 0}));   // code 22: not
    QCOMPARE(f.Parameters(6), (QList<float>{55, 11, 0.2f, 0, 0, 0}));        // Reverse Power
    QCOMPARE(f.Parameters(7), (QList<float>{27.5f, 5.5f, 0.2f, 0, 0, 0}));   // code 25: not
    QCOMPARE(f.Parameters(8), (QList<float>{22, 2.2f, 0.2f, 0, 0, 0}));      // Unbalanced V

    f.Device.SetSystemCurrent(1.0f);
    QCOMPARE(f.Parameters(2), (QList<float>{1.1f, 220, 1, 0.1f, 0, 0}));
    QCOMPARE(f.Parameters(9), (QList<float>{1.1f, 1, 0.1f, 0, 0, 0}));       // 51: dial kept
    QCOMPARE(f.Parameters(10), (QList<float>{1.1f, 0.1f, 0, 0, 0, 0}));      // Ground Fault
    QCOMPARE(f.Parameters(5), (QList<float>{5.5f, 0.05f, 0.2f, 0, 0, 0}));
    QCOMPARE(f.Parameters(6), (QList<float>{11, 2.2f, 0.2f, 0, 0, 0}));
    f.Device.SetSystemCurrent(0.25f); // clamped to 1: nothing moves
    QCOMPARE(f.Parameters(9), (QList<float>{1.1f, 1, 0.1f, 0, 0, 0}));

    // A relay's read-back can leave 0 volts: there is nothing to scale from.
    f.Link.Faults().SetRegisterValue(RegisterKind::Holding, 6, 0.0f);
    f.Link.Relay().SetFirmwareVersion(3.0f);
    QVERIFY(f.Device.DownloadConfig(f.Link.SlaveID()));
    QCOMPARE(f.Device.SystemVolts(), 0.0f);
    f.Device.SetSystemVolts(110.0f);
    QCOMPARE(f.Parameters(1), (QList<float>{264, 2.2f, 0.2f, 0, 0, 0}));
}

void tst_TripParameters::RescaledValuesStayWithinNewLimits_data()
{
    QTest::addColumn<float>("type");
    QTest::addColumn<float>("volts");
    QTest::addColumn<float>("current");
    QTest::newRow("4-wire") << 3.0f << 333.3f << 1.7f;
    QTest::newRow("3-wire") << 2.0f << 11000.0f << 9999.0f;
    QTest::newRow("to the top") << 3.0f << 400000.0f << 10000.0f;
    QTest::newRow("to the bottom") << 2.0f << 1.0f << 1.0f;
}

// Parameters at their old limits end within the new ones, and reverse power
// follows the phase power in proportion, whatever the system type.
void tst_TripParameters::RescaledValuesStayWithinNewLimits()
{
    QFETCH(float, type);
    QFETCH(float, volts);
    QFETCH(float, current);
    const std::int16_t functions[] = {1, 2, 11, 13, 14, 15, 16, 17, 8};
    for (int atMaximum = 0; atMaximum <= 1; ++atMaximum) {
        Fixture f;
        f.Link.Relay().SetSystemType(type);
        QVERIFY(f.Device.UploadConfig(f.Link.SlaveID()));
        for (std::int16_t relay = 1; relay <= 9; ++relay) {
            const std::int16_t function = functions[relay - 1];
            f.Device.SetTripFunction(relay, function);
            for (std::int16_t p = 1; p <= 6; ++p) {
                float lo = 0, hi = 0, def = 0;
                f.Device.ParamLimits(function, p, lo, hi, def);
                f.Device.TripData.SetParameterValue(relay, p, atMaximum ? hi : lo);
            }
        }
        const float reversePower = f.Device.TripData.ParameterValue(9, 1);
        const float phasePower = f.Device.PhasePower();
        f.Device.SetSystemVolts(volts);
        f.Device.SetSystemCurrent(current);
        for (std::int16_t relay = 1; relay <= 9; ++relay) {
            const std::int16_t function = functions[relay - 1];
            for (std::int16_t p = 1; p <= f.Device.TripData.NumberOfParameters(function); ++p) {
                float lo = 0, hi = 0, def = 0;
                f.Device.ParamLimits(function, p, lo, hi, def);
                const float value = f.Device.TripData.ParameterValue(relay, p);
                QVERIFY2(value >= lo && value <= hi,
                         qPrintable(QStringLiteral("function %1 position %2: %3 outside %4..%5")
                                        .arg(function).arg(p).arg(value).arg(lo).arg(hi)));
            }
        }
        const float expected = reversePower * (f.Device.PhasePower() / phasePower);
        QVERIFY(qAbs(f.Device.TripData.ParameterValue(9, 1) / expected - 1.0f) < 1e-5f);
    }
}

QTEST_GUILESS_MAIN(tst_TripParameters)
#include "tst_TripParameters.moc"
