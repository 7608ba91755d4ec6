#include "RequestFramer.h"

namespace {

constexpr std::uint8_t FnReadHolding = 3;
constexpr std::uint8_t FnReadInput = 4;
constexpr std::uint8_t FnWriteMultiple = 16;
constexpr int ReadRequestLength = 8;
constexpr int WriteHeaderLength = 7;
constexpr int CrcLength = 2;

} // namespace

int RequestFramer::ExpectedLength(const QByteArray& head)
{
    if (head.size() < 2)
        return 0;
    const std::uint8_t function = std::uint8_t(head[1]);
    if (function == FnReadHolding || function == FnReadInput)
        return ReadRequestLength;
    if (function != FnWriteMultiple)
        return -1;
    if (head.size() < WriteHeaderLength)
        return 0;
    return WriteHeaderLength + std::uint8_t(head[6]) + CrcLength;
}

QList<QByteArray> RequestFramer::Feed(const QByteArray& bytes)
{
    m_Pending.append(bytes);
    QList<QByteArray> frames;
    for (;;) {
        const int length = ExpectedLength(m_Pending);
        if (length < 0 && SkipToFrame())
            continue;
        if (length <= 0 || m_Pending.size() < length)
            break;
        const QByteArray frame = m_Pending.left(length);
        if (m_CRC.CompareCRC(frame, std::int16_t(length))) {
            frames.append(frame);
            m_Pending.remove(0, length);
        } else {
            m_Pending.remove(0, 1);
        }
    }
    return frames;
}

// Noise in front of a request (a function code no request has) would hold up
// everything behind it until the line falls silent. If a whole request with a
// good CRC follows, the bytes before it are dropped.
bool RequestFramer::SkipToFrame()
{
    for (qsizetype offset = 1; offset + 1 < m_Pending.size(); ++offset) {
        const QByteArray rest = m_Pending.mid(offset);
        const int length = ExpectedLength(rest);
        if (length > 0 && rest.size() >= length && m_CRC.CompareCRC(rest, std::int16_t(length))) {
            m_Pending = rest;
            return true;
        }
    }
    return false;
}

QByteArray RequestFramer::Flush()
{
    return std::exchange(m_Pending, {});
}
