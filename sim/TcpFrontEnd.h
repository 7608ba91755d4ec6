#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <functional>

class QTcpSocket;
class SlaveSession;

// Serves the relay as a serial device server would: RTU frames through a TCP
// connection, unchanged and paced as on the line behind it. One client at a
// time, as a device server's port is one serial line; a second is refused
// (connected, logged and closed at once). When a client goes, whatever was
// still being sent to it is dropped.
class TcpFrontEnd : public QObject
{
    Q_OBJECT
public:
    TcpFrontEnd(SlaveSession& session, std::function<void(const QString&)> log,
                QObject* parent = nullptr);

    // Port 0 lets the system pick a free one. False with a reason on failure.
    bool Listen(const QHostAddress& address, quint16 port, QString& error);
    // "tcp://127.0.0.1:PORT", the port the one actually listened on.
    QString Address() const;
    // Connection comings and goings are logged only when this is on;
    // refusals always are.
    void SetVerbose(bool on) { m_Verbose = on; }

private:
    void AcceptPending();
    bool ClientGone() const;
    void Send(const QByteArray& bytes);
    static QString Peer(const QTcpSocket& socket);

    SlaveSession& m_Session;
    std::function<void(const QString&)> m_Log;
    QTcpServer m_Server;
    QPointer<QTcpSocket> m_Client;
    bool m_Verbose = false;
};
