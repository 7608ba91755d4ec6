// The configuration and event-log printouts on the recording printer: the
// exact lines, their columns and positions, and how they flow over pages.

#include "FakeClock.h"
#include "RecordingPrinter.h"
#include "SimulatedLink.h"
#include "model/cTZL.h"
#include "trips/cConfigFile.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace {

QDateTime At(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

// Over Volts: trip point (V), differential (V), time delay (Sec).
constexpr std::uint8_t OverVolts = 1;

struct Fixture
{
    Fixture() { Link.SetTimeouts(SimulatedLink::TestResponseTimeoutMs, 1); }

    // Loads a configuration as a file brings it, system type and all.
    bool Load(const ConfigSnapshot& data)
    {
        const QString path = Dir.filePath(QStringLiteral("site.tcf"));
        return cConfigFile(Link.UI()).Save(path, data) && Device.LoadConfigFromFile(path);
    }
    bool UploadEvents(const std::vector<RelayEvent>& events)
    {
        Link.Relay().SetEvents(events);
        return Device.EventLog.Upload(Link.SlaveID());
    }

    SimulatedLink Link;
    FakeClock Clock;
    cTZL Device{Link.Modbus(), Link.UI(), Clock};
    QTemporaryDir Dir;
};

QStringList RelaySection(int relay, const QString& name, const QString& function,
                         const QStringList& parameters, const QStringList& modes)
{
    QStringList lines{"",
                      "",
                      QStringLiteral("*10:Relay Number %1").arg(relay),
                      "",
                      "10:Trip Name|35::|38:" + name,
                      "10:Trip Function|35::|38:" + function,
                      "",
                      "10:Parameters",
                      "1: "};
    lines << parameters << ""
          << "10:Trip Mode"
          << "";
    const QStringList names{"Latched", "Alarm", "Fail Safe", "Logged"};
    for (int i = 0; i < names.size(); ++i)
        lines << QStringLiteral("15:%1|35::|38:%2").arg(names[i], modes.value(i, "No"));
    return lines;
}

QStringList Header(const QString& volts, const QString& amps, const QString& system)
{
    return {"",
            "",
            "*5:TZL Protection Relay",
            "",
            "",
            "10:Primary VT Value|35::|38:" + volts + "|53:Volts",
            "10:Primary CT Value|35::|38:" + amps + "|53:Amps",
            "10:System Type|35::|38:" + system,
            "",
            "",
            "*10:Relay Configuration"};
}

// The lines of the printout that belong to one relay's section.
QStringList SectionOf(const QStringList& printed, int relay)
{
    const qsizetype start = printed.indexOf(QStringLiteral("*10:Relay Number %1").arg(relay));
    const qsizetype end = printed.indexOf(QStringLiteral("*10:Relay Number %1").arg(relay + 1));
    return start < 0 ? QStringList{} : printed.mid(start, end < 0 ? -1 : end - start - 2);
}

std::vector<RelayEvent> FullLog()
{
    // Ten months of dates on every weekday, so long names of days and months
    // come up.
    std::vector<RelayEvent> events;
    for (int n = 50; n >= 1; --n)
        events.push_back(
            {n, (n % 16) + 1, At(2000, 1, 22, 0, 0, 0).addDays(n * 6).addSecs(n * 3599)});
    return events;
}

} // namespace

class tst_Printouts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }

    void ClearedConfigurationLineByLine()
    {
        Fixture f;
        f.Device.ConfigClear();
        RecordingPrinter printer;
        QVERIFY(f.Device.PrintConfig(printer));

        QStringList expected = Header("110.00", "5.00", "3 Phase 4 Wire System");
        for (int relay = 1; relay <= 16; ++relay)
            expected << RelaySection(relay, QStringLiteral("Relay Trip %1").arg(relay), "(UnUsed)",
                                     {}, {});
        QCOMPARE(printer.ColumnTexts(), expected);
        QCOMPARE(printer.EndDocCalls(), 1);
        for (const RecordingPrinter::Line& line : printer.Lines())
            QCOMPARE(line.FontSize, 9.0);
    }

    void SystemTypes_data()
    {
        QTest::addColumn<float>("type");
        QTest::addColumn<QString>("text");
        QTest::newRow("2 is 3-wire") << 2.0f << "3 Phase 3 Wire System";
        QTest::newRow("4 from a file") << 4.0f << "3 Phase 4 Wire System";
    }

    void SystemTypes()
    {
        QFETCH(float, type);
        QFETCH(QString, text);
        Fixture f;
        ConfigSnapshot data;
        data.SystemType = type;
        data.SystemVolts = 11000.0f;
        data.SystemCurrent = 0.5f;
        QVERIFY(f.Load(data));
        RecordingPrinter printer;
        QVERIFY(f.Device.PrintConfig(printer));
        QCOMPARE(printer.ColumnTexts().mid(0, 11), Header("11000.00", "0.50", text));
    }

    void ParameterValuesAndFlags_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QStringList>("modes");
        QTest::newRow("1234.5, fail safe")
            << 1234.5f << "1234.50" << 1 << QStringList{"No", "No", "Yes", "No"};
        QTest::newRow("0.05, alarm")
            << 0.05f << "0.05" << 2 << QStringList{"No", "Yes", "No", "No"};
        QTest::newRow("0, latched") << 0.0f << "0.00" << 4 << QStringList{"Yes", "No", "No", "No"};
        QTest::newRow("no grouping, logged")
            << 123456.78f << "123456.78" << 8 << QStringList{"No", "No", "No", "Yes"};
        QTest::newRow("rounds up, all")
            << 99.995f << "100.00" << 15 << QStringList{"Yes", "Yes", "Yes", "Yes"};
    }

    void ParameterValuesAndFlags()
    {
        QFETCH(float, value);
        QFETCH(QString, text);
        QFETCH(int, flags);
        QFETCH(QStringList, modes);
        Fixture f;
        ConfigSnapshot data;
        data.Trips[4] = {
            "Bus over volts", OverVolts, std::uint8_t(flags), 0, {value, 0.05f, 2.0f, 7.0f}};
        QVERIFY(f.Load(data));
        RecordingPrinter printer;
        QVERIFY(f.Device.PrintConfig(printer));
        const QStringList printed = printer.ColumnTexts();
        // Three parameters of the function's three; the fourth slot is not its.
        QCOMPARE(SectionOf(printed, 5), RelaySection(5, "Bus over volts", "Over Volts (ANSI 59)",
                                                     {"15:Trip Point|35::|38:" + text + "|53:V",
                                                      "15:Differential|35::|38:0.05|53:V",
                                                      "15:Time Delay|35::|38:2.00|53:Sec"},
                                                     modes)
                                            .mid(2));
    }

    void EmptyEventLogPrintsTitleAndHeadings()
    {
        Fixture f;
        QVERIFY(f.UploadEvents({}));
        RecordingPrinter printer;
        QVERIFY(f.Device.EventLog.LogPrint(printer));
        QCOMPARE(printer.EndDocCalls(), 1);
        const QList<RecordingPrinter::Line>& lines = printer.Lines();
        QCOMPARE(lines.size(), 2);
        // At 16 points "WWW" is 48 wide and a line 32 high: the title goes one
        // line down and the headings a line below the title's end.
        QVERIFY(lines[0].FontSize == 16.0 && !lines[0].Bold && lines[0].Y == 32.0);
        QCOMPARE(lines[0].Items.size(), 1);
        QCOMPARE(lines[0].Items[0].X, 48.0);
        QCOMPARE(lines[0].Items[0].Text, QStringLiteral("EVENT LOG ~ TZL Configurator"));
        QVERIFY(lines[1].FontSize == 12.0 && lines[1].Bold && lines[1].Y == 96.0);
        // A character is 12 wide. Time starts after "Event No." and three blanks,
        // Date after three blanks and "HH:mm:ss", Relay No. after three blanks and
        // "Wednesday, 27 September 2000", the longest date of the user's format.
        QList<double> x;
        QStringList texts;
        for (const PrintItem& item : lines[1].Items) {
            x << item.X;
            texts << item.Text;
        }
        QCOMPARE(texts, (QStringList{"Event No.", "Time", "Date", "Relay No."}));
        QCOMPARE(x, (QList<double>{48.0, 48.0 + 12 * 12, 192.0 + 11 * 12, 324.0 + 31 * 12}));
    }

    void FullEventLogListsEveryEvent()
    {
        Fixture f;
        std::vector<RelayEvent> events = FullLog();
        events.back().Relay = 0; // event 1 names no relay and is listed all the same
        QVERIFY(f.UploadEvents(events));
        RecordingPrinter printer;
        QVERIFY(f.Device.EventLog.LogPrint(printer));

        // Below the headings (y 96, 24 high) each event skips an empty line.
        const QList<RecordingPrinter::Line>& lines = printer.Lines();
        QCOMPARE(lines.size(), 2 + 50);
        const QList<PrintItem>& headings = lines[1].Items;
        for (int n = 1; n <= 50; ++n) {
            const RecordingPrinter::Line& line = lines[1 + n];
            QCOMPARE(line.Y, 96.0 + 24.0 + 24.0 + 48.0 * (n - 1));
            QVERIFY(line.FontSize == 12.0 && !line.Bold);
            QCOMPARE(line.Items.size(), 4);
            QCOMPARE(line.Items[0].X, 48.0 + 9 * 12 / 2.0);
            for (int column = 1; column < 4; ++column)
                QCOMPARE(line.Items[column].X, headings[column].X);
        }
        const auto texts = [&lines](int n) {
            QStringList t;
            for (const PrintItem& item : lines[1 + n].Items)
                t << item.Text;
            return t;
        };
        QCOMPARE(texts(1), (QStringList{"1", "00:59:59", "Friday, 28 January 2000", "0"}));
        QCOMPARE(texts(50), (QStringList{"50", "01:59:10", "Sunday, 19 November 2000", "3"}));
    }

    void DateAndTimeColumnsFitTheLongestTexts_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("en_GB") << QLocale(QLocale::English, QLocale::UnitedKingdom);
        QTest::newRow("en_US, 12-hour clock") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany);
        QTest::newRow("fr_FR") << QLocale(QLocale::French, QLocale::France);
    }

    void DateAndTimeColumnsFitTheLongestTexts()
    {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        Fixture f;
        QVERIFY(f.UploadEvents(FullLog()));
        RecordingPrinter printer;
        QVERIFY(f.Device.EventLog.LogPrint(printer));
        // Every time and date ends at least three blanks before the next column.
        const double gap = 3 * 12.0;
        for (const RecordingPrinter::Line& line : printer.Lines().mid(2)) {
            for (int column : {1, 2}) {
                const PrintItem& item = line.Items.at(column);
                QVERIFY2(item.X + printer.TextWidth(item.Text) + gap <= line.Items.at(column + 1).X,
                         qPrintable(item.Text));
            }
        }
    }

    void PagesBreakOnlyBetweenLines_data()
    {
        QTest::addColumn<bool>("eventLog");
        QTest::addColumn<double>("pageHeight");
        QTest::addColumn<int>("firstPageLines");
        // At 9 points a configuration line is 18 high.
        QTest::newRow("config, 55 lines end at the bottom") << false << 990.0 << 55;
        QTest::newRow("config, the 55th would cross it") << false << 989.9 << 54;
        QTest::newRow("config, A4-like") << false << 1234.0 << 68;
        QTest::newRow("config, lines taller than the page") << false << 10.0 << 1;
        // The title (y 32) and headings (y 96) take the first 120 units.
        QTest::newRow("event log") << true << 700.0 << 2 + 12;
        QTest::newRow("event log, the heading fills page 1") << true << 120.0 << 2;
    }

    void PagesBreakOnlyBetweenLines()
    {
        QFETCH(bool, eventLog);
        QFETCH(double, pageHeight);
        Fixture f;
        QVERIFY(f.UploadEvents(FullLog()));
        RecordingPrinter unpaged;
        RecordingPrinter paged(pageHeight);
        if (eventLog) {
            QVERIFY(f.Device.EventLog.LogPrint(unpaged));
            QVERIFY(f.Device.EventLog.LogPrint(paged));
        } else {
            QVERIFY(f.Device.PrintConfig(unpaged));
            QVERIFY(f.Device.PrintConfig(paged));
        }
        // Nothing lost, nothing twice, nothing reordered.
        QCOMPARE(paged.ColumnTexts(), unpaged.ColumnTexts());

        const QList<RecordingPrinter::Line>& lines = paged.Lines();
        int onFirstPage = 0;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const RecordingPrinter::Line& line = lines[i];
            const double height = paged.LineHeightAt(line.FontSize);
            onFirstPage += line.Page == 1;
            if (height <= pageHeight)
                QVERIFY2(line.Y + height <= pageHeight, qPrintable(QString::number(i)));
            if (i == 0)
                continue;
            const RecordingPrinter::Line& previous = lines[i - 1];
            if (line.Page == previous.Page)
                continue;
            // A new page begins at its top, and only once the last one had no
            // room left for the line and the empty line that may go before it.
            QCOMPARE(line.Page, previous.Page + 1);
            QCOMPARE(line.Y, 0.0);
            QVERIFY2(previous.Y + paged.LineHeightAt(previous.FontSize) + 2 * height > pageHeight,
                     qPrintable(QString::number(i)));
        }
        QTEST(onFirstPage, "firstPageLines");
        QVERIFY(lines.last().Page > 1);
    }
};

QTEST_GUILESS_MAIN(tst_Printouts)
#include "tst_Printouts.moc"
