#include "WindowTest.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QTest>
#include <QWheelEvent>

// What the engineer sees is what the relay gets: open entries, reloads,
// transfers that fail and files that already exist, through the whole window.

namespace {

const QString App = QStringLiteral("VI_TZLConfigurator");
const QString SaveQuestion =
    QStringLiteral("Do you want to save the configuration changes?|TZL Configurator");
constexpr int OverVolts = 1;
constexpr int SystemTabIndex = 18;
constexpr int MeasurementsTabIndex = 19;

using Command = std::function<void(frmMain&)>;

struct Session : MainWindow
{
    using MainWindow::MainWindow;
    QTemporaryDir Folder;

    // 415 V, relay 1 an Over Volts trip at 456.5 V.
    frmMain& StartAt415Volts()
    {
        Store.SaveSetting(App, QStringLiteral("Options"), QStringLiteral("WorkDirectory"),
                          Folder.path());
        frmMain& w = Start();
        w.Device().SetSystemVolts(415.0f);
        w.Device().SetTripFunction(1, OverVolts);
        float tripPoint = 456.5f;
        w.Device().SetTripParameterValue(1, 1, tripPoint);
        return w;
    }
    QLineEdit* Volts() const { return Child<QLineEdit>(*Window, "txtSystemVolts"); }
    QLineEdit* TripPoint() const { return Child<QLineEdit>(*Window, "txtTripParameter0"); }
    QComboBox* Current() const { return Child<QComboBox>(*Window, "cboSystemCurrent"); }
    QString Modified() const { return Panel("modified"); }
    float TripPointOf(std::int16_t relay) const
    {
        return Window->Device().TripData.ParameterValue(relay, 1);
    }
    // Types over a box's text without Enter, leaving the caret at `caret`.
    static void TypeWithoutEnter(QLineEdit* box, const QString& text, int caret)
    {
        box->selectAll();
        QTest::keyClicks(box, text);
        box->setCursorPosition(caret);
    }
    // The configuration in memory written to a file of the folder.
    QString SaveFile(const QString& name)
    {
        const QString path = QDir(Folder.path()).filePath(name);
        Window->Device().SaveConfigToFile(path);
        return path;
    }
};

} // namespace

class tst_WhatYouSeeIsSent : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // 1245 typed over 415 with the caret left after "12": a command the user
    // gives commits all he typed, and every trip based on volts follows by
    // 1245 / 415 before anything is sent, saved or shown.
    void CommandCommitsWholeEntry()
    {
        const Command commands[] = {
            [](frmMain& w) { Child<QTabBar>(w, "TabStrip1")->setCurrentIndex(0); },
            [](frmMain& w) { w.Menus().mnuitmSendConfig->trigger(); },
            [](frmMain& w) { w.Menus().mnuitmCompareConfig->trigger(); },
            [](frmMain& w) { w.Menus().MnuitmSaveAs->trigger(); },
            [](frmMain& w) { w.Menus().mnuitmPrint->trigger(); }};
        for (const Command& command : commands) {
            Session c;
            frmMain& w = c.StartAt415Volts();
            c.Tabs()->setCurrentIndex(SystemTabIndex);
            Session::TypeWithoutEnter(c.Volts(), QStringLiteral("1245"), 2);
            command(w);
            // Committed by the command itself: the tab change below would
            // commit the entry too, and a deferred transfer reads the model later.
            QCOMPARE(w.Device().SystemVolts(), 1245.0f);
            QCOMPARE(c.TripPointOf(1), 1369.5f);
            c.Tabs()->setCurrentIndex(0);
            QCOMPARE(c.TripPoint()->text(), QStringLiteral("1,369.50"));
            QCOMPARE(c.Modified(), QStringLiteral("Data Modified"));
        }
    }

    // The user's own commit, with Enter, still cuts at the caret.
    void EnterCutsAtCaret()
    {
        Session c;
        frmMain& w = c.StartAt415Volts();
        c.Tabs()->setCurrentIndex(SystemTabIndex);
        Session::TypeWithoutEnter(c.Volts(), QStringLiteral("8305"), 3);
        QTest::keyClick(c.Volts(), Qt::Key_Return);
        QCOMPARE(w.Device().SystemVolts(), 830.0f);
        c.Tabs()->setCurrentIndex(0);
        QCOMPARE(c.TripPoint()->text(), QStringLiteral("913.00"));
    }

    // A wheel notch over a list the user did not pick changes nothing.
    void WheelPassesOverLists()
    {
        Session c;
        frmMain& w = c.StartAt415Volts();
        c.Tabs()->setCurrentIndex(0);
        auto* function = Child<QComboBox>(w, "cboTripFn");
        for (QComboBox* list : {function, c.Current()}) {
            c.Tabs()->setCurrentIndex(list == function ? 0 : SystemTabIndex);
            QWheelEvent wheel(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(list, &wheel);
        }
        QCOMPARE(w.Device().TripData.FunctionNumber(1), OverVolts);
        QCOMPARE(c.TripPointOf(1), 456.5f);
        QCOMPARE(w.Device().SystemCurrent(), 5.0f);
        QCOMPARE(c.Modified(), QString());
    }

    // The arrow keys step the current from the value shown, whatever entry
    // of the list was chosen last.
    void CurrentStepsFromValueShown()
    {
        const struct
        {
            float Shown;
            Qt::Key Key;
            float Stepped;
        } rows[] = {{175.0f, Qt::Key_Down, 200.0f}, // between entries
                    {175.0f, Qt::Key_Up, 150.0f},
                    {1000.0f, Qt::Key_Down, 1500.0f}, // an entry
                    {4000.0f, Qt::Key_Down, 4000.0f}, // the last entry
                    {1.0f, Qt::Key_Up, 1.0f}};        // below the first
        for (const auto& row : rows) {
            Session c;
            frmMain& w = c.StartAt415Volts();
            c.Tabs()->setCurrentIndex(SystemTabIndex);
            w.Device().SetSystemCurrent(50.0f); // an entry of the list, shown earlier
            w.ShowTab(19);
            w.Device().SetSystemCurrent(row.Shown);
            w.ShowTab(19);
            QTest::keyClick(c.Current(), row.Key);
            QCOMPARE(w.Device().SystemCurrent(), row.Stepped);
            QCOMPARE(c.Current()->currentText().toFloat(), w.Device().SystemCurrent());
        }
    }

    // Text typed into a box counts for the save question before a reload.
    // No: every box shows the new configuration; Cancel keeps everything,
    // with no file dialog.
    void ReloadAsksFirst()
    {
        const Command open = [](frmMain& w) { w.Menus().mnuitmOpen->trigger(); };
        const Command recent = [](frmMain& w) { w.Menus().mnuitmRUFile[0]->trigger(); };
        const Command renew = [](frmMain& w) { w.Menus().mnuitmNew->trigger(); };
        const struct
        {
            Command Reload;
            MsgResult Answer;
            // Relay 1's after the reload; kept, the 500 V typed is 498 V, the
            // nearest step of the trip point.
            float TripPoint;
            int FileDialogs; // the first open's included
        } rows[] = {{open, MsgResult::No, 456.5f, 2},
                    {recent, MsgResult::No, 456.5f, 1},
                    {renew, MsgResult::No, 0.0f, 1},
                    {open, MsgResult::Cancel, 498.0f, 1},
                    {recent, MsgResult::Cancel, 498.0f, 1}};
        for (const auto& row : rows) {
            Session c;
            frmMain& w = c.StartAt415Volts();
            c.Dialogs.QueueAnswer(c.SaveFile(QStringLiteral("plant.tcf")));
            w.Menus().mnuitmOpen->trigger();
            c.Dialogs.QueueAnswer(c.SaveFile(QStringLiteral("plant.tcf")));
            c.Tabs()->setCurrentIndex(0);
            Session::TypeWithoutEnter(c.TripPoint(), QStringLiteral("500"), 3);
            c.Link.UI().QueueAnswer(row.Answer);
            row.Reload(w);
            QCOMPARE(c.Messages(), QStringList{SaveQuestion});
            QCOMPARE(int(c.Dialogs.Requests().size()), row.FileDialogs);
            QCOMPARE(c.TripPointOf(1), row.TripPoint);
            c.Tabs()->setCurrentIndex(SystemTabIndex); // a commit would store the box now
            QCOMPARE(c.TripPointOf(1), row.TripPoint);
            QCOMPARE(c.Modified(),
                     row.Answer == MsgResult::Cancel ? QStringLiteral("Data Modified") : QString());
        }
    }

    // Values outside their limits are set back and reported when the
    // configuration is loaded, whichever tab is shown.
    void OutOfLimitValuesReportedOnLoad()
    {
        Session c;
        frmMain& w = c.StartAt415Volts();
        w.Device().TripData.SetParameterValue(1, 1, 12100.0f);
        c.Dialogs.QueueAnswer(c.SaveFile(QStringLiteral("wrong.tcf")));
        w.SetDataModified(false);
        c.Tabs()->setCurrentIndex(MeasurementsTabIndex);
        w.Menus().mnuitmOpen->trigger();
        QCOMPARE(c.Messages().size(), 1);
        QVERIFY2(c.Messages()[0].contains(QStringLiteral("Relay 1 \"Relay Trip 1\" Trip Point: "
                                                         "12100 V is outside")),
                 qPrintable(c.Messages()[0]));
        QVERIFY(c.TripPointOf(1) <= 415.0f * 1.3f);
        QCOMPARE(c.Modified(), QStringLiteral("Data Modified"));
    }

    // An upload that fails part-way leaves the configuration, its name and
    // its modified mark as they were.
    void FailedUploadChangesNothing()
    {
        Session c;
        frmMain& w = c.StartAt415Volts();
        c.Dialogs.QueueAnswer(c.SaveFile(QStringLiteral("plant.tcf")));
        w.Menus().mnuitmOpen->trigger();
        const ConfigSnapshot before = w.Device().Snapshot();
        const QString title = w.windowTitle();
        c.Link.Relay().SetSystemVolts(11000.0f);
        c.Link.Faults().Clear();
        c.Link.Faults().ScheduleAt(14, SimFault::NoAnswer()); // among the trips
        w.Menus().mnuitmRequestConfig->trigger();
        c.Tick();
        QVERIFY(!c.Messages().isEmpty()); // the link said why
        const ConfigSnapshot after = w.Device().Snapshot();
        QCOMPARE(after.SystemVolts, before.SystemVolts);
        QVERIFY(after.Trips == before.Trips);
        QCOMPARE(w.windowTitle(), title);
        QCOMPARE(c.Modified(), QString());
        QVERIFY(!w.ConfigUploaded());
    }

    // Two relays on Com1 at slave 1 both save as Com1_Node1: a Save after an
    // upload asks before it writes over a file that is not its own; Yes
    // replaces it, No offers Save As.
    void SaveAfterUploadAsksBeforeReplacing()
    {
        for (const bool replaced : {true, false}) {
            Session c;
            frmMain& w = c.StartAt415Volts();
            const QString existing = QDir(c.Folder.path()).filePath(QStringLiteral("Com1_Node1"));
            QFile file(existing);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("the other relay's settings\n");
            file.close();
            w.SetDataModified(false);
            w.Menus().mnuitmRequestConfig->trigger();
            c.Tick();
            QCOMPARE(w.CurrentFileName(), QStringLiteral("Com1_Node1"));
            c.Link.UI().QueueAnswer(replaced ? MsgResult::Yes : MsgResult::No);
            w.Menus().MnuitmSave->trigger();
            QCOMPARE(c.Messages().size(), 1);
            QVERIFY(c.Messages()[0].contains(QStringLiteral("already exists")));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll() != "the other relay's settings\n", replaced);
            file.close();
            QCOMPARE(c.Dialogs.Requests().size(), replaced ? 0 : 1);
            if (replaced) { // its own file now: the next Save asks nothing
                w.Menus().MnuitmSave->trigger();
                QCOMPARE(c.Messages().size(), 1);
            }
        }
    }

    // An entry typed and not committed counts at Exit.
    void ExitCountsOpenEntry()
    {
        Session c;
        c.StartAt415Volts();
        c.Window->SetDataModified(false);
        c.Tabs()->setCurrentIndex(SystemTabIndex);
        Session::TypeWithoutEnter(c.Volts(), QStringLiteral("11000"), 5);
        c.Link.UI().QueueAnswer(MsgResult::Cancel);
        QVERIFY(!c.Close());
        QCOMPARE(c.Messages(), QStringList{SaveQuestion});
    }

    // The transfer goes to the relay the Node box shows, typed or not, and
    // the box stays with it until the transfer has run.
    void NodeFollowedAndLockedDuringTransfer()
    {
        Session c(7);
        frmMain& w = c.Start();
        auto* node = Child<QLineEdit>(w, "txtSlaveID");
        Session::TypeWithoutEnter(node, QStringLiteral("7"), 0);
        w.Menus().mnuitmRequestConfig->trigger();
        QVERIFY(!node->isEnabled());
        c.Tick();
        QVERIFY(node->isEnabled());
        QCOMPARE(w.SlaveID(), std::int16_t(7));
        QCOMPARE(w.CurrentFileName(), QStringLiteral("Com1_Node7"));
        QCOMPARE(c.Messages(), QStringList());
    }
};

QTEST_MAIN(tst_WhatYouSeeIsSent)
#include "tst_WhatYouSeeIsSent.moc"
