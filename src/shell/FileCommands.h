#pragma once

#include <QString>
#include <cstdint>

class CommandHost;
class IFileDialogs;
class IUserInterface;
class cRUFList;
class cTZL;
struct ConfigDocument;

// File > New, Open, Save, Save As and the recent files, the save question
// they share with Upload and Exit, and saving the event log. Nothing the
// engineer has is replaced without a question: unsaved changes are asked
// about before anything is loaded, and a Save never writes over a file that
// is not the configuration's own without asking.
class FileCommands
{
public:
    FileCommands(cTZL& device, IUserInterface& ui, IFileDialogs& fileDialogs, cRUFList& recentFiles,
                 ConfigDocument& document, CommandHost& host);

    void New();
    void Open();
    // Item 0 is the most recent file.
    void OpenRecent(int item);
    void Save();
    void SaveAs();
    // Asks whether to save unsaved changes: true when the caller must stop
    // (Cancel, or a save that was cancelled or failed).
    bool PromptSaveChanges();
    // True when the caller may go on: nothing unsaved, or the question was
    // answered with No or with a save that worked. Commits open edits first,
    // so the question counts them.
    bool MayDiscardChanges();
    void SaveEventLog();

private:
    void SaveUnder(const QString& name);
    void SaveWithDialog(const QString& suggestedName);
    bool WriteFile(const QString& path, const QString& title);
    bool LoadFile(const QString& path, const QString& title);
    void AddRecentFile(const QString& path, const QString& title);
    void RememberChosenFile(const QString& path);

    cTZL& m_Device;
    IUserInterface& m_UI;
    IFileDialogs& m_FileDialogs;
    cRUFList& m_RecentFiles;
    ConfigDocument& m_Document;
    CommandHost& m_Host;
};
