#include "trends/TrendHistory.h"

#include "trends/TrendSeries.h"

void TrendHistory::Record(qint64 timeMs, cPollingCycle::MeasurementBlock block,
                          const cTZLInputRegisters::Readings& readings)
{
    const QList<cTZLInputRegisters::Quantity> quantities = BlockQuantities(block);
    if (quantities.isEmpty())
        return;
    DropAfter(timeMs);
    DropBefore(timeMs - Span.count());
    bool read = true;
    for (cTZLInputRegisters::Quantity quantity : quantities) {
        // A group stops at its first failed read: what came before it is
        // new, the rest has no reading this time.
        const std::optional<float>& reading = readings.at(std::size_t(quantity));
        read = read && reading.has_value();
        m_Samples.at(std::size_t(quantity)).push_back({timeMs, reading.value_or(0.0f), !reading});
    }
    m_Records.push_back({timeMs, read});
    Q_EMIT Recorded();
}

void TrendHistory::Clear()
{
    for (Samples& samples : m_Samples)
        samples.clear();
    m_Records.clear();
    Q_EMIT Cleared();
}

void TrendHistory::DropAfter(qint64 timeMs)
{
    for (Samples& samples : m_Samples) {
        while (!samples.empty() && samples.back().TimeMs > timeMs)
            samples.pop_back();
    }
    while (!m_Records.empty() && m_Records.back().TimeMs > timeMs)
        m_Records.pop_back();
}

void TrendHistory::DropBefore(qint64 timeMs)
{
    for (Samples& samples : m_Samples) {
        while (!samples.empty() && samples.front().TimeMs < timeMs)
            samples.pop_front();
    }
    while (!m_Records.empty() && m_Records.front().TimeMs < timeMs)
        m_Records.pop_front();
}
