#include "model/EventLogPrintout.h"

#include "model/cTZLEventLog.h"
#include "platform/IPrinter.h"
#include "platform/LocaleDateText.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double TitleFontSize = 16.0;
constexpr double BodyFontSize = 12.0;
const QString NumberHeading = QStringLiteral("Event No.");
const QString ThreeBlanks = QStringLiteral("   ");

// Every hour, so both halves of a 12-hour clock are measured; the digits of a
// printer font are all equally wide, so the minutes and seconds do not matter.
// The dates cover every weekday in every month, each with a two-digit day.
double WidestTime(const IPrinter& printer)
{
    double widest = 0.0;
    for (int hour = 0; hour < 24; ++hour)
        widest = std::max(widest, printer.TextWidth(LongTimeText(QTime(hour, 0, 0))));
    return widest;
}

double WidestDate(const IPrinter& printer)
{
    double widest = 0.0;
    for (int month = 1; month <= 12; ++month)
        for (int day = 22; day <= 28; ++day)
            widest = std::max(widest, printer.TextWidth(LongDateText(QDate(2000, month, day))));
    return widest;
}

} // namespace

EventLogPrintout::EventLogPrintout(const cTZLEventLog& log, IPrinter& printer)
    : m_Log(log)
    , m_Printer(printer)
{}

bool EventLogPrintout::Print()
{
    m_Printer.SetFontSize(TitleFontSize);
    const double margin = std::round(m_Printer.TextWidth(QStringLiteral("WWW")));
    const double titleHeight = std::round(m_Printer.TextHeight(QStringLiteral("W")));
    m_Printer.SetCurrentX(margin);
    m_Printer.SetCurrentY(titleHeight);
    m_Printer.PrintLine(QStringLiteral("EVENT LOG ~ TZL Configurator"));
    m_Printer.SetCurrentY(m_Printer.CurrentY() + titleHeight);
    m_Printer.SetCurrentX(margin);

    const Columns columns = PrintHeadings(margin);
    // A log that delivered no event prints its headings alone.
    if (m_Log.Count() != 0)
        PrintEvents(columns);
    return m_Printer.EndDoc();
}

EventLogPrintout::Columns EventLogPrintout::PrintHeadings(double margin)
{
    m_Printer.SetFontSize(BodyFontSize);
    m_Printer.SetBold(true);
    // Each column is as wide as the longest time or date the user's formats
    // can give (a date of a Wednesday in September is longer than the last
    // day of 1999), so no event's text runs into the next column.
    const double gap = m_Printer.TextWidth(ThreeBlanks);
    Columns columns{};
    columns.Number = margin + m_Printer.TextWidth(NumberHeading) / 2.0;
    columns.Time = margin + m_Printer.TextWidth(NumberHeading + ThreeBlanks);
    columns.Date = columns.Time + gap + WidestTime(m_Printer);
    columns.Relay = std::round(columns.Date + gap + WidestDate(m_Printer));
    m_Printer.PrintLine({{margin, NumberHeading},
                         {columns.Time, QStringLiteral("Time")},
                         {columns.Date, QStringLiteral("Date")},
                         {columns.Relay, QStringLiteral("Relay No.")}});
    m_Printer.SetBold(false);
    return columns;
}

void EventLogPrintout::PrintEvents(const Columns& columns)
{
    const double lineHeight = std::round(m_Printer.TextHeight(QStringLiteral("W")));
    for (std::int16_t n = 1; n <= cTZLEventLog::Capacity; ++n) {
        const std::int16_t relay = m_Log.EvtRelay(n);
        if (relay == -1)
            continue;
        // Skipping a line's height before each event leaves an empty line
        // between consecutive events.
        m_Printer.SetCurrentY(std::round(m_Printer.CurrentY() + lineHeight));
        const QDateTime moment = m_Log.EvtDateTime(n);
        m_Printer.PrintLine({{columns.Number, QString::number(n)},
                             {columns.Time, LongTimeText(moment.time())},
                             {columns.Date, LongDateText(moment.date())},
                             {columns.Relay, QString::number(relay)}});
    }
}
