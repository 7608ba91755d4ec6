#include "Golden.h"
#include "RelayBench.h"
#include "model/MeasurementNames.h"
#include "model/cTZLInputRegisters.h"

#include <QTest>

namespace {

constexpr float ReadingStep = 1000.25f;

struct Fixture : RelayBench
{
    // Each input register of the relay's measurements holds a value no other
    // holds: the register's number plus a step per reading.
    void Measure(int reading)
    {
        for (int reg = 0; reg <= 232; reg += 2)
            Link.Relay().SetMeasurement(reg, float(reading) * ReadingStep + float(reg));
    }
    // Each quantity's register and reading, "0" when cleared, and whether it
    // holds a reading of its own.
    QString Held() const
    {
        QString held;
        for (const MeasurementName& name : MeasurementNames) {
            const float value = Inputs.Value(name.Quantity);
            const int reading = int(value / ReadingStep);
            held += QStringLiteral("  %1: %2%3\n")
                        .arg(name.Name)
                        .arg(value == 0 ? QStringLiteral("0")
                                        : QStringLiteral("register %1, reading %2")
                                              .arg(FloatText(value - float(reading) * ReadingStep))
                                              .arg(reading))
                        .arg(Inputs.HasReading(name.Quantity) ? "" : ", unread");
        }
        return held;
    }
    cTZLInputRegisters Inputs{Link.Modbus(), Link.UI(), Clock};
};

using Upload = bool (cTZLInputRegisters::*)(std::int16_t);

} // namespace

// Which register fills each quantity, and what a failed read leaves: the
// quantities read before it hold the new reading, the rest of the group
// keeps the old one but counts as unread, and a whole upload clears
// everything. The golden holds each quantity after each case.
class tst_cTZLInputRegisters : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void Uploads()
    {
        Fixture whole;
        whole.Measure(2);
        QVERIFY(whole.Inputs.Upload(whole.Slave()));
        QString produced = QStringLiteral("# upload\n") + whole.Held();
        const std::tuple<const char*, Upload, int> cases[] = {
            // the group uploaded; its failing read, from 1
            {"basics", &cTZLInputRegisters::UpLoadBasics, 1},
            {"averages, second read", &cTZLInputRegisters::UpLoadAverages, 2},
            {"sums, last read", &cTZLInputRegisters::UpLoadSums, 4},
            {"bus/gen, bus block", &cTZLInputRegisters::UpLoadBusGen, 2},
            // and not on to the bus block
            {"upload, second read of the sums", &cTZLInputRegisters::Upload, 6}};
        for (const auto& [name, upload, failingRead] : cases) {
            Fixture f;
            f.Measure(1);
            QVERIFY(f.Inputs.Upload(f.Slave()));
            f.Measure(2);
            f.Link.Port().ClearWrittenFrames();
            f.Link.Faults().Clear();
            f.Link.Faults().ScheduleAt(failingRead, SimFault::Exception(4));
            QVERIFY(!(f.Inputs.*upload)(f.Slave()));
            QCOMPARE(f.Link.Port().WrittenFrames().size(), failingRead); // nothing read after it
            // The link's own message comes first.
            QCOMPARE(f.Shown().mid(2),
                     (QStringList{"Modbus Request Failed", "Measurement Update Error"}));
            produced += QStringLiteral("# %1\n").arg(name) + f.Held();
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("input-registers.txt"), produced);
    }
};

QTEST_GUILESS_MAIN(tst_cTZLInputRegisters)
#include "tst_cTZLInputRegisters.moc"
