#include "RequestLog.h"
#include "SimulatedLink.h"
#include "model/cTZLHoldingRegisters.h"

#include <QTest>
#include <limits>

class tst_cTZLHoldingRegisters : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ClampingSetters_data();
    void ClampingSetters();
    void Upload_data();
    void Upload();
    void DownloadStoresReadBackUnclamped();
    void DownloadStopsAfterFailedVoltsWrite();
    void SystemTypeMatches_data();
    void SystemTypeMatches();
};

void tst_cTZLHoldingRegisters::ClampingSetters_data()
{
    QTest::addColumn<float>("given");
    QTest::addColumn<float>("volts");
    QTest::addColumn<float>("current");
    QTest::newRow("0.5") << 0.5f << 1.0f << 1.0f;
    QTest::newRow("NaN") << std::numeric_limits<float>::quiet_NaN() << 1.0f << 1.0f;
    QTest::newRow("10000") << 10000.0f << 10000.0f << 10000.0f;
    QTest::newRow("20000") << 20000.0f << 20000.0f << 10000.0f;
    QTest::newRow("400000") << 400000.0f << 400000.0f << 10000.0f;
    QTest::newRow("500000") << 500000.0f << 400000.0f << 10000.0f;
}

void tst_cTZLHoldingRegisters::ClampingSetters()
{
    QFETCH(float, given);
    SimulatedLink link;
    cTZLHoldingRegisters system(link.Modbus());
    system.SetSystemVolts(given);
    system.SetSystemCurrent(given);
    QTEST(system.SystemVolts(), "volts");
    QTEST(system.SystemCurrent(), "current");
}

void tst_cTZLHoldingRegisters::Upload_data()
{
    QTest::addColumn<QList<float>>("relay"); // volts, current, type
    QTest::addColumn<QList<float>>("held");  // empty: the read fails
    QTest::newRow("3-wire") << QList<float>{11000, 400, 2} << QList<float>{11000, 400, 2};
    QTest::newRow("type 4 becomes 3") << QList<float>{415, 5, 4} << QList<float>{415, 5, 3};
    QTest::newRow("type 2.5 becomes 3") << QList<float>{415, 5, 2.5f} << QList<float>{415, 5, 3};
    QTest::newRow("clamped") << QList<float>{0, 20000, 2} << QList<float>{1, 10000, 2};
    QTest::newRow("read fails") << QList<float>{11000, 400, 2} << QList<float>{};
}

void tst_cTZLHoldingRegisters::Upload()
{
    QFETCH(QList<float>, relay);
    QFETCH(QList<float>, held);
    SimulatedLink link;
    link.Relay().SetSystemVolts(relay[0]);
    link.Relay().SetSystemCurrent(relay[1]);
    link.Relay().SetSystemType(relay[2]);
    if (held.isEmpty())
        link.Faults().Queue(SimFault::Exception(4));
    cTZLHoldingRegisters system(link.Modbus());
    QCOMPARE(system.Upload(link.SlaveID()), !held.isEmpty());
    const QList<float> values{system.SystemVolts(), system.SystemCurrent(), system.SystemType()};
    QCOMPARE(values, held.isEmpty() ? (QList<float>{110, 5, 3}) : held);
}

void tst_cTZLHoldingRegisters::DownloadStoresReadBackUnclamped()
{
    SimulatedLink link;
    link.Relay().SetSystemType(4.0f);
    cTZLHoldingRegisters system(link.Modbus());
    system.SetSystemVolts(11000.0f);
    system.SetSystemCurrent(250.0f);
    link.Faults().SetRegisterValue(RegisterKind::Holding, 6, 0.5f); // beyond the setter's range
    QVERIFY(system.Download(link.SlaveID()));
    QCOMPARE(RequestLog(link.Port().WrittenFrames()), (QStringList{"w6", "w8", "h6"}));
    QCOMPARE(link.Relay().SystemVolts(), 11000.0f);
    QCOMPARE(link.Relay().SystemCurrent(), 250.0f);
    QCOMPARE(system.SystemVolts(), 0.5f);
    QCOMPARE(system.SystemType(), 4.0f);
}

void tst_cTZLHoldingRegisters::DownloadStopsAfterFailedVoltsWrite()
{
    SimulatedLink link;
    link.Relay().SetSystemVolts(415.0f);
    cTZLHoldingRegisters system(link.Modbus());
    system.SetSystemVolts(11000.0f);
    link.Faults().Queue(SimFault::Exception(4));
    QVERIFY(!system.Download(link.SlaveID()));
    // No current after the refused volts; the read-back still shows the relay.
    QCOMPARE(RequestLog(link.Port().WrittenFrames()), (QStringList{"w6", "h6"}));
    QCOMPARE(system.SystemVolts(), 415.0f);
}

void tst_cTZLHoldingRegisters::SystemTypeMatches_data()
{
    QTest::addColumn<float>("relayType");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<bool>("matches");
    QTest::newRow("2 and 2") << 2.0f << false << true;
    QTest::newRow("3 and 2") << 3.0f << false << false;
    QTest::newRow("not exactly 2") << 2.0001f << false << false;
    QTest::newRow("failed read") << 2.0f << true << false;
}

void tst_cTZLHoldingRegisters::SystemTypeMatches()
{
    QFETCH(float, relayType);
    QFETCH(bool, fails);
    SimulatedLink link;
    link.Relay().SetSystemType(relayType);
    if (fails)
        link.Faults().Queue(SimFault::Exception(2));
    cTZLHoldingRegisters system(link.Modbus());
    QTEST(system.SystemTypeMatches(link.SlaveID(), 2), "matches");
    QCOMPARE(link.Port().WrittenFrames().value(0).toHex(' ').left(17),
             QByteArray("01 03 00 0a 00 02"));
}

QTEST_GUILESS_MAIN(tst_cTZLHoldingRegisters)
#include "tst_cTZLHoldingRegisters.moc"
