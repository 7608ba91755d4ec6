#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <stdexcept>

class ConsoleUserInterface;
class IClock;
class QTextStream;
class frmModbus;

// Exit statuses of tzlctl.
// ExitDiffers: the exchange worked, and the configurations compared differ.
enum ExitStatus : int { ExitOk = 0, ExitRelayFailed = 1, ExitUsage = 2, ExitDiffers = 3 };

// Thrown for a command line that cannot be carried out as written; main()
// prints it with the command's usage and exits with ExitUsage.
class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// What a command gets to work with: the link set up from the global options,
// the console user interface, the clock, the slave, standard output and error.
struct CommandContext
{
    frmModbus& Modbus;
    ConsoleUserInterface& UI;
    IClock& Clock;
    std::int16_t Slave;
    QTextStream& Out;
    QTextStream& Err;
};

struct Command
{
    QString Name;
    QString Arguments; // as shown in the usage line, e.g. "START COUNT"
    QString Summary;
    // Returns an ExitStatus; throws UsageError for bad arguments.
    std::function<int(CommandContext&, const QStringList&)> Run;
};

class CommandTable
{
public:
    void Add(Command command) { m_Commands.append(std::move(command)); }
    const Command* Find(const QString& name) const;
    const QList<Command>& Commands() const { return m_Commands; }

private:
    QList<Command> m_Commands;
};

// Argument helpers shared by the command files; each throws UsageError with a
// message naming the argument.
int ParseIntArgument(const QString& text, const QString& what, int minimum, int maximum);
float ParseFloatArgument(const QString& text, const QString& what);
void RequireArgumentCount(const QStringList& args, int minimum, int maximum);
// Takes "OPTION VALUE" out of args and gives the value; empty when the option
// is absent. `valueName` names what is missing when the value is.
QString TakeOptionValue(QStringList& args, const QString& option,
                        const QString& valueName = QStringLiteral("a file name"));

// Each file of commands registers its own.
void AddLinkCommands(CommandTable& table);
void AddRelayStatusCommands(CommandTable& table);
void AddConfigCommands(CommandTable& table);
void AddLiveCommands(CommandTable& table);
void AddScanCommand(CommandTable& table);
void AddWatchCommand(CommandTable& table);
void AddReportCommand(CommandTable& table);
