// tzlctl report against the real simulator over a pseudo-terminal: what the
// PDF file says (read back with pdftotext), the settings check against a
// matching and a changed file, and a relay that stops answering half-way.

#include "PdfText.h"
#include "SimulatorProcess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Relay 3 a latched instantaneous overcurrent that has tripped once.
const QStringList Scenario{"volts 11000",        "current 500",
                           "firmware 3.2",       "trip 3 22 15 550 25 0.5",
                           "status 3 latched",   "event 1 3 2026-11-28 14:02:11",
                           "measurement 70 49.5"};

QString WriteLines(const QTemporaryDir& dir, const QString& name, const QStringList& lines)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write((lines.join("\r\n") + "\r\n").toLatin1());
    return path;
}

// The scenario's settings as a configuration file, at the given volts.
QString WriteConfig(const QTemporaryDir& dir, const QString& name, const QString& volts)
{
    QStringList lines{"\"TZL_CONFIG_FILE\"", "1", "3", "500", volts};
    for (int r = 1; r <= 16; ++r)
        lines << QStringLiteral("\"Relay Trip %1\"").arg(r)
              << (r == 3 ? QStringLiteral("22 15 550 25 0.5 0 0 0")
                         : QStringLiteral("0 0 0 0 0 0 0 0"))
                     .split(u' ');
    return WriteLines(dir, name, lines);
}

QString PdfLines(const QString& path)
{
    return SimplifiedLines(PdfText(path)).join(u'\n');
}

} // namespace

class tst_TzlctlReport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void RecordsTheRelayAndChecksItsSettings();
    void RelayFailingHalfWayWritesNothingUnlessPartial();

private:
    QTemporaryDir m_Dir;
    QString m_Scenario;
};

void tst_TzlctlReport::initTestCase()
{
    if (!PdfToTextAvailable())
        QSKIP("pdftotext is not installed");
    m_Scenario = WriteLines(m_Dir, "relay.sim", Scenario);
}

void tst_TzlctlReport::RecordsTheRelayAndChecksItsSettings()
{
    SimulatorProcess sim({"--scenario", m_Scenario});
    QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
    const QString pdf = m_Dir.filePath("same.pdf");
    ToolRun run = RunTzlctl({"--port", sim.Device(), "report", "--pdf", pdf, "--config",
                             WriteConfig(m_Dir, "plant.tcf", "11000"), "--site", "Riverside"});
    QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    const QString text = PdfLines(pdf);
    for (const char* expected : {"Firmware version 3.2", "Gen Frequency 49.500 Hz",
                                 "Tripped: none. Latched: 3. In alarm: none.",
                                 "1 2026-11-28 14:02:11 3 Instantaneous Over Current (ANSI 50)",
                                 "The relay holds the settings of plant.tcf", "Page 1 of "})
        QVERIFY2(text.contains(QLatin1String(expected)), qPrintable(expected + ("\n" + text)));

    run = RunTzlctl({"--port", sim.Device(), "report", "--pdf", pdf, "--config",
                     WriteConfig(m_Dir, "changed.tcf", "415")});
    QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    QVERIFY2(PdfLines(pdf).contains("The relay's settings differ from changed.tcf in 1 place:\n"
                                    "Setting Relay changed.tcf\n"
                                    "Primary VT value 11000 V 415 V"),
             qPrintable(PdfLines(pdf)));
}

void tst_TzlctlReport::RelayFailingHalfWayWritesNothingUnlessPartial()
{
    // Exchange 12 is the read of relay 2's trip definition.
    const QString pdf = m_Dir.filePath("fault.pdf");
    const QStringList report{"--timeout", "200", "report", "--pdf", pdf};
    {
        SimulatorProcess sim({"--scenario", m_Scenario, "--fault", "no-answer@12"});
        QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
        const ToolRun run = RunTzlctl(QStringList{"--port", sim.Device()} + report);
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Err.contains("could not be read: Trip settings: Comms Error: Modbus "
                                  "Response Timeout"),
                 qPrintable(run.Err));
        QVERIFY(!QFile::exists(pdf));
    }
    SimulatorProcess sim({"--scenario", m_Scenario, "--fault", "no-answer@12"});
    const ToolRun run =
        RunTzlctl(QStringList{"--port", sim.Device()} + report + QStringList{"--partial"});
    QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    const QString text = PdfLines(pdf);
    QVERIFY2(
        text.contains("Trip settings\nCould not be read: Comms Error: Modbus Response Timeout"),
        qPrintable(text));
    // The rest of the pass went on.
    QVERIFY(text.contains("Gen Frequency 49.500 Hz"));
}

QTEST_GUILESS_MAIN(tst_TzlctlReport)
#include "tst_TzlctlReport.moc"
