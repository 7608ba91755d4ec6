#include "trends/TrendSeries.h"

#include "model/MeasurementNames.h"

using Q = cTZLInputRegisters::Quantity;

const std::array<TrendGroupInfo, 5> TrendGroups{{
    {TrendGroup::Volts, "Voltage"},
    {TrendGroup::Currents, "Current"},
    {TrendGroup::Frequencies, "Frequency"},
    {TrendGroup::Powers, "Power"},
    {TrendGroup::PowerFactor, "Power Factor"},
}};

const std::array<TrendSeries, 15> TrendSeriesList{{
    {Q::Volts1, "Volts 1", TrendGroup::Volts, 1},
    {Q::Volts2, "Volts 2", TrendGroup::Volts, 2},
    {Q::Volts3, "Volts 3", TrendGroup::Volts, 3},
    {Q::BusVolts, "Bus Voltage", TrendGroup::Volts, 0},
    {Q::Amps1, "Current 1", TrendGroup::Currents, 1},
    {Q::Amps2, "Current 2", TrendGroup::Currents, 2},
    {Q::Amps3, "Current 3", TrendGroup::Currents, 3},
    {Q::INeutral, "I Neutral", TrendGroup::Currents, 0},
    {Q::IGround, "I Ground", TrendGroup::Currents, 0},
    {Q::Frequency, "Gen Frequency", TrendGroup::Frequencies, 0},
    {Q::BusFrequency, "Bus Frequency", TrendGroup::Frequencies, 0},
    {Q::PowerSum, "Power", TrendGroup::Powers, 0},
    {Q::VASum, "VA", TrendGroup::Powers, 0},
    {Q::VArSum, "VAr", TrendGroup::Powers, 0},
    {Q::PowerFactorAverage, "Average P. Factor", TrendGroup::PowerFactor, 0},
}};

QString TrendSeries::Unit() const
{
    for (const MeasurementName& name : MeasurementNames) {
        if (name.Quantity == Quantity)
            return QString::fromLatin1(name.Unit);
    }
    return {};
}

QList<Q> BlockQuantities(cPollingCycle::MeasurementBlock block)
{
    using Block = cPollingCycle::MeasurementBlock;
    // The quantities are numbered in the relay's layout, block after block.
    const auto range = [](Q first, Q last) {
        QList<Q> quantities;
        for (int q = int(first); q <= int(last); ++q)
            quantities << Q(q);
        return quantities;
    };
    switch (block) {
    case Block::Basics:
        return range(Q::Volts1, Q::PowerFactor3);
    case Block::Averages:
        return range(Q::VoltsAverage, Q::PowerFactorAverage);
    case Block::Sums:
        return range(Q::AmpsSum, Q::VArSum);
    case Block::BusGen:
        return range(Q::Frequency, Q::IGround);
    case Block::None:
        break;
    }
    return {};
}
