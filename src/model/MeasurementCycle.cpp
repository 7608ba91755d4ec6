#include "model/MeasurementCycle.h"

#include "model/cTZL.h"

MeasurementCycleResult RunMeasurementCycle(cPollingCycle& rotation, cTZL& device,
                                           std::int16_t slave)
{
    using Block = cPollingCycle::MeasurementBlock;
    MeasurementCycleResult result;
    result.Block = rotation.NextMeasurementBlock();
    cTZLInputRegisters& inputs = device.Inputs;
    switch (result.Block) {
    case Block::Basics:
        result.BlockRead = inputs.UpLoadBasics(slave);
        break;
    case Block::Averages:
        result.BlockRead = inputs.UpLoadAverages(slave);
        break;
    case Block::Sums:
        result.BlockRead = inputs.UpLoadSums(slave);
        break;
    case Block::BusGen:
        result.BlockRead = inputs.UpLoadBusGen(slave);
        break;
    case Block::None:
        return result;
    }
    result.Relay = rotation.NextMeasurementRelay();
    result.StatusRead = device.TripData.UploadStatus(slave, result.Relay);
    return result;
}

QString MeasurementBlockName(cPollingCycle::MeasurementBlock block)
{
    using Block = cPollingCycle::MeasurementBlock;
    switch (block) {
    case Block::Basics:
        return QStringLiteral("basics");
    case Block::Averages:
        return QStringLiteral("averages");
    case Block::Sums:
        return QStringLiteral("sums");
    case Block::BusGen:
        return QStringLiteral("bus/gen");
    case Block::None:
        break;
    }
    return {};
}
