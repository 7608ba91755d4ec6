#include "SimulatedDevice.h"

#include "platform/LocaleDateText.h"
#include "shell/fraStatus.h"

#include <QLineEdit>

// How far the Measurements tab lets a value be trusted: nothing for a value
// not read yet (0.00000 would pass for a real zero), the value for a fresh
// read, and the last good value greyed with its time for a failed one.
class tst_MeasurementReadings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void NeverFreshStale_data()
    {
        QTest::addColumn<QString>("reads");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("greyed");
        QTest::addColumn<bool>("timeInTip");
        // Volts 1 (basics) with the relay's 230.5 V; reads: b a good read of
        // the basics, x a failed one, c the model cleared (new slave, New).
        QTest::newRow("never read") << ""
                                    << "" << false << false;
        QTest::newRow("never read, the read failed") << "x"
                                                     << "" << false << false;
        QTest::newRow("fresh") << "b"
                               << "230.500  " << false << false;
        QTest::newRow("stale") << "bx"
                               << "230.500  " << true << true;
        QTest::newRow("fresh again") << "bxb"
                                     << "230.500  " << false << false;
        QTest::newRow("cleared") << "bxc"
                                 << "" << false << false;
    }

    void NeverFreshStale()
    {
        QFETCH(QString, reads);
        QFETCH(QString, text);
        QFETCH(bool, greyed);
        QFETCH(bool, timeInTip);
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
        const QColor background = volts1->background().color();
        QCOMPARE(volts1->foreground().color() != QColor(Qt::black), greyed);
        QVERIFY(background != volts1->foreground().color());
        const QString tip = QStringLiteral("Not updated: last read at %1")
                                .arg(LongTimeText(sim.Clock.Now().time()));
        QCOMPARE(volts1->toolTip(), timeInTip ? tip : QString());
        // The generator frequency, of another group, is never read here.
        QCOMPARE(frame.findChild<QLineEdit*>(QStringLiteral("txtGenFrequency"))->text(), QString());
    }
};

QTEST_MAIN(tst_MeasurementReadings)
#include "tst_MeasurementReadings.moc"
