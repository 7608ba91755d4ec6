// The configuration and event-log printouts on the recording printer: the
// exact lines, their columns, fonts and positions (golden files), and how
// they flow over pages and fit their columns in any locale.

#include "Golden.h"
#include "RecordingPrinter.h"
#include "RelayBench.h"
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

struct Fixture : RelayBench
{
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

    cTZL Device{Link.Modbus(), Link.UI(), Clock};
    QTemporaryDir Dir;
};

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

    // As cleared, on pages of 1234 units; a 3-wire system with a parameter
    // value of each kind and each trip mode (three parameters of Over Volts'
    // three: the fourth slot is not its); the head of a type-4 file.
    void ConfigurationPrintouts()
    {
        Fixture f;
        f.Device.ConfigClear();
        RecordingPrinter cleared(1234.0);
        QVERIFY(f.Device.PrintConfig(cleared));
        QCOMPARE(cleared.EndDocCalls(), 1);

        ConfigSnapshot data;
        data.SystemType = 2.0f;
        data.SystemVolts = 11000.0f;
        data.SystemCurrent = 0.5f;
        const std::pair<float, int> rows[] = {
            {1234.5f, 1}, {0.05f, 2}, {0.0f, 4}, {123456.78f, 8}, {99.995f, 15}};
        for (int i = 0; i < 5; ++i)
            data.Trips[std::size_t(i)] = {"Bus over volts",
                                          OverVolts,
                                          std::uint8_t(rows[i].second),
                                          0,
                                          {rows[i].first, 0.05f, 2.0f, 7.0f}};
        QVERIFY(f.Load(data));
        RecordingPrinter loaded;
        QVERIFY(f.Device.PrintConfig(loaded));

        data.SystemType = 4.0f;
        QVERIFY(f.Load(data));
        RecordingPrinter fourWire;
        QVERIFY(f.Device.PrintConfig(fourWire));
        TZL_COMPARE_GOLDEN(QStringLiteral("config-printouts.txt"),
                           QStringLiteral("# cleared, pages of 1234\n") + cleared.Dump()
                               + QStringLiteral("# 3-wire, relays 1 to 5 over volts\n")
                               + loaded.Dump() + QStringLiteral("# type 4 from a file, head\n")
                               + fourWire.Dump().section(u'\n', 0, 10) + u'\n');
    }

    // Fonts 16 and 12: "WWW" is 48 wide and a line 32 high; each column
    // starts three blanks after the longest text of the one before it (the
    // longest date of the user's format), each event after an empty line.
    void EventLogPrintouts()
    {
        Fixture f;
        QVERIFY(f.UploadEvents({}));
        RecordingPrinter empty;
        QVERIFY(f.Device.EventLog.LogPrint(empty));
        QCOMPARE(empty.EndDocCalls(), 1);
        std::vector<RelayEvent> events = FullLog();
        events.back().Relay = 0; // event 1 names no relay and is listed all the same
        QVERIFY(f.UploadEvents(events));
        RecordingPrinter full(700.0);
        QVERIFY(f.Device.EventLog.LogPrint(full));
        TZL_COMPARE_GOLDEN(QStringLiteral("event-log-printouts.txt"),
                           QStringLiteral("# empty\n") + empty.Dump()
                               + QStringLiteral("# fifty events, pages of 700\n") + full.Dump());
    }

    void DateAndTimeColumnsFitTheLongestTexts()
    {
        for (const QLocale& locale :
             {QLocale(QLocale::English, QLocale::UnitedKingdom),
              QLocale(QLocale::English, QLocale::UnitedStates), // a 12-hour clock
              QLocale(QLocale::German, QLocale::Germany),
              QLocale(QLocale::French, QLocale::France)}) {
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
                    QVERIFY2(item.X + printer.TextWidth(item.Text) + gap
                                 <= line.Items.at(column + 1).X,
                             qPrintable(locale.name() + u' ' + item.Text));
                }
            }
        }
    }

    // Where a page ends exactly, and lines or headings that do not fit; the
    // goldens above hold ordinary page breaks of both printouts.
    void PagesBreakOnlyBetweenLines()
    {
        const std::tuple<bool, double, int> cases[] = {
            // event log, or configuration; page height; lines on the first page
            {false, 990.0, 55}, // at 9 points a configuration line is 18 high
            {false, 989.9, 54}, // the 55th would cross the bottom
            {false, 10.0, 1},   // lines taller than the page
            // The title (y 32) and headings (y 96) take the first 120 units.
            {true, 120.0, 2}};
        for (const auto& [eventLog, pageHeight, firstPageLines] : cases)
            CheckPageBreaks(eventLog, pageHeight, firstPageLines);
    }

private:
    static void CheckPageBreaks(bool eventLog, double pageHeight, int firstPageLines)
    {
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
        QCOMPARE(onFirstPage, firstPageLines);
        QVERIFY(lines.last().Page > 1);
    }
};

QTEST_GUILESS_MAIN(tst_Printouts)
#include "tst_Printouts.moc"
