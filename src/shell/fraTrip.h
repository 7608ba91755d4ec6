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
    // Fills the frame for relay 1 to 16 from the model. An edit the user has
    // begun on the same relay and function stays in its box, so a polling
    // redraw does not eat keystrokes; the window commits or discards open
    // edits before it shows another relay or a new configuration.
    void ShowTripDefinition(std::int16_t relay);
    // The relay shown; 0 before the first.
    std::int16_t Relay() const { return m_Relay; }
    // Stores what the user has typed and not yet committed into the relay
    // shown, on his behalf: whole, wherever the caret is.
    void CommitPendingEdits();
    // Forgets typed entries, so the next fill shows the model.
    void DiscardPendingEdits();

Q_SIGNALS:
    // An accepted edit changed a stored value (name, function, flag or
    // parameter); other parameters may have moved with it.
    void DataModified();

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
    QString StoredParameterText(std::int16_t position) const;
    void CommitTripName();
    void CommitTripParameter(int row);
    void ChangeTripFunction(int function);
    void ChangeFlag(const FlagBox& flag, bool on);
    bool Editable() const;

    cTZL& m_Device;
    cTZLTrips& m_Trips;
    std::int16_t m_Relay = 0;
    int m_Function = -1;
    // Set while the frame is filled: a focus change it causes must not
    // commit.
    bool m_Filling = false;

    QLabel* lblTripName;
    CommitLineEdit* txtTripName;
    QLabel* lblTripFunction;
    QComboBox* cboTripFn;
    QGroupBox* lblTripMode;
    QGroupBox* fraTripParameters;
    std::array<ParameterRow, 6> m_Parameters;
    std::array<FlagBox, 4> m_Flags;
};
