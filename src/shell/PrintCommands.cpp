#include "shell/PrintCommands.h"

#include "model/cTZL.h"
#include "platform/IPrintSetup.h"
#include "platform/IUserInterface.h"

namespace {

const QString Title = QStringLiteral("TZL Configurator");
const QString Ready = QStringLiteral("Ready");

} // namespace

PrintCommands::PrintCommands(const cTZL& device, IUserInterface& ui, IPrintSetup& setup,
                             std::function<void(const QString&)> setStatusText)
    : m_Device(device)
    , m_UI(ui)
    , m_Setup(setup)
    , m_SetStatusText(std::move(setStatusText))
{}

PrintCommands::Outcome PrintCommands::PrintConfiguration()
{
    return Run(QStringLiteral("Printing TZL Configuration Log"),
               [this](IPrinter& printer) { return m_Device.PrintConfig(printer); });
}

PrintCommands::Outcome PrintCommands::PrintEventLog(bool onLine)
{
    if (onLine) {
        m_UI.MsgBox(QStringLiteral("Switch to off-line mode before you print the event log"), Title,
                    MsgButtons::OK, MsgIcon::None);
        return Outcome::Refused;
    }
    return Run(QStringLiteral("Printing Event Log"),
               [this](IPrinter& printer) { return m_Device.EventLog.LogPrint(printer); });
}

PrintCommands::Outcome PrintCommands::Run(const QString& statusText,
                                          const std::function<bool(IPrinter&)>& printout)
{
    if (!m_Setup.Choose()) {
        m_SetStatusText(Ready);
        return Outcome::Cancelled;
    }
    m_SetStatusText(statusText);
    const bool printed = m_Setup.Print(printout);
    m_SetStatusText(Ready);
    if (printed)
        return Outcome::Printed;
    // Without this the user would take a PDF file that was never written, or
    // a printer that refused the job, for a finished printout.
    m_UI.MsgBox(QStringLiteral("The printout could not be produced - check the printer or the "
                               "file name"),
                Title, MsgButtons::OK, MsgIcon::Exclamation);
    return Outcome::Failed;
}
