#pragma once

#include <cstdint>

// A trip parameter as the relay keeps it: time delays and dials in tenths,
// curve numbers and relay inputs in whole numbers, everything else as sent.
// The editor rounds what the user types this way, and a comparison rounds
// both sides so that a value the relay would store identically is no
// difference.
float RoundAsRelayStores(std::int16_t functionIndex, std::int16_t position, float value);
