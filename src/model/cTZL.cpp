#include "model/cTZL.h"

#include "link/ModbusFrames.h"
#include "link/frmModbus.h"
#include "model/ConfigPrintout.h"
#include "model/NearestInt16.h"
#include "model/ParamLimits.h"
#include "model/PowerRatings.h"
#include "model/RelayDateTime.h"
#include "platform/IUserInterface.h"
#include "trips/cConfigFile.h"

#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr std::int16_t ProductInfoRegister = 238;
constexpr std::int16_t ProductSelectorRegister = 240;
constexpr std::int16_t ClockRegister = 98;
constexpr std::int16_t ClockRegisters = 12;
constexpr std::int16_t OneValue = 2;

constexpr float SelectFirmwareVersion = 2.0f;
constexpr float SelectPSCNumber = 4.0f;
constexpr float SelectPSCIssue = 5.0f;
// Firmware from before the product-information selector answers 0 and 0.
constexpr float FirmwareWithoutSelector = 2.44f;

bool UserSaysYes(IUserInterface& ui, const QString& question, const QString& title)
{
    return ui.MsgBox(question, title, MsgButtons::YesNo, MsgIcon::None) == MsgResult::Yes;
}

} // namespace

cTZL::cTZL(frmModbus& link, IUserInterface& ui, IClock& clock)
    : TripData(link, ui, clock)
    , EventLog(link, ui, clock)
    , Inputs(link, ui, clock)
    , m_Link(link)
    , m_UI(ui)
    , m_System(link)
    , m_Rescaler(*this)
    , m_Editor(*this, ui)
{}

// ---- product information ----

// An item of the product information: its selector and the words of its
// format error.
struct cTZL::ProductItem
{
    float Selector;
    QString Name;
    QString Title;
};

const cTZL::ProductItem cTZL::FirmwareVersionItem{SelectFirmwareVersion, QStringLiteral("Version"),
                                                  QStringLiteral("Version Format Error")};
const cTZL::ProductItem cTZL::PSCNumberItem{SelectPSCNumber, QStringLiteral("PSC Number"),
                                            QStringLiteral("PSC Number Format Error")};
const cTZL::ProductItem cTZL::PSCIssueItem{SelectPSCIssue, QStringLiteral("PSC Issue"),
                                           QStringLiteral("PSC Issue Format Error")};

float cTZL::GetFirmwareVersion(std::int16_t slave)
{
    return QueryProductInfo(slave, FirmwareVersionItem).value_or(0.0f);
}

float cTZL::GetPSCNumber(std::int16_t slave)
{
    return QueryProductInfo(slave, PSCNumberItem).value_or(0.0f);
}

float cTZL::GetPSCIssue(std::int16_t slave)
{
    return QueryProductInfo(slave, PSCIssueItem).value_or(0.0f);
}

std::optional<float> cTZL::QueryProductInfo(std::int16_t slave, const ProductItem& item)
{
    const float selector = item.Selector;
    if (!m_Link.WriteHoldingRegister(slave, ProductSelectorRegister, selector))
        return std::nullopt;
    std::vector<float> values;
    if (!m_Link.ReadHoldingRegisters(slave, ProductInfoRegister, 2 * OneValue, values))
        return std::nullopt;
    const float value = values.at(0);
    const float echo = values.at(1);
    // A register pair that is not a number, or a selector echo far outside
    // any selector, is what a wrong word order makes of the answer.
    if (value == ModbusFrames::OverflowValue || !NearestInt16(echo)) {
        m_UI.MsgBox(QStringLiteral("Error in TZL %1 - Check Word Order Setting").arg(item.Name),
                    item.Title, MsgButtons::OK, MsgIcon::None);
        return std::nullopt;
    }
    if (selector == SelectFirmwareVersion && value == 0.0f && echo == 0.0f)
        return FirmwareWithoutSelector;
    if (echo != selector)
        return std::nullopt;
    return value;
}

bool cTZL::UploadProductInfo(std::int16_t slave)
{
    const auto version = QueryProductInfo(slave, FirmwareVersionItem);
    const auto number = QueryProductInfo(slave, PSCNumberItem);
    const auto issue = QueryProductInfo(slave, PSCIssueItem);
    m_VersionNumber = version.value_or(0.0f);
    m_PSCNumber = number.value_or(0.0f);
    m_PSCIssue = issue.value_or(0.0f);
    return version && number && issue;
}

// ---- clock ----

QDateTime cTZL::NoClockReading()
{
    return QDateTime(QDate(1900, 1, 1), QTime(0, 0));
}

QDateTime cTZL::GetRTC(std::int16_t slave)
{
    std::vector<float> values;
    if (!m_Link.ReadHoldingRegisters(slave, ClockRegister, ClockRegisters, values))
        return NoClockReading();
    // Year (two digits), month, day, hour, minute, second.
    std::array<int, 6> fields{};
    bool readable = true;
    for (std::size_t i = 0; i < fields.size() && readable; ++i) {
        const auto field = NearestInt16(values.at(i));
        readable = field.has_value();
        fields[i] = field.value_or(0);
    }
    const auto moment = readable ? ComposeRelayDateTime(fields[0], fields[1], fields[2], fields[3],
                                                        fields[4], fields[5])
                                 : std::nullopt;
    if (!moment) {
        m_UI.MsgBox(QStringLiteral("Error in TZL Date & Time Format - Check Word Order Setting"),
                    QStringLiteral("Date & Time Format Error"), MsgButtons::OK, MsgIcon::None);
        return NoClockReading();
    }
    return *moment;
}

bool cTZL::SetRTC(std::int16_t slave, const QDateTime& newDate)
{
    const QDate date = newDate.date();
    const QTime time = newDate.time();
    // The relay keeps the year as its last two digits.
    const std::array<int, 6> fields{date.year() % 100, date.month(),  date.day(),
                                    time.hour(),       time.minute(), time.second()};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto reg = std::int16_t(ClockRegister + 2 * int(i));
        if (!m_Link.WriteHoldingRegisters(slave, reg, OneValue, {float(fields[i])}))
            return false;
    }
    return true;
}

// ---- whole configuration ----

bool cTZL::UploadConfig(std::int16_t slave)
{
    const bool systemRead = m_System.Upload(slave);
    UploadProductInfo(slave);
    const bool tripsRead = TripData.UploadAllTripDefs(slave);
    return systemRead && tripsRead;
}

bool cTZL::DownloadConfig(std::int16_t slave)
{
    // A system type that is no whole number at all cannot match the relay's.
    const auto type = NearestInt16(SystemType());
    if (!(type && m_System.SystemTypeMatches(slave, *type))
        && !UserSaysYes(
            m_UI, QStringLiteral("Configuration & TZL SystemType mismatch - downloaded anyway?"),
            QStringLiteral("System Type Mismatch")))
        return false;
    if (!TripData.CompatibleWithFirmware(GetFirmwareVersion(slave))
        && !UserSaysYes(m_UI,
                        QStringLiteral("Trip configuration contains settings that may not be "
                                       "supported by the target unit - downloaded anyway?"),
                        QStringLiteral("Version Compatibility")))
        return false;
    const bool systemWritten = m_System.Download(slave);
    const bool tripsWritten = TripData.Download(slave);
    return systemWritten && tripsWritten;
}

void cTZL::ConfigClear()
{
    TripData.Clear();
    m_System.Clear();
}

void cTZL::TransientDataClear()
{
    EventLog.Clear();
    Inputs.Clear();
    TripData.InitialiseRelayStatus();
}

ConfigSnapshot cTZL::Snapshot() const
{
    ConfigSnapshot snapshot;
    snapshot.SystemType = m_System.SystemType();
    snapshot.SystemVolts = m_System.SystemVolts();
    snapshot.SystemCurrent = m_System.SystemCurrent();
    for (std::int16_t relay = 1; relay <= cTripCatalogue::RelayCount; ++relay)
        snapshot.Trips.at(std::size_t(relay - 1)) = TripData.TripDefinition(relay);
    return snapshot;
}

bool cTZL::SaveConfigToFile(const QString& path)
{
    return cConfigFile(m_UI).Save(path, Snapshot());
}

bool cTZL::LoadConfigFromFile(const QString& path)
{
    const auto data = cConfigFile(m_UI).Load(path);
    if (!data)
        return false;
    UseConfig(*data);
    return true;
}

void cTZL::UseConfig(const ConfigSnapshot& data)
{
    m_System.SetStoredValues(data.SystemType, data.SystemVolts, data.SystemCurrent);
    for (std::int16_t relay = 1; relay <= cTripCatalogue::RelayCount; ++relay)
        TripData.SetTripDefinition(relay, data.Trips.at(std::size_t(relay - 1)));
}

bool cTZL::PrintConfig(IPrinter& printer) const
{
    return ConfigPrintout(*this, printer).Print();
}

// ---- system parameters ----

void cTZL::TakeUploadedConfig(const cTZL& uploaded)
{
    m_System.SetStoredValues(uploaded.SystemType(), uploaded.SystemVolts(),
                             uploaded.SystemCurrent());
    TripData.TakeRecords(uploaded.TripData);
    m_VersionNumber = uploaded.m_VersionNumber;
    m_PSCNumber = uploaded.m_PSCNumber;
    m_PSCIssue = uploaded.m_PSCIssue;
}

QList<ParameterCorrection> cTZL::ResetParametersOutsideLimits()
{
    QList<ParameterCorrection> corrections;
    for (std::int16_t relay = 1; relay <= cTripCatalogue::RelayCount; ++relay) {
        const auto function = std::int16_t(TripData.FunctionNumber(relay));
        const int count = cTripCatalogue::NumberOfParameters(function);
        for (std::int16_t position = 1; position <= count; ++position) {
            float minimum = 0.0f;
            float maximum = 0.0f;
            float defaultValue = 0.0f;
            ParamLimits(function, position, minimum, maximum, defaultValue);
            const float value = TripData.ParameterValue(relay, position);
            if (minimum <= value && value <= maximum)
                continue;
            TripData.SetParameterValue(relay, position, defaultValue);
            corrections.append({relay, TripData.TripName(relay),
                                cTripCatalogue::ParameterName(function, position).trimmed(),
                                cTripCatalogue::ParameterUnitName(function, position).trimmed(),
                                value, minimum, maximum, defaultValue});
        }
    }
    return corrections;
}

void cTZL::SetSystemVolts(float volts)
{
    const float oldVolts = m_System.SystemVolts();
    m_System.SetSystemVolts(volts);
    float ratio = 1.0f;
    if (!RescaleRatio(oldVolts, m_System.SystemVolts(), ratio))
        return;
    m_Rescaler.AdjustVoltBasedParameters(ratio);
    m_Rescaler.AdjustPowerBasedParameters(ratio);
}

void cTZL::SetSystemCurrent(float current)
{
    const float oldCurrent = m_System.SystemCurrent();
    m_System.SetSystemCurrent(current);
    float ratio = 1.0f;
    if (!RescaleRatio(oldCurrent, m_System.SystemCurrent(), ratio))
        return;
    m_Rescaler.AdjustCurrentBasedParameters(ratio);
    m_Rescaler.AdjustPowerBasedParameters(ratio);
}

bool cTZL::RescaleRatio(float oldValue, float newValue, float& ratio)
{
    // An old value of 0 (or one that is not a number) can only come from a
    // relay's read-back or a file; there is nothing to scale from.
    if (oldValue == 0.0f || !std::isfinite(oldValue))
        return false;
    ratio = newValue / oldValue;
    return true;
}

float cTZL::PhasePower() const
{
    return PhasePowerOf(SystemType(), SystemVolts(), SystemCurrent());
}

float cTZL::SystemPower() const
{
    return SystemPowerOf(SystemType(), SystemVolts(), SystemCurrent());
}

void cTZL::ParamLimits(std::int16_t functionIndex, std::int16_t position, float& minimum,
                       float& maximum, float& defaultValue) const
{
    const ParameterLimits limits =
        ParamLimitsFor(functionIndex, position, SystemVolts(), SystemCurrent(), PhasePower());
    minimum = limits.Minimum;
    maximum = limits.Maximum;
    defaultValue = limits.Default;
}
