#include "Golden.h"
#include "GridDump.h"
#include "SimulatedDevice.h"

#include "platform/LocaleDateText.h"
#include "shell/fraEvents.h"
#include "shell/fraRelays.h"
#include "shell/fraStatus.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <string_view>
#include <tuple>

namespace {

struct StatusTab
{
    SimulatedDevice Sim;
    fraStatus Frame{Sim.Device};
    QTableWidget* Measurements = Grid(Frame, "fgridMeasurements");
    QTableWidget* Trips = Grid(Frame, "fgridCurrentTrips");

    StatusTab()
    {
        Frame.SetUpMeasurementsGrid();
        Frame.DisplayMeasurements();
    }
    // The tab as the user and assistive technology see it: the measurements,
    // each box under its caption with the name it is read out by, the legend
    // with its colours, and the current trips.
    QString Dump() const
    {
        QString dump = GridDump(Measurements);
        for (const QLabel* label : Frame.findChildren<QLabel*>()) {
            if (const auto* box = qobject_cast<const QLineEdit*>(label->buddy()))
                dump +=
                    QStringLiteral("%1 (read as %2%3): %4\n")
                        .arg(label->text(), box->accessibleName(),
                             box->toolTip() == label->toolTip() ? "" : ", own tip", box->text());
            else if (label->autoFillBackground())
                dump +=
                    QStringLiteral("legend %1 [%2]\n")
                        .arg(label->text(), label->palette().color(label->backgroundRole()).name());
        }
        return dump + GridDump(Trips);
    }
};

constexpr int Relay = 7;
constexpr int Row = Relay - 1;
// Item columns of STATE, LATCHED and ALARM (grid columns 1 to 3).
constexpr int State = 0;
constexpr int Latched = 1;
constexpr int Alarm = 2;
// The relay states of interest: clear, tripped, latched, both, in alarm,
// acknowledged, an acknowledgement left from an alarm, latched in alarm, all.
constexpr int RelayStates[] = {0,
                               Status::Tripped,
                               Status::Latched,
                               Status::Tripped | Status::Latched,
                               Status::InAlarm,
                               Status::InAlarm | Status::Acknowledged,
                               Status::Acknowledged,
                               Status::Latched | Status::InAlarm,
                               15};

struct RelaysTab
{
    SimulatedDevice Sim;
    fraRelays Frame{Sim.Device};
    QTableWidget* Status = Grid(Frame, "fgridRelayStatus");
    QSignalSpy ResetTrip{&Frame, &fraRelays::ResetTripRequested};
    QSignalSpy AckAlarm{&Frame, &fraRelays::AckAlarmRequested};

    RelaysTab()
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
};

const QString Unknown = QStringLiteral("** Unknown - Upload TZL Configuration **");
const QString OverVolts = QStringLiteral("Over Volts (ANSI 59)");
// Item columns of the date and the trip function.
constexpr int When = 0;
constexpr int Function = 2;

QDateTime At(int day, int hour)
{
    return QDateTime(QDate(2024, 3, day), QTime(hour, 15, 45));
}

struct EventsTab
{
    SimulatedDevice Sim;
    fraEvents Frame{Sim.Device};
    QTableWidget* Log = Grid(Frame, "fgridEventLog");
    QCheckBox* UseCurrent = Frame.findChild<QCheckBox*>("chkEventLogUseCurrent");

    EventsTab() { Frame.SetUpEventLogGrid(); }
    // The relay delivers these events in this order; the model reads them.
    bool Upload(const std::vector<RelayEvent>& events)
    {
        Sim.Link.Relay().SetEvents(events);
        return Sim.Device.EventLog.Upload(Sim.Slave());
    }
    // Relay 4 trips on over volts; relay 9 stays unused.
    void DefineTrips()
    {
        Sim.Device.SetTripFunction(4, 1);
        Sim.Device.SetTripFunction(9, 0);
    }
};

} // namespace

// The three tabs built on display grids: Measurements (fraStatus), Relays
// (fraRelays) and Events (fraEvents), each on a simulated relay's device.
class tst_GridFrames : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }

    // The tab through a session. Every input register holds a value of its
    // own (1000 + its number), so each quantity must land in its own cell or
    // box; the relays' states each colour one cell of the current trips, and
    // a relay that clears loses its text and colour. After the model forgets
    // its measurements every value is empty rather than a zero that looks
    // real, and the cells that never get a value stay grey.
    void StatusTabThroughASession()
    {
        StatusTab shown;
        QString dump = QStringLiteral("# set up\n") + shown.Dump();
        for (int reg = 0; reg <= 240; reg += 2)
            shown.Sim.Link.Relay().SetMeasurement(reg, 1000.0f + float(reg));
        QVERIFY(shown.Sim.Device.Inputs.Upload(shown.Sim.Slave()));
        for (std::int16_t relay = 1; relay <= cTZLTrips::RelayCount; ++relay)
            shown.Sim.Device.TripData.SetName(relay, QStringLiteral("Trip %1").arg(relay));
        const int tripped = Status::Tripped, latched = Status::Latched;
        const int alarm = Status::InAlarm, acknowledged = Status::Acknowledged;
        QVERIFY(shown.Sim.UploadStatus({{1, tripped},
                                        {8, latched},
                                        {9, tripped},
                                        {16, alarm},
                                        {4, tripped | alarm},
                                        {12, alarm | acknowledged},
                                        {2, tripped | alarm | acknowledged},
                                        {10, acknowledged}}));
        shown.Frame.DisplayMeasurements();
        dump += QStringLiteral("# read, relays tripped and in alarm\n") + shown.Dump();
        QVERIFY(shown.Sim.UploadStatus({}));
        shown.Sim.Device.TransientDataClear();
        shown.Frame.DisplayMeasurements();
        dump += QStringLiteral("# relays clear, model cleared\n") + shown.Dump();
        TZL_COMPARE_GOLDEN(QStringLiteral("fraStatus-tab.txt"), dump);
    }

    // How far a value may be trusted: nothing for a value not read yet
    // (0.00000 would pass for a real zero), the value for a fresh read, and
    // the last good value greyed with its time for a failed one.
    void StatusNeverFreshStale()
    {
        // Volts 1 (basics) with the relay's 230.5 V; reads: b a good read of
        // the basics, x a failed one, c the model cleared (new slave, New).
        // Never read, never read with a failed read, fresh, stale, fresh
        // again, cleared.
        const std::tuple<const char*, const char*, bool> rows[] = {
            {"", "", false},
            {"x", "", false},
            {"b", "230.500  ", false},
            {"bx", "230.500  ", true},
            {"bxb", "230.500  ", false},
            {"bxc", "", false},
        };
        for (const auto& [reads, text, greyed] : rows) {
            SimulatedDevice sim;
            fraStatus frame(sim.Device);
            frame.SetUpMeasurementsGrid();
            sim.Link.Relay().SetMeasurement(0, 230.5f);
            sim.Link.Relay().SetMeasurement(70, 50.0f);
            for (const char read : std::string_view(reads)) {
                sim.Link.Faults().SetPersistent(read == 'x' ? SimFault::NoAnswer() : SimFault{});
                if (read == 'c')
                    sim.Device.TransientDataClear();
                else
                    sim.Device.Inputs.UpLoadBasics(sim.Slave());
            }
            frame.DisplayMeasurements();

            const QTableWidgetItem* volts1 = Grid(frame, "fgridMeasurements")->item(0, 0);
            QCOMPARE(volts1->text(), QLatin1String(text));
            QCOMPARE(volts1->font().italic(), greyed);
            QCOMPARE(volts1->foreground().color() != QColor(Qt::black), greyed);
            QVERIFY(volts1->background().color() != volts1->foreground().color());
            const QString tip = QStringLiteral("Not updated: last read at %1")
                                    .arg(LongTimeText(sim.Clock.Now().time()));
            QCOMPARE(volts1->toolTip(), greyed ? tip : QString());
            // The generator frequency, of another group, is never read here.
            QCOMPARE(frame.findChild<QLineEdit*>(QStringLiteral("txtGenFrequency"))->text(),
                     QString());
        }
    }

    // On a tab page, maximised or not, both grids show every row and column
    // without scrolling and are equally wide.
    void StatusLayoutOnATabPage()
    {
        StatusTab shown;
        QVERIFY(ShowAsTabPage(shown.Frame));
        for (const int width : {900, 1280}) {
            shown.Frame.resize(width, 560);
            QTRY_COMPARE(shown.Frame.width(), width);
            QCOMPARE(shown.Trips->width(), shown.Measurements->width());
            for (int column = 1; column < 5; ++column)
                QCOMPARE(shown.Measurements->columnWidth(column),
                         shown.Measurements->columnWidth(0));
            for (QTableWidget* table : {shown.Measurements, shown.Trips}) {
                QVERIFY(table->horizontalHeader()->length() <= table->viewport()->width());
                QVERIFY(table->verticalHeader()->length() <= table->viewport()->height());
                QVERIFY(!table->verticalScrollBar()->isVisible());
                QVERIFY(!table->horizontalScrollBar()->isVisible());
            }
            QVERIFY(shown.Frame.findChild<QCheckBox*>("chkDisplayAlarms")->isVisible());
        }
    }

    // Relays 1 to 9 in each state of interest, each cell first showing the
    // opposite so that it must lose what an earlier state left in it; relay
    // 7 by its name.
    void RelaysGridShowsEachState()
    {
        RelaysTab shown;
        QMap<int, int> opposite, wanted;
        for (int relay = 1; relay <= int(std::size(RelayStates)); ++relay) {
            opposite[relay] = 15 & ~RelayStates[relay - 1];
            wanted[relay] = RelayStates[relay - 1];
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
    void RelaysCellClick()
    {
        RelaysTab shown;
        QVERIFY(ShowAsTabPage(shown.Frame));
        QString dump;
        for (const int status : RelayStates) {
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
    void RelaysOneRequestAtATime()
    {
        RelaysTab shown;
        QVERIFY(ShowAsTabPage(shown.Frame));
        QVERIFY(shown.Fill({{3, Status::Latched}, {Relay, Status::InAlarm}}));
        ClickCell(shown.Status, 2, Latched);
        ClickCell(shown.Status, Row, Alarm);
        QCOMPARE(shown.ResetTrip.count(), 1);
        QCOMPARE(shown.ResetTrip.at(0).at(0).toInt(), 3); // the relay it is for
        QCOMPARE(shown.AckAlarm.count(), 0);

        shown.Frame.SetGridEnabled(true);
        ClickCell(shown.Status, Row, Alarm);
        QCOMPARE(shown.AckAlarm.count(), 1);
        QCOMPARE(shown.AckAlarm.at(0).at(0).toInt(), Relay);
        QCOMPARE(shown.ResetTrip.count(), 1);
    }

    // Walking the grid with the keyboard never acts on a relay.
    void RelaysKeyboardRecordsNothing()
    {
        RelaysTab shown;
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

    // On a tab page all 16 relays show without scrolling.
    void RelaysLayoutOnATabPage()
    {
        RelaysTab shown;
        QVERIFY(ShowAsTabPage(shown.Frame));
        QTableWidget* grid = shown.Status;
        QVERIFY(grid->horizontalHeader()->length() <= grid->viewport()->width());
        QVERIFY(grid->verticalHeader()->length() <= grid->viewport()->height());
        QVERIFY(grid->visibleRegion().boundingRect().contains(grid->rect()));
    }

    // The grid through a session: hidden until first displayed, also when the
    // user's choice is restored at start-up; events in rows by their numbers,
    // whatever order the relay sends them in (relay 0 listed like any other);
    // function names only once the configuration was uploaded or the box
    // ticked; and no old event left behind once the log is emptied.
    void EventsGridThroughASession()
    {
        EventsTab shown;
        shown.Frame.SetUseCurrentDefinitions(true);
        QString dump = QStringLiteral("# set up, choice restored\n") + GridDump(shown.Log);
        shown.DefineTrips();
        QVERIFY(shown.Upload({{3, 9, At(3, 12)}, {1, 4, At(1, 10)}, {2, 0, At(2, 11)}}));
        for (const bool uploaded : {false, true}) {
            for (const bool ticked : {false, true}) {
                shown.Frame.SetUseCurrentDefinitions(ticked);
                shown.Frame.DisplayEventLog(uploaded);
                dump += QStringLiteral("# uploaded %1, box ticked %2\n").arg(uploaded).arg(ticked)
                        + GridDump(shown.Log, 4);
            }
        }
        shown.Sim.Device.TransientDataClear();
        shown.Frame.DisplayEventLog(true);
        dump += QStringLiteral("# emptied\n") + GridDump(shown.Log);
        TZL_COMPARE_GOLDEN(QStringLiteral("fraEvents-grid.txt"), dump);
    }

    // Ticking the box redraws the names at once; clearing it brings back
    // what the last display was told about the configuration: from a file,
    // then uploaded.
    void EventsTogglingTheBoxRedraws()
    {
        for (const auto& [configUploaded, afterClearing] :
             {std::pair{false, Unknown}, {true, OverVolts}}) {
            EventsTab shown;
            shown.DefineTrips();
            QVERIFY(shown.Upload({{1, 4, At(1, 10)}}));
            shown.Frame.DisplayEventLog(configUploaded);
            QVERIFY(ShowAsTabPage(shown.Frame));

            QTest::mouseClick(shown.UseCurrent, Qt::LeftButton);
            QVERIFY(shown.Frame.UseCurrentDefinitions());
            QCOMPARE(shown.Log->item(0, Function)->text(), OverVolts);
            QTest::mouseClick(shown.UseCurrent, Qt::LeftButton);
            QVERIFY(!shown.Frame.UseCurrentDefinitions());
            QCOMPARE(shown.Log->item(0, Function)->text(), afterClearing);
        }
    }

    // Dates in the user's format fit their column; the function column takes
    // what is left of the page.
    void EventsLayoutOnATabPage()
    {
        EventsTab shown;
        QVERIFY(shown.Upload({{1, 16, QDateTime(QDate(2028, 12, 28), QTime(23, 58, 58))}}));
        shown.Frame.DisplayEventLog(false);
        QVERIFY(ShowAsTabPage(shown.Frame));
        QTableWidget* grid = shown.Log;
        const int dateWidth = grid->fontMetrics().horizontalAdvance(grid->item(0, When)->text());
        QVERIFY(grid->columnWidth(When) > dateWidth);
        QVERIFY(grid->columnWidth(Function) > grid->fontMetrics().horizontalAdvance(Unknown));
        QVERIFY(!grid->horizontalScrollBar()->isVisible());
        QVERIFY(grid->verticalScrollBar()->isVisible());
        QCOMPARE(shown.UseCurrent->accessibleName(), shown.UseCurrent->text());
    }
    // Each button of the Relays and Events tabs asks once, for itself only,
    // then waits until the main window enables it again.
    void ButtonsRequestOnce()
    {
        RelaysTab relays;
        EventsTab events;
        QSignalSpy resets(&relays.Frame, &fraRelays::ResetTripsRequested);
        QSignalSpy acks(&relays.Frame, &fraRelays::AckAlarmsRequested);
        QSignalSpy saves(&events.Frame, &fraEvents::SaveRequested);
        QSignalSpy prints(&events.Frame, &fraEvents::PrintRequested);
        QVERIFY(ShowAsTabPage(relays.Frame) && ShowAsTabPage(events.Frame));
        const auto button = [](QWidget& frame, const char* name) {
            return frame.findChild<QPushButton*>(QLatin1String(name));
        };
        const std::pair<QPushButton*, QSignalSpy*> buttons[] = {
            {button(relays.Frame, "cmdResetTrips"), &resets},
            {button(relays.Frame, "cmdAckAlarms"), &acks},
            {button(events.Frame, "cmdSaveEventLog"), &saves},
            {button(events.Frame, "cmdPrintEventLog"), &prints}};
        for (const auto& [cmd, asks] : buttons) {
            QTest::mouseClick(cmd, Qt::LeftButton);
            QTest::mouseClick(cmd, Qt::LeftButton);
            QCOMPARE(asks->count(), 1);
            QVERIFY(!cmd->isEnabled());
        }
        relays.Frame.SetResetTripsEnabled(true);
        relays.Frame.SetAckAlarmsEnabled(true);
        events.Frame.SetSaveEnabled(true);
        events.Frame.SetPrintEnabled(true);
        for (const auto& [cmd, asks] : buttons)
            QTest::mouseClick(cmd, Qt::LeftButton);
        for (const auto& [cmd, asks] : buttons)
            QCOMPARE(asks->count(), 2);
    }
};

QTEST_MAIN(tst_GridFrames)
#include "tst_GridFrames.moc"
