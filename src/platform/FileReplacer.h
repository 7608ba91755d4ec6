#pragma once

#include "platform/FileSystemError.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Writes a whole file so that the previous one survives any failure: the
// bytes go to a temporary file beside it, which replaces the old one only
// once everything is on disk. Where no temporary file can be made beside an
// existing file, the file is written in place. Nothing when it worked, else
// what went wrong.
std::optional<FileSystemError> ReplaceFileContents(const QString& path, const QByteArray& bytes);
