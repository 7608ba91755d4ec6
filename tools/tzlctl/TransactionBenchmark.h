#pragma once

#include <QTextStream>
#include <cstdint>
#include <optional>

class frmModbus;

// Times repeated reads of the product-information block and sets them against
// the least time the line allows: request and response on the wire plus the
// silence that ends a response.
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

    TransactionBenchmark(frmModbus& link, std::int16_t slave);
    // Nothing when a transaction fails (the link has said why).
    std::optional<Result> Run(int count);

private:
    double FloorMs() const;

    frmModbus& m_Link;
    std::int16_t m_Slave;
};
