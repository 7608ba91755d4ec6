#include "SimulatorProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

QString BinaryDir()
{
    const QString fromEnvironment = qEnvironmentVariable("TZL_BIN_DIR");
    return fromEnvironment.isEmpty() ? QCoreApplication::applicationDirPath() : fromEnvironment;
}

SimulatorProcess::SimulatorProcess(const QStringList& extraArguments, Line line)
{
    m_Process.setProgram(QDir(BinaryDir()).filePath(QStringLiteral("tzl-relay-sim")));
    const QStringList lineArguments =
        line == Line::Tcp ? QStringList{QStringLiteral("--tcp"), QStringLiteral("0")}
                          : QStringList{QStringLiteral("--pty")};
    m_Process.setArguments(lineArguments + extraArguments);
    m_Process.start();
    if (m_Process.waitForStarted(5000)) {
        while (!m_Process.canReadLine() && m_Process.state() == QProcess::Running)
            m_Process.waitForReadyRead(5000);
        if (m_Process.canReadLine())
            m_Device = QString::fromLocal8Bit(m_Process.readLine()).trimmed();
    }
    // No test goes on without its relay: one that did not come up ends the
    // run with what it said.
    if (m_Device.isEmpty()) {
        m_Process.kill();
        m_Process.waitForFinished(3000);
        qFatal("tzl-relay-sim %s did not come up: %s", qPrintable(m_Process.arguments().join(u' ')),
               qPrintable(StandardError()));
    }
}

SimulatorProcess::~SimulatorProcess()
{
    if (m_Process.state() == QProcess::NotRunning)
        return;
    m_Process.terminate();
    if (!m_Process.waitForFinished(3000)) {
        m_Process.kill();
        m_Process.waitForFinished(3000);
    }
}

QString SimulatorProcess::StandardError()
{
    return QString::fromLocal8Bit(m_Process.readAllStandardError());
}

QStringList PortOf(const SimulatorProcess& sim)
{
    return {QStringLiteral("--port"), sim.Device()};
}

const QStringList FastLine{QStringLiteral("--settings"), QStringLiteral("115200,N,8,1")};

QStringList FastPortOf(const SimulatorProcess& sim)
{
    return PortOf(sim) + FastLine + QStringList{QStringLiteral("--fast")};
}

QString CommsLogFolder()
{
    static const QTemporaryDir folder;
    return folder.path();
}

ToolRun RunTzlctl(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TZL_LOG_DIR"), CommsLogFolder());
    process.setProcessEnvironment(environment);
    process.start(QDir(BinaryDir()).filePath(QStringLiteral("tzlctl")), arguments);
    ToolRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        run.Err = QStringLiteral("tzlctl did not finish");
        return run;
    }
    run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.Err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

namespace {

const QRegularExpression QtWarning(QStringLiteral("^Q[A-Za-z]+(::\\w+\\(\\))?: "));

// The lines of a program's output, each behind the prefix; none for no output.
QStringList Prefixed(const QString& prefix, const QString& output)
{
    QStringList lines = output.split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    // Qt's own warnings come and go with the machine (XDG_RUNTIME_DIR unset).
    lines.removeIf([](const QString& line) { return QtWarning.match(line).hasMatch(); });
    for (QString& line : lines)
        line.prepend(prefix);
    return lines;
}

} // namespace

ToolRun Transcript::Run(const QStringList& arguments)
{
    const ToolRun run = RunTzlctl(arguments);
    Note(QStringLiteral("$ tzlctl ") + arguments.join(u' '));
    Note(QStringLiteral("exit %1").arg(run.ExitCode));
    for (const QString& line :
         Prefixed(QStringLiteral("  "), run.Out) + Prefixed(QStringLiteral("! "), run.Err))
        Note(line);
    return run;
}

void Transcript::Note(const QString& line)
{
    QString named = line;
    for (const auto& [real, name] : m_Names)
        named.replace(real, name);
    m_Text += named + u'\n';
}

QString WriteTestFile(const QString& folder, const QString& name, const QString& text)
{
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString ConfigFileText(int type, float current, float volts, const QMap<int, QStringList>& relays)
{
    QStringList lines{"\"TZL_CONFIG_FILE\"", "1", QString::number(type), QString::number(current),
                      QString::number(volts)};
    for (int relay = 1; relay <= 16; ++relay) {
        const QStringList given = relays.value(relay);
        lines << u'"' + given.value(0, QStringLiteral("Relay Trip %1").arg(relay)) + u'"';
        for (int value = 1; value <= 8; ++value)
            lines << given.value(value, QStringLiteral("0"));
    }
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}
