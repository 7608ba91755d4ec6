#include "shell/FileCommands.h"

#include "model/cTZL.h"
#include "platform/IFileDialogs.h"
#include "platform/IUserInterface.h"
#include "shell/CommandHost.h"
#include "shell/MainWindowSettings.h"
#include "shell/cRUFList.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString QuestionTitle = QStringLiteral("TZL Configurator");
const QString Ready = QStringLiteral("Ready");

// "All Files" matches names without an extension too, such as the Com1_Node5
// that a Save after an upload writes.
const QStringList ConfigFilters{QStringLiteral("All Files (*)"),
                                QStringLiteral("Text Files (*.txt)"),
                                QStringLiteral("TZL Config Files (*tcf)")};
const QStringList EventLogFilters{QStringLiteral("All Files (*)"),
                                  QStringLiteral("Text Files (*.txt)"),
                                  QStringLiteral("TZL Event Log Files (*tef)")};
constexpr int TextFilesFilter = 2;

bool SameFile(const QString& a, const QString& b)
{
    return !a.isEmpty() && !b.isEmpty()
           && QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

FileCommands::FileCommands(cTZL& device, IUserInterface& ui, IFileDialogs& fileDialogs,
                           cRUFList& recentFiles, ConfigDocument& document, CommandHost& host)
    : m_Device(device)
    , m_UI(ui)
    , m_FileDialogs(fileDialogs)
    , m_RecentFiles(recentFiles)
    , m_Document(document)
    , m_Host(host)
{}

bool FileCommands::PromptSaveChanges()
{
    switch (m_UI.MsgBox(QStringLiteral("Do you want to save the configuration changes?"),
                        QuestionTitle, MsgButtons::YesNoCancel, MsgIcon::Question)) {
    case MsgResult::No:
        return false;
    case MsgResult::Yes:
        SaveWithDialog(m_Document.FileName);
        return m_Host.IsDataModified();
    default:
        return true;
    }
}

bool FileCommands::MayDiscardChanges()
{
    m_Host.CommitOpenEdits();
    return !m_Host.IsDataModified() || !PromptSaveChanges();
}

void FileCommands::New()
{
    if (!MayDiscardChanges())
        return;
    m_Host.SetStatusText(QStringLiteral("Creating Blank Configuration ...."));
    m_Host.ResetConfiguration();
    m_Host.ShowNewConfiguration();
    m_Host.SetStatusText(Ready);
}

void FileCommands::Open()
{
    if (!MayDiscardChanges())
        return;
    const QString path =
        m_FileDialogs.GetOpenFileName({QStringLiteral("Open TZL Configuration File"), ConfigFilters,
                                       TextFilesFilter, m_Document.WorkDirectory, QString()});
    if (!path.isEmpty()) {
        RememberChosenFile(path);
        m_Host.SetStatusText(QStringLiteral("Retrieving Configuration Data From File ...."));
        LoadFile(path, cRUFList::TitleFromPath(path));
    }
    m_Host.SetStatusText(Ready);
}

void FileCommands::OpenRecent(int item)
{
    if (!MayDiscardChanges())
        return;
    const auto entry = std::int16_t(item + 1);
    const QString path = m_RecentFiles.ItemPath(entry);
    if (!LoadFile(path, m_RecentFiles.ItemTitle(entry))) {
        m_RecentFiles.removeitem(entry);
        m_Host.RecentFilesChanged();
    }
}

bool FileCommands::LoadFile(const QString& path, const QString& title)
{
    // The file is read whole before anything in memory changes; a file that
    // cannot be read leaves the configuration as it was.
    if (!m_Device.LoadConfigFromFile(path))
        return false;
    AddRecentFile(path, title);
    m_Document.OwnPath = path;
    // A Save goes back to this file, wherever the last dialog was.
    m_Document.Folder = MainWindowSettings::FolderOf(path);
    m_Document.Uploaded = false;
    m_Host.SetTitle(title);
    m_Host.SetDataModified(false);
    m_Host.ShowNewConfiguration();
    return true;
}

void FileCommands::Save()
{
    m_Host.CommitOpenEdits();
    if (m_Document.FileName.isEmpty())
        SaveWithDialog(QString());
    else
        SaveUnder(m_Document.FileName);
}

void FileCommands::SaveAs()
{
    m_Host.CommitOpenEdits();
    SaveWithDialog(QString());
}

// A direct Save: into the configuration's folder under its name. An uploaded
// configuration is named after the port and slave, so two relays that share
// them would write over each other's file: a file that is not this
// configuration's own is replaced only when the engineer says so.
void FileCommands::SaveUnder(const QString& name)
{
    const QString path = QDir(m_Document.Folder).filePath(name);
    if (QFileInfo::exists(path) && !SameFile(path, m_Document.OwnPath)
        && m_UI.MsgBox(QStringLiteral("%1 already exists.\nDo you want to replace it? Choose No "
                                      "to save the configuration under another name.")
                           .arg(QDir::toNativeSeparators(path)),
                       QuestionTitle, MsgButtons::YesNo, MsgIcon::Exclamation)
               != MsgResult::Yes) {
        SaveWithDialog(name);
        return;
    }
    WriteFile(path, name);
}

void FileCommands::SaveWithDialog(const QString& suggestedName)
{
    const QString path = m_FileDialogs.GetSaveFileName(
        {QStringLiteral("Save TZL Configuration File As"), ConfigFilters, TextFilesFilter,
         m_Document.Folder, suggestedName});
    if (!path.isEmpty()) {
        RememberChosenFile(path);
        m_Host.SetStatusText(QStringLiteral("Saving Configuration Data to File ...."));
        WriteFile(path, cRUFList::TitleFromPath(path));
    }
    m_Host.SetStatusText(Ready);
}

bool FileCommands::WriteFile(const QString& path, const QString& title)
{
    if (!m_Device.SaveConfigToFile(path))
        return false;
    m_Document.OwnPath = path;
    m_Document.Folder = MainWindowSettings::FolderOf(path);
    AddRecentFile(path, title);
    m_Host.SetTitle(title);
    m_Host.SetDataModified(false);
    return true;
}

void FileCommands::AddRecentFile(const QString& path, const QString& title)
{
    m_RecentFiles.addfile(path, title);
    m_Host.RecentFilesChanged();
}

void FileCommands::RememberChosenFile(const QString& path)
{
    m_Document.LastChosenFile = path;
    m_Document.WorkDirectory = MainWindowSettings::FolderOf(path);
}

void FileCommands::SaveEventLog()
{
    // A cancelled dialog changes nothing else; in particular it never starts
    // the polling timer, which may be stopped by a tick that is waiting on
    // the relay right now.
    const QString path =
        m_FileDialogs.GetSaveFileName({QStringLiteral("Save TZL EventLog File"), EventLogFilters,
                                       TextFilesFilter, m_Document.WorkDirectory, QString()});
    if (!path.isEmpty()) {
        RememberChosenFile(path);
        m_Host.SetStatusText(QStringLiteral("Saving Event Log To File ...."));
        m_Device.EventLog.SaveToFile(path);
    }
    m_Host.SetStatusText(Ready);
}
