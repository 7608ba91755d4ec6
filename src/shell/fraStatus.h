#pragma once

#include "model/cTZLInputRegisters.h"

#include <QWidget>

class cTZL;
class QCheckBox;
class QLineEdit;
class QTableWidget;

// The "Measurements" tab: the per-phase quantities in a grid, the bus and
// generator quantities in six boxes, and the relays now tripped or in alarm.
// It only shows what the device object holds; the polling fills the model.
//
// Grid cells are numbered as on a grid with a fixed caption row and column:
// cell (row r, column c) with r, c >= 1 of fgridMeasurements is
// item(r - 1, c - 1), its row captions being the vertical header. The
// current-trips grid has no captions: relay r is at item((r - 1) % 8,
// (r - 1) / 8).
class fraStatus : public QWidget
{
    Q_OBJECT
public:
    explicit fraStatus(const cTZL& device, QWidget* parent = nullptr);

    // Captions, column widths, the phase colours and the greyed cells of the
    // measurements grid, and the widths of the current-trips grid. The widths
    // follow the grids' size from then on.
    void SetUpMeasurementsGrid();
    // The six boxes, the 25 measurement cells and the current-trips grid,
    // from the device object.
    void DisplayMeasurements();

    // "Display When Alarm Detected": the polling brings this tab forward when
    // a new alarm comes in.
    bool DisplayAlarms() const;
    void SetDisplayAlarms(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FitColumnsToWidth();
    void DisplayCurrentTrips();
    void ShowReading(QLineEdit* box, cTZLInputRegisters::Quantity quantity);

    const cTZL& m_Device;
    QTableWidget* fgridMeasurements;
    QTableWidget* fgridCurrentTrips;
    QLineEdit* txtGenFrequency;
    QLineEdit* txtBusFrequency;
    QLineEdit* txtBusGenPhaseAngle;
    QLineEdit* txtBusVoltage;
    QLineEdit* txtIGround;
    QLineEdit* txtINeutral;
    QCheckBox* chkDisplayAlarms;
};
