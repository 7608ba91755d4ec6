#include "Golden.h"

#include "shell/SystemSummary.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The summary a support engineer is sent: every serial device once, with the
// stable names that point at it, and where the settings and the log are.
class tst_SystemSummary : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void StableNamesJoinTheirDevice()
    {
        QTemporaryDir dev;
        QVERIFY(dev.isValid());
        const QDir root(QFileInfo(dev.path()).canonicalFilePath());
        QVERIFY(root.mkdir(QStringLiteral("by-id")));
        for (const char* name : {"ttyS0", "ttyUSB0"}) {
            QFile node(root.filePath(QString::fromLatin1(name)));
            QVERIFY(node.open(QIODevice::WriteOnly));
        }
        const QString adapter = root.filePath(QStringLiteral("by-id/usb-FTDI_A10K-if00-port0"));
        const QString unplugged = root.filePath(QStringLiteral("by-id/usb-Prolific-port0"));
        QVERIFY(QFile::link(QStringLiteral("../ttyUSB0"), adapter));
        QVERIFY(QFile::link(root.filePath(QStringLiteral("ttyUSB1")), unplugged));

        // The order SystemSerialDevices() lists them in: links, then devices.
        const QList<SerialDeviceEntry> entries =
            GroupSerialDevices({adapter, unplugged, root.filePath(QStringLiteral("ttyS0")),
                                root.filePath(QStringLiteral("ttyUSB0"))});

        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0].Device, root.filePath(QStringLiteral("ttyS0")));
        QVERIFY(entries[0].Aliases.isEmpty());
        QCOMPARE(entries[1].Device, root.filePath(QStringLiteral("ttyUSB0")));
        QCOMPARE(entries[1].Aliases, QStringList{adapter});
        // A link whose adapter has just been pulled still tells which device it was.
        QCOMPARE(entries[2].Device, root.filePath(QStringLiteral("ttyUSB1")));
        QCOMPARE(entries[2].Aliases, QStringList{unplugged});
    }

    // Nothing found, then devices and paths.
    void SummaryNamesWhatSupportAsksFor()
    {
        SystemFacts facts;
        facts.ProgramVersion = QStringLiteral("1.0.0");
        facts.QtVersion = QStringLiteral("6.4.2");
        facts.OperatingSystem = QStringLiteral("Debian GNU/Linux 12");
        QString summaries = SystemSummary(facts);
        facts.SerialDevices = {{QStringLiteral("/dev/ttyS0"), {}},
                               {QStringLiteral("/dev/ttyUSB0"),
                                {QStringLiteral("/dev/serial/by-id/usb-FTDI_A10K-if00-port0")}}};
        facts.SettingsFile = QStringLiteral("/home/eng/.config/VI_TZLConfigurator/x.ini");
        facts.ErrorLogFolder = QStringLiteral("/home/eng/.local/share/VI_TZLConfigurator");
        facts.UserGuide = QStringLiteral("/usr/share/tzl-configurator/help/index.html");
        summaries += QStringLiteral("--\n") + SystemSummary(facts);
        TZL_COMPARE_GOLDEN(QStringLiteral("system-summaries.txt"), summaries);
    }
};

QTEST_GUILESS_MAIN(tst_SystemSummary)
#include "tst_SystemSummary.moc"
