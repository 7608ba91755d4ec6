#include "Golden.h"
#include "GridDump.h"
#include "SimulatedDevice.h"

#include "shell/fraRelays.h"

#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>

namespace {

constexpr int Relay = 7;
constexpr int Row = Relay - 1;
// Item columns of STATE, LATCHED and ALARM (grid columns 1 to 3).
constexpr int State = 0;
constexpr int Latched = 1;
constexpr int Alarm = 2;

struct Shown
{
    SimulatedDevice Sim;
    fraRelays Frame{Sim.Device};
    QTableWidget* Status = Grid(Frame, "fgridRelayStatus");
    QSignalSpy ResetTrip{&Frame, &fraRelays::ResetTripRequested};
    QSignalSpy AckAlarm{&Frame, &fraRelays::AckAlarmRequested};

    Shown()
    {
        Frame.SetUpRelayStatusGrid();
        Frame.FillRelayStatusGrid();
    }
    bool Fill(const QMap<int, int>& statusByRelay)
    {
        const bool uploaded = Sim.UploadStatus(statusByRelay);
        Frame.FillRelayStatusGrid();
        return uploaded;
    }
    QPushButton* Button(const QString& name) const { return Frame.findChild<QPushButton*>(name); }
    // The relay numbers carried by each kind of request so far.
    QList<int> Requests(QSignalSpy& spy) const
    {
        QList<int> relays;
        for (const QList<QVariant>& arguments : spy)
            relays << arguments.at(0).toInt();
        return relays;
    }
};

} // namespace

class tst_fraRelays : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Relays 1 to 8 in each state of interest, each cell first showing the
    // opposite so that it must lose what an earlier state left in it; relay
    // 7 by its name.
    void GridShowsEachState()
    {
        Shown shown;
        const int states[] = {0,
                              Status::Tripped,
                              Status::Latched,
                              Status::Tripped | Status::Latched,
                              Status::InAlarm,
                              Status::InAlarm | Status::Acknowledged,
                              Status::Acknowledged,
                              15};
        QMap<int, int> opposite, wanted;
        for (int relay = 1; relay <= 8; ++relay) {
            opposite[relay] = 15 & ~states[relay - 1];
            wanted[relay] = states[relay - 1];
        }
        shown.Sim.Device.TripData.SetName(Relay, QStringLiteral("Bus Under Volts"));
        QVERIFY(shown.Fill(opposite));
        QVERIFY(shown.Fill(wanted));
        TZL_COMPARE_GOLDEN(QStringLiteral("fraRelays-grid.txt"), GridDump(shown.Status));
    }

    // A click records a request only where the cell offers one (a reset on
    // LATCHED of a latched relay no longer tripped, an acknowledgement on
    // ALARM of an unacknowledged alarm); every request disables the grid
    // until the main window has run it. Each state of relay 7, each column.
    void CellClick()
    {
        const int states[] = {0,
                              Status::Latched,
                              Status::Tripped,
                              Status::Tripped | Status::Latched,
                              Status::InAlarm,
                              Status::InAlarm | Status::Acknowledged,
                              Status::Latched | Status::InAlarm};
        Shown shown;
        QVERIFY(ShowAsTabPage(shown.Frame));
        QString dump;
        for (const int status : states) {
            QVERIFY(shown.Fill({{Relay, status}}));
            for (const int column : {State, Latched, Alarm}) {
                shown.Frame.SetGridEnabled(true);
                shown.ResetTrip.clear();
                shown.AckAlarm.clear();
                ClickCell(shown.Status, Row, column);
                dump += QStringLiteral("status %1, %2: resets %3, acks %4%5\n")
                            .arg(status)
                            .arg(shown.Status->horizontalHeaderItem(column)->text())
                            .arg(shown.ResetTrip.count())
                            .arg(shown.AckAlarm.count())
                            .arg(shown.Status->isEnabled() ? "" : ", grid disabled");
            }
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("fraRelays-clicks.txt"), dump);
    }

    // While a request waits the grid takes no clicks; once the main window has
    // run it and enabled the grid again, the next click counts.
    void OneRequestAtATime()
    {
        Shown shown;
        QVERIFY(ShowAsTabPage(shown.Frame));
        QVERIFY(shown.Fill({{3, Status::Latched}, {Relay, Status::InAlarm}}));
        ClickCell(shown.Status, 2, Latched);
        ClickCell(shown.Status, Row, Alarm);
        QCOMPARE(shown.Requests(shown.ResetTrip), QList<int>{3});
        QCOMPARE(shown.AckAlarm.count(), 0);

        shown.Frame.SetGridEnabled(true);
        ClickCell(shown.Status, Row, Alarm);
        QCOMPARE(shown.Requests(shown.AckAlarm), QList<int>{Relay});
        QCOMPARE(shown.ResetTrip.count(), 1);
    }

    // Walking the grid with the keyboard never acts on a relay.
    void KeyboardRecordsNothing()
    {
        Shown shown;
        QVERIFY(ShowAsTabPage(shown.Frame));
        QVERIFY(shown.Fill({{1, Status::Latched}, {2, Status::InAlarm}}));
        shown.Status->setFocus();
        shown.Status->setCurrentCell(0, State);
        for (Qt::Key key :
             {Qt::Key_Right, Qt::Key_Down, Qt::Key_Right, Qt::Key_Space, Qt::Key_Return})
            QTest::keyClick(shown.Status, key);
        QCOMPARE(shown.Status->currentRow(), 1);
        QCOMPARE(shown.Status->currentColumn(), Alarm);
        QCOMPARE(shown.ResetTrip.count(), 0);
        QCOMPARE(shown.AckAlarm.count(), 0);
        QVERIFY(shown.Status->isEnabled());
    }

    // Each button asks once, then waits until the main window enables it.
    void ButtonsRequestOnce()
    {
        Shown shown;
        QSignalSpy resets(&shown.Frame, &fraRelays::ResetTripsRequested);
        QSignalSpy acks(&shown.Frame, &fraRelays::AckAlarmsRequested);
        QVERIFY(ShowAsTabPage(shown.Frame));
        QPushButton* reset = shown.Button(QStringLiteral("cmdResetTrips"));
        QPushButton* ack = shown.Button(QStringLiteral("cmdAckAlarms"));
        for (QPushButton* cmd : {reset, reset, ack, ack})
            QTest::mouseClick(cmd, Qt::LeftButton);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(acks.count(), 1);
        QVERIFY(!reset->isEnabled() && !ack->isEnabled());
        shown.Frame.SetResetTripsEnabled(true);
        shown.Frame.SetAckAlarmsEnabled(true);
        for (QPushButton* cmd : {reset, ack})
            QTest::mouseClick(cmd, Qt::LeftButton);
        QCOMPARE(resets.count(), 2);
        QCOMPARE(acks.count(), 2);
    }

    // On a tab page all 16 relays show without scrolling.
    void LayoutOnATabPage()
    {
        Shown shown;
        QVERIFY(ShowAsTabPage(shown.Frame));
        QTableWidget* grid = shown.Status;
        QVERIFY(grid->horizontalHeader()->length() <= grid->viewport()->width());
        QVERIFY(grid->verticalHeader()->length() <= grid->viewport()->height());
        QVERIFY(grid->visibleRegion().boundingRect().contains(grid->rect()));
    }
};

QTEST_MAIN(tst_fraRelays)
#include "tst_fraRelays.moc"
