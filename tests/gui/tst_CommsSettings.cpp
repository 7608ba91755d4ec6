#include "FakeClock.h"
#include "MemorySettingsStore.h"
#include "SimulatedLink.h"
#include "WindowTest.h"

#include "link/cCommsErrorLog.h"
#include "platform/QtSerialPort.h"
#include "platform/QtSettingsStore.h"
#include "shell/frmCommsSettings.h"
#include "shell/frmCommsStatus.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLocale>
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
    QString FastResponse; // the box's caption, with "[x]" when ticked
};

// Runs `display`; once the modal dialog is up, notes what it shows, picks the
// items of `choice` (port first), flips the fast response box with any
// choice, and closes it as `how` says ("ok", "close box", otherwise Cancel).
Shown Drive(const std::function<void()>& display, const QStringList& choice = {},
            const QString& how = {})
{
    Shown shown;
    WithModal(display, [&](QDialog& d) {
        auto* ok = Child<QPushButton>(d, "cmdOK");
        auto* fast = Child<QCheckBox>(d, "chkFastResponse");
        shown = {{}, ok->isEnabled(), d.pos(), fast->text() + (fast->isChecked() ? " [x]" : "")};
        if (!choice.isEmpty())
            fast->setChecked(!fast->isChecked());
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

const QStringList Zeros(7, QStringLiteral("0"));
// Never restored: the loaded link's second port.
const QStringList Connection{"02", "9600,N,8,1", "Modbus RTU"};

// The statistics window, showing, over a link to the simulated relay.
struct Watched
{
    SimulatedLink Link;
    frmCommsStatus Window{Link.Modbus().Statistics()};

    Watched()
    {
        Link.Modbus().SetStatusWindow(&Window);
        Link.Modbus().ShowCommsStatistics(nullptr);
    }
    // The seven counts, then the connection.
    QStringList Shown() const
    {
        QStringList texts;
        for (const char* label :
             {"lblNumCharsTx", "lblNumRequests", "lblNumCharsRx", "lblNumResponses",
              "lblNumTimeouts", "lblNumCRCFailures", "lblNumExceptions", "lblPortNum",
              "lblCommsSettingsStr", "lblProtocolStr"})
            texts.append(Window.findChild<QLabel*>(QLatin1String(label))->text());
        return texts;
    }
    bool Read()
    {
        std::vector<float> values;
        return Link.Modbus().ReadHoldingRegisters(Link.SlaveID(), 6, 2, values);
    }
    void Click(const char* button)
    {
        Window.findChild<QPushButton*>(QLatin1String(button))->click();
    }
};

// The log's lines, after checking that every one ends in CR LF.
QStringList Lines(const QString& folder, const QString& name = cCommsErrorLog::CurrentName)
{
    QFile file(QDir(folder).filePath(name));
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (!bytes.endsWith("\r\n") || bytes.count('\n') != bytes.count("\r\n"))
        return {QStringLiteral("<missing, or line ends not all CR LF>")};
    QStringList lines = QString::fromLocal8Bit(bytes).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

} // namespace

// The link's windows: the Communication Settings dialog (serial line, port
// list, network address, fast response), the statistics window, and the comms
// error log they report to.
class tst_CommsSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void Preselection()
    {
        const struct
        {
            int Port;
            const char* Device;
            const char* Settings;
            QStringList Selected;
        } rows[] = {{1, "", "9600,n,8,1", Default},
                    {14, "", "19200,e,8,2", {"COM4", "19200", "EVEN", "8", "2"}}, // no first items
                    {1, "", "1200,N,8,1", {"COM1", "2400", "NONE", "8", "1"}}, // 1200 not offered
                    {11, "", "9600,N,8,1", Default},                           // ends in 1
                    // Both devices end in 0 too, but a device never matches a number.
                    {10, "", "9600,N,8,1", Default},
                    {2, "/dev/ttyUSB0", "9600,N,8,1", {"/dev/ttyUSB0", "9600", "NONE", "8", "1"}},
                    // Beyond 16 bits: offered as an item of its own, so OK keeps the speed.
                    {1, "", "115200,N,8,1", {"COM1", "115200", "NONE", "8", "1"}}};
        for (const auto& row : rows) {
            frmCommsSettings dialog([] { return Devices; });
            // Where no item matches, the choice of a previous display must not stay.
            Drive(
                [&] { dialog.DisplaySettingsString(3, Devices[0], "4800,O,8,2", nullptr, true); });
            const auto show = [&] {
                dialog.DisplaySettingsString(std::int16_t(row.Port), row.Device, row.Settings,
                                             nullptr, true);
            };
            QCOMPARE(Drive(show).Selected, row.Selected);
        }
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

    // The link restores and saves the dialog's position with its own settings.
    // Where it was at exit; beyond the screen (one unplugged since), at the
    // corner: a modal dialog nobody can see locks the program.
    void Position()
    {
        const std::tuple<const char*, const char*, QPoint> rows[] = {
            {"120", "80", QPoint(120, 80)}, {"30000", "20000", QPoint(0, 0)}};
        for (const auto& [left, top, position] : rows) {
            MemorySettingsStore store;
            store.SaveSetting(App, "CommsWindow", "Left", left);
            store.SaveSetting(App, "CommsWindow", "Top", top);
            SimulatedLink link;
            frmCommsSettings dialog([] { return QStringList(); });
            link.Modbus().SetSettingsDialog(&dialog);
            link.Modbus().RestoreSettings(store, App);
            const auto edit = [&] { link.Modbus().EditCommsSettings(nullptr, true); };
            QCOMPARE(Drive(edit).Position, position);
            WithModal(edit, [](QDialog& d) { d.move(210, 150); }); // the user drags it
            link.Modbus().SaveSettings(store, App);
            QCOMPARE(store.GetSetting(App, "CommsWindow", "Left", {}), QStringLiteral("210"));
            QCOMPARE(store.GetSetting(App, "CommsWindow", "Top", {}), QStringLiteral("150"));
        }
    }

    // The link starts on a device not plugged in: still offered, so a new baud
    // rate does not move the link, while a numbered port chosen leaves it. The
    // fast response box shows the link's detection and only OK carries it
    // back, either way.
    void EditCommsSettings()
    {
        // COM3, 19200, EVEN, 7, 2 chosen and the fast response box flipped;
        // then the port number, the device used, the settings text, the
        // statistics window's port and settings, and fast response detection.
        const QStringList unchanged{"2", "/dev/ttyACM0", "9600,N,8,1", "/dev/ttyACM0",
                                    "9600,N,8,1"};
        const QStringList chosen{"3", "/dev/ttyS2", "19200,E,7,2", "03", "19200,E,7,2"};
        const std::tuple<bool, const char*, bool, QStringList> rows[] = {
            {true, "ok", false, chosen + QStringList{"1"}},
            {true, "ok", true, chosen + QStringList{"0"}},
            {true, "cancel", true, unchanged + QStringList{"1"}},
            {true, "close box", false, unchanged + QStringList{"0"}},
            {false, "ok", true, unchanged + QStringList{"1"}}}; // on-line
        for (const auto& [allowChange, how, fast, state] : rows) {
            SimulatedLink link;
            frmModbus& modbus = link.Modbus();
            frmCommsSettings dialog([] { return QStringList{QStringLiteral("/dev/ttyUSB0")}; });
            frmCommsStatus status(modbus.Statistics());
            modbus.SetSettingsDialog(&dialog);
            modbus.SetStatusWindow(&status);
            modbus.SetDevice(QStringLiteral("/dev/ttyACM0"));
            modbus.SetFastResponseDetection(fast);
            modbus.ShowCommsStatistics(nullptr);
            QWidget mainWindow;
            mainWindow.show();
            const auto edit = [&] { modbus.EditCommsSettings(&mainWindow, allowChange); };
            Drive(edit); // a cancelled display must not decide the next one
            const Shown shown = Drive(edit, NewChoice, how);

            QCOMPARE(shown.Selected, QStringList({"/dev/ttyACM0", "9600", "NONE", "8", "1"}));
            QCOMPARE(shown.OkEnabled, allowChange);
            QCOMPARE(shown.FastResponse, fast ? QStringLiteral("Fast response detection [x]")
                                              : QStringLiteral("Fast response detection"));
            // The window manager keeps the dialog above its owner.
            QCOMPARE(dialog.windowHandle()->transientParent(), mainWindow.windowHandle());
            const auto label = [&](const char* name) {
                return status.findChild<QLabel*>(QLatin1String(name))->text();
            };
            QCOMPARE(
                QStringList({QString::number(modbus.Port()), link.Port().PortName(),
                             modbus.Settings(), label("lblPortNum"), label("lblCommsSettingsStr"),
                             QString::number(modbus.FastResponseDetection())}),
                state);
            QVERIFY(link.UI().Messages().isEmpty());
        }
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

    // The link's own settings, as the real serial port (never opened) takes
    // them: each value that cannot be used falls back to its own default
    // alone. The other values and fallbacks: tst_ShellLogic::SettingsRoundTrip.
    void Restore()
    {
        const QString s0 = QStringLiteral("/dev/ttyS0");
        const QString n81 = QStringLiteral("9600,n,8,1");
        const std::tuple<QString, QString, QStringList> rows[] = {
            // port number, device used, settings, word order
            {"Comms/Port", "11", {"11", "/dev/ttyS10", n81, "0"}},
            {"Comms/Port", "0", {"1", s0, n81, "0"}},
            {"Comms/Settings", "9600,X,8", {"1", s0, n81, "0"}}, // the port rejects it
            {"Comms/Settings", "32767,N,8,1", {"1", s0, "32767,N,8,1", "0"}},
            // Beyond 16 bits: taken as it is.
            {"Comms/Settings", "32768,N,8,1", {"1", s0, "32768,N,8,1", "0"}}};
        for (const auto& [key, stored, restored] : rows) {
            MemorySettingsStore store;
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
                QCOMPARE(QStringList({QString::number(link.Port()), port.PortName(),
                                      link.Settings(), QString::number(link.GetWordOrder())}),
                         restored);
                QVERIFY(ui.Messages().isEmpty());
                store = MemorySettingsStore();
                link.SaveSettings(store, App);
            }
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

    // A serial device server: the network choice, its address fields, and
    // what the link keeps of them across a restart.
    void NetworkAddressChosenTypedAndKept()
    {
        // Per row in the golden: what the engineer typed, the message under
        // the fields after OK (none: accepted), what the statistics window
        // shows of the port (no line settings over a network), after a restart the
        // link's device and what the dialog shows.
        const std::pair<QString, QString> rows[] = {
            {"192.168.1.50", "4001"},
            {"fe80::1", "502"},
            {"tcp://10.0.0.5:4001", ""}, // the whole address pasted into the host field
            {"", "x"},
            {"10.0.0.5", "65536"}};
        QString seen;
        for (const auto& [host, port] : rows) {
            MemorySettingsStore store;
            {
                SimulatedLink link;
                frmCommsSettings dialog([] { return QStringList(); });
                link.Modbus().SetSettingsDialog(&dialog);
                link.Modbus().SetDevice(QStringLiteral("/dev/ttyUSB0"));
                frmCommsStatus status(link.Modbus().Statistics());
                link.Modbus().SetStatusWindow(&status);
                link.Modbus().ShowCommsStatistics(nullptr);
                bool lineSettingsEnabled = true;
                QString shownMessage;
                WithModal([&] { link.Modbus().EditCommsSettings(nullptr, true); },
                          [&](QDialog& d) {
                              Child<QComboBox>(d, "cboConnection")->setCurrentIndex(1);
                              lineSettingsEnabled = Child<QComboBox>(d, "cboBaudRate")->isEnabled();
                              Child<QLineEdit>(d, "txtHost")->setText(host);
                              Child<QLineEdit>(d, "txtTcpPort")->setText(port);
                              Child<QPushButton>(d, "cmdOK")->click();
                              if (Child<QLabel>(d, "lblAddressMessage")->isVisible())
                                  shownMessage = Child<QLabel>(d, "lblAddressMessage")->text();
                          });
                QVERIFY(!lineSettingsEnabled);
                seen +=
                    QStringLiteral("%1 : %2\n  message: %3\n  statistics: %4 | %5\n")
                        .arg(host, port, shownMessage, Child<QLabel>(status, "lblPortNum")->text(),
                             Child<QLabel>(status, "lblCommsSettingsStr")->text());
                link.Modbus().SaveSettings(store, App);
            }
            // The next run of the program.
            SimulatedLink link;
            frmCommsSettings dialog([] { return QStringList(); });
            link.Modbus().SetSettingsDialog(&dialog);
            link.Modbus().RestoreSettings(store, App);
            QStringList reopened{link.Port().PortName()};
            WithModal([&] { link.Modbus().EditCommsSettings(nullptr, true); },
                      [&](QDialog& d) {
                          reopened << Child<QComboBox>(d, "cboConnection")->currentText()
                                   << Child<QLineEdit>(d, "txtHost")->text()
                                   << Child<QLineEdit>(d, "txtTcpPort")->text();
                      });
            seen += QStringLiteral("  after a restart: ") + reopened.join(QStringLiteral(" | "))
                    + u'\n';
            QVERIFY(link.UI().Messages().isEmpty());
        }
        TZL_COMPARE_GOLDEN(QStringLiteral("CommsSettings-network-address.txt"), seen);
    }

    // The statistics window and the comms error log.
    // Each label shows its own counter, with the thousands separator of the
    // locale (the C locale leaves it out unless asked for it). What the link
    // counts for each fault is tst_frmModbus::FaultTable's.
    void EachLabelShowsItsCounter()
    {
        for (const QLocale& locale :
             {QLocale(QLocale::English, QLocale::UnitedStates), QLocale::c()}) {
            QLocale::setDefault(locale);
            Watched w;
            cCommsStatistics& s = w.Link.Modbus().Statistics();
            s.AddCharactersTx(1234567); // beyond 16 bits
            s.AddRequests(2);
            s.AddCharactersRx(1234);
            s.AddResponses(4);
            s.AddTimeouts(5);
            s.AddCRCFailures(6);
            s.AddExceptions(7);
            QCOMPARE(w.Shown(),
                     QStringList({"1,234,567", "2", "1,234", "4", "5", "6", "7"}) + Connection);
        }
    }

    // Close hides the window and counting goes on; Clear zeroes the counts but
    // keeps the connection; the close box throws the counts away.
    void CloseClearAndCloseBox()
    {
        Watched w;
        QVERIFY(w.Read());
        w.Click("cmdClose");
        QVERIFY(!w.Window.isVisible());
        QVERIFY(w.Read());
        w.Link.Modbus().ShowCommsStatistics(nullptr);
        QCOMPARE(w.Shown(), QStringList({"16", "2", "18", "2", "0", "0", "0"}) + Connection);
        w.Click("cmdClear");
        QCOMPARE(w.Shown(), Zeros + Connection);

        QVERIFY(w.Read());
        QVERIFY(w.Window.close());
        QVERIFY(!w.Window.isVisible());
        w.Link.Modbus().ShowCommsStatistics(nullptr);
        QCOMPARE(w.Shown(), Zeros + Connection);
    }

    void FourStartsKeepThreeRuns()
    {
        QTemporaryDir dir;
        FakeClock clock;
        for (int run = 1; run <= 4; ++run) {
            cCommsErrorLog log(dir.path(), clock);
            QVERIFY(log.StartCommsErrorLog());
            QString description, source;
            QVERIFY(log.LogCommsError(QStringLiteral("run %1").arg(run), QByteArray(1, '\1'),
                                      QByteArray(1, '\0'), description, source));
        }
        QStringList runs;
        for (const QString& name :
             {cCommsErrorLog::CurrentName, cCommsErrorLog::OldName, cCommsErrorLog::OlderName}) {
            const QStringList lines = Lines(dir.path(), name);
            runs.append(lines.size() == 4
                                && lines[0].startsWith(QStringLiteral("Session Started: "))
                            ? lines[1].section(u' ', -1)
                            : lines.join(u'|'));
        }
        QCOMPARE(runs, QStringList({"4", "3", "2"}));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);
    }

    // A time-out's entry, its times in the locale's short format (a zone name
    // may follow, depending on the machine).
    void TimeoutEntry()
    {
        const std::pair<QLocale, QString> rows[] = {
            {QLocale(QLocale::English, QLocale::UnitedStates), "5/17/24 10:20:30 AM"},
            {QLocale(QLocale::German, QLocale::Germany), "17.05.24 10:20:30"}};
        for (const auto& [locale, when] : rows) {
            QLocale::setDefault(locale);
            QTemporaryDir dir;
            FakeClock clock;
            cCommsErrorLog log(dir.path(), clock);
            QVERIFY(log.StartCommsErrorLog());
            SimulatedLink link;
            link.Modbus().SetErrorLog(&log);
            link.Faults().Queue(SimFault::NoAnswer());
            std::vector<float> values;
            QVERIFY(!link.Modbus().ReadHoldingRegisters(1, 0, 2, values));
            QCOMPARE(Lines(dir.path()),
                     QStringList({"Session Started: " + when, when + " Modbus Response Timeout",
                                  "TX: 1 3 0 0 0 2 C4 B", "RX: 0"}));
        }
    }

    // Root may write anywhere, but not below a plain file.
    void UnwritableLogFailsTheTransaction()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("plain-file"));
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        FakeClock clock;
        cCommsErrorLog log(file, clock);
        QVERIFY(!log.StartCommsErrorLog());
        SimulatedLink link;
        link.Modbus().SetErrorLog(&log);
        link.Faults().Queue(SimFault::BadCrc());

        std::vector<float> values;
        QVERIFY(!link.Modbus().ReadHoldingRegisters(1, 6, 2, values));
        QVERIFY(!link.Port().IsOpen());
        const auto& messages = link.UI().Messages();
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages[0].Text, QStringLiteral("CRC Error in response"));
        QCOMPARE(messages[1].Text, QStringLiteral("Not a directory"));
        QCOMPARE(messages[1].Title, file + QStringLiteral("/CommsErr.log"));
        // The link is not left stuck: the next exchange goes through.
        QVERIFY(link.Modbus().ReadHoldingRegisters(1, 6, 2, values));
    }
};

QTEST_MAIN(tst_CommsSettings)
#include "tst_CommsSettings.moc"
