#include "model/MeasurementLayout.h"

using Q = cTZLInputRegisters::Quantity;

const std::array<MeasurementCell, 25> MeasurementCells{{
    {1, 1, Q::Volts1},
    {1, 2, Q::Volts2},
    {1, 3, Q::Volts3},
    {1, 4, Q::VoltsAverage},
    {2, 1, Q::Amps1},
    {2, 2, Q::Amps2},
    {2, 3, Q::Amps3},
    {2, 4, Q::AmpsAverage},
    {2, 5, Q::AmpsSum},
    {3, 1, Q::Power1},
    {3, 2, Q::Power2},
    {3, 3, Q::Power3},
    {3, 5, Q::PowerSum},
    {4, 1, Q::VA1},
    {4, 2, Q::VA2},
    {4, 3, Q::VA3},
    {4, 5, Q::VASum},
    {5, 1, Q::VAr1},
    {5, 2, Q::VAr2},
    {5, 3, Q::VAr3},
    {5, 5, Q::VArSum},
    {6, 1, Q::PowerFactor1},
    {6, 2, Q::PowerFactor2},
    {6, 3, Q::PowerFactor3},
    {6, 4, Q::PowerFactorAverage},
}};

const std::array<MeasurementRow, MeasurementGridRows> MeasurementRows{{
    {"Volts", "V"},
    {"Current", "A"},
    {"Power", "W"},
    {"VA", "VA"},
    {"VAr", "VAr"},
    {"P. Factor", ""},
}};

const std::array<const char*, MeasurementGridColumns> MeasurementColumns{"1", "2", "3", "Average",
                                                                         "Sum"};

const std::array<SingleMeasurement, 6> SingleMeasurements{{
    {Q::Frequency, "Gen Frequency", "Hz"},
    {Q::BusFrequency, "Bus Frequency", "Hz"},
    {Q::BusGenPhaseAngle, "Bus/Gen P.A.", "°"},
    {Q::BusVolts, "Bus Voltage", "V"},
    {Q::IGround, "I Ground", "A"},
    {Q::INeutral, "I Neutral", "A"},
}};
