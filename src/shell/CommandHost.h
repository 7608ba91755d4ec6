#pragma once

#include <QString>

// The configuration in memory as a document: what it is called, where it
// lives and where it came from.
struct ConfigDocument
{
    // The caption's name (CurrentFileName); empty for a new configuration.
    QString FileName;
    // The file it was last read from or written to; empty after New and after
    // an upload, when it has no file of its own yet.
    QString OwnPath;
    // Where a direct Save writes.
    QString Folder;
    // Where the file dialogs start, and the full name last chosen in one (for
    // the settings).
    QString WorkDirectory;
    QString LastChosenFile;
    // True while the configuration in memory is the one last uploaded.
    bool Uploaded = false;
};

// What the file and relay commands need of the window they run in.
class CommandHost
{
public:
    virtual ~CommandHost() = default;

    virtual void SetStatusText(const QString& text) = 0;
    // The caption and CurrentFileName.
    virtual void SetTitle(const QString& name) = 0;
    virtual bool IsDataModified() const = 0;
    virtual void SetDataModified(bool flag) = 0;
    // Commits what the user typed and did not commit yet, on his behalf.
    virtual void CommitOpenEdits() = 0;
    // After the model was replaced: every box shows the new configuration,
    // and values outside their limits are set back and reported.
    virtual void ShowNewConfiguration() = 0;
    // New: a blank configuration, off-line.
    virtual void ResetConfiguration() = 0;
    virtual void RecentFilesChanged() = 0;
    // Redraws the visible tab from the model.
    virtual void Redraw() = 0;
};
