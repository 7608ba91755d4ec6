#pragma once

#include <QDateTime>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

// Which register table a Modbus request addresses: holding registers (read
// with function 3, written with 16) or input registers (read with function 4).
enum class RegisterKind { Holding, Input };

// Modbus exception codes a relay sends back; None means the access succeeded.
enum class ModbusException : std::uint8_t {
    None = 0,
    IllegalFunction = 1,
    IllegalDataAddress = 2,
    IllegalDataValue = 3,
    SlaveDeviceFailure = 4,
};

// One output relay's definition as the relay stores it.
struct TripDefinition
{
    int FunctionCode = 0; // the relay's function code 0..27, not the program's function index
    int Flags = 0;        // fail safe 1, alarm 2, latched 4, logged 8 (higher bits kept)
    std::array<float, 6> Parameters{};

    bool operator==(const TripDefinition&) const = default;
};

// One entry of the relay's event log.
struct RelayEvent
{
    int Number = 0; // 1..50 on a healthy relay; anything else is delivered as given
    int Relay = 0;  // output relay that operated
    QDateTime When; // the relay keeps the year as two digits

    bool operator==(const RelayEvent&) const = default;
};

// A request the relay heard, in the order heard, with the values it carried
// (decoded with the relay's word order). Reads carry no values.
struct RegisterAccess
{
    enum class Type { ReadHolding, ReadInput, Write };
    Type Kind = Type::ReadHolding;
    int Start = 0;
    int Count = 0;             // registers
    std::vector<float> Values; // writes only: one float per register pair
    ModbusException Result = ModbusException::None;
};

// A TZL protection relay at the register level: what a master sees when it
// reads and writes holding and input registers. Every value is an IEEE single
// in two registers, the pair starting at an even address; the word order says
// which register of the pair carries the high half.
//
// Register map (start: registers):
//   holding   6:6   system volts, system current, system type (volts and
//                   current writable, type read only)
//   holding  58:20  trip-definition window: selector, function code, flags,
//                   status, parameters 1..6 (see below)
//   holding  98:12  clock: year (two digits), month, day, hour, minute, second;
//                   each field writable on its own
//   holding 238:2   product-information item chosen by the selector
//   holding 240:2   product-information selector: 2 firmware version, 4 PSC
//                   number, 5 PSC issue (any other value selects nothing and
//                   238 then reads 0)
//   input     0:36  volts, amps, power, VA, VAr, power factor for phases 1..3
//   input    42, 46, 48, 52, 56, 60, 62, 70 (2 each): volts average, amps
//                   average, amps sum, power sum, VA sum, VAr sum, power factor
//                   average, generator frequency
//   input   224:10  neutral current, bus frequency, bus/generator phase angle,
//                   bus volts, ground current
//   input   798:18  next event: number, relay, year, month, day, hour, minute,
//                   second, a spare value (0)
//
// Accesses outside the map are refused the way the relay refuses them:
//   - a read or write touching any register not in the map, or a write to a
//     register that is read only, or a write starting on the second register
//     of a pair: exception 2 (illegal data address);
//   - a read of 0 or more than 125 registers, a write of an odd number of
//     registers, or a written value the relay cannot take (NaN or infinity,
//     a trip selector other than 0..16, month 13, a function code, flags or
//     status command that is not a whole number 0..255, a write into the
//     window while no relay is selected): exception 3 (illegal data value).
//     A refused write changes nothing, not even the values before the bad one.
//
// Trip-definition window: writing r (1..16) to 58 selects relay r, and the
// window then reads r, its function code, flags, status and six parameters;
// writing 0 deselects and the window reads all zeros. Writes to 60, 62 and
// 66..77 change the selected definition. Register 64 reads the status byte
// (tripped 1, latched 2, acknowledged 4, in alarm 8); a value written there is
// a command: bit 4 (16.0) releases the latch, bit 2 (4.0) acknowledges an alarm
// that is raised, 0 does nothing (a download writes it), the other bits are
// ignored because the status itself cannot be written.
//
// Event log: each read of 798 delivers the next event in the chosen delivery
// order; after the last one a read delivers event number 0 and the log starts
// over from the first event. A full log (50 events) also starts over after the
// 50th, since a master reading at most 50 records never asks for the end
// marker.
//
// Measurements follow the system volts and current: a steady load at about 60 %
// of the system current with a lagging power factor near 0.9, slightly
// unbalanced phases, 50 Hz, and a bus slipping slowly against the generator.
// While live (the default) they drift a little with the time source; steady,
// they hold their nominal values. Single registers can be pinned by a test.
class SimulatedRelay
{
public:
    static constexpr int RelayCount = 16;
    static constexpr int EventCapacity = 50;
    static constexpr int MaxReadRegisters = 125;

    // Status byte bits and the two commands written to the status register.
    static constexpr int StatusTripped = 1;
    static constexpr int StatusLatched = 2;
    static constexpr int StatusAcknowledged = 4;
    static constexpr int StatusInAlarm = 8;
    static constexpr int CommandResetLatch = 16;
    static constexpr int CommandAcknowledgeAlarm = 4;

    // Holding registers of the map.
    static constexpr int RegSystemVolts = 6;
    static constexpr int RegSystemCurrent = 8;
    static constexpr int RegSystemType = 10;
    static constexpr int RegTripSelector = 58;
    static constexpr int RegTripFunction = 60;
    static constexpr int RegTripFlags = 62;
    static constexpr int RegTripStatus = 64;
    static constexpr int RegTripParameter1 = 66;
    static constexpr int RegClockYear = 98;
    static constexpr int RegProductInfo = 238;
    static constexpr int RegProductSelector = 240;
    // Input registers of the map.
    static constexpr int RegEventRecord = 798;

    // Product-information selector values.
    static constexpr int SelectFirmwareVersion = 2;
    static constexpr int SelectPSCNumber = 4;
    static constexpr int SelectPSCIssue = 5;

    SimulatedRelay();

    // ---- register level: what the RTU slave calls ----

    // Fills `words` with `count` registers from `start`, or returns the
    // exception the relay answers with (words then untouched). Reading the
    // event block moves the log on by one event.
    ModbusException ReadRegisters(RegisterKind kind, int start, int count,
                                  std::vector<std::uint16_t>& words);
    // Writes holding registers; all or nothing.
    ModbusException WriteRegisters(int start, const std::vector<std::uint16_t>& words);

    // 0: the first register of a pair holds the high half; 1: swapped.
    void SetWordOrder(int wordOrder);
    int WordOrder() const { return m_WordOrder; }

    // ---- system parameters ----
    void SetSystemVolts(float volts) { m_SystemVolts = volts; }
    float SystemVolts() const { return m_SystemVolts; }
    void SetSystemCurrent(float amps) { m_SystemCurrent = amps; }
    float SystemCurrent() const { return m_SystemCurrent; }
    // 2 = 3-phase 3-wire, 3 = 3-phase 4-wire; other values are kept as given.
    void SetSystemType(float type) { m_SystemType = type; }
    float SystemType() const { return m_SystemType; }

    // ---- how written values are stored ----
    // A relay that keeps a written value other than as sent: the value written
    // to the holding pair at `reg` is stored at most `maximum`, or rounded to
    // the nearest multiple of `step`. Shows what a download's read-back and a
    // verification are for.
    void SetStoreLimit(int reg, float maximum) { m_StoreRules[reg].Maximum = maximum; }
    void SetStoreStep(int reg, float step) { m_StoreRules[reg].Step = step; }
    // True for the pairs a rule can apply to: volts, current, trip parameters.
    static bool IsStoredValuePair(int reg);

    // ---- trip definitions and relay status (relay numbers 1..16; others are
    // ignored by setters and give a default by getters) ----
    void SetTripDefinition(int relay, const TripDefinition& definition);
    TripDefinition GetTripDefinition(int relay) const;
    void SetRelayStatus(int relay, int status);
    int RelayStatus(int relay) const;
    // Sets or clears bits of a relay's status, e.g. Trip: StatusTripped.
    void SetStatusBits(int relay, int bits, bool on);
    // The relay the window shows, 0 when none.
    int SelectedRelay() const { return m_SelectedRelay; }

    // ---- event log ----
    // The events in the order they will be delivered; at most EventCapacity
    // are kept. Restarts delivery from the first.
    void SetEvents(std::vector<RelayEvent> events);
    // Appends one event (dropped when the log is full). Returns whether kept.
    bool AddEvent(const RelayEvent& event);
    void ClearEvents();
    const std::vector<RelayEvent>& Events() const { return m_Events; }
    // Next delivery starts with the first event again.
    void RewindEventLog() { m_EventCursor = 0; }
    // Index into Events() of the next delivery; Events().size() when the next
    // read gives the end marker.
    int EventCursor() const { return m_EventCursor; }

    // ---- product information ----
    void SetFirmwareVersion(float version) { m_FirmwareVersion = version; }
    float FirmwareVersion() const { return m_FirmwareVersion; }
    void SetPSCNumber(float number) { m_PSCNumber = number; }
    float PSCNumber() const { return m_PSCNumber; }
    void SetPSCIssue(float issue) { m_PSCIssue = issue; }
    float PSCIssue() const { return m_PSCIssue; }
    // Last value written to 240 (0 before any write).
    float ProductSelector() const { return m_ProductSelector; }

    // ---- clock ----
    // Where the relay's clock and the drift of the measurements take their
    // time from; the host clock by default. A fixed source stops both.
    void SetTimeSource(std::function<QDateTime()> now);
    // Sets the relay clock; only the last two digits of the year are kept.
    void SetClock(const QDateTime& moment);
    // The relay clock now, years 0..29 read as 2000..2029 and 30..99 as
    // 1930..1999, fields out of range carried into the next unit.
    QDateTime Clock() const;
    // The six clock fields as a read of 98 would give them now.
    std::array<int, 6> ClockFields() const;

    // ---- measurements ----
    void SetMeasurementsLive(bool live) { m_MeasurementsLive = live; }
    bool MeasurementsLive() const { return m_MeasurementsLive; }
    // Pins the value of the input register pair at `reg` (any register of the
    // map, also outside the measurement blocks).
    void SetMeasurement(int reg, float value) { m_PinnedInputs[reg] = value; }
    void ClearPinnedMeasurements() { m_PinnedInputs.clear(); }
    // The value of a measurement pair as a read would give it now; nothing for
    // registers outside the measurement blocks.
    std::optional<float> Measurement(int reg) const;

    // ---- value level, without side effects ----
    // The float a read of the pair at `reg` would give now (the event block
    // shows the record the next read delivers); nothing outside the map.
    std::optional<float> PeekValue(RegisterKind kind, int reg) const;

    // ---- traffic ----
    const std::vector<RegisterAccess>& Accesses() const { return m_Accesses; }
    // Only the writes, in order.
    std::vector<RegisterAccess> Writes() const;
    void ClearAccesses() { m_Accesses.clear(); }

private:
    struct ClockState
    {
        std::array<int, 6> Fields{}; // year (two digits), month, day, hour, minute, second
        QDateTime Anchor;            // time-source moment the fields were last set
    };

    static bool IsHoldingPair(int reg);
    static bool IsWritableHoldingPair(int reg);
    static bool IsInputPair(int reg);
    static bool RangeInMap(RegisterKind kind, int start, int count);

    float HoldingValue(int reg) const;
    float EventValue(int reg) const;
    ModbusException CheckWrite(int reg, float value) const;
    void ApplyWrite(int reg, float value);
    void ApplyStatusCommand(int command);
    void ApplyClockField(int field, int value);
    void DeliverEvent();
    std::array<int, 6> AdvancedClockFields() const;
    double SecondsRunning() const;
    void Record(RegisterAccess access);

    struct StoreRule
    {
        std::optional<float> Maximum;
        float Step = 0.0f;
        float Apply(float value) const;
    };
    std::map<int, StoreRule> m_StoreRules;

    int m_WordOrder = 0;
    float m_SystemVolts = 110.0f;
    float m_SystemCurrent = 5.0f;
    float m_SystemType = 3.0f;
    std::array<TripDefinition, RelayCount> m_Trips{};
    std::array<int, RelayCount> m_Status{};
    int m_SelectedRelay = 0;
    std::vector<RelayEvent> m_Events;
    int m_EventCursor = 0;
    float m_FirmwareVersion = 2.5f;
    float m_PSCNumber = 1234.0f;
    float m_PSCIssue = 1.0f;
    float m_ProductSelector = 0.0f;
    std::function<QDateTime()> m_Now;
    QDateTime m_Started;
    ClockState m_Clock;
    bool m_MeasurementsLive = true;
    std::map<int, float> m_PinnedInputs;
    std::vector<RegisterAccess> m_Accesses;
};
