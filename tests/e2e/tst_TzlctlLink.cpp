// tzlctl against the real simulator over a pseudo-terminal and through a
// serial device server: the line's own commands, usage errors, the printouts
// into PDF files read back with pdftotext, and watch: the CSV file it keeps
// and how it stops.

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
    void ReadsAndWritesThroughTheTtyLayer()
    {
        SimulatorProcess sim({QStringLiteral("--slave"), QStringLiteral("7")});
        const QStringList target{QStringLiteral("--port"), sim.Device(), QStringLiteral("--slave"),
                                 QStringLiteral("7")};

        ToolRun run = RunTzlctl(target + QStringList{"write", "6", "11000", "1250.125"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        run = RunTzlctl(target + QStringList{"--stats", "read-holding", "6", "4"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        const QStringList lines = run.Out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.value(0), QStringLiteral("11000"));
        QCOMPARE(lines.value(1), QStringLiteral("1250.125"));
        QVERIFY(run.Out.contains(QStringLiteral("Characters Rx:     13")));
        QVERIFY(run.Out.contains(QStringLiteral("Responses Rx:      1")));
    }

    void WordOrderAndSlaveMustMatchTheRelay()
    {
        SimulatorProcess sim({QStringLiteral("--word-order"), QStringLiteral("1")});
        ToolRun run = RunTzlctl({"--port", sim.Device(), "--word-order", "1", "write", "6", "415"});
        QCOMPARE(run.ExitCode, 0);
        run = RunTzlctl({"--port", sim.Device(), "--word-order", "1", "read-holding", "6", "2"});
        QCOMPARE(run.Out.trimmed(), QStringLiteral("415"));
        run = RunTzlctl({"--port", sim.Device(), "--word-order", "0", "read-holding", "6", "2"});
        QCOMPARE(run.ExitCode, 0);
        QVERIFY(run.Out.trimmed() != QStringLiteral("415"));
    }

    void RelayFailuresExitWithOne()
    {
        SimulatorProcess sim;
        // Nobody answers to slave 9.
        ToolRun run = RunTzlctl(
            {"--port", sim.Device(), "--slave", "9", "--timeout", "200", "read-holding", "6", "2"});
        QCOMPARE(run.ExitCode, 1);
        QCOMPARE(run.Err.trimmed(), QStringLiteral("Comms Error: Modbus Response Timeout"));
        QVERIFY(run.Out.isEmpty());
        // Logged in the folder the environment names, with the request sent.
        QFile log(QDir(CommsLogFolder()).filePath(QStringLiteral("CommsErr.log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray entries = log.readAll();
        QVERIFY2(entries.contains(" Modbus Response Timeout\r\nTX: 9 3 0 6 0 2 "),
                 entries.constData());

        run = RunTzlctl({"--port", QStringLiteral("/dev/no-such-tty"), "read-holding", "6", "2"});
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Err.contains(QStringLiteral("/dev/no-such-tty")), qPrintable(run.Err));
    }

    // A relay answering with the echo of another selector has not said what was
    // asked: the zeros printed would be no answer at all.
    void InfoFailsOnAnotherItemsEcho()
    {
        SimulatorProcess sim({"--fault", "value:h240=3"});
        const ToolRun run = RunTzlctl({"--port", sim.Device(), "info"});
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Err.contains(QStringLiteral("word order")), qPrintable(run.Err));
        QVERIFY(run.Out.isEmpty());
    }

    // What the relay holds, even where an upload would correct it.
    void SystemShowsWhatTheRelayHolds()
    {
        SimulatorProcess sim({"--volts", "0", "--current", "400", "--type", "4"});
        const ToolRun run = RunTzlctl({"--port", sim.Device(), "system"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        QCOMPARE(
            run.Out.split(u'\n', Qt::SkipEmptyParts),
            QStringList({"System type:      3 Phase 4 Wire System (4) - an upload takes it as 3",
                         "Primary VT value: 0 V - an upload takes it as 1 V",
                         "Primary CT value: 400 A"}));
    }

    // The relay keeps two digits of the year: 30 to 99 are the 1900s, 0 to 29
    // the 2000s, so both ends of the window come back as set.
    void ClockMeasurementsAndInputs()
    {
        SimulatorProcess sim({"--fault", "value:i0=230.5"});
        const QStringList target{"--port", sim.Device()};
        for (const QString moment : {"1930-01-01T00:00:00", "2029-06-15T12:00:00"}) {
            ToolRun run = RunTzlctl(target + QStringList{"set-time", moment});
            QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
            QCOMPARE(run.Out, QStringLiteral("Relay clock set to %1\n").arg(moment));
            run = RunTzlctl(target + QStringList{"get-time"});
            QVERIFY2(run.Out.startsWith(moment.chopped(1)), qPrintable(run.Out + run.Err));
        }
        ToolRun run = RunTzlctl(target + QStringList{"read-input", "0", "4"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        QCOMPARE(run.Out.section(u'\n', 0, 0), QStringLiteral("230.5"));
        QCOMPARE(run.Out.count(u'\n'), 2);
        run = RunTzlctl(target + QStringList{"measurements"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        const QStringList lines = run.Out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 31);
        QCOMPARE(lines[0].simplified(), QStringLiteral("Volts1 230.500"));
    }

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

    // Usage errors exit with 2 before the line is touched; a file that cannot
    // be read or written with 1. The device named does not exist.
    void FailuresBeforeTheLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error"); // a part of it
        const auto usage = [](const char* name, const QStringList& arguments) {
            QTest::newRow(name) << arguments << 2 << "tzlctl";
        };
        usage("no command", {});
        usage("unknown command", {"frobnicate"});
        usage("missing count", {"read-holding", "6"});
        usage("odd count", {"read-holding", "6", "3"});
        usage("slave 0", {"--slave", "0", "read-holding", "6", "2"});
        usage("word order 2", {"--word-order", "2", "read-holding", "6", "2"});
        usage("bad settings", {"--settings", "9600-N-8-1", "read-holding", "6", "2"});
        usage("bad value", {"write", "6", "ten"});
        usage("value nan", {"write", "66", "nan"});
        // 62 values are 124 registers; a request writes at most 123.
        usage("62 values", QStringList{"write", "6"} << QStringList(62, "1"));
        usage("set-time 1929", {"set-time", "1929-12-31T23:59:59"});
        usage("set-time 2030", {"set-time", "2030-01-01T00:00:00"});
        usage("set-time no date", {"set-time", "yesterday"});
        usage("unknown option", {"--colour", "read-holding", "6", "2"});
        QTest::newRow("no network address")
            << QStringList{"--port", "tcp://:x", "read-holding", "6", "2"} << 2
            << "--port \"tcp://:x\" is not a network address: the host is missing";
        QTest::newRow("no --pdf") << QStringList{"print-config", m_Config} << 2
                                  << "--pdf OUT.pdf is missing";
        QTest::newRow("events --pdf without a file")
            << QStringList{"events", "--pdf"} << 2 << "--pdf needs a file name";
        const QString unwritable = m_Dir.filePath(QStringLiteral("no/such/folder/out.pdf"));
        QTest::newRow("PDF in a missing folder")
            << QStringList{"print-config", m_Config, "--pdf", unwritable} << 1
            << QStringLiteral("the PDF file %1 could not be written").arg(unwritable);
        QTest::newRow("missing configuration file")
            << QStringList{"print-config", m_Dir.filePath("none.tcf"), "--pdf", "x.pdf"} << 1
            << "The file can not be located";
    }

    void FailuresBeforeTheLine()
    {
        QFETCH(QStringList, arguments);
        const ToolRun run = RunTzlctl(QStringList{"--port", "/dev/no-such-relay"} + arguments);
        QTEST(run.ExitCode, "exitCode");
        QFETCH(QString, error);
        // A usage error says so first.
        QVERIFY2(error == u"tzlctl" ? run.Err.startsWith(error) : run.Err.contains(error),
                 qPrintable(run.Err));
        QVERIFY(run.Out.isEmpty());
    }

    // A device that does not exist shows that the help is given before the
    // line is touched.
    void CommandHelpNeedsNoLine()
    {
        const ToolRun run = RunTzlctl({"--port", "/dev/no-such-device", "watch", "--help"});
        QCOMPARE(run.ExitCode, 0);
        QVERIFY2(run.Out.startsWith(
                     QStringLiteral("Usage: tzlctl [OPTIONS] watch [--duration S] [--csv FILE]\n")),
                 qPrintable(run.Out));
        QVERIFY(run.Out.contains(QStringLiteral("Ctrl+C")));
        QVERIFY(run.Err.isEmpty());
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

    // $TZL_PORT stands in for --port and is named in the error.
    void MalformedAddressIsAUsageError()
    {
        qputenv("TZL_PORT", "tcp://relay:65536");
        const ToolRun run = RunTzlctl({"read-holding", "6", "2"});
        qunsetenv("TZL_PORT");
        QCOMPARE(run.ExitCode, 2);
        QVERIFY2(run.Err.startsWith("tzlctl read-holding: $TZL_PORT \"tcp://relay:65536\" is not "
                                    "a network address: the port must be a number from 1 to "
                                    "65535 (write"),
                 qPrintable(run.Err));
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

private:
    QTemporaryDir m_Dir;
    QString m_Config;
};

QTEST_GUILESS_MAIN(tst_TzlctlLink)
#include "tst_TzlctlLink.moc"
