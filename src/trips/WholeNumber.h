#pragma once

#include <cstdint>
#include <optional>

// The whole number nearest to value, halves going to the even neighbour (the
// way relay values and file numbers have always been converted), when it lies
// in minimum to maximum; nothing for a value out of that range or not a
// number, which callers treat as bad data rather than wrapping it around.
std::optional<std::int64_t> RoundToWhole(double value, std::int64_t minimum, std::int64_t maximum);
