#include "ConfiguratorFixture.h"

#include "shell/MainMenus.h"
#include "shell/frmMain.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <memory>

namespace {

const QString App = QStringLiteral("VI_TZLConfigurator");
const QString Caption = QStringLiteral("Velmar Dudodozozuz TZL Configurator");
using Access = RegisterAccess::Type;

struct Configurator : ConfiguratorFixture
{
    using ConfiguratorFixture::ConfiguratorFixture;
    QString Panel(const char* key) const
    {
        return Window->findChild<QLabel*>(QLatin1String(key))->text();
    }
    QLineEdit* SlaveBox() const { return Window->findChild<QLineEdit*>("txtSlaveID"); }
    void TypeSlaveId(const QString& text)
    {
        QLineEdit* box = SlaveBox();
        box->setText(text);
        QTest::keyClick(box, Qt::Key_Return);
    }
    // Closes the window as the close box does; true when it closed.
    bool Close()
    {
        QCloseEvent event;
        QApplication::sendEvent(Window.get(), &event);
        return event.isAccepted();
    }
    // Start registers of the input-register reads the relay heard.
    QList<int> InputReads()
    {
        QList<int> starts;
        for (const RegisterAccess& a : Link.Relay().Accesses())
            if (a.Kind == Access::ReadInput)
                starts << a.Start;
        return starts;
    }
    void MarkModified()
    {
        Window->Device().TripData.SetName(3, QStringLiteral("Bus tie"));
        Window->SetDataModified(true);
    }
};

} // namespace

class tst_frmMain : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void FirstStartWithEmptySettings()
    {
        Configurator c;
        frmMain& w = c.Start();
        QCOMPARE(w.pos(), QPoint(0, 0));
        QCOMPARE(w.SlaveID(), std::int16_t(1));
        QCOMPARE(c.SlaveBox()->text(), QStringLiteral("1"));
        QCOMPARE(w.windowTitle(), Caption);
        QCOMPARE(c.Panel("status"), QStringLiteral("Ready"));
        QCOMPARE(c.Panel("modified"), QString());
        QCOMPARE(c.Panel("connection"), QString());
        QCOMPARE(w.CurrentTab(), 20);
        QCOMPARE(w.findChild<QTabBar*>("TabStrip1")->tabText(19), QStringLiteral("Measurements"));
        QVERIFY(!w.OnLine());
        // The link's start began a new comms error log in the folder given.
        QVERIFY(QFile::exists(QDir(c.LogFolder.path()).filePath("CommsErr.log")));
        // The first dialog opens in the documents folder.
        w.Menus().mnuitmOpen->trigger();
        QCOMPARE(c.Dialogs.Requests().size(), 1);
        const FileDialogRequest& open = c.Dialogs.Requests()[0].Request;
        QCOMPARE(open.Title, QStringLiteral("Open TZL Configuration File"));
        QCOMPARE(open.FilterIndex, 2);
        QCOMPARE(open.Filters.size(), 3);
        QCOMPARE(open.InitialFolder,
                 QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).isEmpty()
                     ? QDir::homePath()
                     : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
        QCOMPARE(c.Panel("status"), QStringLiteral("Ready"));
        // No settings file to find nothing in: nothing talked to the relay.
        QVERIFY(c.Link.Relay().Accesses().empty());
    }

    void SettingsRestoredAndWrittenBack()
    {
        Configurator c;
        c.Store.SaveSetting(App, "MainForm", "Left", "99999");
        c.Store.SaveSetting(App, "MainForm", "Top", "40");
        c.Store.SaveSetting(App, "TargetTZL", "SlaveID", "300");
        c.Store.SaveSetting(App, "Options", "AlarmDisplay", "1");
        c.Store.SaveSetting(App, "Comms", "Port", "3");
        c.Store.SaveSetting(App, "Comms", "Settings", "19200,E,8,1");
        c.Store.SaveSetting(App, "RUFiles", "RUF1", "/srv/plant.tcf");
        frmMain& w = c.Start();
        QCOMPARE(w.pos(), QPoint(0, 40));
        QCOMPARE(w.SlaveID(), std::int16_t(1));
        QCOMPARE(w.Link().Port(), std::int16_t(3));
        QCOMPARE(w.RecentFiles().ItemPath(1), QStringLiteral("/srv/plant.tcf"));
        QCOMPARE(w.Menus().mnuitmRUFile[0]->text(), QStringLiteral("&1 plant.tcf"));
        QVERIFY(w.Menus().mnuitmRUFile[0]->isVisible());
        QVERIFY(!w.Menus().mnuitmRUFile[1]->isVisible());

        w.move(99999, 40);
        c.Link.UI().QueueAnswer(MsgResult::Yes); // "Do you really want to Exit?"
        QVERIFY(c.Close());
        QCOMPARE(c.Saved("MainForm", "Left"), QStringLiteral("0"));
        QCOMPARE(c.Saved("TargetTZL", "SlaveID"), QStringLiteral("1"));
        QCOMPARE(c.Saved("Options", "AlarmDisplay"), QStringLiteral("1"));
        QCOMPARE(c.Saved("Options", "EventLogUseCurrent"), QStringLiteral("0"));
        QCOMPARE(c.Saved("Options", "WorkDirectory"), QStringLiteral("<absent>"));
        QCOMPARE(c.Saved("Comms", "Port"), QStringLiteral("3"));
        QCOMPARE(c.Saved("Comms", "Settings").toUpper(), QStringLiteral("19200,E,8,1"));
        QCOMPARE(c.Saved("RUFiles", "RUF1"), QStringLiteral("/srv/plant.tcf"));
    }

    void DeviceFromCommandLineIsNotStored()
    {
        Configurator c;
        c.Store.SaveSetting(App, "Comms", "Device", "/dev/ttyUSB3");
        c.Start(QStringLiteral("/dev/pts/9"));
        QCOMPARE(c.Window->Link().Device(), QStringLiteral("/dev/pts/9"));
        c.Link.UI().QueueAnswer(MsgResult::Yes);
        QVERIFY(c.Close());
        QCOMPARE(c.Saved("Comms", "Device"), QStringLiteral("/dev/ttyUSB3"));
    }

    void SlaveIdBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("caret"); // -1: at the end
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, const char* typed, int caret, const char* shown) {
            QTest::newRow(name) << QString(typed) << caret << QString(shown);
        };
        row("letters", "abc", -1, "1");
        row("zero", "0", -1, "1");
        row("500", "500", -1, "247");
        row("negative", "-5", -1, "1");
        row("blanks around", "  12 ", -1, "12");
        row("empty", "", -1, "1");
        row("cut at the caret", "1234", 2, "12");
    }
    void SlaveIdBox()
    {
        QFETCH(QString, typed);
        QFETCH(int, caret);
        QFETCH(QString, shown);
        Configurator c;
        frmMain& w = c.Start();
        QLineEdit* box = c.SlaveBox();
        box->setText(typed);
        if (caret >= 0)
            box->setCursorPosition(caret);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->text(), shown);
        QCOMPARE(w.SlaveID(), std::int16_t(shown.toInt()));
        if (caret >= 0)
            QCOMPARE(box->cursorPosition(), caret);
        QVERIFY(c.Link.UI().Messages().isEmpty());
    }

    void SlaveIdChangeWhileModified()
    {
        Configurator c;
        frmMain& w = c.Start();
        c.Link.Relay().SetEvents({{1, 4, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))}});
        QVERIFY(w.Device().EventLog.Upload(1));
        c.MarkModified();
        QVERIFY(w.IsDataModified());

        c.Link.UI().QueueAnswer(MsgResult::Yes);
        c.TypeSlaveId(QStringLiteral("7"));
        QCOMPARE(c.Messages(), QStringList{"Do you want to save or download the configuration "
                                           "changes?|TZL Configurator"});
        QCOMPARE(w.SlaveID(), std::int16_t(1));
        QCOMPARE(c.SlaveBox()->text(), QStringLiteral("1"));
        QCOMPARE(w.Device().EventLog.EvtRelay(1), std::int16_t(4));

        c.Link.UI().QueueAnswer(MsgResult::No);
        c.TypeSlaveId(QStringLiteral("7"));
        QCOMPARE(w.SlaveID(), std::int16_t(7));
        // What was read from the other relay is gone; the edits are not.
        QCOMPARE(w.Device().EventLog.EvtRelay(1), std::int16_t(-1));
        QVERIFY(w.IsDataModified());
    }

    void ExitQuestions()
    {
        Configurator c;
        frmMain& w = c.Start();
        w.SetOnLine(true);
        c.MarkModified();
        QVERIFY(!c.Close());
        QCOMPARE(c.Messages(),
                 QStringList{"Please switch to off-line mode before exiting|TZL Configurator"});

        // Off-line and modified: Yes to saving, then Cancel in the dialog.
        w.SetOnLine(false);
        c.Link.UI().ClearMessages();
        c.Link.UI().QueueAnswer(MsgResult::Yes);
        QVERIFY(!c.Close());
        QCOMPARE(c.Messages(),
                 QStringList{"Do you want to save the configuration changes?|TZL Configurator"});
        QCOMPARE(c.Dialogs.Requests().size(), 1);
        QCOMPARE(c.Dialogs.Requests()[0].Request.Title,
                 QStringLiteral("Save TZL Configuration File As"));
        QCOMPARE(c.Saved("TargetTZL", "SlaveID"), QStringLiteral("<absent>"));

        // No to saving closes without asking again.
        c.Link.UI().ClearMessages();
        c.Link.UI().QueueAnswer(MsgResult::No);
        QVERIFY(c.Close());
        QCOMPARE(c.Messages().size(), 1);
        QCOMPARE(c.Saved("TargetTZL", "SlaveID"), QStringLiteral("1"));
    }

    void ExitNotModified()
    {
        Configurator c;
        c.Start();
        c.Link.UI().QueueAnswer(MsgResult::No);
        QVERIFY(!c.Close());
        QCOMPARE(c.Messages(), QStringList{"Do you really want to Exit?|TZL Configurator"});
        QCOMPARE(c.Saved("MainForm", "Left"), QStringLiteral("<absent>"));
    }

    void DesktopSessionEndingAsksNothing()
    {
        Configurator c;
        frmMain& w = c.Start();
        w.SetOnLine(true);
        c.MarkModified();
        w.SessionEnding();
        QVERIFY(c.Close());
        QVERIFY(c.Messages().isEmpty());
        QCOMPARE(c.Saved("TargetTZL", "SlaveID"), QStringLiteral("1"));
        QCOMPARE(c.Saved("Comms", "Port"), QStringLiteral("1"));
    }

    void MeasurementCyclesOnLine()
    {
        Configurator c;
        frmMain& w = c.Start();
        w.SetOnLine(true);
        QCOMPARE(c.Panel("connection"), QStringLiteral("On-Line"));
        QCOMPARE(w.Menus().mnuitmCommsConnect->text(), QStringLiteral("&Off-Line"));
        QList<QList<int>> cycles;
        for (int cycle = 0; cycle < 8; ++cycle) {
            c.Link.Relay().ClearAccesses();
            c.Tick(3);
            cycles << c.InputReads();
        }
        // The first cycle reads nothing; then one group a cycle, its first
        // block's register, the basics every other cycle.
        const QList<QList<int>> expected{{},  {0},       {42, 46, 62}, {0}, {48, 52, 56, 60},
                                         {0}, {70, 224}, {0}};
        QCOMPARE(cycles, expected);
        QCOMPARE(c.Panel("status"), QStringLiteral("Ready"));
        QVERIFY(c.Link.UI().Messages().isEmpty());
    }

    void NoRefreshOnATripTabWithoutTheOption()
    {
        Configurator c;
        frmMain& w = c.Start();
        w.SetOnLine(true);
        w.findChild<QTabBar*>("TabStrip1")->setCurrentIndex(4);
        QCOMPARE(w.CurrentTab(), 5);
        c.Tick(6);
        QVERIFY(c.Link.Relay().Accesses().empty());
    }

    void MinimisedMeansNothingRuns()
    {
        Configurator c;
        frmMain& w = c.Start();
        w.Menus().mnuitmRequestConfig->trigger();
        w.showMinimized();
        QTRY_VERIFY(w.isMinimized());
        c.Tick(4);
        QVERIFY(c.Link.Relay().Accesses().empty());
        QVERIFY(w.Pending().PendingUpload);
        w.showNormal();
        QTRY_VERIFY(!w.isMinimized());
        c.Tick();
        QVERIFY(!w.Pending().PendingUpload);
        QVERIFY(!c.Link.Relay().Accesses().empty());
    }

    void AlarmDisplayReturnsToMeasurements()
    {
        Configurator c;
        c.Store.SaveSetting(App, "Options", "AlarmDisplay", "1");
        frmMain& w = c.Start();
        c.Link.Relay().SetRelayStatus(5, SimulatedRelay::StatusInAlarm);
        QVERIFY(w.Device().TripData.UploadStatus(1, 5));
        auto* tabs = w.findChild<QTabBar*>("TabStrip1");
        tabs->setCurrentIndex(17);
        QCOMPARE(w.CurrentTab(), 18);
        c.Tick();
        QCOMPARE(w.CurrentTab(), 20);
        QVERIFY(w.findChild<QLabel*>("txtAlarmIndicator")->isVisibleTo(&w));
        // Once for each new alarm: the engineer may go to the Relays tab to
        // acknowledge it, until another relay's alarm comes up.
        tabs->setCurrentIndex(17);
        c.Tick(2);
        QCOMPARE(w.CurrentTab(), 18);
        c.Link.Relay().SetRelayStatus(6, SimulatedRelay::StatusInAlarm);
        QVERIFY(w.Device().TripData.UploadStatus(1, 6));
        c.Tick();
        QCOMPARE(w.CurrentTab(), 20);
        w.findChild<QAbstractButton*>("cmdAckAlarms")->click();
        c.Tick();
        QVERIFY(!w.findChild<QLabel*>("txtAlarmIndicator")->isVisibleTo(&w));
        tabs->setCurrentIndex(2);
        c.Tick();
        QCOMPARE(w.CurrentTab(), 3);
    }

    void ClockCommandRunsOnTheNextTick()
    {
        Configurator c;
        frmMain& w = c.Start();
        auto* getTime = w.findChild<QAbstractButton*>("cmdGetTZLTime");
        getTime->click();
        QVERIFY(!getTime->isEnabled());
        QVERIFY(w.Pending().PendingGetTime);
        c.Tick();
        QVERIFY(getTime->isEnabled());
        QVERIFY(!w.Pending().PendingGetTime);
        QVERIFY(!c.Link.Relay().Accesses().empty());
        QCOMPARE(c.Panel("status"), QStringLiteral("Ready"));
    }

    void UploadDisablesUntilItHasRun()
    {
        Configurator c(12);
        c.Store.SaveSetting(App, "Comms", "Port", "3");
        c.Store.SaveSetting(App, "TargetTZL", "SlaveID", "12");
        frmMain& w = c.Start();
        c.Link.Relay().SetSystemVolts(11000);
        w.Menus().ToolbarButton("upload")->trigger();
        QVERIFY(!w.Menus().mnuitmRequestConfig->isEnabled());
        QVERIFY(!w.Menus().Toolbar1->isEnabled());
        QVERIFY(w.Menus().mnuitmSendConfig->isEnabled());
        c.Tick();
        QVERIFY(w.Menus().mnuitmRequestConfig->isEnabled());
        QVERIFY(w.Menus().Toolbar1->isEnabled());
        QCOMPARE(c.Messages(), QStringList());
        QCOMPARE(w.CurrentFileName(), QStringLiteral("Com3_Node12"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Com3_Node12 - ") + Caption);
        QVERIFY(w.ConfigUploaded());
        QCOMPARE(w.Device().SystemVolts(), 11000.0f);
        QVERIFY(!w.IsDataModified());
    }

    void UploadCancelledAtTheSaveQuestion()
    {
        Configurator c;
        frmMain& w = c.Start();
        c.MarkModified();
        w.Menus().mnuitmRequestConfig->trigger();
        c.Link.UI().QueueAnswer(MsgResult::Cancel);
        c.Tick();
        QCOMPARE(c.Messages(),
                 QStringList{"Do you want to save the configuration changes?|TZL Configurator"});
        QVERIFY(c.Link.Relay().Accesses().empty());
        QCOMPARE(c.Panel("status"), QStringLiteral("Ready"));
        QVERIFY(w.Menus().mnuitmRequestConfig->isEnabled());
        QVERIFY(w.Menus().Toolbar1->isEnabled());
        QVERIFY(w.IsDataModified());
        QCOMPARE(w.windowTitle(), Caption);
    }

    void SaveAfterOpenRewritesTheOpenedFile()
    {
        Configurator c;
        frmMain& w = c.Start();
        QTemporaryDir folder;
        const QString path = QDir(folder.path()).filePath("plant.tcf");
        QVERIFY(w.Device().SaveConfigToFile(path));
        c.Dialogs.QueueAnswer(path);
        w.Menus().mnuitmOpen->trigger();
        QCOMPARE(w.windowTitle(), QStringLiteral("plant.tcf - ") + Caption);
        QCOMPARE(w.RecentFiles().ItemPath(1), path);

        c.MarkModified();
        QFile::remove(path);
        w.Menus().MnuitmSave->trigger();
        QCOMPARE(c.Dialogs.Requests().size(), 1); // the open dialog only
        QVERIFY(QFile::exists(path));
        QVERIFY(!w.IsDataModified());
        QCOMPARE(c.Saved("Options", "WorkDirectory"), QStringLiteral("<absent>"));
        c.Link.UI().QueueAnswer(MsgResult::Yes);
        QVERIFY(c.Close());
        QCOMPARE(c.Saved("Options", "WorkDirectory"), folder.path());
    }

    void SaveAfterUploadWritesBesideTheLastChosenFile()
    {
        Configurator c;
        QTemporaryDir folder;
        c.Store.SaveSetting(App, "Options", "WorkDirectory", folder.path());
        frmMain& w = c.Start();
        w.Menus().mnuitmRequestConfig->trigger();
        c.Tick();
        QCOMPARE(w.CurrentFileName(), QStringLiteral("Com1_Node1"));
        w.Menus().MnuitmSave->trigger();
        QVERIFY(QFile::exists(QDir(folder.path()).filePath("Com1_Node1")));
        QVERIFY(c.Dialogs.Requests().isEmpty());
    }

    void SaveWithoutANameAsksForOne()
    {
        Configurator c;
        frmMain& w = c.Start();
        w.Menus().MnuitmSave->trigger();
        QCOMPARE(c.Dialogs.Requests().size(), 1);
        QCOMPARE(c.Dialogs.Requests()[0].DialogKind, ScriptedFileDialogs::Kind::Save);
        QCOMPARE(c.Panel("status"), QStringLiteral("Ready"));
    }

    void RecentFileThatFailsToLoadIsDropped()
    {
        Configurator c;
        QTemporaryDir folder;
        const QString good = QDir(folder.path()).filePath("good.tcf");
        c.Store.SaveSetting(App, "RUFiles", "RUF1", QDir(folder.path()).filePath("gone.tcf"));
        c.Store.SaveSetting(App, "RUFiles", "RUF2", good);
        frmMain& w = c.Start();
        QVERIFY(w.Device().SaveConfigToFile(good));

        w.Menus().mnuitmRUFile[1]->trigger();
        QCOMPARE(w.RecentFiles().ItemPath(1), good);
        QCOMPARE(w.windowTitle(), QStringLiteral("good.tcf - ") + Caption);

        c.Link.UI().ClearMessages();
        w.Menus().mnuitmRUFile[1]->trigger();
        QCOMPARE(c.Link.UI().Messages().size(), 1); // the file-system message
        QCOMPARE(w.RecentFiles().Count(), std::int16_t(1));
        QVERIFY(!w.Menus().mnuitmRUFile[1]->isVisible());
        QVERIFY(w.Menus().mnuitmExitSep->isVisible());
    }

    void NewAsksBeforeDiscarding()
    {
        Configurator c;
        frmMain& w = c.Start();
        w.Menus().mnuitmRequestConfig->trigger();
        c.Tick();
        c.MarkModified();
        c.Link.UI().QueueAnswer(MsgResult::Cancel);
        w.Menus().mnuitmNew->trigger();
        QVERIFY(w.IsDataModified());
        c.Link.UI().QueueAnswer(MsgResult::No);
        w.Menus().mnuitmNew->trigger();
        QVERIFY(!w.IsDataModified());
        QCOMPARE(w.windowTitle(), Caption);
        QVERIFY(!w.ConfigUploaded());
        QCOMPARE(w.Device().TripData.TripName(3), QStringLiteral("Relay Trip 3"));
    }

    void WordOrderItemIsHidden()
    {
        Configurator c;
        c.Store.SaveSetting(App, "Modbus", "WordOrder", "1");
        frmMain& w = c.Start();
        QAction* item = w.Menus().mnuitmRevWordOrder;
        QVERIFY(!item->isVisible());
        QVERIFY(!item->isEnabled());
        QVERIFY(item->isChecked());
    }

    void PrintCommands()
    {
        Configurator c;
        frmMain& w = c.Start();
        w.Menus().ToolbarButton("print")->trigger();
        QCOMPARE(c.Printing.Dialogs, 1);
        QVERIFY(c.Printing.Printer.Lines().size() > 16);
        QCOMPARE(c.Panel("status"), QStringLiteral("Ready"));

        // The event log is not printed while it is being refreshed, and the
        // button is offered again either way.
        auto* print = w.findChild<QAbstractButton*>("cmdPrintEventLog");
        w.SetOnLine(true);
        w.findChild<QTabBar*>("TabStrip1")->setCurrentIndex(16);
        print->click();
        QCOMPARE(c.Messages(), QStringList{"Switch to off-line mode before you print the event "
                                           "log|TZL Configurator"});
        QCOMPARE(c.Printing.Dialogs, 1);
        QVERIFY(print->isEnabled());
        w.SetOnLine(false);
        c.Printing.Accept = false;
        print->click();
        QCOMPARE(c.Printing.Dialogs, 2);
        QVERIFY(print->isEnabled());
        QCOMPARE(c.Panel("status"), QStringLiteral("Ready"));
    }

    void HelpWithoutAGuideSaysSo()
    {
        Configurator c;
        frmMain& w = c.Start();
        w.Menus().mnuitmHelpContents->trigger();
        QCOMPARE(c.Link.UI().Messages().size(), 1);
        QCOMPARE(c.Link.UI().Messages()[0].Title, QStringLiteral("TZL Configurator"));
    }
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
