#include "MemorySettingsStore.h"
#include "DialogDriver.h"
#include "SimulatedLink.h"

#include "shell/frmCommsSettings.h"
#include "shell/frmCommsStatus.h"

#include <QLabel>
#include <QTest>
#include <QWindow>

namespace {

const QString App = QStringLiteral("VI_TZLConfigurator");
const QString Refusal = QStringLiteral("Please switch to off-line mode before changing the comms settings!");

// Picks the items and presses OK (or, when it is disabled, notes that and
// cancels).
void ChooseAndPressOk(const QStringList& choice, bool* okWasEnabled = nullptr)
{
    WhenModalShown([choice, okWasEnabled](QDialog& d) {
        ChooseItems(d, choice);
        QPushButton* ok = Button(d, "cmdOK");
        if (okWasEnabled != nullptr)
            *okWasEnabled = ok->isEnabled();
        if (ok->isEnabled())
            ok->click();
        else
            d.reject();
    });
}

// A link to the simulated relay with the real dialog and statistics window.
struct Configurator
{
    SimulatedLink Link;
    frmCommsSettings Dialog{[] { return QStringList{QStringLiteral("/dev/ttyUSB0")}; }};
    frmCommsStatus Status{Link.Modbus().Statistics()};

    Configurator()
    {
        Link.Modbus().SetSettingsDialog(&Dialog);
        Link.Modbus().SetStatusWindow(&Status);
        MemorySettingsStore empty;
        Link.Modbus().RestoreSettings(empty, App);
    }
    QString Shown(const char* label) const
    {
        return Status.findChild<QLabel*>(QLatin1String(label))->text();
    }
};

} // namespace

class tst_EditCommsSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void OkAppliesTheChoice();
    void DeviceChoiceIsUsedAndStored();
    void CancelChangesNothing_data();
    void CancelChangesNothing();
    void OnLineShowsValuesWithOkDisabled();
    void RefusedWhileATransactionHoldsThePort();
};

void tst_EditCommsSettings::OkAppliesTheChoice()
{
    Configurator c;
    c.Link.Modbus().ShowCommsStatistics(nullptr);
    QCOMPARE(c.Shown("lblPortNum"), QStringLiteral("01"));

    QWidget mainWindow;
    mainWindow.show();
    ChooseAndPressOk({"COM3", "19200", "EVEN", "7", "2"});
    c.Link.Modbus().EditCommsSettings(&mainWindow, true);

    // The window manager keeps the dialog above its owner.
    QCOMPARE(c.Dialog.windowHandle()->transientParent(), mainWindow.windowHandle());
    QCOMPARE(c.Link.Modbus().Port(), std::int16_t(3));
    QCOMPARE(c.Link.Modbus().Settings(), QStringLiteral("19200,E,7,2"));
    QCOMPARE(c.Link.Port().PortName(), QStringLiteral("/dev/ttyS2"));
    QCOMPARE(c.Shown("lblPortNum"), QStringLiteral("03"));
    QCOMPARE(c.Shown("lblCommsSettingsStr"), QStringLiteral("19200,E,7,2"));
    QVERIFY(c.Link.UI().Messages().isEmpty());

    // What the program stores at exit.
    MemorySettingsStore store;
    c.Link.Modbus().SaveSettings(store, App);
    QCOMPARE(store.GetSetting(App, "Comms", "Port", {}), QStringLiteral("3"));
    QCOMPARE(store.GetSetting(App, "Comms", "Settings", {}), QStringLiteral("19200,E,7,2"));
    QCOMPARE(store.GetSetting(App, "CommsWindow", "Left", {}), QString::number(c.Dialog.x()));

    // The next transaction runs with the new line settings.
    std::vector<float> values;
    QVERIFY(c.Link.Modbus().ReadHoldingRegisters(c.Link.SlaveID(), 6, 2, values));
}

void tst_EditCommsSettings::DeviceChoiceIsUsedAndStored()
{
    Configurator c;
    c.Link.Modbus().ShowCommsStatistics(nullptr);
    ChooseAndPressOk({"/dev/ttyUSB0", "9600", "NONE", "8", "1"});
    c.Link.Modbus().EditCommsSettings(nullptr, true);

    QCOMPARE(c.Link.Modbus().Device(), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(c.Link.Port().PortName(), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(c.Link.Modbus().Port(), std::int16_t(1));
    QCOMPARE(c.Shown("lblPortNum"), QStringLiteral("/dev/ttyUSB0"));
    MemorySettingsStore store;
    c.Link.Modbus().SaveSettings(store, App);
    QCOMPARE(store.GetSetting(App, "Comms", "Device", {}), QStringLiteral("/dev/ttyUSB0"));

    // Back to a numbered port.
    ChooseAndPressOk({"COM2", "9600", "NONE", "8", "1"});
    c.Link.Modbus().EditCommsSettings(nullptr, true);
    QCOMPARE(c.Link.Modbus().Device(), QString());
    QCOMPARE(c.Link.Port().PortName(), QStringLiteral("/dev/ttyS1"));
}

void tst_EditCommsSettings::CancelChangesNothing_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Cancel") << false;
    QTest::newRow("close box") << true;
}

void tst_EditCommsSettings::CancelChangesNothing()
{
    QFETCH(bool, closeBox);
    Configurator c;
    WhenModalShown([closeBox](QDialog& d) {
        ChooseItems(d, {"COM4"});
        if (closeBox)
            d.close();
        else
            Button(d, "cmdCancel")->click();
    });
    c.Link.Modbus().EditCommsSettings(nullptr, true);
    QCOMPARE(c.Link.Modbus().Port(), std::int16_t(1));
    QCOMPARE(c.Link.Modbus().Settings(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(c.Link.Port().PortName(), QStringLiteral("/dev/ttyS0"));
}

void tst_EditCommsSettings::OnLineShowsValuesWithOkDisabled()
{
    Configurator c;
    QStringList shown;
    bool okEnabled = true;
    WhenModalShown([&](QDialog& d) {
        shown = SelectedItems(d);
        okEnabled = Button(d, "cmdOK")->isEnabled();
        QTest::keyClick(&d, Qt::Key_Return); // the default button is disabled
        if (d.isVisible())
            d.close();
    });
    c.Link.Modbus().EditCommsSettings(nullptr, false);
    QCOMPARE(shown, QStringList({"COM1", "9600", "NONE", "8", "1"}));
    QVERIFY(!okEnabled);
    QCOMPARE(c.Link.Modbus().Settings(), QStringLiteral("9600,n,8,1"));
    QVERIFY(c.Link.UI().Messages().isEmpty());
}

// The dialog is opened from an event handled while a transaction waits for
// its answer; by the time the user presses OK the port is in use.
void tst_EditCommsSettings::RefusedWhileATransactionHoldsThePort()
{
    Configurator c;
    c.Link.Faults().Queue(SimFault::NoAnswer());
    QTimer::singleShot(20, [&c] {
        ChooseAndPressOk({"COM3", "19200", "EVEN", "7", "2"});
        c.Link.Modbus().EditCommsSettings(nullptr, true);
    });
    std::vector<float> values;
    QVERIFY(!c.Link.Modbus().ReadHoldingRegisters(c.Link.SlaveID(), 6, 2, values));

    const auto& messages = c.Link.UI().Messages();
    QVERIFY(!messages.isEmpty());
    QCOMPARE(messages[0].Text, Refusal);
    QCOMPARE(messages[0].Title, QStringLiteral("TZL Configurator"));
    QCOMPARE(messages[0].Buttons, MsgButtons::OK);
    QCOMPARE(messages.back().Text, QStringLiteral("Modbus Response Timeout"));
    QCOMPARE(c.Link.Modbus().Port(), std::int16_t(1));
    QCOMPARE(c.Link.Modbus().Settings(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(c.Link.Port().PortName(), QStringLiteral("/dev/ttyS0"));
}

QTEST_MAIN(tst_EditCommsSettings)
#include "tst_EditCommsSettings.moc"
