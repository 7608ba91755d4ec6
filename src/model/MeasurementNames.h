#pragma once

#include "model/cTZLInputRegisters.h"

#include <QString>
#include <array>

// The 31 measurements by the names the relay's documentation gives them, with
// their units (empty for a power factor), in the order tzlctl lists them.
struct MeasurementName
{
    cTZLInputRegisters::Quantity Quantity;
    const char* Name;
    const char* Unit;

    // "Frequency (Hz)", or the bare name when there is no unit.
    QString WithUnit() const;
};

extern const std::array<MeasurementName, std::size_t(cTZLInputRegisters::Quantity::Count)>
    MeasurementNames;
