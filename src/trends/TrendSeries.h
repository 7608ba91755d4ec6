#pragma once

#include "model/cPollingCycle.h"
#include "model/cTZLInputRegisters.h"

#include <QList>
#include <QString>
#include <array>

// The plots of the Trends window, one per unit so that each y axis means one
// thing.
enum class TrendGroup { Volts, Currents, Frequencies, Powers, PowerFactor };

struct TrendGroupInfo
{
    TrendGroup Group;
    const char* Title;
};

extern const std::array<TrendGroupInfo, 5> TrendGroups;

// One line the user may plot: which measurement, under what caption, in
// which plot. Phase 1 to 3 lines take the colours of the Measurements grid's
// phase columns; 0 for a line that belongs to no phase.
struct TrendSeries
{
    cTZLInputRegisters::Quantity Quantity;
    const char* Caption;
    TrendGroup Group;
    int Phase;

    // The measurement's unit ("V", "A", ...; empty for a power factor).
    QString Unit() const;
};

extern const std::array<TrendSeries, 15> TrendSeriesList;

// The measurements that one block of the measurement rotation reads, in the
// relay's order; empty for no block.
QList<cTZLInputRegisters::Quantity> BlockQuantities(cPollingCycle::MeasurementBlock block);
