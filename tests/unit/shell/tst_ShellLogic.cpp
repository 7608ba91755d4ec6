#include "MemorySettingsStore.h"
#include "SimulatedLink.h"

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
        QCOMPARE(cRUFList::TitleFromPath(QStringLiteral("C:\\old\\second.tcf")),
                 QStringLiteral("second.tcf"));
    }

    // Every stored setting read at start-up and written back at exit, as
    // "Section/Key=text": what cannot be used comes back as the default.
    void SettingsRoundTrip_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QStringList>("savedBack");
        const auto row = [](const char* name, const QStringList& stored, const QStringList& back) {
            QTest::newRow(name) << stored << back;
        };
        row("nothing stored", {},
            {"MainForm/Left=0", "MainForm/Top=0", "TargetTZL/SlaveID=1", "Options/AlarmDisplay=0",
             "Options/EventLogUseCurrent=0", "Options/VerifyAfterDownload=0", "Comms/Port=1",
             "Comms/Settings=9600,n,8,1", "Comms/FastResponse=0", "Modbus/WordOrder=0",
             "RUFiles/RUF1="});
        const QStringList inRange{"MainForm/Left=500",
                                  "MainForm/Top=720",
                                  "TargetTZL/SlaveID=247",
                                  "Options/AlarmDisplay=1",
                                  "Options/EventLogUseCurrent=1",
                                  "Options/VerifyAfterDownload=1",
                                  "Comms/Port=4",
                                  "Comms/Device=/dev/ttyUSB0",
                                  "Comms/Settings=19200,E,8,1",
                                  "Comms/FastResponse=1",
                                  "Modbus/WordOrder=1",
                                  "Options/WorkDirectory=/home/eng/old"};
        row("in range", inRange, inRange);
        row("lowest slave, edges at 0.9", {"TargetTZL/SlaveID=1", "MainForm/Left=900"},
            {"TargetTZL/SlaveID=1", "MainForm/Left=900"});
        row("slave 0, edges past 0.9",
            {"TargetTZL/SlaveID=0", "MainForm/Left=900.5", "MainForm/Top=721"},
            {"TargetTZL/SlaveID=1", "MainForm/Left=0", "MainForm/Top=0"});
        row("slave 248, negative edges",
            {"TargetTZL/SlaveID=248", "MainForm/Left=-20", "MainForm/Top=-0.5"},
            {"TargetTZL/SlaveID=1", "MainForm/Left=0", "MainForm/Top=0"});
        row("beyond 16 bits", {"TargetTZL/SlaveID=70000", "MainForm/Left=1e9", "Comms/Port=70000"},
            {"TargetTZL/SlaveID=1", "MainForm/Left=0", "Comms/Port=1"});
        row("not numbers",
            {"TargetTZL/SlaveID=node", "MainForm/Left=left", "Options/AlarmDisplay=yes",
             "Comms/Port=COM3", "Comms/Settings=fast", "Modbus/WordOrder=swapped"},
            {"TargetTZL/SlaveID=1", "MainForm/Left=0", "Options/AlarmDisplay=0", "Comms/Port=1",
             "Comms/Settings=9600,n,8,1", "Modbus/WordOrder=0"});
        row("fractions round half to even",
            {"TargetTZL/SlaveID=2.5", "MainForm/Left=10.5", "Options/AlarmDisplay=0.5"},
            {"TargetTZL/SlaveID=2", "MainForm/Left=10.5", "Options/AlarmDisplay=1"});
        row("other word orders are swapped", {"Modbus/WordOrder=-3", "Comms/Port=-2"},
            {"Modbus/WordOrder=1", "Comms/Port=1"});
        row("recent files close up",
            {"RUFiles/RUF1=/data/first.tcf", "RUFiles/RUF2=C:\\old\\second.tcf",
             "RUFiles/RUF4=/data/fourth.tcf"},
            {"RUFiles/RUF1=/data/first.tcf", "RUFiles/RUF2=C:\\old\\second.tcf",
             "RUFiles/RUF3=/data/fourth.tcf", "RUFiles/RUF4=", "RUFiles/RUF5="});
    }
    void SettingsRoundTrip()
    {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, savedBack);
        const auto split = [](const QString& entry) {
            return std::tuple(entry.section(u'/', 0, 0), entry.section(u'/', 1).section(u'=', 0, 0),
                              entry.section(u'=', 1));
        };
        MemorySettingsStore store;
        for (const QString& entry : stored) {
            const auto [section, key, value] = split(entry);
            store.SaveSetting(App, section, key, value);
        }
        const QSize screen(1000, 800);
        SimulatedLink link;
        cRUFList files;
        const auto window = MainWindowSettings::Restore(store, App, screen);
        link.Modbus().RestoreSettings(store, App);
        files.RestoreRUFLSettings(store, App);
        window.Save(store, App, screen, QString());
        link.Modbus().SaveSettings(store, App);
        files.SaveRUFLSettings(store, App);
        QStringList found;
        for (const QString& entry : savedBack) {
            const auto [section, key, value] = split(entry);
            found << section + u'/' + key + u'=' + store.GetSetting(App, section, key, "<absent>");
        }
        QCOMPARE(found, savedBack);
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
