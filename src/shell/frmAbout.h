#pragma once

#include <QDialog>
#include <functional>

// "About TZL Configurator": name, version and notices, with a button for the
// system information a support engineer asks for.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(std::function<void()> startSysInfo, QWidget* parent = nullptr);

private:
    std::function<void()> m_StartSysInfo;
};
