#include "PdfText.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

QString PdfToText()
{
    return QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
}

} // namespace

bool PdfToTextAvailable()
{
    return !PdfToText().isEmpty();
}

QString PdfText(const QString& path, const QStringList& options)
{
    QProcess process;
    process.start(PdfToText(), options + QStringList{path, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList SimplifiedLines(const QString& text)
{
    QStringList lines;
    // Compatibility forms undo the ligatures of the font ("fi" as one glyph).
    for (const QString& line : text.normalized(QString::NormalizationForm_KC).split(u'\n'))
        lines << line.simplified();
    return lines;
}
