#pragma once

#include <QPointF>
#include <QSize>
#include <QString>
#include <cstdint>

class ISettingsStore;

// The main window's own per-user settings: its position, the relay's slave
// ID, the two options and the folder of the last file chosen in a dialog.
// Values that cannot be used (not a number, out of range, a position off the
// screen) come back as their defaults, so a damaged settings file never stops
// the program from starting where the user can see it.
struct MainWindowSettings
{
    QPointF Position;
    std::int16_t SlaveID = 1;
    bool EventLogUseCurrent = false;
    bool AlarmDisplay = false;
    bool VerifyAfterDownload = false;
    QString WorkDirectory;

    static MainWindowSettings Restore(const ISettingsStore& store, const QString& application,
                                      QSize screen);
    // lastChosenFile is the full name last chosen in a file dialog; the work
    // directory is written only when one was chosen, and keeps its stored
    // value otherwise.
    void Save(ISettingsStore& store, const QString& application, QSize screen,
              const QString& lastChosenFile) const;

    // A left or top edge is kept only between 0 and 0.9 of the screen's
    // extent; otherwise the window starts at 0.
    static double OnScreen(double edge, int screenExtent);
    // The folder part of a full file name, split at "/" or "\"; empty when
    // it has no folder.
    static QString FolderOf(const QString& fullName);
};
