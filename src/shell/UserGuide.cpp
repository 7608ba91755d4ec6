#include "shell/UserGuide.h"

#include <QDir>
#include <QFileInfo>

QStringList UserGuideCandidates(const QString& programFolder)
{
    const QDir folder(programFolder);
    return {QDir::cleanPath(
                folder.filePath(QStringLiteral("../share/tzl-configurator/help/index.html"))),
            QDir::cleanPath(folder.filePath(QStringLiteral("help/index.html")))};
}

QString FindUserGuide(const QString& programFolder)
{
    for (const QString& candidate : UserGuideCandidates(programFolder)) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return {};
}
