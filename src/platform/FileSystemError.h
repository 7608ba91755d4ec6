#pragma once

#include "platform/IUserInterface.h"

#include <QFileDevice>
#include <QString>

class IUserInterface;

// The file-system failures the user is told about, each with its own message.
enum class FileSystemError {
    BadFileName,
    FileNotFound,
    BadFileMode,
    FileAlreadyOpen,
    DeviceIO,
    DiskFull,
    InputPastEndOfFile,
    DeviceUnavailable,
    DiskNotReady,
    PathFileAccess,
    PathNotFound,
    Other
};

QString FileSystemErrorText(FileSystemError error);

// Shows the message for the error ("Filesystem Error", exclamation, OK) and
// returns the button pressed.
MsgResult ShowFileSystemError(IUserInterface& ui, FileSystemError error);

// Works out which of the errors above a failed open, read, write or commit of
// `path` was, from Qt's error and the state of the file and its folder.
FileSystemError ClassifyFileError(QFileDevice::FileError error, const QString& path, bool writing);
