#pragma once

#include <QWidget>

class cTZL;
class RequestButton;
class QTableWidget;

// The "Relays" tab: the live status of the 16 output relays, and the requests
// to reset latches and acknowledge alarms, all relays or one. A request only
// disables what asked for it and is reported by a signal; the main window
// runs it on its next tick and re-enables the control.
//
// fgridRelayStatus is numbered as a grid with a fixed caption row and column:
// cell (row r, column c) with r, c >= 1 is item(r - 1, c - 1). The relay
// names form the fixed column (the vertical header), so every cell that can
// be clicked belongs to a relay: row r is relay r, columns 1 to 3 are STATE,
// LATCHED and ALARM.
class fraRelays : public QWidget
{
    Q_OBJECT
public:
    explicit fraRelays(const cTZL& device, QWidget* parent = nullptr);

    // Captions and the column widths: 3000, 900, 900 and 900 twips.
    void SetUpRelayStatusGrid();
    void FillRelayStatusGrid();

    void SetGridEnabled(bool enabled);
    void SetResetTripsEnabled(bool enabled);
    void SetAckAlarmsEnabled(bool enabled);

Q_SIGNALS:
    void ResetTripsRequested();
    void AckAlarmsRequested();
    // The relay shows "Latched": latched, not tripped.
    void ResetTripRequested(int relay);
    // The relay's alarm is not acknowledged yet.
    void AckAlarmRequested(int relay);

private:
    // Only a mouse click on a cell asks for a command; moving onto a cell with
    // the keyboard never does, so browsing the grid cannot reset a relay.
    void CellClicked(int row, int column);

    const cTZL& m_Device;
    QTableWidget* fgridRelayStatus;
    RequestButton* cmdResetTrips;
    RequestButton* cmdAckAlarms;
};
