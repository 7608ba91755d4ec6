#pragma once

#include <QDialog>

// "System Information": the summary a support engineer asks for, read-only,
// with a button that puts it on the clipboard for an e-mail or a fault report.
class frmSystemInfo : public QDialog
{
    Q_OBJECT
public:
    explicit frmSystemInfo(const QString& summary, QWidget* parent = nullptr);
};
