#include "shell/SystemSummary.h"

#include "shell/SystemSerialDevices.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

namespace {

QString Native(const QString& path, const QString& whenEmpty)
{
    return path.isEmpty() ? whenEmpty : QDir::toNativeSeparators(path);
}

} // namespace

QList<SerialDeviceEntry> GroupSerialDevices(const QStringList& devices)
{
    QList<SerialDeviceEntry> entries;
    const auto entryFor = [&entries](const QString& device) -> SerialDeviceEntry& {
        for (SerialDeviceEntry& entry : entries) {
            if (entry.Device == device)
                return entry;
        }
        entries.append({device, {}});
        return entries.last();
    };
    // Devices first, so they keep the order the system lists them in.
    for (const QString& device : devices) {
        if (!QFileInfo(device).isSymLink())
            entryFor(device);
    }
    for (const QString& device : devices) {
        const QFileInfo link(device);
        if (!link.isSymLink())
            continue;
        // A dangling link (adapter just pulled) still names the device it
        // was made for, which is worth showing.
        const QString target = link.exists() ? link.canonicalFilePath() : link.symLinkTarget();
        entryFor(target).Aliases.append(device);
    }
    return entries;
}

SystemFacts CurrentSystemFacts(const QString& settingsFile, const QString& errorLogFolder,
                               const QString& userGuide)
{
    return {QStringLiteral(TZL_VERSION),
            QStringLiteral("%1 (built with %2)")
                .arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR)),
            QStringLiteral("%1, kernel %2 %3, %4")
                .arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(),
                     QSysInfo::kernelVersion(), QSysInfo::currentCpuArchitecture()),
            GroupSerialDevices(SystemSerialDevices()),
            settingsFile,
            errorLogFolder,
            userGuide};
}

QString SystemSummary(const SystemFacts& facts)
{
    QStringList lines{QStringLiteral("TZL Configurator %1").arg(facts.ProgramVersion),
                      QStringLiteral("Qt: %1").arg(facts.QtVersion),
                      QStringLiteral("Operating system: %1").arg(facts.OperatingSystem),
                      QStringLiteral("Serial devices:")};
    if (facts.SerialDevices.isEmpty())
        lines.append(QStringLiteral("  none found"));
    for (const SerialDeviceEntry& entry : facts.SerialDevices) {
        lines.append(QStringLiteral("  ") + entry.Device);
        for (const QString& alias : entry.Aliases)
            lines.append(QStringLiteral("    = ") + alias);
    }
    lines.append(QStringLiteral("Settings file: %1")
                     .arg(Native(facts.SettingsFile, QStringLiteral("unknown"))));
    lines.append(QStringLiteral("Comms error log folder: %1")
                     .arg(Native(facts.ErrorLogFolder, QStringLiteral("none"))));
    lines.append(QStringLiteral("User guide: %1")
                     .arg(Native(facts.UserGuide, QStringLiteral("not installed"))));
    return lines.join(u'\n') + u'\n';
}
