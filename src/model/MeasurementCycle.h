#pragma once

#include "model/cPollingCycle.h"

#include <QString>
#include <cstdint>

class cTZL;

// What one pass of the measurement refresh read: the next block of the
// rotation, then the status of the next relay.
struct MeasurementCycleResult
{
    cPollingCycle::MeasurementBlock Block = cPollingCycle::MeasurementBlock::None;
    bool BlockRead = false;
    std::int16_t Relay = 0; // 0: no relay status was read
    bool StatusRead = false;
};

// Reads into the device what the rotation says comes next: one block of
// measurements and one relay's status. The rotation's very first call only
// starts it and reads nothing. The Measurements tab and `tzlctl watch` both
// run their refresh through here, so they read the same things in the same
// order.
MeasurementCycleResult RunMeasurementCycle(cPollingCycle& rotation, cTZL& device,
                                           std::int16_t slave);

// "basics", "averages", "sums", "bus/gen", or empty for none.
QString MeasurementBlockName(cPollingCycle::MeasurementBlock block);
