#include "shell/SystemSerialDevices.h"

#include <QDir>
#include <QSerialPortInfo>

QStringList SystemSerialDevices()
{
    QStringList devices;
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link :
         byId.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
        devices.append(link.absoluteFilePath());
    QStringList located;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        located.append(info.systemLocation());
    located.sort();
    devices.append(located);
    return devices;
}

QHash<QString, QString> SerialDeviceDescriptions(const QStringList& devices)
{
    QHash<QString, QString> described;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    const auto describe = [&ports](const QString& located) {
        for (const QSerialPortInfo& info : ports) {
            if (info.systemLocation() != located)
                continue;
            const QString maker = info.manufacturer();
            return maker.isEmpty() || info.description().contains(maker, Qt::CaseInsensitive)
                       ? info.description()
                       : (maker + u' ' + info.description()).trimmed();
        }
        return QString();
    };
    for (const QString& device : devices) {
        const QFileInfo path(device);
        QString description;
        if (!path.isSymLink()) {
            description = describe(device);
        } else if (!path.exists()) {
            description = QStringLiteral("not plugged in");
        } else {
            const QString located = path.canonicalFilePath();
            const QString what = describe(located);
            description = (what.isEmpty() ? QString() : what + QStringLiteral(", "))
                          + QStringLiteral("now ") + located;
        }
        if (!description.isEmpty())
            described.insert(device, description);
    }
    return described;
}
