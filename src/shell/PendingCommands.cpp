#include "shell/PendingCommands.h"

bool PendingCommands::IsPending(DeferredCommand command) const
{
    switch (command) {
    case DeferredCommand::GetTime:
        return PendingGetTime;
    case DeferredCommand::SendTime:
        return PendingSendTime;
    case DeferredCommand::ResetTrips:
        return PendingResetTrips;
    case DeferredCommand::ResetTrip:
        return PendingResetTrip > 0;
    case DeferredCommand::AckAlarms:
        return PendingAckAlarms;
    case DeferredCommand::AckAlarm:
        return PendingAckAlarm > 0;
    case DeferredCommand::Upload:
        return PendingUpload;
    case DeferredCommand::Download:
        return PendingDownload;
    case DeferredCommand::Compare:
        return PendingCompare;
    case DeferredCommand::Report:
        return PendingReport;
    }
    return false;
}

void PendingCommands::Done(DeferredCommand command)
{
    switch (command) {
    case DeferredCommand::GetTime:
        PendingGetTime = false;
        break;
    case DeferredCommand::SendTime:
        PendingSendTime = false;
        break;
    case DeferredCommand::ResetTrips:
        PendingResetTrips = false;
        break;
    case DeferredCommand::ResetTrip:
        PendingResetTrip = 0;
        break;
    case DeferredCommand::AckAlarms:
        PendingAckAlarms = false;
        break;
    case DeferredCommand::AckAlarm:
        PendingAckAlarm = 0;
        break;
    case DeferredCommand::Upload:
        PendingUpload = false;
        break;
    case DeferredCommand::Download:
        PendingDownload = false;
        break;
    case DeferredCommand::Compare:
        PendingCompare = false;
        break;
    case DeferredCommand::Report:
        PendingReport = false;
        break;
    }
}
