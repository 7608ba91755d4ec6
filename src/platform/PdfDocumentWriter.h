#pragma once

#include <QByteArray>
#include <QPageSize>
#include <QString>

class QTextDocument;

// A document laid out on pages as a PDF file: 15 mm margins, and a footer on
// every page with `footerText` on the left and "Page n of m" on the right.
// A heading never ends a page: one that would is moved onto the next page
// with what follows it, as is one whose section would run onto the next page
// although it takes less than half a page. Qt's layout already moves a table row that would
// cross the foot of a page onto the next one, where the table's heading row
// is repeated. Needs a QGuiApplication for its fonts.
struct PdfPages
{
    QByteArray Pdf;
    int PageCount = 0;
};
PdfPages WritePdfDocument(QTextDocument& document, const QPageSize& pageSize,
                          const QString& footerText);

// Letter where the user's locale measures in US units, A4 elsewhere.
QPageSize LocalePageSize();
