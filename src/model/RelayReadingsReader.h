#pragma once

#include "model/RelayReadings.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class IClock;
class frmModbus;

// Reads everything a commissioning report records in one pass over the
// relay: product information and clock, system parameters, the 16 trip
// definitions, the 16 relays' states, one set of measurements and the event
// log. A section that fails does not stop the pass; its reason is kept in the
// readings instead of being shown, so the caller can say in one place what
// is missing. The configuration in memory is not touched.
class RelayReadingsReader
{
public:
    // Told before each step what is being read and how far the pass has
    // come; answering false cancels the pass.
    using Progress = std::function<bool(const QString& step, int done, int total)>;

    static constexpr int StepCount = 21; // five sections and the 16 trip definitions

    RelayReadingsReader(frmModbus& link, IClock& clock);

    // Nothing when the pass was cancelled.
    std::optional<RelayReadings> Read(std::int16_t slave, const Progress& progress);

private:
    frmModbus& m_Link;
    IClock& m_Clock;
};
