#include "model/ConfigPrintout.h"

#include "model/SystemTypeText.h"
#include "model/cTZL.h"
#include "platform/IPrinter.h"

namespace {

constexpr double FontSize = 9.0;
constexpr int TitleColumn = 5;
constexpr int HeadingColumn = 10;
constexpr int ItemColumn = 15;
constexpr int ColonColumn = 35;
constexpr int ValueColumn = 38;
constexpr int UnitColumn = 53;

// At least one digit before the point, two after it, no grouping, and a
// decimal point whatever the desktop's locale, like the rest of the program.
QString Number(float value)
{
    return QString::number(double(value), 'f', 2);
}

QString YesNo(int flag)
{
    return flag ? QStringLiteral("Yes") : QStringLiteral("No");
}

} // namespace

ConfigPrintout::ConfigPrintout(const cTZL& device, IPrinter& printer)
    : m_Device(device)
    , m_Printer(printer)
{}

bool ConfigPrintout::Print()
{
    m_Printer.SetFontSize(FontSize);
    BlankLines(2);
    BoldLine(TitleColumn, QStringLiteral("TZL Protection Relay"));
    BlankLines(2);
    Line(Entry(HeadingColumn, QStringLiteral("Primary VT Value"), Number(m_Device.SystemVolts()))
         << Cells{{UnitColumn, QStringLiteral("Volts")}});
    Line(Entry(HeadingColumn, QStringLiteral("Primary CT Value"), Number(m_Device.SystemCurrent()))
         << Cells{{UnitColumn, QStringLiteral("Amps")}});
    Line(
        Entry(HeadingColumn, QStringLiteral("System Type"), SystemTypeText(m_Device.SystemType())));
    BlankLines(2);
    BoldLine(HeadingColumn, QStringLiteral("Relay Configuration"));
    for (std::int16_t relay = 1; relay <= cTripCatalogue::RelayCount; ++relay)
        PrintRelay(relay);
    return m_Printer.EndDoc();
}

void ConfigPrintout::PrintRelay(std::int16_t relay)
{
    const cTZLTrips& trips = m_Device.TripData;
    const auto function = std::int16_t(trips.FunctionNumber(relay));
    BlankLines(2);
    BoldLine(HeadingColumn, QStringLiteral("Relay Number %1").arg(relay));
    BlankLines(1);
    Line(Entry(HeadingColumn, QStringLiteral("Trip Name"), trips.TripName(relay)));
    Line(Entry(HeadingColumn, QStringLiteral("Trip Function"), trips.FunctionName(function)));
    BlankLines(1);
    Line({{HeadingColumn, QStringLiteral("Parameters")}});
    m_Printer.PrintLine(QStringLiteral(" "));
    for (std::int16_t p = 1; p <= trips.NumberOfParameters(function); ++p)
        Line(Entry(ItemColumn, trips.ParameterName(function, p),
                   Number(trips.ParameterValue(relay, p)))
             << Cells{{UnitColumn, trips.ParameterUnitName(function, p)}});
    BlankLines(1);
    Line({{HeadingColumn, QStringLiteral("Trip Mode")}});
    BlankLines(1);
    Line(Entry(ItemColumn, QStringLiteral("Latched"), YesNo(trips.LatchedFlag(relay))));
    Line(Entry(ItemColumn, QStringLiteral("Alarm"), YesNo(trips.AlarmFlag(relay))));
    Line(Entry(ItemColumn, QStringLiteral("Fail Safe"), YesNo(trips.InvertedFlag(relay))));
    Line(Entry(ItemColumn, QStringLiteral("Logged"), YesNo(trips.LoggedFlag(relay))));
}

void ConfigPrintout::Line(const Cells& cells)
{
    QList<PrintItem> items;
    for (const auto& [column, text] : cells)
        items.append({m_Printer.TabX(column), text});
    m_Printer.PrintLine(items);
}

void ConfigPrintout::BoldLine(int column, const QString& text)
{
    m_Printer.SetBold(true);
    Line({{column, text}});
    m_Printer.SetBold(false);
}

void ConfigPrintout::BlankLines(int count)
{
    for (int i = 0; i < count; ++i)
        m_Printer.PrintLine(QList<PrintItem>{});
}

ConfigPrintout::Cells ConfigPrintout::Entry(int column, const QString& name, const QString& value)
{
    return {{column, name}, {ColonColumn, QStringLiteral(":")}, {ValueColumn, value}};
}
