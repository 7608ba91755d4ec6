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

    // A click records a request only where the cell offers one; every request
    // disables the grid until the main window has run it.
    void CellClick_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("column");
        QTest::addColumn<QList<int>>("resets");
        QTest::addColumn<QList<int>>("acks");
        const QList<int> none, relay{Relay};
        QTest::newRow("latched: LATCHED") << Status::Latched << Latched << relay << none;
        QTest::newRow("latched: STATE") << Status::Latched << State << none << none;
        QTest::newRow("latched: ALARM") << Status::Latched << Alarm << none << none;
        QTest::newRow("tripped and latched: LATCHED")
            << (Status::Tripped | Status::Latched) << Latched << none << none;
        QTest::newRow("tripped: STATE") << Status::Tripped << State << none << none;
        QTest::newRow("alarm: ALARM") << Status::InAlarm << Alarm << none << relay;
        QTest::newRow("alarm: LATCHED") << Status::InAlarm << Latched << none << none;
        QTest::newRow("acknowledged alarm: ALARM")
            << (Status::InAlarm | Status::Acknowledged) << Alarm << none << none;
        QTest::newRow("latched, in alarm: LATCHED")
            << (Status::Latched | Status::InAlarm) << Latched << relay << none;
        QTest::newRow("latched, in alarm: ALARM")
            << (Status::Latched | Status::InAlarm) << Alarm << none << relay;
        QTest::newRow("clear: ALARM") << 0 << Alarm << none << none;
    }
    void CellClick()
    {
        QFETCH(int, status);
        QFETCH(int, column);
        QFETCH(QList<int>, resets);
        QFETCH(QList<int>, acks);
        Shown shown;
        QVERIFY(ShowAsTabPage(shown.Frame));
        QVERIFY(shown.Fill({{Relay, status}}));
        ClickCell(shown.Status, Row, column);
        QCOMPARE(shown.Requests(shown.ResetTrip), resets);
        QCOMPARE(shown.Requests(shown.AckAlarm), acks);
        QCOMPARE(shown.Status->isEnabled(), resets.isEmpty() && acks.isEmpty());
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

    void ButtonsRequestOnce_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tip");
        QTest::newRow("reset trips")
            << QString("cmdResetTrips") << QString("Reset Trips") << QString("Clear latched trips");
        QTest::newRow("ack alarms") << QString("cmdAckAlarms") << QString("Ack Alarms")
                                    << QString("Acknowledge new alarms");
    }
    void ButtonsRequestOnce()
    {
        QFETCH(QString, button);
        QFETCH(QString, caption);
        Shown shown;
        QSignalSpy resets(&shown.Frame, &fraRelays::ResetTripsRequested);
        QSignalSpy acks(&shown.Frame, &fraRelays::AckAlarmsRequested);
        QSignalSpy& pressed = button == "cmdResetTrips" ? resets : acks;
        QSignalSpy& other = button == "cmdResetTrips" ? acks : resets;
        QVERIFY(ShowAsTabPage(shown.Frame));
        QPushButton* cmd = shown.Button(button);
        QCOMPARE(cmd->text(), caption);
        QTEST(cmd->toolTip(), "tip");
        QCOMPARE(cmd->accessibleName(), caption);

        QTest::mouseClick(cmd, Qt::LeftButton);
        QTest::mouseClick(cmd, Qt::LeftButton);
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(other.count(), 0);
        QVERIFY(!cmd->isEnabled());

        if (button == "cmdResetTrips")
            shown.Frame.SetResetTripsEnabled(true);
        else
            shown.Frame.SetAckAlarmsEnabled(true);
        QTest::mouseClick(cmd, Qt::LeftButton);
        QCOMPARE(pressed.count(), 2);
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
        QCOMPARE(grid->toolTip(), QStringLiteral("Displays Current Status of the TZL Relays"));
    }
};

QTEST_MAIN(tst_fraRelays)
#include "tst_fraRelays.moc"
