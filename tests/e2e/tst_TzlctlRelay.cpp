// tzlctl's relay-level commands against the real simulator over a
// pseudo-terminal: a configuration taken from one relay and given to another,
// a download refused, and the live status, alarms, latches and event log.

#include "SimulatorProcess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString StatusLine(const QString& statusOutput, int relay)
{
    return statusOutput.split(u'\n').value(relay - 1);
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
    }

    void ConfigurationMovesFromOneRelayToAnother()
    {
        const QString scenario =
            WriteTestFile(m_Dir.path(), QStringLiteral("relay.sim"),
                          QStringLiteral("volts 11000\ncurrent 500\ntype 2\nfirmware 2.5\n"
                                         "trip 3 5 7 121 1.1 0.2\ntrip 16 1 9 9350.5 2.25\n"));
        const QString file = m_Dir.filePath(QStringLiteral("uploaded.tcf"));
        {
            SimulatorProcess source(QStringList{QStringLiteral("--scenario"), scenario} + FastLine);
            const ToolRun run = RunTzlctl(FastPortOf(source) + QStringList{"upload-config", file});
            QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        }
        // Every value of the file as the relay held it.
        const QString expected =
            WriteTestFile(m_Dir.path(), QStringLiteral("expected.tcf"),
                          ConfigFileText(2, 500, 11000,
                                         {{3, {"Relay Trip 3", "5", "7", "121", "1.1", "0.2"}},
                                          {16, {"Relay Trip 16", "1", "9", "9350.5", "2.25"}}}));
        ToolRun run = RunTzlctl({"compare", expected, file});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Out + run.Err));
        run = RunTzlctl({"show-config", file});
        QVERIFY2(run.Out.contains(QStringLiteral("Primary VT value: 11000 V\n")),
                 qPrintable(run.Out));

        // A blank relay of the same system type takes the configuration.
        SimulatorProcess target(QStringList{"--type", "2", "--firmware", "2.5"} + FastLine);
        run = RunTzlctl(FastPortOf(target) + QStringList{"download-config", file, "--yes"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        run = RunTzlctl(FastPortOf(target) + QStringList{"read-holding", "6", "4"});
        QCOMPARE(run.Out.split(u'\n', Qt::SkipEmptyParts), (QStringList{"11000", "500"}));
        // The trip-definition windows: echo, code, flags, status, parameters.
        // Relay 3's Reverse Power has code 5 but index 8: the relay gets the code.
        const auto window = [&](const QString& relay) {
            RunTzlctl(FastPortOf(target) + QStringList{"write", "58", relay});
            return RunTzlctl(FastPortOf(target) + QStringList{"read-holding", "58", "14"})
                .Out.split(u'\n', Qt::SkipEmptyParts)
                .mid(0, 7);
        };
        QCOMPARE(window("3"), (QStringList{"3", "5", "7", "0", "121", "1.1", "0.2"}));
        QCOMPARE(window("16"), (QStringList{"16", "1", "9", "0", "9350.5", "2.25", "0"}));
    }

    // A 4-wire relay offered a 3-wire configuration: the question is shown,
    // answered No for want of --yes, and nothing is written.
    void MismatchedDownloadNeedsAnAnswer()
    {
        SimulatorProcess sim(QStringList{"--type", "3", "--volts", "230"} + FastLine);
        ToolRun run = RunTzlctl(FastPortOf(sim) + QStringList{"download-config", m_ConfigFile});
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Err.contains(QStringLiteral("System Type Mismatch")), qPrintable(run.Err));
        QVERIFY2(run.Err.contains(QStringLiteral("[answered no]")), qPrintable(run.Err));
        run = RunTzlctl(FastPortOf(sim) + QStringList{"download-config", m_ConfigFile, "--no"});
        QCOMPARE(run.ExitCode, 1);
        // A file refused whole (its reading is tst_cConfigFile's) sends nothing either.
        run = RunTzlctl(FastPortOf(sim) + QStringList{"download-config", "/dev/zero", "--yes"});
        QCOMPARE(run.ExitCode, 1);
        QCOMPARE(RunTzlctl(FastPortOf(sim) + QStringList{"read-holding", "6", "2"}).Out.trimmed(),
                 QStringLiteral("230"));
    }

    void StatusAlarmsLatchesAndEvents()
    {
        const QString scenario = WriteTestFile(
            m_Dir.path(), QStringLiteral("status.sim"),
            QStringLiteral("status 3 tripped latched\nstatus 5 alarm\n"
                           "event 2 3 2026-03-14 08:00:05\nevent 1 5 2026-03-13 17:42:00\n"));
        SimulatorProcess sim(QStringList{QStringLiteral("--scenario"), scenario} + FastLine);
        const QStringList port = FastPortOf(sim);

        ToolRun run = RunTzlctl(port + QStringList{"status"});
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(
            StatusLine(run.Out, 3),
            QStringLiteral("Relay  3: tripped yes  latched yes  in alarm no   acknowledged no"));
        QCOMPARE(
            StatusLine(run.Out, 5),
            QStringLiteral("Relay  5: tripped no   latched no   in alarm yes  acknowledged no"));

        // Events arrive 2 then 1 and are listed by number.
        const QString logFile = m_Dir.filePath(QStringLiteral("events.tef"));
        run = RunTzlctl(port + QStringList{"events", "--save", logFile});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        QFile saved(logFile);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray content = saved.readAll();
        QVERIFY(content.startsWith("\"TZL_EVENT_LOG_FILE\"\r\n"));
        const qsizetype first = content.indexOf("\"1 , 17:42:00");
        const qsizetype second = content.indexOf("\"2 , 08:00:05");
        QVERIFY2(first > 0 && second > first, content.constData());

        QCOMPARE(RunTzlctl(port + QStringList{"ack-alarms"}).ExitCode, 0);
        QCOMPARE(RunTzlctl(port + QStringList{"reset-trips", "3"}).ExitCode, 0);
        run = RunTzlctl(port + QStringList{"status"});
        QVERIFY(StatusLine(run.Out, 5).endsWith(QStringLiteral("in alarm yes  acknowledged yes")));
        QVERIFY(StatusLine(run.Out, 3).contains(QStringLiteral("latched no")));
    }

private:
    QTemporaryDir m_Dir;
    QString m_ConfigFile;
};

QTEST_GUILESS_MAIN(tst_TzlctlRelay)
#include "tst_TzlctlRelay.moc"
