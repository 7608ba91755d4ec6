#include "Golden.h"
#include "MemorySettingsStore.h"
#include "SimulatedLink.h"

#include "shell/MainWindowSettings.h"
#include "shell/SystemSummary.h"
#include "model/cPollingCycle.h"
#include "shell/CommitLineEdit.h"
#include "shell/TripParameterText.h"
#include "shell/cRUFList.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <tuple>

namespace {

using Step = cPollingCycle::Step;
using Block = cPollingCycle::MeasurementBlock;
const QString App = QStringLiteral("VI_TZLConfigurator");

cRUFList ListOf(const QStringList& newestFirst)
{
    cRUFList list;
    for (qsizetype i = newestFirst.size() - 1; i >= 0; --i)
        list.addfile(newestFirst[i], cRUFList::TitleFromPath(newestFirst[i]));
    return list;
}

} // namespace

// The window-free decisions of the main window: the polling tick, the recent
// files, the window's stored settings, how a typed entry becomes a value, and
// the summary a support engineer is sent (every serial device once, with the
// stable names that point at it, and where the settings and the log are).
class tst_ShellLogic : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The polling as a transcript, steps and blocks by their numbers in
    // cPollingCycle: six ticks of each window (two out of three run the
    // pending commands, the third refreshes what the tab shows, off-line
    // every tick runs the commands); a window minimised between ticks, which
    // runs nothing and stands the count still; the measurement rotation (the
    // basics four times in eight cycles, each other group once) with the
    // relay that comes with each block, which its first block starts over;
    // and the Relays tab's own relay count, which wraps after 16.
    void PollingTranscript()
    {
        // Minimised, on-line, tab, alarm display, clock shown.
        const std::pair<const char*, cPollingCycle::Window> windows[] = {
            {"off-line", {false, false, 20, false, false}},
            {"measurements", {false, true, 20, false, false}},
            {"relays", {false, true, 18, false, false}},
            {"events", {false, true, 17, false, false}},
            {"system, clock never read", {false, true, 19, false, false}},
            {"system, clock shown", {false, true, 19, false, true}},
            {"trip tab", {false, true, 1, false, false}},
            {"trip tab 16, alarm display", {false, true, 16, true, false}},
        };
        QString dump;
        for (const auto& [name, window] : windows) {
            cPollingCycle cycle;
            dump += QLatin1String(name) + u':';
            for (int tick = 0; tick < 6; ++tick)
                dump += QStringLiteral(" %1").arg(int(cycle.Tick(window)));
            dump += u'\n';
        }
        cPollingCycle cycle;
        cPollingCycle::Window window{false, true, 20, false, false};
        dump += QStringLiteral("minimised ticks 2 to 6, step/count:");
        for (const bool minimised : {false, true, true, true, true, true, false, false}) {
            window.Minimised = minimised;
            const Step step = cycle.Tick(window);
            dump += QStringLiteral(" %1/%2").arg(int(step)).arg(cycle.TickCounter());
        }
        dump += QStringLiteral("\nstatus relays:");
        for (int n = 0; n < 17; ++n)
            dump += QStringLiteral(" %1").arg(cycle.NextStatusRelay());
        dump += QStringLiteral("\nmeasurement relays %1 %2, then block/relay:")
                    .arg(cycle.NextMeasurementRelay())
                    .arg(cycle.NextMeasurementRelay());
        for (int n = 0; n < 10; ++n) {
            const Block block = cycle.NextMeasurementBlock();
            dump += QStringLiteral(" %1/%2").arg(int(block)).arg(cycle.NextMeasurementRelay());
        }
        dump += QStringLiteral("\nnext status relay %1\n").arg(cycle.NextStatusRelay());
        TZL_COMPARE_GOLDEN(QStringLiteral("polling-transcript.txt"), dump);
    }

    // The recent files as a transcript, newest first: a new file goes on top
    // and the oldest of five drops off; a listed file moves to the top with
    // the title it was listed with (a case that differs is another file);
    // removals out of range change nothing; lookups out of range find
    // nothing; a Windows path's title is its file name.
    void RecentFiles()
    {
        QString dump;
        const auto show = [&dump](const char* done, const cRUFList& list) {
            dump += QLatin1String(done) + u':';
            for (std::int16_t n = 1; n <= list.Count(); ++n)
                dump += u' ' + list.ItemPath(n) + QStringLiteral(" (") + list.ItemTitle(n) + u')';
            dump += u'\n';
        };
        const QStringList five{"/a/1.tcf", "/a/2.tcf", "/a/3.tcf", "/a/4.tcf", "/a/5.tcf"};
        for (const char* added : {"/a/6.tcf", "/a/3.tcf", "/a/5.tcf"}) {
            cRUFList list = ListOf(five);
            list.addfile(QLatin1String(added), QStringLiteral("new title"));
            show(added, list);
        }
        cRUFList list = ListOf({"/a/Plant.tcf"});
        list.addfile(QStringLiteral("/a/plant.tcf"), QStringLiteral("new title"));
        show("/a/plant.tcf", list);
        list = ListOf({"/a/1.tcf", "/a/2.tcf", "/a/3.tcf"});
        list.removeitem(0);
        list.removeitem(4);
        show("removed 0 and 4", list);
        list.removeitem(2);
        show("removed 2", list);
        dump += QStringLiteral("item 3 \"%1\", title -1 \"%2\", index of 3: %3, 2 listed %4\n")
                    .arg(list.ItemPath(3), list.ItemTitle(-1))
                    .arg(list.Index(QStringLiteral("/a/3.tcf")))
                    .arg(list.isinlist(QStringLiteral("/a/2.tcf")));
        dump += cRUFList::TitleFromPath(QStringLiteral("C:\\old\\second.tcf")) + u'\n';
        TZL_COMPARE_GOLDEN(QStringLiteral("recent-files.txt"), dump);
    }

    // Every stored setting read at start-up and written back at exit, as
    // "Section/Key=text": what cannot be used comes back as the default.
    // Each case starts from an empty store and writes every key back; the
    // work directory changes only to the folder of a file chosen in the
    // session (a Windows path's too).
    void SettingsRoundTrip()
    {
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
        struct Case
        {
            const char* Name;
            QStringList Stored;
            const char* ChosenFile = "";
        };
        const Case cases[] = {
            {"nothing stored", {}},
            {"in range", inRange},
            {"lowest slave, edges at 0.9", {"TargetTZL/SlaveID=1", "MainForm/Left=900"}},
            {"slave 0, edges past 0.9",
             {"TargetTZL/SlaveID=0", "MainForm/Left=900.5", "MainForm/Top=721"}},
            {"slave 248, negative edges",
             {"TargetTZL/SlaveID=248", "MainForm/Left=-20", "MainForm/Top=-0.5"}},
            {"beyond 16 bits",
             {"TargetTZL/SlaveID=70000", "MainForm/Left=1e9", "Comms/Port=70000"}},
            {"not numbers",
             {"TargetTZL/SlaveID=node", "MainForm/Left=left", "Options/AlarmDisplay=yes",
              "Comms/Port=COM3", "Comms/Settings=fast", "Modbus/WordOrder=swapped"}},
            {"fractions round half to even",
             {"TargetTZL/SlaveID=2.5", "MainForm/Left=10.5", "Options/AlarmDisplay=0.5"}},
            {"other word orders are swapped", {"Modbus/WordOrder=-3", "Comms/Port=-2"}},
            {"recent files close up",
             {"RUFiles/RUF1=/data/first.tcf", "RUFiles/RUF2=C:\\old\\second.tcf",
              "RUFiles/RUF4=/data/fourth.tcf"}},
            {"file chosen", {"Options/WorkDirectory=/old"}, "/home/eng/site/plant.tcf"},
            {"file chosen on Windows", {"Options/WorkDirectory=/old"}, "C:\\Configs\\plant.tcf"},
            {"file chosen at the root", {}, "/plant.tcf"},
        };
        QStringList keys;
        for (const QString& entry : inRange)
            keys << entry.section(u'=', 0, 0);
        for (int n = 1; n <= 5; ++n)
            keys << QStringLiteral("RUFiles/RUF%1").arg(n);
        QString dump;
        for (const auto& [name, stored, chosenFile] : cases) {
            MemorySettingsStore store;
            for (const QString& entry : stored)
                store.SaveSetting(App, entry.section(u'/', 0, 0),
                                  entry.section(u'/', 1).section(u'=', 0, 0),
                                  entry.section(u'=', 1));
            const QSize screen(1000, 800);
            SimulatedLink link;
            cRUFList files;
            const auto window = MainWindowSettings::Restore(store, App, screen);
            link.Modbus().RestoreSettings(store, App);
            files.RestoreRUFLSettings(store, App);
            window.Save(store, App, screen, QLatin1String(chosenFile));
            link.Modbus().SaveSettings(store, App);
            files.SaveRUFLSettings(store, App);
            dump += QStringLiteral("# %1\n").arg(QLatin1String(name));
            for (const QString& key : keys)
                dump += key + u'='
                        + store.GetSetting(App, key.section(u'/', 0, 0), key.section(u'/', 1),
                                           QStringLiteral("<absent>"))
                        + u'\n';
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("settings-round-trip.txt"), dump);
    }

    // The text an edit box hands over: cut at the caret when the user
    // commits (so moving back and pressing Enter drops the rest), whole when
    // text is selected or the program commits on his behalf; trimmed always.
    void CommittedTextByCause()
    {
        const QString name = QStringLiteral("Generator Feeder");
        QCOMPARE(CommittedText(name, 10, false, CommitCause::Enter), QStringLiteral("Generator"));
        QCOMPARE(CommittedText(name, 10, false, CommitCause::FocusLeft),
                 QStringLiteral("Generator"));
        QCOMPARE(CommittedText(name, 0, false, CommitCause::Enter), QString());
        QCOMPARE(CommittedText(name, 16, false, CommitCause::Enter), name);
        QCOMPARE(CommittedText(name, 10, true, CommitCause::Enter), name);
        QCOMPARE(CommittedText(name, 1, false, CommitCause::OnBehalf), name);
        QCOMPARE(CommittedText(QStringLiteral("  Feeder A  "), 12, false, CommitCause::Enter),
                 QStringLiteral("Feeder A"));
        QCOMPARE(CommittedText(QStringLiteral(" 60 "), 1, false, CommitCause::OnBehalf),
                 QStringLiteral("60"));
        // A context menu, a list's popup or another program takes the focus
        // for a while: the entry is neither committed nor started anew.
        for (const auto reason : {Qt::TabFocusReason, Qt::BacktabFocusReason, Qt::MouseFocusReason,
                                  Qt::OtherFocusReason})
            QVERIFY(FocusMovesBetweenControls(reason));
        QVERIFY(!FocusMovesBetweenControls(Qt::PopupFocusReason));
        QVERIFY(!FocusMovesBetweenControls(Qt::ActiveWindowFocusReason));
    }

    // Trip parameters in the user's number format, both ways: what a typed
    // text reads as ("-" for no value; beyond a single's range is infinite,
    // which the model clamps to the maximum), a value as the box and the
    // printout show it (from the single's exact value: 4096.005 reads as
    // 4096.0048828125), and a range limit (ungrouped, two to four decimals).
    void TripParameterTexts()
    {
        const QLocale before;
        QString dump;
        for (const auto language : {QLocale::English, QLocale::German}) {
            QLocale::setDefault(QLocale(language));
            dump += QLocale().name() + u'\n';
            for (const char* typed : {"121", "abc", "", "nan", "inf", "-3", "1e2", "1e60",
                                      "12,345.5", "1.26", "1.234,50", "0,5"}) {
                const auto value = ParameterValueFromText(QLatin1String(typed));
                dump += QStringLiteral("  read \"%1\": %2\n")
                            .arg(QLatin1String(typed),
                                 value ? QString::number(double(*value)) : QStringLiteral("-"));
            }
            for (const float value :
                 {132.0f, 5.5f, 120.99998f, 1.125f, 1234.5678f, 12345.5f, 4096.005f})
                dump += QStringLiteral("  show %1: %2\n")
                            .arg(double(value), 0, 'g', 8)
                            .arg(ParameterValueText(value));
            for (const float value : {5.5f, 13200.0f, 0.075f, 1.8f, 0.061725f, 1.4814f})
                dump += QStringLiteral("  limit %1: %2\n")
                            .arg(double(value), 0, 'g', 8)
                            .arg(ParameterLimitText(value));
        }
        QLocale::setDefault(before);
        TZL_COMPARE_GOLDEN(QStringLiteral("trip-parameter-texts.txt"), dump);
    }

    // Nothing found, then every serial device once with the stable names
    // that point at it, in a dev folder made here (shown as /dev), and the
    // paths. A link whose adapter has just been pulled still tells which
    // device it was.
    void SummaryNamesWhatSupportAsksFor()
    {
        QTemporaryDir dev;
        QVERIFY(dev.isValid());
        const QDir root(QFileInfo(dev.path()).canonicalFilePath());
        QVERIFY(root.mkdir(QStringLiteral("by-id")));
        for (const char* name : {"ttyS0", "ttyUSB0"}) {
            QFile node(root.filePath(QString::fromLatin1(name)));
            QVERIFY(node.open(QIODevice::WriteOnly));
        }
        const QString adapter = root.filePath(QStringLiteral("by-id/usb-FTDI_A10K-if00-port0"));
        const QString unplugged = root.filePath(QStringLiteral("by-id/usb-Prolific-port0"));
        QVERIFY(QFile::link(QStringLiteral("../ttyUSB0"), adapter));
        QVERIFY(QFile::link(root.filePath(QStringLiteral("ttyUSB1")), unplugged));

        SystemFacts facts;
        facts.ProgramVersion = QStringLiteral("1.0.0");
        facts.QtVersion = QStringLiteral("6.4.2");
        facts.OperatingSystem = QStringLiteral("Debian GNU/Linux 12");
        QString summaries = SystemSummary(facts);
        // The order SystemSerialDevices() lists them in: links, then devices.
        facts.SerialDevices =
            GroupSerialDevices({adapter, unplugged, root.filePath(QStringLiteral("ttyS0")),
                                root.filePath(QStringLiteral("ttyUSB0"))});
        facts.SettingsFile = QStringLiteral("/home/eng/.config/VI_TZLConfigurator/x.ini");
        facts.ErrorLogFolder = QStringLiteral("/home/eng/.local/share/VI_TZLConfigurator");
        facts.UserGuide = QStringLiteral("/usr/share/tzl-configurator/help/index.html");
        summaries += QStringLiteral("--\n") + SystemSummary(facts);
        summaries.replace(root.path(), QStringLiteral("/dev"));
        TZL_COMPARE_GOLDEN(QStringLiteral("system-summaries.txt"), summaries);
    }
};

QTEST_GUILESS_MAIN(tst_ShellLogic)
#include "tst_ShellLogic.moc"
