#pragma once

#include "link/cCommsStatistics.h"
#include "model/cTZLInputRegisters.h"
#include "trips/ConfigSnapshot.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <array>
#include <cstdint>

// The parts of one pass over the relay, in the order they are read. Each
// either came across whole or has the reason it did not.
enum class ReadingSection {
    Identity,         // product information and clock
    SystemParameters, // system type, primary VT and CT values
    TripSettings,     // the 16 trip definitions
    RelayStates,      // the 16 output relays' status
    Measurements,     // one complete set of the 31 measurements
    EventLog
};

struct EventReading
{
    int Number;
    int Relay;
    QDateTime When;
};

// What one pass over the relay found, held apart from the configuration in
// memory: a record of the relay at one moment, for a commissioning report.
struct RelayReadings
{
    // When the pass started, by the PC's clock.
    QDateTime ReadAt;
    // The serial line as used ("/dev/ttyUSB0 9600,n,8,1") and the slave.
    QString Line;
    std::int16_t Slave = 1;
    int WordOrder = 0;

    float FirmwareVersion = 0.0F;
    float PSCNumber = 0.0F;
    float PSCIssue = 0.0F;
    QDateTime RelayClock;
    // Relay clock minus the PC's clock, read at the same moment.
    qint64 ClockOffsetSeconds = 0;

    // System parameters and trip definitions as an upload takes them (the
    // names are the defaults: the relay holds none), with each relay's status.
    ConfigSnapshot Settings;
    std::array<float, std::size_t(cTZLInputRegisters::Quantity::Count)> Measurements{};
    // In event-number order.
    QList<EventReading> Events;
    // The link's counters at the end of the pass.
    CommsCounts Statistics;

    // Why a section could not be read, in the words of the link or the model.
    QMap<ReadingSection, QString> Failures;

    bool Read(ReadingSection section) const { return !Failures.contains(section); }
    float Measurement(cTZLInputRegisters::Quantity quantity) const
    {
        return Measurements.at(std::size_t(quantity));
    }
};
