#pragma once

#include <array>
#include <cstdint>

// The commands that talk to the relay are not run when the user asks: the
// control records the request and the next tick of the polling timer runs
// it. A tick runs every pending command in this order.
enum class DeferredCommand {
    GetTime,
    SendTime,
    ResetTrips,
    ResetTrip,
    AckAlarms,
    AckAlarm,
    Upload,
    Download,
    Compare,
    Report
};

inline constexpr std::array<DeferredCommand, 10> DeferredCommandOrder{
    DeferredCommand::GetTime,   DeferredCommand::SendTime,  DeferredCommand::ResetTrips,
    DeferredCommand::ResetTrip, DeferredCommand::AckAlarms, DeferredCommand::AckAlarm,
    DeferredCommand::Upload,    DeferredCommand::Download,  DeferredCommand::Compare,
    DeferredCommand::Report};

struct PendingCommands
{
    bool PendingGetTime = false;
    bool PendingSendTime = false;
    bool PendingResetTrips = false;
    std::int16_t PendingResetTrip = 0; // relay number; 0 = none
    bool PendingAckAlarms = false;
    std::int16_t PendingAckAlarm = 0; // relay number; 0 = none
    bool PendingUpload = false;
    bool PendingDownload = false;
    bool PendingCompare = false;
    bool PendingReport = false;

    bool IsPending(DeferredCommand command) const;
    void Done(DeferredCommand command);
    void Clear() { *this = PendingCommands{}; }
};
