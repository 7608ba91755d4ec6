#include "link/ResponseFraming.h"

#include "link/ModbusFrames.h"

#include <cstdint>

namespace ResponseFraming {

namespace {

constexpr int WriteResponseLength = 8;
constexpr int ExceptionResponseLength = 5;

std::uint8_t ByteAt(const QByteArray& frame, int offset)
{
    return std::uint8_t(frame[offset]);
}

// The length a whole answer to the request must have, judged from the bytes
// in so far; 0 when they cannot begin one.
int ExpectedLength(const QByteArray& request, const QByteArray& received)
{
    if (request.size() < 6 || received.size() < 3 || received[0] != request[0])
        return 0;
    const std::uint8_t function = ByteAt(request, 1);
    if (ByteAt(received, 1) == (function | 0x80))
        return ExceptionResponseLength;
    if (ByteAt(received, 1) != function)
        return 0;
    if (function == ModbusFrames::FnWriteMultiple)
        return WriteResponseLength;
    if (function != ModbusFrames::FnReadHolding && function != ModbusFrames::FnReadInput)
        return 0;
    const int count = (ByteAt(request, 4) << 8) | ByteAt(request, 5);
    const int dataBytes = 4 * (count / 2);
    if (ByteAt(received, 2) != dataBytes)
        return 0;
    return 3 + dataBytes + 2;
}

} // namespace

bool IsComplete(const cModbusCRC& crc, const QByteArray& request, const QByteArray& received)
{
    const int length = ExpectedLength(request, received);
    return length > 0 && received.size() == length
           && crc.CompareCRC(received, std::int16_t(length));
}

} // namespace ResponseFraming
