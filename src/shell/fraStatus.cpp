#include "shell/fraStatus.h"

#include "model/MeasurementFormat.h"
#include "model/MeasurementLayout.h"
#include "model/cTZL.h"
#include "platform/LocaleDateText.h"
#include "shell/DisplayGrid.h"
#include "shell/PhaseColours.h"
#include "shell/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {

using Quantity = cTZLInputRegisters::Quantity;

const QString MeasurementsFormat =
    QStringLiteral("^ Parameter |^        1         |^        2         |^         3         "
                   "|^   Average   |^      Sum       ;|Volts|Current|Power|VA|VAr|P. Factor");
constexpr int CaptionColumnTwips = 800;
// What the grid's frame and the row captions' border take besides the columns.
constexpr int MeasurementsBorderTwips = 129;
constexpr int CurrentTripsBorderTwips = 100;
constexpr int CurrentTripsRows = 8;
constexpr int CurrentTripsColumns = 2;

const QColor NeverMeasured(170, 170, 170);
const QColor Tripped(255, 128, 255);
const QColor InAlarm(255, 0, 0);
const QColor AcknowledgedAlarm(255, 255, 0);
const QColor NotShowing(255, 255, 255);

struct GridCell
{
    int Row;
    int Column;
};
const GridCell NeverMeasuredCells[] = {{1, 5}, {3, 4}, {4, 4}, {5, 4}, {6, 5}};

// One of the six single quantities: caption, box and units, each with its tip.
struct ValueBox
{
    const char* Name;
    QString Caption;
    QString Tip;
    QString Units;
    QString UnitsTip;
};

QLineEdit* AddValueBox(QGridLayout* form, const ValueBox& box, QWidget* parent)
{
    auto* caption = new QLabel(box.Caption, parent);
    auto* value = new QLineEdit(parent);
    auto* units = new QLabel(box.Units, parent);
    const QString name = QLatin1String(box.Name);
    caption->setObjectName(QStringLiteral("lbl") + name.mid(3));
    value->setObjectName(name);
    units->setObjectName(QStringLiteral("lbl") + name.mid(3) + QStringLiteral("Units"));
    caption->setBuddy(value);
    caption->setToolTip(box.Tip);
    value->setToolTip(box.Tip);
    value->setAccessibleDescription(box.Tip);
    units->setToolTip(box.UnitsTip);
    value->setAccessibleName(box.Caption);
    value->setReadOnly(true);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("-0000.000 M"))
                           + 4 * value->style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
    const int row = form->rowCount();
    form->addWidget(caption, row, 0);
    form->addWidget(value, row, 1);
    form->addWidget(units, row, 2);
    return value;
}

QLabel* LegendLabel(const QString& name, const QString& caption, const QColor& colour,
                    QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::Box);
    label->setMargin(2);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    return label;
}

QTableWidget* DisplayTable(const QString& name, const QString& caption, const QString& tip,
                           int rows, int columns, QWidget* parent)
{
    auto* grid = new QTableWidget(parent);
    grid->setObjectName(name);
    grid->setAccessibleName(caption);
    grid->setToolTip(tip);
    SetUpDisplayGrid(grid, rows, columns);
    return grid;
}

using Reading = cTZLInputRegisters::Reading;

QString ReadingText(const cTZLInputRegisters& inputs, Quantity quantity)
{
    return inputs.ReadingOf(quantity) == Reading::Never ? QString()
                                                        : FormatMeasurement(inputs.Value(quantity));
}

QString LastReadTip(const cTZLInputRegisters& inputs, Quantity quantity)
{
    if (inputs.ReadingOf(quantity) != Reading::Stale)
        return QString();
    return QStringLiteral("Not updated: last read at %1")
        .arg(LongTimeText(inputs.ReadAt(quantity).time()));
}

// Two fifths of the way from the text colour to the background: still
// readable on every cell colour, plainly not current.
QColor Greyed(const QColor& text, const QColor& background)
{
    const auto mix = [](int t, int b) { return (3 * t + 2 * b) / 5; };
    return QColor(mix(text.red(), background.red()), mix(text.green(), background.green()),
                  mix(text.blue(), background.blue()));
}

int WholeTwips(double twips)
{
    return int(std::lround(twips));
}

} // namespace

fraStatus::fraStatus(const cTZL& device, QWidget* parent)
    : QWidget(parent)
    , m_Device(device)
    , fgridMeasurements(DisplayTable(
          QStringLiteral("fgridMeasurements"), QStringLiteral("Electrical Parameters"),
          QStringLiteral("Displays the basic parameters for upto three input channels"),
          MeasurementGridRows, MeasurementGridColumns, this))
    , fgridCurrentTrips(DisplayTable(QStringLiteral("fgridCurrentTrips"),
                                     QStringLiteral("Current Trips"),
                                     QStringLiteral("Displays the Relays Currently tripped"),
                                     CurrentTripsRows, CurrentTripsColumns, this))
    , chkDisplayAlarms(new QCheckBox(QStringLiteral("Display When Alarm Detected"), this))
{
    setObjectName(QStringLiteral("fraStatus"));
    chkDisplayAlarms->setObjectName(QStringLiteral("chkDisplayAlarms"));
    chkDisplayAlarms->setAccessibleName(chkDisplayAlarms->text());
    chkDisplayAlarms->setToolTip(
        QStringLiteral("Switch to this display when a new alarm is detected"));

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (const MeasurementCell& cell : MeasurementCells) {
        QTableWidgetItem* item = fgridMeasurements->item(cell.Row - 1, cell.Column - 1);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        item->setFont(fixed);
    }
    fgridMeasurements->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FitGridHeightToRows(fgridMeasurements);
    fgridCurrentTrips->horizontalHeader()->hide();
    fgridCurrentTrips->verticalHeader()->hide();
    fgridCurrentTrips->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FitGridHeightToRows(fgridCurrentTrips);

    auto* values = new QWidget(this);
    auto* form = new QGridLayout(values);
    form->setContentsMargins(0, 0, 0, 0);
    const QString hertz = QStringLiteral("Units: Hertz (Hz)");
    txtGenFrequency = AddValueBox(form,
                                  {"txtGenFrequency", QStringLiteral("Gen Frequency"),
                                   QStringLiteral("Frequency of the Generating Set"),
                                   QStringLiteral("Hz"), hertz},
                                  values);
    txtBusFrequency =
        AddValueBox(form,
                    {"txtBusFrequency", QStringLiteral("Bus Frequency"),
                     QStringLiteral("Frequency of the Bus"), QStringLiteral("Hz"), hertz},
                    values);
    txtBusGenPhaseAngle =
        AddValueBox(form,
                    {"txtBusGenPhaseAngle", QStringLiteral("Bus/Gen P.A."),
                     QStringLiteral("Phase angle between the Bus and the Generating Set"),
                     QStringLiteral("°"), QString()},
                    values);
    txtBusVoltage = AddValueBox(form,
                                {"txtBusVoltage", QStringLiteral("Bus Voltage"),
                                 QStringLiteral("RMS value of the Voltage on the Bus"),
                                 QStringLiteral("V"), QStringLiteral("Units: Volts (V)")},
                                values);
    txtIGround = AddValueBox(form,
                             {"txtIGround", QStringLiteral("I Ground"),
                              QStringLiteral("RMS value of the Ground Current"),
                              QStringLiteral("A"), QStringLiteral("Units: Amps (A)")},
                             values);
    txtINeutral = AddValueBox(form,
                              {"txtINeutral", QStringLiteral("I Neutral"),
                               QStringLiteral("RMS value of the Neutral Current"),
                               QStringLiteral("A"), QString()},
                              values);
    form->setRowStretch(form->rowCount(), 1);

    auto* legend = new QWidget(this);
    auto* legendLayout = new QVBoxLayout(legend);
    legendLayout->setContentsMargins(0, 0, 0, 0);
    legendLayout->addWidget(LegendLabel(QStringLiteral("lblLegendTripped"),
                                        QStringLiteral("Tripped"), Tripped, legend));
    legendLayout->addWidget(
        LegendLabel(QStringLiteral("lblLegendAlarm"), QStringLiteral("Alarm"), InAlarm, legend));
    legendLayout->addWidget(LegendLabel(QStringLiteral("lblLegendAcknowledgedAlarm"),
                                        QStringLiteral("Acknowledged Alarm"), AcknowledgedAlarm,
                                        legend));
    legendLayout->addStretch();
    legendLayout->addWidget(chkDisplayAlarms);

    // The panels beside the two grids share one width, so the grids line up
    // and are as wide as each other.
    const int sideWidth = std::max(values->sizeHint().width(), legend->sizeHint().width());
    values->setFixedWidth(sideWidth);
    legend->setFixedWidth(sideWidth);

    auto* electrical = new QGroupBox(QStringLiteral("Electrical Parameters"), this);
    electrical->setObjectName(QStringLiteral("fraElectricalParameters"));
    auto* electricalLayout = new QHBoxLayout(electrical);
    electricalLayout->addWidget(fgridMeasurements, 1, Qt::AlignTop);
    electricalLayout->addWidget(values);

    auto* trips = new QGroupBox(QStringLiteral("Current Trips"), this);
    trips->setObjectName(QStringLiteral("fraCurrentTrips"));
    auto* tripsLayout = new QHBoxLayout(trips);
    tripsLayout->addWidget(fgridCurrentTrips, 1, Qt::AlignTop);
    tripsLayout->addWidget(legend);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(electrical);
    layout->addWidget(trips);
    layout->addStretch();
}

void fraStatus::SetUpMeasurementsGrid()
{
    ApplyGridFormat(fgridMeasurements, MeasurementsFormat);
    for (int row = 0; row < MeasurementGridRows; ++row)
        for (int phase = 0; phase < 3; ++phase)
            PaintCell(fgridMeasurements->item(row, phase), PhaseColours.at(std::size_t(phase)));
    for (const GridCell& cell : NeverMeasuredCells)
        PaintCell(fgridMeasurements->item(cell.Row - 1, cell.Column - 1), NeverMeasured);
    FitColumnsToWidth();
    fgridMeasurements->installEventFilter(this);
    fgridCurrentTrips->installEventFilter(this);
}

// A value not read since going on-line, since the slave changed or since New
// shows nothing: 0.00000 would look like a real zero. One whose last read
// failed keeps the value of the read before, greyed, with that read's time in
// its tool tip.
void fraStatus::DisplayMeasurements()
{
    const cTZLInputRegisters& inputs = m_Device.Inputs;
    const std::pair<QLineEdit*, Quantity> boxes[] = {
        {txtGenFrequency, Quantity::Frequency},
        {txtBusFrequency, Quantity::BusFrequency},
        {txtBusGenPhaseAngle, Quantity::BusGenPhaseAngle},
        {txtBusVoltage, Quantity::BusVolts},
        {txtIGround, Quantity::IGround},
        {txtINeutral, Quantity::INeutral}};
    for (const auto& [box, quantity] : boxes)
        ShowReading(box, quantity);
    for (const MeasurementCell& cell : MeasurementCells) {
        QTableWidgetItem* item = fgridMeasurements->item(cell.Row - 1, cell.Column - 1);
        const Reading reading = inputs.ReadingOf(cell.Value);
        item->setText(ReadingText(inputs, cell.Value));
        item->setToolTip(LastReadTip(inputs, cell.Value));
        // The average and sum cells have no colour of their own: they follow
        // the palette.
        const bool painted = item->background().style() != Qt::NoBrush;
        const QPalette& palette = fgridMeasurements->palette();
        const QColor background =
            painted ? item->background().color() : palette.color(QPalette::Base);
        const QColor text = painted ? ReadableTextOn(background) : palette.color(QPalette::Text);
        if (reading == Reading::Stale)
            item->setForeground(Greyed(text, background));
        else
            item->setForeground(painted ? QBrush(text) : QBrush());
        QFont font = item->font();
        font.setItalic(reading == Reading::Stale);
        item->setFont(font);
    }
    DisplayCurrentTrips();
}

void fraStatus::ShowReading(QLineEdit* box, Quantity quantity)
{
    const cTZLInputRegisters& inputs = m_Device.Inputs;
    const bool stale = inputs.ReadingOf(quantity) == Reading::Stale;
    box->setText(ReadingText(inputs, quantity));
    // The box's own tip stays; the time of the read comes after it.
    const QString tip = box->accessibleDescription();
    const QString lastRead = LastReadTip(inputs, quantity);
    box->setToolTip(lastRead.isEmpty() ? tip : tip + u'\n' + lastRead);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, stale ? palette.color(QPalette::Disabled, QPalette::Text)
                                           : QApplication::palette().color(QPalette::Text));
    box->setPalette(palette);
    QFont font = box->font();
    font.setItalic(stale);
    box->setFont(font);
}

bool fraStatus::DisplayAlarms() const
{
    return chkDisplayAlarms->isChecked();
}

void fraStatus::SetDisplayAlarms(bool on)
{
    chkDisplayAlarms->setChecked(on);
}

bool fraStatus::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize
        && (watched == fgridMeasurements || watched == fgridCurrentTrips))
        FitColumnsToWidth();
    return QWidget::eventFilter(watched, event);
}

void fraStatus::FitColumnsToWidth()
{
    // The caption column keeps its width; the five value columns share the
    // rest equally.
    const int gridTwips = PixelsToTwips(fgridMeasurements->width(), this);
    const int captionPixels = SetGridColumnWidthTwips(fgridMeasurements, 0, CaptionColumnTwips);
    const int captionTwips = std::max(CaptionColumnTwips, PixelsToTwips(captionPixels, this));
    const int valueTwips = WholeTwips((gridTwips - captionTwips - MeasurementsBorderTwips)
                                      / double(MeasurementGridColumns));
    for (int column = 1; column <= MeasurementGridColumns; ++column)
        SetGridColumnWidthTwips(fgridMeasurements, column, valueTwips);

    const int tripsTwips = PixelsToTwips(fgridCurrentTrips->width(), this);
    const int tripsColumnPixels = TwipsToPixels(
        WholeTwips((tripsTwips - CurrentTripsBorderTwips) / double(CurrentTripsColumns)), this);
    for (int column = 0; column < CurrentTripsColumns; ++column)
        fgridCurrentTrips->setColumnWidth(column, tripsColumnPixels);
}

void fraStatus::DisplayCurrentTrips()
{
    const cTZLTrips& trips = m_Device.TripData;
    for (std::int16_t relay = 1; relay <= cTZLTrips::RelayCount; ++relay) {
        QTableWidgetItem* cell =
            fgridCurrentTrips->item((relay - 1) % CurrentTripsRows, (relay - 1) / CurrentTripsRows);
        const bool showing = trips.state(relay) || trips.IsActive(relay) || trips.IsInAlarm(relay);
        if (!showing)
            ShowInCell(cell, QString(), NotShowing);
        else if (trips.IsAcknowledged(relay))
            ShowInCell(cell, trips.TripName(relay), AcknowledgedAlarm);
        else if (trips.IsInAlarm(relay))
            ShowInCell(cell, trips.TripName(relay), InAlarm);
        else
            ShowInCell(cell, trips.TripName(relay), Tripped);
    }
}
