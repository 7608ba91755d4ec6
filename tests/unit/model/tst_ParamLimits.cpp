#include "model/ParamLimits.h"
#include "model/PowerRatings.h"

#include <QTest>
#include <cmath>

class tst_ParamLimits : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void Table_data();
    void Table();
    void MultipliersAreDoublePrecision();
    void PowerRatings_data();
    void PowerRatings();
};

void tst_ParamLimits::Table_data()
{
    // V = 110, I = 5, P = 550.
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("position");
    QTest::addColumn<QList<float>>("limits"); // minimum, maximum, default
    const auto row = [](const char* name, int f, int p, QList<float> limits) {
        QTest::newRow(name) << f << p << limits;
    };
    row("over volts trip", 1, 1, {5.5f, 132.0f, 121.0f});
    row("under volts trip", 2, 1, {5.5f, 132.0f, 99.0f});
    row("frequency differential", 4, 2, {0.1f, 10.0f, 1.0f});
    row("neutral current differential", 7, 2, {0.05f, 0.75f, 0.05f});
    row("reverse VAr trip", 10, 1, {16.5f, 660.0f, 27.5f});
    row("51V nominal volts", 13, 2, {88.0f, 132.0f, 110.0f});
    row("ground fault dial", 15, 2, {0.1f, 9.9f, 0.1f});
    row("sync voltage min is 1.19 V", 16, 3, {5.5f, 130.9f, 99.0f});
    row("deadbus level", 17, 4, {5.5f, 55.0f, 11.0f});
    row("deadbus slip", 17, 6, {0.1f, 1.0f, 0.37f});
    row("unacknowledged alarm", 27, 1, {0.0f, 30.0f, 0.2f});
    row("logical input", 25, 3, {0.0f, 16.0f, 0.0f});
    row("logical delay off", 19, 5, {0.0f, 30.0f, 0.0f});
    row("unused function", 0, 1, {0, 0, 0});
    row("beyond three parameters", 1, 4, {0, 0, 0});
    row("logical position 6", 19, 6, {0, 0, 0});
    row("index 28", 28, 1, {0, 0, 0});
}

void tst_ParamLimits::Table()
{
    QFETCH(int, function);
    QFETCH(int, position);
    const ParameterLimits limits =
        ParamLimitsFor(std::int16_t(function), std::int16_t(position), 110.0f, 5.0f, 550.0f);
    QTEST((QList<float>{limits.Minimum, limits.Maximum, limits.Default}), "limits");
}

// Single-precision multipliers would miss these by a unit in the last place.
void tst_ParamLimits::MultipliersAreDoublePrecision()
{
    const ParameterLimits differential = ParamLimitsFor(1, 2, 400000.0f, 10000.0f, 0.0f);
    QVERIFY(differential.Maximum == 60000.0f);
    QVERIFY(float(0.15f * 400000.0f) != 60000.0f);
    QVERIFY(ParamLimitsFor(16, 3, 400000.0f, 1.0f, 0.0f).Maximum == 476000.0f);
    QVERIFY(ParamLimitsFor(17, 6, 110.0f, 5.0f, 550.0f).Default == 0.37f);
}

void tst_ParamLimits::PowerRatings_data()
{
    QTest::addColumn<float>("type");
    QTest::addColumn<float>("phase");
    QTest::addColumn<float>("system");
    const float root3 = float(std::sqrt(3.0) * 40000.0); // about 69282
    QTest::newRow("3-wire") << 2.0f << root3 << root3;
    QTest::newRow("4-wire") << 3.0f << 40000.0f << 120000.0f;
    QTest::newRow("2.6 rounds to 4-wire") << 2.6f << 40000.0f << 120000.0f;
    QTest::newRow("type 4") << 4.0f << 0.0f << 0.0f;
    QTest::newRow("type beyond 16 bits") << 1.0e9f << 0.0f << 0.0f;
}

void tst_ParamLimits::PowerRatings()
{
    QFETCH(float, type);
    QTEST(PhasePowerOf(type, 400.0f, 100.0f), "phase");
    QTEST(SystemPowerOf(type, 400.0f, 100.0f), "system");
}

QTEST_APPLESS_MAIN(tst_ParamLimits)
#include "tst_ParamLimits.moc"
