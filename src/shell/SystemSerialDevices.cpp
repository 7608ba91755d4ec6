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
