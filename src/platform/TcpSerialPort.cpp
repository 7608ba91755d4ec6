#include "platform/TcpSerialPort.h"

#include "platform/SerialLineSettings.h"

TcpSerialPort::TcpSerialPort()
    : m_SettingsText(QStringLiteral("9600,N,8,1"))
{
    m_ConnectTimeout.setSingleShot(true);
    // Started before the link's own response timer with the same interval,
    // so a connection that never comes is reported as such, not as an answer
    // that never came.
    m_ConnectTimeout.setTimerType(Qt::PreciseTimer);
    m_ConnectTimeout.setInterval(3000);
    QObject::connect(&m_ConnectTimeout, &QTimer::timeout, &m_Socket, [this] { ConnectTimedOut(); });
    QObject::connect(&m_Socket, &QAbstractSocket::connected, &m_ConnectTimeout, &QTimer::stop);
    QObject::connect(&m_Socket, &QAbstractSocket::errorOccurred, &m_Socket,
                     [this](QAbstractSocket::SocketError error) { SocketFailed(error); });
}

void TcpSerialPort::SetPortName(const QString& name)
{
    m_Name = name;
}

QString TcpSerialPort::PortName() const
{
    return m_Name;
}

bool TcpSerialPort::SetSettings(const QString& settings)
{
    if (!SerialLineSettings::Parse(settings))
        return false;
    m_SettingsText = settings;
    return true;
}

QString TcpSerialPort::Settings() const
{
    return m_SettingsText;
}

void TcpSerialPort::SetOpenTimeout(int ms)
{
    m_ConnectTimeout.setInterval(ms);
}

bool TcpSerialPort::Open()
{
    QString error;
    const auto address = TcpAddress::Parse(m_Name, &error);
    if (!address) {
        m_ErrorDescription =
            QStringLiteral("\"%1\" is not a network address: %2").arg(m_Name, error);
        m_ErrorSource = QStringLiteral("Open ") + m_Name;
        return false;
    }
    m_Address = *address;
    m_Open = true;
    return true;
}

void TcpSerialPort::Close()
{
    m_Open = false;
    m_ConnectTimeout.stop();
    m_Socket.abort();
}

bool TcpSerialPort::IsOpen() const
{
    return m_Open;
}

// A connection kept from the last transaction that the server has dropped
// meanwhile is simply made again: only one that fails during a transaction
// is the line's failure.
bool TcpSerialPort::Write(const QByteArray& frame)
{
    if (m_Socket.state() == QAbstractSocket::UnconnectedState)
        Connect();
    // Refused at once (a local address): the wait for the answer reports it.
    if (m_Failed)
        return true;
    // While the connection is being made the socket keeps the request and
    // sends it once connected.
    if (m_Socket.write(frame) != frame.size()) {
        Fail(m_Socket.errorString(), QStringLiteral("Write"));
        return false;
    }
    return true;
}

void TcpSerialPort::Connect()
{
    m_Failed = false;
    m_ConnectTimeout.start();
    m_Socket.connectToHost(m_Address.Host, m_Address.Port);
    // Frames are small and every millisecond of delay is time-out lost.
    m_Socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

void TcpSerialPort::DiscardInput()
{
    ReadAll();
}

qint64 TcpSerialPort::BytesWaiting()
{
    return m_Failed ? -1 : m_Socket.bytesAvailable();
}

// What a server sent before closing the connection stays readable; a socket
// given up on has nothing.
QByteArray TcpSerialPort::PeekWaiting()
{
    return m_Socket.isOpen() ? m_Socket.peek(m_Socket.bytesAvailable()) : QByteArray();
}

QByteArray TcpSerialPort::ReadAll()
{
    return m_Socket.isOpen() ? m_Socket.readAll() : QByteArray();
}

QString TcpSerialPort::ErrorDescription() const
{
    return m_ErrorDescription;
}

QString TcpSerialPort::ErrorSource() const
{
    return m_ErrorSource;
}

void TcpSerialPort::SocketFailed(QAbstractSocket::SocketError error)
{
    if (!m_Open)
        return;
    const QString address = m_Address.ToString();
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        Fail(QStringLiteral("%1 refused the connection").arg(address), QStringLiteral("Connect"));
        break;
    case QAbstractSocket::HostNotFoundError:
        Fail(QStringLiteral("The host of %1 is not known").arg(address), QStringLiteral("Connect"));
        break;
    case QAbstractSocket::RemoteHostClosedError:
        Fail(QStringLiteral("%1 closed the connection").arg(address), QStringLiteral("Read"));
        break;
    default:
        Fail(QStringLiteral("%1: %2").arg(address, m_Socket.errorString()),
             m_Socket.state() == QAbstractSocket::ConnectedState ? QStringLiteral("Read")
                                                                 : QStringLiteral("Connect"));
        break;
    }
}

void TcpSerialPort::ConnectTimedOut()
{
    if (m_Socket.state() == QAbstractSocket::ConnectedState)
        return;
    m_Socket.abort();
    Fail(QStringLiteral("No connection to %1 within %2 ms")
             .arg(m_Address.ToString())
             .arg(m_ConnectTimeout.interval()),
         QStringLiteral("Connect"));
}

void TcpSerialPort::Fail(const QString& description, const QString& action)
{
    m_ConnectTimeout.stop();
    m_Failed = true;
    m_ErrorDescription = description;
    m_ErrorSource = action + u' ' + m_Address.ToString();
}
