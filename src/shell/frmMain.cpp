#include "shell/frmMain.h"

#include "model/ConfigComparison.h"
#include "model/MeasurementCycle.h"
#include "platform/IClock.h"
#include "platform/IFileDialogs.h"
#include "platform/ISettingsStore.h"
#include "platform/IUserInterface.h"
#include "platform/QtSettingsStore.h"
#include "shell/CompactTabBar.h"
#include "shell/MainMenus.h"
#include "shell/MainStatusBar.h"
#include "shell/FindTZLProgress.h"
#include "shell/SlaveIdBox.h"
#include "shell/SystemSummary.h"
#include "shell/fraEvents.h"
#include "shell/fraRelays.h"
#include "shell/fraStatus.h"
#include "shell/fraSystem.h"
#include "shell/fraTrip.h"
#include "shell/frmAbout.h"
#include "shell/frmCommsSettings.h"
#include "shell/frmCommsStatus.h"
#include "shell/frmCompareResult.h"
#include "shell/frmSplash.h"
#include "shell/frmSystemInfo.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTabBar>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString QuestionTitle = QStringLiteral("TZL Configurator");
const QString Ready = QStringLiteral("Ready");
const QString DataModifiedText = QStringLiteral("Data Modified");
constexpr int TickIntervalMs = 1000;
constexpr int TabCount = 20;

// "All Files" matches names without an extension too, such as the Com1_Node5
// that a Save after an upload writes.
const QStringList ConfigFilters{QStringLiteral("All Files (*)"),
                                QStringLiteral("Text Files (*.txt)"),
                                QStringLiteral("TZL Config Files (*tcf)")};
const QStringList EventLogFilters{QStringLiteral("All Files (*)"),
                                  QStringLiteral("Text Files (*.txt)"),
                                  QStringLiteral("TZL Event Log Files (*tef)")};
constexpr int TextFilesFilter = 2;

QSize ScreenSize()
{
    const QScreen* screen = QApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry().size() : QSize(1024, 768);
}

QString DocumentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

} // namespace

frmMain::frmMain(ShellServices services, QWidget* parent)
    : QMainWindow(parent)
    , m_Services(std::move(services))
    , m_PollingReports(m_Services.UI, m_Services.Clock)
    , m_UI(m_PollingReports)
    , m_Link(m_Services.Port, m_UI)
    , m_ErrorLog(m_Services.ErrorLogFolder, m_Services.Clock)
    , m_Device(m_Link, m_UI, m_Services.Clock)
    , m_Print(m_Device, m_UI, m_Services.PrintSetup,
              [this](const QString& text) { SetStatusText(text); })
    , m_FindRelay([this] { return FindTZLWithProgress(m_Link.ClosedPort(), m_UI, this); })
{
    setObjectName(QStringLiteral("frmMain"));
    // The link's own start: a new comms error log for this run.
    m_ErrorLog.StartCommsErrorLog();
    m_Link.SetErrorLog(&m_ErrorLog);
    m_CommsSettings = std::make_unique<frmCommsSettings>();
    m_CommsStatus = std::make_unique<frmCommsStatus>(m_Link.Statistics());
    m_CommsStatus->SetErrorLogFolder(m_ErrorLog.Folder());
    m_Link.SetSettingsDialog(m_CommsSettings.get());
    m_Link.SetStatusWindow(m_CommsStatus.get());

    if (m_Services.Interactive)
        m_Splash = new frmSplash([this] { SplashFinished(); });

    SetUpWindow();
    connect(&m_Link, &frmModbus::TransactionFinished, this,
            [this](bool succeeded) { m_PollingReports.TransactionFinished(succeeded); });
    m_PollingReports.SetNoticeChanged(
        [this](const QString& notice) { StatusBar1->SetLinkText(notice); });
    ConnectCommands();
    ConnectFrames();
    m_fraTrip->FillTripFunctionList();
    m_fraEvents->SetUpEventLogGrid();
    m_fraStatus->SetUpMeasurementsGrid();
    m_fraRelays->SetUpRelayStatusGrid();

    SelectTab(cPollingCycle::MeasurementsTab);
    RestoreMainSettings();
    m_RecentFiles.RestoreRUFLSettings(m_Services.Settings, ApplicationName);
    m_Link.RestoreSettings(m_Services.Settings, ApplicationName);
    m_StoredDevice = m_Link.Device();
    if (!m_Services.DeviceOverride.isEmpty())
        m_Link.SetDevice(m_Services.DeviceOverride);
    BuildRecentFilesMenu();
    m_SlaveIdBox->ShowSlaveId(m_SlaveID);
    ResetConfiguration();

    Timer1.setInterval(TickIntervalMs);
    connect(&Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, &frmMain::SessionEnding);
}

frmMain::~frmMain()
{
    delete m_Splash;
}

void frmMain::SetUpWindow()
{
    m_Menus = new MainMenus(*this);
    StatusBar1 = new MainStatusBar(this);
    setStatusBar(StatusBar1);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->setSpacing(4);

    // The relay addressed and its alarm state stay in view on every tab.
    auto* top = new QHBoxLayout;
    m_SlaveIdBox = new SlaveIdBox(central);
    txtAlarmIndicator = new QLabel(QStringLiteral("ALARMS"), central);
    txtAlarmIndicator->setObjectName(QStringLiteral("txtAlarmIndicator"));
    txtAlarmIndicator->setToolTip(QStringLiteral("Visible when alarms are present in the TZL"));
    txtAlarmIndicator->setAlignment(Qt::AlignCenter);
    txtAlarmIndicator->setStyleSheet(QStringLiteral(
        "QLabel { background: rgb(255, 0, 0); color: white; font-weight: bold; padding: 2px 14px; "
        "border-radius: 3px; }"));
    txtAlarmIndicator->setVisible(false);
    top->addWidget(m_SlaveIdBox);
    top->addStretch();
    top->addWidget(txtAlarmIndicator);
    layout->addLayout(top);

    TabStrip1 = new CompactTabBar(central);
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    TabStrip1->setToolTip(QStringLiteral("Select the tab to view the associated information"));
    TabStrip1->setAccessibleName(QStringLiteral("Tabs"));
    TabStrip1->setExpanding(false);
    TabStrip1->setUsesScrollButtons(true);
    TabStrip1->setElideMode(Qt::ElideNone);
    TabStrip1->setDocumentMode(true);
    for (int relay = 1; relay <= 16; ++relay)
        TabStrip1->addTab(QStringLiteral("Relay %1").arg(relay));
    for (const char* caption : {"Events", "Relays", "System", "Measurements"})
        TabStrip1->addTab(QString::fromLatin1(caption));
    layout->addWidget(TabStrip1);
    // Twenty tabs rarely fit a laptop's width: move through them from the
    // keyboard as in any tabbed window.
    const auto stepTab = [this](int delta) {
        SelectTab((m_CurrentTab - 1 + delta + TabCount) % TabCount + 1);
    };
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_PageDown), QKeySequence(Qt::CTRL | Qt::Key_Tab)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [stepTab] { stepTab(1); });
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_PageUp),
                                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [stepTab] { stepTab(-1); });

    m_Frames = new QStackedWidget(central);
    m_Frames->setObjectName(QStringLiteral("Frames"));
    m_Frames->setFrameShape(QFrame::NoFrame);
    m_fraTrip = new fraTrip(m_Device, m_Frames);
    m_fraEvents = new fraEvents(m_Device, m_Frames);
    m_fraRelays = new fraRelays(m_Device, m_Frames);
    m_fraSystem = new fraSystem(m_Device, m_Frames);
    m_fraStatus = new fraStatus(m_Device, m_Frames);
    for (QWidget* frame : std::initializer_list<QWidget*>{m_fraTrip, m_fraEvents, m_fraRelays,
                                                          m_fraSystem, m_fraStatus})
        m_Frames->addWidget(frame);
    layout->addWidget(m_Frames, 1);
    setCentralWidget(central);

    // Where the screen has room for all twenty tabs side by side the window
    // starts wide enough for them, so the strip does not scroll.
    const QSize screen = ScreenSize();
    const QMargins margins = layout->contentsMargins();
    const int tabsWidth = TabStrip1->sizeHint().width() + margins.left() + margins.right();
    resize(tabsWidth <= screen.width() ? std::max(1180, tabsWidth)
                                       : std::min(1180, screen.width() * 9 / 10),
           std::min(760, screen.height() * 9 / 10));
}

void frmMain::ConnectCommands()
{
    MainMenus& m = *m_Menus;
    connect(m.mnuitmNew, &QAction::triggered, this, &frmMain::NewConfiguration);
    connect(m.mnuitmOpen, &QAction::triggered, this, &frmMain::OpenConfiguration);
    connect(m.MnuitmSave, &QAction::triggered, this, &frmMain::SaveConfiguration);
    connect(m.MnuitmSaveAs, &QAction::triggered, this, &frmMain::SaveConfigurationAsDialog);
    for (int item = 0; item < int(m.mnuitmRUFile.size()); ++item)
        connect(m.mnuitmRUFile[item], &QAction::triggered, this,
                [this, item] { OpenRecentFile(item); });
    connect(m.mnuitmExit, &QAction::triggered, this, &QWidget::close);
    connect(m.mnuitmCommsConnect, &QAction::triggered, this, [this] { SetOnLine(!m_OnLine); });
    connect(m.mnuitmSettingsComms, &QAction::triggered, this,
            [this] { m_Link.EditCommsSettings(this, !m_OnLine); });
    connect(m.mnuitmCommsStatistics, &QAction::triggered, this,
            [this] { m_Link.ShowCommsStatistics(this); });
    // A cancelled print dialog changes nothing else; in particular it never
    // starts the polling timer, which a tick waiting on the relay may hold.
    connect(m.mnuitmPrint, &QAction::triggered, this, [this] {
        CommitOpenEdit();
        m_Print.PrintConfiguration();
    });
    connect(m.mnuitmRevWordOrder, &QAction::triggered, this, &frmMain::ToggleWordOrder);
    connect(m.mnuitmRequestConfig, &QAction::triggered, this, &frmMain::RequestUpload);
    connect(m.mnuitmSendConfig, &QAction::triggered, this, &frmMain::RequestDownload);
    connect(m.mnuitmCompareConfig, &QAction::triggered, this, &frmMain::RequestCompare);
    connect(m.mnuitmFindTZL, &QAction::triggered, this, &frmMain::FindTZL);
    connect(m.mnuitmHelpContents, &QAction::triggered, this, &frmMain::ShowHelpContents);
    connect(m.mnuitmAbout, &QAction::triggered, this, &frmMain::ShowAbout);

    // The toolbar's buttons run the menu handlers.
    const auto key = [&m](const char* name) { return m.ToolbarButton(QString::fromLatin1(name)); };
    connect(key("new"), &QAction::triggered, m.mnuitmNew, &QAction::trigger);
    connect(key("open"), &QAction::triggered, m.mnuitmOpen, &QAction::trigger);
    connect(key("save"), &QAction::triggered, m.MnuitmSave, &QAction::trigger);
    connect(key("print"), &QAction::triggered, m.mnuitmPrint, &QAction::trigger);
    connect(key("online"), &QAction::triggered, this, [this] { SetOnLine(true); });
    connect(key("offline"), &QAction::triggered, this, [this] { SetOnLine(false); });
    connect(key("upload"), &QAction::triggered, this, &frmMain::RequestUpload);
    connect(key("download"), &QAction::triggered, this, &frmMain::RequestDownload);
    connect(key("comms"), &QAction::triggered, m.mnuitmSettingsComms, &QAction::trigger);

    connect(StatusBar1, &MainStatusBar::ConnectionClicked, this, [this] { SetOnLine(!m_OnLine); });
    connect(TabStrip1, &QTabBar::currentChanged, this, [this](int i) { ShowTab(i + 1); });
    connect(m_SlaveIdBox, &SlaveIdBox::SlaveIdEntered, this, &frmMain::OnSlaveIdEntered);
}

void frmMain::ConnectFrames()
{
    connect(m_fraTrip, &fraTrip::DataModified, this, [this] { SetDataModified(true); });
    connect(m_fraTrip, &fraTrip::RedrawRequested, this, [this] { ShowTab(m_CurrentTab); });
    connect(m_fraSystem, &fraSystem::DataModified, this, [this] { SetDataModified(true); });
    connect(m_fraSystem, &fraSystem::GetTimeRequested, this,
            [this] { m_Pending.PendingGetTime = true; });
    connect(m_fraSystem, &fraSystem::SendTimeRequested, this,
            [this] { m_Pending.PendingSendTime = true; });
    connect(m_fraRelays, &fraRelays::ResetTripsRequested, this,
            [this] { m_Pending.PendingResetTrips = true; });
    connect(m_fraRelays, &fraRelays::AckAlarmsRequested, this,
            [this] { m_Pending.PendingAckAlarms = true; });
    connect(m_fraRelays, &fraRelays::ResetTripRequested, this,
            [this](int relay) { m_Pending.PendingResetTrip = std::int16_t(relay); });
    connect(m_fraRelays, &fraRelays::AckAlarmRequested, this,
            [this](int relay) { m_Pending.PendingAckAlarm = std::int16_t(relay); });
    connect(m_fraEvents, &fraEvents::SaveRequested, this, &frmMain::SaveEventLog);
    connect(m_fraEvents, &fraEvents::PrintRequested, this, &frmMain::PrintEventLog);
}

// ---------------------------------------------------------------- start-up

void frmMain::SplashFinished()
{
    show();
    if (m_Services.Interactive)
        Timer1.start();
}

void frmMain::RestoreMainSettings()
{
    const MainWindowSettings s =
        MainWindowSettings::Restore(m_Services.Settings, ApplicationName, ScreenSize());
    move(s.Position.toPoint());
    m_SlaveID = s.SlaveID;
    m_fraEvents->SetUseCurrentDefinitions(s.EventLogUseCurrent);
    m_fraStatus->SetDisplayAlarms(s.AlarmDisplay);
    m_Menus->mnuitmVerifyDownload->setChecked(s.VerifyAfterDownload);
    m_WorkDirectory = s.WorkDirectory.isEmpty() ? DocumentsFolder() : s.WorkDirectory;
    m_ConfigFolder = m_WorkDirectory;
}

void frmMain::SaveMainSettings()
{
    MainWindowSettings s;
    s.Position = pos();
    s.SlaveID = m_SlaveID;
    s.EventLogUseCurrent = m_fraEvents->UseCurrentDefinitions();
    s.AlarmDisplay = m_fraStatus->DisplayAlarms();
    s.VerifyAfterDownload = m_Menus->mnuitmVerifyDownload->isChecked();
    s.Save(m_Services.Settings, ApplicationName, ScreenSize(), m_LastChosenFile);
}

void frmMain::ResetConfiguration()
{
    m_Pending.Clear();
    // Controls whose commands were waiting are usable again.
    SetTransferControlsEnabled(true);
    m_fraSystem->SetGetTimeEnabled(true);
    m_fraSystem->SetSendTimeEnabled(true);
    m_fraRelays->SetGridEnabled(true);
    SetTitle(QString());
    m_ConfigUploaded = false;
    SetOnLine(false);
    SetDataModified(false);
    m_Menus->mnuitmRevWordOrder->setChecked(m_Link.GetWordOrder() != 0);
    m_Device.ConfigClear();
    m_Device.TransientDataClear();
    m_fraRelays->FillRelayStatusGrid();
    m_fraStatus->DisplayMeasurements();
    m_fraSystem->DisplaySystemParameters();
    SetStatusText(Ready);
}

bool frmMain::PromptSaveChanges()
{
    switch (m_UI.MsgBox(QStringLiteral("Do you want to save the configuration changes?"),
                        QuestionTitle, MsgButtons::YesNoCancel, MsgIcon::Question)) {
    case MsgResult::No:
        return false;
    case MsgResult::Yes:
        SaveConfigurationAs(m_CurrentFileName, false);
        return IsDataModified();
    default:
        return true;
    }
}

// ---------------------------------------------------------------- exit

void frmMain::SessionEnding()
{
    m_SessionEnding = true;
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!m_SessionEnding && !m_Unloaded) {
        if (m_OnLine) {
            m_UI.MsgBox(QStringLiteral("Please switch to off-line mode before exiting"),
                        QuestionTitle, MsgButtons::OK, MsgIcon::None);
            event->ignore();
            return;
        }
        if (IsDataModified()) {
            if (PromptSaveChanges()) {
                event->ignore();
                return;
            }
        } else if (m_UI.MsgBox(QStringLiteral("Do you really want to Exit?"), QuestionTitle,
                               MsgButtons::YesNo, MsgIcon::Question)
                   == MsgResult::No) {
            event->ignore();
            return;
        }
    }
    Unload();
    event->accept();
}

void frmMain::Unload()
{
    if (m_Unloaded)
        return;
    m_Unloaded = true;
    Timer1.stop();
    SaveMainSettings();
    m_RecentFiles.SaveRUFLSettings(m_Services.Settings, ApplicationName);
    // A device from the command line was for this run only.
    if (!m_Services.DeviceOverride.isEmpty() && m_Link.Device() == m_Services.DeviceOverride)
        m_Link.SetDevice(m_StoredDevice);
    m_Link.SaveSettings(m_Services.Settings, ApplicationName);
    m_CommsStatus->hide();
}

// ---------------------------------------------------------------- displays

void frmMain::SetStatusText(const QString& text)
{
    StatusBar1->SetStatusText(text);
}

QString frmMain::StatusText() const
{
    return StatusBar1->StatusText();
}

void frmMain::SetDataModified(bool flag)
{
    StatusBar1->SetModifiedText(flag ? DataModifiedText : QString());
}

bool frmMain::IsDataModified() const
{
    return StatusBar1->ModifiedText() == DataModifiedText;
}

void frmMain::SetTitle(const QString& name)
{
    m_CurrentFileName = name;
    setWindowTitle(name.isEmpty() ? ProductCaption : name + QStringLiteral(" - ") + ProductCaption);
}

void frmMain::SetOnLine(bool flag)
{
    StatusBar1->SetConnectionText(flag ? QStringLiteral("On-Line") : QString());
    m_Menus->mnuitmCommsConnect->setText(flag ? QStringLiteral("&Off-Line")
                                              : QStringLiteral("&On-Line"));
    // Measurements from before belong to another session with the relay.
    if (flag && !m_OnLine) {
        m_Device.Inputs.Clear();
        if (m_CurrentTab == cPollingCycle::MeasurementsTab)
            ShowTab(m_CurrentTab);
    }
    m_OnLine = flag;
    m_PollingReports.Reset();
}

void frmMain::SelectTab(int index)
{
    if (TabStrip1->currentIndex() == index - 1)
        ShowTab(index);
    else
        TabStrip1->setCurrentIndex(index - 1);
}

void frmMain::ShowTab(int index)
{
    m_CurrentTab = index;
    if (index >= cPollingCycle::FirstRelayTab && index <= cPollingCycle::LastRelayTab) {
        m_fraTrip->ShowTripDefinition(std::int16_t(index));
        m_Frames->setCurrentWidget(m_fraTrip);
    } else if (index == cPollingCycle::EventsTab) {
        m_fraEvents->DisplayEventLog(m_ConfigUploaded);
        m_Frames->setCurrentWidget(m_fraEvents);
    } else if (index == cPollingCycle::RelaysTab) {
        m_fraRelays->FillRelayStatusGrid();
        m_Frames->setCurrentWidget(m_fraRelays);
    } else if (index == cPollingCycle::SystemTab) {
        m_fraSystem->ShowSystemTab();
        m_Frames->setCurrentWidget(m_fraSystem);
    } else if (index == cPollingCycle::MeasurementsTab) {
        m_fraStatus->DisplayMeasurements();
        m_Frames->setCurrentWidget(m_fraStatus);
    }
}

void frmMain::OnSlaveIdEntered(std::int16_t slaveId)
{
    if (slaveId == m_SlaveID)
        return;
    if (IsDataModified()
        && m_UI.MsgBox(QStringLiteral("Do you want to save or download the configuration changes?"),
                       QuestionTitle, MsgButtons::YesNo, MsgIcon::Question)
               != MsgResult::No) {
        // Back to the relay the changes belong to, so they can be saved or
        // downloaded first.
        m_SlaveIdBox->ShowSlaveId(m_SlaveID);
        return;
    }
    ApplySlaveId(slaveId);
}

void frmMain::ApplySlaveId(std::int16_t slaveId)
{
    m_SlaveID = slaveId;
    m_SlaveIdBox->ShowSlaveId(slaveId);
    m_ConfigUploaded = false;
    m_Device.TransientDataClear();
    // The clock, measurements and states shown belonged to the other relay.
    m_fraSystem->HideClockDisplay();
    ShowTab(m_CurrentTab);
}

void frmMain::SetTransferControlsEnabled(bool enabled)
{
    m_Menus->mnuitmRequestConfig->setEnabled(enabled);
    m_Menus->mnuitmSendConfig->setEnabled(enabled);
    m_Menus->mnuitmCompareConfig->setEnabled(enabled);
    m_Menus->Toolbar1->setEnabled(enabled);
}

// ---------------------------------------------------------------- polling

void frmMain::Timer1_Timer()
{
    // Never two ticks at once: a transaction inside a tick lets events run,
    // and with them possibly another call here.
    if (m_InTick)
        return;
    m_InTick = true;
    Timer1.stop();
    const cPollingCycle::Window window{isMinimized(), m_OnLine, m_CurrentTab,
                                       m_fraStatus->DisplayAlarms(), m_fraSystem->ClockDisplayed()};
    const cPollingCycle::Step step = m_Cycle.Tick(window);
    const bool refresh =
        step != cPollingCycle::Step::DeferredCommands && step != cPollingCycle::Step::Nothing;
    if (refresh)
        m_PollingReports.BeginRefresh();
    switch (step) {
    case cPollingCycle::Step::DeferredCommands:
        RunDeferredCommands();
        UpdateAlarmIndicator();
        UpdateResetTripsButton();
        break;
    case cPollingCycle::Step::RefreshMeasurements:
        AutoUpdateMeasurements();
        break;
    case cPollingCycle::Step::RefreshRelayStatus:
        AutoUpdateRelayStatus();
        break;
    case cPollingCycle::Step::RefreshEventLog:
        AutoUpdateEventLog();
        break;
    case cPollingCycle::Step::MaintainTime:
        MaintainTime();
        break;
    case cPollingCycle::Step::Nothing:
        break;
    }
    if (refresh)
        m_PollingReports.EndRefresh();
    m_InTick = false;
    if (m_Services.Interactive && !m_Unloaded)
        Timer1.start();
}

void frmMain::RunDeferredCommands()
{
    for (DeferredCommand command : DeferredCommandOrder) {
        if (m_Pending.IsPending(command)) {
            RunDeferredCommand(command);
            m_Pending.Done(command);
        }
    }
}

void frmMain::RunDeferredCommand(DeferredCommand command)
{
    switch (command) {
    case DeferredCommand::GetTime:
        GetDeviceTime();
        break;
    case DeferredCommand::SendTime:
        SendDeviceTime();
        break;
    case DeferredCommand::ResetTrips:
        ResetAllLatchedTrips();
        break;
    case DeferredCommand::ResetTrip:
        ClearLatchOnRelay(m_Pending.PendingResetTrip);
        break;
    case DeferredCommand::AckAlarms:
        AcknowledgeAllAlarms();
        break;
    case DeferredCommand::AckAlarm:
        AcknowledgeAlarmOnRelay(m_Pending.PendingAckAlarm);
        break;
    case DeferredCommand::Upload:
        UploadConfiguration();
        break;
    case DeferredCommand::Download:
        DownloadConfiguration();
        break;
    case DeferredCommand::Compare:
        CompareWithTZL();
        break;
    }
}

void frmMain::AutoUpdateMeasurements()
{
    SetStatusText(QStringLiteral("Auto-Updating Measurements ...."));
    RunMeasurementCycle(m_Cycle, m_Device, m_SlaveID);
    ShowTab(m_CurrentTab);
    SetStatusText(Ready);
}

void frmMain::AutoUpdateRelayStatus()
{
    SetStatusText(QStringLiteral("Auto-Updating Relay Status ...."));
    for (int i = 0; i < 2; ++i)
        m_Device.TripData.UploadStatus(m_SlaveID, m_Cycle.NextStatusRelay());
    ShowTab(m_CurrentTab);
    SetStatusText(Ready);
}

void frmMain::AutoUpdateEventLog()
{
    SetStatusText(QStringLiteral("Auto-Updating Event Log ...."));
    m_Device.EventLog.Upload(m_SlaveID);
    ShowTab(m_CurrentTab);
    SetStatusText(Ready);
}

void frmMain::MaintainTime()
{
    SetStatusText(QStringLiteral("Maintaining Time ...."));
    m_fraSystem->DisplayDeviceTime(m_Device.GetRTC(m_SlaveID));
    SetStatusText(Ready);
}

void frmMain::UpdateAlarmIndicator()
{
    const bool alarms = m_Device.TripData.UnackedAlarmCount() != 0;
    txtAlarmIndicator->setVisible(alarms);
    m_fraRelays->SetAckAlarmsEnabled(alarms);
    if (alarms && m_fraStatus->DisplayAlarms())
        SelectTab(cPollingCycle::MeasurementsTab);
}

void frmMain::UpdateResetTripsButton()
{
    if (m_Device.TripData.LatchedCount() != 0)
        m_fraRelays->SetResetTripsEnabled(true);
}

// ---------------------------------------------------------------- deferred commands

void frmMain::GetDeviceTime()
{
    SetStatusText(QStringLiteral("Requesting Date and Time From TZL ...."));
    m_fraSystem->DisplayDeviceTime(m_Device.GetRTC(m_SlaveID));
    SetStatusText(Ready);
    m_fraSystem->SetGetTimeEnabled(true);
}

void frmMain::SendDeviceTime()
{
    const QDateTime now = m_Services.Clock.Now();
    m_fraSystem->DisplayDeviceTime(now);
    SetStatusText(QStringLiteral("Sending Date and Time Settings to TZL ...."));
    m_Device.SetRTC(m_SlaveID, now);
    // What the relay holds after the write, which is what counts.
    m_fraSystem->DisplayDeviceTime(m_Device.GetRTC(m_SlaveID));
    SetStatusText(Ready);
    m_fraSystem->SetSendTimeEnabled(true);
}

void frmMain::ResetAllLatchedTrips()
{
    SetStatusText(QStringLiteral("Reseting All Latched Trips ..."));
    m_Device.TripData.ResetTrips(m_SlaveID);
    if (m_CurrentTab == cPollingCycle::RelaysTab || m_CurrentTab == cPollingCycle::MeasurementsTab)
        ShowTab(m_CurrentTab);
    if (m_Device.TripData.LatchedCount() != 0)
        m_fraRelays->SetResetTripsEnabled(true);
    SetStatusText(Ready);
}

void frmMain::ClearLatchOnRelay(std::int16_t relay)
{
    RunSingleRelayCommand(QStringLiteral("Clearing Latch on Relay %1 ....").arg(relay),
                          &cTZLTrips::ResetTrip, relay);
}

void frmMain::RunSingleRelayCommand(const QString& statusText,
                                    bool (cTZLTrips::*command)(std::int16_t, std::int16_t),
                                    std::int16_t relay)
{
    SetStatusText(statusText);
    (m_Device.TripData.*command)(m_SlaveID, relay);
    SetStatusText(Ready);
    ShowTab(m_CurrentTab);
    // The grid took no more clicks while the request waited.
    m_fraRelays->SetGridEnabled(true);
}

void frmMain::AcknowledgeAllAlarms()
{
    txtAlarmIndicator->setVisible(false);
    SetStatusText(QStringLiteral("Acknowledging All Unacknowledged Alarms ...."));
    m_Device.TripData.AcknowledgeAlarms(m_SlaveID);
    if (m_CurrentTab == cPollingCycle::RelaysTab || m_CurrentTab == cPollingCycle::MeasurementsTab)
        ShowTab(m_CurrentTab);
    SetStatusText(Ready);
}

void frmMain::AcknowledgeAlarmOnRelay(std::int16_t relay)
{
    RunSingleRelayCommand(QStringLiteral("Acknowledging Alarm on Relay %1 ....").arg(relay),
                          &cTZLTrips::AcknowledgeAlarm, relay);
}

void frmMain::RequestUpload()
{
    m_Menus->mnuitmRequestConfig->setEnabled(false);
    m_Menus->Toolbar1->setEnabled(false);
    m_Pending.PendingUpload = true;
}

void frmMain::RequestDownload()
{
    CommitOpenEdit();
    m_Menus->mnuitmSendConfig->setEnabled(false);
    m_Menus->Toolbar1->setEnabled(false);
    m_Pending.PendingDownload = true;
}

void frmMain::RequestCompare()
{
    CommitOpenEdit();
    m_Menus->mnuitmCompareConfig->setEnabled(false);
    m_Pending.PendingCompare = true;
}

void frmMain::UploadConfiguration()
{
    if (!IsDataModified() || !PromptSaveChanges()) {
        SetStatusText(QStringLiteral("Uploading Trip Configuration Data from TZL ...."));
        if (m_Device.UploadConfig(m_SlaveID)) {
            ShowTab(m_CurrentTab);
            m_ConfigUploaded = true;
            SetTitle(QStringLiteral("Com%1_Node%2").arg(m_Link.Port()).arg(m_SlaveID));
            // A later Save writes the file beside the last one chosen.
            m_ConfigFolder = m_WorkDirectory;
            SetDataModified(false);
        }
    }
    SetStatusText(Ready);
    m_Menus->mnuitmRequestConfig->setEnabled(true);
    m_Menus->Toolbar1->setEnabled(true);
}

void frmMain::DownloadConfiguration()
{
    SetStatusText(QStringLiteral("Downloading configuration to the TZL ...."));
    // The download replaces the model with the relay's read-back; what was
    // sent is kept apart for the verification.
    const ConfigSnapshot sent = m_Device.Snapshot();
    if (m_Device.DownloadConfig(m_SlaveID)) {
        SetDataModified(false);
        if (m_Menus->mnuitmVerifyDownload->isChecked())
            VerifyDownload(sent);
    }
    ShowTab(m_CurrentTab);
    SetStatusText(Ready);
    m_Menus->mnuitmSendConfig->setEnabled(true);
    m_Menus->Toolbar1->setEnabled(true);
}

// Reads the whole configuration into a model of its own, so the one in memory
// stays as it is; nothing when the relay could not be read (the link has
// already said why).
std::optional<ConfigSnapshot> frmMain::ReadRelayConfig()
{
    cTZL relay(m_Link, m_UI, m_Services.Clock);
    if (!relay.UploadConfig(m_SlaveID))
        return std::nullopt;
    return relay.Snapshot();
}

// Says what the relay holds after a download.
void frmMain::VerifyDownload(const ConfigSnapshot& sent)
{
    SetStatusText(QStringLiteral("Verifying the TZL's configuration ...."));
    const std::optional<ConfigSnapshot> held = ReadRelayConfig();
    if (!held)
        return;
    const auto differences =
        ConfigComparison::Compare(sent, *held, ConfigComparison::Names::Ignored);
    if (differences.isEmpty())
        m_UI.MsgBox(QStringLiteral("Verified: the TZL holds this configuration"),
                    QStringLiteral("Verify after Download"), MsgButtons::OK, MsgIcon::Information);
    else
        m_UI.MsgBox(ConfigComparison::Report(differences, QStringLiteral("sent"),
                                             QStringLiteral("TZL"), QString()),
                    QStringLiteral("Verify after Download"), MsgButtons::OK, MsgIcon::Exclamation);
}

// Shows how the relay's configuration differs from the one in memory, which
// neither the read nor the comparison touches.
void frmMain::CompareWithTZL()
{
    SetStatusText(QStringLiteral("Comparing the configuration with the TZL ...."));
    const std::optional<ConfigSnapshot> held = ReadRelayConfig();
    SetStatusText(Ready);
    m_Menus->mnuitmCompareConfig->setEnabled(true);
    if (!held)
        return;
    const auto differences =
        ConfigComparison::Compare(m_Device.Snapshot(), *held, ConfigComparison::Names::Ignored);
    if (m_CompareResult == nullptr)
        m_CompareResult = new frmCompareResult(m_UI, m_Services.FileDialogs, this);
    m_CompareResult->ShowReport(
        ConfigComparison::Report(differences, QStringLiteral("memory"), QStringLiteral("TZL"),
                                 QStringLiteral("The TZL holds the configuration in memory.")),
        m_WorkDirectory);
}

// ---------------------------------------------------------------- files

void frmMain::NewConfiguration()
{
    if (IsDataModified() && PromptSaveChanges())
        return;
    SetStatusText(QStringLiteral("Creating Blank Configuration ...."));
    ResetConfiguration();
    ShowTab(m_CurrentTab);
    SetStatusText(Ready);
}

void frmMain::OpenConfiguration()
{
    const QString path = m_Services.FileDialogs.GetOpenFileName(
        {QStringLiteral("Open TZL Configuration File"), ConfigFilters, TextFilesFilter,
         m_WorkDirectory, QString()});
    if (!path.isEmpty()) {
        RememberChosenFile(path);
        SetStatusText(QStringLiteral("Retrieving Configuration Data From File ...."));
        if (m_Device.LoadConfigFromFile(path)) {
            const QString title = cRUFList::TitleFromPath(path);
            m_ConfigFolder = MainWindowSettings::FolderOf(path);
            SetTitle(title);
            AddRecentFile(path, title);
            ShowTab(m_CurrentTab);
            m_ConfigUploaded = false;
            SetDataModified(false);
        }
    }
    SetStatusText(Ready);
}

void frmMain::OpenRecentFile(int item)
{
    const auto entry = std::int16_t(item + 1);
    const QString path = m_RecentFiles.ItemPath(entry);
    if (m_Device.LoadConfigFromFile(path)) {
        AddRecentFile(path, m_RecentFiles.ItemTitle(entry));
        // A Save goes back to this file, wherever the last dialog was.
        m_ConfigFolder = MainWindowSettings::FolderOf(path);
        SetTitle(m_RecentFiles.ItemTitle(1));
        ShowTab(m_CurrentTab);
        m_ConfigUploaded = false;
        SetDataModified(false);
    } else {
        m_RecentFiles.removeitem(entry);
        BuildRecentFilesMenu();
    }
}

void frmMain::SaveConfiguration()
{
    CommitOpenEdit();
    SaveConfigurationAs(m_CurrentFileName, true);
}

void frmMain::SaveConfigurationAsDialog()
{
    CommitOpenEdit();
    SaveConfigurationAs(QString(), false);
}

void frmMain::CommitOpenEdit()
{
    // A menu or toolbar click leaves the focus where it was, so an entry still
    // in a box would otherwise be left out of what is saved or sent.
    m_fraTrip->CommitPendingEdits();
    m_fraSystem->CommitPendingEdits();
}

void frmMain::SaveConfigurationAs(const QString& name, bool quiet)
{
    if (name.isEmpty() || !quiet) {
        const QString path = m_Services.FileDialogs.GetSaveFileName(
            {QStringLiteral("Save TZL Configuration File As"), ConfigFilters, TextFilesFilter,
             m_ConfigFolder, name});
        if (!path.isEmpty()) {
            RememberChosenFile(path);
            SetStatusText(QStringLiteral("Saving Configuration Data to File ...."));
            if (m_Device.SaveConfigToFile(path)) {
                const QString title = cRUFList::TitleFromPath(path);
                m_ConfigFolder = MainWindowSettings::FolderOf(path);
                SetTitle(title);
                AddRecentFile(path, title);
                SetDataModified(false);
            }
        }
        SetStatusText(Ready);
        return;
    }
    const QString path = QDir(m_ConfigFolder).filePath(name);
    if (m_Device.SaveConfigToFile(path)) {
        AddRecentFile(path, name);
        SetTitle(name);
        SetDataModified(false);
    }
}

void frmMain::AddRecentFile(const QString& path, const QString& title)
{
    m_RecentFiles.addfile(path, title);
    BuildRecentFilesMenu();
}

void frmMain::BuildRecentFilesMenu()
{
    MainMenus& m = *m_Menus;
    m.mnuitmExitSep->setVisible(false);
    for (QAction* item : m.mnuitmRUFile) {
        item->setText(QString());
        item->setVisible(false);
        item->setEnabled(false);
    }
    for (std::int16_t n = 1; n <= m_RecentFiles.Count(); ++n) {
        QAction* item = m.mnuitmRUFile[std::size_t(n - 1)];
        item->setText(QStringLiteral("&%1 %2").arg(n).arg(m_RecentFiles.ItemTitle(n)));
        item->setToolTip(m_RecentFiles.ItemPath(n));
        item->setVisible(true);
        item->setEnabled(true);
    }
    m.mnuitmExitSep->setVisible(m_RecentFiles.Count() > 0);
}

void frmMain::RememberChosenFile(const QString& path)
{
    m_LastChosenFile = path;
    m_WorkDirectory = MainWindowSettings::FolderOf(path);
}

void frmMain::SaveEventLog()
{
    // A cancelled dialog changes nothing else; in particular it never starts
    // the polling timer, which may be stopped by a tick that is waiting on
    // the relay right now.
    const QString path = m_Services.FileDialogs.GetSaveFileName(
        {QStringLiteral("Save TZL EventLog File"), EventLogFilters, TextFilesFilter,
         m_WorkDirectory, QString()});
    if (!path.isEmpty()) {
        RememberChosenFile(path);
        SetStatusText(QStringLiteral("Saving Event Log To File ...."));
        m_Device.EventLog.SaveToFile(path);
    }
    SetStatusText(Ready);
    m_fraEvents->SetSaveEnabled(true);
}

void frmMain::PrintEventLog()
{
    m_Print.PrintEventLog(m_OnLine);
    m_fraEvents->SetPrintEnabled(true);
}

// ---------------------------------------------------------------- commands

void frmMain::ToggleWordOrder()
{
    const bool reversed = m_Link.GetWordOrder() != 0;
    m_Link.SetWordOrder(reversed ? 0 : 1);
    m_Menus->mnuitmRevWordOrder->setChecked(!reversed);
}

// The scan changes the port's settings under the polling, so it runs only
// while nothing else talks to the relay.
void frmMain::FindTZL()
{
    if (m_OnLine) {
        m_UI.MsgBox(QStringLiteral("Please switch to off-line mode before searching for the TZL"),
                    QuestionTitle, MsgButtons::OK, MsgIcon::None);
        return;
    }
    m_Menus->mnuitmFindTZL->setEnabled(false);
    const ScanResult found = m_FindRelay();
    m_Menus->mnuitmFindTZL->setEnabled(true);
    switch (found.Result) {
    case ScanResult::Outcome::Found:
        ApplyFoundSettings(found);
        break;
    case ScanResult::Outcome::NotFound:
    case ScanResult::Outcome::BoundReached:
        m_UI.MsgBox(QStringLiteral("No TZL answered in %1 combinations of line settings and "
                                   "slave ID")
                        .arg(found.ProbesTried),
                    QuestionTitle, MsgButtons::OK, MsgIcon::Information);
        break;
    case ScanResult::Outcome::Cancelled:
        break;
    }
}

void frmMain::ApplyFoundSettings(const ScanResult& found)
{
    if (m_UI.MsgBox(QStringLiteral("Found a TZL at %1, slave %2, word order %3. Use these "
                                   "settings?")
                        .arg(found.Where.Line.ToString())
                        .arg(found.Where.Slave)
                        .arg(found.WordOrder),
                    QuestionTitle, MsgButtons::YesNo, MsgIcon::Question)
        != MsgResult::Yes)
        return;
    m_Link.SetLineSettings(found.Where.Line);
    m_Link.SetWordOrder(std::int16_t(found.WordOrder));
    m_Menus->mnuitmRevWordOrder->setChecked(found.WordOrder != 0);
    // As if typed into the Node box, so unsaved changes are asked about.
    OnSlaveIdEntered(std::int16_t(found.Where.Slave));
}

void frmMain::ShowHelpContents()
{
    if (m_Services.HelpFile.isEmpty()) {
        m_UI.MsgBox(QStringLiteral("The user guide is not installed with this copy of the "
                                   "program."),
                    QuestionTitle, MsgButtons::OK, MsgIcon::Information);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(m_Services.HelpFile)))
        m_UI.MsgBox(QStringLiteral("The user guide could not be opened. It is at %1")
                        .arg(QDir::toNativeSeparators(m_Services.HelpFile)),
                    QuestionTitle, MsgButtons::OK, MsgIcon::Exclamation);
}

void frmMain::ShowAbout()
{
    frmAbout about([this] { ShowSystemInfo(); }, this);
    about.adjustSize();
    about.move(geometry().center() - QPoint(about.width() / 2, about.height() / 2));
    about.exec();
}

void frmMain::ShowSystemInfo()
{
    frmSystemInfo info(SystemSummary(CurrentSystemFacts(QtSettingsStore::FileName(ApplicationName),
                                                        m_ErrorLog.Folder(), m_Services.HelpFile)),
                       this);
    info.exec();
}
