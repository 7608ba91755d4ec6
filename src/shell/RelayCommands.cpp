#include "shell/RelayCommands.h"

#include "link/frmModbus.h"
#include "model/ConfigComparison.h"
#include "model/cTZL.h"
#include "platform/IClock.h"
#include "platform/IUserInterface.h"
#include "shell/CommandHost.h"
#include "shell/FileCommands.h"

namespace {

const QString Ready = QStringLiteral("Ready");
const QString VerifyTitle = QStringLiteral("Verify after Download");

} // namespace

RelayCommands::RelayCommands(frmModbus& link, cTZL& device, IUserInterface& ui, IClock& clock,
                             FileCommands& files, ConfigDocument& document, CommandHost& host)
    : m_Link(link)
    , m_Device(device)
    , m_UI(ui)
    , m_Clock(clock)
    , m_Files(files)
    , m_Document(document)
    , m_Host(host)
{}

void RelayCommands::Upload(std::int16_t slave)
{
    if (!m_Files.MayDiscardChanges())
        return;
    m_Host.SetStatusText(QStringLiteral("Uploading Trip Configuration Data from TZL ...."));
    cTZL relay(m_Link, m_UI, m_Clock);
    if (relay.UploadConfig(slave)) {
        m_Device.TakeUploadedConfig(relay);
        m_Document.Uploaded = true;
        // Named after the line and the slave the data came from; a later
        // Save writes it beside the last file chosen.
        m_Document.OwnPath.clear();
        m_Document.Folder = m_Document.WorkDirectory;
        m_Host.SetTitle(QStringLiteral("Com%1_Node%2").arg(m_Link.Port()).arg(slave));
        m_Host.SetDataModified(false);
        m_Host.ShowNewConfiguration();
    }
    m_Host.SetStatusText(Ready);
}

bool RelayCommands::Download(std::int16_t slave, bool verify)
{
    m_Host.SetStatusText(QStringLiteral("Downloading configuration to the TZL ...."));
    // The download replaces the model with the relay's read-back; what was
    // sent is kept apart for the verification.
    const ConfigSnapshot sent = m_Device.Snapshot();
    const bool sentWhole = m_Device.DownloadConfig(slave);
    if (sentWhole) {
        m_Host.SetDataModified(false);
        if (verify)
            VerifyDownload(slave, sent);
    }
    m_Host.Redraw();
    m_Host.SetStatusText(Ready);
    return sentWhole;
}

// Reads the whole configuration into a model of its own, so the one in memory
// stays as it is; nothing when the relay could not be read (the link has
// already said why).
std::optional<ConfigSnapshot> RelayCommands::ReadRelayConfig(std::int16_t slave)
{
    cTZL relay(m_Link, m_UI, m_Clock);
    if (!relay.UploadConfig(slave))
        return std::nullopt;
    return relay.Snapshot();
}

void RelayCommands::VerifyDownload(std::int16_t slave, const ConfigSnapshot& sent)
{
    m_Host.SetStatusText(QStringLiteral("Verifying the TZL's configuration ...."));
    const std::optional<ConfigSnapshot> held = ReadRelayConfig(slave);
    if (!held)
        return;
    const auto differences =
        ConfigComparison::Compare(sent, *held, ConfigComparison::Names::Ignored);
    if (differences.isEmpty())
        m_UI.MsgBox(QStringLiteral("Verified: the TZL holds this configuration"), VerifyTitle,
                    MsgButtons::OK, MsgIcon::Information);
    else
        m_UI.MsgBox(ConfigComparison::Report(differences, QStringLiteral("sent"),
                                             QStringLiteral("TZL"), QString()),
                    VerifyTitle, MsgButtons::OK, MsgIcon::Exclamation);
}

std::optional<QString> RelayCommands::Compare(std::int16_t slave)
{
    m_Host.SetStatusText(QStringLiteral("Comparing the configuration with the TZL ...."));
    const std::optional<ConfigSnapshot> held = ReadRelayConfig(slave);
    m_Host.SetStatusText(Ready);
    if (!held)
        return std::nullopt;
    const auto differences =
        ConfigComparison::Compare(m_Device.Snapshot(), *held, ConfigComparison::Names::Ignored);
    return ConfigComparison::Report(differences, QStringLiteral("memory"), QStringLiteral("TZL"),
                                    QStringLiteral("The TZL holds the configuration in memory."));
}

QDateTime RelayCommands::GetTime(std::int16_t slave)
{
    m_Host.SetStatusText(QStringLiteral("Requesting Date and Time From TZL ...."));
    const QDateTime held = m_Device.GetRTC(slave);
    m_Host.SetStatusText(Ready);
    return held;
}

QDateTime RelayCommands::SendTime(std::int16_t slave)
{
    m_Host.SetStatusText(QStringLiteral("Sending Date and Time Settings to TZL ...."));
    m_Device.SetRTC(slave, m_Clock.Now());
    // What the relay holds after the write, which is what counts.
    const QDateTime held = m_Device.GetRTC(slave);
    m_Host.SetStatusText(Ready);
    return held;
}

void RelayCommands::ResetAllLatches(std::int16_t slave)
{
    m_Host.SetStatusText(QStringLiteral("Reseting All Latched Trips ..."));
    m_Device.TripData.ResetTrips(slave);
    m_Host.Redraw();
    m_Host.SetStatusText(Ready);
}

void RelayCommands::AcknowledgeAllAlarms(std::int16_t slave)
{
    m_Host.SetStatusText(QStringLiteral("Acknowledging All Unacknowledged Alarms ...."));
    m_Device.TripData.AcknowledgeAlarms(slave);
    m_Host.Redraw();
    m_Host.SetStatusText(Ready);
}

void RelayCommands::RunSingleRelayCommand(std::int16_t slave, const QString& statusText,
                                          bool (cTZLTrips::*command)(std::int16_t, std::int16_t),
                                          std::int16_t relay)
{
    m_Host.SetStatusText(statusText);
    (m_Device.TripData.*command)(slave, relay);
    m_Host.SetStatusText(Ready);
    m_Host.Redraw();
}
