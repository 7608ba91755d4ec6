#include "platform/FileSystemError.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

QString FileSystemErrorText(FileSystemError error)
{
    switch (error) {
    case FileSystemError::BadFileName:
        return QStringLiteral("That filename is illegal.");
    case FileSystemError::FileNotFound:
        return QStringLiteral("The file can not be located");
    case FileSystemError::BadFileMode:
        return QStringLiteral("Can't open your file for that type of access.");
    case FileSystemError::FileAlreadyOpen:
        return QStringLiteral("This file is already open.");
    case FileSystemError::DeviceIO:
        return QStringLiteral("Internal disk error.");
    case FileSystemError::DiskFull:
        return QStringLiteral("Disk is full.");
    case FileSystemError::InputPastEndOfFile:
        return QStringLiteral("This file has a nonstandard end-of-file marker, "
                              "or an attempt was made to read beyond "
                              "the end-of-file marker.");
    case FileSystemError::DeviceUnavailable:
        return QStringLiteral("That device appears unavailable.");
    case FileSystemError::DiskNotReady:
        return QStringLiteral("Insert a disk in the drive and try again.");
    case FileSystemError::PathFileAccess:
        return QStringLiteral("File Access Error - the file/device may be write protected!");
    case FileSystemError::PathNotFound:
        return QStringLiteral("That path doesn't exist.");
    case FileSystemError::Other:
        break;
    }
    return QStringLiteral("Unknown Error!");
}

MsgResult ShowFileSystemError(IUserInterface& ui, FileSystemError error)
{
    return ui.MsgBox(FileSystemErrorText(error), QStringLiteral("Filesystem Error"), MsgButtons::OK,
                     MsgIcon::Exclamation);
}

FileSystemError ClassifyFileError(QFileDevice::FileError error, const QString& path, bool writing)
{
    if (path.trimmed().isEmpty() || path.contains(QChar(0)))
        return FileSystemError::BadFileName;
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    switch (error) {
    case QFileDevice::OpenError:
    case QFileDevice::PermissionsError:
    case QFileDevice::RenameError:
        if (!folder.exists() || !folder.isDir())
            return FileSystemError::PathNotFound;
        if (file.isDir())
            return FileSystemError::BadFileMode;
        if (!writing && !file.exists())
            return FileSystemError::FileNotFound;
        return FileSystemError::PathFileAccess;
    case QFileDevice::WriteError:
    case QFileDevice::ResourceError:
    case QFileDevice::ResizeError: {
        const QStorageInfo storage(folder.absoluteFilePath());
        if (storage.isValid() && storage.bytesAvailable() < 64 * 1024)
            return FileSystemError::DiskFull;
        return writing ? FileSystemError::DeviceIO : FileSystemError::Other;
    }
    case QFileDevice::ReadError:
    case QFileDevice::FatalError:
    case QFileDevice::PositionError:
        return FileSystemError::DeviceIO;
    default:
        return FileSystemError::Other;
    }
}
