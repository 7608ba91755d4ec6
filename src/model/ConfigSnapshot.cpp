#include "model/ConfigSnapshot.h"

#include "model/cTZL.h"

ConfigSnapshot ConfigSnapshot::Of(const cTZL& device)
{
    ConfigSnapshot snapshot;
    snapshot.SystemType = device.SystemType();
    snapshot.SystemVolts = device.SystemVolts();
    snapshot.SystemCurrent = device.SystemCurrent();
    for (std::int16_t relay = 1; relay <= cTripCatalogue::RelayCount; ++relay)
        snapshot.Trips[std::size_t(relay - 1)] = device.TripData.TripDefinition(relay);
    return snapshot;
}
