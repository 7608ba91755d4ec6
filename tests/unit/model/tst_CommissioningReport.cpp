// The commissioning report built from readings held here, without a relay or
// a window: its text against a golden file, the settings check with and
// without a settings file, sections that could not be read, and the page
// footers of its PDF file.

#include "Golden.h"
#include "PdfText.h"
#include "model/CommissioningReport.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

namespace {

using Quantity = cTZLInputRegisters::Quantity;

// A relay in service: over volts on relay 1, a latched overcurrent on relay
// 3, an unacknowledged alarm on relay 8, three events (one for relay 0, which
// no relay has).
RelayReadings Readings()
{
    RelayReadings r;
    r.ReadAt = QDateTime(QDate(2026, 12, 7), QTime(9, 30, 0));
    r.Line = QStringLiteral("/dev/ttyUSB0 9600,N,8,1");
    r.Slave = 5;
    r.FirmwareVersion = 3.2f;
    r.PSCNumber = 1234;
    r.PSCIssue = 3;
    r.RelayClock = r.ReadAt.addSecs(-4);
    r.ClockOffsetSeconds = -4;
    r.Settings.SystemVolts = 11000;
    r.Settings.SystemCurrent = 500;
    for (int relay = 1; relay <= 16; ++relay)
        r.Settings.Trips[std::size_t(relay - 1)].Name = QStringLiteral("Relay Trip %1").arg(relay);
    r.Settings.Trips[0] = {"Relay Trip 1", 1, 9, 0, {12100, 110, 2, 0, 0, 0}};
    r.Settings.Trips[2] = {"Relay Trip 3", 5, 15, 2, {550, 25, 0.5f, 0, 0, 0}};
    r.Settings.Trips[7] = {"Relay Trip 8", 26, 2, 8, {1, 0, 0, 0, 0, 0}};
    r.Measurements[std::size_t(Quantity::Volts1)] = 10988;
    r.Measurements[std::size_t(Quantity::Amps2)] = 290.3224f;
    r.Measurements[std::size_t(Quantity::PowerSum)] = 8834000;
    r.Measurements[std::size_t(Quantity::PowerFactorAverage)] = 0.90294f;
    r.Measurements[std::size_t(Quantity::Frequency)] = 49.985f;
    r.Measurements[std::size_t(Quantity::BusGenPhaseAngle)] = -12.5f;
    r.Events = {{1, 3, QDateTime(QDate(2026, 11, 28), QTime(14, 2, 11))},
                {2, 8, QDateTime(QDate(2026, 12, 5), QTime(17, 58, 27))},
                {3, 0, QDateTime(QDate(2026, 12, 6), QTime(6, 0, 0))}};
    r.Statistics = {879, 88, 1841, 88, 1, 0, 2};
    return r;
}

const ReportDetails Details{"Riverside Power Station", "A. Engineer", "TZL Configurator 9.9.9"};

// The report as markdown (headings, bold, tables with their alignment)
// cut at its headings: heading -> its lines.
QMap<QString, QString> Sections(const QString& text)
{
    QMap<QString, QString> sections;
    QString current;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(u'#'))
            current = line.section(u' ', 1);
        sections[current] += line + u'\n';
    }
    return sections;
}

QString Text(const RelayReadings& readings, const std::optional<ReportSettingsFile>& file = {})
{
    return CommissioningReport(readings, Details, file).Document()->toMarkdown();
}

ReportSettingsFile File(const RelayReadings& readings,
                        const std::function<void(ConfigSnapshot&)>& change = {})
{
    ReportSettingsFile file{QStringLiteral("plant.tcf"), readings.Settings};
    if (change)
        change(file.Settings);
    return file;
}

} // namespace

class tst_CommissioningReport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void Text();
    void SettingsCheckAndUnreadSections();
    void EveryPageHasItsFooter();
};

void tst_CommissioningReport::Text()
{
    TZL_COMPARE_GOLDEN(QStringLiteral("commissioning-report.txt"), ::Text(Readings()));
}

// The settings check without a file, with the relay's own settings, with
// names alone changed (the relay holds none, so they never differ) and with
// two differences; then the sections a failed read leaves: without the
// relay's trips there is nothing to compare, and no function to name for an
// event.
void tst_CommissioningReport::SettingsCheckAndUnreadSections()
{
    RelayReadings r = Readings();
    const std::pair<const char*, std::optional<ReportSettingsFile>> files[] = {
        {"no file", std::nullopt},
        {"same", File(r)},
        {"names only",
         File(r, [](ConfigSnapshot& s) { s.Trips[0].Name = QStringLiteral("Bus over volts"); })},
        {"different", File(r, [](ConfigSnapshot& s) {
             s.SystemVolts = 415;
             s.Trips[2].Flags &= ~TripFlag::Latched;
         })}};
    QString produced;
    for (const auto& [name, file] : files)
        produced +=
            QStringLiteral("[%1]\n").arg(name) + Sections(::Text(r, file)).value("Settings check");
    r.Failures.insert(ReadingSection::TripSettings, "Comms Error: Modbus Response Timeout");
    r.Failures.insert(ReadingSection::Measurements, "Modbus Error: CRC Error in response");
    const QMap<QString, QString> sections = Sections(::Text(r, File(r)));
    produced += QStringLiteral("[trip settings and measurements not read]\n");
    for (const char* heading : {"Settings check", "Trip settings", "Measurements", "Event log"})
        produced += sections.value(heading);
    TZL_COMPARE_GOLDEN(QStringLiteral("commissioning-report-checks.txt"), produced);
    QCOMPARE(CommissioningReport(r, Details, File(r)).UnreadSections(),
             QStringList({"Trip settings: Comms Error: Modbus Response Timeout",
                          "Measurements: Modbus Error: CRC Error in response"}));
}

void tst_CommissioningReport::EveryPageHasItsFooter()
{
    if (!PdfToTextAvailable())
        QSKIP("pdftotext is not installed");
    RelayReadings r = Readings();
    for (int n = 4; n <= 50; ++n)
        r.Events.append({n, 1 + n % 16, r.ReadAt.addSecs(-3600 * n)});
    QTemporaryDir dir;
    const QString path = dir.filePath("report.pdf");
    QVERIFY(!CommissioningReport(r, Details, {}).WritePdf(path));
    const QStringList pages = PdfText(path).split(u'\f', Qt::SkipEmptyParts);
    QVERIFY2(pages.size() >= 4, qPrintable(QString::number(pages.size())));
    const QStringList headings = Sections(::Text(r)).keys();
    for (int page = 1; page <= pages.size(); ++page) {
        const QStringList lines = SimplifiedLines(pages.at(page - 1));
        QStringList filled = lines;
        filled.removeAll(QString());
        QCOMPARE(filled.constLast(),
                 QStringLiteral("Riverside Power Station - 2026-12-07 09:30:00 Page %1 of %2")
                     .arg(page)
                     .arg(pages.size()));
        // A heading never ends a page: the line above the footer is none.
        QVERIFY2(!headings.contains(filled.at(filled.size() - 2)), qPrintable(filled.join('\n')));
    }
}

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    tst_CommissioningReport test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_CommissioningReport.moc"
