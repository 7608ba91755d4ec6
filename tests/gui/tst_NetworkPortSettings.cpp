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

// Opens the dialog through the link and, once it is up, acts on it; a dialog
// still open after that is cancelled.
void WithDialog(frmModbus& modbus, const std::function<void(QDialog&)>& act)
{
    QObject scope;
    QTimer::singleShot(0, &scope, [&] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            act(*d);
            if (d->isVisible())
                d->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        }
    });
    modbus.EditCommsSettings(nullptr, true);
}

template <typename T>
T* Child(QDialog& dialog, const char* name)
{
    return dialog.findChild<T*>(QLatin1String(name));
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
        QTest::addColumn<QString>("message"); // under the fields after OK; empty: accepted
        QTest::addColumn<QString>("device");  // the link's after a restart
        QTest::addColumn<QStringList>("reopened");
        const QString network = QStringLiteral("Network (RTU over TCP)");
        QTest::newRow("IPv4") << "192.168.1.50"
                              << "4001"
                              << ""
                              << "tcp://192.168.1.50:4001"
                              << QStringList{network, "192.168.1.50", "4001"};
        QTest::newRow("IPv6 without brackets")
            << "fe80::1"
            << "502"
            << ""
            << "tcp://[fe80::1]:502" << QStringList{network, "[fe80::1]", "502"};
        QTest::newRow("whole address pasted")
            << "tcp://10.0.0.5:4001"
            << ""
            << ""
            << "tcp://10.0.0.5:4001" << QStringList{network, "10.0.0.5", "4001"};
        QTest::newRow("no host, port x")
            << ""
            << "x"
            << "\"tcp://:x\" is not a network address: the host is missing."
            << "/dev/ttyUSB0" << QStringList{"Serial line", "", ""};
        QTest::newRow("port over 65535")
            << "10.0.0.5"
            << "65536"
            << "\"tcp://10.0.0.5:65536\" is not a network address: the port must be a number "
               "from 1 to 65535."
            << "/dev/ttyUSB0" << QStringList{"Serial line", "", ""};
    }

    void ChosenTypedAndKept()
    {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(QString, message);
        MemorySettingsStore store;
        {
            SimulatedLink link;
            frmCommsSettings dialog([] { return QStringList(); });
            link.Modbus().SetSettingsDialog(&dialog);
            link.Modbus().SetDevice(QStringLiteral("/dev/ttyUSB0"));
            bool lineSettingsEnabled = true;
            QString shownMessage;
            WithDialog(link.Modbus(), [&](QDialog& d) {
                Child<QComboBox>(d, "cboConnection")->setCurrentIndex(1);
                lineSettingsEnabled = Child<QComboBox>(d, "cboBaudRate")->isEnabled();
                Child<QLineEdit>(d, "txtHost")->setText(host);
                Child<QLineEdit>(d, "txtTcpPort")->setText(port);
                Child<QPushButton>(d, "cmdOK")->click();
                if (Child<QLabel>(d, "lblAddressMessage")->isVisible())
                    shownMessage = Child<QLabel>(d, "lblAddressMessage")->text();
            });
            QVERIFY(!lineSettingsEnabled);
            QCOMPARE(shownMessage, message);
            link.Modbus().SaveSettings(store, App);
        }
        // The next run of the program.
        SimulatedLink link;
        frmCommsSettings dialog([] { return QStringList(); });
        link.Modbus().SetSettingsDialog(&dialog);
        link.Modbus().RestoreSettings(store, App);
        QTEST(link.Port().PortName(), "device");
        QStringList reopened;
        WithDialog(link.Modbus(), [&](QDialog& d) {
            reopened = QStringList{Child<QComboBox>(d, "cboConnection")->currentText(),
                                   Child<QLineEdit>(d, "txtHost")->text(),
                                   Child<QLineEdit>(d, "txtTcpPort")->text()};
        });
        QTEST(reopened, "reopened");
        QVERIFY(link.UI().Messages().isEmpty());
    }
};

QTEST_MAIN(tst_NetworkPortSettings)
#include "tst_NetworkPortSettings.moc"
