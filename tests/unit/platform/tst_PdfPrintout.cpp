// Both printouts through the Qt printer into PDF files, read back with
// poppler's pdftotext: the texts as a reader sees them, and every line inside
// the printable area of its page.

#include "FakeClock.h"
#include "PdfText.h"
#include "SimulatedLink.h"
#include "model/cTZL.h"
#include "platform/QtPrinter.h"
#include "trips/cConfigFile.h"

#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QDateTime At(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

struct Word
{
    int Page;
    double Left;
    double Bottom;
    QString Text;
};

// Every word with its page, left and bottom edges (points from the top left
// corner of the page), as pdftotext's bounding-box output gives them.
QList<Word> Words(const QString& path)
{
    static const QRegularExpression tag(QStringLiteral(
        R"re(<(page)\b|<word xMin="([0-9.]+)" yMin="[0-9.]+" xMax="[0-9.]+" yMax="([0-9.]+)">([^<]*)<)re"));
    QList<Word> words;
    int page = 0;
    const QString html = PdfText(path, {QStringLiteral("-bbox")});
    for (auto match = tag.globalMatch(html); match.hasNext();) {
        const auto m = match.next();
        if (!m.captured(1).isEmpty())
            ++page;
        else
            words.append({page, m.captured(2).toDouble(), m.captured(3).toDouble(),
                          m.captured(4).normalized(QString::NormalizationForm_KC)});
    }
    return words;
}

// The left edge of the phrase of two words, -1 when it is not there.
double LeftOf(const QList<Word>& words, const QString& first, const QString& second)
{
    for (qsizetype i = 0; i + 1 < words.size(); ++i)
        if (words[i].Text == first && words[i + 1].Text == second)
            return words[i].Left;
    return -1.0;
}

// The lines that hold text, in order, blanks made single.
QStringList TextLines(const QString& text)
{
    QStringList lines = SimplifiedLines(text);
    lines.removeAll(QString());
    return lines;
}

// True when the wanted lines occur in this order, each as a whole line.
bool InOrder(const QStringList& lines, const QStringList& wanted)
{
    qsizetype from = 0;
    for (const QString& line : wanted) {
        from = lines.indexOf(line, from);
        if (from < 0)
            return false;
        ++from;
    }
    return true;
}

class Fixture
{
public:
    Fixture()
    {
        Link.SetTimeouts(SimulatedLink::TestResponseTimeoutMs, 1);
        Pdf.setOutputFormat(QPrinter::PdfFormat);
        Pdf.setOutputFileName(Path);
    }

    SimulatedLink Link;
    FakeClock Clock;
    cTZL Device{Link.Modbus(), Link.UI(), Clock};
    QTemporaryDir Dir;
    QString Path = Dir.filePath(QStringLiteral("printout.pdf"));
    QPrinter Pdf{QPrinter::HighResolution};
};

// The words lie within the printable area, and every page but the last is
// filled to within a few lines of its bottom.
void CheckPageFlow(const Fixture& f, double fillPoints)
{
    const double bottom = f.Pdf.pageLayout().paintRect(QPageLayout::Point).bottom();
    const QList<Word> words = Words(f.Path);
    QVERIFY(!words.isEmpty());
    const int pages = words.last().Page;
    QVERIFY2(pages >= 2, "the printout should need more than one page");
    QList<double> lowest(pages + 1, 0.0);
    for (const Word& word : words) {
        QVERIFY2(word.Bottom <= bottom + 0.5, qPrintable(QString::number(word.Page)));
        lowest[word.Page] = std::max(lowest[word.Page], word.Bottom);
    }
    for (int page = 1; page < pages; ++page)
        QVERIFY2(lowest[page] > bottom - fillPoints, qPrintable(QString::number(page)));
}

} // namespace

class tst_PdfPrintout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!PdfToTextAvailable())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    }

    void ConfigurationPrintout()
    {
        Fixture f;
        ConfigFileData data;
        data.SystemType = 2.0f;
        data.SystemVolts = 11000.0f;
        data.SystemCurrent = 500.0f;
        for (int relay = 1; relay <= 15; ++relay)
            data.Trips[relay - 1].Name = QStringLiteral("Relay Trip %1").arg(relay);
        data.Trips[15] = {"Bus over volts", 1, 4 | 8, 0, {1234.5f, 0.05f, 2.0f}};
        const QString file = f.Dir.filePath(QStringLiteral("site.tcf"));
        QVERIFY(cConfigFile(f.Link.UI()).Save(file, data));
        QVERIFY(f.Device.LoadConfigFromFile(file));

        QtPrinter printer(f.Pdf);
        QVERIFY(f.Device.PrintConfig(printer));

        const QStringList lines = TextLines(PdfText(f.Path));
        QVERIFY2(InOrder(lines, {"TZL Protection Relay",
                                 "Primary VT Value : 11000.00 Volts",
                                 "Primary CT Value : 500.00 Amps",
                                 "System Type : 3 Phase 3 Wire System",
                                 "Relay Configuration",
                                 "Relay Number 1",
                                 "Trip Name : Relay Trip 1",
                                 "Trip Function : (UnUsed)",
                                 "Parameters",
                                 "Trip Mode",
                                 "Latched : No",
                                 "Alarm : No",
                                 "Fail Safe : No",
                                 "Logged : No",
                                 "Relay Number 16",
                                 "Trip Name : Bus over volts",
                                 "Trip Function : Over Volts (ANSI 59)",
                                 "Parameters",
                                 "Trip Point : 1234.50 V",
                                 "Differential : 0.05 V",
                                 "Time Delay : 2.00 Sec",
                                 "Trip Mode",
                                 "Latched : Yes",
                                 "Alarm : No",
                                 "Fail Safe : No",
                                 "Logged : Yes"}),
                 qPrintable(lines.join(u'\n')));
        QCOMPARE(lines.count(QStringLiteral("Trip Mode")), 16);
        // Bold headings and plain lines at the same tab column start together.
        const QList<Word> words = Words(f.Path);
        const double column10 = LeftOf(words, "Primary", "VT");
        QVERIFY(column10 > 0.0);
        QCOMPARE(LeftOf(words, "Relay", "Configuration"), column10);
        QCOMPARE(LeftOf(words, "Relay", "Number"), column10);
        QCOMPARE(LeftOf(words, "Trip", "Name"), column10);
        QVERIFY(LeftOf(words, "TZL", "Protection") < column10);
        CheckPageFlow(f, 4 * 11.0);
    }

    void EventLogPrintout()
    {
        Fixture f;
        std::vector<RelayEvent> events;
        for (int n = 1; n <= 50; ++n)
            events.push_back({n, n == 2 ? 0 : 7, At(2026, 3, 15, 13, 5, 9).addDays(n)});
        f.Link.Relay().SetEvents(events);
        QVERIFY(f.Device.EventLog.Upload(f.Link.SlaveID()));

        QtPrinter printer(f.Pdf);
        QVERIFY(f.Device.EventLog.LogPrint(printer));

        const QStringList lines = TextLines(PdfText(f.Path));
        QVERIFY2(InOrder(lines, {"EVENT LOG ~ TZL Configurator", "Event No. Time Date Relay No.",
                                 "1 13:05:09 Monday, 16 March 2026 7",
                                 "2 13:05:09 Tuesday, 17 March 2026 0",
                                 "50 13:05:09 Monday, 4 May 2026 7"}),
                 qPrintable(lines.join(u'\n')));
        CheckPageFlow(f, 3 * 15.0);
    }

    void UnwritableFileFails()
    {
        QTemporaryDir dir;
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(dir.filePath(QStringLiteral("no/such/folder/printout.pdf")));
        SimulatedLink link;
        FakeClock clock;
        cTZL device(link.Modbus(), link.UI(), clock);
        QtPrinter printer(pdf);
        QVERIFY(!device.PrintConfig(printer));
    }
};

QTEST_MAIN(tst_PdfPrintout)
#include "tst_PdfPrintout.moc"
