#include "ConfiguratorFixture.h"
#include "Golden.h"
#include "GridDump.h"
#include "SimulatedDevice.h"

#include "shell/fraEvents.h"
#include "shell/fraRelays.h"
#include "shell/fraStatus.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleFactory>
#include <cmath>

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
};

// The contrast ratio of the web's accessibility rules.
double Contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

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
    // a relay that clears loses its text and colour. How far a value may be
    // trusted: nothing for a value not read yet (0.00000 would pass for a
    // real zero), also after a failed read; the value for a fresh read; the
    // last good value greyed (italic, its own colour) with its time for a
    // failed one. A read of the basics leaves the other groups, such as the
    // generator frequency, empty. After the model forgets its measurements
    // every value is empty rather than a zero that looks real, and the cells
    // that never get a value stay grey.
    void StatusTabThroughASession()
    {
        StatusTab shown;
        QString dump = QStringLiteral("# set up\n") + shown.Dump();
        for (int reg = 0; reg <= 240; reg += 2)
            shown.Sim.Link.Relay().SetMeasurement(reg, 1000.0f + float(reg));
        const auto readBasics = [&shown](bool answered) {
            shown.Sim.Link.Faults().SetPersistent(answered ? SimFault{} : SimFault::NoAnswer());
            shown.Sim.Device.Inputs.UpLoadBasics(shown.Sim.Slave());
            shown.Frame.DisplayMeasurements();
            return GridDump(shown.Measurements, 1) + QStringLiteral("Gen Frequency: ")
                   + shown.Frame.findChild<QLineEdit*>(QStringLiteral("txtGenFrequency"))->text()
                   + u'\n';
        };
        dump += QStringLiteral("# basics read failed\n") + readBasics(false);
        dump += QStringLiteral("# basics read\n") + readBasics(true);
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
        dump += QStringLiteral("# relays clear, basics read failed\n") + readBasics(false);
        dump += QStringLiteral("# basics read again\n") + readBasics(true);
        dump += QStringLiteral("# basics read failed\n") + readBasics(false);
        shown.Sim.Device.TransientDataClear();
        shown.Frame.DisplayMeasurements();
        dump += QStringLiteral("# model cleared\n") + shown.Dump();
        TZL_COMPARE_GOLDEN(QStringLiteral("fraStatus-tab.txt"), dump);
    }

    // The grid in every state of interest. Then a click records a request,
    // for the relay of its row, only where the cell offers one (a reset on
    // LATCHED of a latched relay no longer tripped, an acknowledgement on
    // ALARM of an unacknowledged alarm); every request disables the grid
    // until the main window has run it, and a click meanwhile records
    // nothing. Each state of relay 7, each column; then two clicks without
    // the main window in between, and a walk over the grid with the
    // keyboard, which never acts on a relay.
    void RelaysCellClick()
    {
        RelaysTab shown;
        // Relays 1 to 9 in each state of interest, each cell first showing
        // the opposite so that it must lose what an earlier state left in it;
        // relay 7 by its name.
        QMap<int, int> opposite, wanted;
        for (int relay = 1; relay <= int(std::size(RelayStates)); ++relay) {
            opposite[relay] = 15 & ~RelayStates[relay - 1];
            wanted[relay] = RelayStates[relay - 1];
        }
        shown.Sim.Device.TripData.SetName(Relay, QStringLiteral("Bus Under Volts"));
        QVERIFY(shown.Fill(opposite));
        QVERIFY(shown.Fill(wanted));
        TZL_COMPARE_GOLDEN(QStringLiteral("fraRelays-grid.txt"), GridDump(shown.Status));
        QVERIFY(ShowAsTabPage(shown.Frame));
        QString dump;
        // What the clicks asked for, by the relay each request carries.
        const auto requests = [&shown] {
            QString text;
            for (const auto& [name, spy] :
                 {std::pair{": resets", &shown.ResetTrip}, {", acks", &shown.AckAlarm}}) {
                text += QLatin1String(name);
                for (const QList<QVariant>& request : std::as_const(*spy))
                    text += u' ' + request.at(0).toString();
            }
            return text + (shown.Status->isEnabled() ? "\n" : ", grid disabled\n");
        };
        for (const int status : RelayStates) {
            QVERIFY(shown.Fill({{Relay, status}}));
            for (const int column : {State, Latched, Alarm}) {
                shown.Frame.SetGridEnabled(true);
                shown.ResetTrip.clear();
                shown.AckAlarm.clear();
                ClickCell(shown.Status, Row, column);
                dump += QStringLiteral("status %1, %2")
                            .arg(status)
                            .arg(shown.Status->horizontalHeaderItem(column)->text())
                        + requests();
            }
        }
        QVERIFY(shown.Fill({{3, Status::Latched}, {Relay, Status::InAlarm}}));
        shown.Frame.SetGridEnabled(true);
        shown.ResetTrip.clear();
        shown.AckAlarm.clear();
        ClickCell(shown.Status, 2, Latched);
        ClickCell(shown.Status, Row, Alarm);
        dump += QStringLiteral("relay 3 latched, then relay 7 in alarm") + requests();
        shown.Frame.SetGridEnabled(true);
        ClickCell(shown.Status, Row, Alarm);
        dump += QStringLiteral("relay 7 once enabled") + requests();
        shown.ResetTrip.clear();
        shown.AckAlarm.clear();
        shown.Frame.SetGridEnabled(true);
        QVERIFY(shown.Fill({{1, Status::Latched}, {2, Status::InAlarm}}));
        shown.Status->setFocus();
        shown.Status->setCurrentCell(0, State);
        for (Qt::Key key : {Qt::Key_Right, Qt::Key_Space, Qt::Key_Down, Qt::Key_Right,
                            Qt::Key_Space, Qt::Key_Return})
            QTest::keyClick(shown.Status, key);
        dump += QStringLiteral("keys to row %1, column %2")
                    .arg(shown.Status->currentRow())
                    .arg(shown.Status->currentColumn())
                + requests();
        TZL_COMPARE_GOLDEN(QStringLiteral("fraRelays-clicks.txt"), dump);
    }

    // The grid through a session: hidden until first displayed, also when the
    // user's choice is restored at start-up; events in rows by their numbers,
    // whatever order the relay sends them in (relay 0 listed like any other);
    // function names only once the configuration was uploaded or the box
    // ticked; a click on the box redraws at once, as the last display was
    // told (from a file, then uploaded); and no old event left behind once
    // the log is emptied.
    void EventsGridThroughASession()
    {
        EventsTab shown;
        shown.Frame.SetUseCurrentDefinitions(true);
        QString dump = QStringLiteral("# set up, choice restored\n") + GridDump(shown.Log);
        shown.Sim.Device.SetTripFunction(4, 1); // over volts
        shown.Sim.Device.SetTripFunction(9, 0); // unused
        QVERIFY(shown.Upload({{3, 9, At(3, 12)}, {1, 4, At(1, 10)}, {2, 0, At(2, 11)}}));
        for (const bool uploaded : {false, true}) {
            for (const bool ticked : {false, true}) {
                shown.Frame.SetUseCurrentDefinitions(ticked);
                shown.Frame.DisplayEventLog(uploaded);
                dump += QStringLiteral("# uploaded %1, box ticked %2\n").arg(uploaded).arg(ticked)
                        + GridDump(shown.Log, 4);
            }
        }
        QVERIFY(ShowAsTabPage(shown.Frame));
        for (const bool uploaded : {false, true}) {
            shown.Frame.DisplayEventLog(uploaded);
            for (int click = 0; click < 2; ++click) {
                QTest::mouseClick(shown.UseCurrent, Qt::LeftButton);
                dump += QStringLiteral("# uploaded %1, box clicked to %2\n")
                            .arg(uploaded)
                            .arg(shown.Frame.UseCurrentDefinitions())
                        + GridDump(shown.Log, 1);
            }
        }
        shown.Sim.Device.TransientDataClear();
        shown.Frame.DisplayEventLog(true);
        dump += QStringLiteral("# emptied\n") + GridDump(shown.Log);
        TZL_COMPARE_GOLDEN(QStringLiteral("fraEvents-grid.txt"), dump);
    }

    // On a tab page, maximised or not, every grid shows every column without
    // scrolling and every row but the event log's; dates in the user's format
    // and the longest function name fit their columns.
    void LayoutOnATabPage()
    {
        StatusTab status;
        RelaysTab relays;
        EventsTab events;
        QVERIFY(events.Upload({{1, 16, QDateTime(QDate(2028, 12, 28), QTime(23, 58, 58))}}));
        events.Frame.DisplayEventLog(false);
        QWidget* const frames[] = {&status.Frame, &relays.Frame, &events.Frame};
        for (const int width : {900, 1280}) {
            for (QWidget* frame : frames) {
                QVERIFY(ShowAsTabPage(*frame));
                frame->resize(width, 560);
                QTRY_COMPARE(frame->width(), width);
            }
            for (QTableWidget* table :
                 {status.Measurements, status.Trips, relays.Status, events.Log}) {
                QVERIFY(table->horizontalHeader()->length() <= table->viewport()->width());
                QVERIFY(!table->horizontalScrollBar()->isVisible());
                QVERIFY(table->visibleRegion().boundingRect().contains(table->rect()));
                QCOMPARE(table->verticalScrollBar()->isVisible(), table == events.Log);
                if (table != events.Log)
                    QVERIFY(table->verticalHeader()->length() <= table->viewport()->height());
            }
            QVERIFY(status.Frame.findChild<QCheckBox*>("chkDisplayAlarms")->isVisible());
            const QFontMetrics metrics = events.Log->fontMetrics();
            QVERIFY(events.Log->columnWidth(When)
                    > metrics.horizontalAdvance(events.Log->item(0, When)->text()));
            QVERIFY(events.Log->columnWidth(Function) > metrics.horizontalAdvance(Unknown));
        }
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

    // Every grid cell with a background colour has a text colour that reads
    // on it (4.5:1, greyed stale values 3:1), under the Fusion style with a
    // dark desktop's palette as with the default one, in the main window.
    // With TZL_SHOT_DIR set the Measurements and Relays tabs are saved there
    // as field-PALETTE-TAB.png. Last: it leaves the application's style and
    // palette changed.
    void TextReadsOnEveryColouredCell_data()
    {
        QTest::addColumn<QString>("palette");
        QTest::newRow("default") << "default";
        QTest::newRow("dark") << "dark";
    }

    void TextReadsOnEveryColouredCell()
    {
        QFETCH(QString, palette);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QPalette colours = QApplication::style()->standardPalette();
        if (palette == u"dark") {
            for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
                colours.setColor(role, QColor(40, 40, 44));
            for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
                colours.setColor(role, QColor(230, 230, 230));
        }
        QApplication::setPalette(colours);

        ConfiguratorFixture c;
        frmMain& w = c.Start();
        // Tripped, latched, in alarm, acknowledged: every colour the grids use.
        for (const auto& [relay, status] : {std::pair{1, 1}, {2, 3}, {3, 8}, {4, 12}})
            c.Link.Relay().SetRelayStatus(relay, status);
        QVERIFY(w.Device().TripData.UploadAllStatus(w.SlaveID()));
        QVERIFY(w.Device().Inputs.Upload(w.SlaveID()));
        c.Link.Faults().SetPersistent(SimFault::NoAnswer()); // stale basics
        w.Device().Inputs.UpLoadBasics(w.SlaveID());

        int coloured = 0;
        for (const auto& [tab, name] : {std::pair{20, "measurements"}, {18, "relays"}}) {
            w.ShowTab(tab);
            if (const QString folder = qEnvironmentVariable("TZL_SHOT_DIR"); !folder.isEmpty())
                w.grab().save(QDir(folder).filePath(
                    QStringLiteral("field-%1-%2.png").arg(palette, QLatin1String(name))));
        }
        for (const char* name : {"fgridMeasurements", "fgridCurrentTrips", "fgridRelayStatus"}) {
            const auto* grid = w.findChild<QTableWidget*>(QLatin1String(name));
            for (int row = 0; row < grid->rowCount(); ++row) {
                for (int column = 0; column < grid->columnCount(); ++column) {
                    const QTableWidgetItem* cell = grid->item(row, column);
                    if (cell->background().style() == Qt::NoBrush)
                        continue;
                    ++coloured;
                    const QColor back = cell->background().color();
                    const QColor text = cell->foreground().style() == Qt::NoBrush
                                            ? grid->palette().color(QPalette::Text)
                                            : cell->foreground().color();
                    QVERIFY2(Contrast(text, back) >= (cell->font().italic() ? 3.0 : 4.5),
                             qPrintable(QStringLiteral("%1 (%2, %3): %4 on %5")
                                            .arg(QLatin1String(name))
                                            .arg(row)
                                            .arg(column)
                                            .arg(text.name(), back.name())));
                }
            }
        }
        // The phase and never-measured cells, every current-trip cell, and
        // the three state columns of the relay status.
        QCOMPARE(coloured, 18 + 5 + 16 + 3 * 16);
    }
};

QTEST_MAIN(tst_GridFrames)
#include "tst_GridFrames.moc"
