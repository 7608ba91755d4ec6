#include "model/MeasurementFormat.h"

#include <QTest>

class tst_MeasurementFormat : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void Measurement_data();
    void Measurement();
    void SystemPower_data();
    void SystemPower();
};

void tst_MeasurementFormat::Measurement_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0f << "0.00000  ";
    QTest::newRow("negative zero") << -0.0f << "0.00000  ";
    QTest::newRow("power factor") << 0.95f << "0.95000  ";
    QTest::newRow("negative volts") << -230.5f << "-230.500  ";
    QTest::newRow("range chosen before rounding") << 999.9996f << "1000.000  ";
    QTest::newRow("1000") << 1000.0f << "1.000 k";
    QTest::newRow("-1500") << -1500.0f << "-1.500 k";
    QTest::newRow("999999") << 999999.0f << "999.999 k";
    QTest::newRow("1000000") << 1000000.0f << "1.000 M";
    QTest::newRow("just below a billion") << 999999936.0f << "1000.000 M";
    QTest::newRow("2.5e9 still in millions") << 2.5e9f << "2500.00 M";
}

void tst_MeasurementFormat::Measurement()
{
    QFETCH(float, value);
    QTEST(FormatMeasurement(value), "text");
}

void tst_MeasurementFormat::SystemPower_data()
{
    QTest::addColumn<float>("power");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("units");
    QTest::newRow("1000 stays W") << 1000.0f << "1,000.00" << "W";
    QTest::newRow("1000.5") << 1000.5f << "1.00" << "kW";
    QTest::newRow("a million stays kW") << 1000000.0f << "1,000.00" << "kW";
    QTest::newRow("2500000") << 2500000.0f << "2.50" << "MW";
    QTest::newRow("largest rating") << 1.2e10f << "12,000.00" << "MW";
}

void tst_MeasurementFormat::SystemPower()
{
    QFETCH(float, power);
    const PowerDisplay display = FormatSystemPower(power);
    QTEST(display.Value, "value");
    QTEST(display.Units, "units");
}

QTEST_APPLESS_MAIN(tst_MeasurementFormat)
#include "tst_MeasurementFormat.moc"
