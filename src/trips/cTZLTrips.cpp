#include "trips/cTZLTrips.h"

#include "link/frmModbus.h"
#include "platform/IClock.h"
#include "platform/IUserInterface.h"
#include "trips/WholeNumber.h"

#include <QDateTime>
#include <QLocale>
#include <bit>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>

namespace {

// The trip-definition window of holding registers. Every item is one float in
// two registers.
constexpr std::int16_t SelectorRegister = 58; // relay number; 0 deselects
constexpr std::int16_t FunctionRegister = 60; // function code, not index
constexpr std::int16_t FlagsRegister = 62;
constexpr std::int16_t StatusRegister = 64; // status; commands are written here
constexpr std::int16_t FirstParameterRegister = 66;

constexpr int DefinitionValues = 10; // echo, code, flags, status, parameters 1 to 6
constexpr int StatusValues = 4;      // echo, code, flags, status

// Window positions of the values read.
constexpr std::size_t EchoAt = 0;
constexpr std::size_t CodeAt = 1;
constexpr std::size_t FlagsAt = 2;
constexpr std::size_t StatusAt = 3;
constexpr std::size_t FirstParameterAt = 4;

constexpr float ResetLatchCommand = 16.0F;
constexpr float AcknowledgeAlarmCommand = 4.0F;

const QString StatusErrorTitle = QStringLiteral("Relay Status Update Error");
const QString UploadErrorTitle = QStringLiteral("Upload Trip Definition Error");
const QString DownloadErrorTitle = QStringLiteral("Download Trip Definition Error");

// The relay number echoed by the window. A value beyond the 16-bit range
// cannot name any relay; it counts as a mismatch.
bool EchoIs(float echo, std::int16_t relay)
{
    return RoundToWhole(echo, INT16_MIN, INT16_MAX) == std::int64_t(relay);
}

std::optional<std::uint8_t> ToByte(float value)
{
    const auto whole = RoundToWhole(value, 0, 255);
    if (!whole)
        return std::nullopt;
    return std::uint8_t(*whole);
}

// A name the user would read as a number (12, 1.5, 1,000) is refused: in the
// editor and in printouts it would be taken for a value.
bool LooksNumeric(const QString& text)
{
    for (const QLocale& locale : {QLocale::c(), QLocale::system()}) {
        bool ok = false;
        const double value = locale.toDouble(text, &ok);
        if (ok && std::isfinite(value))
            return true;
    }
    return false;
}

} // namespace

// A command to one relay's status register, sent only while the relay's
// status needs it.
struct cTZLTrips::StatusCommand
{
    std::uint8_t Required; // bits that must all be set
    std::uint8_t Absent;   // bits that must all be clear
    float Value;
    QString FailurePrefix; // followed by the relay number and " failed"
    QString FailureTitle;

    bool NeededFor(std::uint8_t status) const
    {
        return (status & Required) == Required && (status & Absent) == 0;
    }
};

cTZLTrips::cTZLTrips(frmModbus& link, IUserInterface& ui, IClock& clock)
    : m_Link(link)
    , m_UI(ui)
    , m_Clock(clock)
{
    InitialiseRelayStatus();
    Clear();
}

// ---- Catalogue questions that depend on the records ----

int cTZLTrips::HightestTripCodeUsed() const
{
    int highest = 0;
    for (const TripRecord& record : m_Records) {
        highest = std::max(highest, FunctionCode(record.FunctionIndex));
        if (highest == 27)
            break;
    }
    return highest;
}

bool cTZLTrips::CompatibleWithFirmware(float firmwareVersion) const
{
    return HightestTripCodeUsed() <= HighestCodeAccepted(firmwareVersion);
}

// ---- Trip definitions on the relay ----

bool cTZLTrips::UploadTripDef(std::int16_t slave, std::int16_t relay)
{
    if (!ValidTripNumber(relay))
        return false;
    std::vector<float> window;
    if (!SelectRelay(slave, relay) || !ReadWindow(slave, DefinitionValues, window))
        return false;
    if (!EchoIs(window[EchoAt], relay)) {
        // Swapped register halves decode the echo as some other number.
        m_UI.MsgBox(QStringLiteral("Relay Number mismatch - Check Word Order Setting"),
                    UploadErrorTitle, MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    return StoreWindow(relay, window, UploadErrorTitle);
}

bool cTZLTrips::UploadAllTripDefs(std::int16_t slave,
                                  const std::function<bool(std::int16_t relay)>& keepGoing)
{
    for (std::int16_t relay = 1; relay <= RelayCount; ++relay) {
        if (!UploadTripDef(slave, relay))
            return false;
        if (keepGoing && !keepGoing(relay))
            return false;
        // The relay needs a moment between definitions.
        PauseToNextSecond();
    }
    return true;
}

bool cTZLTrips::DownloadTrip(std::int16_t slave, std::int16_t relay)
{
    if (!ValidTripNumber(relay))
        return false;
    const TripRecord& record = *Record(relay);
    std::vector<std::pair<std::int16_t, float>> writes{
        {SelectorRegister, float(relay)},
        {FunctionRegister, float(FunctionCode(record.FunctionIndex))},
        {FlagsRegister, float(record.Flags)},
        {StatusRegister, 0.0F}};
    for (int i = 0; i < TripRecord::ParameterCount; ++i)
        writes.emplace_back(std::int16_t(FirstParameterRegister + 2 * i),
                            record.ParameterValues[std::size_t(i)]);
    for (const auto& [reg, value] : writes) {
        if (!m_Link.WriteHoldingRegister(slave, reg, value))
            return false;
    }
    std::vector<float> window;
    if (!ReadWindow(slave, DefinitionValues, window) || !EchoIs(window[EchoAt], relay))
        return false;
    return StoreWindow(relay, window, DownloadErrorTitle);
}

bool cTZLTrips::Download(std::int16_t slave)
{
    for (std::int16_t relay = 1; relay <= RelayCount; ++relay) {
        if (!DownloadTrip(slave, relay))
            return false;
    }
    return m_Link.WriteHoldingRegister(slave, SelectorRegister, 0.0F);
}

// ---- Record accessors ----

QString cTZLTrips::TripName(std::int16_t relay) const
{
    const TripRecord* record = Record(relay);
    return record ? record->Name : QStringLiteral("(Unknown)");
}

int cTZLTrips::FunctionNumber(std::int16_t relay) const
{
    const TripRecord* record = Record(relay);
    return record ? record->FunctionIndex : 0;
}

int cTZLTrips::AlarmFlag(std::int16_t relay) const
{
    return FlagSet(relay, TripFlag::Alarm) ? 1 : 0;
}

int cTZLTrips::LoggedFlag(std::int16_t relay) const
{
    return FlagSet(relay, TripFlag::Logged) ? 1 : 0;
}

int cTZLTrips::InvertedFlag(std::int16_t relay) const
{
    return FlagSet(relay, TripFlag::Inverted) ? 1 : 0;
}

int cTZLTrips::LatchedFlag(std::int16_t relay) const
{
    return FlagSet(relay, TripFlag::Latched) ? 1 : 0;
}

float cTZLTrips::ParameterValue(std::int16_t relay, std::int16_t position) const
{
    const TripRecord* record = Record(relay);
    if (!record)
        return -1.0F;
    if (position < 1 || position > NumberOfParameters(record->FunctionIndex))
        return 0.0F;
    return record->ParameterValues[std::size_t(position - 1)];
}

void cTZLTrips::SetName(std::int16_t relay, const QVariant& name)
{
    TripRecord* record = Record(relay);
    if (!record)
        return;
    const QString text = name.toString().trimmed();
    const bool valid = !text.isEmpty() && !text.contains(u'\t') && !text.contains(u'\r')
                       && !text.contains(u'\n') && !LooksNumeric(text);
    record->Name = valid ? StorableName(text) : QStringLiteral("Relay %1").arg(relay);
}

void cTZLTrips::SetAlarmFlag(std::int16_t relay, bool on)
{
    SetFlag(relay, TripFlag::Alarm, on);
}

void cTZLTrips::SetLoggedFlag(std::int16_t relay, bool on)
{
    SetFlag(relay, TripFlag::Logged, on);
}

void cTZLTrips::SetInvertedFlag(std::int16_t relay, bool on)
{
    SetFlag(relay, TripFlag::Inverted, on);
}

void cTZLTrips::SetLatchedFlag(std::int16_t relay, bool on)
{
    SetFlag(relay, TripFlag::Latched, on);
}

void cTZLTrips::SetParameterValue(std::int16_t relay, std::int16_t position, float value)
{
    TripRecord* record = Record(relay);
    if (record && position >= 1 && position <= MaxParams())
        record->ParameterValues[std::size_t(position - 1)] = value;
}

void cTZLTrips::InitialiseTripRecord(std::int16_t relay, std::int16_t functionIndex)
{
    TripRecord* record = Record(relay);
    if (!record)
        return;
    const std::int16_t index = ValidTripFunction(functionIndex) ? functionIndex : 0;
    // An invalid function always resets, even a record already at 0.
    if (index == functionIndex && index == record->FunctionIndex)
        return;
    record->FunctionIndex = std::uint8_t(index);
    record->ParameterValues.fill(0.0F);
    if (index == 0)
        record->Flags = 0;
    else
        record->Flags |= TripFlag::Inverted;
}

void cTZLTrips::Clear()
{
    for (std::int16_t relay = 1; relay <= RelayCount; ++relay) {
        TripRecord& record = *Record(relay);
        record.Name = QStringLiteral("Relay Trip %1").arg(relay);
        record.FunctionIndex = 0;
        record.Flags = 0;
        record.ParameterValues.fill(0.0F);
    }
}

TripRecord cTZLTrips::TripDefinition(std::int16_t relay) const
{
    const TripRecord* record = Record(relay);
    return record ? *record : TripRecord{};
}

void cTZLTrips::SetTripDefinition(std::int16_t relay, const TripRecord& definition)
{
    TripRecord* record = Record(relay);
    if (!record)
        return;
    const std::uint8_t status = record->Status;
    *record = definition;
    record->Status = status;
}

QString cTZLTrips::StorableName(const QString& name)
{
    QString storable = name;
    storable.replace(u'"', u'\'');
    storable.replace(u'\r', u' ');
    storable.replace(u'\n', u' ');
    return storable;
}

// ---- Relay status ----

bool cTZLTrips::UploadStatus(std::int16_t slave, std::int16_t relay)
{
    if (!ValidTripNumber(relay)) {
        m_UI.MsgBox(QStringLiteral("Invalid Relay Number!"), StatusErrorTitle, MsgButtons::OK,
                    MsgIcon::None);
        return false;
    }
    if (!SelectRelay(slave, relay)) {
        // This title has always carried a leading blank.
        m_UI.MsgBox(QStringLiteral("Modbus Write Request Failed"), u' ' + StatusErrorTitle,
                    MsgButtons::OK, MsgIcon::None);
        return false;
    }
    std::vector<float> window;
    if (!ReadWindow(slave, StatusValues, window)) {
        m_UI.MsgBox(QStringLiteral("Modbus Read Request Failed"), StatusErrorTitle, MsgButtons::OK,
                    MsgIcon::None);
        return false;
    }
    if (!EchoIs(window[EchoAt], relay)) {
        m_UI.MsgBox(QStringLiteral("Relay number mismatch - check Word Order Setting"),
                    StatusErrorTitle, MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    const auto status = ToByte(window[StatusAt]);
    if (!status) {
        ShowOutOfRange(relay, StatusErrorTitle);
        return false;
    }
    Record(relay)->Status = *status;
    return true;
}

bool cTZLTrips::UploadAllStatus(std::int16_t slave)
{
    return ForEveryRelay(slave, &cTZLTrips::UploadStatus);
}

bool cTZLTrips::ResetTrip(std::int16_t slave, std::int16_t relay)
{
    static const StatusCommand reset{RelayStatusBit::Latched, 0, ResetLatchCommand,
                                     QStringLiteral("Reset of latch for Relay "),
                                     QStringLiteral("Reset Trip Error")};
    return RunStatusCommand(slave, relay, reset);
}

bool cTZLTrips::ResetTrips(std::int16_t slave)
{
    return ForEveryRelay(slave, &cTZLTrips::ResetTrip);
}

bool cTZLTrips::AcknowledgeAlarm(std::int16_t slave, std::int16_t relay)
{
    static const StatusCommand acknowledge{RelayStatusBit::InAlarm, RelayStatusBit::Acknowledged,
                                           AcknowledgeAlarmCommand,
                                           QStringLiteral("Acknowledgement of alarm on Relay "),
                                           QStringLiteral("Acknowledge Alarm Error")};
    return RunStatusCommand(slave, relay, acknowledge);
}

bool cTZLTrips::AcknowledgeAlarms(std::int16_t slave)
{
    return ForEveryRelay(slave, &cTZLTrips::AcknowledgeAlarm);
}

// Relays 1 to 16 in turn, stopping at the first that fails.
bool cTZLTrips::ForEveryRelay(std::int16_t slave,
                              bool (cTZLTrips::*action)(std::int16_t, std::int16_t))
{
    for (std::int16_t relay = 1; relay <= RelayCount; ++relay) {
        if (!(this->*action)(slave, relay))
            return false;
    }
    return true;
}

bool cTZLTrips::state(std::int16_t relay) const
{
    return StatusSet(relay, RelayStatusBit::Tripped);
}

bool cTZLTrips::IsActive(std::int16_t relay) const
{
    return StatusSet(relay, RelayStatusBit::Latched);
}

bool cTZLTrips::IsAcknowledged(std::int16_t relay) const
{
    return StatusSet(relay, RelayStatusBit::Acknowledged);
}

bool cTZLTrips::IsInAlarm(std::int16_t relay) const
{
    return StatusSet(relay, RelayStatusBit::InAlarm);
}

int cTZLTrips::LatchedCount() const
{
    int count = 0;
    for (std::int16_t relay = 1; relay <= RelayCount; ++relay)
        count += IsActive(relay) ? 1 : 0;
    return count;
}

int cTZLTrips::UnackedAlarmCount() const
{
    return std::popcount(UnackedAlarmRelays());
}

std::uint16_t cTZLTrips::UnackedAlarmRelays() const
{
    std::uint16_t relays = 0;
    for (std::int16_t relay = 1; relay <= RelayCount; ++relay)
        if (IsInAlarm(relay) && !IsAcknowledged(relay))
            relays |= std::uint16_t(1u << (relay - 1));
    return relays;
}

void cTZLTrips::InitialiseRelayStatus()
{
    for (TripRecord& record : m_Records)
        record.Status = 0;
}

// ---- Helpers ----

TripRecord* cTZLTrips::Record(std::int16_t relay)
{
    return ValidTripNumber(relay) ? &m_Records[std::size_t(relay - 1)] : nullptr;
}

const TripRecord* cTZLTrips::Record(std::int16_t relay) const
{
    return ValidTripNumber(relay) ? &m_Records[std::size_t(relay - 1)] : nullptr;
}

bool cTZLTrips::FlagSet(std::int16_t relay, std::uint8_t bit) const
{
    const TripRecord* record = Record(relay);
    return record && (record->Flags & bit) != 0;
}

void cTZLTrips::SetFlag(std::int16_t relay, std::uint8_t bit, bool on)
{
    TripRecord* record = Record(relay);
    if (!record)
        return;
    if (on)
        record->Flags |= bit;
    else
        record->Flags &= std::uint8_t(~bit);
}

bool cTZLTrips::StatusSet(std::int16_t relay, std::uint8_t bit) const
{
    const TripRecord* record = Record(relay);
    return record && (record->Status & bit) != 0;
}

bool cTZLTrips::SelectRelay(std::int16_t slave, std::int16_t relay)
{
    return m_Link.WriteHoldingRegisters(slave, SelectorRegister, 2, {float(relay)});
}

bool cTZLTrips::ReadWindow(std::int16_t slave, int values, std::vector<float>& window)
{
    // The link hands back exactly the values asked for, or fails.
    return m_Link.ReadHoldingRegisters(slave, SelectorRegister, std::int16_t(2 * values), window);
}

bool cTZLTrips::StoreWindow(std::int16_t relay, const std::vector<float>& window,
                            const QString& errorTitle)
{
    // Flags and status are bytes; anything else is not a definition this
    // program can hold, so the record keeps what it had.
    const auto flags = ToByte(window[FlagsAt]);
    const auto status = ToByte(window[StatusAt]);
    if (!flags || !status) {
        ShowOutOfRange(relay, errorTitle);
        return false;
    }
    TripRecord& record = *Record(relay);
    // A code beyond any integer is as unknown as any other missing code.
    const auto code = RoundToWhole(window[CodeAt], INT32_MIN, INT32_MAX);
    record.FunctionIndex = std::uint8_t(FunctionIndexOfCode(code ? std::int32_t(*code) : -1));
    record.Flags = *flags;
    record.Status = *status;
    for (std::size_t i = 0; i < record.ParameterValues.size(); ++i)
        record.ParameterValues[i] = window[FirstParameterAt + i];
    return true;
}

void cTZLTrips::ShowOutOfRange(std::int16_t relay, const QString& title)
{
    m_UI.MsgBox(
        QStringLiteral("Flags or status of Relay %1 read from TZL outside 0 to 255").arg(relay),
        title, MsgButtons::OK, MsgIcon::Exclamation);
}

void cTZLTrips::PauseToNextSecond()
{
    // Waiting for a full date and time, not a time of day, ends the pause on
    // time also when it starts in the last second before midnight.
    const QDateTime now = m_Clock.Now();
    m_Clock.WaitUntil(now.addMSecs(-now.time().msec()).addSecs(1));
}

bool cTZLTrips::RunStatusCommand(std::int16_t slave, std::int16_t relay,
                                 const StatusCommand& command)
{
    const TripRecord* record = Record(relay);
    if (!record || !command.NeededFor(record->Status))
        return true;
    if (SendStatusCommand(slave, relay, command))
        return true;
    m_UI.MsgBox(command.FailurePrefix + QString::number(relay) + QStringLiteral(" failed"),
                command.FailureTitle, MsgButtons::OK, MsgIcon::None);
    return false;
}

bool cTZLTrips::SendStatusCommand(std::int16_t slave, std::int16_t relay,
                                  const StatusCommand& command)
{
    std::vector<float> window;
    if (!SelectRelay(slave, relay) || !ReadWindow(slave, StatusValues, window))
        return false;
    // A status echoed for another relay says nothing about this one: storing
    // it here would show another relay's state under this relay's name.
    if (!EchoIs(window[EchoAt], relay))
        return false;
    auto status = ToByte(window[StatusAt]);
    if (status && command.NeededFor(*status)) {
        std::vector<float> readBack;
        if (!m_Link.WriteHoldingRegisters(slave, StatusRegister, 2, {command.Value})
            || !m_Link.ReadHoldingRegisters(slave, StatusRegister, 2, readBack))
            return false;
        status = ToByte(readBack[0]);
    }
    if (!status)
        return false;
    Record(relay)->Status = *status;
    return true;
}
