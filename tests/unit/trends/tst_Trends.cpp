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
    void HistoryBoundsGapsAndOrder()
    {
        const QString h8 = QString::number(8 * Hour);
        const QString h8plus = QString::number(8 * Hour + 1);
        const std::pair<QString, QString> cases[] = {
            {"0 3000 6000", "0 3000 6000"},
            {"0 3000! 6000", "0 3000! 6000"}, // a failed read is a gap
            {"0 " + h8, "0 " + h8},           // eight hours back is kept
            {"0 1000 " + h8plus, "1000 " + h8plus},
            {"0 3000 6000 9000 4000", "0 3000 4000"}, // the clock set back drops the later ones
            {"0 3000 3000", "0 3000 3000"}};          // the same moment twice is kept
        for (const auto& [records, kept] : cases) {
            TrendHistory history;
            for (const QString& item : records.split(u' ')) {
                cTZLInputRegisters::Readings readings = AllRead();
                if (item.endsWith(u'!'))
                    readings.at(std::size_t(Q::Volts1)).reset();
                history.Record(QString(item).remove(u'!').toLongLong(), Block::Basics, readings);
            }
            QCOMPARE(TextOf(history.SamplesOf(Q::Volts1)), kept);
            // One record a pass, whatever was dropped.
            QCOMPARE(history.Records().size(), history.SamplesOf(Q::Volts1).size());
        }
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
    void BlockToSeries()
    {
        for (const Block block : {Block::Basics, Block::Averages, Block::Sums, Block::BusGen}) {
            SimulatedLink link;
            FakeClock clock;
            cTZL device(link.Modbus(), link.UI(), clock);
            cPollingCycle rotation;
            MeasurementCycleResult result;
            // The rotation reaches every block within its first seven cycles.
            do {
                device.Inputs.Clear();
                result = RunMeasurementCycle(rotation, device, link.SlaveID());
            } while (result.Block != block);
            QVERIFY(result.BlockRead);
            QList<Q> read;
            for (int q = 0; q < int(Q::Count); ++q)
                if (device.Inputs.HasReading(Q(q)))
                    read << Q(q);
            QCOMPARE(BlockQuantities(block), read);
        }
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

    void PlotSegments()
    {
        // samples; the range drawn and its buckets; the segments as time:value,
        // pieces split by " | "
        const std::tuple<const char*, qint64, qint64, int, const char*> cases[] = {
            {"10 20 30", 0, 100, 10, "10:1 20:2 30:3"},
            {"10 20! 30 40", 0, 100, 10, "10:1 | 30:3 40:4"}, // a gap breaks the line
            {"10! 20 30!", 0, 100, 10, "20:2"},
            {"0 10 50 60 70", 20, 55, 10, "10:2 50:3 60:4"}, // those just outside reach the edges
            {"10 20", 50, 60, 10, "20:2"},                   // nothing in range
            {"", 0, 100, 10, ""},
            // Eight readings into two buckets of 50 ms: the lowest and highest
            // of each, in time order, also across a gap.
            {"0 10 20 30 50 60 70 80", 0, 99, 2, "0:1 30:4 50:5 80:8"},
            {"0 10 20 30! 50 60 70 80", 0, 99, 2, "0:1 20:3 | 50:5 80:8"}};
        for (const auto& [samples, from, to, buckets, segments] : cases)
            QCOMPARE(TextOf(::PlotSegments(SamplesOf(samples), from, to, buckets, 1.0)),
                     QString::fromLatin1(segments));
    }

    void CursorReadout()
    {
        const TrendHistory::Samples samples{{10, 230.5f, false},
                                            {20, 0, true}, // a failed read
                                            {30, 11000, false},
                                            {40, -2.5e6f, false},
                                            {50, 0.95f, false}};
        const std::tuple<qint64, const char*, const char*> cases[] = {
            {5, "V", "-"}, // before the first
            {10, "V", "230.500 V"}, {15, "V", "230.500 V"},
            {25, "V", "-"}, // after a failed read
            {39, "V", "11.000 kV"}, {40, "VAr", "-2.500 MVAr"},
            {99, "", "0.95000"}};
        for (const auto& [at, unit, text] : cases)
            QCOMPARE(ReadingText(ValueAt(samples, at), QString::fromLatin1(unit)),
                     QString::fromLatin1(text));
    }

    // The y axis: whole steps of 1, 2 or 5, prefixes as the Measurements tab.
    void AxisScale()
    {
        const std::tuple<double, double, QList<double>, const char*> cases[] = {
            // low, high; minimum, maximum, ticks, decimals; prefix
            {3, 97, {0, 100, 3, 0}, ""},      {-12, 7, {-15, 10, 6, 0}, ""},
            {0.2, 0.9, {0.2, 1.0, 5, 1}, ""}, {5, 5, {4, 6, 3, 0}, ""}, // flat
            {0, 999.9, {0, 1000, 3, 0}, ""},  {-1000, 0, {-1000, 0, 3, 0}, "k"},
            {0, 1e6, {0, 1e6, 3, 0}, "M"}};
        for (const auto& [low, high, axis, prefix] : cases) {
            const AxisRange range = NiceAxisRange(low, high, 5);
            QCOMPARE(
                (QList<double>{range.Min, range.Max, double(range.Ticks), double(range.Decimals)}),
                axis);
            QCOMPARE(ScaleFor(std::max(std::abs(low), std::abs(high))).Prefix,
                     QString::fromLatin1(prefix));
        }
    }

    // The third on-line tick of a tab other than Measurements also runs the
    // measurement rotation while the Trends window is open; closed, the tick
    // does what it always did.
    void TickKeepsMeasurementsGoingForTrends()
    {
        // Any tab but Measurements takes the same branch: a trip tab and the
        // relays' tab stand for them all.
        const std::tuple<bool, bool, bool, int, bool> cases[] = {
            // trends shown, on-line, minimised, tab; measurements alongside
            {false, true, false, 18, false}, // closed
            {true, true, false, 3, true},    // a trip tab
            {true, true, false, 20, false},  // measurements reads once
            {true, false, false, 18, false},
            {true, true, true, 18, false}};
        for (const auto& [trendsShown, onLine, minimised, tab, alongside] : cases) {
            cPollingCycle cycle;
            const cPollingCycle::Window window{minimised, onLine, tab, false, false, trendsShown};
            cPollingCycle::Window closed = window;
            closed.TrendsShown = false;
            cPollingCycle reference;
            for (int tick = 1; tick <= 6; ++tick) {
                // The step itself is the same whether the window is open or not.
                QCOMPARE(cycle.Tick(window), reference.Tick(closed));
                QCOMPARE(cycle.MeasurementsAlongside(window), tick % 3 == 0 && alongside);
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_Trends)
#include "tst_Trends.moc"
