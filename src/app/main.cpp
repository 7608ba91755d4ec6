// tzl-configurator: the desktop program with which an engineer configures and
// watches one TZL protection relay.

#include "link/cCommsErrorLog.h"
#include "platform/SerialOrTcpPort.h"
#include "platform/QtSettingsStore.h"
#include "platform/SystemClock.h"
#include "platform/TcpAddress.h"
#include "shell/QtFileDialogs.h"
#include "shell/QtMessageBoxUserInterface.h"
#include "shell/QtPrintSetup.h"
#include "shell/UserGuide.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tzl-configurator"));
    QApplication::setApplicationDisplayName(QStringLiteral("TZL Configurator"));
    QApplication::setApplicationVersion(QStringLiteral(TZL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tzl-configurator"));
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/tzl-configurator-%1.png").arg(size));
    QApplication::setWindowIcon(icon);

    const QString userGuide = FindUserGuide(QApplication::applicationDirPath());
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configures and watches one TZL protection relay over Modbus RTU.\n"
                       "Serial settings, the slave ID and the window position are kept in\n"
                       "~/.config/VI_TZLConfigurator/VI_TZLConfigurator.ini.\n"
                       "User guide: %1")
            .arg(userGuide.isEmpty() ? QStringLiteral("not installed")
                                     : QDir::toNativeSeparators(userGuide)));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("Talk to the relay on DEVICE (e.g. /dev/ttyUSB0, or tcp://HOST:PORT "
                       "through a serial device server) for this run only; the stored port is "
                       "kept."),
        QStringLiteral("DEVICE"));
    parser.addOption(portOption);
    parser.process(app);
    QString addressError;
    const QString device = parser.value(portOption);
    if (TcpAddress::IsTcpName(device) && !TcpAddress::Parse(device, &addressError)) {
        std::fprintf(stderr,
                     "tzl-configurator: --port \"%s\" is not a network address: %s "
                     "(write tcp://HOST:PORT)\n",
                     qPrintable(device), qPrintable(addressError));
        return 2;
    }

    SerialOrTcpPort port;
    QtMessageBoxUserInterface ui;
    QtSettingsStore settings;
    SystemClock clock;
    QtFileDialogs dialogs;
    QtPrintSetup printSetup;

    frmMain window(ShellServices{port, ui, settings, clock, dialogs, printSetup,
                                 cCommsErrorLog::DefaultFolder(), device, userGuide});
    dialogs.SetOwner(&window);
    printSetup.SetParent(&window);
    return QApplication::exec();
}
