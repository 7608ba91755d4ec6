#include "Golden.h"
#include "GridDump.h"
#include "SimulatedDevice.h"

#include "platform/LocaleDateText.h"
#include "shell/fraStatus.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

namespace {

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

} // namespace

class tst_fraStatus : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The tab through a session. Every input register holds a value of its
    // own (1000 + its number), so each quantity must land in its own cell or
    // box; the relays' states each colour one cell of the current trips, and
    // a relay that clears loses its text and colour. After the model forgets
    // its measurements every value is empty rather than a zero that looks
    // real, and the cells that never get a value stay grey.
    void TabThroughASession()
    {
        Shown shown;
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
    void NeverFreshStale_data()
    {
        QTest::addColumn<QString>("reads");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("greyed");
        // Volts 1 (basics) with the relay's 230.5 V; reads: b a good read of
        // the basics, x a failed one, c the model cleared (new slave, New).
        QTest::newRow("never read") << ""
                                    << "" << false;
        QTest::newRow("never read, the read failed") << "x"
                                                     << "" << false;
        QTest::newRow("fresh") << "b"
                               << "230.500  " << false;
        QTest::newRow("stale") << "bx"
                               << "230.500  " << true;
        QTest::newRow("fresh again") << "bxb"
                                     << "230.500  " << false;
        QTest::newRow("cleared") << "bxc"
                                 << "" << false;
    }
    void NeverFreshStale()
    {
        QFETCH(QString, reads);
        QFETCH(QString, text);
        QFETCH(bool, greyed);
        SimulatedDevice sim;
        fraStatus frame(sim.Device);
        frame.SetUpMeasurementsGrid();
        sim.Link.Relay().SetMeasurement(0, 230.5f);
        sim.Link.Relay().SetMeasurement(70, 50.0f);
        for (const QChar read : reads) {
            sim.Link.Faults().SetPersistent(read == u'x' ? SimFault::NoAnswer() : SimFault{});
            if (read == u'c')
                sim.Device.TransientDataClear();
            else
                sim.Device.Inputs.UpLoadBasics(sim.Slave());
        }
        frame.DisplayMeasurements();

        const QTableWidgetItem* volts1 = Grid(frame, "fgridMeasurements")->item(0, 0);
        QCOMPARE(volts1->text(), text);
        QCOMPARE(volts1->font().italic(), greyed);
        QCOMPARE(volts1->foreground().color() != QColor(Qt::black), greyed);
        QVERIFY(volts1->background().color() != volts1->foreground().color());
        const QString tip = QStringLiteral("Not updated: last read at %1")
                                .arg(LongTimeText(sim.Clock.Now().time()));
        QCOMPARE(volts1->toolTip(), greyed ? tip : QString());
        // The generator frequency, of another group, is never read here.
        QCOMPARE(frame.findChild<QLineEdit*>(QStringLiteral("txtGenFrequency"))->text(), QString());
    }

    // On a tab page, maximised or not, both grids show every row and column
    // without scrolling and are equally wide.
    void LayoutOnATabPage()
    {
        Shown shown;
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
};

QTEST_MAIN(tst_fraStatus)
#include "tst_fraStatus.moc"
