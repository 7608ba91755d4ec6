// tzlctl report against the real simulator over a pseudo-terminal: what the
// PDF file says (read back with pdftotext), the settings check against a
// changed file, and a relay that stops answering half-way. A report reads the
// trip definitions a second apart, so the whole one is made once; the wording
// of a matching settings check is tst_CommissioningReport's to test.

#include "PdfText.h"
#include "SimulatorProcess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Relay 3 a latched instantaneous overcurrent that has tripped once.
const QString Scenario = QStringLiteral("volts 11000\ncurrent 500\nfirmware 3.2\n"
                                        "trip 3 22 15 550 25 0.5\nstatus 3 latched\n"
                                        "event 1 3 2026-11-28 14:02:11\nmeasurement 70 49.5\n");

QString PdfLines(const QString& path)
{
    return SimplifiedLines(PdfText(path)).join(u'\n');
}

} // namespace

class tst_TzlctlReport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!PdfToTextAvailable())
            QSKIP("pdftotext is not installed");
        m_Scenario = WriteTestFile(m_Dir.path(), QStringLiteral("relay.sim"), Scenario);
    }

    void RecordsTheRelayAndChecksItsSettings()
    {
        SimulatorProcess sim(QStringList{"--scenario", m_Scenario} + FastLine);
        // The scenario's settings but for the primary volts.
        const QString changed = WriteTestFile(
            m_Dir.path(), QStringLiteral("changed.tcf"),
            ConfigFileText(3, 500, 415, {{3, {"Relay Trip 3", "22", "15", "550", "25", "0.5"}}}));
        const QString pdf = m_Dir.filePath("report.pdf");
        const ToolRun run = RunTzlctl(
            FastPortOf(sim)
            + QStringList{"report", "--pdf", pdf, "--config", changed, "--site", "Riverside"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        const QString text = PdfLines(pdf);
        for (const char* expected :
             {"Firmware version 3.2", "Gen Frequency 49.500 Hz",
              "Tripped: none. Latched: 3. In alarm: none.",
              "1 2026-11-28 14:02:11 3 Instantaneous Over Current (ANSI 50)", "Riverside",
              "The relay's settings differ from changed.tcf in 1 place:\n"
              "Setting Relay changed.tcf\n"
              "Primary VT value 11000 V 415 V",
              "Page 1 of "})
            QVERIFY2(text.contains(QLatin1String(expected)), qPrintable(expected + ("\n" + text)));
    }

    void RelayFailingHalfWayWritesNothingUnlessPartial()
    {
        // Exchange 12 is the read of relay 2's trip definition.
        const QString pdf = m_Dir.filePath("fault.pdf");
        const QStringList report{"--timeout", "200", "report", "--pdf", pdf};
        {
            SimulatorProcess sim(QStringList{"--scenario", m_Scenario, "--fault", "no-answer@12"}
                                 + FastLine);
            const ToolRun run = RunTzlctl(FastPortOf(sim) + report);
            QCOMPARE(run.ExitCode, 1);
            QVERIFY2(run.Err.contains("could not be read: Trip settings: Comms Error: Modbus "
                                      "Response Timeout"),
                     qPrintable(run.Err));
            QVERIFY(!QFile::exists(pdf));
        }
        SimulatorProcess sim(QStringList{"--scenario", m_Scenario, "--fault", "no-answer@12"}
                             + FastLine);
        const ToolRun run = RunTzlctl(FastPortOf(sim) + report + QStringList{"--partial"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        const QString text = PdfLines(pdf);
        QVERIFY2(
            text.contains("Trip settings\nCould not be read: Comms Error: Modbus Response Timeout"),
            qPrintable(text));
        // The rest of the pass went on.
        QVERIFY(text.contains("Gen Frequency 49.500 Hz"));
    }

private:
    QTemporaryDir m_Dir;
    QString m_Scenario;
};

QTEST_GUILESS_MAIN(tst_TzlctlReport)
#include "tst_TzlctlReport.moc"
