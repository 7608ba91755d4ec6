#include "platform/QtPrinter.h"

#include <QPrinter>

QtPrinter::QtPrinter(QPrinter& printer)
    : m_Printer(printer)
    , m_Metrics(m_Font, &printer)
{
    // An unwritable PDF file or a printer that went away leaves the painter
    // inactive; the layout still runs and EndDoc reports the failure.
    m_Failed = !m_Painter.begin(&m_Printer);
    FontChanged();
}

double QtPrinter::TextWidth(const QString& text) const
{
    return m_Metrics.horizontalAdvance(text);
}

bool QtPrinter::EndDoc()
{
    if (m_Painter.isActive() && !m_Painter.end())
        m_Failed = true;
    return !m_Failed;
}

void QtPrinter::FontChanged()
{
    m_Font.setPointSizeF(FontSize());
    m_Font.setBold(false);
    // Measured on the printer, so widths are in its units at its resolution.
    m_ColumnWidth = QFontMetricsF(m_Font, &m_Printer).averageCharWidth();
    m_Font.setBold(Bold());
    m_Metrics = QFontMetricsF(m_Font, &m_Printer);
    if (m_Painter.isActive())
        m_Painter.setFont(m_Font);
}

double QtPrinter::ColumnWidth() const
{
    return m_ColumnWidth;
}

double QtPrinter::LineHeight() const
{
    return m_Metrics.lineSpacing();
}

double QtPrinter::PageHeight() const
{
    // The painter's origin is the top left corner of the printable area.
    return m_Printer.height();
}

void QtPrinter::DrawLine(const QList<PrintItem>& items)
{
    if (!m_Painter.isActive())
        return;
    const double baseline = CurrentY() + m_Metrics.ascent();
    for (const PrintItem& item : items)
        m_Painter.drawText(QPointF(item.X, baseline), item.Text);
}

void QtPrinter::StartPage()
{
    if (m_Painter.isActive() && !m_Printer.newPage())
        m_Failed = true;
}
