#include "RequestLog.h"
#include "SimulatedLink.h"
#include "model/cTZLInputRegisters.h"

#include <QTest>

namespace {

using Q = cTZLInputRegisters::Quantity;

// The input register of every quantity, as the relay lays them out.
const std::pair<Q, int> RegisterOf[] = {
    {Q::Volts1, 0}, {Q::Volts2, 2}, {Q::Volts3, 4}, {Q::Amps1, 6}, {Q::Amps2, 8},
    {Q::Amps3, 10}, {Q::Power1, 12}, {Q::Power2, 14}, {Q::Power3, 16}, {Q::VA1, 18},
    {Q::VA2, 20}, {Q::VA3, 22}, {Q::VAr1, 24}, {Q::VAr2, 26}, {Q::VAr3, 28},
    {Q::PowerFactor1, 30}, {Q::PowerFactor2, 32}, {Q::PowerFactor3, 34},
    {Q::VoltsAverage, 42}, {Q::AmpsAverage, 46}, {Q::PowerFactorAverage, 62},
    {Q::AmpsSum, 48}, {Q::PowerSum, 52}, {Q::VASum, 56}, {Q::VArSum, 60},
    {Q::Frequency, 70}, {Q::INeutral, 224}, {Q::BusFrequency, 226},
    {Q::BusGenPhaseAngle, 228}, {Q::BusVolts, 230}, {Q::IGround, 232},
};

// A value no other register holds.
float Marker(int reg)
{
    return 1000.25f + float(reg);
}

struct Fixture
{
    Fixture()
    {
        for (const auto& [quantity, reg] : RegisterOf)
            Link.Relay().SetMeasurement(reg, Marker(reg));
    }
    // The quantities that hold their register's value; all others must be 0.
    void Check(const QList<int>& updated)
    {
        for (const auto& [quantity, reg] : RegisterOf)
            QCOMPARE(Inputs.Value(quantity), updated.contains(reg) ? Marker(reg) : 0.0f);
    }
    int UpdateErrors()
    {
        int count = 0;
        for (const auto& message : Link.UI().Messages())
            count += message.Title == QStringLiteral("Measurement Update Error") &&
                     message.Text == QStringLiteral("Modbus Request Failed");
        return count;
    }
    SimulatedLink Link;
    cTZLInputRegisters Inputs{Link.Modbus(), Link.UI()};
};

} // namespace

class tst_cTZLInputRegisters : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void UploadFillsEveryQuantityFromItsRegister();
    void FailingReadWithinGroup_data();
    void FailingReadWithinGroup();
    void FailedUploadClearsAndStops();
};

void tst_cTZLInputRegisters::UploadFillsEveryQuantityFromItsRegister()
{
    Fixture f;
    QVERIFY(f.Inputs.Upload(f.Link.SlaveID()));
    QList<int> all;
    for (const auto& [quantity, reg] : RegisterOf)
        all << reg;
    f.Check(all);
    QCOMPARE(f.Inputs.BusVolts(), Marker(230));
    QCOMPARE(f.Inputs.PowerFactorAverage(), Marker(62));
    QCOMPARE(RequestLog(f.Link.Port().WrittenFrames()),
             (QStringList{"i0", "i42", "i46", "i62", "i48", "i52", "i56", "i60", "i70", "i224"}));
    f.Inputs.Clear();
    f.Check({});
}

void tst_cTZLInputRegisters::FailingReadWithinGroup_data()
{
    QTest::addColumn<int>("group");          // 0 basics, 1 averages, 2 sums, 3 bus/gen
    QTest::addColumn<int>("failingRead");    // within the group, from 1
    QTest::addColumn<QList<int>>("updated"); // registers read before the failure
    QTest::newRow("basics") << 0 << 1 << QList<int>{};
    QTest::newRow("averages, second read") << 1 << 2 << QList<int>{42};
    QTest::newRow("sums, last read") << 2 << 4 << QList<int>{48, 52, 56};
    QTest::newRow("bus/gen, bus block") << 3 << 2 << QList<int>{70};
}

void tst_cTZLInputRegisters::FailingReadWithinGroup()
{
    QFETCH(int, group);
    QFETCH(int, failingRead);
    QFETCH(QList<int>, updated);
    Fixture f;
    f.Link.Faults().ScheduleAt(failingRead, SimFault::Exception(4));
    bool (cTZLInputRegisters::*const groups[])(std::int16_t) = {
        &cTZLInputRegisters::UpLoadBasics, &cTZLInputRegisters::UpLoadAverages,
        &cTZLInputRegisters::UpLoadSums, &cTZLInputRegisters::UpLoadBusGen};
    QVERIFY(!(f.Inputs.*groups[group])(f.Link.SlaveID()));
    QCOMPARE(f.Link.Port().WrittenFrames().size(), failingRead); // nothing read after it
    QCOMPARE(f.UpdateErrors(), 1);
    QCOMPARE(f.Link.UI().Messages().size(), 2); // the link's own message comes first
    f.Check(updated);
}

void tst_cTZLInputRegisters::FailedUploadClearsAndStops()
{
    Fixture f;
    f.Link.Faults().ScheduleAt(6, SimFault::Exception(4)); // the second read of the sums
    QVERIFY(!f.Inputs.Upload(f.Link.SlaveID()));
    QCOMPARE(f.Link.Port().WrittenFrames().size(), 6); // bus/gen not attempted
    QCOMPARE(f.UpdateErrors(), 1);
    f.Check({});
}

QTEST_GUILESS_MAIN(tst_cTZLInputRegisters)
#include "tst_cTZLInputRegisters.moc"
