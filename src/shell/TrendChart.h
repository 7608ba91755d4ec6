#pragma once

#include "trends/TrendHistory.h"
#include "trends/TrendSeries.h"

#include <QChartView>
#include <QList>
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
    // A line is drawn in pieces, one chart series each, kept for reuse so a
    // redraw only replaces their points.
    struct Line
    {
        const TrendSeries* Series;
        std::vector<QLineSeries*> Pieces;
    };
    QLineSeries* Piece(Line& line, std::size_t index);
    void ScaleValueAxis(const TrendHistory& history, const QList<const TrendSeries*>& shown,
                        qint64 fromMs, qint64 toMs, double& divisor);

    TrendGroupInfo m_Group;
    QChart* m_Chart;
    QDateTimeAxis* m_TimeAxis;
    QValueAxis* m_ValueAxis;
    QGraphicsLineItem* m_Cursor;
    std::vector<Line> m_Lines;
};

// The colour of a line: a phase's colour from the Measurements grid, or one
// of its own for the lines of no phase.
QColor TrendColour(const TrendSeries& series);
