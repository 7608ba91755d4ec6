#pragma once

#include "RtuSlave.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>

// Puts an answer on the line at the pace a real line would: one character per
// character time of the baud rate, after the relay's turnaround latency, with
// the delays, gaps and noise of an injected fault. A pseudo-terminal and an
// in-process loopback deliver bytes instantly, so without this a master would
// never see a real answer's timing. Driven by one timer; never waits itself.
class BytePacer : public QObject
{
    Q_OBJECT
public:
    explicit BytePacer(QObject* parent = nullptr);

    // 0 sends the whole answer in one piece once the latency has passed.
    void SetCharacterTime(std::chrono::microseconds perCharacter)
    {
        m_CharacterTime = perCharacter;
    }
    std::chrono::microseconds CharacterTime() const { return m_CharacterTime; }
    // Time between the end of the request and the first byte of the answer.
    void SetLatency(std::chrono::milliseconds latency) { m_Latency = latency; }
    std::chrono::milliseconds Latency() const { return m_Latency; }

    // Starts sending an answer; whatever was still being sent is dropped.
    // `requestBytes` is the length of the request just received: a line
    // carries it for that many character times before the relay has all of
    // it, which a pseudo-terminal skips, so the answer waits for them too.
    void Send(const SlaveReply& reply, qsizetype requestBytes = 0);
    // Drops what is still to be sent, noise included.
    void Stop();
    bool IsSending() const { return m_Timer.isActive(); }

Q_SIGNALS:
    // Bytes that have just gone onto the line.
    void BytesSent(const QByteArray& bytes);
    // The last byte of an answer that ends in a hang-up has gone.
    void HungUp();

private:
    void OnTimer();
    void ScheduleNext();
    std::chrono::microseconds Spacing() const;

    QTimer m_Timer;
    QElapsedTimer m_Clock;
    std::chrono::microseconds m_CharacterTime{};
    std::chrono::milliseconds m_Latency{1};
    SlaveReply m_Reply;
    qsizetype m_Sent = 0;
    qint64 m_NextDueUs = 0; // when the next byte is due, on m_Clock
    quint8 m_Noise = 0;
};
