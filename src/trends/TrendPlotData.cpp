#include "trends/TrendPlotData.h"

#include "model/MeasurementFormat.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using Iterator = TrendHistory::Samples::const_iterator;

Iterator FirstAtOrAfter(const TrendHistory::Samples& samples, qint64 timeMs)
{
    return std::lower_bound(samples.begin(), samples.end(), timeMs,
                            [](const TrendSample& s, qint64 t) { return s.TimeMs < t; });
}

Iterator FirstAfter(const TrendHistory::Samples& samples, qint64 timeMs)
{
    return std::upper_bound(samples.begin(), samples.end(), timeMs,
                            [](qint64 t, const TrendSample& s) { return t < s.TimeMs; });
}

// Collects the pieces of a line, closing a piece at each gap.
class SegmentBuilder
{
public:
    explicit SegmentBuilder(double divisor)
        : m_Divisor(divisor)
    {}
    void Add(const TrendSample& sample)
    {
        if (m_Segments.isEmpty() || m_Closed)
            m_Segments.append(QList<QPointF>());
        m_Closed = false;
        m_Segments.last().append(QPointF(double(sample.TimeMs), double(sample.Value) / m_Divisor));
    }
    void Break() { m_Closed = true; }
    QList<QList<QPointF>> Take() { return std::move(m_Segments); }

private:
    double m_Divisor;
    QList<QList<QPointF>> m_Segments;
    bool m_Closed = false;
};

// The lowest and highest readings of one bucket, added in time order.
class Bucket
{
public:
    void Add(const TrendSample& sample)
    {
        if (!m_Low || sample.Value < m_Low->Value)
            m_Low = sample;
        if (!m_High || sample.Value > m_High->Value)
            m_High = sample;
    }
    void FlushInto(SegmentBuilder& line)
    {
        if (m_Low && m_High) {
            const bool lowFirst = m_Low->TimeMs <= m_High->TimeMs;
            line.Add(lowFirst ? *m_Low : *m_High);
            if (m_Low->TimeMs != m_High->TimeMs)
                line.Add(lowFirst ? *m_High : *m_Low);
        }
        m_Low.reset();
        m_High.reset();
    }

private:
    std::optional<TrendSample> m_Low;
    std::optional<TrendSample> m_High;
};

} // namespace

EngineeringScale ScaleFor(double largestMagnitude)
{
    if (largestMagnitude >= 1000000.0)
        return {1000000.0, QStringLiteral("M")};
    if (largestMagnitude >= 1000.0)
        return {1000.0, QStringLiteral("k")};
    return {1.0, QString()};
}

AxisRange NiceAxisRange(double low, double high, int ticks)
{
    const double rough = (high - low) / std::max(1, ticks - 1);
    if (!(rough > 0) || !std::isfinite(rough))
        return {low - 1, high + 1, 3, 0};
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    const double normalised = rough / magnitude;
    const double step = magnitude
                        * (normalised <= 1   ? 1
                           : normalised <= 2 ? 2
                           : normalised <= 5 ? 5
                                             : 10);
    const double min = std::floor(low / step) * step;
    const double max = std::ceil(high / step) * step;
    return {min, max, int(std::lround((max - min) / step)) + 1,
            std::max(0, int(-std::floor(std::log10(step))))};
}

std::optional<std::pair<double, double>> ValueRange(const QList<QList<QPointF>>& segments,
                                                    qint64 fromMs, qint64 toMs)
{
    std::optional<std::pair<double, double>> range;
    for (const QList<QPointF>& segment : segments) {
        for (const QPointF& point : segment) {
            if (point.x() < double(fromMs) || point.x() > double(toMs))
                continue;
            if (!range)
                range = std::pair(point.y(), point.y());
            range->first = std::min(range->first, point.y());
            range->second = std::max(range->second, point.y());
        }
    }
    return range;
}

QList<QList<QPointF>> PlotSegments(const TrendHistory::Samples& samples, qint64 fromMs, qint64 toMs,
                                   int buckets, double divisor)
{
    Iterator first = FirstAtOrAfter(samples, fromMs);
    Iterator last = FirstAfter(samples, toMs);
    if (first != samples.begin())
        --first;
    if (last != samples.end())
        ++last;

    SegmentBuilder line(divisor);
    const bool thin = std::distance(first, last) > 2 * qint64(buckets) && toMs > fromMs;
    Bucket bucket;
    // The bucket under way ends before `bucketEnd`; the readings outside the
    // two moments make buckets of their own.
    qint64 bucketIndex = -1;
    qint64 bucketEnd = fromMs;
    for (Iterator it = first; it != last; ++it) {
        if (it->Gap) {
            bucket.FlushInto(line);
            line.Break();
            continue;
        }
        if (!thin) {
            line.Add(*it);
            continue;
        }
        if (it->TimeMs >= bucketEnd) {
            bucket.FlushInto(line);
            bucketIndex = it->TimeMs > toMs
                              ? qint64(buckets)
                              : std::min<qint64>((it->TimeMs - fromMs) * buckets / (toMs - fromMs),
                                                 buckets - 1);
            bucketEnd = bucketIndex >= buckets
                            ? std::numeric_limits<qint64>::max()
                            : fromMs + (bucketIndex + 1) * (toMs - fromMs + buckets - 1) / buckets;
        }
        bucket.Add(*it);
    }
    bucket.FlushInto(line);
    return line.Take();
}

std::optional<float> ValueAt(const TrendHistory::Samples& samples, qint64 timeMs)
{
    const Iterator after = FirstAfter(samples, timeMs);
    if (after == samples.begin())
        return std::nullopt;
    const TrendSample& sample = *std::prev(after);
    return sample.Gap ? std::nullopt : std::optional<float>(sample.Value);
}

QString ReadingText(std::optional<float> value, const QString& unit)
{
    if (!value)
        return QStringLiteral("-");
    // The number ends in two blanks, " k" or " M": the prefix joins the unit.
    const QString number = FormatMeasurement(*value);
    if (number.endsWith(QStringLiteral("  ")))
        return unit.isEmpty() ? number.trimmed() : number.trimmed() + u' ' + unit;
    return number + unit;
}
