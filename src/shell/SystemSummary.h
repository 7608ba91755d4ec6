#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One serial device and the stable names that point at it.
struct SerialDeviceEntry
{
    QString Device;
    QStringList Aliases;
};

// What a support engineer asks for first when the configurator cannot reach
// a relay: which program, on which system, with which serial devices, and
// where its settings and comms error log are.
struct SystemFacts
{
    QString ProgramVersion;
    QString QtVersion;
    QString OperatingSystem;
    QList<SerialDeviceEntry> SerialDevices;
    QString SettingsFile;
    QString ErrorLogFolder;
    QString UserGuide;
};

// Groups a device list as SystemSerialDevices() gives it: each symbolic link
// (a /dev/serial/by-id name) becomes an alias of the device it points at, so
// an adapter shows once with the name that survives replugging it.
QList<SerialDeviceEntry> GroupSerialDevices(const QStringList& devices);

// The facts of this computer; the three paths come from their owners.
SystemFacts CurrentSystemFacts(const QString& settingsFile, const QString& errorLogFolder,
                               const QString& userGuide);

// Plain text, one fact a line, ready to paste into a fault report.
QString SystemSummary(const SystemFacts& facts);
