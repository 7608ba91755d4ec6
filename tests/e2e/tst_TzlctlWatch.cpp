// tzlctl watch against the real simulator over a pseudo-terminal: the CSV
// file it keeps, and how it stops.

#include "SimulatorProcess.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {

constexpr int Columns = 33; // time, the 31 measurements, status
constexpr int Volts1 = 1;
constexpr int VoltsAverage = 19;

QStringList ReadLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    // A file that does not end in a line break ends in half a row.
    return text.endsWith(u'\n') ? text.chopped(1).split(u'\n') : QStringList{};
}

void VerifyWholeRows(const QStringList& lines)
{
    for (const QString& line : lines.mid(1)) {
        const QStringList fields = line.split(u',');
        QVERIFY2(fields.size() >= Columns, qPrintable(line)); // a status may hold commas
        QVERIFY2(QDateTime::fromString(fields[0], Qt::ISODateWithMs).isValid(), qPrintable(line));
    }
}

} // namespace

class tst_TzlctlWatch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // A locale that writes 230,5. Qt takes it from the environment even
        // where the C library has no such locale installed.
        qputenv("LC_ALL", "de_DE.UTF-8");
    }

    void CsvRowsCarryOnlyFreshValues()
    {
        // The first exchange, the basics of the first cycle, fails.
        SimulatorProcess sim({"--fault", "value:i0=230.5", "--fault", "value:i42=1234.5", "--fault",
                              "exception:4@1"});
        QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("watch.csv"));
        const QStringList watch{"--port", sim.Device(), "watch", "--csv", csv, "--duration"};

        QElapsedTimer clock;
        clock.start();
        ToolRun run = RunTzlctl(watch + QStringList{"3"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        QVERIFY2(clock.elapsed() < 3500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(run.Err.contains(QStringLiteral("watch: 3 cycles, 11 transactions, 1 failed")),
                 qPrintable(run.Err));
        QStringList lines = ReadLines(csv);
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith(QStringLiteral("Time,Volts1 (V),Volts2 (V),")));
        QVERIFY(lines[0].endsWith(QStringLiteral(",BusVolts (V),IGround (A),Status")));
        QCOMPARE(lines[0].count(u',') + 1, Columns);
        VerifyWholeRows(lines);
        const QStringList failed = lines[1].split(u',');
        const QStringList averages = lines[2].split(u',');
        const QStringList basics = lines[3].split(u',');
        QCOMPARE(failed[Volts1], QString());
        QVERIFY2(failed.last().contains(QStringLiteral("Modbus Exception 4")),
                 qPrintable(lines[1]));
        QCOMPARE(averages[Volts1], QString()); // still no good reading of it
        QCOMPARE(averages[VoltsAverage], QStringLiteral("1234.5"));
        QCOMPARE(averages.last(), QStringLiteral("ok"));
        QCOMPARE(basics[Volts1], QStringLiteral("230.5"));

        // Another run carries on in the same file under the same header.
        run = RunTzlctl(watch + QStringList{"1"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        lines = ReadLines(csv);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.filter(QStringLiteral("Time,")).size(), 1);
    }

    void FileWithOtherColumnsIsRefused()
    {
        SimulatorProcess sim;
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("other.csv"));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Time,Frequency (Hz)\n2026-01-01T00:00:00Z,50\n");
        file.close();
        const ToolRun run =
            RunTzlctl({"--port", sim.Device(), "watch", "--csv", csv, "--duration", "1"});
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Err.contains(QStringLiteral("other columns")), qPrintable(run.Err));
        QCOMPARE(ReadLines(csv).size(), 2);
    }

    void SignalStopsAfterTheTransactionUnderWay_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("Ctrl+C") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
    }
    void SignalStopsAfterTheTransactionUnderWay()
    {
        QFETCH(int, signal);
        // Every answer comes late, so the signal finds a transaction waiting.
        SimulatorProcess sim({"--fault", "delay:300"});
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("watch.csv"));
        QProcess watch;
        watch.start(QDir(BinaryDir()).filePath(QStringLiteral("tzlctl")),
                    {"--port", sim.Device(), "watch", "--csv", csv});
        QVERIFY(QTest::qWaitFor([&] { return ReadLines(csv).size() >= 2; }, 10000));
        QTest::qWait(100);
        QElapsedTimer clock;
        clock.start();
        ::kill(pid_t(watch.processId()), signal);
        QVERIFY(watch.waitForFinished(5000));
        // The transaction under way takes at most its delay, answer and silence.
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(watch.exitStatus(), QProcess::NormalExit);
        QCOMPARE(watch.exitCode(), 0);
        QVERIFY(QString::fromLocal8Bit(watch.readAllStandardError()).contains(u"watch: "));
        const QStringList lines = ReadLines(csv);
        QVERIFY(lines.size() >= 2);
        VerifyWholeRows(lines);
    }
};

QTEST_GUILESS_MAIN(tst_TzlctlWatch)
#include "tst_TzlctlWatch.moc"
