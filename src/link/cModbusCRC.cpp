#include "link/cModbusCRC.h"

#include <algorithm>
#include <stdexcept>

namespace {

std::uint16_t ReflectedTableValue(unsigned index)
{
    std::uint16_t value = std::uint16_t(index);
    for (int bit = 0; bit < 8; ++bit)
        value = (value & 1u) ? std::uint16_t((value >> 1) ^ 0xA001u) : std::uint16_t(value >> 1);
    return value;
}

} // namespace

cModbusCRC::cModbusCRC()
{
    // The standard's "high-order" table holds the low byte of the reflected
    // table value and its "low-order" table the high byte; the algorithm below
    // is written in the standard's terms, so the names follow it.
    for (unsigned i = 0; i < 256; ++i)
        m_HighTable[i] = std::uint8_t(ReflectedTableValue(i) & 0xFF);
    for (unsigned i = 0; i < 256; ++i)
        m_LowTable[i] = std::uint8_t(ReflectedTableValue(i) >> 8);
}

std::int32_t cModbusCRC::GenerateCRC(const QByteArray& bytes, std::int16_t count) const
{
    std::uint8_t high = 0xFF;
    std::uint8_t low = 0xFF;
    const qsizetype covered = std::clamp<qsizetype>(count, 0, bytes.size());
    for (qsizetype i = 0; i < covered; ++i) {
        const std::uint8_t index = low ^ std::uint8_t(bytes[i]);
        low = high ^ m_HighTable[index];
        high = m_LowTable[index];
    }
    return std::int32_t(high) * 256 + low;
}

bool cModbusCRC::CompareCRC(const QByteArray& frame, std::int16_t length) const
{
    if (length < 2 || length > frame.size())
        return false;
    const std::int32_t crc = GenerateCRC(frame, std::int16_t(length - 2));
    const std::int32_t sent =
        std::int32_t(std::uint8_t(frame[length - 1])) * 256 + std::uint8_t(frame[length - 2]);
    return crc == sent;
}

std::uint8_t cModbusCRC::GetLoByte(const std::int32_t& crc)
{
    if (crc < 0)
        throw std::overflow_error("Overflow");
    return std::uint8_t(crc % 256);
}

std::uint8_t cModbusCRC::GetHiByte(const std::int32_t& crc)
{
    if (crc < 0 || crc > 65535)
        throw std::overflow_error("Overflow");
    return std::uint8_t(crc / 256);
}
