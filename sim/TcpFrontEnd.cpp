#include "TcpFrontEnd.h"

#include "SlaveSession.h"
#include "platform/TcpAddress.h"

#include <QTcpSocket>
#include <sys/socket.h>

TcpFrontEnd::TcpFrontEnd(SlaveSession& session, std::function<void(const QString&)> log,
                         QObject* parent)
    : QObject(parent)
    , m_Session(session)
    , m_Log(std::move(log))
{
    connect(&m_Server, &QTcpServer::newConnection, this, &TcpFrontEnd::AcceptPending);
    connect(&m_Session, &SlaveSession::Transmit, this, &TcpFrontEnd::Send);
}

bool TcpFrontEnd::Listen(const QHostAddress& address, quint16 port, QString& error)
{
    if (!m_Server.listen(address, port)) {
        error = QStringLiteral("cannot listen on %1: %2")
                    .arg(TcpAddress{address.toString(), port}.ToString(), m_Server.errorString());
        return false;
    }
    return true;
}

QString TcpFrontEnd::Address() const
{
    return TcpAddress{m_Server.serverAddress().toString(), m_Server.serverPort()}.ToString();
}

void TcpFrontEnd::AcceptPending()
{
    while (QTcpSocket* socket = m_Server.nextPendingConnection()) {
        if (m_Client != nullptr && !ClientGone()) {
            m_Log(QStringLiteral("tzl-relay-sim: refused %1: %2 is connected (one client at a "
                                 "time)")
                      .arg(Peer(*socket), Peer(*m_Client)));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (m_Client != nullptr)
            m_Client->deleteLater();
        m_Session.Stop();
        m_Client = socket;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        const QString peer = Peer(*socket);
        if (m_Verbose)
            m_Log(QStringLiteral("-- %1 connected").arg(peer));
        connect(socket, &QTcpSocket::readyRead, this,
                [this, socket] { m_Session.BytesReceived(socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, peer] {
            if (m_Verbose)
                m_Log(QStringLiteral("-- %1 disconnected").arg(peer));
            // The rest of an answer in flight was for that client only.
            if (socket == m_Client)
                m_Session.Stop();
            socket->deleteLater();
        });
    }
}

// A master that closes its connection after each transaction and at once
// opens the next can be heard connecting before its goodbye has been dealt
// with; the goodbye is already waiting, and must not cost it the connection.
bool TcpFrontEnd::ClientGone() const
{
    if (m_Client->state() != QAbstractSocket::ConnectedState)
        return true;
    char byte = 0;
    return ::recv(int(m_Client->socketDescriptor()), &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

void TcpFrontEnd::Send(const QByteArray& bytes)
{
    if (m_Client == nullptr || m_Client->state() != QAbstractSocket::ConnectedState)
        return;
    m_Client->write(bytes);
    // Out now, as a line would have it, and before a hang-up ends the program.
    m_Client->flush();
}

QString TcpFrontEnd::Peer(const QTcpSocket& socket)
{
    return TcpAddress{socket.peerAddress().toString(), socket.peerPort()}.ToString();
}
