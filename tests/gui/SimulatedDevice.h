#pragma once

#include "FakeClock.h"
#include "SimulatedLink.h"
#include "model/cTZL.h"

#include <QAbstractItemView>
#include <QTableWidget>
#include <QTest>
#include <QWidget>

// A device object over the simulated relay: frames under test are filled the
// way the polling fills them, through the model's own uploads.
struct SimulatedDevice
{
    SimulatedDevice()
    {
        Link.SetTimeouts(SimulatedLink::TestResponseTimeoutMs, 1);
        Link.Relay().SetMeasurementsLive(false);
    }
    std::int16_t Slave() const { return Link.SlaveID(); }

    // Gives the relays these status bytes and reads them into the model.
    bool UploadStatus(const QMap<int, int>& statusByRelay)
    {
        for (int relay = 1; relay <= cTZLTrips::RelayCount; ++relay)
            Link.Relay().SetRelayStatus(relay, statusByRelay.value(relay, 0));
        return Device.TripData.UploadAllStatus(Slave());
    }

    SimulatedLink Link;
    FakeClock Clock;
    cTZL Device{Link.Modbus(), Link.UI(), Clock};
};

// Relay status bits as the relay reports them.
namespace Status {
constexpr int Tripped = SimulatedRelay::StatusTripped;
constexpr int Latched = SimulatedRelay::StatusLatched;
constexpr int Acknowledged = SimulatedRelay::StatusAcknowledged;
constexpr int InAlarm = SimulatedRelay::StatusInAlarm;
} // namespace Status

inline QTableWidget* Grid(const QWidget& frame, const char* name)
{
    return frame.findChild<QTableWidget*>(QLatin1String(name));
}

// A mouse click in the middle of a cell, as the user makes it.
inline void ClickCell(QTableWidget* grid, int row, int column)
{
    const QRect cell = grid->visualItemRect(grid->item(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

// Shows the frame at the size of a tab page of the main window.
inline bool ShowAsTabPage(QWidget& frame)
{
    frame.resize(900, 560);
    frame.show();
    return QTest::qWaitForWindowExposed(&frame);
}
