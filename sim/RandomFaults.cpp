#include "RandomFaults.h"

namespace {

// The generator's whole range as a fraction of one, so the share does not
// depend on how a standard library implements its distributions.
double Fraction(std::uint32_t draw)
{
    return double(draw) / 4294967296.0;
}

} // namespace

RandomFaults::RandomFaults(double percent, std::uint32_t seed)
    : m_Percent(percent)
    , m_Random(seed)
{}

bool RandomFaults::SetLog(const QString& path, QString& error)
{
    m_Log.setFileName(path);
    if (m_Log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return true;
    error = QStringLiteral("cannot write %1: %2").arg(path, m_Log.errorString());
    return false;
}

std::optional<SimFault> RandomFaults::Draw(int exchange)
{
    if (Fraction(m_Random()) * 100.0 >= m_Percent)
        return std::nullopt;
    const SimFault fault = Pick();
    ++m_Injected;
    if (m_Log.isOpen()) {
        m_Log.write(
            QStringLiteral("exchange %1: %2\n").arg(exchange).arg(fault.ToString()).toUtf8());
        m_Log.flush();
    }
    return fault;
}

SimFault RandomFaults::Pick()
{
    const std::uint32_t draw = m_Random();
    const int variant = int(draw / 4 % 4);
    switch (draw % 4) {
    case 0:
        return SimFault::NoAnswer();
    case 1:
        // Fewer bytes than the shortest answer, so it can never pass for one.
        return SimFault::ShortAnswer(1 + variant);
    case 2:
        return SimFault::BadCrc();
    default:
        return SimFault::Exception(variant % 2 == 0 ? 4 : 6);
    }
}
