#include "trips/cTripCatalogue.h"

#include <QSet>
#include <QTest>
#include <cmath>
#include <limits>

class tst_cTripCatalogue : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void texts_data();
    void texts();
    void parameterCounts();
    void codes_data();
    void codes();
    void codesAreOneToOne();
    void firmwareBands_data();
    void firmwareBands();
};

void tst_cTripCatalogue::texts_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("tip");
    const QString unknown = QStringLiteral("(Unknown)");
    QTest::newRow("index -1") << -1 << 1 << unknown << unknown << unknown << "Unknown)";
    QTest::newRow("unused") << 0 << 1 << "(UnUsed)" << unknown << unknown << "Unknown)";
    QTest::newRow("past count") << 1 << 4 << "Over Volts (ANSI 59)" << unknown << unknown
                                << "Unknown)";
    QTest::newRow("plain unit") << 13 << 3 << "Time Overcurrent with Voltage Restraint (ANSI 51V)"
                                << "Time Curve" << "  "
                                << "Time Current characteristic (1=Standard Inverse, 2= Very "
                                   "Inverse, 3= Extremely Inverse)";
    QTest::newRow("sixth slot") << 17 << 6 << "Synchroning Check with Deadbus (ANSI 25D)"
                                << "Slip Frequency" << "Hz"
                                << "The maximum permitted frequency difference between the "
                                   "'bus' and the 'generator' (Slip Frequency)";
    QTest::newRow("index 28") << 28 << 1 << unknown << unknown << unknown << "Unknown)";
}

void tst_cTripCatalogue::texts()
{
    QFETCH(int, index);
    QFETCH(int, position);
    QFETCH(QString, function);
    QFETCH(QString, parameter);
    QFETCH(QString, unit);
    QFETCH(QString, tip);
    const auto i = std::int16_t(index);
    const auto p = std::int16_t(position);
    QCOMPARE(cTripCatalogue::FunctionName(i), function);
    QCOMPARE(cTripCatalogue::ParameterName(i, p), parameter);
    QCOMPARE(cTripCatalogue::ParameterUnitName(i, p), unit);
    QCOMPARE(cTripCatalogue::ParameterFunctionTip(i, p), tip);
    QCOMPARE(cTripCatalogue::ParameterUnitsTip(i, p), QString());
}

void tst_cTripCatalogue::parameterCounts()
{
    const int expected[] = {0, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 4,
                            3, 2, 5, 6, 1, 5, 5, 5, 5, 5, 5, 5, 1, 1};
    for (int index = -1; index <= 28; ++index) {
        const bool valid = index >= 0 && index <= 27;
        QCOMPARE(cTripCatalogue::NumberOfParameters(std::int16_t(index)),
                 valid ? expected[index] : 0);
    }
}

void tst_cTripCatalogue::codes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("index");
    QTest::newRow("reverse power") << 5 << 8;
    QTest::newRow("unbalanced current") << 27 << 12;
    QTest::newRow("28") << 28 << 0;
    QTest::newRow("99") << 99 << 0;
}

void tst_cTripCatalogue::codes()
{
    QFETCH(int, code);
    QFETCH(int, index);
    QCOMPARE(cTripCatalogue::FunctionIndexOfCode(code), index);
}

void tst_cTripCatalogue::codesAreOneToOne()
{
    // Every code 0..27 belongs to exactly one function: the mappings undo
    // each other.
    QSet<int> seen;
    for (int i = 0; i < cTripCatalogue::FunctionCount; ++i) {
        seen.insert(cTripCatalogue::FunctionCode(i));
        QCOMPARE(cTripCatalogue::FunctionIndexOfCode(cTripCatalogue::FunctionCode(i)), i);
    }
    QCOMPARE(seen.size(), cTripCatalogue::FunctionCount);
}

void tst_cTripCatalogue::firmwareBands_data()
{
    QTest::addColumn<float>("version");
    QTest::addColumn<int>("highest");
    QTest::newRow("zero") << 0.0F << -1;
    QTest::newRow("smallest positive") << std::numeric_limits<float>::denorm_min() << 21;
    QTest::newRow("just below 3") << std::nextafter(3.0F, 0.0F) << 21;
    QTest::newRow("3.0") << 3.0F << 27;
    QTest::newRow("just below 4") << std::nextafter(4.0F, 0.0F) << 27;
    QTest::newRow("4.0") << 4.0F << -1;
    QTest::newRow("NaN") << std::numeric_limits<float>::quiet_NaN() << -1;
}

void tst_cTripCatalogue::firmwareBands()
{
    QFETCH(float, version);
    QFETCH(int, highest);
    QCOMPARE(cTripCatalogue::HighestCodeAccepted(version), highest);
}

QTEST_GUILESS_MAIN(tst_cTripCatalogue)
#include "tst_cTripCatalogue.moc"
