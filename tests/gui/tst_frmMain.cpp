#include "WindowTest.h"

#include "ScriptedPrintSetup.h"
#include "link/cCommsErrorLog.h"
#include "platform/LocaleDateText.h"
#include "shell/PrintCommands.h"
#include "shell/QtMessageBoxUserInterface.h"
#include "shell/TrendChart.h"
#include "shell/frmCompareResult.h"
#include "shell/frmTrends.h"
#include "trends/TrendCsv.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

// The main window's wiring: start and exit with their settings and questions,
// the Node box, the polling tick, the file, print and relay commands, and
// the main window's own controls from keyboard and mouse.

namespace {

const QString App = QStringLiteral("VI_TZLConfigurator");
const QString Caption = QStringLiteral("Velmar Dudodozozuz TZL Configurator");

struct Configurator : MainWindow
{
    using MainWindow::MainWindow;
    QLineEdit* SlaveBox() const { return Child<QLineEdit>(*Window, "txtSlaveID"); }
    void TypeSlaveId(const QString& text)
    {
        SlaveBox()->setText(text);
        QTest::keyClick(SlaveBox(), Qt::Key_Return);
    }
    void MarkModified()
    {
        Window->Device().TripData.SetName(3, QStringLiteral("Bus tie"));
        Window->SetDataModified(true);
    }
    // Asks for the comparison with the relay and lets the tick run it; the
    // result window's text.
    QString Compare()
    {
        QAction* item = Window->Menus().mnuitmCompareConfig;
        item->trigger();
        const bool disabledWhilePending = !item->isEnabled();
        Tick();
        if (!disabledWhilePending || !item->isEnabled())
            return QStringLiteral("<item not disabled while pending>");
        return Result() ? Differences()->toPlainText() : QStringLiteral("<no window>");
    }
    frmCompareResult* Result() const { return Window->findChild<frmCompareResult*>(); }
    QPlainTextEdit* Differences() const
    {
        return Child<QPlainTextEdit>(*Result(), "txtDifferences");
    }
    // Find TZL with a scan that returns Found and counts its runs.
    void UseScriptedScan()
    {
        Window->SetRelayFinder([this] {
            ++Scans;
            return Found;
        });
    }
    QStringList Find()
    {
        Link.UI().ClearMessages();
        Window->Menus().mnuitmFindTZL->trigger();
        return Messages();
    }
    ScanResult Found;
    int Scans = 0;
    int TimeoutsLogged() const
    {
        QFile log(QDir(LogFolder.path()).filePath(cCommsErrorLog::CurrentName));
        return log.open(QIODevice::ReadOnly) ? int(log.readAll().count("Modbus Response Timeout"))
                                             : 0;
    }
};

using Q = cTZLInputRegisters::Quantity;
using Block = cPollingCycle::MeasurementBlock;

// The Trends window alone over a history the test fills.
struct TrendsFixture
{
    TrendsFixture() { Window = std::make_unique<frmTrends>(Services()); }
    TrendsServices Services() { return {History, UI, Store, Dialogs, App}; }
    // Every block read at `ms`, volts 230 + ms / 1000.
    void RecordAt(qint64 ms)
    {
        cTZLInputRegisters::Readings readings;
        for (auto& r : readings)
            r = 230.0f + float(ms) / 1000.0f;
        for (Block block : {Block::Basics, Block::Averages, Block::Sums, Block::BusGen})
            History.Record(ms, block, readings);
    }
    template <typename T>
    T* Control(const char* name)
    {
        return Child<T>(*Window, name);
    }
    TrendChart* Chart(TrendGroup group)
    {
        return Window->findChild<TrendChart*>(QStringLiteral("chart%1").arg(int(group)));
    }

    TrendHistory History;
    ScriptedUserInterface UI;
    MemorySettingsStore Store;
    ScriptedFileDialogs Dialogs;
    QTemporaryDir Folder;
    std::unique_ptr<frmTrends> Window;
};

} // namespace

class tst_frmMain : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The first start, the Node box's arrows and typed numbers with and
    // without unsaved changes, and the questions at exit. Not-modified Exit
    // asks "really?": tst_frmMain::DesktopSessionEnding.
    void NodeBoxAndExitTranscript()
    {
        Configurator c;
        frmMain& w = c.Start();
        c.Note(QStringLiteral("first start, empty settings: nothing sent"));
        // The word order is found by a scan, never chosen by hand.
        QVERIFY(!w.Menus().mnuitmRevWordOrder->isVisible());
        QVERIFY(!w.Menus().mnuitmRevWordOrder->isEnabled());
        // The link's start began a new comms error log in the folder given.
        QVERIFY(QFile::exists(QDir(c.LogFolder.path()).filePath("CommsErr.log")));
        // The first dialog opens in the documents folder.
        w.Menus().mnuitmOpen->trigger();
        const FileDialogRequest& open = c.Dialogs.Requests()[0].Request;
        QCOMPARE(open.FilterIndex, 2);
        QCOMPARE(open.Filters.size(), 3);
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QCOMPARE(open.InitialFolder, documents.isEmpty() ? QDir::homePath() : documents);
        c.Note(QStringLiteral("Open, cancelled"));

        // The arrows stop at 1 and 247.
        QToolButton* up = nullptr;
        QToolButton* down = nullptr;
        for (auto* button : w.findChildren<QToolButton*>()) {
            if (button->accessibleName() == QLatin1String("Increment Slave Address"))
                up = button;
            if (button->accessibleName() == QLatin1String("Decrement Slave Address"))
                down = button;
        }
        down->click();
        c.Note(QStringLiteral("down arrow at 1"));
        up->click();
        c.Note(QStringLiteral("up arrow"));
        c.TypeSlaveId(QStringLiteral("247"));
        up->click();
        c.Note(QStringLiteral("247 typed, up arrow"));
        down->click();
        c.Note(QStringLiteral("down arrow"));

        // With unsaved changes a new node asks first, and anything but No
        // stays with the relay the changes are for; No forgets what was read
        // from the other relay, not the edits.
        c.TypeSlaveId(QStringLiteral("1"));
        c.Link.Relay().SetEvents({{1, 4, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))}});
        QVERIFY(w.Device().EventLog.Upload(1));
        c.MarkModified();
        c.Link.UI().QueueAnswer(MsgResult::Yes);
        c.TypeSlaveId(QStringLiteral("7"));
        c.Note(QStringLiteral("events read, edited; 7 typed, Yes"));
        QCOMPARE(w.Device().EventLog.EvtRelay(1), std::int16_t(4));
        c.Link.UI().QueueAnswer(MsgResult::No);
        c.TypeSlaveId(QStringLiteral("7"));
        c.Note(QStringLiteral("7 typed, No"));
        QCOMPARE(w.Device().EventLog.EvtRelay(1), std::int16_t(-1));
        c.Link.UI().QueueAnswer(MsgResult::Yes);
        up->click();
        c.Note(QStringLiteral("up arrow, Yes"));
        c.Link.UI().QueueAnswer(MsgResult::No);
        up->click();
        c.Note(QStringLiteral("up arrow, No"));

        w.SetOnLine(true);
        QVERIFY(!c.Close());
        c.Note(QStringLiteral("on-line: close box"));
        w.SetOnLine(false);
        c.Link.UI().QueueAnswer(MsgResult::Yes);
        QVERIFY(!c.Close());
        c.Note(QStringLiteral("off-line: close box, Yes to saving, the dialog cancelled"));
        QCOMPARE(c.Saved("TargetTZL", "SlaveID"), QStringLiteral("<absent>"));
        c.Link.UI().QueueAnswer(MsgResult::No);
        QVERIFY(c.Close());
        c.Note(QStringLiteral("close box, No to saving: closed without asking again"));
        QCOMPARE(c.Saved("TargetTZL", "SlaveID"), QStringLiteral("8"));
        TZL_COMPARE_GOLDEN(QStringLiteral("frmMain-node-and-exit.txt"), c.Transcript);
    }

    // Commands from menus, toolbar and buttons: disabled while they wait for
    // the tick, the questions they ask, and the on-line panel.
    void CommandsTranscript()
    {
        Configurator c(12);
        c.Store.SaveSetting(App, "Comms", "Port", "3");
        c.Store.SaveSetting(App, "TargetTZL", "SlaveID", "12");
        frmMain& w = c.Start();
        c.Link.Relay().SetSystemVolts(11000);
        auto* getTime = Child<QAbstractButton>(w, "cmdGetTZLTime");
        getTime->click();
        QVERIFY(!getTime->isEnabled());
        c.Tick();
        QVERIFY(getTime->isEnabled());
        c.Note(QStringLiteral("Get TZL Time, a tick"));
        w.Menus().ToolbarButton("upload")->trigger();
        c.Note(QStringLiteral("toolbar upload"));
        c.Tick();
        c.Note(QStringLiteral("a tick"));
        QVERIFY(w.ConfigUploaded());
        QCOMPARE(w.Device().SystemVolts(), 11000.0f);

        c.MarkModified();
        w.Menus().mnuitmRequestConfig->trigger();
        c.Link.UI().QueueAnswer(MsgResult::Cancel);
        c.Tick();
        c.Note(QStringLiteral("edited; upload, Cancel to the save question"));
        // No to the question: tst_WhatYouSeeIsSent::ReloadAsksFirst("new").
        c.Link.UI().QueueAnswer(MsgResult::Cancel);
        w.Menus().mnuitmNew->trigger();
        c.Note(QStringLiteral("New, Cancel"));
        c.Link.UI().QueueAnswer(MsgResult::No);
        w.Menus().mnuitmNew->trigger();
        c.Note(QStringLiteral("New, No"));
        QVERIFY(!w.ConfigUploaded());
        QCOMPARE(w.Device().TripData.TripName(3), QStringLiteral("Relay Trip 3"));
        w.Menus().mnuitmHelpContents->trigger();
        c.Note(QStringLiteral("Help, no guide installed"));

        // What each print outcome shows is PrintCommandOutcomes'; here, the
        // toolbar and the event log's button reach it with the window's mode.
        w.Menus().ToolbarButton("print")->trigger();
        QCOMPARE(c.Printing.Dialogs, 1);
        QVERIFY(c.Printing.Printer.Lines().size() > 16);
        c.Note(QStringLiteral("toolbar print"));
        w.show();
        auto* panel = Child<QLabel>(w, "connection");
        QTest::mouseClick(panel, Qt::LeftButton);
        QCOMPARE(w.Menus().mnuitmCommsConnect->text(), QStringLiteral("&Off-Line"));
        c.Note(QStringLiteral("click on the on-line panel"));
        auto* print = Child<QAbstractButton>(w, "cmdPrintEventLog");
        c.Tabs()->setCurrentIndex(16);
        print->click();
        QVERIFY(print->isEnabled());
        c.Note(QStringLiteral("Event Log tab, Print"));
        QTest::mouseClick(panel, Qt::LeftButton);
        c.Printing.Accept = false;
        print->click();
        QCOMPARE(c.Printing.Dialogs, 2);
        QVERIFY(print->isEnabled());
        c.Note(QStringLiteral("panel clicked again; Print, cancelled"));
        TZL_COMPARE_GOLDEN(QStringLiteral("frmMain-commands.txt"), c.Transcript);
    }

    // Save with no name, recent files that load or fail, and a Save after
    // Open rewriting the opened file. A Save after an upload writes beside the
    // last chosen file: tst_WhatYouSeeIsSent::SaveAfterUploadAsksBeforeReplacing.
    void FilesTranscript()
    {
        Configurator c;
        const QDir folder(c.LogFolder.path());
        c.Store.SaveSetting(App, "RUFiles", "RUF1", folder.filePath("gone.tcf"));
        c.Store.SaveSetting(App, "RUFiles", "RUF2", folder.filePath("good.tcf"));
        frmMain& w = c.Start();
        QVERIFY(w.Device().SaveConfigToFile(folder.filePath("good.tcf")));
        QVERIFY(w.Device().SaveConfigToFile(folder.filePath("plant.tcf")));
        w.Menus().MnuitmSave->trigger();
        QCOMPARE(c.Dialogs.Requests()[0].DialogKind, ScriptedFileDialogs::Kind::Save);
        c.Note(QStringLiteral("Save with no name, cancelled"));
        w.Menus().mnuitmRUFile[1]->trigger();
        c.Note(QStringLiteral("recent file 2, good.tcf"));
        w.Menus().mnuitmRUFile[1]->trigger();
        QVERIFY(w.Menus().mnuitmExitSep->isVisible());
        c.Note(QStringLiteral("recent file 2, gone.tcf"));

        c.Dialogs.QueueAnswer(folder.filePath("plant.tcf"));
        w.Menus().mnuitmOpen->trigger();
        c.Note(QStringLiteral("Open plant.tcf"));
        c.MarkModified();
        QFile::remove(folder.filePath("plant.tcf"));
        w.Menus().MnuitmSave->trigger();
        QVERIFY(QFile::exists(folder.filePath("plant.tcf")));
        c.Note(QStringLiteral("edited, the file deleted; Save"));
        QCOMPARE(c.Saved("Options", "WorkDirectory"), QStringLiteral("<absent>"));
        c.Link.UI().QueueAnswer(MsgResult::Yes);
        QVERIFY(c.Close());
        QCOMPARE(c.Saved("Options", "WorkDirectory"), folder.path());
        TZL_COMPARE_GOLDEN(QStringLiteral("frmMain-files.txt"),
                           c.Transcript.replace(folder.path(), QStringLiteral("<folder>")));
    }

    // The values themselves are tst_ShellLogic::SettingsRoundTrip's: here,
    // that the window restores them at start and writes them back at exit,
    // all but a device given on the command line.
    void SettingsRestoredAndWrittenBack()
    {
        Configurator c;
        c.Store.SaveSetting(App, "MainForm", "Left", "99999");
        c.Store.SaveSetting(App, "MainForm", "Top", "40");
        c.Store.SaveSetting(App, "Options", "AlarmDisplay", "1");
        c.Store.SaveSetting(App, "Options", "VerifyAfterDownload", "1");
        c.Store.SaveSetting(App, "Comms", "Port", "3");
        c.Store.SaveSetting(App, "Comms", "Settings", "19200,E,8,1");
        c.Store.SaveSetting(App, "RUFiles", "RUF1", "/srv/plant.tcf");
        c.Store.SaveSetting(App, "Modbus", "WordOrder", "1");
        c.Store.SaveSetting(App, "Comms", "Device", "/dev/ttyUSB3");
        frmMain& w = c.Start(QStringLiteral("/dev/pts/9"));
        QCOMPARE(w.Link().Device(), QStringLiteral("/dev/pts/9"));
        QCOMPARE(w.pos(), QPoint(0, 40));
        QCOMPARE(w.Link().Port(), std::int16_t(3));
        c.Note(QStringLiteral("started with the settings stored and /dev/pts/9 given"));
        w.Menus().mnuitmVerifyDownload->setChecked(false);
        w.move(99999, 40);
        c.Link.UI().QueueAnswer(MsgResult::Yes); // "Do you really want to Exit?"
        QVERIFY(c.Close());
        c.Transcript += QStringLiteral("written back at exit:\n");
        for (const char* key :
             {"MainForm/Left", "TargetTZL/SlaveID", "Options/AlarmDisplay",
              "Options/VerifyAfterDownload", "Comms/Settings", "RUFiles/RUF1", "Comms/Device"}) {
            const QString k = QLatin1String(key);
            c.Transcript +=
                QStringLiteral("  %1=%2\n")
                    .arg(k, c.Store.GetSetting(App, k.section(u'/', 0, 0), k.section(u'/', 1),
                                               QStringLiteral("<absent>")));
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("frmMain-settings.txt"), c.Transcript);
    }

    void SlaveIdBox()
    {
        const struct
        {
            const char* Typed;
            int Caret; // -1: at the end
            const char* Shown;
        } rows[] = {{"abc", -1, "1"}, {"0", -1, "1"},      {"500", -1, "247"}, {"-5", -1, "1"},
                    {"", -1, "1"},    {"  12 ", -1, "12"}, {"1234", 2, "12"}}; // cut at the caret
        for (const auto& row : rows) {
            Configurator c;
            frmMain& w = c.Start();
            QLineEdit* box = c.SlaveBox();
            box->setText(QLatin1String(row.Typed));
            if (row.Caret >= 0)
                box->setCursorPosition(row.Caret);
            QTest::keyClick(box, Qt::Key_Return);
            QCOMPARE(box->text(), QLatin1String(row.Shown));
            QCOMPARE(w.SlaveID(), box->text().toInt());
            if (row.Caret >= 0)
                QCOMPARE(box->cursorPosition(), row.Caret);
            QVERIFY(c.Link.UI().Messages().isEmpty());
        }
    }

    // The desktop session ending closes the window on-line and modified with
    // no question, and the settings are saved; a logout that was cancelled
    // (events ran since) leaves Exit asking as before.
    void DesktopSessionEnding()
    {
        for (const bool cancelled : {false, true}) {
            Configurator c;
            frmMain& w = c.Start();
            if (!cancelled) {
                w.SetOnLine(true);
                c.MarkModified();
            }
            w.SessionEnding();
            if (cancelled)
                QCoreApplication::processEvents();
            c.Link.UI().QueueAnswer(MsgResult::No);
            QCOMPARE(c.Close(), !cancelled);
            QCOMPARE(c.Messages(), cancelled ? QStringList{"Do you really want to Exit?|TZL "
                                                           "Configurator"}
                                             : QStringList());
            QCOMPARE(c.Saved("TargetTZL", "SlaveID"),
                     cancelled ? QStringLiteral("<absent>") : QStringLiteral("1"));
        }
    }

    // What the tick does by itself: nothing while minimised (an upload asked
    // waits for the window to come back); with the alarm display on, back to
    // Measurements once for each new alarm, so the engineer may go to the
    // Relays tab to acknowledge it, until another relay's alarm comes up.
    void PollingTranscript()
    {
        Configurator c;
        c.Store.SaveSetting(App, "Options", "AlarmDisplay", "1");
        frmMain& w = c.Start();
        w.Menus().mnuitmRequestConfig->trigger();
        w.showMinimized();
        QTRY_VERIFY(w.isMinimized());
        c.Tick(4);
        c.Note(QStringLiteral("upload asked, minimised, four ticks"));
        w.showNormal();
        QTRY_VERIFY(!w.isMinimized());
        c.Tick();
        c.Note(QStringLiteral("shown again, a tick"));
        c.Link.Relay().SetRelayStatus(5, SimulatedRelay::StatusInAlarm);
        QVERIFY(w.Device().TripData.UploadStatus(1, 5));
        c.Tabs()->setCurrentIndex(17);
        c.Tick();
        c.Note(QStringLiteral("relay 5 in alarm; Relays tab, a tick"));
        c.Tabs()->setCurrentIndex(17);
        c.Tick(2);
        c.Note(QStringLiteral("Relays tab again, two ticks"));
        c.Link.Relay().SetRelayStatus(6, SimulatedRelay::StatusInAlarm);
        QVERIFY(w.Device().TripData.UploadStatus(1, 6));
        c.Tick();
        c.Note(QStringLiteral("relay 6 in alarm, a tick"));
        Child<QAbstractButton>(w, "cmdAckAlarms")->click();
        c.Tick();
        c.Note(QStringLiteral("alarms acknowledged, a tick"));
        c.Tabs()->setCurrentIndex(2);
        c.Tick();
        c.Note(QStringLiteral("trip tab, a tick"));
        TZL_COMPARE_GOLDEN(QStringLiteral("frmMain-polling.txt"), c.Transcript);
    }

    void TabKeysWrapAround()
    {
        Configurator c;
        frmMain& w = c.Start();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        c.Tabs()->setCurrentIndex(0);
        QList<int> visited;
        for (const Qt::Key key :
             {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Tab, Qt::Key_PageDown}) {
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus ? focus : &w, key, Qt::ControlModifier);
            visited << w.CurrentTab();
        }
        QCOMPARE(visited, (QList<int>{20, 1, 20, 1, 2}));
    }

    // The relay stops answering while the window is on-line on the
    // Measurements tab: the tick must report it once, count and log every
    // failed transfer, say since when in the status bar, and leave Off-Line
    // and Exit one click away.
    void PulledCableIsReportedOnce()
    {
        Configurator c;
        frmMain& w = c.Start();
        w.SetOnLine(true);
        c.Tick(3); // the first refresh only starts the rotation
        c.Note(QStringLiteral("on-line, three ticks"));
        c.Link.Faults().SetPersistent(SimFault::NoAnswer());
        c.Tick(9); // three refreshes, a block and a relay status each
        QCOMPARE(w.Link().Statistics().Timeouts(), qint64(6));
        QCOMPARE(c.TimeoutsLogged(), 6);
        const QString since = LongTimeText(c.Clock.Now().time());
        c.Note(QStringLiteral("the relay silent, nine ticks"));
        // A command the user asked for still says why it failed.
        w.Menus().mnuitmRequestConfig->trigger();
        c.Tick();
        c.Note(QStringLiteral("upload"));
        // The relay answers again: the notice says so, with no box.
        c.Link.Faults().SetPersistent(SimFault{});
        c.Tick(3);
        c.Note(QStringLiteral("the relay answers, three ticks"));
        // Dead again: one box for the new episode. Off-Line ends it quietly,
        // and Exit then asks its question at once.
        c.Link.Faults().SetPersistent(SimFault::NoAnswer());
        c.Tick(6);
        c.Note(QStringLiteral("silent again, six ticks"));
        w.Menus().mnuitmCommsConnect->trigger();
        c.Note(QStringLiteral("Off-Line"));
        c.Link.UI().QueueAnswer(MsgResult::No);
        w.Menus().mnuitmExit->trigger();
        c.Note(QStringLiteral("Exit, No"));
        TZL_COMPARE_GOLDEN(QStringLiteral("frmMain-pulled-cable.txt"),
                           c.Transcript.replace(since, QStringLiteral("<since>")));
    }

    // "Verify after Download" compares what the relay holds once a download
    // ends, only when the option is on.
    void VerifiesAfterDownloadOnlyWhenAsked()
    {
        const struct
        {
            bool Verify;
            float RelayLimit;
            QStringList Messages;
        } rows[] = {
            {false, 1000.0f, {}},
            {true, 1000.0f, {"Verified: the TZL holds this configuration|Verify after Download"}},
            {true,
             100.0f,
             {"1 difference (sent -> TZL):\nRelay 2 Trip Point: 121 V -> 100 V\n|Verify after "
              "Download"}}};
        for (const auto& row : rows) {
            Configurator c;
            c.Link.Relay().SetStoreLimit(66, row.RelayLimit);
            frmMain& w = c.Start();
            w.Menus().mnuitmVerifyDownload->setChecked(row.Verify);
            c.DownloadOverVoltsOnRelay2();
            QCOMPARE(c.Messages(), row.Messages);
            // The comparison reads the relay into a model of its own: the one
            // in memory holds the download's read-back.
            QCOMPARE(w.Device().TripData.ParameterValue(2, 1), std::min(121.0f, row.RelayLimit));
        }
    }

    // "Compare with TZL": the relay read as a deferred command, its
    // differences from memory shown in a window that saves them as text.
    void CompareWithTZL()
    {
        Configurator c;
        frmMain& w = c.Start();
        c.DownloadOverVoltsOnRelay2();
        // The relay holds no names: a name only in memory is no difference.
        w.Device().TripData.SetName(3, QStringLiteral("Bus tie"));
        QCOMPARE(c.Compare().trimmed(),
                 QStringLiteral("The TZL holds the configuration in memory."));
        // Shown beside the main window, not over it; its text read-only.
        QCOMPARE((QList<QVariant>{c.Result()->isVisible(), c.Result()->isModal(),
                                  c.Result()->windowTitle(), c.Differences()->accessibleName(),
                                  c.Differences()->isReadOnly()}),
                 (QList<QVariant>{true, false, "Compare with TZL", "Differences", true}));

        float tripPoint = 130.0f;
        w.Device().SetTripParameterValue(2, 1, tripPoint);
        w.SetDataModified(true);
        c.Link.Relay().SetSystemVolts(240.0f);
        const QString report = c.Compare();
        QCOMPARE(report, QStringLiteral("2 differences (memory -> TZL):\n"
                                        "Primary VT value: 110 V -> 240 V\n"
                                        "Relay 2 Trip Point: 130 V -> 121 V\n"));
        QCOMPARE(w.StatusText(), QStringLiteral("Ready"));
        QCOMPARE(w.Device().TripData.ParameterValue(2, 1), 130.0f);
        QCOMPARE(w.Device().SystemVolts(), 110.0f);
        QCOMPARE(w.Device().TripData.TripName(3), QStringLiteral("Bus tie"));
        QVERIFY(w.IsDataModified());
        QVERIFY(c.Link.UI().Messages().isEmpty());

        auto* save = Child<QPushButton>(*c.Result(), "cmdSaveAs");
        const QString path = c.LogFolder.filePath("compare.txt");
        c.Dialogs.QueueAnswer(path);
        save->click();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), report);
        QCOMPARE(c.Dialogs.Requests().last().Request.Filters.last(),
                 QStringLiteral("Text Files (*.txt)"));
        c.Dialogs.QueueAnswer(c.LogFolder.filePath("no such folder/compare.txt"));
        save->click();
        QCOMPARE(c.Link.UI().Messages().size(), 1);
        QCOMPARE(c.Link.UI().Messages().first().Title, QStringLiteral("Filesystem Error"));
    }

    // File > Commissioning Report: the questions asked when the command is
    // chosen, the read from the next tick behind its progress dialog, and a
    // Cancel at each step writing nothing; each row's transcript is in
    // frmMain-report-steps.txt.
    void ReportCancelAtEachStep()
    {
        using Texts = QList<std::optional<QString>>;
        const Texts both{QStringLiteral("Riverside"), QStringLiteral("A. Engineer")};
        // What the user does at each step; a step not reached is left unanswered.
        const struct
        {
            const char* Case;
            Texts SiteAndEngineer;
            bool ChooseFile, CancelWhileReading, FaultFromMeasurements;
            std::optional<MsgResult> AnswerToUnreadParts;
        } rows[] = {{"site cancelled", {}, false, false, false, {}},
                    {"engineer cancelled",
                     {QStringLiteral("Riverside"), std::nullopt},
                     false,
                     false,
                     false,
                     {}},
                    {"file dialog cancelled", both, false, false, false, {}},
                    {"reading cancelled", both, true, true, false, {}},
                    {"measurements unread, Cancel", both, true, false, true, MsgResult::Cancel},
                    {"measurements unread, OK", both, true, false, true, MsgResult::OK},
                    {"all read", both, true, false, false, {}}};
        QString seen;
        for (const auto& row : rows) {
            Configurator c;
            frmMain& w = c.Start();
            ScriptedUserInterface& ui = c.Link.UI();
            for (const auto& text : row.SiteAndEngineer)
                ui.QueueText(text);
            const QString path = c.LogFolder.filePath(QStringLiteral("report.pdf"));
            if (row.ChooseFile)
                c.Dialogs.QueueAnswer(path);
            if (row.AnswerToUnreadParts)
                ui.QueueAnswer(*row.AnswerToUnreadParts);
            bool progressShown = false;
            ui.OnProcessEvents = [&] {
                auto* progress = Child<QProgressDialog>(w, "frmReportProgress");
                if (progress == nullptr)
                    return;
                progressShown = true;
                if (row.CancelWhileReading)
                    progress->cancel();
                if (row.FaultFromMeasurements
                    && progress->labelText() == QStringLiteral("Reading the measurements"))
                    c.Link.Faults().SetPersistent(SimFault::NoAnswer());
            };
            w.Menus().mnuitmReport->trigger();
            c.Note(QLatin1String(row.Case));
            c.Tick();
            QFile pdf(path);
            c.Note(QStringLiteral("  a tick%1%2")
                       .arg(progressShown ? ", progress shown" : "",
                            pdf.exists() ? ", report written" : ""));
            if (pdf.exists())
                QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-");
            seen += c.Transcript.replace(c.LogFolder.path(), QStringLiteral("<folder>"));
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("frmMain-report-steps.txt"), seen);
    }

    void ReportRemembersSiteAndEngineer()
    {
        Configurator c;
        frmMain& w = c.Start();
        c.Link.UI().QueueText(QStringLiteral(" Riverside "));
        c.Link.UI().QueueText(QStringLiteral("A. Engineer"));
        w.Menus().mnuitmReport->trigger();
        QCOMPARE(c.Saved("Report", "Site"), QStringLiteral("Riverside"));
        QCOMPARE(c.Saved("Report", "Engineer"), QStringLiteral("A. Engineer"));
        QCOMPARE(c.Dialogs.Requests().constLast().Request.InitialFileName,
                 QStringLiteral("Riverside TZL commissioning report 2024-05-17.pdf"));
        c.Link.UI().ClearMessages();
        w.Menus().mnuitmReport->trigger();
        QCOMPARE(c.Link.UI().Messages().constFirst().Text,
                 QStringLiteral("Site of the relay: [Riverside]"));
    }

    // "Find TZL...": refused on-line; a scan that finds nothing says so, a
    // cancelled one says nothing, and what a scan found is applied to the
    // link, the Node box and the word order only when the user says so.
    void FindTZLTranscript()
    {
        Configurator c;
        frmMain& w = c.Start();
        c.UseScriptedScan();
        w.SetOnLine(true);
        w.Menus().mnuitmFindTZL->trigger();
        QCOMPARE(c.Scans, 0);
        c.Note(QStringLiteral("on-line: Find TZL"));
        w.SetOnLine(false);
        c.Found.ProbesTried = 42;
        w.Menus().mnuitmFindTZL->trigger();
        c.Note(QStringLiteral("nothing answered"));
        c.Found.Result = ScanResult::Outcome::Cancelled;
        w.Menus().mnuitmFindTZL->trigger();
        c.Note(QStringLiteral("cancelled"));
        c.Found.Result = ScanResult::Outcome::Found;
        c.Found.Where = {*SerialLineSettings::Parse(QStringLiteral("19200,E,8,1")), 7};
        c.Found.WordOrder = 1;
        for (const MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
            c.Link.UI().QueueAnswer(answer);
            w.Menus().mnuitmFindTZL->trigger();
            c.Note(answer == MsgResult::Yes ? QStringLiteral("found, Yes")
                                            : QStringLiteral("found, No"));
        }
        QCOMPARE(w.Link().GetWordOrder(), 1);
        TZL_COMPARE_GOLDEN(QStringLiteral("frmMain-find.txt"), c.Transcript);
    }

    // The scan itself over the simulated relay, which answers at any line
    // settings: found on the first probe, or stopped by Cancel.
    void FindTZLScansBehindAProgressDialog()
    {
        Configurator c;
        c.Start();
        c.Link.UI().QueueAnswer(MsgResult::No);
        QCOMPARE(c.Find(), QStringList{"Found a TZL at 2400,N,8,1, slave 1, word order 0. Use "
                                       "these settings?|TZL Configurator"});
        QCOMPARE(c.Window->Link().Settings(), QStringLiteral("9600,n,8,1"));

        Configurator far(200);
        far.Start();
        bool cancelled = false;
        QTimer::singleShot(150, [&] {
            if (auto* progress = far.Window->findChild<QProgressDialog*>()) {
                progress->cancel();
                cancelled = true;
            }
        });
        QCOMPARE(far.Find(), QStringList{});
        QVERIFY(cancelled);
        QVERIFY(far.Link.Port().WrittenFrames().size() < 10);
    }

    // The Trends window.
    void TrendsPicksSeriesPausesAndClears()
    {
        TrendsFixture t;
        const qint64 start = QDateTime(QDate(2024, 5, 17), QTime(10, 0)).toMSecsSinceEpoch();
        t.RecordAt(start);
        t.Window->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.Window.get()));
        // Ten minutes up to the newest reading, scrolling in steps of 6 s.
        QCOMPARE(t.Window->ToMs(), start);
        QCOMPARE(t.Window->FromMs(), start - 10 * 60 * 1000);

        // Unticking the four voltage lines gives their plot's room away.
        auto* list = t.Control<QListWidget>("lstSeries");
        QVERIFY(t.Chart(TrendGroup::Volts)->isVisible());
        for (int row = 0; row < 4; ++row)
            list->item(row)->setCheckState(Qt::Unchecked);
        QVERIFY(!t.Chart(TrendGroup::Volts)->isVisible());
        QVERIFY(t.Chart(TrendGroup::Currents)->isVisible());

        // Paused, the plots stand still while the history grows.
        auto* pause = t.Control<QPushButton>("cmdPause");
        pause->click();
        t.RecordAt(start + 7000);
        QCOMPARE(t.Window->ToMs(), start);
        QCOMPARE(t.History.Records().size(), std::size_t(8));
        pause->click();
        QCOMPARE(t.Window->ToMs(), start + 12000);

        // A longer span reaches further back.
        t.Control<QComboBox>("cboSpan")->setCurrentIndex(t.Control<QComboBox>("cboSpan")->count()
                                                         - 1);
        QCOMPARE(t.Window->ToMs(), start + 288000);
        QCOMPARE(t.Window->FromMs(), start + 288000 - 8 * 3600 * 1000ll);

        // Clear asks first: No keeps the trends, Yes drops them.
        t.UI.QueueAnswer(MsgResult::No);
        t.Control<QPushButton>("cmdClear")->click();
        QVERIFY(!t.History.IsEmpty());
        t.UI.QueueAnswer(MsgResult::Yes);
        t.Control<QPushButton>("cmdClear")->click();
        QVERIFY(t.History.IsEmpty());
    }

    void TrendsSavesCsvAndImage()
    {
        TrendsFixture t;
        const qint64 start = QDateTime(QDate(2024, 5, 17), QTime(10, 0)).toMSecsSinceEpoch();
        for (int i = 0; i < 5; ++i)
            t.RecordAt(start + i * 3000);
        t.Window->resize(900, 700);
        t.Window->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.Window.get()));

        // The extension is added when the name has none.
        t.Dialogs.QueueAnswer(t.Folder.filePath(QStringLiteral("trends")));
        t.Control<QPushButton>("cmdSaveCsv")->click();
        QFile csv(t.Folder.filePath(QStringLiteral("trends.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(csv.readAll()), TrendCsvText(t.History));

        t.Dialogs.QueueAnswer(t.Folder.filePath(QStringLiteral("trends.png")));
        t.Control<QPushButton>("cmdSaveImage")->click();
        const QImage image(t.Folder.filePath(QStringLiteral("trends.png")));
        QVERIFY(!image.isNull());
        const QWidget* plots = t.Window->findChild<QWidget*>(QStringLiteral("Plots"));
        QCOMPARE(image.size(), plots->size() * plots->devicePixelRatio());
        QVERIFY(plots->width() > 500 && plots->height() > 400);

        // A folder that is not there is reported, not passed over.
        t.Dialogs.QueueAnswer(t.Folder.filePath(QStringLiteral("gone/trends.csv")));
        t.Control<QPushButton>("cmdSaveCsv")->click();
        QCOMPARE(t.UI.Messages().size(), 1);
        QCOMPARE(t.UI.Messages().first().Title, QStringLiteral("Filesystem Error"));
    }

    void TrendsRemembersGeometryAndSpanAndSaysOffLine()
    {
        TrendsFixture t;
        t.Window->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.Window.get()));
        QVERIFY(t.Control<QLabel>("lblOffLine")->isVisible());
        t.Window->SetOnLine(true);
        QVERIFY(!t.Control<QLabel>("lblOffLine")->isVisible());
        t.Window->resize(840, 640);
        t.Control<QComboBox>("cboSpan")->setCurrentIndex(0);
        t.Window->close();

        frmTrends again(t.Services());
        QCOMPARE(again.size(), QSize(840, 640));
        QCOMPARE(again.findChild<QComboBox*>("cboSpan")->currentData().toInt(), 1);
    }

    // Open on the Relays tab and on-line, the tick still reads the
    // measurement blocks in rotation besides the relay statuses; closed, the
    // Relays tab reads relay statuses only.
    void TrendsTickReadsMeasurementsOnOtherTabsWhileOpen()
    {
        MainWindow c;
        frmMain& w = c.Start();
        w.SetOnLine(true);
        c.Tabs()->setCurrentIndex(cPollingCycle::RelaysTab - 1);
        c.Tick(6);
        QCOMPARE(c.InputReads(), QList<int>());

        w.Menus().ToolbarButton(QStringLiteral("trends"))->trigger();
        QVERIFY(w.TrendsWindow()->isVisible());
        QVERIFY(!w.TrendsWindow()->findChild<QLabel*>("lblOffLine")->isVisible());
        QList<int> reads;
        for (int cycle = 0; cycle < 4; ++cycle) {
            c.Tick(3);
            reads << c.InputReads();
        }
        // The rotation's first cycle only starts it.
        QCOMPARE(reads, (QList<int>{0, 42, 46, 62, 0}));
        QCOMPARE(w.Trends().Records().size(), std::size_t(3));
        QCOMPARE(w.Trends().SamplesOf(Q::Volts1).size(), std::size_t(2));

        w.TrendsWindow()->close();
        c.Tick(6);
        QCOMPARE(c.InputReads(), QList<int>());
        w.SetOnLine(false);
    }

    // PrintCommands alone, with a scripted print dialog: the on-line refusal,
    // cancelling, the status texts, and a printout that fails. Per row in the
    // golden: the outcome, the status texts, the print dialogs shown (none for
    // a refusal), the documents ended (none without the dialog's OK), the
    // messages and the printout's first line.
    void PrintCommandOutcomes()
    {
        const char* const outcomes[] = {"printed", "cancelled", "refused", "failed"};
        const struct
        {
            bool EventLog, OnLine, Accept, PrinterWorks;
        } rows[] = {{false, false, true, true},  {false, false, false, true},
                    {false, false, true, false}, {true, false, true, true},
                    {true, true, true, true},    {true, false, false, true},
                    {true, false, true, false}};
        QString seen;
        for (const auto& row : rows) {
            SimulatedLink link;
            FakeClock clock;
            cTZL device(link.Modbus(), link.UI(), clock);
            ScriptedPrintSetup setup;
            setup.Accept = row.Accept;
            setup.Printer.EndDocResult = row.PrinterWorks;
            QStringList shown;
            ::PrintCommands commands(device, link.UI(), setup,
                                     [&shown](const QString& text) { shown << text; });
            const auto outcome =
                row.EventLog ? commands.PrintEventLog(row.OnLine) : commands.PrintConfiguration();
            seen += QStringLiteral("%1%2, %3, %4: %5\n  status: %6\n  dialogs %7, ended %8\n")
                        .arg(row.EventLog ? "event log" : "configuration",
                             row.OnLine ? " on-line" : "", row.Accept ? "OK" : "Cancel",
                             row.PrinterWorks ? "printer works" : "printer fails",
                             outcomes[int(outcome)], shown.join(QStringLiteral(" | ")))
                        .arg(setup.Dialogs)
                        .arg(setup.Printer.EndDocCalls());
            for (const auto& m : link.UI().Messages())
                seen += QStringLiteral("  asked: ") + m.Text + u'|' + m.Title + u'\n';
            for (const auto& line : setup.Printer.Lines().mid(0, 1))
                seen += QStringLiteral("  first line: ")
                        + (line.Items.isEmpty() ? QString() : line.Items.first().Text) + u'\n';
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("frmMain-print-outcomes.txt"), seen);
    }

    // The message box seam as Qt shows it: the buttons offered, the answer of
    // each, and Escape.
    void MsgBox()
    {
        const struct
        {
            MsgButtons Buttons;
            int Offered;
            const char* Press; // a button's text, or Escape
            MsgResult Result;
        } rows[] = {{MsgButtons::OK, 1, "Escape", MsgResult::OK},
                    {MsgButtons::OKCancel, 2, "Cancel", MsgResult::Cancel},
                    {MsgButtons::YesNo, 2, "Yes", MsgResult::Yes},
                    {MsgButtons::YesNoCancel, 3, "No", MsgResult::No},
                    {MsgButtons::YesNoCancel, 3, "Escape", MsgResult::Cancel}};
        for (const auto& row : rows) {
            QStringList shown; // text, title, then the buttons
            MsgResult result{};
            QtMessageBoxUserInterface ui;
            const auto show = [&] {
                result = ui.MsgBox("Disk is full.", "Filesystem Error", row.Buttons,
                                   MsgIcon::Exclamation);
            };
            WithModal(show, [&](QDialog& dialog) {
                auto& box = static_cast<QMessageBox&>(dialog);
                shown = QStringList{box.text(), box.windowTitle()};
                QAbstractButton* target = nullptr;
                for (QAbstractButton* button : box.buttons()) {
                    shown.append(button->text().remove(u'&'));
                    if (shown.back() == QLatin1String(row.Press))
                        target = button;
                }
                if (target != nullptr)
                    target->click();
                else
                    QTest::keyClick(&box, Qt::Key_Escape);
            });
            QCOMPARE(result, row.Result);
            QCOMPARE(shown.mid(0, 2), QStringList({"Disk is full.", "Filesystem Error"}));
            QCOMPARE(shown.size() - 2, row.Offered);
        }
    }

    void ProcessPendingEventsWaitsForTheNextEvent()
    {
        bool fired = false;
        QTimer::singleShot(30, [&fired] { fired = true; });
        QtMessageBoxUserInterface ui;
        QElapsedTimer clock;
        clock.start();
        int passes = 0;
        while (!fired && clock.elapsed() < 5000) {
            ui.ProcessPendingEvents();
            ++passes;
        }
        QVERIFY(fired);
        // Sleeping until the timer is due takes a pass or two; spinning, thousands.
        QVERIFY2(passes < 20, qPrintable(QString::number(passes)));
    }
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
