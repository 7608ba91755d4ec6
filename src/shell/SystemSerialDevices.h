#pragma once

#include <QHash>
#include <QStringList>
#include <functional>

// Lists the serial devices a port list may offer; tests supply their own.
using SerialDeviceLister = std::function<QStringList()>;

// The serial devices the system reports (/dev/ttyUSB0, /dev/ttyACM0, the
// on-board /dev/ttyS ports that exist), preceded by their stable
// /dev/serial/by-id names, which survive replugging a USB adapter.
QStringList SystemSerialDevices();

// What the system says about each device, for a port list: the adapter's
// description, and for a /dev/serial/by-id name the device it stands for now.
// Devices with nothing to add are left out.
QHash<QString, QString> SerialDeviceDescriptions(const QStringList& devices);
