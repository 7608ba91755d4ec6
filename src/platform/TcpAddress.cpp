#include "platform/TcpAddress.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace {

const QString Scheme = QStringLiteral("tcp://");

std::optional<TcpAddress> Refuse(QString* error, const QString& reason)
{
    if (error != nullptr)
        *error = reason;
    return std::nullopt;
}

// Letters, digits, hyphens (and the underscores some networks allow) in
// dot-separated labels; a run of digits and
// dots alone must be an IPv4 address, so that 192.168.1.300 is caught here
// rather than sent to a name server.
bool ValidHostName(const QString& host)
{
    static const QRegularExpression name(
        QStringLiteral("^[A-Za-z0-9_]([A-Za-z0-9_-]{0,61}[A-Za-z0-9_])?"
                       "(\\.[A-Za-z0-9_]([A-Za-z0-9_-]{0,61}[A-Za-z0-9_])?)*\\.?$"));
    static const QRegularExpression numeric(QStringLiteral("^[0-9.]+$"));
    if (numeric.match(host).hasMatch())
        return QHostAddress(host).protocol() == QAbstractSocket::IPv4Protocol;
    return host.size() <= 253 && name.match(host).hasMatch();
}

} // namespace

bool TcpAddress::IsTcpName(const QString& name)
{
    return name.trimmed().startsWith(Scheme, Qt::CaseInsensitive);
}

std::optional<TcpAddress> TcpAddress::Parse(const QString& name, QString* error)
{
    const QString text = name.trimmed();
    if (!IsTcpName(text))
        return Refuse(error, QStringLiteral("a network address begins with tcp://"));
    const QString rest = text.mid(Scheme.size());
    TcpAddress address;
    QString portText;
    if (rest.startsWith(u'[')) {
        const qsizetype close = rest.indexOf(u']');
        if (close < 0)
            return Refuse(error, QStringLiteral("the IPv6 address has no closing bracket"));
        address.Host = rest.mid(1, close - 1);
        if (QHostAddress(address.Host).protocol() != QAbstractSocket::IPv6Protocol)
            return Refuse(error, QStringLiteral("\"%1\" is not an IPv6 address").arg(address.Host));
        if (rest.mid(close + 1, 1) != u":")
            return Refuse(error, QStringLiteral("the port is missing"));
        portText = rest.mid(close + 2);
    } else {
        const qsizetype colon = rest.lastIndexOf(u':');
        if (colon < 0)
            return Refuse(error, QStringLiteral("the port is missing"));
        address.Host = rest.left(colon);
        portText = rest.mid(colon + 1);
        if (address.Host.contains(u':'))
            return Refuse(error, QStringLiteral("an IPv6 address goes in brackets, as in "
                                                "tcp://[fe80::1]:4001"));
        if (address.Host.isEmpty())
            return Refuse(error, QStringLiteral("the host is missing"));
        if (!ValidHostName(address.Host))
            return Refuse(error, QStringLiteral("\"%1\" is neither an IPv4 address nor a host name")
                                     .arg(address.Host));
    }
    bool ok = false;
    const uint port = portText.toUInt(&ok);
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    if (!digits.match(portText).hasMatch() || !ok || port < 1 || port > 65535)
        return Refuse(error, QStringLiteral("the port must be a number from 1 to 65535"));
    address.Port = quint16(port);
    return address;
}

QString TcpAddress::ToString() const
{
    const QString host = Host.contains(u':') ? u'[' + Host + u']' : Host;
    return Scheme + host + u':' + QString::number(Port);
}
