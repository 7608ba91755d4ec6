#include "SimFaults.h"

#include <QStringList>
#include <limits>

namespace {

struct FaultName
{
    SimFault::Kind Kind;
    const char* Name;
    int Values; // numbers after the name, each behind a colon
};

constexpr FaultName FaultNames[] = {
    {SimFault::Kind::None, "none", 0},
    {SimFault::Kind::NoAnswer, "no-answer", 0},
    {SimFault::Kind::ShortAnswer, "short", 1},
    {SimFault::Kind::BadCrc, "bad-crc", 0},
    {SimFault::Kind::Exception, "exception", 1},
    {SimFault::Kind::BadEcho, "bad-echo", 0},
    {SimFault::Kind::Delay, "delay", 1},
    {SimFault::Kind::Trickle, "trickle", 1},
    {SimFault::Kind::Babble, "babble", 1},
    {SimFault::Kind::OtherSlave, "other-slave", 0},
    {SimFault::Kind::BadFunction, "bad-function", 0},
    {SimFault::Kind::ByteCount, "byte-count", 1},
    {SimFault::Kind::GarbageBefore, "garbage-before", 1},
    {SimFault::Kind::GarbageAfter, "garbage-after", 1},
    {SimFault::Kind::Gap, "gap", 2},
    {SimFault::Kind::HangUp, "hang-up", 1},
};

// The range of a fault's value; a gap's first number is a byte count.
bool InRange(SimFault::Kind kind, int value)
{
    switch (kind) {
    case SimFault::Kind::ShortAnswer:
        return value >= 1 && value <= 4;
    case SimFault::Kind::Exception:
    case SimFault::Kind::GarbageBefore:
    case SimFault::Kind::GarbageAfter:
        return value >= 1 && value <= 255;
    case SimFault::Kind::ByteCount:
    case SimFault::Kind::HangUp:
        return value >= 0 && value <= 255;
    case SimFault::Kind::Babble:
        return value >= 1 && value <= 60000;
    default:
        return value >= 0 && value <= 600000;
    }
}

// "h238", "i0" or "238" (both tables). Values take a register pair, which
// starts at an even register: an odd one would never be read.
bool ParseRegister(QString text, QList<RegisterKind>& kinds, int& reg)
{
    kinds = {RegisterKind::Holding, RegisterKind::Input};
    if (text.startsWith(u'h')) {
        kinds = {RegisterKind::Holding};
        text.remove(0, 1);
    } else if (text.startsWith(u'i')) {
        kinds = {RegisterKind::Input};
        text.remove(0, 1);
    }
    bool ok = false;
    reg = text.toInt(&ok);
    return ok && reg >= 0 && reg <= 65535 && reg % 2 == 0;
}

} // namespace

QString SimFault::ToString() const
{
    for (const FaultName& n : FaultNames) {
        if (n.Kind != Type)
            continue;
        QString text = QString::fromLatin1(n.Name);
        if (n.Values == 2)
            text += u':' + QString::number(At);
        if (n.Values > 0)
            text += u':' + QString::number(Value);
        return text;
    }
    return {};
}

void SimFaults::Queue(const SimFault& fault)
{
    int exchange = m_Exchanges + 1;
    while (m_Ahead.contains(exchange))
        ++exchange;
    m_Ahead[exchange] = fault;
}

bool SimFaults::ScheduleAt(int exchange, const SimFault& fault)
{
    if (exchange <= m_Exchanges)
        return false;
    m_Ahead[exchange] = fault;
    return true;
}

void SimFaults::Clear()
{
    m_Ahead.clear();
    m_Persistent = SimFault::None();
    m_Exchanges = 0;
    m_Values.clear();
}

SimFault SimFaults::TakeNext()
{
    ++m_Exchanges;
    std::optional<SimFault> fault;
    if (const auto due = m_Ahead.find(m_Exchanges); due != m_Ahead.end()) {
        fault = due->second;
        m_Ahead.erase(due);
    }
    if (!fault && m_Source)
        fault = m_Source(m_Exchanges);
    return fault.value_or(m_Persistent);
}

void SimFaults::SetRegisterValue(RegisterKind kind, int reg, float value)
{
    m_Values[{kind, reg}] = value;
}

void SimFaults::SetRegisterNaN(RegisterKind kind, int reg)
{
    SetRegisterValue(kind, reg, std::numeric_limits<float>::quiet_NaN());
}

std::optional<float> SimFaults::RegisterValue(RegisterKind kind, int reg) const
{
    const auto it = m_Values.find({kind, reg});
    if (it == m_Values.end())
        return std::nullopt;
    return it->second;
}

std::optional<SimFault> SimFaults::ParseFault(const QString& text, QString& error)
{
    const QStringList parts = text.split(u':');
    const QString name = parts[0].trimmed().toLower();
    const QString valueText = text.section(u':', 1);
    for (const FaultName& n : FaultNames) {
        if (name != QLatin1String(n.Name))
            continue;
        SimFault fault{n.Kind, 0};
        if (n.Values == 0) {
            if (parts.size() > 1) {
                error = QStringLiteral("fault '%1' takes no value").arg(name);
                return std::nullopt;
            }
            return fault;
        }
        if (parts.size() == 1 && n.Kind == SimFault::Kind::Babble)
            return SimFault::Babble(DefaultBabbleGapMs);
        bool ok = false;
        bool atOk = true;
        fault.Value = parts.last().toInt(&ok);
        if (n.Values == 2)
            fault.At = parts[1].toInt(&atOk);
        const bool atInRange = n.Values < 2 || (fault.At >= 1 && fault.At <= 255);
        if (parts.size() != 1 + n.Values || !ok || !atOk || !atInRange
            || !InRange(n.Kind, fault.Value)) {
            error = QStringLiteral("bad value '%1' for fault '%2'").arg(valueText, name);
            return std::nullopt;
        }
        return fault;
    }
    error = QStringLiteral("unknown fault '%1'").arg(text);
    return std::nullopt;
}

bool SimFaults::ApplyFaultText(const QString& faultText, QString& error)
{
    const QString text = faultText.trimmed();
    const QString name = text.section(u':', 0, 0).toLower();
    if (name == u"nan" || name == u"value") {
        QString regText = text.section(u':', 1);
        float value = std::numeric_limits<float>::quiet_NaN();
        if (name == u"value") {
            bool ok = false;
            value = regText.section(u'=', 1).toFloat(&ok);
            if (!ok || !regText.contains(u'=')) {
                error = QStringLiteral("'%1' needs the form value:REG=V").arg(faultText);
                return false;
            }
            regText = regText.section(u'=', 0, 0);
        }
        QList<RegisterKind> kinds;
        int reg = 0;
        if (!ParseRegister(regText, kinds, reg)) {
            error = QStringLiteral("bad register in '%1' (a value starts at an even register)")
                        .arg(faultText);
            return false;
        }
        for (RegisterKind kind : kinds)
            SetRegisterValue(kind, reg, value);
        return true;
    }

    const qsizetype at = text.indexOf(u'@');
    const auto fault = ParseFault(at < 0 ? text : text.left(at), error);
    if (!fault)
        return false;
    if (at < 0) {
        SetPersistent(*fault);
        return true;
    }
    bool ok = false;
    const int exchange = text.mid(at + 1).toInt(&ok);
    if (!ok || exchange < 1 || !ScheduleAt(exchange, *fault)) {
        error = QStringLiteral("bad exchange number in '%1'").arg(faultText);
        return false;
    }
    return true;
}
