#pragma once

#include "link/ICommsSettingsDialog.h"
#include "shell/SystemSerialDevices.h"

#include <QDialog>
#include <optional>

class NetworkPortFields;
class QCheckBox;
class QComboBox;
class QPushButton;

// "Communication Settings": the user picks the port and the line settings
// from fixed lists, or a serial device server's network address. The port
// list offers the USB adapters present when the dialog opens before
// COM1..COM4 and the other serial devices after them, and takes any device
// path typed into it; after 19200 the baud rate list offers a faster rate the
// line is set to.
class frmCommsSettings : public QDialog, public ICommsSettingsDialog
{
    Q_OBJECT
public:
    explicit frmCommsSettings(SerialDeviceLister devices = SystemSerialDevices,
                              QWidget* parent = nullptr);

    void DisplaySettingsString(std::int16_t port, const QString& device, const QString& settings,
                               QObject* owner, bool okEnabled) override;
    // Shows the separate values; leaves the OK button as it was.
    void DisplaySettingsDiscrete(std::int16_t port, std::int16_t baudRate, std::int16_t dataBits,
                                 const QString& parity, std::int16_t stopBits, QObject* owner);
    bool Cancelled() const override { return m_Cancelled; }

    std::int16_t GetPort() const override;
    QString GetDevice() const override;
    int GetBaudrate() const override;
    int GetDataBits() const override;
    QString GetParity() const override;
    int GetStopBits() const override;
    void SetFastResponseDetection(bool on) override;
    bool GetFastResponseDetection() const override;

    void SaveSettings(ISettingsStore& store, const QString& application) const override;
    void RestoreSettings(const ISettingsStore& store, const QString& application) override;

    // Cancel, Escape and the close box all end here.
    void reject() override;
    // A malformed network address keeps the dialog open, with the reason.
    void accept() override;

private:
    void Preselect(std::int16_t port, const QString& device, std::optional<int> baudRate,
                   const QString& parity, std::optional<int> dataBits, std::optional<int> stopBits);
    void FillPortList(const QString& device);
    void FillBaudRateList(std::optional<int> baudRate);
    void PreselectPort(std::int16_t port, const QString& device);
    int ChosenItem() const;
    void ShowModal(QObject* owner);

    SerialDeviceLister m_Devices;
    QComboBox* cboPort;
    QComboBox* cboBaudRate;
    QComboBox* cboParity;
    QComboBox* cboDataBits;
    QComboBox* cboStopBits;
    QCheckBox* chkFastResponse;
    NetworkPortFields* m_Network;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    bool m_Cancelled = false;
};
