// tzlctl compare, download-config --verify and scan against the real
// simulator over a pseudo-terminal. A relay's configuration is read a trip
// definition a second: compare and verify each read one whole.

#include "Golden.h"
#include "SimulatorProcess.h"

#include <QElapsedTimer>
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

} // namespace

class tst_TzlctlCompareScan : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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

private:
    QTemporaryDir m_Dir;
};

QTEST_GUILESS_MAIN(tst_TzlctlCompareScan)
#include "tst_TzlctlCompareScan.moc"
