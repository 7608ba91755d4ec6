// tzlctl's fast response detection against the real simulator over a
// pseudo-terminal.

#include "SimulatorProcess.h"

#include <QRegularExpression>
#include <QTest>

namespace {

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

} // namespace

class tst_TzlctlFastFraming : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void CompareFramingShowsTheGain();
    void FastOptionDropsTheSilence();
};

void tst_TzlctlFastFraming::CompareFramingShowsTheGain()
{
    SimulatorProcess sim({QStringLiteral("--settings"), QStringLiteral("115200,N,8,1")});
    QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
    const ToolRun run = RunTzlctl({"--port", sim.Device(), "--settings", "115200,N,8,1", "bench",
                                   "--count", "10", "--compare-framing"});
    QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    const QList<double> medians = Figures(run.Out, QStringLiteral("median"));
    QVERIFY2(medians.size() == 2, qPrintable(run.Out));
    QVERIFY2(medians[1] < medians[0], qPrintable(run.Out));
    // 21 characters at 115200 baud, with and without the 50 ms silence.
    QCOMPARE(Figures(run.Out, QStringLiteral("floor")), (QList<double>{51.82, 1.82}));
    const QList<double> ratio = Figures(run.Out, QStringLiteral("median, fast / silence"));
    QVERIFY2(ratio.size() == 1 && ratio[0] > 0 && ratio[0] < 1, qPrintable(run.Out));
}

void tst_TzlctlFastFraming::FastOptionDropsTheSilence()
{
    SimulatorProcess sim;
    QVERIFY2(!sim.Device().isEmpty(), qPrintable(sim.StandardError()));
    const ToolRun run = RunTzlctl({"--port", sim.Device(), "--fast", "bench", "--count", "3"});
    QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
    // 21 characters of 10 bits at 9600 baud and nothing else.
    const QList<double> floor = Figures(run.Out, QStringLiteral("floor"));
    QVERIFY2(floor.size() == 1 && qAbs(floor[0] - 21.875) < 0.01, qPrintable(run.Out));
}

QTEST_GUILESS_MAIN(tst_TzlctlFastFraming)
#include "tst_TzlctlFastFraming.moc"
