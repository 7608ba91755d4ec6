#pragma once

#include "BytePacer.h"
#include "RequestFramer.h"

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

class RtuSlave;

// The relay's side of a serial line, whatever carries the bytes: received
// bytes are framed into requests, each request is answered by the RTU slave,
// and the answer goes back paced like a real line. The front end (a
// pseudo-terminal or a serial device) only moves bytes in and out.
class SlaveSession : public QObject
{
    Q_OBJECT
public:
    explicit SlaveSession(RtuSlave& slave, QObject* parent = nullptr);

    // Character time of the line; also sets the turnaround before an answer
    // and the silence that ends an incomplete request.
    void SetCharacterTime(std::chrono::microseconds perCharacter);
    // Receives one line per frame in and out, e.g. "RX 01 03 00 06 00 06 ..".
    void SetLog(std::function<void(const QString&)> log) { m_Log = std::move(log); }

    void BytesReceived(const QByteArray& bytes);
    // The port, or the client on it, has gone: nothing more of what was under
    // way is sent, and a half-heard request is forgotten. Serving goes on with
    // the next bytes received.
    void Stop();

Q_SIGNALS:
    void Transmit(const QByteArray& bytes);
    // An answer ending in a hang-up has gone out: the relay is to disappear.
    void HungUp();

private:
    void HandleFrame(const QByteArray& frame);
    void Log(const QString& line) const;

    RtuSlave& m_Slave;
    RequestFramer m_Framer;
    BytePacer m_Pacer;
    QTimer m_Silence;
    std::function<void(const QString&)> m_Log;
};
