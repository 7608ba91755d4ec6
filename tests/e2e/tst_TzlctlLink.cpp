// tzlctl against the real simulator over a pseudo-terminal and through a
// serial device server: the line's own commands, usage errors, the printouts
// into PDF files read back with pdftotext, and watch: the CSV file it keeps
// and how it stops.

#include "Golden.h"
#include "PdfText.h"
#include "SimulatorProcess.h"
#include "platform/LocaleDateText.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
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

// The figures after "LABEL:" at the start of lines, in order.
QList<double> Figures(const QString& output, const QString& label)
{
    QList<double> figures;
    auto matches = QRegularExpression(QStringLiteral("^%1: +([0-9.]+)").arg(label),
                                      QRegularExpression::MultilineOption)
                       .globalMatch(output);
    while (matches.hasNext())
        figures << matches.next().captured(1).toDouble();
    return figures;
}

QStringList PdfLines(const QString& path)
{
    QStringList lines = SimplifiedLines(PdfText(path));
    lines.removeAll(QString());
    return lines;
}

QString EventLine(int n, const QDateTime& moment, int relay)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(n)
        .arg(LongTimeText(moment.time()), LongDateText(moment.date()))
        .arg(relay)
        .simplified();
}

} // namespace

class tst_TzlctlLink : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // As over ssh or in CI: no display, and no Qt platform named.
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        qunsetenv("QT_QPA_PLATFORM");
        // A relay's site file: a 3-wire system of 11 kV and 500 A, relay 3
        // over volts (latched, logged, fail safe), the other relays unused.
        m_Config = WriteTestFile(
            m_Dir.path(), QStringLiteral("site.tcf"),
            ConfigFileText(2, 500, 11000,
                           {{3, {"Bus over volts", "1", "13", "12100", "110", "2.5"}}}));
    }

    // The line's own commands, their usage errors and their failures as the
    // user sees them, one after another through the tty layer.
    void CommandsAsTheUserSeesThem()
    {
        // Slave 7 in word order 1, holding what an upload would correct
        // (0 V, type 4), with Volts1 and Volts2 at 230.5 and 10939.5, and answering the product
        // information with the echo of another selector: the zeros printed
        // would be no answer at all.
        SimulatorProcess sim({"--slave", "7", "--word-order", "1", "--volts", "0", "--current",
                              "400", "--type", "4", "--fault", "value:i0=230.5", "--fault",
                              "value:i2=10939.5", "--fault", "value:h240=3"});
        Transcript transcript;
        transcript.Name(sim.Device(), QStringLiteral("PTY"));
        transcript.Name(m_Dir.path(), QStringLiteral("DIR"));
        const QStringList relay{"--port", sim.Device(), "--slave", "7", "--word-order", "1"};
        transcript.Run(relay + QStringList{"system"});
        transcript.Run(relay + QStringList{"info"});
        transcript.Run(relay + QStringList{"write", "6", "11000", "1250.125"});
        transcript.Run(relay + QStringList{"--stats", "read-holding", "6", "4"});
        // In the other word order the same registers read as other figures.
        transcript.Run({"--port", sim.Device(), "--slave", "7", "read-holding", "6", "2"});
        // Nobody answers to slave 9.
        transcript.Run(
            {"--port", sim.Device(), "--slave", "9", "--timeout", "200", "read-holding", "6", "2"});
        // The relay keeps two digits of the year: 30 to 99 are the 1900s, 0 to
        // 29 the 2000s, so both ends of the window come back as set.
        for (const QString moment : {"1930-01-01T00:00:00", "2029-06-15T12:00:00"}) {
            transcript.Run(relay + QStringList{"set-time", moment});
            // The relay's clock runs on: the last digit of the seconds may move.
            const ToolRun now = RunTzlctl(relay + QStringList{"get-time"});
            transcript.Note(QStringLiteral("get-time: ") + now.Out.left(moment.size() - 1));
        }
        transcript.Run(relay + QStringList{"read-input", "0", "4"});
        // The other measurements move from read to read.
        const ToolRun measurements = RunTzlctl(relay + QStringList{"measurements"});
        const QStringList lines = measurements.Out.split(u'\n', Qt::SkipEmptyParts);
        transcript.Note(QStringLiteral("measurements: exit %1, %2 lines, the first %3")
                            .arg(measurements.ExitCode)
                            .arg(lines.size())
                            .arg(lines.value(0).simplified()));
        // A file of other columns is not written into.
        const QString other = WriteTestFile(m_Dir.path(), QStringLiteral("other.csv"),
                                            "Time,Frequency (Hz)\n2026-01-01T00:00:00Z,50\n");
        transcript.Run(relay + QStringList{"watch", "--csv", other, "--duration", "1"});
        QCOMPARE(ReadLines(other).size(), 2);
        transcript.Run({"--port", QStringLiteral("/dev/no-such-tty"), "read-holding", "6", "2"});
        // $TZL_PORT stands in for --port and is named in the error.
        qputenv("TZL_PORT", "tcp://relay:65536");
        transcript.Run({"read-holding", "6", "2"});
        qunsetenv("TZL_PORT");

        // Usage errors exit with 2 before the line is touched, a file that
        // cannot be read or written with 1, and help is given with 0: the
        // device named does not exist.
        const QList<QStringList> beforeTheLine{
            {},
            {"frobnicate"},
            {"read-holding", "6"},
            {"read-holding", "6", "3"},
            {"--slave", "0", "read-holding", "6", "2"},
            {"--word-order", "2", "read-holding", "6", "2"},
            {"--settings", "9600-N-8-1", "read-holding", "6", "2"},
            {"--colour", "read-holding", "6", "2"},
            {"--port", "tcp://:x", "read-holding", "6", "2"},
            {"write", "6", "ten"},
            {"write", "66", "nan"},
            // 62 values are 124 registers; a request writes at most 123.
            QStringList{"write", "6"} + QStringList(62, "1"),
            {"set-time", "1929-12-31T23:59:59"},
            {"set-time", "2030-01-01T00:00:00"},
            {"set-time", "yesterday"},
            {"print-config", m_Config},
            {"events", "--pdf"},
            {"print-config", m_Config, "--pdf", m_Dir.filePath("no/such/folder/out.pdf")},
            {"print-config", m_Dir.filePath("none.tcf"), "--pdf", "x.pdf"},
            {"watch", "--help"},
        };
        for (const QStringList& arguments : beforeTheLine)
            transcript.Run(QStringList{"--port", "/dev/no-such-relay"} + arguments);
        TZL_COMPARE_GOLDEN(QStringLiteral("tzlctl-commands.txt"), transcript.Text());

        // Logged in the folder the environment names, with the request sent.
        QFile log(QDir(CommsLogFolder()).filePath(QStringLiteral("CommsErr.log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray entries = log.readAll();
        QVERIFY2(entries.contains(" Modbus Response Timeout\r\nTX: 9 3 0 6 0 2 "),
                 entries.constData());
    }

    // At 115200 baud timed both ways: 21 characters and the 50 ms silence, or
    // fast detection ending with the answer. A transaction can be no faster than
    // the line allows, nor, on a pseudo-terminal, a great deal slower. With
    // --fast alone at 9600 baud: 21 characters of 10 bits and nothing else.
    void BenchReportsItsFigures()
    {
        SimulatorProcess sim({QStringLiteral("--settings"), QStringLiteral("115200,N,8,1")});
        ToolRun run = RunTzlctl({"--port", sim.Device(), "--settings", "115200,N,8,1", "bench",
                                 "--count", "5", "--compare-framing"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        QCOMPARE(Figures(run.Out, QStringLiteral("transactions")), (QList<double>{5, 5}));
        QCOMPARE(Figures(run.Out, QStringLiteral("floor")), (QList<double>{51.82, 1.82}));
        const QList<double> medians = Figures(run.Out, QStringLiteral("median"));
        QVERIFY2(medians.size() == 2 && medians[0] >= 51.82 && medians[0] < 51.82 + 250.0
                     && medians[1] < medians[0],
                 qPrintable(run.Out));
        const QList<double> ratio = Figures(run.Out, QStringLiteral("median, fast / silence"));
        QVERIFY2(ratio.size() == 1 && ratio[0] > 0 && ratio[0] < 1, qPrintable(run.Out));

        SimulatorProcess slow;
        run = RunTzlctl({"--port", slow.Device(), "--fast", "bench", "--count", "3"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        const QList<double> floor = Figures(run.Out, QStringLiteral("floor"));
        QVERIFY2(floor.size() == 1 && qAbs(floor[0] - 21.875) < 0.01, qPrintable(run.Out));
    }

    void EventLogIntoPdf()
    {
        const QString scenario =
            WriteTestFile(m_Dir.path(), QStringLiteral("relay.sim"),
                          "event 2 3 2026-03-14 08:00:05\nevent 1 5 2026-03-13 17:42:00\n");
        SimulatorProcess sim({QStringLiteral("--scenario"), scenario});
        const QString pdf = m_Dir.filePath(QStringLiteral("events.pdf"));
        const QString tef = m_Dir.filePath(QStringLiteral("events.tef"));
        const ToolRun run =
            RunTzlctl(PortOf(sim) + QStringList{"events", "--pdf", pdf, "--save", tef});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        // The listing and the event-log file come as without --pdf.
        QVERIFY2(run.Out.startsWith(QStringLiteral(" 1  2026-03-13T17:42:00  relay 5\n")),
                 qPrintable(run.Out));
        QVERIFY(QFile::exists(tef));

        if (!PdfToTextAvailable())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QCOMPARE(PdfLines(pdf),
                 (QStringList{"EVENT LOG ~ TZL Configurator", "Event No. Time Date Relay No.",
                              EventLine(1, QDateTime({2026, 3, 13}, {17, 42, 0}), 5),
                              EventLine(2, QDateTime({2026, 3, 14}, {8, 0, 5}), 3)}));
    }

    void ConfigurationIntoPdf()
    {
        const QString pdf = m_Dir.filePath(QStringLiteral("site.pdf"));
        const ToolRun run =
            RunTzlctl({"--port", "/dev/no-such-relay", "print-config", m_Config, "--pdf", pdf});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        QCOMPARE(run.Out, QStringLiteral("Configuration %1 printed to %2\n").arg(m_Config, pdf));

        if (!PdfToTextAvailable())
            QSKIP("pdftotext (poppler-utils) is not installed");
        // The file's own values: the layout is the printout tests' to check.
        const QStringList lines = PdfLines(pdf);
        for (const char* line : {"Primary VT Value : 11000.00 Volts", "Trip Name : Bus over volts",
                                 "Trip Point : 12100.00 V", "Relay Number 16"})
            QVERIFY2(lines.contains(QLatin1String(line)), qPrintable(lines.join(u'\n')));
    }

    // ---- through a serial device server ----

    // A download with the connection kept open between transactions (--fast),
    // then the relay read and watched with a connection per transaction. The
    // download's and the event log's own checks are tst_TzlctlRelay's.
    void DownloadAndWatch()
    {
        QTemporaryDir dir;
        const QString config =
            WriteTestFile(dir.path(), QStringLiteral("site.tcf"), ConfigFileText(2, 500, 11000));
        SimulatorProcess sim({"--type", "2"}, SimulatorProcess::Line::Tcp);
        ToolRun run =
            RunTzlctl(PortOf(sim) + QStringList{"--fast", "download-config", config, "--yes"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        run = RunTzlctl(PortOf(sim) + QStringList{"read-holding", "6", "4"});
        QCOMPARE(run.Out.split(u'\n', Qt::SkipEmptyParts), (QStringList{"11000", "500"}));

        const QString csv = dir.filePath(QStringLiteral("watch.csv"));
        run = RunTzlctl(PortOf(sim) + QStringList{"watch", "--csv", csv, "--duration", "2"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        QVERIFY2(run.Err.contains(QStringLiteral(" 0 failed")), qPrintable(run.Err));
    }

    // No line settings to try through a device server.
    void ScanFindsSlaveAndWordOrder()
    {
        SimulatorProcess sim({"--slave", "7", "--word-order", "1"}, SimulatorProcess::Line::Tcp);
        const ToolRun run = RunTzlctl(PortOf(sim) + QStringList{"scan", "--slaves", "1-10"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err + run.Out));
        QVERIFY2(run.Out.contains(QStringLiteral("Found a TZL at slave 7, word order 1")),
                 qPrintable(run.Out));
        QVERIFY2(run.Out.contains(QStringLiteral("Options: --slave 7 --word-order 1\n")),
                 qPrintable(run.Out));
        QVERIFY2(run.Out.contains(QStringLiteral(": 10 combinations")), qPrintable(run.Out));
    }

    // A device server's serial port is one line: a second client is turned
    // away and told so, and the first one is not disturbed.
    void SecondClientIsRefused()
    {
        SimulatorProcess sim({}, SimulatorProcess::Line::Tcp);
        const QUrl url(sim.Device());
        QTcpSocket first;
        first.connectToHost(url.host(), quint16(url.port()));
        QVERIFY(first.waitForConnected(5000));
        ToolRun run = RunTzlctl(PortOf(sim) + QStringList{"read-holding", "6", "2"});
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Err.contains(sim.Device() + QStringLiteral(" closed the connection")),
                 qPrintable(run.Err));
        QString simLog;
        QTRY_VERIFY2((simLog += sim.StandardError()).contains(QStringLiteral("refused")),
                     qPrintable(simLog));
        QCOMPARE(first.state(), QAbstractSocket::ConnectedState);
        first.disconnectFromHost();
        run = RunTzlctl(PortOf(sim) + QStringList{"read-holding", "6", "2"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    }

    // ---- watch ----

    void CsvRowsCarryOnlyFreshValues()
    {
        // A locale that writes 230,5. Qt takes it from the environment even
        // where the C library has no such locale installed.
        qputenv("LC_ALL", "de_DE.UTF-8");
        const auto restore = qScopeGuard([] { qunsetenv("LC_ALL"); });
        // The first exchange, the basics of the first cycle, fails.
        SimulatorProcess sim({"--fault", "value:i0=230.5", "--fault", "value:i42=1234.5", "--fault",
                              "exception:4@1"});
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

private:
    QTemporaryDir m_Dir;
    QString m_Config;
};

QTEST_GUILESS_MAIN(tst_TzlctlLink)
#include "tst_TzlctlLink.moc"
