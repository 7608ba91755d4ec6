#include "shell/SystemSummary.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(SystemFacts)

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

    void SummaryNamesWhatSupportAsksFor_data()
    {
        QTest::addColumn<SystemFacts>("facts");
        QTest::addColumn<QStringList>("lines");
        SystemFacts bare;
        bare.ProgramVersion = QStringLiteral("1.0.0");
        bare.QtVersion = QStringLiteral("6.4.2");
        bare.OperatingSystem = QStringLiteral("Debian GNU/Linux 12");
        const QStringList heading{"TZL Configurator 1.0.0", "Qt: 6.4.2",
                                  "Operating system: Debian GNU/Linux 12", "Serial devices:"};
        QTest::newRow("nothing found")
            << bare
            << heading
                   + QStringList{"  none found", "Settings file: unknown",
                                 "Comms error log folder: none", "User guide: not installed"};
        SystemFacts full = bare;
        const QString alias = QStringLiteral("/dev/serial/by-id/usb-FTDI_A10K-if00-port0");
        full.SerialDevices = {{QStringLiteral("/dev/ttyS0"), {}},
                              {QStringLiteral("/dev/ttyUSB0"), {alias}}};
        full.SettingsFile = QStringLiteral("/home/eng/.config/VI_TZLConfigurator/x.ini");
        full.ErrorLogFolder = QStringLiteral("/home/eng/.local/share/VI_TZLConfigurator");
        full.UserGuide = QStringLiteral("/usr/share/tzl-configurator/help/index.html");
        QTest::newRow("devices and paths")
            << full
            << heading
                   + QStringList{"  /dev/ttyS0",
                                 "  /dev/ttyUSB0",
                                 "    = " + alias,
                                 "Settings file: " + full.SettingsFile,
                                 "Comms error log folder: " + full.ErrorLogFolder,
                                 "User guide: " + full.UserGuide};
    }

    void SummaryNamesWhatSupportAsksFor()
    {
        QFETCH(SystemFacts, facts);
        QFETCH(QStringList, lines);
        QCOMPARE(SystemSummary(facts), lines.join(u'\n') + u'\n');
    }
};

QTEST_GUILESS_MAIN(tst_SystemSummary)
#include "tst_SystemSummary.moc"
