// tzlctl's relay-level commands against the real simulator over a
// pseudo-terminal: a configuration taken from one relay and given to another,
// and the live status, alarms, latches and event log.

#include "SimulatorProcess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString WriteScenario(const QTemporaryDir& dir, const QString& text)
{
    return WriteTestFile(dir.path(), QStringLiteral("relay.sim"), text);
}

QStringList Target(const SimulatorProcess& sim)
{
    return {QStringLiteral("--port"), sim.Device()};
}

QString StatusLine(const QString& statusOutput, int relay)
{
    return statusOutput.split(u'\n').value(relay - 1);
}

} // namespace

class tst_TzlctlRelay : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ConfigurationMovesFromOneRelayToAnother()
    {
        const QString scenario = WriteScenario(
            m_Dir, QStringLiteral("volts 11000\ncurrent 500\ntype 2\nfirmware 2.5\n"
                                  "trip 3 5 7 121 1.1 0.2\ntrip 16 1 9 9350.5 2.25\n"));
        const QString file = m_Dir.filePath(QStringLiteral("site.tcf"));
        {
            SimulatorProcess source({QStringLiteral("--scenario"), scenario});
            QVERIFY2(!source.Device().isEmpty(), qPrintable(source.StandardError()));
            const ToolRun run = RunTzlctl(Target(source) + QStringList{"upload-config", file});
            QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        }
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readLine().startsWith("\"TZL_CONFIG_FILE\"\r\n"));

        const ToolRun shown = RunTzlctl({"show-config", file});
        QCOMPARE(shown.ExitCode, 0);
        QVERIFY2(shown.Out.contains(QStringLiteral("11000")), qPrintable(shown.Out));

        // A blank relay of the same system type takes the configuration.
        SimulatorProcess target({QStringLiteral("--type"), QStringLiteral("2"),
                                 QStringLiteral("--firmware"), QStringLiteral("2.5")});
        QVERIFY2(!target.Device().isEmpty(), qPrintable(target.StandardError()));
        ToolRun run = RunTzlctl(Target(target) + QStringList{"download-config", file, "--yes"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));

        run = RunTzlctl(Target(target) + QStringList{"read-holding", "6", "4"});
        QCOMPARE(run.Out.split(u'\n', Qt::SkipEmptyParts), (QStringList{"11000", "500"}));
        // The trip-definition windows: echo, code, flags, status, parameters.
        // Relay 3's Reverse Power has code 5 but index 8: the relay gets the code.
        const auto window = [&](const QString& relay) {
            RunTzlctl(Target(target) + QStringList{"write", "58", relay});
            return RunTzlctl(Target(target) + QStringList{"read-holding", "58", "14"})
                .Out.split(u'\n', Qt::SkipEmptyParts)
                .mid(0, 7);
        };
        QCOMPARE(window("3"), (QStringList{"3", "5", "7", "0", "121", "1.1", "0.2"}));
        QCOMPARE(window("16"), (QStringList{"16", "1", "9", "0", "9350.5", "2.25", "0"}));
        m_ConfigFile = file;
    }

    // A file holding a value that is no number is refused whole: nothing of it
    // is shown or sent.
    void NotANumberNeverReachesTheRelay()
    {
        if (m_ConfigFile.isEmpty())
            QSKIP("needs the file of the first test");
        QFile original(m_ConfigFile);
        QVERIFY(original.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = original.readAll().split('\n');
        lines[8] = "nan\r"; // relay 1's trip point
        lines[9] = "-inf\r";
        const QString file = m_Dir.filePath(QStringLiteral("nan.tcf"));
        QFile broken(file);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(lines.join('\n'));
        broken.close();

        for (const QString& path : {file, QStringLiteral("/dev/zero")}) {
            const ToolRun shown = RunTzlctl({"show-config", path});
            QCOMPARE(shown.ExitCode, 1);
            QVERIFY(shown.Out.isEmpty());
        }
        SimulatorProcess sim({QStringLiteral("--type"), QStringLiteral("2")});
        QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
        const ToolRun run = RunTzlctl(Target(sim) + QStringList{"download-config", file, "--yes"});
        QCOMPARE(run.ExitCode, 1);
        QCOMPARE(RunTzlctl(Target(sim) + QStringList{"read-holding", "6", "2"}).Out.trimmed(),
                 QStringLiteral("110"));
    }

    void MismatchedDownloadNeedsAnAnswer()
    {
        if (m_ConfigFile.isEmpty())
            QSKIP("needs the file of the previous test");
        // A 4-wire relay offered a 3-wire configuration: the question is shown,
        // answered No for want of --yes, and nothing is written.
        SimulatorProcess sim({QStringLiteral("--type"), QStringLiteral("3"),
                              QStringLiteral("--volts"), QStringLiteral("230")});
        QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
        ToolRun run = RunTzlctl(Target(sim) + QStringList{"download-config", m_ConfigFile});
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Err.contains(QStringLiteral("System Type Mismatch")), qPrintable(run.Err));
        QVERIFY2(run.Err.contains(QStringLiteral("[answered no]")), qPrintable(run.Err));
        run = RunTzlctl(Target(sim) + QStringList{"download-config", m_ConfigFile, "--no"});
        QCOMPARE(run.ExitCode, 1);
        QCOMPARE(RunTzlctl(Target(sim) + QStringList{"read-holding", "6", "2"}).Out.trimmed(),
                 QStringLiteral("230"));
    }

    void StatusAlarmsLatchesAndEvents()
    {
        QTemporaryDir dir;
        const QString scenario = WriteScenario(
            dir, QStringLiteral("status 3 tripped latched\nstatus 5 alarm\n"
                                "event 2 3 2026-03-14 08:00:05\nevent 1 5 2026-03-13 17:42:00\n"));
        SimulatorProcess sim({QStringLiteral("--scenario"), scenario});
        QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));

        ToolRun run = RunTzlctl(Target(sim) + QStringList{"status"});
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(
            StatusLine(run.Out, 3),
            QStringLiteral("Relay  3: tripped yes  latched yes  in alarm no   acknowledged no"));
        QCOMPARE(
            StatusLine(run.Out, 5),
            QStringLiteral("Relay  5: tripped no   latched no   in alarm yes  acknowledged no"));

        // Events arrive 2 then 1 and are listed by number.
        const QString logFile = dir.filePath(QStringLiteral("events.tef"));
        run = RunTzlctl(Target(sim) + QStringList{"events", "--save", logFile});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        QFile saved(logFile);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray content = saved.readAll();
        QVERIFY(content.startsWith("\"TZL_EVENT_LOG_FILE\"\r\n"));
        const qsizetype first = content.indexOf("\"1 , 17:42:00");
        const qsizetype second = content.indexOf("\"2 , 08:00:05");
        QVERIFY2(first > 0 && second > first, content.constData());

        QCOMPARE(RunTzlctl(Target(sim) + QStringList{"ack-alarms"}).ExitCode, 0);
        QCOMPARE(RunTzlctl(Target(sim) + QStringList{"reset-trips", "3"}).ExitCode, 0);
        run = RunTzlctl(Target(sim) + QStringList{"status"});
        QVERIFY(StatusLine(run.Out, 5).endsWith(QStringLiteral("in alarm yes  acknowledged yes")));
        QVERIFY(StatusLine(run.Out, 3).contains(QStringLiteral("latched no")));
    }

private:
    // The upload takes a second per relay, so the file is made once.
    QTemporaryDir m_Dir;
    QString m_ConfigFile;
};

QTEST_GUILESS_MAIN(tst_TzlctlRelay)
#include "tst_TzlctlRelay.moc"
