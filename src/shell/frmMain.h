#pragma once

#include "link/cCommsErrorLog.h"
#include "link/frmModbus.h"
#include "model/RelayScan.h"
#include "model/cTZL.h"
#include "shell/CommandHost.h"
#include "shell/FileCommands.h"
#include "shell/MainWindowSettings.h"
#include "shell/PendingCommands.h"
#include "shell/PrintCommands.h"
#include "shell/RelayCommands.h"
#include "shell/ReportCommand.h"
#include "model/PollingFailureReports.h"
#include "model/cPollingCycle.h"
#include "shell/cRUFList.h"
#include "trends/TrendHistory.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

struct ConfigSnapshot;
class IClock;
class IFileDialogs;
class IPrintSetup;
class ISerialPort;
class ISettingsStore;
class IUserInterface;
class MainMenus;
class MainStatusBar;
class QAction;
class QLabel;
class QStackedWidget;
class QTabBar;
class SlaveIdBox;
class fraEvents;
class fraRelays;
class fraStatus;
class fraSystem;
class fraTrip;
class frmCommsSettings;
class frmCommsStatus;
class frmCompareResult;
class frmSplash;
class frmTrends;

// What the main window works with: the outside world behind its interfaces,
// so the whole window runs in tests against the simulated relay.
struct ShellServices
{
    ISerialPort& Port;
    IUserInterface& UI;
    ISettingsStore& Settings;
    IClock& Clock;
    IFileDialogs& FileDialogs;
    IPrintSetup& PrintSetup;
    // Where the comms error log is kept.
    QString ErrorLogFolder;
    // A serial device given on the command line: used for this run instead
    // of the stored port, and never written into the settings.
    QString DeviceOverride;
    // The user guide's index page; empty when it is not installed.
    QString HelpFile;
    // False in tests: no splash, and the polling timer never starts by
    // itself (tests call Timer1_Timer and SplashFinished directly).
    bool Interactive = true;
};

// The configurator's main window: twenty tabs over one relay (the trip
// editors of relays 1 to 16, then Events, Relays, System, Measurements), the
// slave ID, menus, toolbar and a three-panel status bar. It owns the device
// object, the Modbus link and the recent-files list. Everything that talks to
// the relay runs from the one-second polling tick: controls only record what
// the user asked for.
class frmMain : public QMainWindow, private CommandHost
{
    Q_OBJECT
public:
    static inline const QString ApplicationName = QStringLiteral("VI_TZLConfigurator");
    static inline const QString ProductCaption =
        QStringLiteral("Velmar Dudodozozuz TZL Configurator");

    explicit frmMain(ShellServices services, QWidget* parent = nullptr);
    ~frmMain() override;

    // The splash's time is over: show the window and start polling.
    void SplashFinished();
    // One tick of the polling timer.
    void Timer1_Timer();
    // The desktop session is ending: a close that comes before control is
    // back in the event loop asks nothing. A logout that is cancelled leaves
    // every later close asking as usual.
    void SessionEnding();
    // Saves the settings and closes without a question, as at the end of the
    // desktop session (SIGTERM, SIGHUP).
    void EndWithoutQuestions();

    // ---- the window's state ----
    int CurrentTab() const { return m_CurrentTab; }
    bool OnLine() const { return m_OnLine; }
    std::int16_t SlaveID() const { return m_SlaveID; }
    bool ConfigUploaded() const { return m_Document.Uploaded; }
    const QString& CurrentFileName() const { return m_Document.FileName; }
    const PendingCommands& Pending() const { return m_Pending; }
    bool IsDataModified() const override;
    QString StatusText() const;
    cTZL& Device() { return m_Device; }
    frmModbus& Link() { return m_Link; }
    const cRUFList& RecentFiles() const { return m_RecentFiles; }
    MainMenus& Menus() { return *m_Menus; }
    const TrendHistory& Trends() const { return m_TrendHistory; }
    // The Trends window, once it has been opened; null before.
    frmTrends* TrendsWindow() const { return m_Trends; }

    void SetOnLine(bool flag);
    // Fills the tab's frame from the model and shows it. An entry the user
    // is typing on that tab stays in its box.
    void ShowTab(int index);
    // Every accepted edit marks the configuration modified; opening, saving,
    // uploading and a successful download clear the mark.
    void SetDataModified(bool flag) override;
    // What Find TZL runs to search the line; tests put a result of their own
    // in place of the real scan and its progress dialog.
    void SetRelayFinder(std::function<ScanResult()> finder) { m_FindRelay = std::move(finder); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // ---- start-up and exit ----
    void SetUpWindow();
    void ConnectCommands();
    void ConnectFrames();
    void RestoreMainSettings();
    void SaveMainSettings();
    void Unload();
    void ResetConfiguration() override;

    // ---- the window's own displays ----
    void SetStatusText(const QString& text) override;
    void SetTitle(const QString& name) override;
    // The tab strip's choice: open entries are committed into the tab they
    // belong to before the next tab is filled.
    void ChangeTab(int index);
    void SelectTab(int index);
    void OnSlaveIdEntered(std::int16_t slaveId);
    void ApplySlaveId(std::int16_t slaveId);

    // ---- edits (CommandHost) ----
    void CommitOpenEdits() override;
    void ShowNewConfiguration() override;
    void RecentFilesChanged() override;
    void Redraw() override { ShowTab(m_CurrentTab); }
    // After an accepted edit: mark the data modified, set back what the new
    // system values put outside its limits, and redraw.
    void EditAccepted();
    void ReportOutOfLimitParameters();

    // ---- polling ----
    void RunDeferredCommands();
    void RunDeferredCommand(DeferredCommand command);
    void AutoUpdateMeasurements();
    void AutoUpdateRelayStatus();
    void AutoUpdateEventLog();
    void MaintainTime();
    void UpdateAlarmIndicator();
    void UpdateResetTripsButton();

    // ---- requests the tick carries out ----
    void RequestUpload();
    void RequestDownload();
    void RequestCompare();
    // Disables a transfer's command (and the toolbar) and the Node box from
    // the request until the tick has run it.
    void HoldForTransfer(QAction* command, bool withToolbar);
    void ReleaseAfterTransfer(QAction* command);
    void UploadConfiguration();
    void DownloadConfiguration();
    void CompareWithTZL();
    void WriteReport();
    void PrintEventLog();

    // ---- commands ----
    void ToggleWordOrder();
    void FindTZL();
    void ApplyFoundSettings(const ScanResult& found);
    void ShowHelpContents();
    void ShowAbout();
    void ShowSystemInfo();
    void ShowTrends();

    ShellServices m_Services;
    // Every box goes through here, so a dead line reports once per episode.
    PollingFailureReports m_PollingReports;
    IUserInterface& m_UI;

    // Declared in the order they are created at start-up.
    frmModbus m_Link;
    cCommsErrorLog m_ErrorLog;
    cTZL m_Device;
    cRUFList m_RecentFiles;
    ConfigDocument m_Document;
    FileCommands m_Files;
    RelayCommands m_Relay;
    PrintCommands m_Print;
    ReportCommand m_Report;
    cPollingCycle m_Cycle;
    PendingCommands m_Pending;
    // Every measurement read, for the Trends window, which may open later.
    TrendHistory m_TrendHistory;
    QTimer Timer1;
    std::function<ScanResult()> m_FindRelay;

    MainMenus* m_Menus = nullptr;
    MainStatusBar* StatusBar1 = nullptr;
    SlaveIdBox* m_SlaveIdBox = nullptr;
    QLabel* txtAlarmIndicator = nullptr;
    QTabBar* TabStrip1 = nullptr;
    QStackedWidget* m_Frames = nullptr;
    fraTrip* m_fraTrip = nullptr;
    fraEvents* m_fraEvents = nullptr;
    fraRelays* m_fraRelays = nullptr;
    fraSystem* m_fraSystem = nullptr;
    fraStatus* m_fraStatus = nullptr;
    std::unique_ptr<frmCommsSettings> m_CommsSettings;
    std::unique_ptr<frmCommsStatus> m_CommsStatus;
    frmCompareResult* m_CompareResult = nullptr;
    frmTrends* m_Trends = nullptr;
    QPointer<frmSplash> m_Splash;

    int m_CurrentTab = 0;
    bool m_OnLine = false;
    std::int16_t m_SlaveID = 1;

    // The device stored in the settings, written back when --port replaced
    // it for this run only.
    QString m_StoredDevice;

    bool m_InTick = false;
    bool m_SessionEnding = false;
    bool m_Unloaded = false;
};
