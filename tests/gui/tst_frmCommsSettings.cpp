#include "MemorySettingsStore.h"
#include "DialogDriver.h"

#include "shell/frmCommsSettings.h"

#include <QLabel>
#include <QTest>

namespace {

const QString App = QStringLiteral("VI_TZLConfigurator");
const QStringList Devices{QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"),
                          QStringLiteral("/dev/ttyUSB0")};

QComboBox* List(QWidget& dialog, const char* name)
{
    return dialog.findChild<QComboBox*>(QLatin1String(name));
}

QStringList Items(QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->itemText(i));
    return items;
}

struct Shown
{
    QStringList Selected;
    bool OkEnabled = false;
    QPoint Position;
};

// Displays the dialog and notes what it shows, then closes it with Cancel.
Shown DisplayAndLook(frmCommsSettings& dialog, std::int16_t port, const QString& device,
                     const QString& settings, bool okEnabled = true)
{
    Shown shown;
    WhenModalShown([&](QDialog& d) {
        shown.Selected = SelectedItems(d);
        shown.OkEnabled = Button(d, "cmdOK")->isEnabled();
        shown.Position = d.pos();
        Button(d, "cmdCancel")->click();
    });
    dialog.DisplaySettingsString(port, device, settings, nullptr, okEnabled);
    return shown;
}

} // namespace

class tst_frmCommsSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ListsAndMnemonics();
    void Preselection_data();
    void Preselection();
    void DiscreteValuesLeaveOkAlone();
    void Closing_data();
    void Closing();
    void ChosenValues_data();
    void ChosenValues();
    void PositionRemembered();
    void StoredPositionOffScreen_data();
    void StoredPositionOffScreen();
};

void tst_frmCommsSettings::ListsAndMnemonics()
{
    frmCommsSettings dialog([] { return Devices; });
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Communication Settings"));
    DisplayAndLook(dialog, 1, {}, QStringLiteral("9600,N,8,1"));
    QCOMPARE(Items(List(dialog, "cboPort")),
             QStringList({"COM1", "COM2", "COM3", "COM4"}) + Devices);
    QCOMPARE(Items(List(dialog, "cboBaudRate")), QStringList({"2400", "4800", "9600", "19200"}));
    QCOMPARE(Items(List(dialog, "cboParity")), QStringList({"NONE", "ODD", "EVEN"}));
    QCOMPARE(Items(List(dialog, "cboDataBits")), QStringList({"7", "8"}));
    QCOMPARE(Items(List(dialog, "cboStopBits")), QStringList({"1", "2"}));

    const QList<std::pair<QString, const char*>> labels{{"&Port", "cboPort"},
                                                        {"&Baud Rate", "cboBaudRate"},
                                                        {"P&arity", "cboParity"},
                                                        {"&Data Bits", "cboDataBits"},
                                                        {"&Stop Bits", "cboStopBits"}};
    for (const auto& [text, list] : labels) {
        QLabel* label = nullptr;
        for (QLabel* candidate : dialog.findChildren<QLabel*>())
            if (candidate->text() == text)
                label = candidate;
        QVERIFY2(label != nullptr, qPrintable(text));
        QCOMPARE(label->buddy(), List(dialog, list));
    }
    QCOMPARE(Button(dialog, "cmdOK")->text(), QStringLiteral("&OK"));
    QCOMPARE(Button(dialog, "cmdCancel")->text(), QStringLiteral("&Cancel"));
}

void tst_frmCommsSettings::Preselection_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QStringList>("selected");

    QTest::newRow("stored default, lower-case parity") << 1 << "" << "9600,n,8,1"
        << QStringList{"COM1", "9600", "NONE", "8", "1"};
    QTest::newRow("every list off its first item") << 4 << "" << "19200,E,8,2"
        << QStringList{"COM4", "19200", "EVEN", "8", "2"};
    QTest::newRow("odd parity, 7 data bits") << 2 << "" << "4800,o,7,1"
        << QStringList{"COM2", "4800", "ODD", "7", "1"};
    QTest::newRow("1200 is not offered") << 3 << "" << "1200,N,8,1"
        << QStringList{"COM3", "2400", "NONE", "8", "1"};
    QTest::newRow("baud beyond 16 bits") << 1 << "" << "38400,N,8,1"
        << QStringList{"COM1", "2400", "NONE", "8", "1"};
    QTest::newRow("port 11 ends in 1") << 11 << "" << "9600,N,8,1"
        << QStringList{"COM1", "9600", "NONE", "8", "1"};
    // ttyUSB0 and port0 end in 0 too, but devices never match a number.
    QTest::newRow("port 10 matches nothing") << 10 << "" << "9600,N,8,1"
        << QStringList{"COM1", "9600", "NONE", "8", "1"};
    QTest::newRow("parity spelled out") << 1 << "" << "9600,EVEN,8,1"
        << QStringList{"COM1", "9600", "NONE", "8", "1"};
    QTest::newRow("garbled text") << 1 << "" << "garbage"
        << QStringList{"COM1", "2400", "NONE", "7", "1"};
    QTest::newRow("empty text") << 1 << "" << ""
        << QStringList{"COM1", "2400", "NONE", "7", "1"};
    QTest::newRow("device in use") << 2 << "/dev/ttyUSB0" << "9600,N,8,1"
        << QStringList{"/dev/ttyUSB0", "9600", "NONE", "8", "1"};
    QTest::newRow("device in use, unplugged") << 2 << "/dev/ttyACM3" << "9600,N,8,1"
        << QStringList{"/dev/ttyACM3", "9600", "NONE", "8", "1"};
}

void tst_frmCommsSettings::Preselection()
{
    QFETCH(int, port);
    QFETCH(QString, device);
    QFETCH(QString, settings);
    QFETCH(QStringList, selected);
    frmCommsSettings dialog([] { return Devices; });
    // A previous display must not leave its choice behind.
    DisplayAndLook(dialog, 3, Devices[0], QStringLiteral("4800,O,7,2"));
    QCOMPARE(DisplayAndLook(dialog, std::int16_t(port), device, settings).Selected, selected);
}

void tst_frmCommsSettings::DiscreteValuesLeaveOkAlone()
{
    frmCommsSettings dialog([] { return QStringList(); });
    QVERIFY(!DisplayAndLook(dialog, 1, {}, QStringLiteral("9600,N,8,1"), false).OkEnabled);

    QStringList selected;
    bool okEnabled = true;
    WhenModalShown([&](QDialog& d) {
        selected = SelectedItems(d);
        okEnabled = Button(d, "cmdOK")->isEnabled();
        d.reject();
    });
    dialog.DisplaySettingsDiscrete(3, 19200, 7, QStringLiteral("E"), 2, nullptr);
    QCOMPARE(selected, QStringList({"COM3", "19200", "EVEN", "7", "2"}));
    QVERIFY(!okEnabled);
}

void tst_frmCommsSettings::Closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("OK") << "ok" << false;
    QTest::newRow("Cancel") << "cancel" << true;
    QTest::newRow("close box") << "close" << true;
    QTest::newRow("Escape") << "escape" << true;
    QTest::newRow("Enter") << "enter" << false;
}

void tst_frmCommsSettings::Closing()
{
    QFETCH(QString, how);
    QFETCH(bool, cancelled);
    frmCommsSettings dialog([] { return QStringList(); });
    // Cancelled from before is reset by the next display.
    DisplayAndLook(dialog, 1, {}, QStringLiteral("9600,N,8,1"));
    QVERIFY(dialog.Cancelled());

    bool closed = false;
    WhenModalShown([&](QDialog& d) {
        if (how == QLatin1String("ok"))
            Button(d, "cmdOK")->click();
        else if (how == QLatin1String("cancel"))
            Button(d, "cmdCancel")->click();
        else if (how == QLatin1String("close"))
            d.close();
        else
            QTest::keyClick(&d, how == QLatin1String("escape") ? Qt::Key_Escape : Qt::Key_Return);
        closed = !d.isVisible();
    });
    dialog.DisplaySettingsString(1, {}, QStringLiteral("9600,N,8,1"), nullptr, true);
    QVERIFY(closed);
    QCOMPARE(dialog.Cancelled(), cancelled);
}

void tst_frmCommsSettings::ChosenValues_data()
{
    QTest::addColumn<QStringList>("choice");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("baudRate");
    QTest::addColumn<QString>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    QTest::newRow("COM3 19200 EVEN 7 2") << QStringList{"COM3", "19200", "EVEN", "7", "2"}
        << 3 << "" << 19200 << "E" << 7 << 2;
    QTest::newRow("COM4 2400 ODD 8 1") << QStringList{"COM4", "2400", "ODD", "8", "1"}
        << 4 << "" << 2400 << "O" << 8 << 1;
    QTest::newRow("by-id device") << QStringList{Devices[0], "9600", "NONE", "8", "1"}
        << 0 << Devices[0] << 9600 << "N" << 8 << 1;
}

void tst_frmCommsSettings::ChosenValues()
{
    QFETCH(QStringList, choice);
    QFETCH(int, port);
    QFETCH(QString, device);
    QFETCH(int, baudRate);
    QFETCH(QString, parity);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);
    frmCommsSettings dialog([] { return Devices; });
    WhenModalShown([&](QDialog& d) {
        ChooseItems(d, choice);
        Button(d, "cmdOK")->click();
    });
    dialog.DisplaySettingsString(1, {}, QStringLiteral("9600,N,8,1"), nullptr, true);
    QVERIFY(!dialog.Cancelled());
    QCOMPARE(dialog.GetPort(), std::int16_t(port));
    QCOMPARE(dialog.GetDevice(), device);
    QCOMPARE(dialog.GetBaudrate(), std::int16_t(baudRate));
    QCOMPARE(dialog.GetParity(), parity);
    QCOMPARE(dialog.GetDataBits(), dataBits);
    QCOMPARE(dialog.GetStopBits(), stopBits);
}

// The dialog reopens where it was when the program last exited.
void tst_frmCommsSettings::PositionRemembered()
{
    MemorySettingsStore store;
    store.SaveSetting(App, QStringLiteral("CommsWindow"), QStringLiteral("Left"), QStringLiteral("120"));
    store.SaveSetting(App, QStringLiteral("CommsWindow"), QStringLiteral("Top"), QStringLiteral("80"));
    {
        frmCommsSettings dialog([] { return QStringList(); });
        dialog.RestoreSettings(store, App);
        QCOMPARE(DisplayAndLook(dialog, 1, {}, QStringLiteral("9600,N,8,1")).Position, QPoint(120, 80));
        WhenModalShown([](QDialog& d) {
            d.move(210, 150); // the user drags it
            d.reject();
        });
        dialog.DisplaySettingsString(1, {}, QStringLiteral("9600,N,8,1"), nullptr, true);
        dialog.SaveSettings(store, App);
    }
    QCOMPARE(store.GetSetting(App, "CommsWindow", "Left", {}), QStringLiteral("210"));
    QCOMPARE(store.GetSetting(App, "CommsWindow", "Top", {}), QStringLiteral("150"));

    frmCommsSettings dialog([] { return QStringList(); });
    dialog.RestoreSettings(store, App);
    QCOMPARE(DisplayAndLook(dialog, 1, {}, QStringLiteral("9600,N,8,1")).Position, QPoint(210, 150));
}

void tst_frmCommsSettings::StoredPositionOffScreen_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("top");
    QTest::newRow("missing") << "" << "";
    QTest::newRow("beyond the screen") << "30000" << "20000";
    QTest::newRow("left of the screen") << "-5000" << "40";
    QTest::newRow("not numbers") << "left" << "top";
}

// Wherever the stored position points, the dialog opens where it can be seen.
void tst_frmCommsSettings::StoredPositionOffScreen()
{
    QFETCH(QString, left);
    QFETCH(QString, top);
    MemorySettingsStore store;
    if (!left.isEmpty()) {
        store.SaveSetting(App, QStringLiteral("CommsWindow"), QStringLiteral("Left"), left);
        store.SaveSetting(App, QStringLiteral("CommsWindow"), QStringLiteral("Top"), top);
    }
    frmCommsSettings dialog([] { return QStringList(); });
    dialog.RestoreSettings(store, App);
    QCOMPARE(DisplayAndLook(dialog, 1, {}, QStringLiteral("9600,N,8,1")).Position, QPoint(0, 0));
}

QTEST_MAIN(tst_frmCommsSettings)
#include "tst_frmCommsSettings.moc"
