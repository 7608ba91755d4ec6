#pragma once

#include <QDialog>
#include <QString>

class IFileDialogs;
class IUserInterface;
class QPlainTextEdit;

// The differences between the configuration in memory and the one the relay
// holds, as a report the engineer can keep open beside the main window and
// save as text for the commissioning records.
class frmCompareResult : public QDialog
{
    Q_OBJECT
public:
    frmCompareResult(IUserInterface& ui, IFileDialogs& fileDialogs, QWidget* parent = nullptr);

    // Shows this report; `folder` is where Save As starts.
    void ShowReport(const QString& report, const QString& folder);

private:
    void SaveReportAs();

    IUserInterface& m_UI;
    IFileDialogs& m_FileDialogs;
    QPlainTextEdit* txtDifferences;
    QString m_Report;
    QString m_Folder;
};
