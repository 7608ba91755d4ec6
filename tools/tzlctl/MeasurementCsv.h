#pragma once

#include <QFile>
#include <QString>

class cTZLInputRegisters;

// The CSV file of `tzlctl watch`: a header naming each column with its unit,
// then one row per cycle: the time, the 31 measurements and a status. Rows
// are appended, so a watch can carry on in yesterday's file; the numbers
// always use '.' whatever the locale, so the file reads the same everywhere.
class MeasurementCsv
{
public:
    static QString Header();

    // Opens the file for appending and writes the header to a new or empty
    // file. Refuses a file whose first line is another header: its columns
    // would not line up with the rows added. False with the reason.
    bool Open(const QString& path, QString& error);

    // One whole row, written and flushed at once, so the file ends with a
    // whole row whenever the program stops. A measurement whose latest read
    // failed, or that was never read, is an empty cell: an old value would
    // pass for a new one. False with the reason when the row did not go in.
    bool Append(const QString& timeStamp, const cTZLInputRegisters& inputs, const QString& status,
                QString& error);

    // The shortest text that reads back as the same float, with '.'.
    static QString Number(float value);

private:
    bool Write(const QString& text, QString& error);

    QFile m_File;
};
