#pragma once

#include "platform/IPrinter.h"

// The part every printer shares: the current font size, weight and position,
// tab columns, and the flow of lines from page to page. A device adds its
// measurements and the drawing itself.
class PagedPrinter : public IPrinter
{
public:
    void SetFontSize(double points) override;
    void SetBold(bool bold) override;
    double FontSize() const { return m_FontSize; }
    bool Bold() const { return m_Bold; }

    double CurrentX() const override { return m_X; }
    double CurrentY() const override { return m_Y; }
    void SetCurrentX(double x) override { m_X = x; }
    void SetCurrentY(double y) override { m_Y = y; }

    // Every text is printed on one line, so its height is a line's.
    double TextHeight(const QString&) const override { return LineHeight(); }
    double TabX(int column) const override;

    void PrintLine(const QList<PrintItem>& items) override;
    using IPrinter::PrintLine;
    void NewPage() override;
    // 1 for the first page.
    int Page() const { return m_Page; }

protected:
    static constexpr double DefaultFontSize = 10.0;

    // The device's font is to follow FontSize() and Bold().
    virtual void FontChanged() = 0;
    // The width of a tab column: the average character of the current font
    // size at regular weight, the same for bold and plain text.
    virtual double ColumnWidth() const = 0;
    // From the top of one line to the top of the next, current font.
    virtual double LineHeight() const = 0;
    // The height of the printable area of a page.
    virtual double PageHeight() const = 0;
    // Draws the items with their tops at CurrentY() on the current page.
    virtual void DrawLine(const QList<PrintItem>& items) = 0;
    // Ends the current page and starts the next one on the device.
    virtual void StartPage() = 0;

private:
    double m_FontSize = DefaultFontSize;
    bool m_Bold = false;
    double m_X = 0.0;
    double m_Y = 0.0;
    int m_Page = 1;
};
