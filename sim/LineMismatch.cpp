#include "LineMismatch.h"

#include <bit>
#include <cstdint>

namespace {

// The bit that follows the data: the parity bit, or the stop bit (1) when
// there is no parity.
bool BitAfterData(std::uint8_t byte, QChar parity)
{
    const bool oddOnes = std::popcount(byte) % 2 == 1;
    if (parity == u'E')
        return oddOnes;
    if (parity == u'O')
        return !oddOnes;
    return true;
}

} // namespace

bool LineMismatch::RelayHears(const SerialLineSettings& relay, const SerialLineSettings& master)
{
    return relay.BaudRate == master.BaudRate && relay.DataBits == master.DataBits;
}

QByteArray LineMismatch::AsReceived(const QByteArray& sent, QChar relayParity, QChar masterParity)
{
    if (relayParity == masterParity)
        return sent;
    QByteArray received;
    for (const char c : sent) {
        const auto byte = std::uint8_t(c);
        // Without parity from the relay, its stop bit (1) is what the master
        // checks as parity.
        const bool sentBit = BitAfterData(byte, relayParity);
        if (sentBit == BitAfterData(byte, masterParity))
            received.append(c);
    }
    return received;
}
