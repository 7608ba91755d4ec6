#include "shell/TrendChart.h"

#include "shell/PhaseColours.h"
#include "trends/TrendPlotData.h"

#include <QDateTime>
#include <QDateTimeAxis>
#include <QGraphicsLineItem>
#include <QLineSeries>
#include <QMouseEvent>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

using Q = cTZLInputRegisters::Quantity;

// Light colours that read well on the plot's dark background, beside the
// phases' own.
const std::pair<Q, QColor> OtherColours[] = {
    {Q::BusVolts, QColor(140, 220, 140)},
    {Q::BusFrequency, QColor(140, 220, 140)},
    {Q::INeutral, QColor(210, 210, 210)},
    {Q::IGround, QColor(205, 150, 255)},
    {Q::Frequency, QColor(255, 170, 80)},
    {Q::PowerSum, QColor(255, 170, 80)},
    {Q::VASum, QColor(210, 210, 210)},
    {Q::VArSum, QColor(205, 150, 255)},
    {Q::PowerFactorAverage, QColor(120, 220, 230)},
};

// The units of the plot's lines with the axis's prefix: "kV", "MW/MVA/MVAr".
QString AxisUnits(const TrendGroupInfo& group, const QString& prefix)
{
    QStringList units;
    for (const TrendSeries& series : TrendSeriesList) {
        const QString unit = series.Unit();
        if (series.Group == group.Group && !unit.isEmpty() && !units.contains(prefix + unit))
            units << prefix + unit;
    }
    return units.join(u'/');
}

} // namespace

QColor TrendColour(const TrendSeries& series)
{
    if (series.Phase >= 1 && series.Phase <= 3)
        return PhaseColours.at(std::size_t(series.Phase - 1));
    for (const auto& [quantity, colour] : OtherColours) {
        if (quantity == series.Quantity)
            return colour;
    }
    return Qt::white;
}

TrendChart::TrendChart(const TrendGroupInfo& group, QWidget* parent)
    : QChartView(parent)
    , m_Group(group)
    , m_Chart(new QChart)
    , m_TimeAxis(new QDateTimeAxis)
    , m_ValueAxis(new QValueAxis)
{
    setObjectName(QStringLiteral("chart%1").arg(int(group.Group)));
    setAccessibleName(QString::fromLatin1(group.Title));
    // The light phase colours of the Measurements grid need a dark ground.
    m_Chart->setTheme(QChart::ChartThemeDark);
    m_Chart->legend()->hide();
    m_Chart->setMargins(QMargins(4, 4, 4, 4));
    m_Chart->setBackgroundRoundness(0);
    m_Chart->addAxis(m_TimeAxis, Qt::AlignBottom);
    m_Chart->addAxis(m_ValueAxis, Qt::AlignLeft);
    m_TimeAxis->setTickCount(7);
    // Small print leaves the room to the lines when the window is low.
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    for (QAbstractAxis* axis :
         {static_cast<QAbstractAxis*>(m_TimeAxis), static_cast<QAbstractAxis*>(m_ValueAxis)}) {
        axis->setLabelsFont(small);
        axis->setTitleFont(small);
    }
    setChart(m_Chart);
    setRenderHint(QPainter::Antialiasing, false);
    setMinimumHeight(90);

    for (const TrendSeries& series : TrendSeriesList) {
        if (series.Group == group.Group)
            m_Lines.push_back({&series, {}, {}, {}, {}, false});
    }
    // Each line has its first piece from the start: the cursor maps the mouse
    // to a moment through the axes of a series.
    for (Line& line : m_Lines)
        Piece(line, 0);
    m_Cursor = new QGraphicsLineItem(m_Chart);
    m_Cursor->setPen(QPen(QColor(255, 255, 255, 160), 1, Qt::DashLine));
    m_Cursor->setZValue(10);
    m_Cursor->hide();
}

QLineSeries* TrendChart::Piece(Line& line, std::size_t index)
{
    while (line.Pieces.size() <= index) {
        auto* piece = new QLineSeries(this);
        piece->setName(QString::fromLatin1(line.Series->Caption));
        piece->setPen(QPen(TrendColour(*line.Series), 1));
        piece->setPointsVisible(false);
        m_Chart->addSeries(piece);
        piece->attachAxis(m_TimeAxis);
        piece->attachAxis(m_ValueAxis);
        line.Pieces.push_back(piece);
    }
    return line.Pieces[index];
}

void TrendChart::Redraw(const TrendHistory& history, const QList<const TrendSeries*>& shown,
                        qint64 fromMs, qint64 toMs)
{
    // A line as wide as the plot in pixels is all the eye can see: every
    // fourth pixel a low and a high keeps the peaks and the redraw quick
    // with eight hours of history.
    const int buckets = std::max(16, int(m_Chart->plotArea().width()) / 4);
    bool changed = false;
    for (Line& line : m_Lines) {
        const TrendHistory::Samples& samples = history.SamplesOf(line.Series->Quantity);
        const Drawing drawing{shown.contains(line.Series),
                              fromMs,
                              toMs,
                              buckets,
                              samples.size(),
                              samples.empty() ? 0 : samples.front().TimeMs,
                              samples.empty() ? 0 : samples.back().TimeMs};
        // Most redraws bring one block of new readings: the other lines
        // stay as they are, and the chart need not work them out again.
        if (drawing == line.Drawn)
            continue;
        line.Drawn = drawing;
        line.Segments = drawing.Shown ? PlotSegments(samples, fromMs, toMs, buckets, 1.0)
                                      : QList<QList<QPointF>>();
        line.Range = ValueRange(line.Segments, fromMs, toMs);
        line.Stale = true;
        changed = true;
    }
    if (!changed)
        return;
    ScaleValueAxis();
    const QString format =
        toMs - fromMs > 15 * 60 * 1000 ? QStringLiteral("HH:mm") : QStringLiteral("HH:mm:ss");
    if (format != m_TimeAxis->format())
        m_TimeAxis->setFormat(format);
    if (m_TimeAxis->min().toMSecsSinceEpoch() != fromMs
        || m_TimeAxis->max().toMSecsSinceEpoch() != toMs) {
        // The chart works out every line again for a new range, and again
        // for new points: emptied first, the lines cost that only once.
        for (Line& line : m_Lines) {
            for (QLineSeries* piece : line.Pieces)
                piece->clear();
        }
        m_TimeAxis->setRange(QDateTime::fromMSecsSinceEpoch(fromMs),
                             QDateTime::fromMSecsSinceEpoch(toMs));
    }
    for (Line& line : m_Lines) {
        if (line.Stale)
            DrawLine(line);
    }
}

void TrendChart::DrawLine(Line& line)
{
    line.Stale = false;
    const auto segments = std::size_t(line.Segments.size());
    for (std::size_t i = 0; i < std::max(line.Pieces.size(), segments); ++i) {
        QList<QPointF> points = i < segments ? line.Segments[qsizetype(i)] : QList<QPointF>();
        for (QPointF& point : points)
            point.setY(point.y() / m_Divisor);
        QLineSeries* piece = Piece(line, i);
        // A reading between two failed ones would draw no line at all.
        if (piece->pointsVisible() != (points.size() == 1))
            piece->setPointsVisible(points.size() == 1);
        if (piece->points() != points)
            piece->replace(points);
    }
}

void TrendChart::ScaleValueAxis()
{
    std::optional<std::pair<double, double>> range;
    for (const Line& line : m_Lines) {
        if (!line.Range)
            continue;
        if (!range)
            range = line.Range;
        range->first = std::min(range->first, line.Range->first);
        range->second = std::max(range->second, line.Range->second);
    }
    const double low = range ? range->first : 0.0;
    const double high = range ? range->second : 1.0;
    const EngineeringScale prefix = ScaleFor(std::max(std::abs(low), std::abs(high)));
    if (prefix.Divisor != m_Divisor) {
        m_Divisor = prefix.Divisor;
        for (Line& line : m_Lines)
            line.Stale = true;
    }
    // A steady value gets a little room above and below rather than a flat
    // line on the plot's edge.
    const double margin = high > low ? 0.0 : std::max(std::abs(high) * 0.01, 0.01);
    const AxisRange axis =
        NiceAxisRange((low - margin) / m_Divisor, (high + margin) / m_Divisor, 5);
    // Every change of an axis makes the chart work out all its lines again:
    // only a real change is passed on.
    if (axis.Min != m_ValueAxis->min() || axis.Max != m_ValueAxis->max())
        m_ValueAxis->setRange(axis.Min, axis.Max);
    const QString labelFormat = QStringLiteral("%.%1f").arg(axis.Decimals);
    if (axis.Ticks != m_ValueAxis->tickCount())
        m_ValueAxis->setTickCount(axis.Ticks);
    if (labelFormat != m_ValueAxis->labelFormat())
        m_ValueAxis->setLabelFormat(labelFormat);
    // The units say what the axis means; the power factor has none.
    const QString units = AxisUnits(m_Group, prefix.Prefix);
    const QString title = units.isEmpty() ? QString::fromLatin1(m_Group.Title) : units;
    if (title != m_ValueAxis->titleText())
        m_ValueAxis->setTitleText(title);
}

void TrendChart::ShowCursor(std::optional<qint64> timeMs)
{
    const QRectF area = m_Chart->plotArea();
    if (!timeMs) {
        m_Cursor->hide();
        return;
    }
    const QPointF at = m_Chart->mapToPosition(QPointF(double(*timeMs), m_ValueAxis->min()),
                                              m_Chart->series().value(0));
    if (m_Chart->series().isEmpty() || at.x() < area.left() || at.x() > area.right()) {
        m_Cursor->hide();
        return;
    }
    m_Cursor->setLine(at.x(), area.top(), at.x(), area.bottom());
    m_Cursor->show();
}

void TrendChart::mouseMoveEvent(QMouseEvent* event)
{
    QChartView::mouseMoveEvent(event);
    const QPointF inChart = m_Chart->mapFromScene(mapToScene(event->position().toPoint()));
    if (m_Chart->series().isEmpty() || !m_Chart->plotArea().contains(inChart)) {
        Q_EMIT CursorMoved(std::nullopt);
        return;
    }
    const QPointF value = m_Chart->mapToValue(inChart, m_Chart->series().first());
    Q_EMIT CursorMoved(qint64(std::llround(value.x())));
}

void TrendChart::leaveEvent(QEvent* event)
{
    QChartView::leaveEvent(event);
    Q_EMIT CursorMoved(std::nullopt);
}
