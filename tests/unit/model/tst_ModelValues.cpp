#include "model/MeasurementFormat.h"
#include "model/ParamLimits.h"
#include "model/PowerRatings.h"
#include "model/RelayDateTime.h"

#include <QTest>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr float Volts = 415;
constexpr float Current = 7;
constexpr float Power = 123456;

enum class Of { Fixed, V, I, P };

// A row of the limits table: the functions it holds for (0 fills the list),
// the parameter position, what the limits are fractions of, and minimum,
// maximum and default (fixed values as the singles nearest to them).
struct LimitRow
{
    std::array<int, 7> Functions;
    int Position;
    Of Base;
    double Minimum, Maximum, Default;
};

constexpr double Tenth = 0.1f, Fifth = 0.2f, Slip = 0.37f, TopDial = 9.9f;

constexpr LimitRow LimitTable[] = {
    {{1}, 1, Of::V, 0.05, 1.2, 1.1},
    {{2}, 1, Of::V, 0.05, 1.2, 0.9},
    {{1, 2, 11}, 2, Of::V, 0.01, 0.15, 0.01},
    {{3, 4}, 1, Of::Fixed, 40, 70, 50},
    {{3, 4}, 2, Of::Fixed, Tenth, 10, 1},
    {{5, 7}, 1, Of::I, 0.2, 3, 1.1},
    {{6}, 1, Of::I, 0.2, 3, 0.9},
    {{5, 6, 7, 12}, 2, Of::I, 0.01, 0.15, 0.01},
    {{8, 9, 10}, 1, Of::P, 0.03, 1.2, 0.05},
    {{8, 9, 10}, 2, Of::P, 0.01, 0.15, 0.01},
    {{11}, 1, Of::V, 0.01, 0.25, 0.1},
    {{12}, 1, Of::I, 0.05, 1.2, 0.1},
    {{1, 2, 3, 4, 5, 6, 7}, 3, Of::Fixed, 0, 30, Fifth},
    {{8, 9, 10, 11, 12}, 3, Of::Fixed, 0, 30, Fifth},
    {{13, 14, 15}, 1, Of::I, 0.05, 1.2, 1.1},
    {{13}, 2, Of::V, 0.8, 1.2, 1},
    {{13}, 3, Of::Fixed, 1, 3, 1},
    {{13}, 4, Of::Fixed, Tenth, TopDial, Tenth},
    {{14}, 2, Of::Fixed, 1, 3, 1},
    {{14}, 3, Of::Fixed, Tenth, TopDial, Tenth},
    {{15}, 2, Of::Fixed, Tenth, TopDial, Tenth},
    {{16, 17}, 1, Of::Fixed, 2, 20, 2},
    {{16, 17}, 2, Of::V, 0, 0.2, 0.1},
    {{16, 17}, 3, Of::V, 0.05, 1.19, 0.9},
    {{16}, 4, Of::Fixed, 0, 5, 0},
    {{16}, 5, Of::Fixed, Tenth, 1, Slip},
    {{17}, 4, Of::V, 0.05, 0.5, 0.1},
    {{17}, 5, Of::Fixed, 0, 5, 0},
    {{17}, 6, Of::Fixed, Tenth, 1, Slip},
    {{18, 26, 27}, 1, Of::Fixed, 0, 30, Fifth},
    {{19, 20, 21, 22, 23, 24, 25}, 1, Of::Fixed, 0, 16, 0},
    {{19, 20, 21, 22, 23, 24, 25}, 2, Of::Fixed, 0, 16, 0},
    {{19, 20, 21, 22, 23, 24, 25}, 3, Of::Fixed, 0, 16, 0},
    {{19, 20, 21, 22, 23, 24, 25}, 4, Of::Fixed, 0, 30, 0},
    {{19, 20, 21, 22, 23, 24, 25}, 5, Of::Fixed, 0, 30, 0},
};

// Each limit a double product stored as a single.
QList<float> Expected(const LimitRow& row)
{
    const double base = row.Base == Of::V   ? Volts
                        : row.Base == Of::I ? Current
                        : row.Base == Of::P ? Power
                                            : 1.0;
    return {float(row.Minimum * base), float(row.Maximum * base), float(row.Default * base)};
}

} // namespace

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

    // The whole table of limits, row by row, for an installation whose volts,
    // current and phase power are far apart, so a limit taken from the wrong
    // one shows.
    void Limits_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<int>("position");
        QTest::addColumn<QList<float>>("limits"); // minimum, maximum, default
        for (const LimitRow& row : LimitTable) {
            for (const int f : row.Functions) {
                if (f == 0)
                    continue;
                QTest::addRow("function %d position %d", f, row.Position)
                    << f << row.Position << Expected(row);
            }
        }
    }
    void Limits()
    {
        QFETCH(int, function);
        QFETCH(int, position);
        const ParameterLimits limits =
            ParamLimitsFor(std::int16_t(function), std::int16_t(position), Volts, Current, Power);
        QTEST((QList<float>{limits.Minimum, limits.Maximum, limits.Default}), "limits");
    }

    // Function 0, indices outside 0 to 27 and positions beyond a function's
    // parameters have no limits.
    void NoLimitsOutsideTheTable()
    {
        for (int f = -1; f <= 28; ++f) {
            for (int p = -1; p <= 7; ++p) {
                const bool listed = std::any_of(
                    std::begin(LimitTable), std::end(LimitTable), [&](const LimitRow& row) {
                        return row.Position == p
                               && std::find(row.Functions.begin(), row.Functions.end(), f)
                                      != row.Functions.end()
                               && f != 0;
                    });
                if (listed)
                    continue;
                const ParameterLimits limits =
                    ParamLimitsFor(std::int16_t(f), std::int16_t(p), Volts, Current, Power);
                QVERIFY2(limits.Minimum == 0 && limits.Maximum == 0 && limits.Default == 0,
                         qPrintable(QStringLiteral("function %1 position %2").arg(f).arg(p)));
            }
        }
    }

    // Single-precision multipliers would miss these by a unit in the last place.
    void LimitsAt400kV_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<int>("position");
        QTest::addColumn<QList<float>>("limits");
        QTest::newRow("differential") << 1 << 2 << QList<float>{4000, 60000, 4000};
        QTest::newRow("voltage min is 1.19 V") << 16 << 3 << QList<float>{20000, 476000, 360000};
    }
    void LimitsAt400kV()
    {
        QFETCH(int, function);
        QFETCH(int, position);
        const ParameterLimits limits =
            ParamLimitsFor(std::int16_t(function), std::int16_t(position), 400000, 1, 0);
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
