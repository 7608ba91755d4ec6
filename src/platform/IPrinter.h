#pragma once

#include <QList>
#include <QString>

// One piece of text on a printed line, starting at x (printer units).
struct PrintItem
{
    double X = 0.0;
    QString Text;
};

// The printer the printouts are laid out on: paper or a PDF file in the
// configurator and tzlctl, a recorder in the tests.
//
// Positions and sizes are in the printer's own units, measured from the top
// left corner of the printable area of the current page; y grows downwards.
// The font is the printer's default font at the size and weight set here.
class IPrinter
{
public:
    virtual ~IPrinter() = default;

    virtual void SetFontSize(double points) = 0;
    virtual void SetBold(bool bold) = 0;

    virtual double CurrentX() const = 0;
    virtual double CurrentY() const = 0;
    virtual void SetCurrentX(double x) = 0;
    virtual void SetCurrentY(double y) = 0;

    // The size of a text in the current font.
    virtual double TextWidth(const QString& text) const = 0;
    virtual double TextHeight(const QString& text) const = 0;
    // The x of tab position n: n - 1 character columns of the current font
    // size from the left edge, so column 1 is the edge itself. Bold text does
    // not move the columns.
    virtual double TabX(int column) const = 0;

    // Prints the items on one line at the current y, then moves to the start
    // of the next line. A line that would cross the bottom of the page goes
    // whole onto the top of a new page. No items make an empty line.
    virtual void PrintLine(const QList<PrintItem>& items) = 0;
    // The current text alone, at the current x.
    void PrintLine(const QString& text) { PrintLine({{CurrentX(), text}}); }

    virtual void NewPage() = 0;
    // Sends the document to the printer (or closes the file); false when it
    // could not be produced.
    virtual bool EndDoc() = 0;
};
