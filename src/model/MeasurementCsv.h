#pragma once

#include "model/cTZLInputRegisters.h"

#include <QDateTime>
#include <QFile>
#include <QString>

// The CSV file of `tzlctl watch` and of the Trends window's export: a header
// naming each column with its unit, then one row per cycle: the time, the 31
// measurements and a status. Rows are appended, so a watch can carry on in
// yesterday's file; the numbers always use '.' whatever the locale, so the
// file reads the same everywhere.
class MeasurementCsv
{
public:
    static QString Header();

    // One row with its line end. A measurement whose latest read failed, or
    // that was never read, is an empty cell: an old value would pass for a
    // new one.
    static QString Row(const QString& timeStamp, const cTZLInputRegisters::Readings& readings,
                       const QString& status);

    // Local time with its offset: the engineer reads the rows beside the
    // relay's clock and event log, which keep local time, and the offset
    // keeps each stamp unambiguous across a change to or from summer time.
    static QString TimeStamp(const QDateTime& moment);

    // The shortest text that reads back as the same float, with '.'.
    static QString Number(float value);

    // Opens the file for appending and writes the header to a new or empty
    // file. Refuses a file whose first line is another header: its columns
    // would not line up with the rows added. False with the reason.
    bool Open(const QString& path, QString& error);

    // One whole row, written and flushed at once, so the file ends with a
    // whole row whenever the program stops. False with the reason when the
    // row did not go in.
    bool Append(const QString& timeStamp, const cTZLInputRegisters& inputs, const QString& status,
                QString& error);

private:
    bool Write(const QString& text, QString& error);

    QFile m_File;
};
