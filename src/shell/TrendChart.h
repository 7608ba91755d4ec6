#pragma once

#include "trends/TrendHistory.h"
#include "trends/TrendSeries.h"

#include <QChartView>
#include <QList>
#include <optional>
#include <utility>
#include <vector>

class QDateTimeAxis;
class QGraphicsLineItem;
class QLineSeries;
class QValueAxis;

// One plot of the Trends window: the lines of one unit over clock time, the y
// axis scaled to what is shown with the Measurements tab's prefixes (k, M).
// A failed read breaks a line; nothing is drawn across it.
class TrendChart : public QChartView
{
    Q_OBJECT
public:
    TrendChart(const TrendGroupInfo& group, QWidget* parent = nullptr);

    TrendGroup Group() const { return m_Group.Group; }
    // Draws the chosen lines of this plot between two moments.
    void Redraw(const TrendHistory& history, const QList<const TrendSeries*>& shown, qint64 fromMs,
                qint64 toMs);
    // A vertical line at the moment the read-out shows; hidden for none.
    void ShowCursor(std::optional<qint64> timeMs);

Q_SIGNALS:
    // The mouse is over the plot at this moment; none when it left.
    void CursorMoved(std::optional<qint64> timeMs);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // What a line was last drawn from: the same again needs no redraw.
    struct Drawing
    {
        bool Shown = false;
        qint64 FromMs = 0;
        qint64 ToMs = 0;
        int Buckets = 0;
        std::size_t Samples = 0;
        qint64 OldestMs = 0;
        qint64 NewestMs = 0;
        bool operator==(const Drawing&) const = default;
    };
    // A line is drawn in pieces, one chart series each, kept for reuse so a
    // redraw only replaces their points.
    struct Line
    {
        const TrendSeries* Series;
        std::vector<QLineSeries*> Pieces;
        Drawing Drawn;
        QList<QList<QPointF>> Segments; // unscaled
        std::optional<std::pair<double, double>> Range;
        bool Stale = false;
    };
    QLineSeries* Piece(Line& line, std::size_t index);
    void DrawLine(Line& line);
    void ScaleValueAxis();

    TrendGroupInfo m_Group;
    QChart* m_Chart;
    QDateTimeAxis* m_TimeAxis;
    QValueAxis* m_ValueAxis;
    QGraphicsLineItem* m_Cursor;
    std::vector<Line> m_Lines;
    double m_Divisor = 1.0;
};

// The colour of a line: a phase's colour from the Measurements grid, or one
// of its own for the lines of no phase.
QColor TrendColour(const TrendSeries& series);
