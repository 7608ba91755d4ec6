#include "platform/QtSerialPort.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <pty.h>
#include <unistd.h>

// What the engineer reads when the device in the settings cannot be used, for
// each cause the kernel can be made to give here, on real paths.
class tst_SerialPortFailure : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        // A pseudo-terminal stands for the adapter: closing its far end is
        // pulling the adapter out.
        QVERIFY(openpty(&m_Far, &m_Near, nullptr, nullptr, nullptr) == 0);
        m_Adapter = QString::fromLocal8Bit(ttyname(m_Near));
    }
    void cleanup()
    {
        ::close(m_Near);
        if (m_Far >= 0)
            ::close(m_Far);
    }

    void OpenFailureNamesTheCause()
    {
        const std::pair<QString, QString> rows[] = {
            {"missing", "%1 is not connected - is the adapter plugged in?"},
            {"no permission", "%1 may not be opened by this user - add your user to the dialout "
                              "group and log in again"},
            {"held", "%1 is in use by another program"},
        };
        for (const auto& [cause, text] : rows) {
            QTemporaryDir folder;
            QString device = folder.filePath(QStringLiteral("ttyUSB7"));
            QtSerialPort holder;
            if (cause == u"held") {
                device = m_Adapter;
                holder.SetPortName(device);
                QVERIFY(holder.Open());
            } else if (cause == u"no permission") {
                QFile file(device);
                QVERIFY(file.open(QIODevice::WriteOnly) && file.setPermissions({}));
            }
            QtSerialPort port;
            port.SetPortName(device);
            // Root opens anything: the open is made as nobody for the moment.
            const bool asNobody = cause == u"no permission" && geteuid() == 0;
            QVERIFY(!asNobody || seteuid(65534) == 0);
            const bool opened = port.Open();
            QVERIFY(!asNobody || seteuid(0) == 0);
            QVERIFY(!opened);
            QCOMPARE(port.ErrorDescription(), text.arg(device));
            QCOMPARE(port.ErrorSource(), QStringLiteral("Open ") + device);
        }
    }

    // Pulled while open, then plugged back in under the same by-id name,
    // perhaps as another device: the next open works without a restart.
    void PulledAdapterWorksAgainWhenBack()
    {
        QTemporaryDir folder;
        const QString byId = folder.filePath(QStringLiteral("usb-FTDI_TTL232R-if00-port0"));
        QVERIFY(QFile::link(m_Adapter, byId));
        QtSerialPort port;
        port.SetPortName(byId);
        QVERIFY(port.Open());
        ::close(m_Far);
        m_Far = -1;
        QCOMPARE(port.BytesWaiting(), -1);
        QCOMPARE(port.ErrorDescription(),
                 byId + " went away during the transaction - was the adapter unplugged?");
        port.Close();

        int far = -1, near = -1;
        QVERIFY(openpty(&far, &near, nullptr, nullptr, nullptr) == 0);
        QVERIFY(QFile::remove(byId) && QFile::link(QString::fromLocal8Bit(ttyname(near)), byId));
        QVERIFY2(port.Open(), qPrintable(port.ErrorDescription()));
        QVERIFY(port.BytesWaiting() >= 0);
        port.Close();
        ::close(far);
        ::close(near);
    }

private:
    int m_Far = -1;
    int m_Near = -1;
    QString m_Adapter;
};

QTEST_GUILESS_MAIN(tst_SerialPortFailure)
#include "tst_SerialPortFailure.moc"
