#include "model/MeasurementFormat.h"
#include "model/ParamLimits.h"
#include "model/PowerRatings.h"
#include "model/RelayDateTime.h"

#include <QTest>
#include <cmath>

// The model's plain value functions: measurement texts, limits, ratings and
// relay dates.
class tst_ModelValues : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void Measurement_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("negative zero") << -0.0f << "0.00000  ";
        QTest::newRow("range chosen before rounding") << 999.9996f << "1000.000  ";
        QTest::newRow("1000") << 1000.0f << "1.000 k";
        QTest::newRow("-1500") << -1500.0f << "-1.500 k";
        QTest::newRow("999999") << 999999.0f << "999.999 k";
        QTest::newRow("1000000") << 1000000.0f << "1.000 M";
        QTest::newRow("2.5e9 still in millions") << 2.5e9f << "2500.00 M";
    }
    void Measurement()
    {
        QFETCH(float, value);
        QTEST(FormatMeasurement(value), "text");
    }

    void SystemPower_data()
    {
        QTest::addColumn<float>("power");
        QTest::addColumn<QStringList>("shown"); // value, units
        QTest::newRow("1000 stays W") << 1000.0f << QStringList{"1,000.00", "W"};
        QTest::newRow("1000.5") << 1000.5f << QStringList{"1.00", "kW"};
        QTest::newRow("a million stays kW") << 1000000.0f << QStringList{"1,000.00", "kW"};
        QTest::newRow("2500000") << 2500000.0f << QStringList{"2.50", "MW"};
    }
    void SystemPower()
    {
        QFETCH(float, power);
        const PowerDisplay display = FormatSystemPower(power);
        QTEST((QStringList{display.Value, display.Units}), "shown");
    }

    void Limits_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<int>("position");
        QTest::addColumn<QList<float>>("system"); // volts, current, phase power
        QTest::addColumn<QList<float>>("limits"); // minimum, maximum, default
        const auto row = [](const char* name, int f, int p, QList<float> limits,
                            QList<float> system = {110, 5, 550}) {
            QTest::newRow(name) << f << p << system << limits;
        };
        row("over volts trip", 1, 1, {5.5f, 132, 121});
        row("under volts trip", 2, 1, {5.5f, 132, 99});
        row("neutral current differential", 7, 2, {0.05f, 0.75f, 0.05f});
        row("reverse VAr trip", 10, 1, {16.5f, 660, 27.5f});
        row("sync voltage min is 1.19 V", 16, 3, {5.5f, 130.9f, 99});
        row("deadbus slip", 17, 6, {0.1f, 1, 0.37f});
        row("logical input", 25, 3, {0, 16, 0});
        row("unused function", 0, 1, {0, 0, 0});
        row("beyond three parameters", 1, 4, {0, 0, 0});
        row("index 28", 28, 1, {0, 0, 0});
        // Single-precision multipliers would miss these by a unit in the last place.
        row("differential at 400 kV", 1, 2, {4000, 60000, 4000}, {400000, 10000, 0});
        row("voltage min at 400 kV", 16, 3, {20000, 476000, 360000}, {400000, 1, 0});
    }
    void Limits()
    {
        QFETCH(int, function);
        QFETCH(int, position);
        QFETCH(QList<float>, system);
        const ParameterLimits limits = ParamLimitsFor(
            std::int16_t(function), std::int16_t(position), system[0], system[1], system[2]);
        QTEST((QList<float>{limits.Minimum, limits.Maximum, limits.Default}), "limits");
    }

    void PowerRatings_data()
    {
        QTest::addColumn<float>("type");
        QTest::addColumn<QList<float>>("powers");            // phase, system
        const float root3 = float(std::sqrt(3.0) * 40000.0); // about 69282
        QTest::newRow("3-wire") << 2.0f << QList<float>{root3, root3};
        QTest::newRow("4-wire") << 3.0f << QList<float>{40000, 120000};
        QTest::newRow("2.6 rounds to 4-wire") << 2.6f << QList<float>{40000, 120000};
        QTest::newRow("type 4") << 4.0f << QList<float>{0, 0};
    }
    void PowerRatings()
    {
        QFETCH(float, type);
        QTEST((QList<float>{PhasePowerOf(type, 400, 100), SystemPowerOf(type, 400, 100)}),
              "powers");
    }

    void Compose_data()
    {
        QTest::addColumn<QList<int>>("fields"); // year, month, day, hour, minute, second
        QTest::addColumn<QDateTime>("expected");
        const auto row = [](const char* name, QList<int> fields, QDate date, QTime time = {0, 0}) {
            QTest::newRow(name) << fields << (date.isValid() ? QDateTime(date, time) : QDateTime());
        };
        row("year 29", {29, 6, 1, 0, 0, 0}, {2029, 6, 1});
        row("year 30", {30, 6, 1, 0, 0, 0}, {1930, 6, 1});
        row("month 13", {26, 13, 1, 0, 0, 0}, {2027, 1, 1});
        row("day 0 of a leap March", {24, 3, 0, 0, 0, 0}, {2024, 2, 29});
        row("carry through new year", {25, 12, 31, 23, 59, 60}, {2026, 1, 1});
        row("negative minute", {26, 3, 15, 0, -1, 0}, {2026, 3, 14}, {23, 59});
        row("cleared event record", {0, 0, 0, 0, 0, 0}, {1999, 11, 30});
        row("carried past 9999", {9999, 12, 31, 23, 59, 60}, {});
        row("carried before 100", {100, 1, 0, 0, 0, 0}, {});
        row("negative year, largest carries", {-32768, 32767, 32767, 32767, 32767, 32767}, {});
    }
    void Compose()
    {
        QFETCH(QList<int>, fields);
        const auto moment =
            ComposeRelayDateTime(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);
        QTEST(moment.value_or(QDateTime()), "expected");
    }
};

QTEST_APPLESS_MAIN(tst_ModelValues)
#include "tst_ModelValues.moc"
