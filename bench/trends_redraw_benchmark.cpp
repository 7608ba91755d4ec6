// The Trends window's worst case: a full eight hours of every measurement at
// one reading a second (three times denser than the polling ever gives), all
// series shown over the 8 h span, then a new reading appended and the plots
// redrawn and painted, again and again. Prints the longest and the median.
// Not a test: timings depend on the machine; scripts/measure-trends runs it.

#include "MemorySettingsStore.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedUserInterface.h"

#include "shell/frmTrends.h"
#include "trends/TrendSeries.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

namespace {

using Block = cPollingCycle::MeasurementBlock;

// Wandering values, so every bucket of the plots has a low and a high.
cTZLInputRegisters::Readings ReadingsAt(qint64 ms)
{
    cTZLInputRegisters::Readings readings;
    for (std::size_t q = 0; q < readings.size(); ++q)
        readings.at(q) = 1000.0f * float(q + 1) + 50.0f * float(std::sin(double(ms) / 7e5 + q))
                         + float((ms / 1000 * 7919) % 13);
    return readings;
}

// The CPU time this thread has used: on a busy machine the wall time also
// counts the other programs' turns.
qint64 ThreadCpuMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

QString Summary(const QString& what, std::vector<qint64> micros)
{
    std::sort(micros.begin(), micros.end());
    return QStringLiteral("  %1: median %2 ms, longest %3 ms\n")
        .arg(what)
        .arg(double(micros[micros.size() / 2]) / 1000.0, 0, 'f', 1)
        .arg(double(micros.back()) / 1000.0, 0, 'f', 1);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TrendHistory history;
    ScriptedUserInterface ui;
    MemorySettingsStore store;
    ScriptedFileDialogs dialogs;
    const qint64 start = QDateTime(QDate(2024, 5, 17), QTime(8, 0)).toMSecsSinceEpoch();
    const qint64 eightHours = 8 * 3600 * 1000;
    for (qint64 ms = start; ms <= start + eightHours; ms += 1000) {
        for (Block block : {Block::Basics, Block::Averages, Block::Sums, Block::BusGen})
            history.Record(ms, block, ReadingsAt(ms));
    }

    frmTrends window({history, ui, store, dialogs, QStringLiteral("VI_TZLConfigurator")});
    window.resize(1280, 800);
    auto* span = window.findChild<QComboBox*>("cboSpan");
    span->setCurrentIndex(span->count() - 1);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    QWidget* plots = window.findChild<QWidget*>(QStringLiteral("Plots"));

    // A reading within the plots' current step of scrolling redraws its own
    // lines; one that starts the next step redraws everything: the worst case.
    std::size_t samples = 0;
    for (const TrendSeries& series : TrendSeriesList)
        samples += history.SamplesOf(series.Quantity).size();
    QTextStream out(stdout);
    out << QStringLiteral("append + redraw with 8 h of history (%1 samples in the 15 series "
                          "shown), span 8 h, plots %2x%3 px, 40 runs each:\n")
               .arg(samples)
               .arg(plots->width())
               .arg(plots->height());
    qint64 ms = start + eightHours;
    const qint64 step = eightHours / 100;
    for (const bool scrolls : {false, true}) {
        std::vector<qint64> wall;
        std::vector<qint64> cpu;
        for (int i = 1; i <= 40; ++i) {
            // One pass of the rotation reads one block; the basics every other.
            const Block block =
                i % 2 == 1 ? Block::Basics : Block(int(Block::Basics) + i / 2 % 3 + 1);
            ms = scrolls ? (ms / step + 1) * step + 1 : ms + 1;
            QElapsedTimer timer;
            timer.start();
            const qint64 cpuStart = ThreadCpuMicroseconds();
            history.Record(ms, block, ReadingsAt(ms));
            plots->repaint();
            QCoreApplication::processEvents();
            wall.push_back(timer.nsecsElapsed() / 1000);
            cpu.push_back(ThreadCpuMicroseconds() - cpuStart);
        }
        out << (scrolls ? "the plots scroll a step:\n" : "within a step:\n")
            << Summary(QStringLiteral("wall time"), wall)
            << Summary(QStringLiteral("CPU time of the thread"), cpu);
    }
    return 0;
}
