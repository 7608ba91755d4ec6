#include "Golden.h"
#include "PdfText.h"
#include "RelayBench.h"
#include "model/CommissioningReport.h"
#include "model/ConfigComparison.h"
#include "model/MeasurementFormat.h"
#include "model/ParamLimits.h"
#include "model/PowerRatings.h"
#include "model/RelayDateTime.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <cmath>

namespace {

// Relay 2 as an Over Volts trip (index 1) and relay 5 as a Time Overcurrent
// (index 14), so that parameters have names and units.
ConfigSnapshot Base()
{
    ConfigSnapshot s;
    s.SystemVolts = 11000.0f;
    s.SystemCurrent = 500.0f;
    for (int r = 1; r <= cTripCatalogue::RelayCount; ++r)
        s.Trips[std::size_t(r - 1)].Name = QStringLiteral("Relay Trip %1").arg(r);
    TripRecord& overVolts = s.Trips[1];
    overVolts.FunctionIndex = 1;
    overVolts.Flags = TripFlag::Inverted | TripFlag::Logged;
    overVolts.ParameterValues = {12100.0f, 110.0f, 2.0f, 0, 0, 0};
    TripRecord& overcurrent = s.Trips[4];
    overcurrent.FunctionIndex = 14;
    overcurrent.ParameterValues = {550.0f, 2.0f, 1.3f, 0, 0, 0};
    return s;
}

using Quantity = cTZLInputRegisters::Quantity;

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

QString ReportMarkdown(const RelayReadings& readings,
                       const std::optional<ReportSettingsFile>& file = {})
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

// The model's plain value functions: measurement texts, limits, ratings,
// relay dates, the differences between two configurations, and the
// commissioning report built from readings held here, without a relay or a
// window (its text, the settings check with and without a settings file,
// sections that could not be read, and the page footers of its PDF file).
class tst_ModelValues : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void Measurement()
    {
        const std::pair<float, const char*> cases[] = {
            {-0.0f, "0.00000  "},    {999.9996f, "1000.000  "}, // range, then rounding
            {1000.0f, "1.000 k"},    {-1500.0f, "-1.500 k"},    {999999.0f, "999.999 k"},
            {1000000.0f, "1.000 M"}, {2.5e9f, "2500.00 M"}}; // still in millions
        for (const auto& [value, text] : cases)
            QCOMPARE(FormatMeasurement(value), QString::fromLatin1(text));
    }

    void SystemPower()
    {
        const std::pair<float, QStringList> cases[] = {{1000.0f, {"1,000.00", "W"}},
                                                       {1000.5f, {"1.00", "kW"}},
                                                       {1000000.0f, {"1,000.00", "kW"}},
                                                       {2500000.0f, {"2.50", "MW"}}};
        for (const auto& [power, shown] : cases) {
            const PowerDisplay display = FormatSystemPower(power);
            QCOMPARE((QStringList{display.Value, display.Units}), shown);
        }
    }

    // Minimum, maximum and default of every function's parameters, for an
    // installation whose volts (415), current (7) and phase power (123456)
    // are far apart, so a limit taken from the wrong one shows; and for one
    // of 400000 V and 1 A, where single-precision multipliers would miss the
    // differential (4000 to 60000) and a minimum voltage of 1.19 V (20000) by
    // a unit in the last place. Function 0, indices outside 0 to 27 and
    // positions beyond a function's parameters have none, and are left out of
    // the golden.
    void Limits()
    {
        QString produced;
        for (const QList<float>& system : {QList<float>{415, 7, 123456}, {400000, 1, 0}}) {
            produced += QStringLiteral("# %1\n").arg(FloatsText(system));
            for (int f = -1; f <= 28; ++f) {
                for (int p = -1; p <= 7; ++p) {
                    const ParameterLimits limits = ParamLimitsFor(std::int16_t(f), std::int16_t(p),
                                                                  system[0], system[1], system[2]);
                    if (limits.Minimum != 0 || limits.Maximum != 0 || limits.Default != 0)
                        produced +=
                            QStringLiteral("function %1 position %2: %3\n")
                                .arg(f)
                                .arg(p)
                                .arg(FloatsText({limits.Minimum, limits.Maximum, limits.Default}));
                }
            }
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("parameter-limits.txt"), produced);
    }

    void PowerRatings()
    {
        const float root3 = float(std::sqrt(3.0) * 40000.0); // about 69282
        const std::pair<float, QList<float>> cases[] = {
            // system type; phase and system power at 400 V, 100 A
            {2.0f, {root3, root3}},
            {3.0f, {40000, 120000}},
            {2.6f, {40000, 120000}}, // rounds to 4-wire
            {4.0f, {0, 0}}};
        for (const auto& [type, powers] : cases)
            QCOMPARE((QList<float>{PhasePowerOf(type, 400, 100), SystemPowerOf(type, 400, 100)}),
                     powers);
    }

    void Compose()
    {
        const std::pair<QList<int>, QDateTime> cases[] = {
            // year, month, day, hour, minute, second
            {{29, 6, 1, 0, 0, 0}, {{2029, 6, 1}, {0, 0}}},
            {{30, 6, 1, 0, 0, 0}, {{1930, 6, 1}, {0, 0}}},
            {{26, 13, 1, 0, 0, 0}, {{2027, 1, 1}, {0, 0}}},
            {{24, 3, 0, 0, 0, 0}, {{2024, 2, 29}, {0, 0}}}, // day 0 of a leap March
            {{25, 12, 31, 23, 59, 60}, {{2026, 1, 1}, {0, 0}}},
            {{26, 3, 15, 0, -1, 0}, {{2026, 3, 14}, {23, 59}}},
            {{0, 0, 0, 0, 0, 0}, {{1999, 11, 30}, {0, 0}}}, // a cleared event record
            {{9999, 12, 31, 23, 59, 60}, {}},               // carried past 9999
            {{100, 1, 0, 0, 0, 0}, {}},                     // carried before 100
            {{-32768, 32767, 32767, 32767, 32767, 32767}, {}}};
        for (const auto& [f, expected] : cases)
            QCOMPARE(ComposeRelayDateTime(f[0], f[1], f[2], f[3], f[4], f[5]).value_or(QDateTime()),
                     expected);
    }

    // The differences between two configurations, one kind of field at a
    // time, and values the relay would store alike; the golden holds the
    // differences each change makes, none for those that make none.
    void ConfigDifferences()
    {
        using S = ConfigSnapshot;
        constexpr auto Ignored = ConfigComparison::Names::Ignored;
        constexpr auto Compared = ConfigComparison::Names::Compared;
        const std::tuple<const char*, ConfigComparison::Names, void (*)(S&)> cases[] = {
            {"system type", Ignored, [](S& s) { s.SystemType = 2; }},
            {"volts", Ignored, [](S& s) { s.SystemVolts = 415; }},
            {"current", Ignored, [](S& s) { s.SystemCurrent = 250; }},
            {"name between files", Compared,
             [](S& s) { s.Trips[1].Name = QStringLiteral("Bus over volts"); }},
            {"name against a relay, which holds none", Ignored,
             [](S& s) { s.Trips[1].Name = QStringLiteral("Bus over volts"); }},
            {"each flag", Ignored,
             [](S& s) { s.Trips[1].Flags = TripFlag::Alarm | TripFlag::Latched; }},
            {"flag bits with no meaning", Ignored, [](S& s) { s.Trips[1].Flags |= 0x30; }},
            {"parameter with its unit", Ignored,
             [](S& s) { s.Trips[1].ParameterValues[0] = 13200; }},
            {"parameter beyond the function's count", Ignored,
             [](S& s) { s.Trips[1].ParameterValues[4] = 7; }},
            {"function, with the parameters it changes", Ignored,
             [](S& s) {
                 s.Trips[15].FunctionIndex = 18; // Phase Order: a time delay
                 s.Trips[15].ParameterValues[0] = 0.2f;
             }},
            // Rounding alone: the relay keeps time delays in tenths and curves
            // in whole numbers, so the first two read back the same.
            {"delay that rounds to the same tenth", Ignored,
             [](S& s) { s.Trips[1].ParameterValues[2] = 2.04f; }},
            {"curve that rounds down to the same number", Ignored,
             [](S& s) { s.Trips[4].ParameterValues[1] = 2.7f; }},
            {"delay on the next tenth", Ignored,
             [](S& s) { s.Trips[1].ParameterValues[2] = 2.05f; }},
            {"trip point is not rounded", Ignored,
             [](S& s) { s.Trips[4].ParameterValues[0] = 550.01f; }}};
        QString produced;
        for (const auto& [name, names, change] : cases) {
            ConfigSnapshot changed = Base();
            change(changed);
            produced += QStringLiteral("%1:\n").arg(name);
            for (const ConfigDifference& d : ConfigComparison::Compare(Base(), changed, names))
                produced += QStringLiteral("  %1|%2|%3\n").arg(d.Where, d.Old, d.New);
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("config-comparison.txt"), produced);
    }

    void ConfigDifferenceReport()
    {
        ConfigSnapshot changed = Base();
        changed.SystemVolts = 415;
        changed.Trips[1].ParameterValues[0] = 13200;
        const auto differences =
            ConfigComparison::Compare(Base(), changed, ConfigComparison::Names::Ignored);
        QCOMPARE(ConfigComparison::Report(differences, "TZL", "site.tcf", "same"),
                 QStringLiteral("2 differences (TZL -> site.tcf):\n"
                                "Primary VT value: 11000 V -> 415 V\n"
                                "Relay 2 Trip Point: 12100 V -> 13200 V\n"));
        QCOMPARE(ConfigComparison::Report({}, "TZL", "site.tcf", "same"), QStringLiteral("same\n"));
    }

    void ReportText()
    {
        TZL_COMPARE_GOLDEN(QStringLiteral("commissioning-report.txt"), ReportMarkdown(Readings()));
    }

    // The settings check without a file, with the relay's own settings, with
    // names alone changed (the relay holds none, so they never differ) and with
    // two differences; then the sections a failed read leaves: without the
    // relay's trips there is nothing to compare, and no function to name for an
    // event.
    void ReportSettingsCheckAndUnreadSections()
    {
        RelayReadings r = Readings();
        const std::pair<const char*, std::optional<ReportSettingsFile>> files[] = {
            {"no file", std::nullopt},
            {"same", File(r)},
            {"names only",
             File(r,
                  [](ConfigSnapshot& s) { s.Trips[0].Name = QStringLiteral("Bus over volts"); })},
            {"different", File(r, [](ConfigSnapshot& s) {
                 s.SystemVolts = 415;
                 s.Trips[2].Flags &= ~TripFlag::Latched;
             })}};
        QString produced;
        for (const auto& [name, file] : files)
            produced += QStringLiteral("[%1]\n").arg(name)
                        + Sections(ReportMarkdown(r, file)).value("Settings check");
        r.Failures.insert(ReadingSection::TripSettings, "Comms Error: Modbus Response Timeout");
        r.Failures.insert(ReadingSection::Measurements, "Modbus Error: CRC Error in response");
        const QMap<QString, QString> sections = Sections(ReportMarkdown(r, File(r)));
        produced += QStringLiteral("[trip settings and measurements not read]\n");
        for (const char* heading : {"Settings check", "Trip settings", "Measurements", "Event log"})
            produced += sections.value(heading);
        TZL_COMPARE_GOLDEN(QStringLiteral("commissioning-report-checks.txt"), produced);
        QCOMPARE(CommissioningReport(r, Details, File(r)).UnreadSections(),
                 QStringList({"Trip settings: Comms Error: Modbus Response Timeout",
                              "Measurements: Modbus Error: CRC Error in response"}));
    }

    void ReportPagesHaveTheirFooters()
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
        const QStringList headings = Sections(ReportMarkdown(r)).keys();
        for (int page = 1; page <= pages.size(); ++page) {
            const QStringList lines = SimplifiedLines(pages.at(page - 1));
            QStringList filled = lines;
            filled.removeAll(QString());
            QCOMPARE(filled.constLast(),
                     QStringLiteral("Riverside Power Station - 2026-12-07 09:30:00 Page %1 of %2")
                         .arg(page)
                         .arg(pages.size()));
            // A heading never ends a page: the line above the footer is none.
            QVERIFY2(!headings.contains(filled.at(filled.size() - 2)),
                     qPrintable(filled.join('\n')));
        }
    }
};

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv); // the report's document lays out text
    tst_ModelValues test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ModelValues.moc"
