#pragma once

#include <QDateTime>

#include <array>
#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <optional>

class frmModbus;
class IClock;
class IUserInterface;

// The live measurements of the relay, read from its input registers in four
// groups and held as the link converted them.
class cTZLInputRegisters
{
public:
    // In the order the relay lays them out within each group.
    enum class Quantity {
        Volts1,
        Volts2,
        Volts3,
        Amps1,
        Amps2,
        Amps3,
        Power1,
        Power2,
        Power3,
        VA1,
        VA2,
        VA3,
        VAr1,
        VAr2,
        VAr3,
        PowerFactor1,
        PowerFactor2,
        PowerFactor3,
        VoltsAverage,
        AmpsAverage,
        PowerFactorAverage,
        AmpsSum,
        PowerSum,
        VASum,
        VArSum,
        Frequency,
        INeutral,
        BusFrequency,
        BusGenPhaseAngle,
        BusVolts,
        IGround,
        Count
    };

    // Every quantity's value where it has a reading, by quantity.
    using Readings = std::array<std::optional<float>, std::size_t(Quantity::Count)>;

    cTZLInputRegisters(frmModbus& link, IUserInterface& ui, const IClock& clock);

    float Value(Quantity quantity) const { return m_Values.at(std::size_t(quantity)); }
    // True when the latest read of the quantity succeeded; false after Clear
    // and when its group failed before storing it, whatever value it still
    // holds. A log of the measurements must not pass an old value off as new.
    bool HasReading(Quantity quantity) const { return m_HasReading.test(std::size_t(quantity)); }
    Readings CurrentReadings() const;
    // When the quantity was last read well since the last Clear; invalid
    // when it has not been read since.
    const QDateTime& ReadAt(Quantity quantity) const { return m_ReadAt.at(std::size_t(quantity)); }

    // How far a shown value can be trusted: never read (show nothing, a zero
    // would look real), fresh, or stale (its last read failed: the value is
    // the one read at ReadAt).
    enum class Reading { Never, Fresh, Stale };
    Reading ReadingOf(Quantity quantity) const;

    float Volts1() const { return Value(Quantity::Volts1); }
    float Volts2() const { return Value(Quantity::Volts2); }
    float Volts3() const { return Value(Quantity::Volts3); }
    float Amps1() const { return Value(Quantity::Amps1); }
    float Amps2() const { return Value(Quantity::Amps2); }
    float Amps3() const { return Value(Quantity::Amps3); }
    float Power1() const { return Value(Quantity::Power1); }
    float Power2() const { return Value(Quantity::Power2); }
    float Power3() const { return Value(Quantity::Power3); }
    float VA1() const { return Value(Quantity::VA1); }
    float VA2() const { return Value(Quantity::VA2); }
    float VA3() const { return Value(Quantity::VA3); }
    float VAr1() const { return Value(Quantity::VAr1); }
    float VAr2() const { return Value(Quantity::VAr2); }
    float VAr3() const { return Value(Quantity::VAr3); }
    float PowerFactor1() const { return Value(Quantity::PowerFactor1); }
    float PowerFactor2() const { return Value(Quantity::PowerFactor2); }
    float PowerFactor3() const { return Value(Quantity::PowerFactor3); }
    float VoltsAverage() const { return Value(Quantity::VoltsAverage); }
    float AmpsAverage() const { return Value(Quantity::AmpsAverage); }
    float PowerFactorAverage() const { return Value(Quantity::PowerFactorAverage); }
    float AmpsSum() const { return Value(Quantity::AmpsSum); }
    float PowerSum() const { return Value(Quantity::PowerSum); }
    float VASum() const { return Value(Quantity::VASum); }
    float VArSum() const { return Value(Quantity::VArSum); }
    float Frequency() const { return Value(Quantity::Frequency); }
    float INeutral() const { return Value(Quantity::INeutral); }
    float BusFrequency() const { return Value(Quantity::BusFrequency); }
    float BusGenPhaseAngle() const { return Value(Quantity::BusGenPhaseAngle); }
    float BusVolts() const { return Value(Quantity::BusVolts); }
    float IGround() const { return Value(Quantity::IGround); }

    // Each group reads its blocks in turn, stores each block as soon as it
    // arrives and stops at the first failed read, which the user is told
    // about once.
    bool UpLoadBasics(std::int16_t slave);
    bool UpLoadAverages(std::int16_t slave);
    bool UpLoadSums(std::int16_t slave);
    bool UpLoadBusGen(std::int16_t slave);
    // All four groups; after a failure nothing half-read is kept.
    bool Upload(std::int16_t slave);
    void Clear();

private:
    struct Block
    {
        std::int16_t Start;
        std::int16_t Registers;
        Quantity First; // the block fills Registers / 2 quantities from here
    };
    bool UploadGroup(std::int16_t slave, std::initializer_list<Block> blocks);

    frmModbus& m_Link;
    IUserInterface& m_UI;
    const IClock& m_Clock;
    std::array<float, std::size_t(Quantity::Count)> m_Values{};
    std::array<QDateTime, std::size_t(Quantity::Count)> m_ReadAt{};
    std::bitset<std::size_t(Quantity::Count)> m_HasReading;
};
