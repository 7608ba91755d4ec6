#include "link/ModbusFrames.h"

#include "platform/ValueConverter.h"

#include <cmath>

namespace ModbusFrames {

namespace {

void AppendWord(QByteArray& frame, std::int16_t value)
{
    const auto word = std::uint16_t(value);
    frame.append(char(word >> 8));
    frame.append(char(word & 0xFF));
}

} // namespace

void AppendCRC(const cModbusCRC& crc, QByteArray& frame)
{
    const std::int32_t check = crc.GenerateCRC(frame, std::int16_t(frame.size()));
    frame.append(char(cModbusCRC::GetLoByte(check)));
    frame.append(char(cModbusCRC::GetHiByte(check)));
}

QByteArray BuildReadRequest(const cModbusCRC& crc, std::uint8_t slave, std::uint8_t function,
                            std::int16_t start, std::int16_t count)
{
    QByteArray frame;
    frame.append(char(slave));
    frame.append(char(function));
    AppendWord(frame, start);
    AppendWord(frame, count);
    AppendCRC(crc, frame);
    return frame;
}

QByteArray BuildWriteRequest(const cModbusCRC& crc, std::uint8_t slave, std::int16_t start,
                             std::int16_t count, const std::vector<float>& values, int wordOrder)
{
    QByteArray frame;
    frame.append(char(slave));
    frame.append(char(FnWriteMultiple));
    AppendWord(frame, start);
    AppendWord(frame, count);
    frame.append(char(2 * count));
    for (float value : values) {
        std::uint8_t b1, b2, b3, b4;
        fnFTB(value, b1, b2, b3, b4, wordOrder);
        frame.append(char(b1));
        frame.append(char(b2));
        frame.append(char(b3));
        frame.append(char(b4));
    }
    // The byte count promises 2 x count data bytes. An odd count leaves one
    // register no value covers: it goes as zeros rather than as a frame
    // shorter than its byte count says.
    frame.resize(7 + 2 * count, '\0');
    AppendCRC(crc, frame);
    return frame;
}

bool IsExceptionResponse(const QByteArray& response)
{
    return response.size() > 1 && (std::uint8_t(response[1]) & 0x80) != 0;
}

ResponseFit CheckResponse(const QByteArray& request, const QByteArray& response)
{
    if (response.size() < 3 || request.size() < 6)
        return ResponseFit::ByteCountWrong;
    if (response[0] != request[0])
        return ResponseFit::OtherSlave;
    if (response[1] != request[1])
        return ResponseFit::OtherFunction;
    const auto function = std::uint8_t(request[1]);
    if (function != FnReadHolding && function != FnReadInput)
        return ResponseFit::Fits;
    // Slave, function and byte count before the data, the CRC after them.
    const qsizetype carried = response.size() - 5;
    const int byteCount = std::uint8_t(response[2]);
    const int count = (std::uint8_t(request[4]) << 8) | std::uint8_t(request[5]);
    // Values take two registers each, so an odd count's last register is no
    // part of any value: an answer may leave it out, as fast response
    // detection expects, or carry it, as the protocol has it.
    const int asked = 2 * count;
    const int needed = 4 * (count / 2);
    if (byteCount == carried && byteCount < needed)
        return ResponseFit::TooFewRegisters;
    if (byteCount != carried || (byteCount != asked && byteCount != needed))
        return ResponseFit::ByteCountWrong;
    return ResponseFit::Fits;
}

bool WriteEchoMatches(const QByteArray& request, const QByteArray& response)
{
    return request.size() >= 6 && response.size() >= 6 && request.mid(2, 4) == response.mid(2, 4);
}

std::optional<std::vector<float>> DecodeReadValues(const QByteArray& response, std::int16_t count,
                                                   int wordOrder)
{
    const int valueCount = count / 2;
    // Data start at offset 3; the CRC follows them.
    if (valueCount < 0 || response.size() < 3 + 4 * valueCount + 2)
        return std::nullopt;
    std::vector<float> values(static_cast<std::size_t>(valueCount));
    for (int i = 0; i < valueCount; ++i) {
        const auto at = [&](int offset) { return std::uint8_t(response[3 + 4 * i + offset]); };
        const float value = fnBTF(at(0), at(1), at(2), at(3), wordOrder);
        values[std::size_t(i)] = std::isfinite(value) ? value : OverflowValue;
    }
    return values;
}

} // namespace ModbusFrames
