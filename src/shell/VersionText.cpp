#include "shell/VersionText.h"

#include <QVersionNumber>

QString VersionText()
{
    const QVersionNumber version = QVersionNumber::fromString(QStringLiteral(TZL_VERSION));
    return QStringLiteral("Version %1.%2.%3")
        .arg(version.majorVersion())
        .arg(version.minorVersion())
        .arg(version.microVersion());
}
