#pragma once

#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

// The real tzl-relay-sim on a pseudo-terminal, for tests that go through the
// kernel's tty layer, or on a free TCP port of the loopback address, as a
// serial device server. Stopped when the object goes.
class SimulatorProcess
{
public:
    enum class Line { Pty, Tcp };
    explicit SimulatorProcess(const QStringList& extraArguments = {}, Line line = Line::Pty);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // The device path, or tcp://127.0.0.1:PORT. A simulator that does not
    // come up ends the test run (qFatal) with its arguments and what it said.
    const QString& Device() const { return m_Device; }
    QString StandardError();

private:
    QProcess m_Process;
    QString m_Device;
};

struct ToolRun
{
    int ExitCode = -1;
    QString Out;
    QString Err;
};

// tzlctl's --port option for the simulator's line.
QStringList PortOf(const SimulatorProcess& sim);

// A line at 115200 baud, for the simulator and tzlctl alike, for tests of what
// a command does rather than of the line's timing (tst_TzlctlLink and
// tst_FaultMatrix test that at the usual 9600 baud): a trip download takes a
// second instead of sixteen.
extern const QStringList FastLine;
// PortOf() on the fast line, with fast response detection.
QStringList FastPortOf(const SimulatorProcess& sim);

// Folder of the built executables, as the test registration passes it.
QString BinaryDir();
// Runs tzlctl with the arguments and waits for it (at most 60 s). Its comms
// error log goes to CommsLogFolder().
ToolRun RunTzlctl(const QStringList& arguments);
// A temporary folder of this test run's own, removed when it ends.
QString CommsLogFolder();

// What a user of tzlctl sees, one command after another, for a test to compare
// once with a golden file: each command line, its exit code, and what it wrote
// ("  " before a line of standard output, "! " before one of standard error).
class Transcript
{
public:
    // Writes `name` wherever the text holds `real` (a device, a folder), so
    // the transcript reads the same on every run.
    void Name(const QString& real, const QString& name) { m_Names.append({real, name}); }
    // Runs tzlctl with the arguments and adds what it did.
    ToolRun Run(const QStringList& arguments);
    void Note(const QString& line);
    const QString& Text() const { return m_Text; }

private:
    QList<std::pair<QString, QString>> m_Names;
    QString m_Text;
};

// Writes the text into the folder under the name; gives the file's path.
QString WriteTestFile(const QString& folder, const QString& name, const QString& text);
// A configuration file's text as the configurator writes it (CR LF): system
// type, current and volts, then each relay's name and eight values, "Relay
// Trip N" and zeros for a relay not given.
QString ConfigFileText(int type, float current, float volts,
                       const QMap<int, QStringList>& relays = {});
