#include "FakeClock.h"
#include "SimulatedLink.h"

#include "model/MeasurementCsv.h"
#include "model/MeasurementCycle.h"
#include "model/cTZL.h"
#include "trends/TrendCsv.h"
#include "trends/TrendHistory.h"
#include "trends/TrendPlotData.h"
#include "trends/TrendSeries.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

using Q = cTZLInputRegisters::Quantity;
using Block = cPollingCycle::MeasurementBlock;
using Step = cPollingCycle::Step;
constexpr qint64 Hour = 3600 * 1000;

// Every quantity read, each with a value of its own.
cTZLInputRegisters::Readings AllRead(float base = 100.0f)
{
    cTZLInputRegisters::Readings readings;
    for (std::size_t q = 0; q < readings.size(); ++q)
        readings.at(q) = base + float(q);
    return readings;
}

// A line of samples written as "time" or "time!" for a gap, values 1, 2, ...
TrendHistory::Samples SamplesOf(const QString& text)
{
    TrendHistory::Samples samples;
    float value = 0.0f;
    for (const QString& item : text.split(u' ', Qt::SkipEmptyParts)) {
        const bool gap = item.endsWith(u'!');
        samples.push_back({QString(item).remove(u'!').toLongLong(), ++value, gap});
    }
    return samples;
}

QString TextOf(const TrendHistory::Samples& samples)
{
    QStringList items;
    for (const TrendSample& s : samples)
        items << QString::number(s.TimeMs) + (s.Gap ? QStringLiteral("!") : QString());
    return items.join(u' ');
}

QString TextOf(const QList<QList<QPointF>>& segments)
{
    QStringList pieces;
    for (const QList<QPointF>& segment : segments) {
        QStringList points;
        for (const QPointF& p : segment)
            points << QStringLiteral("%1:%2").arg(p.x()).arg(p.y());
        pieces << points.join(u' ');
    }
    return pieces.join(QStringLiteral(" | "));
}

} // namespace

// The window-free half of the Trends window: the history, what its plots and
// read-out draw from it, its CSV export, and the tick that keeps it filling.
class tst_Trends : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Records of the basics block: "time" read, "time!" failed; the samples
    // Volts1 then holds.
    void HistoryBoundsGapsAndOrder_data()
    {
        QTest::addColumn<QString>("records");
        QTest::addColumn<QString>("kept");
        const QString h8 = QString::number(8 * Hour);
        const QString h8plus = QString::number(8 * Hour + 1);
        QTest::newRow("in order") << "0 3000 6000"
                                  << "0 3000 6000";
        QTest::newRow("a failed read is a gap") << "0 3000! 6000"
                                                << "0 3000! 6000";
        QTest::newRow("eight hours back is kept") << "0 " + h8 << "0 " + h8;
        QTest::newRow("older drops out") << "0 1000 " + h8plus << "1000 " + h8plus;
        QTest::newRow("clock set back drops the later samples") << "0 3000 6000 9000 4000"
                                                                << "0 3000 4000";
        QTest::newRow("same moment twice is kept") << "0 3000 3000"
                                                   << "0 3000 3000";
    }
    void HistoryBoundsGapsAndOrder()
    {
        QFETCH(QString, records);
        TrendHistory history;
        for (const QString& item : records.split(u' ')) {
            cTZLInputRegisters::Readings readings = AllRead();
            if (item.endsWith(u'!'))
                readings.at(std::size_t(Q::Volts1)).reset();
            history.Record(QString(item).remove(u'!').toLongLong(), Block::Basics, readings);
        }
        QTEST(TextOf(history.SamplesOf(Q::Volts1)), "kept");
        // One record a pass, whatever was dropped.
        QCOMPARE(history.Records().size(), history.SamplesOf(Q::Volts1).size());
    }

    void HistoryStaysBoundedWhateverTheRate()
    {
        // Ten hours of every block every second: far faster than the tick.
        TrendHistory history;
        const cTZLInputRegisters::Readings readings = AllRead();
        for (qint64 t = 0; t <= 10 * Hour; t += 1000)
            for (Block block : {Block::Basics, Block::Averages, Block::Sums, Block::BusGen})
                history.Record(t, block, readings);
        for (const TrendSeries& series : TrendSeriesList) {
            const TrendHistory::Samples& samples = history.SamplesOf(series.Quantity);
            QCOMPARE(samples.size(), std::size_t(8 * 3600 + 1));
            QCOMPARE(samples.front().TimeMs, 2 * Hour);
        }
    }

    // What each block of the rotation reads into the measurements is what
    // the history files under that block.
    void BlockToSeries_data()
    {
        QTest::addColumn<int>("block");
        QTest::newRow("basics") << int(Block::Basics);
        QTest::newRow("averages") << int(Block::Averages);
        QTest::newRow("sums") << int(Block::Sums);
        QTest::newRow("bus/gen") << int(Block::BusGen);
    }
    void BlockToSeries()
    {
        QFETCH(int, block);
        SimulatedLink link;
        FakeClock clock;
        cTZL device(link.Modbus(), link.UI(), clock);
        cPollingCycle rotation;
        MeasurementCycleResult result;
        // The rotation reaches every block within its first seven cycles.
        do {
            device.Inputs.Clear();
            result = RunMeasurementCycle(rotation, device, link.SlaveID());
        } while (result.Block != Block(block));
        QVERIFY(result.BlockRead);
        QList<Q> read;
        for (int q = 0; q < int(Q::Count); ++q)
            if (device.Inputs.HasReading(Q(q)))
                read << Q(q);
        QCOMPARE(BlockQuantities(Block(block)), read);
    }
    // The export of the history reads exactly as `tzlctl watch --csv`'s file
    // of the same cycles, failed reads and a half-read group included.
    void CsvExportEqualsWatch()
    {
        SimulatedLink link;
        FakeClock clock(QDateTime(QDate(2024, 5, 17), QTime(10, 0)));
        cTZL device(link.Modbus(), link.UI(), clock);
        cPollingCycle rotation;
        rotation.NextMeasurementBlock(); // as watch does: every cycle reads
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("watch.csv"));
        MeasurementCsv watch;
        QString error;
        QVERIFY(watch.Open(path, error));
        TrendHistory history;
        for (int cycle = 0; cycle < 10; ++cycle) {
            link.Relay().SetMeasurement(0, 230.5f + float(cycle));
            link.Relay().SetMeasurement(228, -12.25f * float(cycle));
            if (cycle == 3) // the averages group fails on its first read
                link.Faults().Queue(SimFault::Exception(4));
            if (cycle == 5) // bus/gen: frequency read, then its second block fails
                link.Faults().ScheduleAt(link.Faults().Exchanges() + 2, SimFault::NoAnswer());
            const QDateTime start = clock.Now();
            const MeasurementCycleResult result =
                RunMeasurementCycle(rotation, device, link.SlaveID());
            QVERIFY(watch.Append(MeasurementCsv::TimeStamp(start), device.Inputs,
                                 result.BlockRead ? QStringLiteral("ok") : QStringLiteral("failed"),
                                 error));
            history.Record(start.toMSecsSinceEpoch(), result.Block,
                           device.Inputs.CurrentReadings());
            clock.Set(start.addMSecs(3001));
        }
        QCOMPARE(history.Records()[3].Read, false);
        QCOMPARE(history.SamplesOf(Q::Frequency).back().Gap, false);
        QCOMPARE(history.SamplesOf(Q::BusVolts).back().Gap, true);
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(TrendCsvText(history), QString::fromUtf8(written.readAll()));
    }

    void PlotSegments_data()
    {
        QTest::addColumn<QString>("samples");
        QTest::addColumn<qint64>("from");
        QTest::addColumn<qint64>("to");
        QTest::addColumn<int>("buckets");
        QTest::addColumn<QString>("segments"); // time:value, pieces split by " | "
        QTest::newRow("all inside") << "10 20 30" << 0ll << 100ll << 10 << "10:1 20:2 30:3";
        QTest::newRow("a gap breaks the line")
            << "10 20! 30 40" << 0ll << 100ll << 10 << "10:1 | 30:3 40:4";
        QTest::newRow("a gap first and last") << "10! 20 30!" << 0ll << 100ll << 10 << "20:2";
        QTest::newRow("the readings just outside reach the edges")
            << "0 10 50 60 70" << 20ll << 55ll << 10 << "10:2 50:3 60:4";
        QTest::newRow("nothing in range") << "10 20" << 50ll << 60ll << 10 << "20:2";
        QTest::newRow("empty") << "" << 0ll << 100ll << 10 << "";
        // Eight readings into two buckets of 50 ms: the lowest and highest of
        // each, in time order.
        QTest::newRow("thinned to lowest and highest")
            << "0 10 20 30 50 60 70 80" << 0ll << 99ll << 2 << "0:1 30:4 50:5 80:8";
        QTest::newRow("thinned across a gap")
            << "0 10 20 30! 50 60 70 80" << 0ll << 99ll << 2 << "0:1 20:3 | 50:5 80:8";
    }
    void PlotSegments()
    {
        QFETCH(QString, samples);
        QFETCH(qint64, from);
        QFETCH(qint64, to);
        QFETCH(int, buckets);
        QTEST(TextOf(::PlotSegments(SamplesOf(samples), from, to, buckets, 1.0)), "segments");
    }

    void CursorReadout_data()
    {
        QTest::addColumn<qint64>("at");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("text");
        // Samples at 10 (230.5), 20 (a failed read), 30 (11000), 40 (-2.5e6), 50 (0.95).
        QTest::newRow("before the first") << 5ll << "V"
                                          << "-";
        QTest::newRow("on a reading") << 10ll << "V"
                                      << "230.500 V";
        QTest::newRow("between readings") << 15ll << "V"
                                          << "230.500 V";
        QTest::newRow("after a failed read") << 25ll << "V"
                                             << "-";
        QTest::newRow("kilo") << 39ll << "V"
                              << "11.000 kV";
        QTest::newRow("mega, negative") << 40ll << "VAr"
                                        << "-2.500 MVAr";
        QTest::newRow("no unit") << 99ll << ""
                                 << "0.95000";
    }
    void CursorReadout()
    {
        QFETCH(qint64, at);
        QFETCH(QString, unit);
        const TrendHistory::Samples samples{{10, 230.5f, false},
                                            {20, 0, true},
                                            {30, 11000, false},
                                            {40, -2.5e6f, false},
                                            {50, 0.95f, false}};
        QTEST(ReadingText(ValueAt(samples, at), unit), "text");
    }

    // The y axis: whole steps of 1, 2 or 5, prefixes as the Measurements tab.
    void AxisScale_data()
    {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<QList<double>>("minMaxTicksDecimals");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("tens") << 3.0 << 97.0 << QList<double>{0, 100, 3, 0} << "";
        QTest::newRow("across zero") << -12.0 << 7.0 << QList<double>{-15, 10, 6, 0} << "";
        QTest::newRow("tenths") << 0.2 << 0.9 << QList<double>{0.2, 1.0, 5, 1} << "";
        QTest::newRow("flat") << 5.0 << 5.0 << QList<double>{4, 6, 3, 0} << "";
        QTest::newRow("just below a thousand")
            << 0.0 << 999.9 << QList<double>{0, 1000, 3, 0} << "";
        QTest::newRow("a thousand") << -1000.0 << 0.0 << QList<double>{-1000, 0, 3, 0} << "k";
        QTest::newRow("a million") << 0.0 << 1e6 << QList<double>{0, 1e6, 3, 0} << "M";
    }
    void AxisScale()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(QList<double>, minMaxTicksDecimals);
        const AxisRange axis = NiceAxisRange(low, high, 5);
        QCOMPARE((QList<double>{axis.Min, axis.Max, double(axis.Ticks), double(axis.Decimals)}),
                 minMaxTicksDecimals);
        QTEST(ScaleFor(std::max(std::abs(low), std::abs(high))).Prefix, "prefix");
    }

    // The third on-line tick of a tab other than Measurements also runs the
    // measurement rotation while the Trends window is open; closed, the tick
    // does what it always did.
    void TickKeepsMeasurementsGoingForTrends_data()
    {
        QTest::addColumn<bool>("trendsShown");
        QTest::addColumn<bool>("onLine");
        QTest::addColumn<bool>("minimised");
        QTest::addColumn<int>("tab");
        QTest::addColumn<bool>("alongside");
        QTest::newRow("closed, relays") << false << true << false << 18 << false;
        QTest::newRow("closed, trip tab") << false << true << false << 3 << false;
        QTest::newRow("open, relays") << true << true << false << 18 << true;
        QTest::newRow("open, trip tab") << true << true << false << 3 << true;
        QTest::newRow("open, events") << true << true << false << 17 << true;
        QTest::newRow("open, system") << true << true << false << 19 << true;
        QTest::newRow("open, measurements reads once") << true << true << false << 20 << false;
        QTest::newRow("open, off-line") << true << false << false << 18 << false;
        QTest::newRow("open, minimised") << true << true << true << 18 << false;
    }
    void TickKeepsMeasurementsGoingForTrends()
    {
        QFETCH(bool, trendsShown);
        QFETCH(bool, onLine);
        QFETCH(bool, minimised);
        QFETCH(int, tab);
        QFETCH(bool, alongside);
        cPollingCycle cycle;
        cPollingCycle::Window window{minimised, onLine, tab, false, false, trendsShown};
        cPollingCycle::Window closed = window;
        closed.TrendsShown = false;
        cPollingCycle reference;
        for (int tick = 1; tick <= 6; ++tick) {
            // The step itself is the same whether the window is open or not.
            QCOMPARE(cycle.Tick(window), reference.Tick(closed));
            QCOMPARE(cycle.MeasurementsAlongside(window), tick % 3 == 0 && alongside);
        }
    }
};

QTEST_GUILESS_MAIN(tst_Trends)
#include "tst_Trends.moc"
