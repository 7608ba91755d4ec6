#include "Golden.h"
#include "GridDump.h"
#include "SimulatedDevice.h"

#include "shell/fraEvents.h"

#include <QCheckBox>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>

namespace {

const QString Unknown = QStringLiteral("** Unknown - Upload TZL Configuration **");
const QString OverVolts = QStringLiteral("Over Volts (ANSI 59)");
// Item columns of the date and the trip function.
constexpr int When = 0;
constexpr int Function = 2;

QDateTime At(int day, int hour)
{
    return QDateTime(QDate(2024, 3, day), QTime(hour, 15, 45));
}

struct Shown
{
    SimulatedDevice Sim;
    fraEvents Frame{Sim.Device};
    QTableWidget* Log = Grid(Frame, "fgridEventLog");
    QCheckBox* UseCurrent = Frame.findChild<QCheckBox*>("chkEventLogUseCurrent");

    Shown() { Frame.SetUpEventLogGrid(); }
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

class tst_fraEvents : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }

    // The grid through a session: hidden until first displayed, also when the
    // user's choice is restored at start-up; events in rows by their numbers,
    // whatever order the relay sends them in (relay 0 listed like any other);
    // function names only once the configuration was uploaded or the box
    // ticked; and no old event left behind once the log is emptied.
    void GridThroughASession()
    {
        Shown shown;
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
    void TogglingTheBoxRedraws()
    {
        for (const auto& [configUploaded, afterClearing] :
             {std::pair{false, Unknown}, {true, OverVolts}}) {
            Shown shown;
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

    // Each button asks once, then waits until the main window enables it.
    void ButtonsRequestOnce()
    {
        Shown shown;
        QSignalSpy saves(&shown.Frame, &fraEvents::SaveRequested);
        QSignalSpy prints(&shown.Frame, &fraEvents::PrintRequested);
        QVERIFY(ShowAsTabPage(shown.Frame));
        auto* save = shown.Frame.findChild<QPushButton*>("cmdSaveEventLog");
        auto* print = shown.Frame.findChild<QPushButton*>("cmdPrintEventLog");
        for (QPushButton* cmd : {save, save, print, print})
            QTest::mouseClick(cmd, Qt::LeftButton);
        QCOMPARE(saves.count(), 1);
        QCOMPARE(prints.count(), 1);
        QVERIFY(!save->isEnabled() && !print->isEnabled());
        shown.Frame.SetSaveEnabled(true);
        QVERIFY(save->isEnabled() && !print->isEnabled());
        shown.Frame.SetPrintEnabled(true);
        QVERIFY(print->isEnabled());
    }

    // Dates in the user's format fit their column; the function column takes
    // what is left of the page.
    void LayoutOnATabPage()
    {
        Shown shown;
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
};

QTEST_MAIN(tst_fraEvents)
#include "tst_fraEvents.moc"
