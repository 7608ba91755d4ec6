#include "shell/FindTZLProgress.h"

#include "platform/ISerialPort.h"

#include <QProgressDialog>

namespace {

// Short enough that every combination is tried in minutes; a relay answers
// in a few tens of milliseconds.
constexpr std::chrono::milliseconds ProbeTimeout{100};

} // namespace

ScanResult FindTZLWithProgress(ISerialPort& port, IUserInterface& ui, QWidget* parent)
{
    const ScanPlan plan = ScanPlan::ForPort(port.PortName(), 1, 247, ProbeTimeout);
    QProgressDialog progress(QStringLiteral("Searching %1 for the TZL ....").arg(port.PortName()),
                             QStringLiteral("Cancel"), 0, int(plan.Probes().size()), parent);
    progress.setObjectName(QStringLiteral("frmFindTZL"));
    progress.setWindowTitle(QStringLiteral("Find TZL"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);

    RelayScan scan(port, ui);
    // A modal progress dialog handles its events while its value is set,
    // which is how a Cancel click is seen between probes.
    scan.Progress = [&](int index, const ScanProbe& probe) {
        progress.setLabelText(QStringLiteral("Searching %1 for the TZL: %2, slave %3")
                                  .arg(port.PortName(), probe.Line.ToString())
                                  .arg(probe.Slave));
        progress.setValue(index);
    };
    scan.Cancelled = [&] { return progress.wasCanceled(); };
    return scan.Run(plan);
}
