#include "shell/frmTrends.h"

#include "platform/FileReplacer.h"
#include "platform/IFileDialogs.h"
#include "platform/ISettingsStore.h"
#include "platform/IUserInterface.h"
#include "shell/TrendChart.h"
#include "trends/TrendCsv.h"
#include "trends/TrendPlotData.h"

#include <QBuffer>
#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString Section = QStringLiteral("TrendsWindow");
constexpr qint64 MsPerMinute = 60 * 1000;

QString SpanCaption(int minutes)
{
    return minutes < 60 ? QStringLiteral("%1 min").arg(minutes)
                        : QStringLiteral("%1 h").arg(minutes / 60);
}

// A small square of the line's colour for the check list.
QIcon Swatch(const QColor& colour)
{
    QPixmap pixmap(14, 14);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.drawRect(0, 0, 13, 13);
    return QIcon(pixmap);
}

} // namespace

frmTrends::frmTrends(TrendsServices services, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_Services(services)
{
    setObjectName(QStringLiteral("frmTrends"));
    setWindowTitle(QStringLiteral("Trends"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildControls());

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(BuildSeriesList());
    auto* right = new QWidget(splitter);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    lblOffLine = new QLabel(QStringLiteral("Off-line"), right);
    lblOffLine->setObjectName(QStringLiteral("lblOffLine"));
    lblOffLine->setAlignment(Qt::AlignCenter);
    lblOffLine->setStyleSheet(
        QStringLiteral("QLabel { background: #5a2d2d; color: white; font-weight: bold; "
                       "padding: 3px; }"));
    rightLayout->addWidget(lblOffLine);
    m_Plots = new QWidget(right);
    m_Plots->setObjectName(QStringLiteral("Plots"));
    auto* plotsLayout = new QVBoxLayout(m_Plots);
    plotsLayout->setContentsMargins(0, 0, 0, 0);
    plotsLayout->setSpacing(2);
    for (const TrendGroupInfo& group : TrendGroups) {
        auto* chart = new TrendChart(group, m_Plots);
        plotsLayout->addWidget(chart, 1);
        connect(chart, &TrendChart::CursorMoved, this, &frmTrends::ShowReadout);
        m_Charts.push_back(chart);
    }
    rightLayout->addWidget(m_Plots, 1);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);

    lblReadout = new QLabel(this);
    lblReadout->setObjectName(QStringLiteral("lblReadout"));
    lblReadout->setAccessibleName(QStringLiteral("Cursor Read-out"));
    lblReadout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblReadout->setWordWrap(true);
    layout->addWidget(lblReadout);
    ShowReadout(std::nullopt);

    resize(1000, 760);
    RestoreSettings();
    connect(&m_Services.History, &TrendHistory::Recorded, this, &frmTrends::OnRecorded);
    connect(&m_Services.History, &TrendHistory::Cleared, this, &frmTrends::Redraw);
}

QWidget* frmTrends::BuildControls()
{
    auto* controls = new QWidget(this);
    auto* row = new QHBoxLayout(controls);
    row->setContentsMargins(0, 0, 0, 0);
    auto* spanLabel = new QLabel(QStringLiteral("&Span:"), controls);
    cboSpan = new QComboBox(controls);
    cboSpan->setObjectName(QStringLiteral("cboSpan"));
    cboSpan->setAccessibleName(QStringLiteral("Span"));
    cboSpan->setToolTip(QStringLiteral("How much of the past the plots show"));
    for (int minutes : SpanMinutes)
        cboSpan->addItem(SpanCaption(minutes), minutes);
    cboSpan->setCurrentIndex(cboSpan->findData(DefaultSpanMinutes));
    spanLabel->setBuddy(cboSpan);
    row->addWidget(spanLabel);
    row->addWidget(cboSpan);
    row->addSpacing(12);

    const auto button = [controls, row](const char* name, const QString& caption,
                                        const QString& toolTip) {
        auto* b = new QPushButton(caption, controls);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(toolTip);
        row->addWidget(b);
        return b;
    };
    cmdPause = button("cmdPause", QStringLiteral("&Pause"),
                      QStringLiteral("Stop the plots scrolling; the measurements keep coming"));
    cmdPause->setCheckable(true);
    QPushButton* cmdClear =
        button("cmdClear", QStringLiteral("&Clear"), QStringLiteral("Forget the trends so far"));
    row->addStretch(1);
    QPushButton* cmdSaveCsv = button("cmdSaveCsv", QStringLiteral("Save C&SV..."),
                                     QStringLiteral("Save the trends as a CSV file"));
    QPushButton* cmdSaveImage = button("cmdSaveImage", QStringLiteral("Save &Image..."),
                                       QStringLiteral("Save the plots as a PNG image"));

    connect(cboSpan, &QComboBox::currentIndexChanged, this, &frmTrends::Redraw);
    connect(cmdPause, &QPushButton::toggled, this, &frmTrends::SetPaused);
    connect(cmdClear, &QPushButton::clicked, this, &frmTrends::ClearTrends);
    connect(cmdSaveCsv, &QPushButton::clicked, this, &frmTrends::SaveCsv);
    connect(cmdSaveImage, &QPushButton::clicked, this, &frmTrends::SaveImage);
    return controls;
}

QWidget* frmTrends::BuildSeriesList()
{
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* caption = new QLabel(QStringLiteral("Show:"), box);
    lstSeries = new QListWidget(box);
    lstSeries->setObjectName(QStringLiteral("lstSeries"));
    lstSeries->setAccessibleName(QStringLiteral("Show"));
    lstSeries->setToolTip(QStringLiteral("Tick the measurements to plot"));
    caption->setBuddy(lstSeries);
    for (const TrendSeries& series : TrendSeriesList) {
        auto* item = new QListWidgetItem(Swatch(TrendColour(series)),
                                         QString::fromLatin1(series.Caption), lstSeries);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    lstSeries->setMaximumWidth(lstSeries->sizeHintForColumn(0) + 40);
    connect(lstSeries, &QListWidget::itemChanged, this, &frmTrends::Redraw);
    layout->addWidget(caption);
    layout->addWidget(lstSeries, 1);
    return box;
}

void frmTrends::SetOnLine(bool onLine)
{
    lblOffLine->setVisible(!onLine);
}

QList<const TrendSeries*> frmTrends::ShownSeries() const
{
    QList<const TrendSeries*> shown;
    for (int row = 0; row < lstSeries->count(); ++row) {
        if (lstSeries->item(row)->checkState() == Qt::Checked)
            shown << &TrendSeriesList.at(std::size_t(row));
    }
    return shown;
}

void frmTrends::Redraw()
{
    if (!isVisible())
        return;
    const TrendHistory& history = m_Services.History;
    // Paused, the plots keep their moments; otherwise they end at the newest
    // reading.
    if (!m_Paused) {
        const qint64 newest =
            history.IsEmpty() ? QDateTime::currentMSecsSinceEpoch() : history.NewestTimeMs();
        const qint64 span = cboSpan->currentData().toInt() * MsPerMinute;
        // The plots scroll in steps of a hundredth of the span: in between,
        // a new reading redraws only its own lines, not every line of every
        // plot.
        const qint64 step = std::max<qint64>(1000, span / 100);
        m_ToMs = (newest + step - 1) / step * step;
        m_FromMs = m_ToMs - span;
    }
    const QList<const TrendSeries*> shown = ShownSeries();
    for (TrendChart* chart : m_Charts) {
        // A plot with none of its lines ticked gives its room to the others.
        const bool used = std::any_of(shown.begin(), shown.end(), [chart](const TrendSeries* s) {
            return s->Group == chart->Group();
        });
        chart->setVisible(used);
        if (used)
            chart->Redraw(history, shown, m_FromMs, m_ToMs);
    }
}

void frmTrends::OnRecorded()
{
    if (!m_Paused)
        Redraw();
}

void frmTrends::SetPaused(bool paused)
{
    m_Paused = paused;
    cmdPause->setText(paused ? QStringLiteral("&Resume") : QStringLiteral("&Pause"));
    if (!paused)
        Redraw();
}

void frmTrends::ClearTrends()
{
    if (m_Services.UI.MsgBox(QStringLiteral("Do you want to clear the trends recorded so far?"),
                             QStringLiteral("Trends"), MsgButtons::YesNo, MsgIcon::Question)
        == MsgResult::Yes)
        m_Services.History.Clear();
}

QString frmTrends::AskFileName(const QString& title, const QString& filter, const QString& suffix)
{
    QString path =
        m_Services.FileDialogs.GetSaveFileName({title, {filter}, 1, QString(), QString()});
    // The dialog leaves the extension to the user; a file without one would
    // not open in the program the user expects.
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += u'.' + suffix;
    return path;
}

void frmTrends::SaveCsv()
{
    const QString path = AskFileName(QStringLiteral("Save Trends As CSV"),
                                     QStringLiteral("CSV Files (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    if (const auto error = ReplaceFileContents(path, TrendCsvText(m_Services.History).toUtf8()))
        ShowFileSystemError(m_Services.UI, *error);
}

void frmTrends::SaveImage()
{
    const QString path = AskFileName(QStringLiteral("Save Trends Image"),
                                     QStringLiteral("PNG Images (*.png)"), QStringLiteral("png"));
    if (path.isEmpty())
        return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    m_Plots->grab().save(&buffer, "PNG");
    if (const auto error = ReplaceFileContents(path, bytes))
        ShowFileSystemError(m_Services.UI, *error);
}

void frmTrends::ShowReadout(std::optional<qint64> timeMs)
{
    for (TrendChart* chart : m_Charts)
        chart->ShowCursor(timeMs);
    if (!timeMs) {
        lblReadout->setText(QStringLiteral("Move the mouse over a plot to read its values."));
        return;
    }
    QStringList parts{QDateTime::fromMSecsSinceEpoch(*timeMs).toString(QStringLiteral("HH:mm:ss"))};
    for (const TrendSeries* series : ShownSeries())
        parts << QStringLiteral("%1 %2").arg(
            QString::fromLatin1(series->Caption),
            ReadingText(ValueAt(m_Services.History.SamplesOf(series->Quantity), *timeMs),
                        series->Unit()));
    lblReadout->setText(parts.join(QStringLiteral("   ")));
}

void frmTrends::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Redraw();
}

void frmTrends::hideEvent(QHideEvent* event)
{
    SaveSettings();
    QWidget::hideEvent(event);
}

void frmTrends::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The plots thin their lines to their width in pixels.
    Redraw();
}

void frmTrends::RestoreSettings()
{
    const auto number = [this](const char* key) {
        bool ok = false;
        const int value =
            m_Services.Settings
                .GetSetting(m_Services.Application, Section, QString::fromLatin1(key), QString())
                .toInt(&ok);
        return ok ? std::optional<int>(value) : std::nullopt;
    };
    const auto width = number("Width");
    const auto height = number("Height");
    if (width && height && *width >= minimumSizeHint().width()
        && *height >= minimumSizeHint().height())
        resize(*width, *height);
    const auto left = number("Left");
    const auto top = number("Top");
    const QScreen* screen = QGuiApplication::primaryScreen();
    // A window stored on a screen that is gone would open out of reach.
    if (left && top && screen != nullptr
        && screen->virtualGeometry().contains(QPoint(*left + 40, *top + 20)))
        move(*left, *top);
    const auto span = number("Span");
    if (span && cboSpan->findData(*span) >= 0)
        cboSpan->setCurrentIndex(cboSpan->findData(*span));
}

void frmTrends::SaveSettings()
{
    const auto save = [this](const char* key, int value) {
        m_Services.Settings.SaveSetting(m_Services.Application, Section, QString::fromLatin1(key),
                                        QString::number(value));
    };
    save("Left", x());
    save("Top", y());
    save("Width", width());
    save("Height", height());
    save("Span", cboSpan->currentData().toInt());
}
