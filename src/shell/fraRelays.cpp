#include "shell/fraRelays.h"

#include "model/cTZL.h"
#include "shell/DisplayGrid.h"
#include "shell/RequestButton.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString RelayStatusFormat =
    QStringLiteral("^RELAY No.   |^     STATE     |^     LATCHED     |^     ALARM     ");
constexpr int StateColumn = 1;
constexpr int LatchedColumn = 2;
constexpr int AlarmColumn = 3;
constexpr int ColumnTwips[] = {3000, 900, 900, 900};

const QColor Plain(255, 255, 255);
const QColor TrippedColour(255, 0, 0);
const QColor LatchedColour(0, 255, 255);
const QColor UnacknowledgedColour(255, 0, 0);

// A relay whose latch can be reset on its own: "Latched" shows only while it
// is not tripped as well.
bool ShowsLatched(const cTZLTrips& trips, std::int16_t relay)
{
    return trips.IsActive(relay) && !trips.state(relay);
}

bool HasUnacknowledgedAlarm(const cTZLTrips& trips, std::int16_t relay)
{
    return trips.IsInAlarm(relay) && !trips.IsAcknowledged(relay);
}

} // namespace

fraRelays::fraRelays(const cTZL& device, QWidget* parent)
    : QWidget(parent)
    , m_Device(device)
    , fgridRelayStatus(new QTableWidget(this))
    , cmdResetTrips(new RequestButton(QStringLiteral("cmdResetTrips"),
                                      QStringLiteral("Reset Trips"),
                                      QStringLiteral("Clear latched trips"), this))
    , cmdAckAlarms(new RequestButton(QStringLiteral("cmdAckAlarms"), QStringLiteral("Ack Alarms"),
                                     QStringLiteral("Acknowledge new alarms"), this))
{
    setObjectName(QStringLiteral("fraRelays"));
    fgridRelayStatus->setObjectName(QStringLiteral("fgridRelayStatus"));
    fgridRelayStatus->setAccessibleName(QStringLiteral("Relay Status"));
    fgridRelayStatus->setToolTip(QStringLiteral("Displays Current Status of the TZL Relays"));
    SetUpDisplayGrid(fgridRelayStatus, cTZLTrips::RelayCount, AlarmColumn);
    fgridRelayStatus->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fgridRelayStatus->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fgridRelayStatus->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int row = 0; row < fgridRelayStatus->rowCount(); ++row)
        for (int column = 0; column < fgridRelayStatus->columnCount(); ++column)
            fgridRelayStatus->item(row, column)->setTextAlignment(Qt::AlignCenter);
    FitGridHeightToRows(fgridRelayStatus);

    connect(fgridRelayStatus, &QTableWidget::cellClicked, this, &fraRelays::CellClicked);
    connect(cmdResetTrips, &RequestButton::Requested, this, &fraRelays::ResetTripsRequested);
    connect(cmdAckAlarms, &RequestButton::Requested, this, &fraRelays::AckAlarmsRequested);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdResetTrips);
    buttons->addWidget(cmdAckAlarms);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(fgridRelayStatus, 0, Qt::AlignTop);
    layout->addLayout(buttons);
    layout->addStretch();
}

void fraRelays::SetUpRelayStatusGrid()
{
    ApplyGridFormat(fgridRelayStatus, RelayStatusFormat);
    for (int column = 0; column <= AlarmColumn; ++column)
        SetGridColumnWidthTwips(fgridRelayStatus, column, ColumnTwips[column]);
    FitGridWidthToColumns(fgridRelayStatus);
}

void fraRelays::FillRelayStatusGrid()
{
    const cTZLTrips& trips = m_Device.TripData;
    QStringList names;
    for (std::int16_t relay = 1; relay <= cTZLTrips::RelayCount; ++relay) {
        names << trips.TripName(relay);
        const auto cell = [&](int column) { return fgridRelayStatus->item(relay - 1, column - 1); };
        if (trips.state(relay))
            ShowInCell(cell(StateColumn), QStringLiteral("Tripped"), TrippedColour);
        else
            ShowInCell(cell(StateColumn), QString(), Plain);
        if (ShowsLatched(trips, relay))
            ShowInCell(cell(LatchedColumn), QStringLiteral("Latched"), LatchedColour);
        else
            ShowInCell(cell(LatchedColumn), QString(), Plain);
        if (!trips.IsInAlarm(relay))
            ShowInCell(cell(AlarmColumn), QString(), Plain);
        else if (trips.IsAcknowledged(relay))
            ShowInCell(cell(AlarmColumn), QStringLiteral("Y"), Plain);
        else
            ShowInCell(cell(AlarmColumn), QStringLiteral("Y"), UnacknowledgedColour);
    }
    fgridRelayStatus->setVerticalHeaderLabels(names);
}

void fraRelays::SetGridEnabled(bool enabled)
{
    fgridRelayStatus->setEnabled(enabled);
}

void fraRelays::SetResetTripsEnabled(bool enabled)
{
    cmdResetTrips->setEnabled(enabled);
}

void fraRelays::SetAckAlarmsEnabled(bool enabled)
{
    cmdAckAlarms->setEnabled(enabled);
}

void fraRelays::CellClicked(int row, int column)
{
    const cTZLTrips& trips = m_Device.TripData;
    const auto relay = std::int16_t(row + 1);
    const int gridColumn = column + 1;
    if (gridColumn == LatchedColumn && ShowsLatched(trips, relay)) {
        fgridRelayStatus->setEnabled(false);
        Q_EMIT ResetTripRequested(relay);
    } else if (gridColumn == AlarmColumn && HasUnacknowledgedAlarm(trips, relay)) {
        fgridRelayStatus->setEnabled(false);
        Q_EMIT AckAlarmRequested(relay);
    }
}
