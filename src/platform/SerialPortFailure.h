#pragma once

#include <QString>

// Why a serial device could not be used, said so that an engineer with a USB
// adapter knows what to do. Qt's own texts name the mechanism rather than the
// cause: a device that is not there comes back as a permission error while
// locking it.
namespace SerialPortFailure {

enum class Cause {
    NotConnected, // no such device: the adapter is not plugged in
    NoPermission, // the user may not open it
    InUse,        // another program holds it open
    WentAway,     // it vanished while a transaction had it open
    Other         // anything else; Qt's text says what
};

// Looks at the device itself after an open failed. `qtRefused` is true when
// Qt's error was a permission error, which is how it reports a device locked
// by another program.
Cause DiagnoseOpen(const QString& device, bool qtRefused);

QString Text(Cause cause, const QString& device, const QString& otherText = QString());

} // namespace SerialPortFailure
