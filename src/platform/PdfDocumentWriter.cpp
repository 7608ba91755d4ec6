#include "platform/PdfDocumentWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <cmath>

namespace {

constexpr double MarginMillimetres = 15.0;
constexpr double FooterPoints = 8.0;

int PageOf(const QTextDocument& document, const QTextBlock& block, double pageHeight)
{
    const QRectF rect = document.documentLayout()->blockBoundingRect(block);
    return int(std::floor(rect.top() / pageHeight));
}

bool IsHeading(const QTextBlock& block)
{
    return block.blockFormat().headingLevel() > 0;
}

// Whether the heading should start a page: it would otherwise end one, apart
// from what follows it, or its section would run onto the next page although
// it is short. A long section starts where it is, so as not to leave most of
// a page empty; its table's heading row is repeated where it runs on.
bool BetterOnNextPage(const QTextDocument& document, const QTextBlock& heading, double pageHeight)
{
    const QTextBlock next = heading.next();
    if (!next.isValid()
        || heading.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
        return false;
    const int page = PageOf(document, heading, pageHeight);
    if (page != PageOf(document, next, pageHeight))
        return true;
    QTextBlock last = next;
    while (last.next().isValid() && !IsHeading(last.next()))
        last = last.next();
    const QRectF top = document.documentLayout()->blockBoundingRect(heading);
    const QRectF bottom = document.documentLayout()->blockBoundingRect(last);
    return PageOf(document, last, pageHeight) != page
           && bottom.bottom() - top.top() < pageHeight / 2;
}

// Moves to the top of the next page every heading that is better there.
// Each move shifts what comes after it, so the pages are looked at again
// until no heading needs moving.
void KeepSectionsTogether(QTextDocument& document, double pageHeight)
{
    for (bool moved = true; moved;) {
        moved = false;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            if (!IsHeading(block) || !BetterOnNextPage(document, block, pageHeight))
                continue;
            QTextBlockFormat format;
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(block).mergeBlockFormat(format);
            moved = true;
            break;
        }
    }
}

} // namespace

PdfPages WritePdfDocument(QTextDocument& document, const QPageSize& pageSize,
                          const QString& footerText)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    PdfPages pages;
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(pageSize);
        writer.setPageMargins(
            QMarginsF(MarginMillimetres, MarginMillimetres, MarginMillimetres, MarginMillimetres),
            QPageLayout::Millimeter);
        QPainter painter(&writer);
        QFont footerFont = document.defaultFont();
        footerFont.setPointSizeF(FooterPoints);
        const QFontMetricsF footerMetrics(footerFont, &writer);
        const QRectF paper(0, 0, writer.width(), writer.height());
        // The body leaves room for the footer and a line's gap above it.
        const double bodyHeight = paper.height() - 2.5 * footerMetrics.lineSpacing();

        // Laid out in the writer's own units, so fonts keep their point sizes.
        document.documentLayout()->setPaintDevice(&writer);
        document.setPageSize(QSizeF(paper.width(), bodyHeight));
        KeepSectionsTogether(document, bodyHeight);
        pages.PageCount = document.pageCount();

        for (int page = 0; page < pages.PageCount; ++page) {
            if (page > 0)
                writer.newPage();
            painter.save();
            const QRectF body(0, page * bodyHeight, paper.width(), bodyHeight);
            painter.translate(0, -body.top());
            painter.setClipRect(body);
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = body;
            document.documentLayout()->draw(&painter, context);
            painter.restore();

            painter.setFont(footerFont);
            const QRectF footer(0, paper.height() - footerMetrics.lineSpacing(), paper.width(),
                                footerMetrics.lineSpacing());
            painter.drawLine(
                QPointF(0, footer.top() - footerMetrics.lineSpacing() / 2),
                QPointF(paper.width(), footer.top() - footerMetrics.lineSpacing() / 2));
            painter.drawText(footer, Qt::AlignLeft | Qt::AlignVCenter, footerText);
            painter.drawText(footer, Qt::AlignRight | Qt::AlignVCenter,
                             QStringLiteral("Page %1 of %2").arg(page + 1).arg(pages.PageCount));
        }
    }
    pages.Pdf = buffer.data();
    return pages;
}

QPageSize LocalePageSize()
{
    return QPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                : QPageSize::A4);
}
