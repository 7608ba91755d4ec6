#pragma once

#include <QString>
#include <QStringList>

// What a file dialog is asked to show.
struct FileDialogRequest
{
    QString Title;
    // Qt name filters, e.g. "Text Files (*.txt)", in the order offered.
    QStringList Filters;
    // 1-based position in Filters of the filter chosen at first.
    int FilterIndex = 1;
    QString InitialFolder;
    QString InitialFileName;
};

// The open and save dialogs, behind an interface so that tests can choose the
// file (or cancel) without a window.
class IFileDialogs
{
public:
    virtual ~IFileDialogs() = default;
    // The full path chosen; empty when the user cancelled. The open dialog
    // only accepts a file that exists; the save dialog asks before an
    // existing file is overwritten.
    virtual QString GetOpenFileName(const FileDialogRequest& request) = 0;
    virtual QString GetSaveFileName(const FileDialogRequest& request) = 0;
};
