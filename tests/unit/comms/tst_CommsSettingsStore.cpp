#include "MemorySettingsStore.h"
#include "ScriptedUserInterface.h"

#include "link/frmModbus.h"
#include "platform/QtSerialPort.h"

#include <QTest>

namespace {

const QString App = QStringLiteral("VI_TZLConfigurator");

} // namespace

// The link's stored port, device, line settings and word order. The real
// serial port is used (never opened): it decides which settings texts a line
// can take.
class tst_CommsSettingsStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void LoadedLinkUsesSecondPort();
    void DeviceNamedBeforeLoadIsKept();
    void Restore_data();
    void Restore();
    void SaveThenRestoreRoundTrip();
    void SetDeviceOverridesNumberedPort();
};

void tst_CommsSettingsStore::LoadedLinkUsesSecondPort()
{
    QtSerialPort port;
    ScriptedUserInterface ui;
    frmModbus link(port, ui);
    QCOMPARE(link.Port(), std::int16_t(2));
    QCOMPARE(port.PortName(), QStringLiteral("/dev/ttyS1"));
}

void tst_CommsSettingsStore::DeviceNamedBeforeLoadIsKept()
{
    QtSerialPort port;
    port.SetPortName(QStringLiteral("/dev/pts/7"));
    ScriptedUserInterface ui;
    frmModbus link(port, ui);
    QCOMPARE(port.PortName(), QStringLiteral("/dev/pts/7"));
}

void tst_CommsSettingsStore::Restore_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("wordOrder");

    const QString defaults = QStringLiteral("9600,n,8,1");
    const QString ttyS0 = QStringLiteral("/dev/ttyS0");
    QTest::newRow("empty store") << "" << "" << "" << 1 << ttyS0 << defaults << 0;
    QTest::newRow("port 3") << "Comms" << "Port" << "3" << 3 << "/dev/ttyS2" << defaults << 0;
    QTest::newRow("port 11") << "Comms" << "Port" << "11" << 11 << "/dev/ttyS10" << defaults << 0;
    QTest::newRow("port not a number") << "Comms" << "Port" << "COM3" << 1 << ttyS0 << defaults << 0;
    QTest::newRow("port 0") << "Comms" << "Port" << "0" << 1 << ttyS0 << defaults << 0;
    QTest::newRow("port beyond 16 bits") << "Comms" << "Port" << "40000" << 1 << ttyS0 << defaults << 0;
    QTest::newRow("device") << "Comms" << "Device" << "/dev/ttyUSB0" << 1 << "/dev/ttyUSB0" << defaults << 0;
    QTest::newRow("settings kept as stored") << "Comms" << "Settings" << "19200,e,7,2" << 1 << ttyS0 << "19200,e,7,2" << 0;
    QTest::newRow("settings not a line") << "Comms" << "Settings" << "fast" << 1 << ttyS0 << defaults << 0;
    QTest::newRow("settings field missing") << "Comms" << "Settings" << "9600,N,8" << 1 << ttyS0 << defaults << 0;
    QTest::newRow("settings parity X") << "Comms" << "Settings" << "9600,X,8,1" << 1 << ttyS0 << defaults << 0;
    QTest::newRow("baud 32767") << "Comms" << "Settings" << "32767,N,8,1" << 1 << ttyS0 << "32767,N,8,1" << 0;
    QTest::newRow("baud 38400") << "Comms" << "Settings" << "38400,N,8,1" << 1 << ttyS0 << defaults << 0;
    QTest::newRow("word order 1") << "Modbus" << "WordOrder" << "1" << 1 << ttyS0 << defaults << 1;
    QTest::newRow("word order 5") << "Modbus" << "WordOrder" << "5" << 1 << ttyS0 << defaults << 1;
    QTest::newRow("word order 65536") << "Modbus" << "WordOrder" << "65536" << 1 << ttyS0 << defaults << 1;
    QTest::newRow("word order not a number") << "Modbus" << "WordOrder" << "swapped" << 1 << ttyS0 << defaults << 0;
}

void tst_CommsSettingsStore::Restore()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(int, port);
    QFETCH(QString, device);
    QFETCH(QString, settings);
    QFETCH(int, wordOrder);
    MemorySettingsStore store;
    if (!key.isEmpty())
        store.SaveSetting(App, section, key, stored);
    QtSerialPort serialPort;
    ScriptedUserInterface ui;
    frmModbus link(serialPort, ui);
    // Values from before must not survive a restore.
    link.SetWordOrder(1);
    serialPort.SetSettings(QStringLiteral("4800,O,7,2"));

    link.RestoreSettings(store, App);

    QCOMPARE(link.Port(), std::int16_t(port));
    QCOMPARE(serialPort.PortName(), device);
    QCOMPARE(link.Settings(), settings);
    QCOMPARE(link.GetWordOrder(), std::int16_t(wordOrder));
    QVERIFY(ui.Messages().isEmpty());
}

void tst_CommsSettingsStore::SaveThenRestoreRoundTrip()
{
    MemorySettingsStore store;
    store.SaveSetting(App, QStringLiteral("Comms"), QStringLiteral("Port"), QStringLiteral("4"));
    store.SaveSetting(App, QStringLiteral("Comms"), QStringLiteral("Settings"),
                      QStringLiteral("19200,E,7,2"));
    store.SaveSetting(App, QStringLiteral("Modbus"), QStringLiteral("WordOrder"), QStringLiteral("1"));
    {
        QtSerialPort port;
        ScriptedUserInterface ui;
        frmModbus link(port, ui);
        link.RestoreSettings(store, App);
        link.SetDevice(QStringLiteral("/dev/ttyACM0"));
        link.SaveSettings(store, App);
    }
    QCOMPARE(store.GetSetting(App, "Comms", "Port", {}), QStringLiteral("4"));
    QCOMPARE(store.GetSetting(App, "Comms", "Device", {}), QStringLiteral("/dev/ttyACM0"));
    QCOMPARE(store.GetSetting(App, "Comms", "Settings", {}), QStringLiteral("19200,E,7,2"));
    QCOMPARE(store.GetSetting(App, "Modbus", "WordOrder", {}), QStringLiteral("1"));

    QtSerialPort port;
    ScriptedUserInterface ui;
    frmModbus link(port, ui);
    link.RestoreSettings(store, App);
    QCOMPARE(link.Port(), std::int16_t(4));
    QCOMPARE(port.PortName(), QStringLiteral("/dev/ttyACM0"));
    QCOMPARE(link.Settings(), QStringLiteral("19200,E,7,2"));
    QCOMPARE(link.GetWordOrder(), std::int16_t(1));
}

void tst_CommsSettingsStore::SetDeviceOverridesNumberedPort()
{
    QtSerialPort port;
    ScriptedUserInterface ui;
    frmModbus link(port, ui);
    link.SetDevice(QStringLiteral("/dev/ttyUSB1"));
    QCOMPARE(port.PortName(), QStringLiteral("/dev/ttyUSB1"));
    QCOMPARE(link.Port(), std::int16_t(2));
    link.SetDevice(QString());
    QCOMPARE(port.PortName(), QStringLiteral("/dev/ttyS1"));
}

QTEST_GUILESS_MAIN(tst_CommsSettingsStore)
#include "tst_CommsSettingsStore.moc"
