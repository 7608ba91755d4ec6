#pragma once

#include <QTextStream>
#include <cstdint>
#include <optional>

class frmModbus;

// Times repeated reads of the product-information block and sets them against
// the least time the line allows: request and response on the wire, plus the
// silence that ends a response unless fast response detection ends it.
class TransactionBenchmark
{
public:
    struct Result
    {
        int Count = 0;
        double MedianMs = 0;
        double Percentile95Ms = 0;
        double FloorMs = 0;
        double CpuPerTransactionMs = 0;
        void Print(QTextStream& out) const;
    };

    // The same reads with the silence ending each response and with fast
    // response detection.
    struct Comparison
    {
        Result Silence;
        Result Fast;
        void Print(QTextStream& out) const;
    };

    TransactionBenchmark(frmModbus& link, std::int16_t slave);
    // Nothing when a transaction fails (the link has said why).
    std::optional<Result> Run(int count);
    // `count` reads in each mode, taken in turns so that a change in the
    // machine's load falls on both alike. The link is left in the mode it was.
    std::optional<Comparison> Compare(int count);

private:
    struct Samples;

    bool TimeOneRead(Samples& samples);
    Result Summarise(const Samples& samples, bool fast) const;
    double FloorMs(bool fast) const;

    frmModbus& m_Link;
    std::int16_t m_Slave;
};
