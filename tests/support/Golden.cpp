#include "Golden.h"

#include <QDir>
#include <QFile>

bool MatchesGolden(const QString& name, const QString& produced, QString& difference)
{
    const QString path = QStringLiteral(TZL_GOLDEN_DIR "/") + name;
    if (qEnvironmentVariableIntValue("TZL_UPDATE_GOLDENS") == 1) {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return (difference = QStringLiteral("cannot write ") + path), false;
        out.write(produced.toUtf8());
        return true;
    }
    QFile in(path);
    const QString golden =
        in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()) : QStringLiteral("<none>");
    if (golden == produced)
        return true;
    QFile actual(QDir::current().filePath(name + QStringLiteral(".actual")));
    if (actual.open(QIODevice::WriteOnly | QIODevice::Truncate))
        actual.write(produced.toUtf8());
    const QStringList want = golden.split(u'\n');
    const QStringList got = produced.split(u'\n');
    int line = 0;
    while (line < want.size() && line < got.size() && want[line] == got[line])
        ++line;
    difference = QStringLiteral("%1 line %2\n  golden:   %3\n  produced: %4\n(all of it in %5)")
                     .arg(path)
                     .arg(line + 1)
                     .arg(want.value(line, QStringLiteral("<end>")),
                          got.value(line, QStringLiteral("<end>")), actual.fileName());
    return false;
}
