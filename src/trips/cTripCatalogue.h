#pragma once

#include <QString>
#include <cstdint>

// The fixed knowledge of the 28 trip functions: names, parameters, units,
// tips, and the mapping between the program's function index and the relay's
// function code.
//
// Two numberings exist and must not be mixed up. The function index (0 to 27)
// is ours: trip records store it and every property below takes it. The
// function code (0 to 27) is the relay's: it goes to the relay's registers and
// into configuration files. Codes 22 to 27 need firmware 3.x.
//
// Everything here is constant; cTZLTrips offers it as its own properties.
class cTripCatalogue
{
public:
    static constexpr int FunctionCount = 28;
    static constexpr int RelayCount = 16;

    // The number of parameter slots of every trip record: 6.
    static int MaxParams();
    // The highest function index: 27.
    static int LastTripNumber();

    // The function's name; "(Unknown)" outside 0 to 27.
    static QString FunctionName(std::int16_t index);
    // The function's parameter count; 0 outside 0 to 27.
    static int NumberOfParameters(std::int16_t index);

    // The parameter's name, unit name and tip. Each gives its fall-back text
    // ("(Unknown)", "(Unknown)" and "Unknown)" respectively) when the index is
    // outside 1 to 27 or the position is not 1 to the function's parameter
    // count. Positions count from 1.
    static QString ParameterName(std::int16_t index, std::int16_t position);
    static QString ParameterUnitName(std::int16_t index, std::int16_t position);
    static QString ParameterFunctionTip(std::int16_t index, std::int16_t position);
    // Always empty: units carry no tip of their own.
    static QString ParameterUnitsTip(std::int16_t index, std::int16_t position);

    static bool ValidTripFunction(std::int16_t index); // 0 to 27
    static bool ValidTripNumber(std::int16_t relay);   // 1 to 16
    static bool HasTripModeData(std::int16_t relay);   // 1 to 16

    // The relay's function code of a function index; 0 ("(UnUsed)") for an
    // index outside 0 to 27.
    static int FunctionCode(int index);
    // The function index of a relay function code: the first index carrying
    // that code; a code not in the table gives 0 ("(UnUsed)").
    static int FunctionIndexOfCode(std::int32_t code);

    // The highest function code a relay with this firmware accepts: 21 for
    // 0 < version < 3.0, 27 for 3.0 <= version < 4.0, otherwise -1 (nothing).
    static int HighestCodeAccepted(float firmwareVersion);
};
