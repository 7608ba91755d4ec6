#include "model/MeasurementNames.h"

using Q = cTZLInputRegisters::Quantity;

const std::array<MeasurementName, std::size_t(Q::Count)> MeasurementNames{{
    {Q::Volts1, "Volts1", "V"},
    {Q::Volts2, "Volts2", "V"},
    {Q::Volts3, "Volts3", "V"},
    {Q::Amps1, "Amps1", "A"},
    {Q::Amps2, "Amps2", "A"},
    {Q::Amps3, "Amps3", "A"},
    {Q::Power1, "Power1", "W"},
    {Q::Power2, "Power2", "W"},
    {Q::Power3, "Power3", "W"},
    {Q::VA1, "VA1", "VA"},
    {Q::VA2, "VA2", "VA"},
    {Q::VA3, "VA3", "VA"},
    {Q::VAr1, "VAr1", "VAr"},
    {Q::VAr2, "VAr2", "VAr"},
    {Q::VAr3, "VAr3", "VAr"},
    {Q::PowerFactor1, "PowerFactor1", ""},
    {Q::PowerFactor2, "PowerFactor2", ""},
    {Q::PowerFactor3, "PowerFactor3", ""},
    {Q::VoltsAverage, "VoltsAverage", "V"},
    {Q::AmpsAverage, "AmpsAverage", "A"},
    {Q::PowerFactorAverage, "PowerFactorAverage", ""},
    {Q::AmpsSum, "AmpsSum", "A"},
    {Q::PowerSum, "PowerSum", "W"},
    {Q::VASum, "VASum", "VA"},
    {Q::VArSum, "VArSum", "VAr"},
    {Q::Frequency, "Frequency", "Hz"},
    {Q::INeutral, "INeutral", "A"},
    {Q::BusFrequency, "BusFrequency", "Hz"},
    {Q::BusGenPhaseAngle, "BusGenPhaseAngle", "deg"},
    {Q::BusVolts, "BusVolts", "V"},
    {Q::IGround, "IGround", "A"},
}};

QString MeasurementName::WithUnit() const
{
    const QString name = QString::fromLatin1(Name);
    return *Unit == '\0' ? name : QStringLiteral("%1 (%2)").arg(name, QString::fromLatin1(Unit));
}
