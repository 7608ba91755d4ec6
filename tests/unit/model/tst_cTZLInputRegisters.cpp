#include "FakeClock.h"
#include "SimulatedLink.h"
#include "model/cTZLInputRegisters.h"

#include <QTest>

namespace {

using Q = cTZLInputRegisters::Quantity;

// The input register of every quantity, as the relay lays them out.
const std::pair<Q, int> RegisterOf[] = {
    {Q::Volts1, 0},
    {Q::Volts2, 2},
    {Q::Volts3, 4},
    {Q::Amps1, 6},
    {Q::Amps2, 8},
    {Q::Amps3, 10},
    {Q::Power1, 12},
    {Q::Power2, 14},
    {Q::Power3, 16},
    {Q::VA1, 18},
    {Q::VA2, 20},
    {Q::VA3, 22},
    {Q::VAr1, 24},
    {Q::VAr2, 26},
    {Q::VAr3, 28},
    {Q::PowerFactor1, 30},
    {Q::PowerFactor2, 32},
    {Q::PowerFactor3, 34},
    {Q::VoltsAverage, 42},
    {Q::AmpsAverage, 46},
    {Q::PowerFactorAverage, 62},
    {Q::AmpsSum, 48},
    {Q::PowerSum, 52},
    {Q::VASum, 56},
    {Q::VArSum, 60},
    {Q::Frequency, 70},
    {Q::INeutral, 224},
    {Q::BusFrequency, 226},
    {Q::BusGenPhaseAngle, 228},
    {Q::BusVolts, 230},
    {Q::IGround, 232},
};

// A value no other register holds, in the relay's first and second reading.
float Marker(int reg, int reading = 1)
{
    return float(reading) * 1000.25f + float(reg);
}

struct Fixture
{
    void Measure(int reading)
    {
        for (const auto& [quantity, reg] : RegisterOf)
            Link.Relay().SetMeasurement(reg, Marker(reg, reading));
    }
    // The quantities that hold their register's second reading; all others
    // must hold `others`' reading (0: cleared).
    void Check(const QList<int>& updated, int others = 0)
    {
        for (const auto& [quantity, reg] : RegisterOf)
            QCOMPARE(Inputs.Value(quantity), updated.contains(reg) ? Marker(reg, 2)
                                             : others > 0          ? Marker(reg, others)
                                                                   : 0.0f);
    }
    SimulatedLink Link;
    FakeClock Clock;
    cTZLInputRegisters Inputs{Link.Modbus(), Link.UI(), Clock};
};

using Upload = bool (cTZLInputRegisters::*)(std::int16_t);

QList<int> Registers(int first, int last)
{
    QList<int> registers;
    for (int reg = first; reg <= last; reg += 2)
        registers << reg;
    return registers;
}

} // namespace

Q_DECLARE_METATYPE(Upload)

class tst_cTZLInputRegisters : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void UploadFillsEveryQuantityFromItsRegister()
    {
        Fixture f;
        f.Measure(2);
        QVERIFY(f.Inputs.Upload(f.Link.SlaveID()));
        QList<int> all;
        for (const auto& [quantity, reg] : RegisterOf)
            all << reg;
        f.Check(all);
    }

    void FailingRead_data()
    {
        QTest::addColumn<Upload>("upload");
        QTest::addColumn<int>("failingRead");    // from 1
        QTest::addColumn<QList<int>>("updated"); // registers that keep what was read before it
        QTest::addColumn<int>("others");         // 1: the rest keep the first reading, 0: cleared
        QTest::addColumn<QList<int>>("unread");  // registers left without a reading
        QTest::newRow("basics") << &cTZLInputRegisters::UpLoadBasics << 1 << QList<int>{} << 1
                                << Registers(0, 34);
        QTest::newRow("averages, second read") << &cTZLInputRegisters::UpLoadAverages << 2
                                               << QList<int>{42} << 1 << QList<int>{46, 62};
        QTest::newRow("sums, last read") << &cTZLInputRegisters::UpLoadSums << 4
                                         << QList<int>{48, 52, 56} << 1 << QList<int>{60};
        QTest::newRow("bus/gen, bus block")
            << &cTZLInputRegisters::UpLoadBusGen << 2 << QList<int>{70} << 1 << Registers(224, 232);
        // A whole upload clears everything and does not go on to the bus block.
        QTest::newRow("upload, second read of the sums")
            << &cTZLInputRegisters::Upload << 6 << QList<int>{} << 0 << Registers(0, 232);
    }
    void FailingRead()
    {
        QFETCH(Upload, upload);
        QFETCH(int, failingRead);
        QFETCH(QList<int>, updated);
        QFETCH(int, others);
        QFETCH(QList<int>, unread);
        Fixture f;
        f.Measure(1);
        QVERIFY(f.Inputs.Upload(f.Link.SlaveID()));
        f.Measure(2);
        f.Link.Port().ClearWrittenFrames();
        f.Link.Faults().Clear();
        f.Link.Faults().ScheduleAt(failingRead, SimFault::Exception(4));
        QVERIFY(!(f.Inputs.*upload)(f.Link.SlaveID()));
        QCOMPARE(f.Link.Port().WrittenFrames().size(), failingRead); // nothing read after it
        QCOMPARE(f.Link.UI().Messages().size(), 2); // the link's own message comes first
        QCOMPARE(f.Link.UI().Messages()[1].Text, QStringLiteral("Modbus Request Failed"));
        QCOMPARE(f.Link.UI().Messages()[1].Title, QStringLiteral("Measurement Update Error"));
        f.Check(updated, others);
        for (const auto& [quantity, reg] : RegisterOf)
            QCOMPARE(f.Inputs.HasReading(quantity), !unread.contains(reg));
    }
};

QTEST_GUILESS_MAIN(tst_cTZLInputRegisters)
#include "tst_cTZLInputRegisters.moc"
