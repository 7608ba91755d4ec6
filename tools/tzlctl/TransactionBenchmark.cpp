#include "TransactionBenchmark.h"

#include "link/frmModbus.h"
#include "platform/ISerialPort.h"
#include "platform/SerialLineSettings.h"

#include <QElapsedTimer>
#include <algorithm>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr std::int16_t BenchRegister = 238;
constexpr std::int16_t BenchRegisterCount = 4;
constexpr int RequestBytes = 8;
constexpr int ResponseBytes = 3 + 2 * BenchRegisterCount + 2;

double ProcessCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) {
        return double(t.tv_sec) * 1000.0 + double(t.tv_usec) / 1000.0;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double Percentile(std::vector<double> samples, double fraction)
{
    std::sort(samples.begin(), samples.end());
    const auto index = std::size_t(fraction * double(samples.size() - 1) + 0.5);
    return samples[std::min(index, samples.size() - 1)];
}

} // namespace

TransactionBenchmark::TransactionBenchmark(frmModbus& link, std::int16_t slave)
    : m_Link(link)
    , m_Slave(slave)
{}

std::optional<TransactionBenchmark::Result> TransactionBenchmark::Run(int count)
{
    std::vector<double> samples;
    samples.reserve(std::size_t(count));
    std::vector<float> values;
    const double cpuBefore = ProcessCpuMs();
    for (int i = 0; i < count; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!m_Link.ReadHoldingRegisters(m_Slave, BenchRegister, BenchRegisterCount, values))
            return std::nullopt;
        samples.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    Result result;
    result.Count = count;
    result.CpuPerTransactionMs = (ProcessCpuMs() - cpuBefore) / count;
    result.MedianMs = Percentile(samples, 0.5);
    result.Percentile95Ms = Percentile(samples, 0.95);
    result.FloorMs = FloorMs();
    return result;
}

double TransactionBenchmark::FloorMs() const
{
    const auto line =
        SerialLineSettings::Parse(m_Link.SerialPort().Settings()).value_or(SerialLineSettings{});
    const double characterMs = 1000.0 * line.BitsPerCharacter() / line.BaudRate;
    return (RequestBytes + ResponseBytes) * characterMs + m_Link.CharacterTimeout();
}

void TransactionBenchmark::Result::Print(QTextStream& out) const
{
    out << QStringLiteral("transactions:        %1\n").arg(Count)
        << QStringLiteral("median:              %1 ms\n").arg(MedianMs, 0, 'f', 2)
        << QStringLiteral("95th percentile:     %1 ms\n").arg(Percentile95Ms, 0, 'f', 2)
        << QStringLiteral("floor:               %1 ms\n").arg(FloorMs, 0, 'f', 2)
        << QStringLiteral("median / floor:      %1\n").arg(MedianMs / FloorMs, 0, 'f', 3)
        << QStringLiteral("CPU per transaction: %1 ms\n").arg(CpuPerTransactionMs, 0, 'f', 3);
}
