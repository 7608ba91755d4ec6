#pragma once

#include "trips/TripRecord.h"
#include "trips/cTripCatalogue.h"

#include <array>

// A whole configuration held apart from the device object: what a
// configuration file holds, what a download is about to send, what a relay's
// read-back holds, so that any two can be held up against each other.
struct ConfigSnapshot
{
    float SystemType = 3.0F;
    float SystemVolts = 110.0F;
    float SystemCurrent = 5.0F;
    // Relays 1 to 16 at indices 0 to 15. A file never stores the status: it
    // reads back as 0.
    std::array<TripRecord, cTripCatalogue::RelayCount> Trips{};
};
