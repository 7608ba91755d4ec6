#pragma once

#include "platform/IPrintSetup.h"

#include <QPrinter>

class QWidget;

// The print dialog over the main window. It offers every installed printer
// and printing to a PDF file (with no printer installed the only way to
// print); the range and selection choices stay hidden, since a printout is
// always printed whole. The one QPrinter lives as long as this object, so the
// printer and settings chosen are offered again next time.
class QtPrintSetup : public IPrintSetup
{
public:
    explicit QtPrintSetup(QWidget* parent = nullptr);
    void SetParent(QWidget* parent) { m_Parent = parent; }

    bool Choose() override;
    bool Print(const std::function<bool(IPrinter&)>& printout) override;

private:
    QWidget* m_Parent;
    QPrinter m_Printer;
};
