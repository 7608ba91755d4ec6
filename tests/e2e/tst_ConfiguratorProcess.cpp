#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

// The configurator as a process: what it says without a display, and how it
// ends when the system asks it to.

namespace {

QString Configurator()
{
    return QDir(qEnvironmentVariable("TZL_BIN_DIR")).filePath(QStringLiteral("tzl-configurator"));
}

} // namespace

class tst_ConfiguratorProcess : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Over ssh, in a package build or in CI there is no display.
    void WithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "--port <DEVICE>";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "tzl-configurator 1.0.0";
        QTest::newRow("the window") << QStringList{} << 1 << "no graphical display";
    }

    void WithoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(name));
        process.setProcessEnvironment(environment);
        process.start(Configurator(), arguments);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QTEST(process.exitCode(), "exitCode");
        const QString output = QString::fromLocal8Bit(process.readAllStandardOutput()
                                                      + process.readAllStandardError());
        QFETCH(QString, says);
        QVERIFY2(output.contains(says), qPrintable(output));
    }

    // A service stop, kill or a closed terminal: the settings are saved and
    // the program ends without a question.
    void StopSignalSavesSettings_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void StopSignalSavesSettings()
    {
        QFETCH(int, signal);
        QTemporaryDir home;
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           home.filePath(QStringLiteral(".config")));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        process.start(Configurator(), {QStringLiteral("--port"), QStringLiteral("/dev/null")});
        QVERIFY(process.waitForStarted());
        // Past the start-up, while the splash is up.
        QTest::qWait(1500);
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QFile settings(
            home.filePath(QStringLiteral(".config/VI_TZLConfigurator/VI_TZLConfigurator.ini")));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(settings.readAll().contains("SlaveID=1"));
    }
};

QTEST_GUILESS_MAIN(tst_ConfiguratorProcess)
#include "tst_ConfiguratorProcess.moc"
