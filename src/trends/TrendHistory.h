#pragma once

#include "model/cPollingCycle.h"
#include "model/cTZLInputRegisters.h"

#include <QObject>
#include <array>
#include <chrono>
#include <deque>

// One value of one measurement at the moment it was read, or a gap where its
// read failed: a plot breaks its line there rather than draw through a value
// nobody read.
struct TrendSample
{
    qint64 TimeMs; // milliseconds since the epoch
    float Value;
    bool Gap;
};

// One pass of the measurement rotation: when it read, and whether its whole
// block came in.
struct TrendRecord
{
    qint64 TimeMs;
    bool Read;
};

// Every measurement the rotation reads, with the time it was read, for the
// last eight hours. Older samples drop out as new ones come, so the memory
// stays bounded whatever the polling rate; the samples of each measurement
// stay in time order.
class TrendHistory : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds Span = std::chrono::hours(8);
    using Samples = std::deque<TrendSample>;

    // Adds what one pass of the rotation read at `timeMs`: each measurement
    // of the block with its reading, or a gap where it has none. A pass that
    // read no block adds nothing. A time earlier than the newest one (the
    // PC's clock was set back) first drops the samples after it.
    void Record(qint64 timeMs, cPollingCycle::MeasurementBlock block,
                const cTZLInputRegisters::Readings& readings);
    void Clear();

    const Samples& SamplesOf(cTZLInputRegisters::Quantity quantity) const
    {
        return m_Samples.at(std::size_t(quantity));
    }
    const std::deque<TrendRecord>& Records() const { return m_Records; }
    bool IsEmpty() const { return m_Records.empty(); }
    // The newest record's time; 0 when empty.
    qint64 NewestTimeMs() const { return m_Records.empty() ? 0 : m_Records.back().TimeMs; }

Q_SIGNALS:
    void Recorded();
    void Cleared();

private:
    void DropAfter(qint64 timeMs);
    void DropBefore(qint64 timeMs);

    std::array<Samples, std::size_t(cTZLInputRegisters::Quantity::Count)> m_Samples;
    std::deque<TrendRecord> m_Records;
};
