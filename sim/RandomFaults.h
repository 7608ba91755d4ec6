#pragma once

#include "SimFaults.h"

#include <QFile>
#include <QString>
#include <cstdint>
#include <optional>
#include <random>

// Faults at random, for soak tests and for training on a poor line: about the
// given share of exchanges goes wrong, each with a fault drawn evenly from
// those a master has to count as a failed transaction: no answer, a short
// answer, a bad CRC, an exception (4, slave device failure, or 6, busy). The
// same seed gives the same faults on the same exchanges.
class RandomFaults
{
public:
    // `percent` from 0 to 100.
    RandomFaults(double percent, std::uint32_t seed);

    // Also writes a line per injected fault, "exchange 17: no-answer", each
    // flushed at once so the log is whole however the simulator ends.
    bool SetLog(const QString& path, QString& error);

    // The fault for the exchange, or none.
    std::optional<SimFault> Draw(int exchange);
    int Injected() const { return m_Injected; }

private:
    SimFault Pick();

    double m_Percent;
    std::mt19937 m_Random;
    QFile m_Log;
    int m_Injected = 0;
};
