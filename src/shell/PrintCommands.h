#pragma once

#include <QString>
#include <functional>

class IPrintSetup;
class IPrinter;
class IUserInterface;
class cTZL;

// The main window's two print commands: the configuration (File > Print and
// the toolbar's print key) and the event log (the Events tab's Print button).
// Each shows the print dialog, then prints with its status text showing.
class PrintCommands
{
public:
    enum class Outcome { Printed, Cancelled, Refused, Failed };

    PrintCommands(const cTZL& device, IUserInterface& ui, IPrintSetup& setup,
                  std::function<void(const QString&)> setStatusText);

    // Allowed on-line and off-line: the configuration is the one in memory.
    Outcome PrintConfiguration();
    // Refused while on-line, where the log is being refreshed from the relay.
    Outcome PrintEventLog(bool onLine);

private:
    Outcome Run(const QString& statusText, const std::function<bool(IPrinter&)>& printout);

    const cTZL& m_Device;
    IUserInterface& m_UI;
    IPrintSetup& m_Setup;
    std::function<void(const QString&)> m_SetStatusText;
};
