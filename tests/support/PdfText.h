#pragma once

#include <QString>
#include <QStringList>

// The text of a PDF file as poppler's pdftotext extracts it, the pages parted
// by form feeds. Empty when pdftotext is missing or fails.
bool PdfToTextAvailable();
QString PdfText(const QString& path, const QStringList& options = {QStringLiteral("-layout")});
// Each line of the text with its runs of blanks made single and ligatures
// taken apart.
QStringList SimplifiedLines(const QString& text);
