#pragma once

#include "SimulatedRelay.h"

#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <utility>

// One way an exchange can go wrong on the line.
struct SimFault
{
    enum class Kind {
        None,        // a proper answer
        NoAnswer,    // the relay never hears the request: nothing is applied or sent
        ShortAnswer, // only the first Value bytes (1..4) of the answer are sent
        BadCrc,      // the answer's CRC is wrong
        Exception,   // the relay refuses the request with exception code Value
        BadEcho,     // a write is applied but its echo names the next register
        Delay,       // the answer starts Value ms late
        Trickle,     // the answer's bytes are sent one by one, Value ms apart
        Babble,      // after the answer the line carries noise, a byte every
                     // Value ms, until the next request or the port closes

        OtherSlave,    // the answer carries the next slave ID (CRC right)
        BadFunction,   // the answer carries the function code plus one (CRC right)
        ByteCount,     // a read answer's byte count reads Value; data and length
                       // stay as they were (CRC right)
        GarbageBefore, // Value noise bytes go out just before the answer
        GarbageAfter,  // Value noise bytes go out just behind the answer
        Gap,           // the line falls silent for Value ms after At bytes of the answer
        HangUp,        // the relay sends the first Value bytes of the answer, then
                       // the simulator ends, as a relay that loses its power
    };

    Kind Type = Kind::None;
    int Value = 0;
    int At = 0; // Gap only: bytes of the answer sent before the silence

    static SimFault None() { return {}; }
    static SimFault NoAnswer() { return {Kind::NoAnswer, 0}; }
    static SimFault ShortAnswer(int bytes) { return {Kind::ShortAnswer, bytes}; }
    static SimFault BadCrc() { return {Kind::BadCrc, 0}; }
    static SimFault Exception(int code) { return {Kind::Exception, code}; }
    static SimFault BadEcho() { return {Kind::BadEcho, 0}; }
    static SimFault Delay(int ms) { return {Kind::Delay, ms}; }
    static SimFault Trickle(int gapMs) { return {Kind::Trickle, gapMs}; }
    static SimFault Babble(int gapMs) { return {Kind::Babble, gapMs}; }
    static SimFault Gap(int afterBytes, int ms) { return {Kind::Gap, ms, afterBytes}; }

    // The text form accepted by SimFaults::ApplyFaultText, e.g. "short:3".
    QString ToString() const;
    bool operator==(const SimFault&) const = default;
};

// The faults the simulated relay puts on the line. A fault can be queued for
// one exchange (the next one without an earlier queued fault), scheduled for
// the n-th exchange, or made persistent for every exchange that has nothing
// queued. An exchange is one request with a good CRC addressed to this slave.
// Independently of those, single register pairs can be made to read a fixed
// value, such as NaN, whatever the relay holds.
class SimFaults
{
public:
    // For the next exchange that has no queued or scheduled fault yet.
    void Queue(const SimFault& fault);
    // For exchange number `exchange` counted from 1 at the last Clear (or
    // construction); earlier exchanges without a fault of their own get the
    // persistent one. Returns false when that exchange has already passed.
    bool ScheduleAt(int exchange, const SimFault& fault);
    void SetPersistent(const SimFault& fault) { m_Persistent = fault; }
    // Asked, with the exchange's number, for the fault of every exchange
    // that has no queued or scheduled one, before the persistent fault.
    using FaultSource = std::function<std::optional<SimFault>(int exchange)>;
    void SetFaultSource(FaultSource source) { m_Source = std::move(source); }
    const SimFault& Persistent() const { return m_Persistent; }

    // Forgets queued, scheduled and persistent faults and the fixed values,
    // and starts counting exchanges again.
    void Clear();

    // Called by the slave once per exchange: the fault for it.
    SimFault TakeNext();
    int Exchanges() const { return m_Exchanges; }

    // The pair at `reg` of the given table reads `value`.
    void SetRegisterValue(RegisterKind kind, int reg, float value);
    void SetRegisterNaN(RegisterKind kind, int reg);
    void ClearRegisterValues() { m_Values.clear(); }
    std::optional<float> RegisterValue(RegisterKind kind, int reg) const;

    // Applies one command-line fault text:
    //   none | no-answer | short:N | bad-crc | exception:N | bad-echo |
    //   delay:MS | trickle:GAP_MS | babble[:GAP_MS] |
    //   other-slave | bad-function | byte-count:N | garbage-before:N |
    //   garbage-after:N | gap:AFTER_BYTES:MS | hang-up:AFTER_BYTES
    //                                                 persistent fault
    //   any of the above followed by @N              only for exchange N
    //   nan:REG | nan:hREG | nan:iREG                 pair reads NaN (both
    //                                                 tables, holding, input)
    //   value:REG=V (also hREG, iREG)                 pair reads V
    // A pair starts at an even register; an odd REG is refused.
    // Returns false with a reason when the text is not understood.
    bool ApplyFaultText(const QString& faultText, QString& error);
    // The fault named by a text such as "short:3" (no @N, no register values).
    static std::optional<SimFault> ParseFault(const QString& text, QString& error);

    static constexpr int DefaultBabbleGapMs = 5;

private:
    // Queued and scheduled faults by the number of their exchange; any other
    // exchange takes the persistent fault. Kept sparse, so that a fault
    // scheduled far ahead costs no more than one due next.
    std::map<int, SimFault> m_Ahead;
    SimFault m_Persistent;
    FaultSource m_Source;
    int m_Exchanges = 0;
    std::map<std::pair<RegisterKind, int>, float> m_Values;
};
