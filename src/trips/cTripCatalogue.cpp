#include "trips/cTripCatalogue.h"

#include "trips/TripRecord.h"

#include <array>
#include <cstddef>

namespace {

constexpr int MaxParamSlots = TripRecord::ParameterCount;

// Parameter kinds; 0 marks an empty slot and ends a function's list.
enum Kind : std::uint8_t {
    None,
    TripPoint,
    Differential,
    TimeDelay,
    NominalVolts,
    TimeCurve,
    TimeDial,
    PhaseAngle,
    VoltageDelta,
    VoltageMin,
    SlipFrequency,
    Deadbus,
    Input1,
    Input2,
    Input3,
    DelayOn,
    DelayOff,
    KindCount
};

enum Unit : std::uint8_t { UnknownUnit, Volts, Amps, Watts, Hertz, Seconds, Degrees, Plain, VAr };

struct Parameter
{
    Kind kind = None;
    Unit unit = UnknownUnit;
};

struct Function
{
    const char* name;
    int code;
    std::array<Parameter, MaxParamSlots> parameters;
};

constexpr std::array<Parameter, MaxParamSlots> Threshold(Unit unit)
{
    return {{{TripPoint, unit}, {Differential, unit}, {TimeDelay, Seconds}}};
}

constexpr std::array<Parameter, MaxParamSlots> OneDelay()
{
    return {{{TimeDelay, Seconds}}};
}

constexpr std::array<Parameter, MaxParamSlots> LogicGate()
{
    return {{{Input1, Plain},
             {Input2, Plain},
             {Input3, Plain},
             {DelayOn, Seconds},
             {DelayOff, Seconds}}};
}

// In function-index order; related functions sit together, so the codes added
// with firmware 3.x (22 to 27) appear next to their relatives.
constexpr std::array<Function, cTripCatalogue::FunctionCount> Functions{{
    {"(UnUsed)", 0, {}},
    {"Over Volts (ANSI 59)", 1, Threshold(Volts)},
    {"Under Volts (ANSI 27)", 2, Threshold(Volts)},
    {"Over Frequency (ANSI 81O)", 3, Threshold(Hertz)},
    {"Under Frequency (ANSI 81U)", 4, Threshold(Hertz)},
    {"Instantaneous Over Current (ANSI 50)", 22, Threshold(Amps)},
    {"Instantaneous Under Current (ANSI 37)", 23, Threshold(Amps)},
    {"Instantaneous Over Neutral Current (ANSI 50N)", 24, Threshold(Amps)},
    {"Reverse Power (ANSI 32R)", 5, Threshold(Watts)},
    {"Over Power (ANSI 32O)", 25, Threshold(Watts)},
    {"Reverse VAr (ANSI 40Q)", 26, Threshold(VAr)},
    {"Phase Unbalanced Voltage (ANSI 47)", 6, Threshold(Volts)},
    {"Unbalanced Current (ANSI 46)", 27, Threshold(Amps)},
    {"Time Overcurrent with Voltage Restraint (ANSI 51V)",
     7,
     {{{TripPoint, Amps}, {NominalVolts, Volts}, {TimeCurve, Plain}, {TimeDial, Seconds}}}},
    {"Time Overcurrent (ANSI 51)",
     8,
     {{{TripPoint, Amps}, {TimeCurve, Plain}, {TimeDial, Seconds}}}},
    {"Ground Fault (ANSI 51G)", 9, {{{TripPoint, Amps}, {TimeDial, Seconds}}}},
    {"Synchroning Check (ANSI 25)",
     10,
     {{{PhaseAngle, Degrees},
       {VoltageDelta, Volts},
       {VoltageMin, Volts},
       {TimeDelay, Seconds},
       {SlipFrequency, Hertz}}}},
    {"Synchroning Check with Deadbus (ANSI 25D)",
     11,
     {{{PhaseAngle, Degrees},
       {VoltageDelta, Volts},
       {VoltageMin, Volts},
       {Deadbus, Volts},
       {TimeDelay, Seconds},
       {SlipFrequency, Hertz}}}},
    {"Phase Order (ANSI 47)", 12, OneDelay()},
    {"Logical AND", 13, LogicGate()},
    {"Logical OR", 14, LogicGate()},
    {"Logical NAND", 15, LogicGate()},
    {"Logical NOR", 16, LogicGate()},
    {"Logical XOR", 17, LogicGate()},
    {"Logical Vote", 18, LogicGate()},
    {"Logical Discrepency", 19, LogicGate()},
    {"Alarm", 20, OneDelay()},
    {"Unacknowledged Alarm", 21, OneDelay()},
}};

struct KindText
{
    const char* name;
    const char* tip;
};

constexpr std::array<KindText, KindCount> KindTexts{{
    {"UnUsed", "UnUsed"},
    {"Trip Point", "The point around which the trip is activated"},
    {"Differential", "The amount of hysteresis"},
    {"Time Delay", "The time the trip condition must be present in order to activate the relay"},
    {"Nominal Volts", "The Restraining Voltage"},
    {"Time Curve",
     "Time Current characteristic (1=Standard Inverse, 2= Very Inverse, 3= Extremely Inverse)"},
    {"Time Dial", "The Time Dial Setting (TDS)"},
    {"Phase Angle", "The maximum permitted phase angle between the Bus and Generator Voltages"},
    {"Voltage Delta", "The maximum Voltage Difference between the 'bus' and 'generator' inputs"},
    {"Voltage Min.", "The minimum Generator Voltage"},
    {"Slip Frequency",
     "The maximum permitted frequency difference between the 'bus' and the 'generator' (Slip "
     "Frequency)"},
    {"Deadbus",
     "The maximum voltage that may be present on the 'bus' input before the other parameters are "
     "required to qualify the trip"},
    {"Input 1", "The relay number to be wired to input 1"},
    {"Input 2", "The relay number to be wired to input 2"},
    {"Input 3", "The relay number to be wired to input 3"},
    {"Delay On",
     "The time delay between the trip condition being detected and the relay activating"},
    {"Delay Off",
     "The time delay between the trip condition being removed and the relay de-activating"},
}};

// Plain numbers (curve and relay numbers) show two blanks as their unit.
constexpr std::array<const char*, 9> UnitNames{"(Unknown)", "V",   "A",  "W",  "Hz",
                                               "Sec",       "Deg", "  ", "VAr"};

const QString Unknown = QStringLiteral("(Unknown)");

// The slot of a parameter that exists: index 1 to 27 and position 1 to the
// function's parameter count. Index 0 has no parameters anyway.
const Parameter* FindParameter(std::int16_t index, std::int16_t position)
{
    if (index < 1 || index > cTripCatalogue::LastTripNumber() || position < 1
        || position > cTripCatalogue::NumberOfParameters(index))
        return nullptr;
    return &Functions[std::size_t(index)].parameters[std::size_t(position - 1)];
}

} // namespace

int cTripCatalogue::MaxParams()
{
    return MaxParamSlots;
}

int cTripCatalogue::LastTripNumber()
{
    return FunctionCount - 1;
}

QString cTripCatalogue::FunctionName(std::int16_t index)
{
    if (!ValidTripFunction(index))
        return Unknown;
    return QString::fromLatin1(Functions[std::size_t(index)].name);
}

int cTripCatalogue::NumberOfParameters(std::int16_t index)
{
    if (!ValidTripFunction(index))
        return 0;
    int count = 0;
    for (const Parameter& parameter : Functions[std::size_t(index)].parameters) {
        if (parameter.kind == None)
            break;
        ++count;
    }
    return count;
}

QString cTripCatalogue::ParameterName(std::int16_t index, std::int16_t position)
{
    const Parameter* parameter = FindParameter(index, position);
    return parameter ? QString::fromLatin1(KindTexts[parameter->kind].name) : Unknown;
}

QString cTripCatalogue::ParameterUnitName(std::int16_t index, std::int16_t position)
{
    const Parameter* parameter = FindParameter(index, position);
    return parameter ? QString::fromLatin1(UnitNames[parameter->unit]) : Unknown;
}

QString cTripCatalogue::ParameterFunctionTip(std::int16_t index, std::int16_t position)
{
    const Parameter* parameter = FindParameter(index, position);
    // Unlike the other fall-backs this one has no opening bracket; it is the
    // text users have always seen, so it stays.
    return parameter ? QString::fromLatin1(KindTexts[parameter->kind].tip)
                     : QStringLiteral("Unknown)");
}

QString cTripCatalogue::ParameterUnitsTip(std::int16_t, std::int16_t)
{
    return {};
}

bool cTripCatalogue::ValidTripFunction(std::int16_t index)
{
    return index >= 0 && index <= LastTripNumber();
}

bool cTripCatalogue::ValidTripNumber(std::int16_t relay)
{
    return relay >= 1 && relay <= RelayCount;
}

bool cTripCatalogue::HasTripModeData(std::int16_t relay)
{
    return ValidTripNumber(relay);
}

int cTripCatalogue::FunctionCode(int index)
{
    if (index < 0 || index > LastTripNumber())
        return 0;
    return Functions[std::size_t(index)].code;
}

int cTripCatalogue::FunctionIndexOfCode(std::int32_t code)
{
    for (int index = 0; index < FunctionCount; ++index) {
        if (Functions[std::size_t(index)].code == code)
            return index;
    }
    return 0;
}

int cTripCatalogue::HighestCodeAccepted(float firmwareVersion)
{
    if (firmwareVersion > 0.0F && firmwareVersion < 3.0F)
        return 21;
    if (firmwareVersion >= 3.0F && firmwareVersion < 4.0F)
        return 27;
    return -1;
}
