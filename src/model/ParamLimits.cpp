#include "model/ParamLimits.h"

#include <initializer_list>
#include <optional>

namespace {

enum class Base { Fixed, Volts, Current, Power };

// The multipliers are doubles applied to the system value; a fixed limit is
// the nearest single to its decimal constant, held exactly in the double.
struct LimitRule
{
    Base Of;
    double Minimum;
    double Maximum;
    double Default;
};

constexpr LimitRule TimeDelay{Base::Fixed, 0.0f, 30.0f, 0.2f};
constexpr LimitRule TimeCurve{Base::Fixed, 1.0f, 3.0f, 1.0f};
constexpr LimitRule TimeDial{Base::Fixed, 0.1f, 9.9f, 0.1f};
constexpr LimitRule PhaseAngle{Base::Fixed, 2.0f, 20.0f, 2.0f};
constexpr LimitRule VoltageDelta{Base::Volts, 0.0, 0.2, 0.1};
constexpr LimitRule VoltageMin{Base::Volts, 0.05, 1.19, 0.9};
constexpr LimitRule SlipFrequency{Base::Fixed, 0.1f, 1.0f, 0.37f};
constexpr LimitRule SyncTimeDelay{Base::Fixed, 0.0f, 5.0f, 0.0f};
constexpr LimitRule TimeOvercurrentTrip{Base::Current, 0.05, 1.2, 1.1};

// Trip point, differential and time delay of the simple threshold trips.
std::optional<LimitRule> ThresholdRule(std::int16_t position, LimitRule tripPoint, Base base)
{
    switch (position) {
    case 1:
        return tripPoint;
    case 2:
        return LimitRule{base, 0.01, 0.15, 0.01};
    case 3:
        return TimeDelay;
    default:
        return std::nullopt;
    }
}

// The rule of parameter `position` (from 1) in a function's list of rules.
std::optional<LimitRule> RuleAt(std::int16_t position, std::initializer_list<LimitRule> rules)
{
    if (position < 1 || std::size_t(position) > rules.size())
        return std::nullopt;
    return *(rules.begin() + (position - 1));
}

std::optional<LimitRule> RuleFor(std::int16_t f, std::int16_t p)
{
    switch (f) {
    case 1: // Over Volts
        return ThresholdRule(p, {Base::Volts, 0.05, 1.2, 1.1}, Base::Volts);
    case 2: // Under Volts
        return ThresholdRule(p, {Base::Volts, 0.05, 1.2, 0.9}, Base::Volts);
    case 3: // Over and Under Frequency
    case 4:
        if (p == 2)
            return LimitRule{Base::Fixed, 0.1f, 10.0f, 1.0f};
        return ThresholdRule(p, {Base::Fixed, 40.0f, 70.0f, 50.0f}, Base::Fixed);
    case 5: // Instantaneous Over Current, Over Neutral Current
    case 7:
        return ThresholdRule(p, {Base::Current, 0.2, 3.0, 1.1}, Base::Current);
    case 6: // Instantaneous Under Current
        return ThresholdRule(p, {Base::Current, 0.2, 3.0, 0.9}, Base::Current);
    case 8: // Reverse Power, Over Power, Reverse VAr
    case 9:
    case 10:
        return ThresholdRule(p, {Base::Power, 0.03, 1.2, 0.05}, Base::Power);
    case 11: // Phase Unbalanced Voltage
        return ThresholdRule(p, {Base::Volts, 0.01, 0.25, 0.1}, Base::Volts);
    case 12: // Unbalanced Current
        return ThresholdRule(p, {Base::Current, 0.05, 1.2, 0.1}, Base::Current);
    case 13: // Time Overcurrent with Voltage Restraint
        return RuleAt(
            p, {TimeOvercurrentTrip, LimitRule{Base::Volts, 0.8, 1.2, 1.0}, TimeCurve, TimeDial});
    case 14: // Time Overcurrent
        return RuleAt(p, {TimeOvercurrentTrip, TimeCurve, TimeDial});
    case 15: // Ground Fault
        return RuleAt(p, {TimeOvercurrentTrip, TimeDial});
    case 16: // Synchronising Check
        return RuleAt(p, {PhaseAngle, VoltageDelta, VoltageMin, SyncTimeDelay, SlipFrequency});
    case 17: // Synchronising Check with Deadbus
        return RuleAt(p, {PhaseAngle, VoltageDelta, VoltageMin,
                          LimitRule{Base::Volts, 0.05, 0.5, 0.1}, SyncTimeDelay, SlipFrequency});
    case 18: // Phase Order, Alarm, Unacknowledged Alarm
    case 26:
    case 27:
        if (p == 1)
            return TimeDelay;
        return std::nullopt;
    default:
        break;
    }
    if (f >= 19 && f <= 25) { // the logical functions
        if (p >= 1 && p <= 3)
            return LimitRule{Base::Fixed, 0.0f, 16.0f, 0.0f}; // relay numbers
        if (p == 4 || p == 5)
            return LimitRule{Base::Fixed, 0.0f, 30.0f, 0.0f}; // delay on, delay off
    }
    return std::nullopt;
}

} // namespace

ParameterLimits ParamLimitsFor(std::int16_t functionIndex, std::int16_t position, float volts,
                               float current, float phasePower)
{
    const auto rule = RuleFor(functionIndex, position);
    if (!rule)
        return {};
    double base = 1.0;
    switch (rule->Of) {
    case Base::Fixed:
        break;
    case Base::Volts:
        base = volts;
        break;
    case Base::Current:
        base = current;
        break;
    case Base::Power:
        base = phasePower;
        break;
    }
    return {float(rule->Minimum * base), float(rule->Maximum * base), float(rule->Default * base)};
}
