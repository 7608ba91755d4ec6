#include "RecordingPrinter.h"

#include <cmath>

QStringList RecordingPrinter::ColumnTexts() const
{
    QStringList texts;
    for (const Line& line : m_Lines) {
        QStringList cells;
        for (const PrintItem& item : line.Items)
            cells << QString::number(std::lround(item.X / line.FontSize) + 1) + u':' + item.Text;
        texts << (line.Bold ? QStringLiteral("*") : QString()) + cells.join(u'|');
    }
    return texts;
}
