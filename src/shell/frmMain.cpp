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
#include "shell/frmTrends.h"

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
    , m_Files(m_Device, m_UI, m_Services.FileDialogs, m_RecentFiles, m_Document, *this)
    , m_Relay(m_Link, m_Device, m_UI, m_Services.Clock, m_Files, m_Document, *this)
    , m_Print(m_Device, m_UI, m_Services.PrintSetup,
              [this](const QString& text) { SetStatusText(text); })
    , m_Report(m_Link, m_UI, m_Services.Settings, m_Services.FileDialogs, m_Services.Clock,
               ApplicationName, [this](const QString& text) { SetStatusText(text); })
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
    RecentFilesChanged();
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
    connect(m.mnuitmNew, &QAction::triggered, this, [this] { m_Files.New(); });
    connect(m.mnuitmOpen, &QAction::triggered, this, [this] { m_Files.Open(); });
    connect(m.MnuitmSave, &QAction::triggered, this, [this] { m_Files.Save(); });
    connect(m.MnuitmSaveAs, &QAction::triggered, this, [this] { m_Files.SaveAs(); });
    for (int item = 0; item < int(m.mnuitmRUFile.size()); ++item)
        connect(m.mnuitmRUFile[item], &QAction::triggered, this,
                [this, item] { m_Files.OpenRecent(item); });
    connect(m.mnuitmExit, &QAction::triggered, this, &QWidget::close);
    connect(m.mnuitmCommsConnect, &QAction::triggered, this, [this] { SetOnLine(!m_OnLine); });
    connect(m.mnuitmSettingsComms, &QAction::triggered, this,
            [this] { m_Link.EditCommsSettings(this, !m_OnLine); });
    connect(m.mnuitmCommsStatistics, &QAction::triggered, this,
            [this] { m_Link.ShowCommsStatistics(this); });
    connect(m.mnuitmTrends, &QAction::triggered, this, &frmMain::ShowTrends);
    // A cancelled print dialog changes nothing else; in particular it never
    // starts the polling timer, which a tick waiting on the relay may hold.
    connect(m.mnuitmPrint, &QAction::triggered, this, [this] {
        CommitOpenEdits();
        m_Print.PrintConfiguration();
    });
    connect(m.mnuitmReport, &QAction::triggered, this, [this] {
        CommitOpenEdits();
        m_Pending.PendingReport = m_Report.Request(m_Document.WorkDirectory);
        m_Menus->mnuitmReport->setEnabled(!m_Pending.PendingReport);
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
    connect(key("trends"), &QAction::triggered, m.mnuitmTrends, &QAction::trigger);

    connect(StatusBar1, &MainStatusBar::ConnectionClicked, this, [this] { SetOnLine(!m_OnLine); });
    connect(TabStrip1, &QTabBar::currentChanged, this, [this](int i) { ChangeTab(i + 1); });
    connect(m_SlaveIdBox, &SlaveIdBox::SlaveIdEntered, this, &frmMain::OnSlaveIdEntered);
}

void frmMain::ConnectFrames()
{
    connect(m_fraTrip, &fraTrip::DataModified, this, &frmMain::EditAccepted);
    connect(m_fraSystem, &fraSystem::DataModified, this, &frmMain::EditAccepted);
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
    connect(m_fraEvents, &fraEvents::SaveRequested, this, [this] {
        m_Files.SaveEventLog();
        m_fraEvents->SetSaveEnabled(true);
    });
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
    m_Document.WorkDirectory = s.WorkDirectory.isEmpty() ? DocumentsFolder() : s.WorkDirectory;
    m_Document.Folder = m_Document.WorkDirectory;
}

void frmMain::SaveMainSettings()
{
    MainWindowSettings s;
    s.Position = pos();
    s.SlaveID = m_SlaveID;
    s.EventLogUseCurrent = m_fraEvents->UseCurrentDefinitions();
    s.AlarmDisplay = m_fraStatus->DisplayAlarms();
    s.VerifyAfterDownload = m_Menus->mnuitmVerifyDownload->isChecked();
    s.Save(m_Services.Settings, ApplicationName, ScreenSize(), m_Document.LastChosenFile);
}

void frmMain::ResetConfiguration()
{
    m_Pending.Clear();
    // Controls whose commands were waiting are usable again.
    for (QAction* command :
         {m_Menus->mnuitmRequestConfig, m_Menus->mnuitmSendConfig, m_Menus->mnuitmCompareConfig})
        ReleaseAfterTransfer(command);
    m_fraSystem->SetGetTimeEnabled(true);
    m_fraSystem->SetSendTimeEnabled(true);
    m_fraRelays->SetGridEnabled(true);
    SetTitle(QString());
    m_Document.Uploaded = false;
    m_Document.OwnPath.clear();
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

// ---------------------------------------------------------------- exit

void frmMain::SessionEnding()
{
    m_SessionEnding = true;
    // The desktop closes the windows before control is back here; when it
    // does not, the logout was cancelled and the program goes on as before.
    QTimer::singleShot(0, this, [this] { m_SessionEnding = false; });
}

void frmMain::EndWithoutQuestions()
{
    m_SessionEnding = true;
    close();
    // Also out of a message box that may be open, and before the splash has
    // shown the window.
    QCoreApplication::quit();
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
        CommitOpenEdits();
        if (IsDataModified()) {
            if (m_Files.PromptSaveChanges()) {
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
    if (m_Trends != nullptr)
        m_Trends->close();
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
    m_Document.FileName = name;
    setWindowTitle(name.isEmpty() ? ProductCaption : name + QStringLiteral(" - ") + ProductCaption);
}

void frmMain::SetOnLine(bool flag)
{
    if (m_Trends != nullptr)
        m_Trends->SetOnLine(flag);
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

void frmMain::ChangeTab(int index)
{
    CommitOpenEdits();
    ShowTab(index);
}

void frmMain::SelectTab(int index)
{
    if (TabStrip1->currentIndex() == index - 1)
        ChangeTab(index);
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
        m_fraEvents->DisplayEventLog(m_Document.Uploaded);
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
    m_Document.Uploaded = false;
    m_Device.TransientDataClear();
    // The clock, measurements and states shown belonged to the other relay.
    m_fraSystem->HideClockDisplay();
    ShowTab(m_CurrentTab);
}

// ---------------------------------------------------------------- edits

void frmMain::CommitOpenEdits()
{
    // A menu or toolbar click leaves the focus where it was, so an entry still
    // in a box would otherwise be left out of what is saved or sent.
    m_fraTrip->CommitPendingEdits();
    m_fraSystem->CommitPendingEdits();
}

void frmMain::ShowNewConfiguration()
{
    m_fraTrip->DiscardPendingEdits();
    m_fraSystem->DiscardPendingEdits();
    ReportOutOfLimitParameters();
    ShowTab(m_CurrentTab);
}

void frmMain::EditAccepted()
{
    SetDataModified(true);
    ReportOutOfLimitParameters();
    ShowTab(m_CurrentTab);
}

void frmMain::ReportOutOfLimitParameters()
{
    const QList<ParameterCorrection> corrections = m_Device.ResetParametersOutsideLimits();
    if (corrections.isEmpty())
        return;
    SetDataModified(true);
    m_UI.MsgBox(ParameterCorrectionsText(corrections), QuestionTitle, MsgButtons::OK,
                MsgIcon::Exclamation);
}

void frmMain::RecentFilesChanged()
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

// ---------------------------------------------------------------- polling

void frmMain::Timer1_Timer()
{
    // Never two ticks at once: a transaction inside a tick lets events run,
    // and with them possibly another call here.
    if (m_InTick)
        return;
    m_InTick = true;
    Timer1.stop();
    const cPollingCycle::Window window{isMinimized(),
                                       m_OnLine,
                                       m_CurrentTab,
                                       m_fraStatus->DisplayAlarms(),
                                       m_fraSystem->ClockDisplayed(),
                                       m_Trends != nullptr && m_Trends->isVisible()};
    const cPollingCycle::Step step = m_Cycle.Tick(window);
    const bool alongside = m_Cycle.MeasurementsAlongside(window);
    const bool refresh =
        alongside
        || (step != cPollingCycle::Step::DeferredCommands && step != cPollingCycle::Step::Nothing);
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
    if (alongside)
        AutoUpdateMeasurements();
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
        m_fraSystem->DisplayDeviceTime(m_Relay.GetTime(m_SlaveID));
        m_fraSystem->SetGetTimeEnabled(true);
        break;
    case DeferredCommand::SendTime:
        m_fraSystem->DisplayDeviceTime(m_Relay.SendTime(m_SlaveID));
        m_fraSystem->SetSendTimeEnabled(true);
        break;
    case DeferredCommand::ResetTrips:
        m_Relay.ResetAllLatches(m_SlaveID);
        if (m_Device.TripData.LatchedCount() != 0)
            m_fraRelays->SetResetTripsEnabled(true);
        break;
    case DeferredCommand::ResetTrip:
        m_Relay.RunSingleRelayCommand(
            m_SlaveID,
            QStringLiteral("Clearing Latch on Relay %1 ....").arg(m_Pending.PendingResetTrip),
            &cTZLTrips::ResetTrip, m_Pending.PendingResetTrip);
        // The grid took no more clicks while the request waited.
        m_fraRelays->SetGridEnabled(true);
        break;
    case DeferredCommand::AckAlarms:
        txtAlarmIndicator->setVisible(false);
        m_Relay.AcknowledgeAllAlarms(m_SlaveID);
        break;
    case DeferredCommand::AckAlarm:
        m_Relay.RunSingleRelayCommand(
            m_SlaveID,
            QStringLiteral("Acknowledging Alarm on Relay %1 ....").arg(m_Pending.PendingAckAlarm),
            &cTZLTrips::AcknowledgeAlarm, m_Pending.PendingAckAlarm);
        m_fraRelays->SetGridEnabled(true);
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
    case DeferredCommand::Report:
        WriteReport();
        break;
    }
}

void frmMain::AutoUpdateMeasurements()
{
    SetStatusText(QStringLiteral("Auto-Updating Measurements ...."));
    const QDateTime readAt = m_Services.Clock.Now();
    const MeasurementCycleResult result = RunMeasurementCycle(m_Cycle, m_Device, m_SlaveID);
    m_TrendHistory.Record(readAt.toMSecsSinceEpoch(), result.Block,
                          m_Device.Inputs.CurrentReadings());
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
    if (m_Cycle.DrawToNewAlarm(m_Device.TripData.UnackedAlarmRelays())
        && m_fraStatus->DisplayAlarms())
        SelectTab(cPollingCycle::MeasurementsTab);
}

void frmMain::UpdateResetTripsButton()
{
    if (m_Device.TripData.LatchedCount() != 0)
        m_fraRelays->SetResetTripsEnabled(true);
}

// ---------------------------------------------------------------- requests

void frmMain::RequestUpload()
{
    // The relay is the one the Node box shows, typed or not.
    m_SlaveIdBox->CommitSlaveID();
    HoldForTransfer(m_Menus->mnuitmRequestConfig, true);
    m_Pending.PendingUpload = true;
}

void frmMain::RequestDownload()
{
    m_SlaveIdBox->CommitSlaveID();
    CommitOpenEdits();
    HoldForTransfer(m_Menus->mnuitmSendConfig, true);
    m_Pending.PendingDownload = true;
}

void frmMain::RequestCompare()
{
    m_SlaveIdBox->CommitSlaveID();
    CommitOpenEdits();
    HoldForTransfer(m_Menus->mnuitmCompareConfig, false);
    m_Pending.PendingCompare = true;
}

void frmMain::HoldForTransfer(QAction* command, bool withToolbar)
{
    command->setEnabled(false);
    if (withToolbar)
        m_Menus->Toolbar1->setEnabled(false);
    // The relay a transfer talks to stays the one it was asked of.
    m_SlaveIdBox->setEnabled(false);
}

void frmMain::ReleaseAfterTransfer(QAction* command)
{
    command->setEnabled(true);
    m_Menus->Toolbar1->setEnabled(true);
    m_SlaveIdBox->setEnabled(true);
}

void frmMain::UploadConfiguration()
{
    m_Relay.Upload(m_SlaveID);
    ReleaseAfterTransfer(m_Menus->mnuitmRequestConfig);
}

void frmMain::DownloadConfiguration()
{
    m_Relay.Download(m_SlaveID, m_Menus->mnuitmVerifyDownload->isChecked());
    ReleaseAfterTransfer(m_Menus->mnuitmSendConfig);
}

// Shows how the relay's configuration differs from the one in memory, which
// neither the read nor the comparison touches.
void frmMain::CompareWithTZL()
{
    const std::optional<QString> report = m_Relay.Compare(m_SlaveID);
    ReleaseAfterTransfer(m_Menus->mnuitmCompareConfig);
    if (!report)
        return;
    if (m_CompareResult == nullptr)
        m_CompareResult = new frmCompareResult(m_UI, m_Services.FileDialogs, this);
    m_CompareResult->ShowReport(*report, m_Document.WorkDirectory);
}

// The relay is checked against the configuration in memory when it has a
// file name.
void frmMain::WriteReport()
{
    std::optional<ReportSettingsFile> settings;
    if (!m_Document.FileName.isEmpty())
        settings = ReportSettingsFile{
            m_Document.FileName
                + (IsDataModified() ? QStringLiteral(" with its unsaved changes") : QString()),
            m_Device.Snapshot()};
    m_Report.Run(m_SlaveID, settings, this);
    m_Menus->mnuitmReport->setEnabled(true);
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

// The window is made on first use and then only hidden and shown again, so
// its choices last for the run.
void frmMain::ShowTrends()
{
    if (m_Trends == nullptr) {
        m_Trends = new frmTrends(
            {m_TrendHistory, m_UI, m_Services.Settings, m_Services.FileDialogs, ApplicationName},
            this);
        m_Trends->SetOnLine(m_OnLine);
    }
    m_Trends->show();
    m_Trends->raise();
    m_Trends->activateWindow();
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
