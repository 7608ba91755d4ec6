#pragma once

#include <QByteArray>
#include <QString>

// The text of the configuration and event-log files. The format is plain
// 8-bit text, but a relay's name may hold any character the user types.
//
// Written as UTF-8 without a byte-order mark: every name survives, a file
// whose text is plain ASCII is byte for byte what an 8-bit writer makes, and
// our own files always read back as they were written.
//
// Read as UTF-8 when the bytes are valid UTF-8, and otherwise as
// Windows-1252, the code page of files edited on Windows laptops: its
// accented letters next to plain text are not valid UTF-8.
QByteArray EncodeFileText(const QString& text);
QString DecodeFileText(const QByteArray& bytes);
