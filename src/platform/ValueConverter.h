#pragma once

#include <cstdint>

// Conversion between the four data bytes of a register pair and the relay's
// IEEE-754 single. b1..b4 are the bytes in wire order (high then low byte of
// the first register, high then low byte of the second).
//   word order 0: the first register holds the high half (3F 80 00 00 is 1.0)
//   word order 1: the two registers are swapped      (00 00 3F 80 is 1.0)
// Any non-zero word order selects 1. The conversion is bit-exact both ways,
// NaN and infinity included; deciding what such a value means is the caller's
// business.
float fnBTF(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4, int wordOrder);
void fnFTB(float value, std::uint8_t& b1, std::uint8_t& b2, std::uint8_t& b3, std::uint8_t& b4,
           int wordOrder);
