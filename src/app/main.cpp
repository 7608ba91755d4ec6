// tzl-configurator: the desktop program with which an engineer configures and
// watches one TZL protection relay.

#include "link/cCommsErrorLog.h"
#include "platform/SerialOrTcpPort.h"
#include "platform/QtSettingsStore.h"
#include "platform/StopSignals.h"
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
#include <cstdlib>

namespace {

const QString ProgramName = QStringLiteral("tzl-configurator");

// --help and --version answer without the window system, so they work over
// ssh, in a package build or in CI.
bool AsksForInformationOnly(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
            if (qstrcmp(argv[i], option) == 0)
                return true;
    return false;
}

bool DisplayAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY")
           || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
           || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// The command line of the program, read once the application object exists
// (it removes Qt's own options first).
struct CommandLine
{
    QString Device;
    QString UserGuide;
};

CommandLine ReadCommandLine(const QCoreApplication& app)
{
    const QString userGuide = FindUserGuide(QCoreApplication::applicationDirPath());
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
    const QString device = parser.value(portOption);
    QString addressError;
    if (TcpAddress::IsTcpName(device) && !TcpAddress::Parse(device, &addressError)) {
        std::fprintf(stderr,
                     "tzl-configurator: --port \"%s\" is not a network address: %s "
                     "(write tcp://HOST:PORT)\n",
                     qPrintable(device), qPrintable(addressError));
        std::exit(2);
    }
    return {device, userGuide};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(ProgramName);
    QCoreApplication::setApplicationVersion(QStringLiteral(TZL_VERSION));
    if (AsksForInformationOnly(argc, argv)) {
        const QCoreApplication app(argc, argv);
        ReadCommandLine(app); // prints and exits
        return 0;
    }
    if (!DisplayAvailable()) {
        std::fprintf(stderr,
                     "%s: no graphical display here (DISPLAY is not set). Start it on a desktop, "
                     "or talk to the relay from this terminal with tzlctl.\n",
                     qPrintable(ProgramName));
        return 1;
    }

    QApplication app(argc, argv);
    // No application display name: Qt would add it to every window title,
    // and the titles are the program's own.
    QApplication::setDesktopFileName(ProgramName);
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/tzl-configurator-%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    const CommandLine commandLine = ReadCommandLine(app);

    SerialOrTcpPort port;
    QtMessageBoxUserInterface ui;
    QtSettingsStore settings;
    SystemClock clock;
    QtFileDialogs dialogs;
    QtPrintSetup printSetup;

    frmMain window(ShellServices{port, ui, settings, clock, dialogs, printSetup,
                                 cCommsErrorLog::DefaultFolder(), commandLine.Device,
                                 commandLine.UserGuide});
    dialogs.SetOwner(&window);
    printSetup.SetParent(&window);

    // A service stop, kill or a closed terminal ends the program as the end
    // of the desktop session does: settings and recent files are saved.
    StopSignals stop;
    stop.Install();
    QObject::connect(&stop, &StopSignals::Requested, &window, &frmMain::EndWithoutQuestions);
    return QApplication::exec();
}
