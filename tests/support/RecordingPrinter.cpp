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

QString RecordingPrinter::Dump() const
{
    QString text;
    for (const Line& line : m_Lines) {
        text += QStringLiteral("p%1 y%2 %3%4")
                    .arg(line.Page)
                    .arg(line.Y)
                    .arg(line.FontSize)
                    .arg(line.Bold ? QStringLiteral("b") : QString());
        for (const PrintItem& item : line.Items)
            text += QStringLiteral(" | %1 %2").arg(item.X).arg(item.Text);
        text += u'\n';
    }
    return text;
}
