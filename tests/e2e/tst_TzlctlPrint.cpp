// tzlctl's printouts into PDF files: the event log read from the real
// simulator over a pseudo-terminal, and a configuration file without any
// relay, both read back with pdftotext.

#include "PdfText.h"
#include "SimulatorProcess.h"
#include "platform/LocaleDateText.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A 3-wire system of 11 kV and 500 A, relay 3 over volts (latched, logged,
// fail safe), the other relays unused.
QString WriteConfig(const QTemporaryDir& dir, const QString& name)
{
    return WriteTestFile(
        dir.path(), name,
        ConfigFileText(2, 500, 11000, {{3, {"Bus over volts", "1", "13", "12100", "110", "2.5"}}}));
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

class tst_TzlctlPrint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // As over ssh or in CI: no display, and no Qt platform named.
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        qunsetenv("QT_QPA_PLATFORM");
    }

    void EventLogIntoPdf()
    {
        const QString scenario =
            WriteTestFile(m_Dir.path(), QStringLiteral("relay.sim"),
                          "event 2 3 2026-03-14 08:00:05\nevent 1 5 2026-03-13 17:42:00\n");
        SimulatorProcess sim({QStringLiteral("--scenario"), scenario});
        QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
        const QString pdf = m_Dir.filePath(QStringLiteral("events.pdf"));
        const QString tef = m_Dir.filePath(QStringLiteral("events.tef"));
        const ToolRun run =
            RunTzlctl({"--port", sim.Device(), "events", "--pdf", pdf, "--save", tef});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        // The listing and the event-log file come as without --pdf.
        QVERIFY2(run.Out.startsWith(QStringLiteral(" 1  2026-03-13T17:42:00  relay 5\n")),
                 qPrintable(run.Out));
        QVERIFY(QFile::exists(tef));

        if (!PdfToTextAvailable())
            QSKIP("pdftotext (poppler-utils) is not installed");
        const QStringList lines = PdfLines(pdf);
        QCOMPARE(lines,
                 (QStringList{"EVENT LOG ~ TZL Configurator", "Event No. Time Date Relay No.",
                              EventLine(1, QDateTime({2026, 3, 13}, {17, 42, 0}), 5),
                              EventLine(2, QDateTime({2026, 3, 14}, {8, 0, 5}), 3)}));
    }

    void ConfigurationIntoPdf()
    {
        const QString config = WriteConfig(m_Dir, QStringLiteral("site.tcf"));
        const QString pdf = m_Dir.filePath(QStringLiteral("site.pdf"));
        // No relay is needed: the device named does not exist.
        const ToolRun run =
            RunTzlctl({"--port", "/dev/no-such-relay", "print-config", config, "--pdf", pdf});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        QCOMPARE(run.Out, QStringLiteral("Configuration %1 printed to %2\n").arg(config, pdf));

        if (!PdfToTextAvailable())
            QSKIP("pdftotext (poppler-utils) is not installed");
        // The file's own values: the layout is the printout tests' to check.
        const QStringList lines = PdfLines(pdf);
        for (const char* line : {"Primary VT Value : 11000.00 Volts", "Trip Name : Bus over volts",
                                 "Trip Point : 12100.00 V", "Relay Number 16"})
            QVERIFY2(lines.contains(QLatin1String(line)), qPrintable(lines.join(u'\n')));
    }

    void FailuresAndUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        const QString config = WriteConfig(m_Dir, QStringLiteral("usage.tcf"));
        const QString unwritable = m_Dir.filePath(QStringLiteral("no/such/folder/out.pdf"));
        QTest::newRow("PDF in a missing folder")
            << QStringList{"print-config", config, "--pdf", unwritable} << 1
            << QStringLiteral("the PDF file %1 could not be written").arg(unwritable);
        QTest::newRow("missing configuration file")
            << QStringList{"print-config", m_Dir.filePath("none.tcf"), "--pdf", "x.pdf"} << 1
            << "The file can not be located";
        QTest::newRow("no --pdf") << QStringList{"print-config", config} << 2
                                  << "--pdf OUT.pdf is missing";
        QTest::newRow("events --pdf without a file")
            << QStringList{"events", "--pdf"} << 2 << "--pdf needs a file name";
    }

    void FailuresAndUsage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        const ToolRun run = RunTzlctl(QStringList{"--port", "/dev/no-such-relay"} + arguments);
        QCOMPARE(run.ExitCode, exitCode);
        QVERIFY2(run.Err.contains(error), qPrintable(run.Err));
    }

private:
    QTemporaryDir m_Dir;
};

QTEST_GUILESS_MAIN(tst_TzlctlPrint)
#include "tst_TzlctlPrint.moc"
