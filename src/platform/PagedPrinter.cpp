#include "platform/PagedPrinter.h"

void PagedPrinter::SetFontSize(double points)
{
    m_FontSize = points;
    FontChanged();
}

void PagedPrinter::SetBold(bool bold)
{
    m_Bold = bold;
    FontChanged();
}

double PagedPrinter::TabX(int column) const
{
    return column > 1 ? (column - 1) * ColumnWidth() : 0.0;
}

void PagedPrinter::PrintLine(const QList<PrintItem>& items)
{
    const double height = LineHeight();
    // A line at the top of a page stays there even when it is taller than
    // the page: no later page could take it either.
    if (m_Y > 0.0 && m_Y + height > PageHeight())
        NewPage();
    DrawLine(items);
    m_X = 0.0;
    m_Y += height;
}

void PagedPrinter::NewPage()
{
    StartPage();
    ++m_Page;
    m_X = 0.0;
    m_Y = 0.0;
}
