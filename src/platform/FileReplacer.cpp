#include "platform/FileReplacer.h"

#include <QFileInfo>
#include <QSaveFile>

std::optional<FileSystemError> ReplaceFileContents(const QString& path, const QByteArray& bytes)
{
    // Writing beside the file and renaming over it would get round the file's
    // own write protection.
    const QFileInfo target(path);
    if (target.isFile() && !target.isWritable())
        return FileSystemError::PathFileAccess;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return ClassifyFileError(file.error(), path, true);
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
