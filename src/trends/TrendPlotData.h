#pragma once

#include "trends/TrendHistory.h"
#include "trends/TrendSeries.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <optional>
#include <utility>

// What a trend plot draws of the history, worked out without a window.

// The engineering prefix of a y axis, as the Measurements tab scales its
// numbers: k from a thousand, M from a million.
struct EngineeringScale
{
    double Divisor;
    QString Prefix;
};
EngineeringScale ScaleFor(double largestMagnitude);

// A y axis that takes in `low` to `high` and ends on whole steps of 1, 2 or 5
// times a power of ten, about `ticks` of them, each labelled with as many
// decimals as the step needs.
struct AxisRange
{
    double Min;
    double Max;
    int Ticks;
    int Decimals;
    bool operator==(const AxisRange&) const = default;
};
AxisRange NiceAxisRange(double low, double high, int ticks);

// The lowest and highest point of a line between two moments (its thinning
// keeps both); none when it has none there.
std::optional<std::pair<double, double>> ValueRange(const QList<QList<QPointF>>& segments,
                                                    qint64 fromMs, qint64 toMs);

// The line of one measurement between two moments (x: milliseconds since the
// epoch, y: the reading divided by `divisor`), in pieces that end where a read
// failed. The reading just outside each end is included so the line runs to
// the plot's edges. More readings than two per bucket are thinned to the
// lowest and the highest of each of `buckets` equal stretches of time, in
// time order: every peak still shows, and eight hours draw as fast as a minute.
QList<QList<QPointF>> PlotSegments(const TrendHistory::Samples& samples, qint64 fromMs, qint64 toMs,
                                   int buckets, double divisor);

// The reading in force at a moment: the latest sample at or before it; none
// before the first one and where that sample is a gap.
std::optional<float> ValueAt(const TrendHistory::Samples& samples, qint64 timeMs);

// A reading as the cursor read-out shows it: the Measurements tab's number
// with its unit, "230.500 V", "11.000 kV", "0.95000"; "-" for none.
QString ReadingText(std::optional<float> value, const QString& unit);
