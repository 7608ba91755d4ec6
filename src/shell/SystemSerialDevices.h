#pragma once

#include <QStringList>
#include <functional>

// Lists the serial devices a port list may offer; tests supply their own.
using SerialDeviceLister = std::function<QStringList()>;

// The serial devices the system reports (/dev/ttyUSB0, /dev/ttyACM0, the
// on-board /dev/ttyS ports that exist), preceded by their stable
// /dev/serial/by-id names, which survive replugging a USB adapter.
QStringList SystemSerialDevices();
