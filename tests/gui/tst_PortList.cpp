#include "shell/frmCommsSettings.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The port list as an engineer with USB adapters meets it: adapters first,
// and any device typed into the box taken as the device to use.
class tst_PortList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void TypedOrChosen_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("port");
        QTest::newRow("nothing typed: the stored COM1") << ""
                                                        << "" << 1;
        QTest::newRow("a COM item") << "COM3"
                                    << "" << 3;
        QTest::newRow("a by-id path not listed") << "/dev/serial/by-id/usb-FTDI-if00-port0"
                                                 << "/dev/serial/by-id/usb-FTDI-if00-port0" << 0;
        QTest::newRow("a name without its folder") << "  ttyUSB3 "
                                                   << "/dev/ttyUSB3" << 0;
    }

    void TypedOrChosen()
    {
        QFETCH(QString, typed);
        frmCommsSettings dialog([] { return QStringList{"/dev/ttyS0", "/dev/ttyACM0"}; });
        QStringList items;
        QTimer::singleShot(0, &dialog, [&] {
            auto* port = dialog.findChild<QComboBox*>(QStringLiteral("cboPort"));
            for (int i = 0; i < port->count(); ++i)
                items << port->itemText(i);
            if (!typed.isEmpty()) {
                port->lineEdit()->selectAll();
                QTest::keyClicks(port->lineEdit(), typed);
            }
            dialog.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        });
        dialog.DisplaySettingsString(1, QString(), QStringLiteral("9600,N,8,1"), nullptr, true);
        QCOMPARE(items,
                 (QStringList{"/dev/ttyACM0", "COM1", "COM2", "COM3", "COM4", "/dev/ttyS0"}));
        QTEST(dialog.GetDevice(), "device");
        if (dialog.GetDevice().isEmpty())
            QTEST(int(dialog.GetPort()), "port");
    }
};

QTEST_MAIN(tst_PortList)
#include "tst_PortList.moc"
