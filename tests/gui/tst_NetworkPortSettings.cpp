// Communication Settings with a serial device server: the network choice,
// its address fields, and what the link keeps of them across a restart.

#include "MemorySettingsStore.h"
#include "SimulatedLink.h"

#include "shell/frmCommsSettings.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString App = QStringLiteral("VI_TZLConfigurator");

struct Outcome
{
    bool LineSettingsEnabled = true;
    QString Message;           // under the address fields after OK
    QStringList ShownOnReopen; // connection, host, port
};

QDialog* OpenDialog()
{
    return qobject_cast<QDialog*>(QApplication::activeModalWidget());
}

template <typename T>
T* Child(QDialog* dialog, const char* name)
{
    return dialog->findChild<T*>(QLatin1String(name));
}

// Once the modal dialog is up: chooses the network, types the address,
// presses OK; a dialog that stays open is noted and cancelled.
Outcome ChooseNetwork(const std::function<void()>& display, const QString& host,
                      const QString& port)
{
    Outcome outcome;
    QObject scope;
    QTimer::singleShot(0, &scope, [&] {
        QDialog* d = OpenDialog();
        if (d == nullptr)
            return;
        Child<QComboBox>(d, "cboConnection")->setCurrentIndex(1);
        outcome.LineSettingsEnabled = Child<QComboBox>(d, "cboBaudRate")->isEnabled();
        Child<QLineEdit>(d, "txtHost")->setText(host);
        Child<QLineEdit>(d, "txtTcpPort")->setText(port);
        Child<QPushButton>(d, "cmdOK")->click();
        if (d->isVisible()) {
            auto* message = Child<QLabel>(d, "lblAddressMessage");
            outcome.Message = message->isVisible() ? message->text() : QStringLiteral("(hidden)");
            Child<QPushButton>(d, "cmdCancel")->click();
        }
    });
    display();
    return outcome;
}

QStringList Shown(const std::function<void()>& display)
{
    QStringList shown;
    QObject scope;
    QTimer::singleShot(0, &scope, [&] {
        QDialog* d = OpenDialog();
        if (d == nullptr)
            return;
        shown = QStringList{
            Child<QComboBox>(d, "cboConnection")->currentText(),
            Child<QLineEdit>(d, "txtHost")->text(), Child<QLineEdit>(d, "txtTcpPort")->text(),
            Child<QComboBox>(d, "cboBaudRate")->isEnabled() ? "serial settings" : "greyed out"};
        Child<QPushButton>(d, "cmdCancel")->click();
    });
    display();
    return shown;
}

} // namespace

class tst_NetworkPortSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ChosenTypedAndKept_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("device");  // the link's after OK and a restart
        QTest::addColumn<QString>("message"); // non-empty: refused, the device unchanged
        QTest::addColumn<QStringList>("reopened");
        const QString network = QStringLiteral("Network (RTU over TCP)");
        const QString grey = QStringLiteral("greyed out");
        QTest::newRow("IPv4") << "192.168.1.50"
                              << "4001"
                              << "tcp://192.168.1.50:4001"
                              << "" << QStringList{network, "192.168.1.50", "4001", grey};
        QTest::newRow("IPv6 without brackets")
            << "fe80::1"
            << "502"
            << "tcp://[fe80::1]:502"
            << "" << QStringList{network, "[fe80::1]", "502", grey};
        QTest::newRow("host name")
            << "panel-3.plant.local"
            << "4001"
            << "tcp://panel-3.plant.local:4001"
            << "" << QStringList{network, "panel-3.plant.local", "4001", grey};
        QTest::newRow("whole address pasted")
            << "tcp://10.0.0.5:4001"
            << ""
            << "tcp://10.0.0.5:4001"
            << "" << QStringList{network, "10.0.0.5", "4001", grey};
        QTest::newRow("no host, port x")
            << ""
            << "x"
            << "/dev/ttyUSB0"
            << "\"tcp://:x\" is not a network address: the host is missing."
            << QStringList{"Serial line", "", "", "serial settings"};
        QTest::newRow("port over 65535")
            << "10.0.0.5"
            << "65536"
            << "/dev/ttyUSB0"
            << "\"tcp://10.0.0.5:65536\" is not a network address: the port must be a number "
               "from 1 to 65535."
            << QStringList{"Serial line", "", "", "serial settings"};
    }

    void ChosenTypedAndKept()
    {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(QString, device);
        QFETCH(QString, message);
        QFETCH(QStringList, reopened);
        MemorySettingsStore store;
        {
            SimulatedLink link;
            frmCommsSettings dialog([] { return QStringList(); });
            link.Modbus().SetSettingsDialog(&dialog);
            link.Modbus().SetDevice(QStringLiteral("/dev/ttyUSB0"));
            const Outcome outcome =
                ChooseNetwork([&] { link.Modbus().EditCommsSettings(nullptr, true); }, host, port);
            QVERIFY(!outcome.LineSettingsEnabled);
            QCOMPARE(outcome.Message, message.isEmpty() ? QString() : message);
            link.Modbus().SaveSettings(store, App);
        }
        // The next run of the program.
        SimulatedLink link;
        frmCommsSettings dialog([] { return QStringList(); });
        link.Modbus().SetSettingsDialog(&dialog);
        link.Modbus().RestoreSettings(store, App);
        QCOMPARE(link.Modbus().Device(), device);
        QCOMPARE(link.Port().PortName(), device);
        QCOMPARE(Shown([&] { link.Modbus().EditCommsSettings(nullptr, true); }), reopened);
        QVERIFY(link.UI().Messages().isEmpty());
    }
};

QTEST_MAIN(tst_NetworkPortSettings)
#include "tst_NetworkPortSettings.moc"
