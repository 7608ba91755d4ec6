#pragma once

class IPrinter;
class cTZLEventLog;

// The event log as printed: a title, column headings, and one line per
// recorded event with its number, time, date and relay, an empty line apart.
// The columns are as wide as the longest time and date of the user's formats.
class EventLogPrintout
{
public:
    EventLogPrintout(const cTZLEventLog& log, IPrinter& printer);

    // Prints the log and ends the document; false when the document could not
    // be produced.
    bool Print();

private:
    struct Columns
    {
        double Number;
        double Time;
        double Date;
        double Relay;
    };

    Columns PrintHeadings(double margin);
    void PrintEvents(const Columns& columns);

    const cTZLEventLog& m_Log;
    IPrinter& m_Printer;
};
