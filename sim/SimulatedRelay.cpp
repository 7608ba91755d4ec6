#include "SimulatedRelay.h"

#include "platform/ValueConverter.h"

#include <QTimeZone>
#include <cmath>
#include <numbers>

namespace {

constexpr int ClockFieldCount = 6;
constexpr int EventFieldCount = 9;
constexpr int BasicsRegisters = 36;
constexpr int BusGenStart = 224;
constexpr int BusGenRegisters = 10;

// Input registers of the single measurements.
constexpr int RegVoltsAverage = 42;
constexpr int RegAmpsAverage = 46;
constexpr int RegAmpsSum = 48;
constexpr int RegPowerSum = 52;
constexpr int RegVASum = 56;
constexpr int RegVArSum = 60;
constexpr int RegPowerFactorAverage = 62;
constexpr int RegFrequency = 70;
constexpr int RegINeutral = 224;
constexpr int RegBusFrequency = 226;
constexpr int RegBusGenPhaseAngle = 228;
constexpr int RegBusVolts = 230;
constexpr int RegIGround = 232;

constexpr bool InRange(int reg, int first, int registers)
{
    return reg >= first && reg < first + registers;
}

bool IsWholeNumber(float value)
{
    return std::isfinite(value) && std::nearbyint(value) == value;
}

bool IsWholeIn(float value, int low, int high)
{
    return IsWholeNumber(value) && value >= float(low) && value <= float(high);
}

// Two-digit relay years: 0..29 are this century, 30..99 the last one.
int FullYear(int twoDigitYear)
{
    if (twoDigitYear >= 0 && twoDigitYear <= 29)
        return 2000 + twoDigitYear;
    if (twoDigitYear >= 30 && twoDigitYear <= 99)
        return 1900 + twoDigitYear;
    return twoDigitYear;
}

// Composes clock fields with calendar carries. Arithmetic runs in UTC so a
// daylight-saving gap cannot swallow an hour; the result carries the same
// wall-clock fields in local time, as the master composes them.
QDateTime ComposeFields(const std::array<int, ClockFieldCount>& f)
{
    const QDate date = QDate(FullYear(f[0]), 1, 1).addMonths(f[1] - 1).addDays(f[2] - 1);
    const QDateTime utc = QDateTime(date, QTime(0, 0), QTimeZone::utc())
                              .addSecs(qint64(f[3]) * 3600 + qint64(f[4]) * 60 + f[5]);
    return QDateTime(utc.date(), utc.time());
}

std::array<int, ClockFieldCount> FieldsOf(const QDateTime& moment)
{
    const QDate d = moment.date();
    const QTime t = moment.time();
    return {d.year() % 100, d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

bool IsValidRelayDate(const std::array<int, ClockFieldCount>& f)
{
    return QDate::isValid(FullYear(f[0]), f[1], f[2]);
}

// The measured quantities at one moment, keyed by input register.
std::map<int, float> ComputeMeasurements(float volts, float current, float type, double t)
{
    constexpr double TwoPi = 2.0 * std::numbers::pi;
    const auto wave = [t](double period, double phase) {
        return std::sin(TwoPi * t / period + phase);
    };
    // Slightly unbalanced phases, so per-phase columns do not look copied.
    constexpr std::array<double, 3> VoltsBalance{1.000, 0.995, 1.004};
    constexpr std::array<double, 3> AmpsBalance{1.00, 0.97, 1.03};
    const double load = 0.6 + 0.02 * wave(37, 0);
    // On a 3-wire system the system volts are line to line, so each phase
    // carries a third of the total power at that voltage.
    const double perPhaseScale = std::lround(type) == 2 ? 1.0 / std::numbers::sqrt3 : 1.0;

    std::map<int, float> m;
    double voltsSum = 0, ampsSum = 0, powerSum = 0, vaSum = 0, varSum = 0;
    double neutralRe = 0, neutralIm = 0;
    for (int k = 0; k < 3; ++k) {
        const double v = volts * VoltsBalance[k] * (1 + 0.003 * wave(7, k));
        const double i = current * load * AmpsBalance[k] * (1 + 0.01 * wave(11, 2 * k));
        const double pf = 0.9 + 0.01 * wave(23, k);
        const double va = v * i * perPhaseScale;
        const double p = va * pf;
        const double q = va * std::sqrt(1 - pf * pf);
        m[0 + 2 * k] = float(v);
        m[6 + 2 * k] = float(i);
        m[12 + 2 * k] = float(p);
        m[18 + 2 * k] = float(va);
        m[24 + 2 * k] = float(q);
        m[30 + 2 * k] = float(pf);
        voltsSum += v;
        ampsSum += i;
        powerSum += p;
        vaSum += va;
        varSum += q;
        const double angle = -TwoPi * k / 3;
        neutralRe += i * std::cos(angle);
        neutralIm += i * std::sin(angle);
    }
    m[RegVoltsAverage] = float(voltsSum / 3);
    m[RegAmpsAverage] = float(ampsSum / 3);
    m[RegAmpsSum] = float(ampsSum);
    m[RegPowerSum] = float(powerSum);
    m[RegVASum] = float(vaSum);
    m[RegVArSum] = float(varSum);
    m[RegPowerFactorAverage] = vaSum > 0 ? float(powerSum / vaSum) : 0.0f;
    m[RegFrequency] = float(50.0 + 0.02 * wave(13, 0));
    // A 3-wire system has no neutral to carry the unbalance.
    m[RegINeutral] = std::lround(type) == 2 ? 0.0f : float(std::hypot(neutralRe, neutralIm));
    m[RegBusFrequency] = float(50.05 + 0.01 * wave(17, 0));
    // The bus slips 0.05 Hz against the generator: 18 degrees a second.
    m[RegBusGenPhaseAngle] = float(std::remainder(18.0 * t, 360.0));
    m[RegBusVolts] = float(volts * 1.002);
    m[RegIGround] = float(0.002 * current * (1 + 0.1 * wave(29, 0)));
    return m;
}

bool IsMeasurementPair(int reg)
{
    return (reg >= 0 && reg < BasicsRegisters) || reg == RegVoltsAverage || reg == RegAmpsAverage
           || reg == RegAmpsSum || reg == RegPowerSum || reg == RegVASum || reg == RegVArSum
           || reg == RegPowerFactorAverage || reg == RegFrequency
           || InRange(reg, BusGenStart, BusGenRegisters);
}

} // namespace

SimulatedRelay::SimulatedRelay()
    : m_Now([] { return QDateTime::currentDateTime(); })
{
    m_Started = m_Now();
    SetClock(m_Started);
}

// ---------------------------------------------------------------- the map

bool SimulatedRelay::IsHoldingPair(int reg)
{
    if (reg % 2 != 0)
        return false;
    return InRange(reg, RegSystemVolts, 6) || InRange(reg, RegTripSelector, 20)
           || InRange(reg, RegClockYear, 2 * ClockFieldCount) || reg == RegProductInfo
           || reg == RegProductSelector;
}

bool SimulatedRelay::IsWritableHoldingPair(int reg)
{
    return IsHoldingPair(reg) && reg != RegSystemType && reg != RegProductInfo;
}

bool SimulatedRelay::IsInputPair(int reg)
{
    if (reg % 2 != 0)
        return false;
    return IsMeasurementPair(reg) || InRange(reg, RegEventRecord, 2 * EventFieldCount);
}

bool SimulatedRelay::RangeInMap(RegisterKind kind, int start, int count)
{
    for (int reg = start; reg < start + count; ++reg) {
        const int pair = reg - reg % 2;
        if (!(kind == RegisterKind::Holding ? IsHoldingPair(pair) : IsInputPair(pair)))
            return false;
    }
    return true;
}

// ---------------------------------------------------------------- reading

ModbusException SimulatedRelay::ReadRegisters(RegisterKind kind, int start, int count,
                                              std::vector<std::uint16_t>& words)
{
    const auto type = kind == RegisterKind::Holding ? RegisterAccess::Type::ReadHolding
                                                    : RegisterAccess::Type::ReadInput;
    ModbusException result = ModbusException::None;
    if (count < 1 || count > MaxReadRegisters)
        result = ModbusException::IllegalDataValue;
    else if (start < 0 || !RangeInMap(kind, start, count))
        result = ModbusException::IllegalDataAddress;
    Record({type, start, count, {}, result});
    if (result != ModbusException::None)
        return result;

    const std::map<int, float> measured =
        kind == RegisterKind::Input
            ? ComputeMeasurements(m_SystemVolts, m_SystemCurrent, m_SystemType, SecondsRunning())
            : std::map<int, float>{};
    words.clear();
    for (int pair = start - start % 2; pair < start + count; pair += 2) {
        float value = 0;
        if (kind == RegisterKind::Holding)
            value = HoldingValue(pair);
        else if (auto pinned = m_PinnedInputs.find(pair); pinned != m_PinnedInputs.end())
            value = pinned->second;
        else if (InRange(pair, RegEventRecord, 2 * EventFieldCount))
            value = EventValue(pair);
        else
            value = measured.at(pair);
        std::uint8_t b[4];
        fnFTB(value, b[0], b[1], b[2], b[3], m_WordOrder);
        const std::uint16_t pairWords[2] = {std::uint16_t((b[0] << 8) | b[1]),
                                            std::uint16_t((b[2] << 8) | b[3])};
        for (int half = 0; half < 2; ++half) {
            const int reg = pair + half;
            if (reg >= start && reg < start + count)
                words.push_back(pairWords[half]);
        }
    }
    if (kind == RegisterKind::Input && InRange(RegEventRecord, start, count))
        DeliverEvent();
    return ModbusException::None;
}

float SimulatedRelay::HoldingValue(int reg) const
{
    switch (reg) {
    case RegSystemVolts:
        return m_SystemVolts;
    case RegSystemCurrent:
        return m_SystemCurrent;
    case RegSystemType:
        return m_SystemType;
    case RegTripSelector:
        return float(m_SelectedRelay);
    case RegProductSelector:
        return m_ProductSelector;
    case RegProductInfo:
        if (m_ProductSelector == float(SelectFirmwareVersion))
            return m_FirmwareVersion;
        if (m_ProductSelector == float(SelectPSCNumber))
            return m_PSCNumber;
        if (m_ProductSelector == float(SelectPSCIssue))
            return m_PSCIssue;
        return 0.0f;
    default:
        break;
    }
    if (InRange(reg, RegClockYear, 2 * ClockFieldCount))
        return float(ClockFields()[(reg - RegClockYear) / 2]);
    if (m_SelectedRelay == 0)
        return 0.0f; // the window of a deselected relay reads all zeros
    const TripDefinition& trip = m_Trips[m_SelectedRelay - 1];
    switch (reg) {
    case RegTripFunction:
        return float(trip.FunctionCode);
    case RegTripFlags:
        return float(trip.Flags);
    case RegTripStatus:
        return float(m_Status[m_SelectedRelay - 1]);
    default:
        return trip.Parameters[(reg - RegTripParameter1) / 2];
    }
}

float SimulatedRelay::EventValue(int reg) const
{
    if (m_EventCursor >= int(m_Events.size()))
        return 0.0f; // end marker: event number 0 and nothing else
    const RelayEvent& e = m_Events[m_EventCursor];
    const QDate d = e.When.date();
    const QTime t = e.When.time();
    const std::array<int, EventFieldCount> fields{
        e.Number, e.Relay, d.year() % 100, d.month(), d.day(), t.hour(), t.minute(), t.second(), 0};
    return float(fields[(reg - RegEventRecord) / 2]);
}

void SimulatedRelay::DeliverEvent()
{
    if (m_EventCursor >= int(m_Events.size())) {
        m_EventCursor = 0; // the end marker has gone out: the next pass starts over
        return;
    }
    ++m_EventCursor;
    if (m_EventCursor == EventCapacity)
        m_EventCursor = 0;
}

std::optional<float> SimulatedRelay::PeekValue(RegisterKind kind, int reg) const
{
    if (kind == RegisterKind::Holding)
        return IsHoldingPair(reg) ? std::optional<float>(HoldingValue(reg)) : std::nullopt;
    if (!IsInputPair(reg))
        return std::nullopt;
    if (auto pinned = m_PinnedInputs.find(reg); pinned != m_PinnedInputs.end())
        return pinned->second;
    if (InRange(reg, RegEventRecord, 2 * EventFieldCount))
        return EventValue(reg);
    return Measurement(reg);
}

std::optional<float> SimulatedRelay::Measurement(int reg) const
{
    if (!IsMeasurementPair(reg) || reg % 2 != 0)
        return std::nullopt;
    if (auto pinned = m_PinnedInputs.find(reg); pinned != m_PinnedInputs.end())
        return pinned->second;
    return ComputeMeasurements(m_SystemVolts, m_SystemCurrent, m_SystemType, SecondsRunning())
        .at(reg);
}

double SimulatedRelay::SecondsRunning() const
{
    if (!m_MeasurementsLive)
        return 0.0;
    return double(m_Started.msecsTo(m_Now())) / 1000.0;
}

// ---------------------------------------------------------------- writing

ModbusException SimulatedRelay::WriteRegisters(int start, const std::vector<std::uint16_t>& words)
{
    const int count = int(words.size());
    std::vector<float> values;
    for (int i = 0; i + 1 < count; i += 2) {
        values.push_back(fnBTF(std::uint8_t(words[i] >> 8), std::uint8_t(words[i] & 0xFF),
                               std::uint8_t(words[i + 1] >> 8), std::uint8_t(words[i + 1] & 0xFF),
                               m_WordOrder));
    }

    ModbusException result = ModbusException::None;
    if (start < 0 || start % 2 != 0)
        result = ModbusException::IllegalDataAddress;
    else if (count == 0 || count % 2 != 0)
        result = ModbusException::IllegalDataValue;
    else {
        // Check the whole write before changing anything. The selector may be
        // among the values, so the window check follows it along.
        int selected = m_SelectedRelay;
        for (std::size_t i = 0; i < values.size() && result == ModbusException::None; ++i) {
            const int reg = start + 2 * int(i);
            if (!IsWritableHoldingPair(reg))
                result = ModbusException::IllegalDataAddress;
            else if (InRange(reg, RegTripFunction, 18) && selected == 0)
                result = ModbusException::IllegalDataValue;
            else
                result = CheckWrite(reg, values[i]);
            if (reg == RegTripSelector && result == ModbusException::None)
                selected = int(values[i]);
        }
    }
    Record({RegisterAccess::Type::Write, start, count, values, result});
    if (result != ModbusException::None)
        return result;
    for (std::size_t i = 0; i < values.size(); ++i)
        ApplyWrite(start + 2 * int(i), values[i]);
    return ModbusException::None;
}

ModbusException SimulatedRelay::CheckWrite(int reg, float value) const
{
    constexpr std::array<std::pair<int, int>, ClockFieldCount> ClockLimits{
        {{0, 99}, {1, 12}, {1, 31}, {0, 23}, {0, 59}, {0, 59}}};
    bool ok = std::isfinite(value);
    if (reg == RegTripSelector)
        ok = IsWholeIn(value, 0, RelayCount);
    else if (reg == RegTripFunction || reg == RegTripFlags || reg == RegTripStatus)
        ok = IsWholeIn(value, 0, 255);
    else if (InRange(reg, RegClockYear, 2 * ClockFieldCount)) {
        const auto [low, high] = ClockLimits[(reg - RegClockYear) / 2];
        ok = IsWholeIn(value, low, high);
    }
    return ok ? ModbusException::None : ModbusException::IllegalDataValue;
}

bool SimulatedRelay::IsStoredValuePair(int reg)
{
    return reg == RegSystemVolts || reg == RegSystemCurrent
           || (reg >= RegTripParameter1 && reg < RegTripParameter1 + 12 && reg % 2 == 0);
}

float SimulatedRelay::StoreRule::Apply(float value) const
{
    if (Step > 0.0f)
        value = float(std::round(double(value) / Step) * Step);
    if (Maximum && value > *Maximum)
        value = *Maximum;
    return value;
}

void SimulatedRelay::ApplyWrite(int reg, float value)
{
    if (const auto rule = m_StoreRules.find(reg); rule != m_StoreRules.end())
        value = rule->second.Apply(value);
    if (reg == RegSystemVolts)
        m_SystemVolts = value;
    else if (reg == RegSystemCurrent)
        m_SystemCurrent = value;
    else if (reg == RegProductSelector)
        m_ProductSelector = value;
    else if (reg == RegTripSelector)
        m_SelectedRelay = int(value);
    else if (InRange(reg, RegClockYear, 2 * ClockFieldCount))
        ApplyClockField((reg - RegClockYear) / 2, int(value));
    else if (reg == RegTripStatus)
        ApplyStatusCommand(int(value));
    else {
        TripDefinition& trip = m_Trips[m_SelectedRelay - 1];
        if (reg == RegTripFunction)
            trip.FunctionCode = int(value);
        else if (reg == RegTripFlags)
            trip.Flags = int(value);
        else
            trip.Parameters[(reg - RegTripParameter1) / 2] = value;
    }
}

void SimulatedRelay::ApplyStatusCommand(int command)
{
    int& status = m_Status[m_SelectedRelay - 1];
    if (command & CommandResetLatch)
        status &= ~StatusLatched;
    // Only a raised alarm can be acknowledged.
    if ((command & CommandAcknowledgeAlarm) && (status & StatusInAlarm))
        status |= StatusAcknowledged;
}

void SimulatedRelay::Record(RegisterAccess access)
{
    m_Accesses.push_back(std::move(access));
}

std::vector<RegisterAccess> SimulatedRelay::Writes() const
{
    std::vector<RegisterAccess> writes;
    for (const RegisterAccess& a : m_Accesses) {
        if (a.Kind == RegisterAccess::Type::Write)
            writes.push_back(a);
    }
    return writes;
}

void SimulatedRelay::SetWordOrder(int wordOrder)
{
    m_WordOrder = wordOrder == 0 ? 0 : 1;
}

// ---------------------------------------------------------------- trips

void SimulatedRelay::SetTripDefinition(int relay, const TripDefinition& definition)
{
    if (relay >= 1 && relay <= RelayCount)
        m_Trips[relay - 1] = definition;
}

TripDefinition SimulatedRelay::GetTripDefinition(int relay) const
{
    if (relay >= 1 && relay <= RelayCount)
        return m_Trips[relay - 1];
    return {};
}

void SimulatedRelay::SetRelayStatus(int relay, int status)
{
    if (relay >= 1 && relay <= RelayCount)
        m_Status[relay - 1] = status & 0xFF;
}

int SimulatedRelay::RelayStatus(int relay) const
{
    if (relay >= 1 && relay <= RelayCount)
        return m_Status[relay - 1];
    return 0;
}

void SimulatedRelay::SetStatusBits(int relay, int bits, bool on)
{
    const int status = RelayStatus(relay);
    SetRelayStatus(relay, on ? status | bits : status & ~bits);
}

// ---------------------------------------------------------------- events

void SimulatedRelay::SetEvents(std::vector<RelayEvent> events)
{
    if (events.size() > std::size_t(EventCapacity))
        events.resize(EventCapacity);
    m_Events = std::move(events);
    m_EventCursor = 0;
}

bool SimulatedRelay::AddEvent(const RelayEvent& event)
{
    if (int(m_Events.size()) >= EventCapacity)
        return false;
    m_Events.push_back(event);
    return true;
}

void SimulatedRelay::ClearEvents()
{
    m_Events.clear();
    m_EventCursor = 0;
}

// ---------------------------------------------------------------- clock

void SimulatedRelay::SetTimeSource(std::function<QDateTime()> now)
{
    // Keep the relay's clock where it is; only its pace changes.
    const QDateTime relayNow = Clock();
    m_Now = std::move(now);
    m_Started = m_Now();
    SetClock(relayNow);
}

void SimulatedRelay::SetClock(const QDateTime& moment)
{
    m_Clock.Fields = FieldsOf(moment);
    m_Clock.Anchor = m_Now();
}

std::array<int, 6> SimulatedRelay::AdvancedClockFields() const
{
    std::array<int, ClockFieldCount> fields = m_Clock.Fields;
    fields[5] += int(m_Clock.Anchor.msecsTo(m_Now()) / 1000);
    return fields;
}

QDateTime SimulatedRelay::Clock() const
{
    // Through the two-digit fields again: past 2029 the relay is in 1930.
    return ComposeFields(FieldsOf(ComposeFields(AdvancedClockFields())));
}

std::array<int, 6> SimulatedRelay::ClockFields() const
{
    return FieldsOf(ComposeFields(AdvancedClockFields()));
}

// The master sets the clock one field at a time, so a date may be invalid for
// a moment (31 January becomes 31 February before the day is written). Such
// fields are kept as written rather than carried into March.
void SimulatedRelay::ApplyClockField(int field, int value)
{
    std::array<int, ClockFieldCount> fields = AdvancedClockFields();
    if (IsValidRelayDate(fields))
        fields = FieldsOf(ComposeFields(fields));
    fields[field] = value;
    m_Clock.Fields = fields;
    m_Clock.Anchor = m_Now();
}
