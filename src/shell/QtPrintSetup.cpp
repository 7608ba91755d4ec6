#include "shell/QtPrintSetup.h"

#include "platform/QtPrinter.h"

#include <QPrintDialog>

QtPrintSetup::QtPrintSetup(QWidget* parent)
    : m_Parent(parent)
    , m_Printer(QPrinter::HighResolution)
{}

bool QtPrintSetup::Choose()
{
    QPrintDialog dialog(&m_Printer, m_Parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize
                      | QAbstractPrintDialog::PrintCollateCopies);
    return dialog.exec() == QDialog::Accepted;
}

bool QtPrintSetup::Print(const std::function<bool(IPrinter&)>& printout)
{
    QtPrinter printer(m_Printer);
    return printout(printer);
}
