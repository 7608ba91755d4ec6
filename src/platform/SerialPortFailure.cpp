#include "platform/SerialPortFailure.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace SerialPortFailure {

Cause DiagnoseOpen(const QString& device, bool qtRefused)
{
    // The open Qt made, repeated without its lock file and settings: the
    // kernel's answer is the cause.
    const int handle =
        ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (handle >= 0) {
        ::close(handle);
        // The device opens, so what Qt refused was the lock another program
        // holds on it.
        return qtRefused ? Cause::InUse : Cause::Other;
    }
    switch (errno) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return Cause::NotConnected;
    case EACCES:
    case EPERM:
        return Cause::NoPermission;
    case EBUSY:
        return Cause::InUse;
    default:
        return Cause::Other;
    }
}

QString Text(Cause cause, const QString& device, const QString& otherText)
{
    switch (cause) {
    case Cause::NotConnected:
        return QStringLiteral("%1 is not connected - is the adapter plugged in?").arg(device);
    case Cause::NoPermission:
        // Debian's serial devices belong to the group dialout.
        return QStringLiteral("%1 may not be opened by this user - add your user to the dialout "
                              "group and log in again")
            .arg(device);
    case Cause::InUse:
        return QStringLiteral("%1 is in use by another program").arg(device);
    case Cause::WentAway:
        return QStringLiteral("%1 went away during the transaction - was the adapter unplugged?")
            .arg(device);
    case Cause::Other:
        break;
    }
    return QStringLiteral("%1 could not be used: %2").arg(device, otherText);
}

} // namespace SerialPortFailure
