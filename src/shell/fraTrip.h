#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

class CommitLineEdit;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class cTZL;
class cTZLTrips;

// The trip editor of the tabs "Relay 1" to "Relay 16": one relay's name,
// function, four trip-mode flags and up to six parameters. Every edit goes
// straight into the device object's trip record, which validates, rounds and
// limits it; the frame shows back what was stored. Nothing is sent to the
// relay from here.
//
// The controls carry the names the rest of the program uses: txtTripName,
// cboTripFn, the Trip Mode group lblTripMode with chkInverted, chkAlarm,
// chkLatched and chkLogged, and for each parameter row i (0 to 5, parameter
// position i + 1) lblTripParameter<i>, txtTripParameter<i> and
// lblTripParamUnit<i>.
class fraTrip : public QWidget
{
    Q_OBJECT
public:
    explicit fraTrip(cTZL& device, QWidget* parent = nullptr);

    // The 28 functions in function-index order, so that a list position is
    // the function index.
    void FillTripFunctionList();
    // Fills the frame for relay 1 to 16. A stored parameter outside its
    // present limits is quietly set back to its default. An edit the user
    // has begun on another relay is stored into that relay first; one on
    // this relay stays in its box, so a redraw does not eat keystrokes.
    void ShowTripDefinition(std::int16_t relay);
    // The relay shown; 0 before the first.
    std::int16_t Relay() const { return m_Relay; }
    // Stores what the user has typed and not yet committed, into the relay
    // shown. Runs by itself when the frame is redrawn for another relay or
    // hidden; a menu command takes no focus, so one that saves or sends the
    // configuration calls it first.
    void CommitPendingEdits();

Q_SIGNALS:
    // An accepted edit changed a stored value (name, function, flag or
    // parameter).
    void DataModified();
    // A parameter was committed: other parameters may have moved with it, so
    // the main window redraws its current tab.
    void RedrawRequested();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    struct ParameterRow
    {
        QLabel* Caption;
        CommitLineEdit* Value;
        QLabel* Unit;
    };
    struct FlagBox
    {
        QCheckBox* Box;
        int (cTZLTrips::*Get)(std::int16_t) const;
        void (cTZLTrips::*Set)(std::int16_t, bool);
    };

    void HideTripControls();
    void SetTripControlsVisible(bool visible);
    void ShowParameter(int row, int function, bool keepEdit);
    void ShowParameterRows(int count);
    void CommitTripName();
    void CommitTripParameter(int row);
    void ChangeTripFunction(int function);
    void ChangeFlag(const FlagBox& flag, bool on);
    bool Editable() const;

    cTZL& m_Device;
    cTZLTrips& m_Trips;
    std::int16_t m_Relay = 0;
    int m_Function = -1;
    // Set while the frame is filled and while pending edits are stored: a
    // focus change either causes must not commit again or ask for a redraw.
    bool m_Filling = false;
    bool m_CommittingPending = false;

    QLabel* lblTripName;
    CommitLineEdit* txtTripName;
    QLabel* lblTripFunction;
    QComboBox* cboTripFn;
    QGroupBox* lblTripMode;
    QGroupBox* fraTripParameters;
    std::array<ParameterRow, 6> m_Parameters;
    std::array<FlagBox, 4> m_Flags;
};
