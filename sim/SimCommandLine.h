#pragma once

#include "platform/SerialLineSettings.h"

#include <QString>
#include <QStringList>

class SimFaults;
class SimulatedRelay;

// The command line of tzl-relay-sim. Parsing also sets up the relay and its
// faults: first from the scenario file, then from the options, so an option
// overrides what the scenario says.
class SimCommandLine
{
public:
    enum class Outcome { Serve, ShowHelp, ShowVersion, UsageError };
    enum class FrontEnd { Pty, SerialDevice };

    // `arguments` without the program name.
    Outcome Parse(const QStringList& arguments, SimulatedRelay& relay, SimFaults& faults);

    QString Error() const { return m_Error; }
    FrontEnd Front() const { return m_Front; }
    QString Device() const { return m_Device; }
    SerialLineSettings Line() const { return m_Line; }
    int SlaveID() const { return m_SlaveID; }
    bool Verbose() const { return m_Verbose; }
    // On a pseudo-terminal, hear the master only at the line settings given.
    bool StrictLine() const { return m_StrictLine; }

    static QString HelpText();
    static QString VersionText();

private:
    bool Fail(const QString& error);
    bool ApplyOption(const QString& name, const QString& value, SimulatedRelay& relay,
                     SimFaults& faults);
    bool ApplyRelayList(const QString& name, const QString& list, int bits, SimulatedRelay& relay);

    QString m_Error;
    FrontEnd m_Front = FrontEnd::Pty;
    QString m_Device;
    SerialLineSettings m_Line;
    int m_SlaveID = 1;
    bool m_Verbose = false;
    bool m_StrictLine = false;
};
