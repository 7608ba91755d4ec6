#include "BytePacer.h"

#include <algorithm>

using std::chrono::microseconds;
using std::chrono::milliseconds;

namespace {

// Noise never falls silent: at least one byte a millisecond would do, but a
// gap of 1 ms keeps the timer from spinning when asked for less.
constexpr microseconds ShortestNoiseGap{1000};

} // namespace

BytePacer::BytePacer(QObject* parent)
    : QObject(parent)
{
    m_Timer.setSingleShot(true);
    m_Timer.setTimerType(Qt::PreciseTimer);
    connect(&m_Timer, &QTimer::timeout, this, &BytePacer::OnTimer);
}

void BytePacer::Send(const SlaveReply& reply, qsizetype requestBytes)
{
    Stop();
    if (reply.IsSilent())
        return;
    m_Reply = reply;
    m_Sent = 0;
    m_Clock.start();
    // A byte is there once its last bit has been sent.
    m_NextDueUs = microseconds(m_Latency + reply.Delay).count()
                  + requestBytes * m_CharacterTime.count() + Spacing().count();
    ScheduleNext();
}

void BytePacer::Stop()
{
    m_Timer.stop();
    m_Reply = {};
    m_Sent = 0;
}

microseconds BytePacer::Spacing() const
{
    if (m_Sent >= m_Reply.Bytes.size())
        return std::max({m_CharacterTime, microseconds(m_Reply.BabbleGap), ShortestNoiseGap});
    return std::max(m_CharacterTime, microseconds(m_Reply.Gap));
}

void BytePacer::OnTimer()
{
    const qint64 nowUs = m_Clock.nsecsElapsed() / 1000;
    QByteArray due;
    while (nowUs >= m_NextDueUs) {
        const bool trickling = m_Sent < m_Reply.Bytes.size() && m_Reply.Gap.count() > 0;
        if (m_Sent < m_Reply.Bytes.size())
            due.append(m_Reply.Bytes[m_Sent]);
        else if (m_Reply.Babble)
            due.append(char(m_Noise += 0x5B)); // any changing pattern will do
        else
            break;
        ++m_Sent;
        // A pause counts from the byte before it, like a trickle's gaps.
        if (m_Sent == m_Reply.PauseAfter && m_Reply.Pause.count() > 0
            && m_Sent < m_Reply.Bytes.size()) {
            m_NextDueUs = nowUs + microseconds(m_Reply.Pause).count();
            break;
        }
        // At line speed a late timer catches up, as the total time is what
        // counts; a trickle's gaps are the point, so they count from the
        // byte actually sent.
        if (trickling) {
            m_NextDueUs = nowUs + Spacing().count();
            break;
        }
        m_NextDueUs += Spacing().count();
    }
    const bool more = m_Sent < m_Reply.Bytes.size() || m_Reply.Babble;
    const bool hangUp = !more && m_Reply.HangUp;
    if (more)
        ScheduleNext();
    else
        Stop();
    // Last: a receiver may stop or restart this pacer from the signals.
    if (!due.isEmpty())
        Q_EMIT BytesSent(due);
    if (hangUp)
        Q_EMIT HungUp();
}

void BytePacer::ScheduleNext()
{
    const qint64 waitUs = std::max<qint64>(0, m_NextDueUs - m_Clock.nsecsElapsed() / 1000);
    m_Timer.start(int((waitUs + 999) / 1000));
}
