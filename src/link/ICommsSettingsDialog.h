#pragma once

#include <QString>
#include <cstdint>

class ISettingsStore;
class QObject;

// The serial settings dialog as the link sees it. The link shows it with the
// current choice, then reads the user's choice back unless it was cancelled.
class ICommsSettingsDialog
{
public:
    virtual ~ICommsSettingsDialog() = default;

    // Preselects the lists from the numbered port (or from the device, when
    // one is in use instead), and from the settings text "9600,N,8,1";
    // enables OK only when changes are allowed; shows the dialog modally over
    // the owner and returns once it has been closed.
    virtual void DisplaySettingsString(std::int16_t port, const QString& device,
                                       const QString& settings, QObject* owner, bool okEnabled) = 0;
    // True when the last display ended with Cancel or the close box.
    virtual bool Cancelled() const = 0;

    virtual std::int16_t GetPort() const = 0;
    // The device path chosen instead of a numbered port; empty for COM1..COM4.
    virtual QString GetDevice() const = 0;
    // Beyond the 16 bits of the other numbers: a line may run at 115200.
    virtual int GetBaudrate() const = 0;
    virtual int GetDataBits() const = 0;
    virtual QString GetParity() const = 0;
    virtual int GetStopBits() const = 0;

    // The link's fast response detection; the link sets it before each
    // display and reads it back after OK.
    virtual void SetFastResponseDetection(bool on) = 0;
    virtual bool GetFastResponseDetection() const = 0;

    // The dialog's own screen position.
    virtual void SaveSettings(ISettingsStore& store, const QString& application) const = 0;
    virtual void RestoreSettings(const ISettingsStore& store, const QString& application) = 0;
};
