#pragma once

#include <QString>
#include <optional>

// Where a relay is reached through a serial device server: "tcp://HOST:PORT",
// the host an IPv4 address, an IPv6 address in brackets or a host name. Such
// a name stands wherever a serial device does. Wire-level: the link's port,
// the command lines, the settings dialog and the simulator all read it.
struct TcpAddress
{
    QString Host; // without brackets
    quint16 Port = 0;

    // True for any name written as a network address, well-formed or not;
    // anything else is a serial device.
    static bool IsTcpName(const QString& name);
    // Nothing, and the reason in `error`, for a name that is not a complete
    // address (no host, a port that is not 1 to 65535, a bad IPv6 address).
    static std::optional<TcpAddress> Parse(const QString& name, QString* error = nullptr);
    // "tcp://HOST:PORT", with brackets around an IPv6 host.
    QString ToString() const;
};
