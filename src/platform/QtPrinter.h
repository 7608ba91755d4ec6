#pragma once

#include "platform/PagedPrinter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

class QPrinter;

// Prints on a QPrinter that is already set up: the printer and settings the
// user chose in the print dialog, or a PDF file. The document begins when the
// object is made and ends with EndDoc. Needs a QGuiApplication for its fonts.
class QtPrinter : public PagedPrinter
{
public:
    explicit QtPrinter(QPrinter& printer);

    double TextWidth(const QString& text) const override;
    // False when the printer (or the PDF file) could not be opened or a page
    // could not be started.
    bool EndDoc() override;

private:
    void FontChanged() override;
    double ColumnWidth() const override;
    double LineHeight() const override;
    double PageHeight() const override;
    void DrawLine(const QList<PrintItem>& items) override;
    void StartPage() override;

    QPrinter& m_Printer;
    QPainter m_Painter;
    QFont m_Font;
    QFontMetricsF m_Metrics;
    // Tab columns are measured in the regular weight, so that a bold heading
    // and the plain lines under it start at the same column.
    double m_ColumnWidth = 0.0;
    bool m_Failed = false;
};
