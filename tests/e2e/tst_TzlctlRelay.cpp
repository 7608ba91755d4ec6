// tzlctl's relay-level commands against the real simulator over a
// pseudo-terminal: a configuration taken from one relay and given to another,
// a download refused, and the live status, alarms, latches and event log.

#include "Golden.h"
#include "SimulatorProcess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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

private:
    QTemporaryDir m_Dir;
    QString m_ConfigFile;
};

QTEST_GUILESS_MAIN(tst_TzlctlRelay)
#include "tst_TzlctlRelay.moc"
