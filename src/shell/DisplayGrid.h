#pragma once

#include <QColor>
#include <QString>

class QTableWidget;
class QTableWidgetItem;

// The read-only grids of the main window's tabs.
//
// Each grid has a fixed first row of column captions and a fixed first column
// of row captions. QTableWidget keeps those in its horizontal and vertical
// headers, so grid cell (row r, column c) with r, c >= 1 is item(r - 1, c - 1),
// and "column 0" is the vertical header. The caption above the row captions
// sits in the headers' corner.

// An empty item in every data cell; no editing, no selection highlight over
// the cells' colours, rows as tall as a line of text, headers that ignore
// clicks.
void SetUpDisplayGrid(QTableWidget* grid, int rows, int columns);

// Captions from a format string "^Corner|^Caption 1|^Caption 2;|Row 1|Row 2":
// before the ';' the fixed row (its first entry stands over the fixed column),
// after it the fixed column (its first entry, the corner again, is left
// empty). A leading '^' centres a caption, '>' aligns it right, '<' or nothing
// left. The blanks around a caption are dropped: they only padded its column.
void ApplyGridFormat(QTableWidget* grid, const QString& format);

void SetGridCornerCaption(QTableWidget* grid, const QString& caption);
QString GridCornerCaption(const QTableWidget* grid);

// Column 0 is the fixed column. A column is never made narrower than its
// caption; returns the width in pixels it got.
int SetGridColumnWidthTwips(QTableWidget* grid, int column, int twips);

// The grid just large enough to show every row, or every column, without
// scrolling.
void FitGridHeightToRows(QTableWidget* grid);
void FitGridWidthToColumns(QTableWidget* grid);

// A cell that sets its background sets its text colour too: black or white,
// whichever reads better on it, so the cell reads under a dark desktop
// palette as under a light one.
void PaintCell(QTableWidgetItem* cell, const QColor& background);
void ShowInCell(QTableWidgetItem* cell, const QString& text, const QColor& background);

// Black or white, whichever contrasts more with the background.
QColor ReadableTextOn(const QColor& background);
