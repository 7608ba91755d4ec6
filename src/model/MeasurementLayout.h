#pragma once

#include "model/cTZLInputRegisters.h"

#include <array>

// How the Measurements tab lays the measurements out, for every place that
// shows them the same way (the tab, a commissioning report).

// A cell of the grid of per-phase quantities, numbered from 1 below and
// beside the captions: rows Volts, Current, Power, VA, VAr, P. Factor;
// columns 1, 2, 3, Average, Sum. The cells not listed never get a value.
struct MeasurementCell
{
    int Row;
    int Column;
    cTZLInputRegisters::Quantity Value;
};
extern const std::array<MeasurementCell, 25> MeasurementCells;

constexpr int MeasurementGridRows = 6;
constexpr int MeasurementGridColumns = 5;

// The grid's row captions with the unit of their values (none for a power
// factor), and its column captions.
struct MeasurementRow
{
    const char* Caption;
    const char* Unit;
};
extern const std::array<MeasurementRow, MeasurementGridRows> MeasurementRows;
extern const std::array<const char*, MeasurementGridColumns> MeasurementColumns;

// The six quantities shown each in a box of its own, with caption and unit.
struct SingleMeasurement
{
    cTZLInputRegisters::Quantity Value;
    const char* Caption;
    const char* Unit;
};
extern const std::array<SingleMeasurement, 6> SingleMeasurements;
