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

struct TransactionBenchmark::Samples
{
    std::vector<double> ElapsedMs;
    double CpuMs = 0;
};

TransactionBenchmark::TransactionBenchmark(frmModbus& link, std::int16_t slave)
    : m_Link(link)
    , m_Slave(slave)
{}

std::optional<TransactionBenchmark::Result> TransactionBenchmark::Run(int count)
{
    Samples samples;
    for (int i = 0; i < count; ++i) {
        if (!TimeOneRead(samples))
            return std::nullopt;
    }
    return Summarise(samples, m_Link.FastResponseDetection());
}

std::optional<TransactionBenchmark::Comparison> TransactionBenchmark::Compare(int count)
{
    const bool modeBefore = m_Link.FastResponseDetection();
    Samples silence;
    Samples fast;
    bool ok = true;
    for (int i = 0; ok && i < count; ++i) {
        m_Link.SetFastResponseDetection(false);
        ok = TimeOneRead(silence);
        m_Link.SetFastResponseDetection(true);
        ok = ok && TimeOneRead(fast);
    }
    m_Link.SetFastResponseDetection(modeBefore);
    if (!ok)
        return std::nullopt;
    return Comparison{Summarise(silence, false), Summarise(fast, true)};
}

bool TransactionBenchmark::TimeOneRead(Samples& samples)
{
    std::vector<float> values;
    const double cpuBefore = ProcessCpuMs();
    QElapsedTimer timer;
    timer.start();
    if (!m_Link.ReadHoldingRegisters(m_Slave, BenchRegister, BenchRegisterCount, values))
        return false;
    samples.ElapsedMs.push_back(double(timer.nsecsElapsed()) / 1e6);
    samples.CpuMs += ProcessCpuMs() - cpuBefore;
    return true;
}

TransactionBenchmark::Result TransactionBenchmark::Summarise(const Samples& samples,
                                                             bool fast) const
{
    Result result;
    result.Count = int(samples.ElapsedMs.size());
    result.CpuPerTransactionMs = samples.CpuMs / result.Count;
    result.MedianMs = Percentile(samples.ElapsedMs, 0.5);
    result.Percentile95Ms = Percentile(samples.ElapsedMs, 0.95);
    result.FloorMs = FloorMs(fast);
    return result;
}

double TransactionBenchmark::FloorMs(bool fast) const
{
    const auto line =
        SerialLineSettings::Parse(m_Link.SerialPort().Settings()).value_or(SerialLineSettings{});
    const double characterMs = 1000.0 * line.BitsPerCharacter() / line.BaudRate;
    return (RequestBytes + ResponseBytes) * characterMs + (fast ? 0 : m_Link.CharacterTimeout());
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

void TransactionBenchmark::Comparison::Print(QTextStream& out) const
{
    out << "silence ends each response:\n";
    Silence.Print(out);
    out << "\nfast response detection:\n";
    Fast.Print(out);
    out << QStringLiteral("\nmedian, fast / silence:          %1\n")
               .arg(Fast.MedianMs / Silence.MedianMs, 0, 'f', 3)
        << QStringLiteral("95th percentile, fast / silence: %1\n")
               .arg(Fast.Percentile95Ms / Silence.Percentile95Ms, 0, 'f', 3);
}
