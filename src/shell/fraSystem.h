#pragma once

#include <QWidget>

class CommitLineEdit;
class QComboBox;
class QDateEdit;
class QDateTime;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;
class cTZL;

// The "System" tab: the installation's key electrical parameters (system
// type, primary volts, system current and the power they give), the product
// information read from the relay, and the relay's real-time clock.
//
// Volts and current are edited here and written through to the device object
// at once, which limits them and rescales the trip parameters that depend on
// them. The clock buttons only ask: the main window runs the clock commands
// on its next tick and shows the result with DisplayDeviceTime().
class fraSystem : public QWidget
{
    Q_OBJECT
public:
    explicit fraSystem(cTZL& device, QWidget* parent = nullptr);

    // Fills the tab from the device object. An entry the user has begun in
    // the volts or current box stays there. The product frame shows only
    // once product information has been read from a relay.
    void ShowSystemTab();
    // After the configuration was reset: volts, current and power afresh,
    // and the clock hidden until it is read again.
    void DisplaySystemParameters();
    void HideClockDisplay();
    // True once the clock has been read or set, until it is hidden again;
    // whether the window is on the screen does not matter.
    bool ClockDisplayed() const { return m_ClockDisplayed; }
    // Shows a moment of the relay's clock.
    void DisplayDeviceTime(const QDateTime& moment);
    void SetGetTimeEnabled(bool enabled);
    void SetSendTimeEnabled(bool enabled);
    // Stores a volts or current entry the user has typed and not yet
    // committed, on his behalf: whole, wherever the caret is.
    void CommitPendingEdits();
    // Forgets typed entries, so the next fill shows the model.
    void DiscardPendingEdits();

Q_SIGNALS:
    // An accepted edit changed the system volts or current.
    void DataModified();
    // "Get TZL Time" was pressed; the button has disabled itself.
    void GetTimeRequested();
    // "PC Time -> TZL" was pressed; the button has disabled itself.
    void SendTimeRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGroupBox* BuildBasicParameters();
    QGroupBox* BuildProductInfo();
    QGroupBox* BuildClock();
    void DisplaySystemPower();
    void ShowSystemCurrent();
    bool CurrentEditPending() const;
    void CommitSystemVolts();
    void CommitSystemCurrent();
    void SetClockVisible(bool visible);

    cTZL& m_Device;
    bool m_ClockDisplayed = false;
    // The current as the list last showed it.
    QString m_ShownCurrent;

    QLineEdit* txtSystemType;
    CommitLineEdit* txtSystemVolts;
    QComboBox* cboSystemCurrent;
    QLineEdit* txtSystemPower;
    QLabel* lblSysPowerUnits;
    QGroupBox* fraProdInfo;
    QLineEdit* txtFirmwareVersion;
    QLineEdit* txtPSCNumber;
    QLineEdit* txtIssueNumber;
    QLabel* lblDate;
    QLabel* lblTime;
    QDateEdit* dtpDate;
    QTimeEdit* dtpTime;
    QPushButton* cmdGetTZLTime;
    QPushButton* cmdSendPCTime;
};
