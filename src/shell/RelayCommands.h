#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>

class CommandHost;
class FileCommands;
class IClock;
class IUserInterface;
class cTZL;
class cTZLTrips;
class frmModbus;
struct ConfigDocument;
struct ConfigSnapshot;

// The commands that talk to the relay on the user's behalf: upload,
// download (with its verification), compare, the clock, and resetting
// latches and acknowledging alarms. The polling tick runs them; each takes
// the slave ID the request was made for.
//
// A transfer that fails leaves the configuration in memory as it was: an
// upload is read into a device object of its own and taken over only when it
// is whole.
class RelayCommands
{
public:
    RelayCommands(frmModbus& link, cTZL& device, IUserInterface& ui, IClock& clock,
                  FileCommands& files, ConfigDocument& document, CommandHost& host);

    void Upload(std::int16_t slave);
    // True when the relay took the configuration; `verify` reads it back and
    // says whether it holds what was sent.
    bool Download(std::int16_t slave, bool verify);
    // The comparison's report of the relay against the configuration in
    // memory; nothing when the relay could not be read (already said).
    std::optional<QString> Compare(std::int16_t slave);

    QDateTime GetTime(std::int16_t slave);
    // Sets the relay's clock from the PC's and gives back what it then holds.
    QDateTime SendTime(std::int16_t slave);
    void ResetAllLatches(std::int16_t slave);
    void AcknowledgeAllAlarms(std::int16_t slave);
    // Resets one relay's latch or acknowledges its alarm.
    void RunSingleRelayCommand(std::int16_t slave, const QString& statusText,
                               bool (cTZLTrips::*command)(std::int16_t, std::int16_t),
                               std::int16_t relay);

private:
    std::optional<ConfigSnapshot> ReadRelayConfig(std::int16_t slave);
    void VerifyDownload(std::int16_t slave, const ConfigSnapshot& sent);

    frmModbus& m_Link;
    cTZL& m_Device;
    IUserInterface& m_UI;
    IClock& m_Clock;
    FileCommands& m_Files;
    ConfigDocument& m_Document;
    CommandHost& m_Host;
};
