// Both printouts through the Qt printer into PDF files, read back with
// poppler's pdftotext: the texts a reader sees, the tab columns, and every
// line inside the printable area of its page.

#include "FakeClock.h"
#include "PdfText.h"
#include "SimulatedLink.h"
#include "model/cTZL.h"
#include "platform/QtPrinter.h"

#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Word
{
    int Page;
    double Left;
    double Bottom; // points from the top of the page
    QString Text;
};

QList<Word> Words(const QString& path)
{
    static const QRegularExpression tag(QStringLiteral(
        R"re(<(page)\b|<word xMin="([0-9.]+)" yMin="[0-9.]+" xMax="[0-9.]+" yMax="([0-9.]+)">([^<]*)<)re"));
    QList<Word> words;
    int page = 0;
    for (auto match = tag.globalMatch(PdfText(path, {QStringLiteral("-bbox")})); match.hasNext();) {
        const auto m = match.next();
        if (!m.captured(1).isEmpty())
            ++page;
        else
            words.append({page, m.captured(2).toDouble(), m.captured(3).toDouble(),
                          m.captured(4).normalized(QString::NormalizationForm_KC)});
    }
    return words;
}

// The left edge of a phrase of two words; -1 when it is not there.
double LeftOf(const QList<Word>& words, const QString& first, const QString& second)
{
    for (qsizetype i = 0; i + 1 < words.size(); ++i)
        if (words[i].Text == first && words[i + 1].Text == second)
            return words[i].Left;
    return -1.0;
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
    void Printouts()
    {
        SimulatedLink link;
        link.SetTimeouts(SimulatedLink::TestResponseTimeoutMs, 1);
        FakeClock clock;
        cTZL device(link.Modbus(), link.UI(), clock);
        device.TripData.InitialiseTripRecord(3, 1); // over volts
        device.TripData.SetName(3, QStringLiteral("Bus over volts"));
        device.TripData.SetParameterValue(3, 1, 1234.5f);
        device.TripData.SetParameterValue(3, 2, 0.05f);
        device.TripData.SetLatchedFlag(3, true);
        std::vector<RelayEvent> events;
        for (int n = 1; n <= 50; ++n)
            events.push_back({n, n == 2 ? 0 : 7, QDateTime({2026, 3, 15}, {13, 5, 9}).addDays(n)});
        link.Relay().SetEvents(events);
        QVERIFY(device.EventLog.Upload(link.SlaveID()));
        PrintsWhole(device, false, // configuration
                    {"TZL Protection Relay", "Primary VT Value : 110.00 Volts", "Relay Number 3",
                     "Trip Name : Bus over volts", "Trip Point : 1234.50 V",
                     "Differential : 0.05 V", "Latched : Yes", "Relay Number 16", "Logged : No"},
                    // At 9 points a line is some 11 points high; two empty lines
                    // and the blank after "Parameters" may end a page.
                    4 * 11.0);
        PrintsWhole(device, true, // event log
                    {"EVENT LOG ~ TZL Configurator", "Event No. Time Date Relay No.",
                     "1 13:05:09 Monday, 16 March 2026 7", "2 13:05:09 Tuesday, 17 March 2026 0",
                     "50 13:05:09 Monday, 4 May 2026 7"},
                    // At 12 points an event and the empty line before it take 30 points.
                    2 * 15.0);
    }

private:
    // The lines in this order, each whole; fillPoints: the most a full page
    // may leave empty.
    void PrintsWhole(cTZL& device, bool eventLog, const QStringList& lines, double fillPoints)
    {
        QTemporaryDir dir;
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(dir.filePath(QStringLiteral("printout.pdf")));
        QtPrinter printer(pdf);
        QVERIFY(eventLog ? device.EventLog.LogPrint(printer) : device.PrintConfig(printer));

        // The lines in this order, each whole.
        const QStringList text = SimplifiedLines(PdfText(pdf.outputFileName()));
        qsizetype from = 0;
        for (const QString& line : lines) {
            from = text.indexOf(line, from);
            QVERIFY2(from >= 0, qPrintable(line + u'\n' + text.join(u'\n')));
        }

        // Each word inside the printable area; each page but the last filled to
        // within a few lines of its bottom, as measured in the printer's units.
        const double bottom = pdf.pageLayout().paintRect(QPageLayout::Point).bottom();
        const QList<Word> words = Words(pdf.outputFileName());
        QVERIFY(!words.isEmpty());
        const int pages = words.last().Page;
        QVERIFY(pages >= 2);
        QList<double> lowest(pages + 1, 0.0);
        for (const Word& word : words) {
            QVERIFY2(word.Bottom <= bottom + 0.5, qPrintable(word.Text));
            lowest[word.Page] = std::max(lowest[word.Page], word.Bottom);
        }
        for (int page = 1; page < pages; ++page)
            QVERIFY2(lowest[page] > bottom - fillPoints, qPrintable(QString::number(page)));

        if (!eventLog) {
            // A bold heading starts at the same tab column as the plain lines.
            const double column10 = LeftOf(words, "Primary", "VT");
            QVERIFY(column10 > 0.0);
            QCOMPARE(LeftOf(words, "Relay", "Configuration"), column10);
            QCOMPARE(LeftOf(words, "Trip", "Name"), column10);
            QVERIFY(LeftOf(words, "TZL", "Protection") < column10);
        }
    }
};

QTEST_MAIN(tst_PdfPrintout)
#include "tst_PdfPrintout.moc"
