#pragma once

#include "platform/IFileDialogs.h"

class QWidget;

// QFileDialog over the main window.
class QtFileDialogs : public IFileDialogs
{
public:
    explicit QtFileDialogs(QWidget* owner = nullptr)
        : m_Owner(owner)
    {}
    void SetOwner(QWidget* owner) { m_Owner = owner; }

    QString GetOpenFileName(const FileDialogRequest& request) override;
    QString GetSaveFileName(const FileDialogRequest& request) override;

private:
    QWidget* m_Owner;
};
