#pragma once

#include <QWidget>

class cTZL;
class QCheckBox;
class RequestButton;
class QTableWidget;

// The "Events" tab: the relay's event log by event number, with the trip
// function of the relay that operated, and the requests to save and print
// the log. Saving and printing are the main window's: this frame disables
// the button that was pressed and reports the request.
//
// fgridEventLog is numbered as a grid with a fixed caption row and column:
// cell (row r, column c) with r, c >= 1 is item(r - 1, c - 1). Row r holds
// event number r; the event numbers are the fixed column (the vertical
// header).
class fraEvents : public QWidget
{
    Q_OBJECT
public:
    explicit fraEvents(const cTZL& device, QWidget* parent = nullptr);

    // Captions, event numbers and column widths; the grid stays hidden until
    // the log is first displayed.
    void SetUpEventLogGrid();
    // The trip function names come from the trip definitions in memory when
    // they are the relay's own (configUploaded) or the user asks for them
    // anyway; the flag is kept for redrawing when that box is toggled.
    void DisplayEventLog(bool configUploaded);

    bool UseCurrentDefinitions() const;
    void SetUseCurrentDefinitions(bool on);
    void SetSaveEnabled(bool enabled);
    void SetPrintEnabled(bool enabled);

Q_SIGNALS:
    void SaveRequested();
    void PrintRequested();

private:
    QString FunctionText(std::int16_t relay) const;

    const cTZL& m_Device;
    bool m_ConfigUploaded = false;
    int m_DateColumnPixels = 0;
    QTableWidget* fgridEventLog;
    QCheckBox* chkEventLogUseCurrent;
    RequestButton* cmdSaveEventLog;
    RequestButton* cmdPrintEventLog;
};
