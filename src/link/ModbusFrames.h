#pragma once

#include "link/cModbusCRC.h"

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

// Building requests and taking responses apart, free of any I/O, so each
// layout can be checked against known frames.
namespace ModbusFrames {

constexpr std::uint8_t FnReadHolding = 3;
constexpr std::uint8_t FnReadInput = 4;
constexpr std::uint8_t FnWriteMultiple = 16;
// Shortest frame that can be a response: an exception (slave, function, code, CRC).
constexpr int MinimumResponseLength = 5;
// Stands in for a register pair that decodes to NaN or infinity.
constexpr float OverflowValue = 1234567.875f;

// Appends the CRC of the whole frame, low byte first.
void AppendCRC(const cModbusCRC& crc, QByteArray& frame);

QByteArray BuildReadRequest(const cModbusCRC& crc, std::uint8_t slave, std::uint8_t function,
                            std::int16_t start, std::int16_t count);
// Function 16 writing `count` registers from `start`: 2 x count + 9 bytes. The
// values (count / 2 of them) fill the data bytes from the first; a register
// left over by an odd count is sent as zeros.
QByteArray BuildWriteRequest(const cModbusCRC& crc, std::uint8_t slave, std::int16_t start,
                             std::int16_t count, const std::vector<float>& values, int wordOrder);

bool IsExceptionResponse(const QByteArray& response);

// How a response with a good CRC, other than an exception, fits its request.
// Without these checks a relay's stray answer (a late one, another slave's,
// one to another function) would be taken for the values asked for.
enum class ResponseFit {
    Fits,
    OtherSlave,
    OtherFunction,
    // A read answered, in a frame of its own length, with fewer registers.
    TooFewRegisters,
    // A read answer whose byte count disagrees with its length or the request.
    ByteCountWrong,
};
ResponseFit CheckResponse(const QByteArray& request, const QByteArray& response);
// True when bytes 2..5 of a write response repeat those of the request.
bool WriteEchoMatches(const QByteArray& request, const QByteArray& response);

// The count / 2 values of a read response, or nothing when the response holds
// fewer data bytes than they need.
std::optional<std::vector<float>> DecodeReadValues(const QByteArray& response, std::int16_t count,
                                                   int wordOrder);

} // namespace ModbusFrames
