#include "SimulatedDevice.h"

#include "shell/DisplayGrid.h"
#include "shell/Twips.h"
#include "shell/fraStatus.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

namespace {

const QColor Grey(170, 170, 170);
const QColor White(255, 255, 255);
const QColor Pink(255, 128, 255);
const QColor Red(255, 0, 0);
const QColor Yellow(255, 255, 0);
const QColor PhaseColour[] = {QColor(251, 129, 129), QColor(251, 251, 114), QColor(131, 168, 237)};
// The cells that never receive a value, as (row, column) from 1.
const QList<QPoint> GreyedCells{{1, 5}, {3, 4}, {4, 4}, {5, 4}, {6, 5}};
const char* const ValueBoxes[] = {"txtGenFrequency", "txtBusFrequency", "txtBusGenPhaseAngle",
                                  "txtBusVoltage",   "txtIGround",      "txtINeutral"};

struct Shown
{
    SimulatedDevice Sim;
    fraStatus Frame{Sim.Device};
    QTableWidget* Measurements = Grid(Frame, "fgridMeasurements");
    QTableWidget* Trips = Grid(Frame, "fgridCurrentTrips");

    Shown()
    {
        Frame.SetUpMeasurementsGrid();
        Frame.DisplayMeasurements();
    }
    // Cell (row, column) of the grid, counting the caption row and column.
    QTableWidgetItem* Cell(int row, int column) const
    {
        return Measurements->item(row - 1, column - 1);
    }
    QString Box(const char* name) const
    {
        return Frame.findChild<QLineEdit*>(QLatin1String(name))->text();
    }
    QStringList MeasurementTexts() const
    {
        QStringList texts;
        for (int row = 1; row <= 6; ++row)
            for (int column = 1; column <= 5; ++column)
                if (!GreyedCells.contains(QPoint(row, column)))
                    texts << Cell(row, column)->text();
        for (const char* box : ValueBoxes)
            texts << Box(box);
        return texts;
    }
};

} // namespace

class tst_fraStatus : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void Captions()
    {
        Shown shown;
        QCOMPARE(GridCornerCaption(shown.Measurements), QStringLiteral("Parameter"));
        QStringList columns, rows;
        for (int column = 0; column < 5; ++column)
            columns << shown.Measurements->horizontalHeaderItem(column)->text();
        for (int row = 0; row < 6; ++row)
            rows << shown.Measurements->verticalHeaderItem(row)->text();
        QCOMPARE(columns, (QStringList{"1", "2", "3", "Average", "Sum"}));
        QCOMPARE(rows, (QStringList{"Volts", "Current", "Power", "VA", "VAr", "P. Factor"}));
    }

    // Each quantity lands in its own cell or box: one register is pinned to a
    // value no other quantity has.
    void MeasurementsLandInTheirPlaces_data()
    {
        QTest::addColumn<int>("reg");
        QTest::addColumn<QString>("place"); // "row,column" of the grid, or a box
        QTest::newRow("volts phase 3") << 4 << "1,3";
        QTest::newRow("volts average") << 42 << "1,4";
        QTest::newRow("amps phase 1") << 6 << "2,1";
        QTest::newRow("amps average") << 46 << "2,4";
        QTest::newRow("amps sum") << 48 << "2,5";
        QTest::newRow("power phase 2") << 14 << "3,2";
        QTest::newRow("power sum") << 52 << "3,5";
        QTest::newRow("VA phase 3") << 22 << "4,3";
        QTest::newRow("VA sum") << 56 << "4,5";
        QTest::newRow("VAr phase 1") << 24 << "5,1";
        QTest::newRow("VAr sum") << 60 << "5,5";
        QTest::newRow("power factor phase 2") << 32 << "6,2";
        QTest::newRow("power factor average") << 62 << "6,4";
        QTest::newRow("generator frequency") << 70 << "txtGenFrequency";
        QTest::newRow("neutral current") << 224 << "txtINeutral";
        QTest::newRow("bus frequency") << 226 << "txtBusFrequency";
        QTest::newRow("phase angle") << 228 << "txtBusGenPhaseAngle";
        QTest::newRow("bus volts") << 230 << "txtBusVoltage";
        QTest::newRow("ground current") << 232 << "txtIGround";
    }
    void MeasurementsLandInTheirPlaces()
    {
        QFETCH(int, reg);
        QFETCH(QString, place);
        Shown shown;
        shown.Sim.Link.Relay().SetMeasurement(reg, -4321.0f);
        QVERIFY(shown.Sim.Device.Inputs.Upload(shown.Sim.Slave()));
        shown.Frame.DisplayMeasurements();
        const QStringList rowColumn = place.split(u',');
        const QString text = rowColumn.size() == 2
                                 ? shown.Cell(rowColumn[0].toInt(), rowColumn[1].toInt())->text()
                                 : shown.Box(place.toLatin1().constData());
        QCOMPARE(text, QStringLiteral("-4.321 k"));
        QCOMPARE(shown.MeasurementTexts().count(QStringLiteral("-4.321 k")), 1);
    }

    // After the model forgets its measurements every value is empty rather
    // than a zero that looks real, and the cells that never get a value stay
    // empty and grey.
    void ClearedModelShowsNothing()
    {
        Shown shown;
        shown.Sim.Link.Relay().SetMeasurement(228, 12.5f); // the bus slips at a steady angle
        QVERIFY(shown.Sim.Device.Inputs.Upload(shown.Sim.Slave()));
        shown.Frame.DisplayMeasurements();
        QVERIFY(!shown.MeasurementTexts().contains(QStringLiteral("0.00000  ")));

        shown.Sim.Device.TransientDataClear();
        shown.Frame.DisplayMeasurements();
        QCOMPARE(shown.MeasurementTexts(), QStringList(25 + 6, QString()));
        for (const QPoint& cell : GreyedCells) {
            QCOMPARE(shown.Cell(cell.x(), cell.y())->text(), QString());
            QCOMPARE(shown.Cell(cell.x(), cell.y())->background().color(), Grey);
        }
    }

    void PhaseColours()
    {
        Shown shown;
        for (int row = 1; row <= 6; ++row) {
            for (int phase = 1; phase <= 3; ++phase)
                QCOMPARE(shown.Cell(row, phase)->background().color(), PhaseColour[phase - 1]);
        }
        // Averages and sums keep the grid's own background.
        QCOMPARE(shown.Cell(1, 4)->background().style(), Qt::NoBrush);
        QCOMPARE(shown.Cell(2, 5)->background().style(), Qt::NoBrush);
    }

    void CurrentTrips_data()
    {
        QTest::addColumn<int>("relay");
        QTest::addColumn<int>("status");
        QTest::addColumn<QPoint>("cell"); // (row, column)
        QTest::addColumn<QColor>("colour");
        const int tripped = Status::Tripped, latched = Status::Latched;
        const int alarm = Status::InAlarm, acknowledged = Status::Acknowledged;
        QTest::newRow("relay 1 tripped") << 1 << tripped << QPoint(0, 0) << Pink;
        QTest::newRow("relay 8 latched") << 8 << latched << QPoint(7, 0) << Pink;
        QTest::newRow("relay 9 tripped") << 9 << tripped << QPoint(0, 1) << Pink;
        QTest::newRow("relay 16 in alarm") << 16 << alarm << QPoint(7, 1) << Red;
        QTest::newRow("tripped and in alarm") << 4 << (tripped | alarm) << QPoint(3, 0) << Red;
        QTest::newRow("acknowledged alarm")
            << 12 << (alarm | acknowledged) << QPoint(3, 1) << Yellow;
        QTest::newRow("tripped, acknowledged alarm")
            << 2 << (tripped | alarm | acknowledged) << QPoint(1, 0) << Yellow;
        QTest::newRow("acknowledged, nothing showing")
            << 10 << acknowledged << QPoint(1, 1) << White;
        QTest::newRow("all clear") << 5 << 0 << QPoint(4, 0) << White;
    }
    void CurrentTrips()
    {
        QFETCH(int, relay);
        QFETCH(int, status);
        QFETCH(QPoint, cell);
        QFETCH(QColor, colour);
        Shown shown;
        for (std::int16_t r = 1; r <= cTZLTrips::RelayCount; ++r)
            shown.Sim.Device.TripData.SetName(r, QStringLiteral("Trip %1").arg(r));
        QVERIFY(shown.Sim.UploadStatus({{relay, status}}));
        shown.Frame.DisplayMeasurements();

        const QString name = colour == White ? QString() : QStringLiteral("Trip %1").arg(relay);
        for (int row = 0; row < 8; ++row) {
            for (int column = 0; column < 2; ++column) {
                const QTableWidgetItem* item = shown.Trips->item(row, column);
                const bool chosen = QPoint(row, column) == cell;
                QCOMPARE(item->text(), chosen ? name : QString());
                QCOMPARE(item->background().color(), chosen ? colour : White);
            }
        }
    }

    // A relay that clears between two displays loses its text and colour.
    void CurrentTripClearsOnRedisplay()
    {
        Shown shown;
        QVERIFY(shown.Sim.UploadStatus({{3, Status::InAlarm}}));
        shown.Frame.DisplayMeasurements();
        QCOMPARE(shown.Trips->item(2, 0)->background().color(), Red);
        QVERIFY(shown.Sim.UploadStatus({}));
        shown.Frame.DisplayMeasurements();
        QCOMPARE(shown.Trips->item(2, 0)->text(), QString());
        QCOMPARE(shown.Trips->item(2, 0)->background().color(), White);
    }

    void Legend_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("tripped") << "Tripped" << Pink;
        QTest::newRow("alarm") << "Alarm" << Red;
        QTest::newRow("acknowledged") << "Acknowledged Alarm" << Yellow;
    }
    void Legend()
    {
        QFETCH(QString, caption);
        Shown shown;
        QLabel* found = nullptr;
        for (QLabel* label : shown.Frame.findChildren<QLabel*>())
            if (label->text() == caption)
                found = label;
        QVERIFY(found);
        QVERIFY(found->autoFillBackground());
        QTEST(found->palette().color(found->backgroundRole()), "colour");
    }

    // On a tab page both grids show every row and column without scrolling,
    // are equally wide, and share their width out as laid down in twips.
    void LayoutOnATabPage_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("tab page") << 900;
        QTest::newRow("maximised") << 1280;
    }
    void LayoutOnATabPage()
    {
        QFETCH(int, width);
        Shown shown;
        QVERIFY(ShowAsTabPage(shown.Frame));
        shown.Frame.resize(width, 560);
        QTRY_COMPARE(shown.Frame.width(), width);

        QTableWidget* grid = shown.Measurements;
        QCOMPARE(shown.Trips->width(), grid->width());
        const int gridTwips = PixelsToTwips(grid->width(), grid);
        const int captionTwips = PixelsToTwips(grid->verticalHeader()->width(), grid);
        QVERIFY(captionTwips >= 800 - 15);
        const int expected = TwipsToPixels(
            int(std::lround((gridTwips - std::max(800, captionTwips) - 129) / 5.0)), grid);
        for (int column = 0; column < 5; ++column)
            QCOMPARE(grid->columnWidth(column), expected);
        const int tripsColumn = TwipsToPixels(
            int(std::lround((PixelsToTwips(shown.Trips->width(), grid) - 100) / 2.0)), grid);
        QCOMPARE(shown.Trips->columnWidth(0), tripsColumn);
        QCOMPARE(shown.Trips->columnWidth(1), tripsColumn);

        for (QTableWidget* table : {grid, shown.Trips}) {
            QVERIFY(table->horizontalHeader()->length() <= table->viewport()->width());
            QVERIFY(table->verticalHeader()->length() <= table->viewport()->height());
            QVERIFY(!table->verticalScrollBar()->isVisible());
            QVERIFY(!table->horizontalScrollBar()->isVisible());
        }
        QVERIFY(shown.Frame.findChild<QCheckBox*>("chkDisplayAlarms")->isVisible());
    }

    // Assistive technology finds every box under its caption.
    void BoxesAreNamedByTheirCaptions()
    {
        Shown shown;
        int boxes = 0;
        for (const QLabel* label : shown.Frame.findChildren<QLabel*>()) {
            if (!label->buddy())
                continue;
            QCOMPARE(label->buddy()->accessibleName(), label->text());
            QCOMPARE(label->buddy()->toolTip(), label->toolTip());
            ++boxes;
        }
        QCOMPARE(boxes, 6);
        QCOMPARE(shown.Measurements->accessibleName(), QStringLiteral("Electrical Parameters"));
        QCOMPARE(shown.Trips->accessibleName(), QStringLiteral("Current Trips"));
    }
};

QTEST_MAIN(tst_fraStatus)
#include "tst_fraStatus.moc"
