#pragma once

#include "platform/PagedPrinter.h"

#include <QList>
#include <QStringList>

// A printer for tests that records every line instead of drawing it, and
// measures text in a fixed-pitch font: a character is as wide as the font
// size, a line twice as high. The page height is the test's to choose.
class RecordingPrinter : public PagedPrinter
{
public:
    struct Line
    {
        int Page = 0;
        double Y = 0.0;
        double FontSize = 0.0;
        bool Bold = false;
        QList<PrintItem> Items;
    };

    explicit RecordingPrinter(double pageHeight = 1.0e9)
        : m_PageHeight(pageHeight)
    {}

    double TextWidth(const QString& text) const override { return text.size() * FontSize(); }
    bool EndDoc() override
    {
        ++m_EndDocCalls;
        return EndDocResult;
    }

    // What EndDoc reports.
    bool EndDocResult = true;

    const QList<Line>& Lines() const { return m_Lines; }
    int EndDocCalls() const { return m_EndDocCalls; }
    double LineHeightAt(double fontSize) const { return 2.0 * fontSize; }

    // Each line as its texts with their tab columns, "10:Trip Name|35::",
    // a bold line marked by a leading "*"; an empty line is "".
    QStringList ColumnTexts() const;
    // Every line as "page y size[b] | x text | x text", for golden files.
    QString Dump() const;

private:
    void FontChanged() override {}
    double ColumnWidth() const override { return FontSize(); }
    double LineHeight() const override { return LineHeightAt(FontSize()); }
    double PageHeight() const override { return m_PageHeight; }
    void DrawLine(const QList<PrintItem>& items) override
    {
        m_Lines.append({Page(), CurrentY(), FontSize(), Bold(), items});
    }
    void StartPage() override {}

    double m_PageHeight;
    QList<Line> m_Lines;
    int m_EndDocCalls = 0;
};
