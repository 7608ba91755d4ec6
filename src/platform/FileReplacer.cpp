#include "platform/FileReplacer.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// A file the user may write in a folder where nobody may create one (a
// shared folder set read-only, say) can only be written where it is. The old
// contents are then not kept should the write fail.
std::optional<FileSystemError> WriteInPlace(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return ClassifyFileError(file.error(), path, true);
    if (file.write(bytes) != bytes.size() || !file.flush())
        return ClassifyFileError(file.error(), path, true);
    file.close();
    if (file.error() != QFileDevice::NoError)
        return ClassifyFileError(file.error(), path, true);
    return std::nullopt;
}

} // namespace

std::optional<FileSystemError> ReplaceFileContents(const QString& path, const QByteArray& bytes)
{
    // Writing beside the file and renaming over it would get round the file's
    // own write protection.
    const QFileInfo target(path);
    if (target.isFile() && !target.isWritable())
        return FileSystemError::PathFileAccess;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        // Only for want of the folder's permission: a temporary file that
        // fails for a full disk must not be followed by truncating the old one.
        if (target.isFile() && !QFileInfo(target.absolutePath()).isWritable())
            return WriteInPlace(path, bytes);
        return ClassifyFileError(file.error(), path, true);
    }
    // QSaveFile does not notice a write that fails while its buffer is flushed
    // (a full disk, a size limit) and would commit the truncated file over the
    // good one: flush and check here, before committing.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QFileDevice::FileError error = file.error();
        file.cancelWriting();
        return ClassifyFileError(error, path, true);
    }
    if (!file.commit())
        return ClassifyFileError(file.error(), path, true);
    return std::nullopt;
}
