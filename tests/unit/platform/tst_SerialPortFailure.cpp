#include "platform/QtSerialPort.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <memory>
#include <stdlib.h>
#include <unistd.h>

namespace {

// A pseudo-terminal whose far end stands for the adapter: closing it is
// pulling the adapter out.
class Pty
{
public:
    Pty()
        : m_Master(posix_openpt(O_RDWR | O_NOCTTY))
    {
        if (m_Master >= 0 && grantpt(m_Master) == 0 && unlockpt(m_Master) == 0)
            m_Device = QString::fromLocal8Bit(ptsname(m_Master));
    }
    ~Pty() { Pull(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    const QString& Device() const { return m_Device; }
    void Pull()
    {
        if (m_Master >= 0)
            ::close(m_Master);
        m_Master = -1;
    }

private:
    int m_Master;
    QString m_Device;
};

// Opening a file without permission needs a user the kernel checks: root
// opens anything, so a test run as root opens as nobody for the moment.
class NotRoot
{
public:
    NotRoot()
        : m_WasRoot(geteuid() == 0)
    {
        if (m_WasRoot && seteuid(65534) != 0)
            m_WasRoot = false;
    }
    ~NotRoot()
    {
        if (m_WasRoot && seteuid(0) != 0)
            qFatal("cannot return to root");
    }
    NotRoot(const NotRoot&) = delete;
    NotRoot& operator=(const NotRoot&) = delete;

private:
    bool m_WasRoot;
};

} // namespace

// What the engineer reads when the device named in the settings cannot be
// used, for each cause the kernel can be made to give here.
class tst_SerialPortFailure : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void OpenFailureNamesTheCause_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("expectedStart");
        QTest::addColumn<QString>("expectedEnd");
        QTest::newRow("missing path") << "missing"
                                      << "DEVICE is not connected"
                                      << " - is the adapter plugged in?";
        QTest::newRow("file without permission") << "no permission"
                                                 << "DEVICE may not be opened"
                                                 << " group and log in again";
        QTest::newRow("held by another open") << "held"
                                              << "DEVICE is in use by another program"
                                              << "program";
    }

    void OpenFailureNamesTheCause()
    {
        QFETCH(QString, cause);
        QFETCH(QString, expectedStart);
        QFETCH(QString, expectedEnd);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        Pty pty;
        QtSerialPort holder;
        QString device = folder.filePath(QStringLiteral("ttyUSB7"));
        if (cause == u"no permission") {
            QFile file(device);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.close();
            QVERIFY(file.setPermissions({}));
        } else if (cause == u"held") {
            QVERIFY(!pty.Device().isEmpty());
            device = pty.Device();
            holder.SetPortName(device);
            QVERIFY(holder.Open());
        }

        QtSerialPort port;
        port.SetPortName(device);
        bool opened = false;
        {
            const std::unique_ptr<NotRoot> user =
                cause == u"no permission" ? std::make_unique<NotRoot>() : nullptr;
            opened = port.Open();
        }
        QVERIFY(!opened);
        const QString text = port.ErrorDescription();
        QVERIFY2(text.startsWith(QString(expectedStart).replace(QStringLiteral("DEVICE"), device)),
                 qPrintable(text));
        QVERIFY2(text.endsWith(expectedEnd), qPrintable(text));
        QCOMPARE(port.ErrorSource(), QStringLiteral("Open ") + device);
    }

    // The adapter pulled out while the port is open, then plugged back in
    // under the same name: the next open works without a restart.
    void PulledAdapterWorksAgainWhenBack()
    {
        QTemporaryDir folder;
        const QString byId = folder.filePath(QStringLiteral("usb-FTDI_TTL232R-if00-port0"));
        auto pty = std::make_unique<Pty>();
        QVERIFY(QFile::link(pty->Device(), byId));
        QtSerialPort port;
        port.SetPortName(byId);
        QVERIFY(port.Open());
        pty->Pull();
        QCOMPARE(port.BytesWaiting(), -1);
        QCOMPARE(port.ErrorDescription(),
                 byId
                     + QStringLiteral(" went away during the transaction - was the adapter "
                                      "unplugged?"));
        port.Close();

        pty = std::make_unique<Pty>();
        QVERIFY(QFile::remove(byId));
        QVERIFY(QFile::link(pty->Device(), byId));
        QVERIFY2(port.Open(), qPrintable(port.ErrorDescription()));
        QVERIFY(port.BytesWaiting() >= 0);
    }
};

QTEST_GUILESS_MAIN(tst_SerialPortFailure)
#include "tst_SerialPortFailure.moc"
