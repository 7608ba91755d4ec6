#pragma once

#include "trips/TripRecord.h"
#include "trips/cTripCatalogue.h"

#include <array>

class cTZL;

// A configuration held apart from the device object: what a download is
// about to send, so that what the relay holds afterwards can be held up
// against it even though the download replaces the model with the relay's
// read-back.
struct ConfigSnapshot
{
    float SystemType = 3.0f;
    float SystemVolts = 110.0f;
    float SystemCurrent = 5.0f;
    std::array<TripRecord, cTripCatalogue::RelayCount> Trips{};

    static ConfigSnapshot Of(const cTZL& device);
};
