#include "platform/ValueConverter.h"

#include <bit>

float fnBTF(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4, int wordOrder)
{
    const std::uint32_t first = (std::uint32_t(b1) << 8) | b2;
    const std::uint32_t second = (std::uint32_t(b3) << 8) | b4;
    const std::uint32_t bits = wordOrder == 0 ? (first << 16) | second : (second << 16) | first;
    return std::bit_cast<float>(bits);
}

void fnFTB(float value, std::uint8_t& b1, std::uint8_t& b2, std::uint8_t& b3, std::uint8_t& b4,
           int wordOrder)
{
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    const std::uint32_t high = bits >> 16;
    const std::uint32_t low = bits & 0xFFFFu;
    const std::uint32_t first = wordOrder == 0 ? high : low;
    const std::uint32_t second = wordOrder == 0 ? low : high;
    b1 = std::uint8_t(first >> 8);
    b2 = std::uint8_t(first & 0xFF);
    b3 = std::uint8_t(second >> 8);
    b4 = std::uint8_t(second & 0xFF);
}
