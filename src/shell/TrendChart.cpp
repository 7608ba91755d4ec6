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

// The units of the plot's lines with the axis's prefix: "kV", "W, VA, VAr".
QString AxisUnits(const TrendGroupInfo& group, const QString& prefix)
{
    QStringList units;
    for (const TrendSeries& series : TrendSeriesList) {
        const QString unit = series.Unit();
        if (series.Group == group.Group && !unit.isEmpty() && !units.contains(prefix + unit))
            units << prefix + unit;
    }
    return units.join(QStringLiteral(", "));
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
    m_ValueAxis->setTickCount(5);
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
            m_Lines.push_back({&series, {}});
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
        piece->setPen(QPen(TrendColour(*line.Series), 2));
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
    double divisor = 1.0;
    ScaleValueAxis(history, shown, fromMs, toMs, divisor);
    const QString format =
        toMs - fromMs > 15 * 60 * 1000 ? QStringLiteral("HH:mm") : QStringLiteral("HH:mm:ss");
    m_TimeAxis->setFormat(format);
    m_TimeAxis->setRange(QDateTime::fromMSecsSinceEpoch(fromMs),
                         QDateTime::fromMSecsSinceEpoch(toMs));

    // No more points than the plot has pixels across: thinner data would not
    // show, and the redraw stays quick with eight hours of history.
    const int buckets = std::max(16, int(m_Chart->plotArea().width()));
    for (Line& line : m_Lines) {
        QList<QList<QPointF>> segments;
        if (shown.contains(line.Series))
            segments = PlotSegments(history.SamplesOf(line.Series->Quantity), fromMs, toMs, buckets,
                                    divisor);
        for (std::size_t i = 0; i < std::max(line.Pieces.size(), std::size_t(segments.size()));
             ++i) {
            QLineSeries* piece = Piece(line, i);
            const QList<QPointF> points =
                i < std::size_t(segments.size()) ? segments[qsizetype(i)] : QList<QPointF>();
            // A reading between two failed ones would draw no line at all.
            piece->setPointsVisible(points.size() == 1);
            piece->replace(points);
        }
    }
}

void TrendChart::ScaleValueAxis(const TrendHistory& history, const QList<const TrendSeries*>& shown,
                                qint64 fromMs, qint64 toMs, double& divisor)
{
    std::optional<std::pair<float, float>> range;
    for (const Line& line : m_Lines) {
        if (!shown.contains(line.Series))
            continue;
        const auto lineRange = ValueRange(history.SamplesOf(line.Series->Quantity), fromMs, toMs);
        if (!lineRange)
            continue;
        if (!range)
            range = lineRange;
        range->first = std::min(range->first, lineRange->first);
        range->second = std::max(range->second, lineRange->second);
    }
    const double low = range ? double(range->first) : 0.0;
    const double high = range ? double(range->second) : 1.0;
    const EngineeringScale prefix = ScaleFor(std::max(std::abs(low), std::abs(high)));
    divisor = prefix.Divisor;
    // A steady value gets a little room above and below rather than a flat
    // line on the plot's edge.
    const double margin = high > low ? (high - low) * 0.05 : std::max(std::abs(high) * 0.01, 0.01);
    m_ValueAxis->setRange((low - margin) / divisor, (high + margin) / divisor);
    m_ValueAxis->applyNiceNumbers();
    // As many decimals as the step between ticks needs: a general format
    // would print a tick that rounding left next to zero as "1.8e-15".
    const double step =
        (m_ValueAxis->max() - m_ValueAxis->min()) / std::max(1, m_ValueAxis->tickCount() - 1);
    const int decimals = step > 0 ? std::clamp(int(-std::floor(std::log10(step))), 0, 6) : 0;
    m_ValueAxis->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
    // The units say what the axis means; the power factor has none.
    const QString units = AxisUnits(m_Group, prefix.Prefix);
    m_ValueAxis->setTitleText(units.isEmpty() ? QString::fromLatin1(m_Group.Title) : units);
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
