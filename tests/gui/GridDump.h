#pragma once

#include "shell/DisplayGrid.h"

#include <QTableWidget>

// A grid as the user and assistive technology see it, for golden files: its
// accessible name, the corner and column captions, then one line per row with
// the row caption and each cell's text, "(italic)" after an italic one, its
// background in brackets where it is not white, a text colour other than
// black and its tool tip; "(hidden)" for a grid not drawn. Only the first
// `rows` rows when given.
inline QString GridDump(const QTableWidget* grid, int rows = -1)
{
    const auto caption = [](const QTableWidgetItem* header) {
        return header ? header->text() : QString();
    };
    QStringList captions{GridCornerCaption(grid)};
    for (int column = 0; column < grid->columnCount(); ++column)
        captions << caption(grid->horizontalHeaderItem(column));
    QString dump = grid->accessibleName() + (grid->isHidden() ? QStringLiteral(" (hidden)") : "")
                   + u'\n' + captions.join(QStringLiteral(" | ")) + u'\n';
    for (int row = 0; row < (rows < 0 ? grid->rowCount() : rows); ++row) {
        QStringList cells{caption(grid->verticalHeaderItem(row))};
        for (int column = 0; column < grid->columnCount(); ++column) {
            const QTableWidgetItem* item = grid->item(row, column);
            const QBrush background = item ? item->background() : QBrush();
            const bool plain = background.style() == Qt::NoBrush || background.color() == Qt::white;
            const QBrush text = item ? item->foreground() : QBrush();
            const bool black = text.style() == Qt::NoBrush || text.color() == Qt::black;
            cells << (item ? item->text() : QString())
                         + (item && item->font().italic() ? QStringLiteral(" (italic)") : QString())
                         + (plain ? QString()
                                  : QStringLiteral(" [%1]").arg(background.color().name()))
                         + (black ? QString() : QStringLiteral(" text %1").arg(text.color().name()))
                         + (item && !item->toolTip().isEmpty()
                                ? QStringLiteral(" <%1>").arg(item->toolTip())
                                : QString());
        }
        dump += cells.join(QStringLiteral(" | ")) + u'\n';
    }
    return dump;
}
