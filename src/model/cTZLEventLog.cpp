#include "model/cTZLEventLog.h"

#include "link/frmModbus.h"
#include "model/EventLogPrintout.h"
#include "model/NearestInt16.h"
#include "model/RelayDateTime.h"
#include "platform/FileReplacer.h"
#include "platform/FileSystemError.h"
#include "platform/FileText.h"
#include "platform/IClock.h"
#include "platform/IUserInterface.h"
#include "platform/LocaleDateText.h"

#include <optional>
#include <vector>

namespace {

constexpr std::int16_t EventBlockRegister = 798;
constexpr std::int16_t EventBlockRegisters = 18;
const QString UpdateErrorTitle = QStringLiteral("Event Log Update Error");

QByteArray QuotedLine(const QString& text)
{
    return '"' + EncodeFileText(text) + "\"\r\n";
}

} // namespace

cTZLEventLog::cTZLEventLog(frmModbus& link, IUserInterface& ui, IClock& clock)
    : m_Link(link)
    , m_UI(ui)
    , m_Clock(clock)
{
    Clear();
}

void cTZLEventLog::Clear()
{
    m_Records.fill(Record{});
    m_Count = 0;
}

bool cTZLEventLog::Upload(std::int16_t slave)
{
    Clear();
    for (int read = 0; read < Capacity; ++read) {
        const ReadResult result = ReadNextEvent(slave);
        if (result == ReadResult::Failed) {
            Clear();
            return false;
        }
        if (result == ReadResult::EndOfLog)
            break;
    }
    // The count stays the number of events read, also when the relay ended
    // the log with its marker: an empty log is one that delivered no event.
    return true;
}

cTZLEventLog::ReadResult cTZLEventLog::ReadNextEvent(std::int16_t slave)
{
    std::vector<float> values;
    if (!m_Link.ReadInputRegisters(slave, EventBlockRegister, EventBlockRegisters, values)) {
        ShowUpdateError(QStringLiteral("Modbus Request Failed"));
        return ReadResult::Failed;
    }
    // Event number, relay, year, month, day, hour, minute, second; the ninth
    // value means nothing to us. The number decides what the block is before
    // the other values are looked at.
    const auto n = NearestInt16(values.at(0));
    if (!n)
        return FormatFailure();
    if (*n == 0)
        return ReadResult::EndOfLog;
    if (*n < 0 || *n > Capacity) {
        ShowUpdateError(QStringLiteral("TZL Returned Out of Range Event Number (%1) - check Word "
                                       "Order Setting")
                            .arg(*n));
        return ReadResult::Failed;
    }
    std::array<std::int16_t, 7> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto field = NearestInt16(values.at(i + 1));
        if (!field)
            return FormatFailure();
        fields[i] = *field;
    }
    Record& record = m_Records.at(std::size_t(*n - 1));
    record.Relay = fields[0];
    record.Year = fields[1];
    record.Month = fields[2];
    record.Day = fields[3];
    record.Hour = fields[4];
    record.Minute = fields[5];
    record.Second = fields[6];
    ++m_Count;
    return ReadResult::Stored;
}

cTZLEventLog::ReadResult cTZLEventLog::FormatFailure()
{
    m_UI.MsgBox(QStringLiteral("Error in Format of Event log data - check the Word Order Setting"),
                QStringLiteral("Data Format Error"), MsgButtons::OK, MsgIcon::None);
    return ReadResult::Failed;
}

void cTZLEventLog::ShowUpdateError(const QString& text)
{
    m_UI.MsgBox(text, UpdateErrorTitle, MsgButtons::OK, MsgIcon::None);
}

const cTZLEventLog::Record* cTZLEventLog::At(std::int16_t n) const
{
    if (n < 1 || n > Capacity)
        return nullptr;
    return &m_Records.at(std::size_t(n - 1));
}

std::int16_t cTZLEventLog::Field(std::int16_t n, std::int16_t Record::*field) const
{
    const Record* record = At(n);
    return record ? record->*field : std::int16_t(-1);
}

std::int16_t cTZLEventLog::EvtRelay(std::int16_t n) const
{
    return Field(n, &Record::Relay);
}
std::int16_t cTZLEventLog::EvtYear(std::int16_t n) const
{
    return Field(n, &Record::Year);
}
std::int16_t cTZLEventLog::EvtMonth(std::int16_t n) const
{
    return Field(n, &Record::Month);
}
std::int16_t cTZLEventLog::EvtDay(std::int16_t n) const
{
    return Field(n, &Record::Day);
}
std::int16_t cTZLEventLog::EvtHour(std::int16_t n) const
{
    return Field(n, &Record::Hour);
}
std::int16_t cTZLEventLog::EvtMinute(std::int16_t n) const
{
    return Field(n, &Record::Minute);
}
std::int16_t cTZLEventLog::EvtSecond(std::int16_t n) const
{
    return Field(n, &Record::Second);
}

QDateTime cTZLEventLog::EvtDateTime(std::int16_t n) const
{
    const Record* r = At(n);
    const auto moment =
        r ? ComposeRelayDateTime(r->Year, r->Month, r->Day, r->Hour, r->Minute, r->Second)
          : ComposeRelayDateTime(2, 2, 2, 20, 2, 2);
    return moment.value_or(QDateTime());
}

bool cTZLEventLog::SaveToFile(const QString& path)
{
    if (const auto error = ReplaceFileContents(path, LogText())) {
        ShowFileSystemError(m_UI, *error);
        return false;
    }
    return true;
}

bool cTZLEventLog::LogPrint(IPrinter& printer) const
{
    return EventLogPrintout(*this, printer).Print();
}

QByteArray cTZLEventLog::LogText() const
{
    QByteArray text;
    text.append(QuotedLine(QStringLiteral("TZL_EVENT_LOG_FILE")));
    text.append("1\r\n");
    if (m_Count == 0) {
        text.append(QuotedLine(QStringLiteral("**** Event Log Empty ****")));
        return text;
    }
    text.append(QuotedLine(QStringLiteral("Saved: ") + GeneralDateText(m_Clock.Now())));
    text.append(QuotedLine(QStringLiteral("Event No. , Time , Date , Relay No.")));
    for (std::int16_t n = 1; n <= Capacity; ++n) {
        if (EvtRelay(n) <= 0)
            continue;
        const QDateTime moment = EvtDateTime(n);
        text.append(QuotedLine(QStringLiteral("%1 , %2 , %3 , %4")
                                   .arg(n)
                                   .arg(LongTimeText(moment.time()), LongDateText(moment.date()))
                                   .arg(EvtRelay(n))));
    }
    return text;
}
