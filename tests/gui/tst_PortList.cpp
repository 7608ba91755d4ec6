#include "shell/frmCommsSettings.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Shows the dialog for the numbered port 1; once it is up, notes the port
// list's items, types `typed` into the port box (unless empty) and presses OK.
QStringList ShowAndType(frmCommsSettings& dialog, const QString& typed)
{
    QStringList items;
    QObject scope;
    QTimer::singleShot(0, &scope, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (d == nullptr)
            return;
        auto* port = d->findChild<QComboBox*>(QStringLiteral("cboPort"));
        for (int i = 0; i < port->count(); ++i)
            items << port->itemText(i);
        if (!typed.isEmpty()) {
            port->lineEdit()->selectAll();
            QTest::keyClicks(port->lineEdit(), typed);
        }
        d->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    dialog.DisplaySettingsString(1, QString(), QStringLiteral("9600,N,8,1"), nullptr, true);
    return items;
}

} // namespace

// The port list as an engineer with USB adapters meets it: read afresh at
// each display, adapters first, and any device path typed in taken as it is.
class tst_PortList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void TypedOrChosen_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("port");
        QTest::newRow("nothing typed: COM1 as stored") << ""
                                                       << "" << 1;
        QTest::newRow("a COM item") << "COM3"
                                    << "" << 3;
        QTest::newRow("a by-id path not listed")
            << "/dev/serial/by-id/usb-FTDI_TTL232R-if00-port0"
            << "/dev/serial/by-id/usb-FTDI_TTL232R-if00-port0" << 0;
        QTest::newRow("a listed device") << "/dev/ttyACM0"
                                         << "/dev/ttyACM0" << 0;
        QTest::newRow("a name without its folder") << "ttyUSB3"
                                                   << "/dev/ttyUSB3" << 0;
        QTest::newRow("blanks around a path") << "  /dev/pts/7 "
                                              << "/dev/pts/7" << 0;
    }

    void TypedOrChosen()
    {
        QFETCH(QString, typed);
        frmCommsSettings dialog([] { return QStringList{QStringLiteral("/dev/ttyACM0")}; });
        ShowAndType(dialog, typed);
        QVERIFY(!dialog.Cancelled());
        QTEST(dialog.GetDevice(), "device");
        if (dialog.GetDevice().isEmpty())
            QTEST(int(dialog.GetPort()), "port");
    }

    void AdaptersFirstAndListedAfresh()
    {
        QStringList present{QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyUSB0")};
        frmCommsSettings dialog([&present] { return present; });
        QCOMPARE(ShowAndType(dialog, QString()),
                 (QStringList{"/dev/ttyUSB0", "COM1", "COM2", "COM3", "COM4", "/dev/ttyS0"}));
        // An adapter plugged in while the program runs, with its by-id name.
        present = {QStringLiteral("/dev/serial/by-id/usb-Prolific-if00-port0"),
                   QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyS0"),
                   QStringLiteral("/dev/ttyUSB0")};
        QCOMPARE(ShowAndType(dialog, QString()),
                 (QStringList{"/dev/serial/by-id/usb-Prolific-if00-port0", "/dev/ttyACM0",
                              "/dev/ttyUSB0", "COM1", "COM2", "COM3", "COM4", "/dev/ttyS0"}));
    }
};

QTEST_MAIN(tst_PortList)
#include "tst_PortList.moc"
