#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <utility>

class IPrinter;
class cTZL;

// The configuration in memory as a plain-text report in tab columns: the
// system parameters, then one section for each of the 16 relays with its
// name, function, parameters and trip mode. One font size throughout; only
// the headings are bold.
class ConfigPrintout
{
public:
    ConfigPrintout(const cTZL& device, IPrinter& printer);

    // Prints the whole report and ends the document; false when the document
    // could not be produced.
    bool Print();

private:
    // Texts at tab columns, left to right.
    using Cells = QList<std::pair<int, QString>>;

    void PrintRelay(std::int16_t relay);
    void Line(const Cells& cells);
    void BoldLine(int column, const QString& text);
    void BlankLines(int count);
    // name at the column, then ":" and the value in their columns.
    static Cells Entry(int column, const QString& name, const QString& value);

    const cTZL& m_Device;
    IPrinter& m_Printer;
};
