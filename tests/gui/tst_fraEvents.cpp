#include "SimulatedDevice.h"

#include "platform/LocaleDateText.h"
#include "shell/DisplayGrid.h"
#include "shell/fraEvents.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>

namespace {

const QString Unknown = QStringLiteral("** Unknown - Upload TZL Configuration **");
const QString OverVolts = QStringLiteral("Over Volts (ANSI 59)");
// Item columns of the date, the relay number and the trip function.
constexpr int When = 0;
constexpr int RelayNo = 1;
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
    QStringList Column(int column) const
    {
        QStringList texts;
        for (int row = 0; row < Log->rowCount(); ++row)
            texts << Log->item(row, column)->text();
        return texts;
    }
    // Relay 4 trips on over volts; relay 9 stays unused.
    void DefineTrips()
    {
        Sim.Device.SetTripFunction(4, 1);
        Sim.Device.SetTripFunction(9, 0);
    }
};

QStringList Listed(const QStringList& firstRows)
{
    return firstRows + QStringList(cTZLEventLog::Capacity - firstRows.size(), QString());
}

} // namespace

class tst_fraEvents : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void SetUpShowsNumberedRowsOnceDisplayed()
    {
        Shown shown;
        QCOMPARE(shown.Log->rowCount(), 50);
        QCOMPARE(GridCornerCaption(shown.Log), QStringLiteral("Event No."));
        QStringList captions, numbers;
        for (int column = 0; column < shown.Log->columnCount(); ++column)
            captions << shown.Log->horizontalHeaderItem(column)->text();
        for (int row = 0; row < shown.Log->rowCount(); ++row)
            numbers << shown.Log->verticalHeaderItem(row)->text();
        QCOMPARE(captions, (QStringList{"Date & Time", "Relay No.", "Trip Function"}));
        QCOMPARE(numbers.first(), QStringLiteral("1"));
        QCOMPARE(numbers.last(), QStringLiteral("50"));

        // Restoring the user's choice at start-up draws nothing yet.
        QVERIFY(shown.Log->isHidden());
        shown.Frame.SetUseCurrentDefinitions(true);
        QVERIFY(shown.Log->isHidden());
        shown.Frame.DisplayEventLog(false);
        QVERIFY(!shown.Log->isHidden());
        QCOMPARE(shown.Column(When), Listed({}));
    }

    // Rows follow the event numbers, whatever order the relay sends them in.
    void EventsInRowsByNumber()
    {
        Shown shown;
        QVERIFY(shown.Upload({{3, 5, At(3, 12)}, {1, 4, At(1, 10)}, {2, 0, At(2, 11)}}));
        shown.Frame.DisplayEventLog(false);
        QCOMPARE(shown.Column(When), Listed({GeneralDateText(At(1, 10)), GeneralDateText(At(2, 11)),
                                             GeneralDateText(At(3, 12))}));
        // A relay number of 0 is listed like any other.
        QCOMPARE(shown.Column(RelayNo), Listed({"4", "0", "5"}));
        QCOMPARE(shown.Column(Function), Listed({Unknown, Unknown, Unknown}));
    }

    // A display after the log was emptied leaves no old event behind.
    void EmptiedLogEmptiesTheRows()
    {
        Shown shown;
        QVERIFY(shown.Upload({{1, 4, At(1, 10)}, {50, 9, At(5, 20)}}));
        shown.Frame.DisplayEventLog(true);
        QCOMPARE(shown.Log->item(49, RelayNo)->text(), QStringLiteral("9"));
        shown.Sim.Device.TransientDataClear();
        shown.Frame.DisplayEventLog(true);
        QCOMPARE(shown.Column(When), Listed({}));
        QCOMPARE(shown.Column(RelayNo), Listed({}));
        QCOMPARE(shown.Column(Function), Listed({}));
    }

    void FunctionNames_data()
    {
        QTest::addColumn<bool>("configUploaded");
        QTest::addColumn<bool>("useCurrent");
        QTest::addColumn<QStringList>("functions");
        const QStringList named{OverVolts, QStringLiteral("(UnUsed)")};
        QTest::newRow("neither") << false << false << QStringList{Unknown, Unknown};
        QTest::newRow("uploaded") << true << false << named;
        QTest::newRow("box ticked") << false << true << named;
        QTest::newRow("both") << true << true << named;
    }
    void FunctionNames()
    {
        QFETCH(bool, configUploaded);
        QFETCH(bool, useCurrent);
        QFETCH(QStringList, functions);
        Shown shown;
        shown.DefineTrips();
        QVERIFY(shown.Upload({{1, 4, At(1, 10)}, {2, 9, At(2, 11)}}));
        shown.Frame.SetUseCurrentDefinitions(useCurrent);
        shown.Frame.DisplayEventLog(configUploaded);
        QCOMPARE(shown.Column(Function), Listed(functions));
    }

    // Ticking the box redraws the names at once; clearing it brings back
    // what the last display was told about the configuration.
    void TogglingTheBoxRedraws_data()
    {
        QTest::addColumn<bool>("configUploaded");
        QTest::addColumn<QString>("afterClearing");
        QTest::newRow("configuration from a file") << false << Unknown;
        QTest::newRow("configuration uploaded") << true << OverVolts;
    }
    void TogglingTheBoxRedraws()
    {
        QFETCH(bool, configUploaded);
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
        QTEST(shown.Log->item(0, Function)->text(), "afterClearing");
    }

    void ButtonsRequestOnce_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("tip");
        QTest::newRow("save") << "cmdSaveEventLog"
                              << "Save the Event Log to a text file";
        QTest::newRow("print") << "cmdPrintEventLog"
                               << "Print the Event Log";
    }
    void ButtonsRequestOnce()
    {
        QFETCH(QString, button);
        Shown shown;
        QSignalSpy saves(&shown.Frame, &fraEvents::SaveRequested);
        QSignalSpy prints(&shown.Frame, &fraEvents::PrintRequested);
        const bool save = button == "cmdSaveEventLog";
        QVERIFY(ShowAsTabPage(shown.Frame));
        auto* cmd = shown.Frame.findChild<QPushButton*>(button);
        QTEST(cmd->toolTip(), "tip");
        QTest::mouseClick(cmd, Qt::LeftButton);
        QTest::mouseClick(cmd, Qt::LeftButton);
        QCOMPARE(saves.count(), save ? 1 : 0);
        QCOMPARE(prints.count(), save ? 0 : 1);
        QVERIFY(!cmd->isEnabled());
        if (save)
            shown.Frame.SetSaveEnabled(true);
        else
            shown.Frame.SetPrintEnabled(true);
        QVERIFY(cmd->isEnabled());
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
        QCOMPARE(grid->accessibleName(), QStringLiteral("Event Log"));
        QCOMPARE(shown.UseCurrent->accessibleName(), shown.UseCurrent->text());
    }
};

QTEST_MAIN(tst_fraEvents)
#include "tst_fraEvents.moc"
