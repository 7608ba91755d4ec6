#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

// CRC-16 of Modbus RTU frames (reflected polynomial 0xA001, start 0xFFFF),
// computed with the two byte tables of the Modbus serial-line standard.
class cModbusCRC
{
public:
    cModbusCRC();

    // CRC of the first `count` bytes; 0xFFFF for none. A count beyond the
    // array is cut to the array's length.
    std::int32_t GenerateCRC(const QByteArray& bytes, std::int16_t count) const;
    // True when the last two bytes of a frame of `length` bytes hold the CRC of
    // the bytes before them, low byte first. Shorter than two bytes: false.
    bool CompareCRC(const QByteArray& frame, std::int16_t length) const;

    // Bytes of a CRC value; a value whose byte would fall outside 0..255 throws
    // std::overflow_error instead of truncating silently.
    static std::uint8_t GetLoByte(const std::int32_t& crc);
    static std::uint8_t GetHiByte(const std::int32_t& crc);

private:
    std::array<std::uint8_t, 256> m_HighTable{};
    std::array<std::uint8_t, 256> m_LowTable{};
};
