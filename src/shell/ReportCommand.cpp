#include "shell/ReportCommand.h"

#include "model/RelayReadingsReader.h"
#include "platform/IClock.h"
#include "platform/IFileDialogs.h"
#include "platform/ISettingsStore.h"
#include "platform/IUserInterface.h"

#include <QProgressDialog>
#include <QRegularExpression>

namespace {

const QString Title = QStringLiteral("Commissioning Report");
const QString SettingsSection = QStringLiteral("Report");

// A file name made of the site and the day, without characters a file
// system refuses.
QString SuggestedFileName(const QString& site, const QDate& day)
{
    QString name = site.trimmed();
    name.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral("-"));
    if (!name.isEmpty())
        name += u' ';
    return name + QStringLiteral("TZL commissioning report %1.pdf").arg(day.toString(Qt::ISODate));
}

} // namespace

ReportCommand::ReportCommand(frmModbus& link, IUserInterface& ui, ISettingsStore& settings,
                             IFileDialogs& dialogs, IClock& clock, QString application,
                             std::function<void(const QString&)> setStatusText)
    : m_Link(link)
    , m_UI(ui)
    , m_Settings(settings)
    , m_Dialogs(dialogs)
    , m_Clock(clock)
    , m_Application(std::move(application))
    , m_SetStatusText(std::move(setStatusText))
{}

std::optional<QString> ReportCommand::AskRemembered(const QString& prompt, const QString& key)
{
    const std::optional<QString> answer = m_UI.InputBox(
        prompt, Title, m_Settings.GetSetting(m_Application, SettingsSection, key, QString()));
    if (answer)
        m_Settings.SaveSetting(m_Application, SettingsSection, key, answer->trimmed());
    return answer;
}

bool ReportCommand::Request(const QString& initialFolder)
{
    const std::optional<QString> site =
        AskRemembered(QStringLiteral("Site of the relay:"), QStringLiteral("Site"));
    if (!site)
        return false;
    const std::optional<QString> engineer =
        AskRemembered(QStringLiteral("Engineer's name:"), QStringLiteral("Engineer"));
    if (!engineer)
        return false;
    QString path = m_Dialogs.GetSaveFileName({QStringLiteral("Save Commissioning Report"),
                                              {QStringLiteral("PDF Files (*.pdf)")},
                                              1,
                                              initialFolder,
                                              SuggestedFileName(*site, m_Clock.Now().date())});
    if (path.isEmpty())
        return false;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    m_Details = {site->trimmed(), engineer->trimmed(),
                 QStringLiteral("TZL Configurator " TZL_VERSION)};
    m_Path = path;
    return true;
}

void ReportCommand::Run(std::int16_t slave, const std::optional<ReportSettingsFile>& settingsFile,
                        QWidget* window)
{
    m_SetStatusText(QStringLiteral("Reading the TZL for the commissioning report ...."));
    QProgressDialog progress(QStringLiteral("Reading the TZL ...."), QStringLiteral("Cancel"), 0,
                             RelayReadingsReader::StepCount, window);
    progress.setObjectName(QStringLiteral("frmReportProgress"));
    progress.setWindowTitle(Title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setMinimumWidth(progress.fontMetrics().horizontalAdvance(QLatin1Char('x')) * 50);
    const std::optional<RelayReadings> readings =
        RelayReadingsReader(m_Link, m_Clock)
            .Read(slave, [&progress](const QString& step, int done, int) {
                progress.setLabelText(step);
                progress.setValue(done);
                return !progress.wasCanceled();
            });
    progress.close();
    if (readings) {
        const CommissioningReport report(*readings, m_Details, settingsFile);
        if (Write(report))
            m_UI.MsgBox(QStringLiteral("The commissioning report was written to ") + m_Path, Title,
                        MsgButtons::OK, MsgIcon::Information);
    }
    m_SetStatusText(QStringLiteral("Ready"));
}

// A report with parts missing must not pass for a complete one: it is
// written only with the user's agreement, and those parts marked.
bool ReportCommand::Write(const CommissioningReport& report)
{
    const QStringList unread = report.UnreadSections();
    if (!unread.isEmpty()
        && m_UI.MsgBox(QStringLiteral("These parts of the report could not be read:\n\n%1\n\n"
                                      "Choose OK to write the report with them marked \"Could "
                                      "not be read\", or Cancel to write nothing.")
                           .arg(unread.join(u'\n')),
                       Title, MsgButtons::OKCancel, MsgIcon::Exclamation)
               != MsgResult::OK)
        return false;
    if (const auto error = report.WritePdf(m_Path)) {
        ShowFileSystemError(m_UI, *error);
        return false;
    }
    return true;
}
