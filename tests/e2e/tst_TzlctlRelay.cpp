// tzlctl's relay-level commands against the real simulator over a
// pseudo-terminal: a configuration taken from one relay and given to another,
// a download refused, the live status, alarms, latches and event log; compare,
// download-config --verify and scan; and the commissioning report: what the PDF
// file says (read back with pdftotext), the settings check against a changed
// file, and a relay that stops answering half-way. A relay's configuration is
// read a trip definition a second, so each whole read is made once; the
// wording of a matching settings check is tst_CommissioningReport's to test.

#include "Golden.h"
#include "PdfText.h"
#include "SimulatorProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The simulator's blank relay (110 V, 5 A, type 3, no trips), except relay 1
// when `overVolts` is given: an Over Volts trip (code 1) at that trip point.
QString WriteConfig(const QTemporaryDir& dir, const QString& name, float overVolts = 0)
{
    QMap<int, QStringList> relays;
    if (overVolts > 0)
        relays[1] = QStringList{"Relay Trip 1", "1", "1", QString::number(overVolts), "1.1", "0.2"};
    return WriteTestFile(dir.path(), name, ConfigFileText(3, 5, 110, relays));
}

// Relay 3 a latched instantaneous overcurrent that has tripped once.
const QString Scenario = QStringLiteral("volts 11000\ncurrent 500\nfirmware 3.2\n"
                                        "trip 3 22 15 550 25 0.5\nstatus 3 latched\n"
                                        "event 1 3 2026-11-28 14:02:11\nmeasurement 70 49.5\n");

QString PdfLines(const QString& path)
{
    return SimplifiedLines(PdfText(path)).join(u'\n');
}

} // namespace

class tst_TzlctlRelay : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // Relay 1 an Over Volts trip; a 3-wire system (type 2).
        m_ConfigFile = WriteTestFile(
            m_Dir.path(), QStringLiteral("site.tcf"),
            ConfigFileText(2, 500, 11000, {{1, {"Relay Trip 1", "1", "1", "121", "1.1", "0.2"}}}));
        m_Scenario = WriteTestFile(m_Dir.path(), QStringLiteral("report.sim"), Scenario);
    }

    void ConfigurationMovesFromOneRelayToAnother()
    {
        Transcript transcript;
        transcript.Name(m_Dir.path(), QStringLiteral("DIR"));
        const QString scenario =
            WriteTestFile(m_Dir.path(), QStringLiteral("relay.sim"),
                          QStringLiteral("volts 11000\ncurrent 500\ntype 2\nfirmware 2.5\n"
                                         "trip 3 5 7 121 1.1 0.2\ntrip 16 1 9 9350.5 2.25\n"));
        const QString file = m_Dir.filePath(QStringLiteral("uploaded.tcf"));
        {
            SimulatorProcess source(QStringList{QStringLiteral("--scenario"), scenario} + FastLine);
            transcript.Name(source.Device(), QStringLiteral("PTY"));
            transcript.Run(FastPortOf(source) + QStringList{"upload-config", file});
        }
        // Every value of the file as the relay held it.
        const QString expected =
            WriteTestFile(m_Dir.path(), QStringLiteral("expected.tcf"),
                          ConfigFileText(2, 500, 11000,
                                         {{3, {"Relay Trip 3", "5", "7", "121", "1.1", "0.2"}},
                                          {16, {"Relay Trip 16", "1", "9", "9350.5", "2.25"}}}));
        transcript.Run({"compare", expected, file});
        transcript.Run({"show-config", file});

        // A blank relay of the same system type takes the configuration.
        SimulatorProcess target(QStringList{"--type", "2", "--firmware", "2.5"} + FastLine);
        transcript.Name(target.Device(), QStringLiteral("PTY"));
        const QStringList port = FastPortOf(target);
        transcript.Run(port + QStringList{"download-config", file, "--yes"});
        transcript.Run(port + QStringList{"read-holding", "6", "4"});
        // The trip-definition windows: echo, code, flags, status, parameters.
        // Relay 3's Reverse Power has code 5 but index 8: the relay gets the code.
        for (const char* relay : {"3", "16"}) {
            transcript.Run(port + QStringList{"write", "58", relay});
            transcript.Run(port + QStringList{"read-holding", "58", "14"});
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("tzlctl-relay-configuration.txt"), transcript.Text());
    }

    // A 4-wire relay offered a 3-wire configuration: the question is shown,
    // answered No for want of --yes, and nothing is written.
    void MismatchedDownloadNeedsAnAnswer()
    {
        Transcript transcript;
        transcript.Name(m_Dir.path(), QStringLiteral("DIR"));
        SimulatorProcess sim(QStringList{"--type", "3", "--volts", "230"} + FastLine);
        transcript.Name(sim.Device(), QStringLiteral("PTY"));
        const QStringList port = FastPortOf(sim);
        transcript.Run(port + QStringList{"download-config", m_ConfigFile});
        transcript.Run(port + QStringList{"download-config", m_ConfigFile, "--no"});
        // A file refused whole (its reading is tst_cConfigFile's) sends nothing either.
        transcript.Run(port + QStringList{"download-config", "/dev/zero", "--yes"});
        transcript.Run(port + QStringList{"read-holding", "6", "2"});
        TZL_COMPARE_GOLDEN(QStringLiteral("tzlctl-relay-refusal.txt"), transcript.Text());
    }

    void StatusAlarmsLatchesAndEvents()
    {
        Transcript transcript;
        transcript.Name(m_Dir.path(), QStringLiteral("DIR"));
        const QString scenario = WriteTestFile(
            m_Dir.path(), QStringLiteral("status.sim"),
            QStringLiteral("status 3 tripped latched\nstatus 5 alarm\n"
                           "event 2 3 2026-03-14 08:00:05\nevent 1 5 2026-03-13 17:42:00\n"));
        SimulatorProcess sim(QStringList{QStringLiteral("--scenario"), scenario} + FastLine);
        transcript.Name(sim.Device(), QStringLiteral("PTY"));
        const QStringList port = FastPortOf(sim);
        transcript.Run(port + QStringList{"status"});
        // Events arrive 2 then 1 and are listed, and saved, by number.
        const QString logFile = m_Dir.filePath(QStringLiteral("events.tef"));
        transcript.Run(port + QStringList{"events", "--save", logFile});
        QFile saved(logFile);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        // The file as saved, but for when it was saved and the dates in the
        // machine's language.
        for (const QString& line :
             QString::fromLatin1(saved.readAll()).split(QStringLiteral("\r\n"))) {
            if (!line.startsWith(u"\"Saved:"))
                transcript.Note(line.section(QStringLiteral(" , "), 0, 1));
        }
        transcript.Run(port + QStringList{"ack-alarms"});
        transcript.Run(port + QStringList{"reset-trips", "3"});
        transcript.Run(port + QStringList{"status"});
        TZL_COMPARE_GOLDEN(QStringLiteral("tzlctl-relay-status.txt"), transcript.Text());
    }

    // Files compared with each other and with a relay, and a download
    // verified against a relay that cuts down what it stores.
    void CompareAndVerify()
    {
        const QString blank = WriteConfig(m_Dir, "blank.tcf");
        const QString tripped = WriteConfig(m_Dir, "tripped.tcf", 121);
        Transcript transcript;
        transcript.Name(m_Dir.path(), QStringLiteral("DIR"));
        // Two files need no relay.
        transcript.Run({"compare", blank, tripped});
        transcript.Run({"compare", blank, blank});
        {
            SimulatorProcess sim(QStringList{"--volts", "240"} + FastLine);
            transcript.Name(sim.Device(), QStringLiteral("PTY"));
            transcript.Run(FastPortOf(sim) + QStringList{"compare", blank});
            // Nobody answers at slave 9: the exchange failed, which is not "same".
            transcript.Run(FastPortOf(sim)
                           + QStringList{"--slave", "9", "--timeout", "100", "compare", blank});
        }
        // The trip point is cut down and the delay rounded to a step the
        // configurator does not use; both show, nothing else does.
        SimulatorProcess sim(QStringList{"--store-limit", "66=100", "--store-step", "70=0.5"}
                             + FastLine);
        transcript.Name(sim.Device(), QStringLiteral("PTY"));
        transcript.Run(FastPortOf(sim)
                       + QStringList{"download-config", tripped, "--yes", "--verify"});
        TZL_COMPARE_GOLDEN(QStringLiteral("tzlctl-compare.txt"), transcript.Text());
    }

    void ScanFindsAnOddlySetRelay()
    {
        SimulatorProcess sim(
            {"--strict-line", "--settings", "4800,E,8,1", "--slave", "7", "--word-order", "1"});
        QElapsedTimer clock;
        clock.start();
        const ToolRun run = RunTzlctl(
            PortOf(sim) + QStringList{"scan", "--slaves", "1-10", "--probe-timeout", "60"});
        const qint64 tookMs = clock.elapsed();
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Out + run.Err));
        QVERIFY2(run.Out.contains("Found a TZL at 4800,E,8,1, slave 7, word order 1 (its values "
                                  "make no sense in word order 0).\n"
                                  "Options: --settings 4800,E,8,1 --slave 7 --word-order 1\n"),
                 qPrintable(run.Out));

        const auto bound = QRegularExpression("at most (\\d+) s\\.").match(run.Out);
        QVERIFY2(bound.hasMatch(), qPrintable(run.Out));
        QVERIFY2(tookMs < bound.captured(1).toInt() * 1000, qPrintable(QString::number(tookMs)));

        // At the right speed and the wrong parity the relay's answer arrives
        // garbled; at 2400 baud it never hears the request: silence, no note.
        QVERIFY2(run.Out.contains("note: 4800,N,8,1: an answer with a bad CRC - likely a wrong "
                                  "baud rate or parity"),
                 qPrintable(run.Out));
        QVERIFY2(!run.Out.contains("2400,"), qPrintable(run.Out));
    }

    void RecordsTheRelayAndChecksItsSettings()
    {
        if (!PdfToTextAvailable())
            QSKIP("pdftotext is not installed");
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
        if (!PdfToTextAvailable())
            QSKIP("pdftotext is not installed");
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
    QString m_ConfigFile;
    QString m_Scenario;
};

QTEST_GUILESS_MAIN(tst_TzlctlRelay)
#include "tst_TzlctlRelay.moc"
