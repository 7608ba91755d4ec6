#include "SlaveSession.h"

#include "RtuSlave.h"

#include <algorithm>

using std::chrono::duration_cast;
using std::chrono::microseconds;
using std::chrono::milliseconds;

namespace {

// A relay needs a moment to turn the line round; a master never sees an
// answer sooner than this.
constexpr milliseconds ShortestTurnaround{2};
// An incomplete request is given up after this much silence.
constexpr milliseconds ShortestResyncSilence{20};

QString Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ')).toUpper();
}

} // namespace

SlaveSession::SlaveSession(RtuSlave& slave, QObject* parent)
    : QObject(parent)
    , m_Slave(slave)
{
    m_Silence.setSingleShot(true);
    connect(&m_Silence, &QTimer::timeout, this, [this] {
        const QByteArray rest = m_Framer.Flush();
        if (!rest.isEmpty())
            HandleFrame(rest);
    });
    connect(&m_Pacer, &BytePacer::BytesSent, this, &SlaveSession::Transmit);
    connect(&m_Pacer, &BytePacer::HungUp, this, &SlaveSession::HungUp);
    SetCharacterTime(microseconds(0));
}

void SlaveSession::SetCharacterTime(microseconds perCharacter)
{
    m_Pacer.SetCharacterTime(perCharacter);
    // The Modbus gap between frames is 3.5 characters.
    const auto gap = duration_cast<milliseconds>(perCharacter * 7 / 2 + microseconds(999));
    m_Pacer.SetLatency(std::max(gap, ShortestTurnaround));
    m_Silence.setInterval(std::max(gap, ShortestResyncSilence));
}

void SlaveSession::BytesReceived(const QByteArray& bytes)
{
    for (const QByteArray& frame : m_Framer.Feed(bytes))
        HandleFrame(frame);
    if (m_Framer.HasPending())
        m_Silence.start();
    else
        m_Silence.stop();
}

void SlaveSession::Stop()
{
    m_Pacer.Stop();
    m_Silence.stop();
    m_Framer.Flush();
}

void SlaveSession::HandleFrame(const QByteArray& frame)
{
    Log(QStringLiteral("RX ") + Hex(frame));
    const SlaveReply reply = m_Slave.HandleRequest(frame);
    if (reply.IsSilent()) {
        Log(QStringLiteral("-- no answer"));
    } else {
        QString line = QStringLiteral("TX ") + Hex(reply.Bytes);
        if (reply.Delay.count() > 0)
            line += QStringLiteral(" (after %1 ms)").arg(reply.Delay.count());
        if (reply.Gap.count() > 0)
            line += QStringLiteral(" (%1 ms between bytes)").arg(reply.Gap.count());
        if (reply.Babble)
            line += QStringLiteral(" (then noise every %1 ms)").arg(reply.BabbleGap.count());
        if (reply.Pause.count() > 0)
            line += QStringLiteral(" (silent for %1 ms after %2 bytes)")
                        .arg(reply.Pause.count())
                        .arg(reply.PauseAfter);
        if (reply.HangUp)
            line += QStringLiteral(" (then hangs up)");
        Log(line);
    }
    // A new request also silences noise still going out for the last one.
    m_Pacer.Send(reply, frame.size());
}

void SlaveSession::Log(const QString& line) const
{
    if (m_Log)
        m_Log(line);
}
