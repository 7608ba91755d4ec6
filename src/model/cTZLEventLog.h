#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>

class frmModbus;
class IClock;
class IPrinter;
class IUserInterface;

// The relay's log of up to 50 trip events, read one event per read of the
// event block and kept by event number, whatever order the relay sends them
// in.
class cTZLEventLog
{
public:
    static constexpr int Capacity = 50;

    cTZLEventLog(frmModbus& link, IUserInterface& ui, IClock& clock);

    // Every record empty (relay -1), count 0.
    void Clear();
    // Reads up to 50 events, until the relay's end marker (event number 0).
    // On any failure the user is told and the log is left empty.
    bool Upload(std::int16_t slave);
    // Writes the event-log text file, replacing a file at the path only once
    // the new one is complete. A failure is shown to the user (and the old
    // file kept); the result says whether the file was written.
    bool SaveToFile(const QString& path);
    // Prints the log and ends the document; false when the printer could not
    // produce it.
    bool LogPrint(IPrinter& printer) const;

    // The fields of event n, or -1 when n is outside 1 to 50.
    std::int16_t EvtRelay(std::int16_t n) const;
    std::int16_t EvtYear(std::int16_t n) const;
    std::int16_t EvtMonth(std::int16_t n) const;
    std::int16_t EvtDay(std::int16_t n) const;
    std::int16_t EvtHour(std::int16_t n) const;
    std::int16_t EvtMinute(std::int16_t n) const;
    std::int16_t EvtSecond(std::int16_t n) const;
    // The moment of event n, read with the relay clock's rules; 2 February
    // 2002 20:02:02 when n is outside 1 to 50. Invalid when the stored fields
    // carry beyond the year 9999.
    QDateTime EvtDateTime(std::int16_t n) const;
    // The number of events read by the last upload; 0 marks an empty log.
    std::int16_t Count() const { return m_Count; }

private:
    struct Record
    {
        std::int16_t Relay = -1;
        std::int16_t Hour = 0;
        std::int16_t Minute = 0;
        std::int16_t Second = 0;
        std::int16_t Day = 0;
        std::int16_t Month = 0;
        std::int16_t Year = 0;
    };
    enum class ReadResult { Stored, EndOfLog, Failed };

    ReadResult ReadNextEvent(std::int16_t slave);
    ReadResult FormatFailure();
    const Record* At(std::int16_t n) const;
    std::int16_t Field(std::int16_t n, std::int16_t Record::*field) const;
    void ShowUpdateError(const QString& text);
    QByteArray LogText() const;

    frmModbus& m_Link;
    IUserInterface& m_UI;
    IClock& m_Clock;
    std::array<Record, Capacity> m_Records;
    std::int16_t m_Count = 0;
};
