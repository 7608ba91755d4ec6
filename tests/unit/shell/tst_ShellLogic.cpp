#include "MemorySettingsStore.h"

#include "shell/MainWindowSettings.h"
#include "model/cPollingCycle.h"
#include "shell/cRUFList.h"

#include <QTest>

namespace {

using Step = cPollingCycle::Step;
using Block = cPollingCycle::MeasurementBlock;
const QString App = QStringLiteral("VI_TZLConfigurator");

QStringList Paths(const cRUFList& list)
{
    QStringList paths;
    for (std::int16_t n = 1; n <= list.Count(); ++n)
        paths << list.ItemPath(n);
    return paths;
}

cRUFList ListOf(const QStringList& newestFirst)
{
    cRUFList list;
    for (qsizetype i = newestFirst.size() - 1; i >= 0; --i)
        list.addfile(newestFirst[i], cRUFList::TitleFromPath(newestFirst[i]));
    return list;
}

} // namespace

// The window-free decisions of the main window: the polling tick, the recent
// files and the window's stored settings.
class tst_ShellLogic : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void TickByModeAndTab_data()
    {
        QTest::addColumn<bool>("onLine");
        QTest::addColumn<int>("tab");
        QTest::addColumn<bool>("displayAlarms");
        QTest::addColumn<bool>("clockShown");
        QTest::addColumn<int>("thirdTick");
        QTest::newRow("off-line") << false << 20 << false << false << int(Step::DeferredCommands);
        QTest::newRow("measurements")
            << true << 20 << false << false << int(Step::RefreshMeasurements);
        QTest::newRow("relays") << true << 18 << false << false << int(Step::RefreshRelayStatus);
        QTest::newRow("events") << true << 17 << false << false << int(Step::RefreshEventLog);
        QTest::newRow("system, clock never read")
            << true << 19 << false << false << int(Step::Nothing);
        QTest::newRow("system, clock shown")
            << true << 19 << false << true << int(Step::MaintainTime);
        QTest::newRow("trip tab") << true << 1 << false << false << int(Step::Nothing);
        QTest::newRow("trip tab 16, alarm display")
            << true << 16 << true << false << int(Step::RefreshRelayStatus);
    }
    void TickByModeAndTab()
    {
        QFETCH(bool, onLine);
        QFETCH(int, tab);
        QFETCH(bool, displayAlarms);
        QFETCH(bool, clockShown);
        cPollingCycle cycle;
        const cPollingCycle::Window window{false, onLine, tab, displayAlarms, clockShown};
        // Two ticks out of three always run the pending commands.
        for (int round = 0; round < 2; ++round) {
            QCOMPARE(cycle.Tick(window), Step::DeferredCommands);
            QCOMPARE(cycle.Tick(window), Step::DeferredCommands);
            QTEST(int(cycle.Tick(window)), "thirdTick");
        }
    }

    void MinimisedWindowStandsStill()
    {
        cPollingCycle cycle;
        cPollingCycle::Window window{false, true, 20, false, false};
        QCOMPARE(cycle.Tick(window), Step::DeferredCommands);
        window.Minimised = true;
        for (int i = 0; i < 5; ++i)
            QCOMPARE(cycle.Tick(window), Step::Nothing);
        QCOMPARE(cycle.TickCounter(), std::int16_t(1));
        window.Minimised = false;
        QCOMPARE(cycle.Tick(window), Step::DeferredCommands);
        QCOMPARE(cycle.Tick(window), Step::RefreshMeasurements);
    }

    void MeasurementRotation()
    {
        cPollingCycle cycle;
        QCOMPARE(cycle.NextMeasurementBlock(), Block::None);
        // Eight cycles a round: the basics four times, each other group once.
        const Block expected[] = {Block::Basics, Block::Averages, Block::Basics,
                                  Block::Sums,   Block::Basics,   Block::BusGen,
                                  Block::Basics, Block::Basics,   Block::Averages};
        for (Block block : expected)
            QCOMPARE(cycle.NextMeasurementBlock(), block);
    }

    void RelayCountersWrapAndRunApart()
    {
        cPollingCycle cycle;
        for (int relay = 1; relay <= 16; ++relay)
            QCOMPARE(cycle.NextStatusRelay(), std::int16_t(relay));
        QCOMPARE(cycle.NextStatusRelay(), std::int16_t(1));
        QCOMPARE(cycle.NextMeasurementRelay(), std::int16_t(1));
        QCOMPARE(cycle.NextMeasurementRelay(), std::int16_t(2));
        // The first block of a new rotation starts the relays over.
        QCOMPARE(cycle.NextMeasurementBlock(), Block::None);
        QCOMPARE(cycle.NextMeasurementRelay(), std::int16_t(1));
        QCOMPARE(cycle.NextStatusRelay(), std::int16_t(2));
    }

    void RecentFilesOrder_data()
    {
        QTest::addColumn<QStringList>("before"); // newest first
        QTest::addColumn<QString>("added");
        QTest::addColumn<QStringList>("after");
        const QStringList five{"/a/1.tcf", "/a/2.tcf", "/a/3.tcf", "/a/4.tcf", "/a/5.tcf"};
        QTest::newRow("sixth drops the oldest")
            << five << "/a/6.tcf"
            << QStringList{"/a/6.tcf", "/a/1.tcf", "/a/2.tcf", "/a/3.tcf", "/a/4.tcf"};
        QTest::newRow("third moves to the top")
            << five << "/a/3.tcf"
            << QStringList{"/a/3.tcf", "/a/1.tcf", "/a/2.tcf", "/a/4.tcf", "/a/5.tcf"};
        QTest::newRow("last moves to the top")
            << five << "/a/5.tcf"
            << QStringList{"/a/5.tcf", "/a/1.tcf", "/a/2.tcf", "/a/3.tcf", "/a/4.tcf"};
        QTest::newRow("letter case differs") << QStringList{"/a/Plant.tcf"} << "/a/plant.tcf"
                                             << QStringList{"/a/plant.tcf", "/a/Plant.tcf"};
    }
    void RecentFilesOrder()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, added);
        QFETCH(QStringList, after);
        cRUFList list = ListOf(before);
        list.addfile(added, QStringLiteral("ignored when listed"));
        QCOMPARE(Paths(list), after);
        QCOMPARE(list.Count(), std::int16_t(after.size()));
        // A listed file keeps the title it was listed with.
        QCOMPARE(list.ItemTitle(1), before.contains(added) ? cRUFList::TitleFromPath(added)
                                                           : QStringLiteral("ignored when listed"));
    }

    void RecentFilesRemoveAndBounds()
    {
        cRUFList list = ListOf({"/a/1.tcf", "/a/2.tcf", "/a/3.tcf"});
        list.removeitem(0);
        list.removeitem(4);
        QCOMPARE(list.Count(), std::int16_t(3));
        list.removeitem(2);
        QCOMPARE(Paths(list), (QStringList{"/a/1.tcf", "/a/3.tcf"}));
        QCOMPARE(list.ItemPath(3), QString());
        QCOMPARE(list.ItemTitle(-1), QString());
        QCOMPARE(list.Index(QStringLiteral("/a/3.tcf")), std::int16_t(2));
        QVERIFY(!list.isinlist(QStringLiteral("/a/2.tcf")));
    }

    void RecentFilesPersistence()
    {
        MemorySettingsStore store;
        store.SaveSetting(App, "RUFiles", "RUF1", "/data/first.tcf");
        store.SaveSetting(App, "RUFiles", "RUF2", "C:\\old\\second.tcf");
        store.SaveSetting(App, "RUFiles", "RUF4", "/data/fourth.tcf");
        cRUFList list;
        list.RestoreRUFLSettings(store, App);
        QCOMPARE(Paths(list),
                 (QStringList{"/data/first.tcf", "C:\\old\\second.tcf", "/data/fourth.tcf"}));
        QCOMPARE(list.ItemTitle(2), QStringLiteral("second.tcf"));

        MemorySettingsStore saved;
        list.SaveRUFLSettings(saved, App);
        QCOMPARE(saved.GetSetting(App, "RUFiles", "RUF3", "x"), QStringLiteral("/data/fourth.tcf"));
        QCOMPARE(saved.GetSetting(App, "RUFiles", "RUF4", "x"), QString());
        QCOMPARE(saved.GetSetting(App, "RUFiles", "RUF5", "x"), QString());
    }

    void StoredWindowSettings_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("slave");
        QTest::addColumn<QString>("option");
        QTest::addColumn<double>("restoredLeft");
        QTest::addColumn<int>("restoredSlave");
        QTest::addColumn<bool>("checked");
        const auto row = [](const char* name, QStringList stored, double left, int slave,
                            bool checked) {
            QTest::newRow(name) << stored[0] << stored[1] << stored[2] << left << slave << checked;
        };
        row("in range", {"500", "247", "1"}, 500, 247, true);
        row("at 0.9 of the width", {"900", "1", "0"}, 900, 1, false);
        row("beyond 0.9", {"900.5", "0", "0"}, 0, 1, false);
        row("negative", {"-20", "300", "0"}, 0, 1, false);
        row("not numbers", {"left", "node", "yes"}, 0, 1, false);
        row("beyond 16 bits", {"1e9", "70000", "0"}, 0, 1, false);
        row("fraction rounds half to even", {"10.5", "2.5", "1"}, 10.5, 2, true);
    }
    void StoredWindowSettings()
    {
        QFETCH(QString, left);
        QFETCH(QString, slave);
        QFETCH(QString, option);
        QFETCH(double, restoredLeft);
        QFETCH(int, restoredSlave);
        MemorySettingsStore store;
        store.SaveSetting(App, "MainForm", "Left", left);
        store.SaveSetting(App, "TargetTZL", "SlaveID", slave);
        store.SaveSetting(App, "Options", "AlarmDisplay", option);
        const QSize screen(1000, 800);
        const MainWindowSettings s = MainWindowSettings::Restore(store, App, screen);
        QCOMPARE(s.Position.x(), restoredLeft);
        QCOMPARE(s.SlaveID, std::int16_t(restoredSlave));
        QTEST(s.AlarmDisplay, "checked");

        // Written back as the rule allows, even if the window was moved off
        // the screen since.
        MainWindowSettings moved = s;
        moved.Position.setX(left.toDouble());
        moved.Save(store, App, screen, QString());
        QCOMPARE(store.GetSetting(App, "MainForm", "Left", "?"), QString::number(restoredLeft));
    }

    void WorkDirectoryOnlyWhenAFileWasChosen()
    {
        MemorySettingsStore store;
        store.SaveSetting(App, "Options", "WorkDirectory", "/home/eng/old");
        MainWindowSettings s;
        s.Save(store, App, QSize(800, 600), QString());
        QCOMPARE(store.GetSetting(App, "Options", "WorkDirectory", "?"),
                 QStringLiteral("/home/eng/old"));
        s.Save(store, App, QSize(800, 600), QStringLiteral("/home/eng/site/plant.tcf"));
        QCOMPARE(store.GetSetting(App, "Options", "WorkDirectory", "?"),
                 QStringLiteral("/home/eng/site"));
        s.Save(store, App, QSize(800, 600), QStringLiteral("C:\\Configs\\plant.tcf"));
        QCOMPARE(store.GetSetting(App, "Options", "WorkDirectory", "?"),
                 QStringLiteral("C:\\Configs"));
        QCOMPARE(MainWindowSettings::FolderOf(QStringLiteral("/plant.tcf")), QStringLiteral("/"));
    }
};

QTEST_GUILESS_MAIN(tst_ShellLogic)
#include "tst_ShellLogic.moc"
