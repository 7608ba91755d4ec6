#pragma once

#include <QString>
#include <array>
#include <cstdint>

// Bits of TripRecord::Flags. The same byte goes to the relay and into the
// configuration file; bits 4 to 7 mean nothing here but are kept as found.
namespace TripFlag {
constexpr std::uint8_t Inverted = 1; // fail safe: the relay's normal state is inverted
constexpr std::uint8_t Alarm = 2;
constexpr std::uint8_t Latched = 4;
constexpr std::uint8_t Logged = 8;
} // namespace TripFlag

// Bits of TripRecord::Status, the relay's live status as last read.
namespace RelayStatusBit {
constexpr std::uint8_t Tripped = 1;
constexpr std::uint8_t Latched = 2; // stays operated until reset
constexpr std::uint8_t Acknowledged = 4;
constexpr std::uint8_t InAlarm = 8;
} // namespace RelayStatusBit

// The definition of one output relay, plus its live status.
struct TripRecord
{
    static constexpr int ParameterCount = 6;

    // The user's name for the relay; it lives only in this program and in
    // configuration files, the relay never sees it.
    QString Name;
    // The trip function as the program numbers it (0 to 27, 0 is "(UnUsed)"),
    // not the relay's function code.
    std::uint8_t FunctionIndex = 0;
    std::uint8_t Flags = 0;
    std::uint8_t Status = 0;
    // Parameters 1 to 6 at indices 0 to 5. Slots beyond the function's own
    // parameter count are kept (normally 0) and still sent and stored.
    std::array<float, ParameterCount> ParameterValues{};

    friend bool operator==(const TripRecord&, const TripRecord&) = default;
};
