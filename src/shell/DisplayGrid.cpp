#include "shell/DisplayGrid.h"

#include "shell/Twips.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QPainter>
#include <QStyleOptionHeader>
#include <cmath>
#include <QTableWidget>
#include <algorithm>

namespace {

// Room above and below a line of text in a row.
constexpr int RowPadding = 6;

// Qt paints the headers' corner as an empty header section; this paints the
// corner button's text into it, the way the other captions look.
class CornerCaptionPainter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        auto* corner = static_cast<QAbstractButton*>(watched);
        QStyleOptionHeader option;
        option.initFrom(corner);
        option.state |= QStyle::State_Enabled;
        option.rect = corner->rect();
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.text = corner->text();
        option.textAlignment = Qt::AlignCenter;
        QPainter painter(corner);
        corner->style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
        return true;
    }
};

QAbstractButton* CornerButton(const QTableWidget* grid)
{
    for (auto* button : grid->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly))
        if (button->inherits("QTableCornerButton"))
            return button;
    return nullptr;
}

// An entry of a format string: its caption, without the alignment mark and
// the padding blanks.
QString CaptionText(const QString& entry)
{
    const bool marked = !entry.isEmpty() && QStringLiteral("^<>").contains(entry.front());
    return (marked ? entry.mid(1) : entry).trimmed();
}

QTableWidgetItem* Caption(const QString& entry)
{
    Qt::Alignment alignment = Qt::AlignLeft;
    if (entry.startsWith(u'^'))
        alignment = Qt::AlignHCenter;
    else if (entry.startsWith(u'>'))
        alignment = Qt::AlignRight;
    auto* item = new QTableWidgetItem(CaptionText(entry));
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

// Width the header needs for a caption, with the margins the style draws.
int CaptionWidth(const QTableWidget* grid, const QString& caption)
{
    const int margin = grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grid);
    return grid->horizontalHeader()->fontMetrics().horizontalAdvance(caption) + 3 * margin;
}

} // namespace

void SetUpDisplayGrid(QTableWidget* grid, int rows, int columns)
{
    grid->setRowCount(rows);
    grid->setColumnCount(columns);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            grid->setItem(row, column, new QTableWidgetItem);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setWordWrap(false);
    grid->horizontalHeader()->setSectionsClickable(false);
    grid->verticalHeader()->setSectionsClickable(false);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Numbers may be shown in the fixed-pitch font; rows fit either.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const int lineHeight = std::max(grid->fontMetrics().height(), QFontMetrics(fixed).height());
    grid->verticalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setDefaultSectionSize(lineHeight + RowPadding);
}

void ApplyGridFormat(QTableWidget* grid, const QString& format)
{
    const QStringList parts = format.split(u';');
    const QStringList columns = parts.front().split(u'|');
    SetGridCornerCaption(grid, CaptionText(columns.front()));
    for (int column = 1; column < columns.size() && column <= grid->columnCount(); ++column)
        grid->setHorizontalHeaderItem(column - 1, Caption(columns[column]));
    if (parts.size() < 2)
        return;
    const QStringList rows = parts[1].split(u'|');
    for (int row = 1; row < rows.size() && row <= grid->rowCount(); ++row)
        grid->setVerticalHeaderItem(row - 1, Caption(rows[row]));
}

void SetGridCornerCaption(QTableWidget* grid, const QString& caption)
{
    QAbstractButton* corner = CornerButton(grid);
    if (!corner)
        return;
    if (corner->text().isNull() && !caption.isNull())
        corner->installEventFilter(new CornerCaptionPainter(corner));
    corner->setText(caption);
    corner->setAccessibleName(caption);
    corner->update();
}

QString GridCornerCaption(const QTableWidget* grid)
{
    const QAbstractButton* corner = CornerButton(grid);
    return corner ? corner->text() : QString();
}

int SetGridColumnWidthTwips(QTableWidget* grid, int column, int twips)
{
    const int wanted = TwipsToPixels(twips, grid);
    if (column == 0) {
        QHeaderView* rowCaptions = grid->verticalHeader();
        const int width = std::max(
            {wanted, rowCaptions->sizeHint().width(), CaptionWidth(grid, GridCornerCaption(grid))});
        rowCaptions->setFixedWidth(width);
        return width;
    }
    const int width = std::max(wanted, grid->horizontalHeader()->sectionSizeHint(column - 1));
    grid->setColumnWidth(column - 1, width);
    return width;
}

void FitGridHeightToRows(QTableWidget* grid)
{
    const QHeaderView* captions = grid->horizontalHeader();
    const int captionHeight = captions->isHidden() ? 0 : captions->sizeHint().height();
    grid->setFixedHeight(captionHeight + grid->verticalHeader()->length() + 2 * grid->frameWidth());
}

void FitGridWidthToColumns(QTableWidget* grid)
{
    // As wide as the table view makes its row captions.
    const QHeaderView* captions = grid->verticalHeader();
    const int captionWidth = captions->isHidden()
                                 ? 0
                                 : std::clamp(captions->sizeHint().width(),
                                              captions->minimumWidth(), captions->maximumWidth());
    grid->setFixedWidth(captionWidth + grid->horizontalHeader()->length() + 2 * grid->frameWidth());
}

void PaintCell(QTableWidgetItem* cell, const QColor& background)
{
    cell->setBackground(background);
    cell->setForeground(ReadableTextOn(background));
}

void ShowInCell(QTableWidgetItem* cell, const QString& text, const QColor& background)
{
    cell->setText(text);
    PaintCell(cell, background);
}

namespace {

// Relative luminance as the web's contrast rules define it.
double Luminance(const QColor& colour)
{
    const auto linear = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF())
           + 0.0722 * linear(colour.blueF());
}

} // namespace

QColor ReadableTextOn(const QColor& background)
{
    const double l = Luminance(background);
    // Contrast with black is (l + 0.05) / 0.05, with white 1.05 / (l + 0.05).
    return (l + 0.05) * (l + 0.05) >= 1.05 * 0.05 ? QColor(Qt::black) : QColor(Qt::white);
}
