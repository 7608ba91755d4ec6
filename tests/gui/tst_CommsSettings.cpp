#include "MemorySettingsStore.h"
#include "SimulatedLink.h"
#include "WindowTest.h"

#include "platform/QtSerialPort.h"
#include "platform/QtSettingsStore.h"
#include "shell/frmCommsSettings.h"
#include "shell/frmCommsStatus.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

namespace {

const QString App = QStringLiteral("VI_TZLConfigurator");
const QStringList Devices{QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"),
                          QStringLiteral("/dev/ttyUSB0")};
const QStringList Default{"COM1", "9600", "NONE", "8", "1"};
const QStringList NewChoice{"COM3", "19200", "EVEN", "7", "2"};

struct Shown
{
    QStringList Selected;
    bool OkEnabled = false;
    QPoint Position;
};

// Runs `display`; once the modal dialog is up, notes what it shows, picks the
// items of `choice` (port first) and closes it as `how` says ("ok", "close
// box", otherwise Cancel).
Shown Drive(const std::function<void()>& display, const QStringList& choice = {},
            const QString& how = {})
{
    Shown shown;
    WithModal(display, [&](QDialog& d) {
        auto* ok = Child<QPushButton>(d, "cmdOK");
        shown = {{}, ok->isEnabled(), d.pos()};
        for (const char* name :
             {"cboPort", "cboBaudRate", "cboParity", "cboDataBits", "cboStopBits"}) {
            auto* list = Child<QComboBox>(d, name);
            shown.Selected.append(list->currentText());
            if (shown.Selected.size() <= choice.size())
                list->setCurrentIndex(list->findText(choice[shown.Selected.size() - 1]));
        }
        if (how == QLatin1String("ok"))
            ok->click();
        else if (how == QLatin1String("close box"))
            d.close();
        else
            Child<QPushButton>(d, "cmdCancel")->click();
    });
    return shown;
}

} // namespace

class tst_CommsSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void Preselection_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QStringList>("selected");
        const auto row = [](const char* name, int port, const char* device, const char* settings,
                            const QStringList& selected) {
            QTest::newRow(name) << port << QString(device) << QString(settings) << selected;
        };
        row("stored default, lower-case n", 1, "", "9600,n,8,1", Default);
        row("port 14, lower-case e, no first items", 14, "", "19200,e,8,2",
            {"COM4", "19200", "EVEN", "8", "2"});
        row("1200 is not offered", 1, "", "1200,N,8,1", {"COM1", "2400", "NONE", "8", "1"});
        row("port 11 ends in 1", 11, "", "9600,N,8,1", Default);
        // Both devices end in 0 too, but a device never matches a number.
        row("port 10 matches nothing", 10, "", "9600,N,8,1", Default);
        row("device in use", 2, "/dev/ttyUSB0", "9600,N,8,1",
            {"/dev/ttyUSB0", "9600", "NONE", "8", "1"});
        // Beyond 16 bits: offered as an item of its own, so OK keeps the speed.
        row("115200 offered", 1, "", "115200,N,8,1", {"COM1", "115200", "NONE", "8", "1"});
    }

    void Preselection()
    {
        QFETCH(int, port);
        QFETCH(QString, device);
        QFETCH(QString, settings);
        QFETCH(QStringList, selected);
        frmCommsSettings dialog([] { return Devices; });
        // Where no item matches, the choice of a previous display must not stay.
        Drive([&] { dialog.DisplaySettingsString(3, Devices[0], "4800,O,8,2", nullptr, true); });
        QCOMPARE(Drive([&] {
                     dialog.DisplaySettingsString(std::int16_t(port), device, settings, nullptr,
                                                  true);
                 }).Selected,
                 selected);
    }

    // The extra rate is chosen by OK and offered for that display only.
    void FasterRateSurvivesOk()
    {
        SimulatedLink link;
        frmCommsSettings dialog([] { return QStringList(); });
        link.Modbus().SetSettingsDialog(&dialog);
        QVERIFY(link.Port().SetSettings(QStringLiteral("38400,E,8,1")));
        Drive([&] { link.Modbus().EditCommsSettings(nullptr, true); }, {}, "ok");
        QCOMPARE(link.Modbus().Settings(), QStringLiteral("38400,E,8,1"));
        QStringList offered;
        Drive([&] { dialog.DisplaySettingsString(1, {}, "9600,N,8,1", nullptr, true); });
        auto* rates = dialog.findChild<QComboBox*>(QStringLiteral("cboBaudRate"));
        for (int i = 0; i < rates->count(); ++i)
            offered << rates->itemText(i);
        QCOMPARE(offered, QStringList({"2400", "4800", "9600", "19200"}));
    }

    void DiscreteValuesLeaveOkAlone()
    {
        frmCommsSettings dialog([] { return QStringList(); });
        Drive([&] { dialog.DisplaySettingsString(1, {}, "9600,N,8,1", nullptr, false); });
        const Shown shown =
            Drive([&] { dialog.DisplaySettingsDiscrete(3, 19200, 7, "E", 2, nullptr); });
        QCOMPARE(shown.Selected, NewChoice);
        QVERIFY(!shown.OkEnabled);
    }

    void Position_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QPoint>("position");
        QTest::newRow("where it was at exit") << QString("120") << QString("80") << QPoint(120, 80);
        // A screen unplugged since: a modal dialog nobody can see locks the program.
        QTest::newRow("beyond the screen") << QString("30000") << QString("20000") << QPoint(0, 0);
    }

    // The link restores and saves the dialog's position with its own settings.
    void Position()
    {
        QFETCH(QString, left);
        QFETCH(QString, top);
        QFETCH(QPoint, position);
        MemorySettingsStore store;
        store.SaveSetting(App, "CommsWindow", "Left", left);
        store.SaveSetting(App, "CommsWindow", "Top", top);
        SimulatedLink link;
        frmCommsSettings dialog([] { return QStringList(); });
        link.Modbus().SetSettingsDialog(&dialog);
        link.Modbus().RestoreSettings(store, App);
        QCOMPARE(Drive([&] { link.Modbus().EditCommsSettings(nullptr, true); }).Position, position);

        QTimer::singleShot(0, &dialog, [&dialog] {
            dialog.move(210, 150); // the user drags it
            dialog.reject();
        });
        link.Modbus().EditCommsSettings(nullptr, true);
        link.Modbus().SaveSettings(store, App);
        QCOMPARE(store.GetSetting(App, "CommsWindow", "Left", {}), QStringLiteral("210"));
        QCOMPARE(store.GetSetting(App, "CommsWindow", "Top", {}), QStringLiteral("150"));
    }

    void EditCommsSettings_data()
    {
        QTest::addColumn<bool>("allowChange");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("port"); // chosen with 19200, EVEN, 7, 2
        // Then the port number, the device used, the settings text, and the
        // port and settings the statistics window shows.
        QTest::addColumn<QStringList>("state");
        const QStringList unchanged{"2", "/dev/ttyACM0", "9600,N,8,1", "/dev/ttyACM0",
                                    "9600,N,8,1"};
        const QString com3 = QStringLiteral("COM3");
        QTest::newRow("OK") << true << QString("ok") << com3
                            << QStringList{"3", "/dev/ttyS2", "19200,E,7,2", "03", "19200,E,7,2"};
        QTest::newRow("Cancel") << true << QString("cancel") << com3 << unchanged;
        QTest::newRow("close box") << true << QString("close box") << com3 << unchanged;
        QTest::newRow("on-line, OK") << false << QString("ok") << com3 << unchanged;
    }

    // The link starts on a device not plugged in: still offered, so a new baud
    // rate does not move the link, while a numbered port chosen leaves it.
    void EditCommsSettings()
    {
        QFETCH(bool, allowChange);
        QFETCH(QString, how);
        QFETCH(QString, port);
        QFETCH(QStringList, state);
        SimulatedLink link;
        frmModbus& modbus = link.Modbus();
        frmCommsSettings dialog([] { return QStringList{QStringLiteral("/dev/ttyUSB0")}; });
        frmCommsStatus status(modbus.Statistics());
        modbus.SetSettingsDialog(&dialog);
        modbus.SetStatusWindow(&status);
        modbus.SetDevice(QStringLiteral("/dev/ttyACM0"));
        modbus.ShowCommsStatistics(nullptr);
        QWidget mainWindow;
        mainWindow.show();
        const auto edit = [&] { modbus.EditCommsSettings(&mainWindow, allowChange); };
        Drive(edit); // a cancelled display must not decide the next one
        const Shown shown = Drive(edit, QStringList{port} + NewChoice.mid(1), how);

        QCOMPARE(shown.Selected, QStringList({"/dev/ttyACM0", "9600", "NONE", "8", "1"}));
        QCOMPARE(shown.OkEnabled, allowChange);
        // The window manager keeps the dialog above its owner.
        QCOMPARE(dialog.windowHandle()->transientParent(), mainWindow.windowHandle());
        const auto label = [&](const char* name) {
            return status.findChild<QLabel*>(QLatin1String(name))->text();
        };
        QCOMPARE(
            QStringList({QString::number(modbus.Port()), link.Port().PortName(), modbus.Settings(),
                         label("lblPortNum"), label("lblCommsSettingsStr")}),
            state);
        QVERIFY(link.UI().Messages().isEmpty());
    }

    // The dialog is opened from an event handled while a transaction waits for
    // its answer; by the time the user presses OK the port is in use.
    void RefusedWhileATransactionHoldsThePort()
    {
        SimulatedLink link;
        frmCommsSettings dialog([] { return QStringList(); });
        link.Modbus().SetSettingsDialog(&dialog);
        link.Faults().Queue(SimFault::NoAnswer());
        QTimer::singleShot(20, [&] {
            Drive([&] { link.Modbus().EditCommsSettings(nullptr, true); }, NewChoice, "ok");
        });
        std::vector<float> values;
        QVERIFY(!link.Modbus().ReadHoldingRegisters(link.SlaveID(), 6, 2, values));

        const auto& messages = link.UI().Messages();
        QCOMPARE(messages.size(), 2);
        QCOMPARE(
            messages[0].Text,
            QStringLiteral("Please switch to off-line mode before changing the comms settings!"));
        QCOMPARE(messages[0].Title, QStringLiteral("TZL Configurator"));
        QCOMPARE(messages[1].Text, QStringLiteral("Modbus Response Timeout"));
        // As loaded: the second port, on the loopback line.
        QCOMPARE(QStringList({QString::number(link.Modbus().Port()), link.Port().PortName(),
                              link.Modbus().Settings()}),
                 QStringList({"2", "loopback", "9600,N,8,1"}));
    }

    // The link's own settings. The real serial port is used (never opened): it
    // decides which settings texts a line can take.
    void Restore_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("restored"); // port number, device used, settings, word order
        // Each value that cannot be used falls back to its own default alone.
        const QString s0 = QStringLiteral("/dev/ttyS0");
        const QString n81 = QStringLiteral("9600,n,8,1");
        const auto row = [](const char* name, const char* key, const char* stored,
                            const QStringList& restored) {
            QTest::newRow(name) << QString(key) << QString(stored) << restored;
        };
        row("empty store", "", "", {"1", s0, n81, "0"});
        row("port 11", "Comms/Port", "11", {"11", "/dev/ttyS10", n81, "0"});
        row("port 0", "Comms/Port", "0", {"1", s0, n81, "0"});
        row("port not a number", "Comms/Port", "COM3", {"1", s0, n81, "0"});
        row("device", "Comms/Device", "/dev/ttyUSB0", {"1", "/dev/ttyUSB0", n81, "0"});
        row("settings as stored", "Comms/Settings", "19200,e,7,2", {"1", s0, "19200,e,7,2", "0"});
        row("settings the port rejects", "Comms/Settings", "9600,X,8", {"1", s0, n81, "0"});
        row("baud 32767", "Comms/Settings", "32767,N,8,1", {"1", s0, "32767,N,8,1", "0"});
        row("baud 32768", "Comms/Settings", "32768,N,8,1", {"1", s0, "32768,N,8,1", "0"});
        row("baud 115200", "Comms/Settings", "115200,N,8,1", {"1", s0, "115200,N,8,1", "0"});
        row("word order 5", "Modbus/WordOrder", "5", {"1", s0, n81, "1"});
    }

    void Restore()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QStringList, restored);
        MemorySettingsStore store;
        if (!key.isEmpty())
            store.SaveSetting(App, key.section(u'/', 0, 0), key.section(u'/', 1), stored);
        // What is restored comes back the same after a save and another restore.
        for (int pass = 1; pass <= 2; ++pass) {
            QtSerialPort port;
            ScriptedUserInterface ui;
            frmModbus link(port, ui);
            // Values from before must not survive a restore.
            link.SetWordOrder(1);
            port.SetSettings(QStringLiteral("4800,O,7,2"));
            link.RestoreSettings(store, App);
            QCOMPARE(QStringList({QString::number(link.Port()), port.PortName(), link.Settings(),
                                  QString::number(link.GetWordOrder())}),
                     restored);
            QVERIFY(ui.Messages().isEmpty());
            store = MemorySettingsStore();
            link.SaveSettings(store, App);
        }
    }

    // The settings file as an engineer may edit it by hand.
    void RestoreFromTheIniFile()
    {
        const struct
        {
            QByteArray Line;
            const char* Settings;
        } rows[] = {{"Settings=\"19200,E,8,1\"", "19200,E,8,1"}, // quoted, as written
                    {"Settings=19200,E,8,1", "19200,E,8,1"},
                    {"Settings=38400, o, 7, 2", "38400,o,7,2"}};
        for (const auto& row : rows) {
            QTemporaryDir dir;
            QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
            QVERIFY(QDir(dir.path()).mkpath(App));
            QFile ini(QDir(dir.path()).filePath(App + "/" + App + ".ini"));
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write("[Comms]\nPort=3\n" + row.Line + "\n");
            ini.close();
            QtSettingsStore store;
            QtSerialPort port;
            ScriptedUserInterface ui;
            frmModbus link(port, ui);
            link.RestoreSettings(store, App);
            QCOMPARE(link.Port(), std::int16_t(3));
            QCOMPARE(link.Settings(), QLatin1String(row.Settings));
        }
    }

    // The port list as an engineer with USB adapters meets it: adapters
    // first, and any device typed into the box taken as the device to use.
    void PortListTypedOrChosen()
    {
        const struct
        {
            const char* Typed;
            const char* Device;
            int Port;
        } rows[] = {
            {"", "", 1}, // nothing typed: the stored COM1
            {"COM3", "", 3},
            {"/dev/serial/by-id/usb-FTDI-if00-port0", "/dev/serial/by-id/usb-FTDI-if00-port0", 0},
            {"  ttyUSB3 ", "/dev/ttyUSB3", 0}};
        for (const auto& row : rows) {
            frmCommsSettings dialog([] { return QStringList{"/dev/ttyS0", "/dev/ttyACM0"}; });
            QStringList items;
            const auto show = [&] {
                dialog.DisplaySettingsString(1, {}, "9600,N,8,1", nullptr, true);
            };
            WithModal(show, [&](QDialog& d) {
                auto* port = Child<QComboBox>(d, "cboPort");
                for (int i = 0; i < port->count(); ++i)
                    items << port->itemText(i);
                port->lineEdit()->selectAll();
                QTest::keyClicks(port->lineEdit(), QLatin1String(row.Typed));
                Child<QPushButton>(d, "cmdOK")->click();
            });
            QCOMPARE(items,
                     (QStringList{"/dev/ttyACM0", "COM1", "COM2", "COM3", "COM4", "/dev/ttyS0"}));
            QCOMPARE(dialog.GetDevice(), QLatin1String(row.Device));
            if (dialog.GetDevice().isEmpty())
                QCOMPARE(int(dialog.GetPort()), row.Port);
        }
    }

    // The check box carries the link's fast response detection both ways;
    // only OK changes it.
    void FastResponseCheckBox()
    {
        const struct
        {
            bool Before;
            const char* Button;
            bool After;
        } rows[] = {{false, "cmdOK", true}, {true, "cmdOK", false}, {true, "cmdCancel", true}};
        for (const auto& row : rows) {
            SimulatedLink link;
            frmCommsSettings dialog([] { return QStringList(); });
            link.Modbus().SetSettingsDialog(&dialog);
            link.Modbus().SetFastResponseDetection(row.Before);
            QString caption;
            bool shown = !row.Before;
            WithModal([&] { link.Modbus().EditCommsSettings(nullptr, true); },
                      [&](QDialog& d) {
                          auto* box = Child<QCheckBox>(d, "chkFastResponse");
                          caption = box->text();
                          shown = box->isChecked();
                          box->setChecked(!shown);
                          Child<QPushButton>(d, row.Button)->click();
                      });
            QCOMPARE(caption, QStringLiteral("Fast response detection"));
            QCOMPARE(shown, row.Before);
            QCOMPARE(link.Modbus().FastResponseDetection(), row.After);
        }
    }

    // A serial device server: the network choice, its address fields, and
    // what the link keeps of them across a restart.
    void NetworkAddressChosenTypedAndKept()
    {
        const QString network = QStringLiteral("Network (RTU over TCP)");
        const QStringList serial{"Serial line", "", ""};
        const struct
        {
            QString Host, Port;
            QString Message; // under the fields after OK; empty: accepted
            QString Device;  // the link's after a restart
            QStringList Reopened;
        } rows[] = {
            {"192.168.1.50",
             "4001",
             "",
             "tcp://192.168.1.50:4001",
             {network, "192.168.1.50", "4001"}},
            {"fe80::1", "502", "", "tcp://[fe80::1]:502", {network, "[fe80::1]", "502"}},
            // The whole address pasted into the host field.
            {"tcp://10.0.0.5:4001", "", "", "tcp://10.0.0.5:4001", {network, "10.0.0.5", "4001"}},
            {"", "x", "\"tcp://:x\" is not a network address: the host is missing.", "/dev/ttyUSB0",
             serial},
            {"10.0.0.5", "65536",
             "\"tcp://10.0.0.5:65536\" is not a network address: the port must be a number "
             "from 1 to 65535.",
             "/dev/ttyUSB0", serial}};
        for (const auto& row : rows) {
            MemorySettingsStore store;
            {
                SimulatedLink link;
                frmCommsSettings dialog([] { return QStringList(); });
                link.Modbus().SetSettingsDialog(&dialog);
                link.Modbus().SetDevice(QStringLiteral("/dev/ttyUSB0"));
                bool lineSettingsEnabled = true;
                QString shownMessage;
                WithModal([&] { link.Modbus().EditCommsSettings(nullptr, true); },
                          [&](QDialog& d) {
                              Child<QComboBox>(d, "cboConnection")->setCurrentIndex(1);
                              lineSettingsEnabled = Child<QComboBox>(d, "cboBaudRate")->isEnabled();
                              Child<QLineEdit>(d, "txtHost")->setText(row.Host);
                              Child<QLineEdit>(d, "txtTcpPort")->setText(row.Port);
                              Child<QPushButton>(d, "cmdOK")->click();
                              if (Child<QLabel>(d, "lblAddressMessage")->isVisible())
                                  shownMessage = Child<QLabel>(d, "lblAddressMessage")->text();
                          });
                QVERIFY(!lineSettingsEnabled);
                QCOMPARE(shownMessage, row.Message);
                link.Modbus().SaveSettings(store, App);
            }
            // The next run of the program.
            SimulatedLink link;
            frmCommsSettings dialog([] { return QStringList(); });
            link.Modbus().SetSettingsDialog(&dialog);
            link.Modbus().RestoreSettings(store, App);
            QCOMPARE(link.Port().PortName(), row.Device);
            QStringList reopened;
            WithModal([&] { link.Modbus().EditCommsSettings(nullptr, true); },
                      [&](QDialog& d) {
                          reopened = {Child<QComboBox>(d, "cboConnection")->currentText(),
                                      Child<QLineEdit>(d, "txtHost")->text(),
                                      Child<QLineEdit>(d, "txtTcpPort")->text()};
                      });
            QCOMPARE(reopened, row.Reopened);
            QVERIFY(link.UI().Messages().isEmpty());
        }
    }
};

QTEST_MAIN(tst_CommsSettings)
#include "tst_CommsSettings.moc"
