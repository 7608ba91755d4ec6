#pragma once

#include "model/CommissioningReport.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class IClock;
class IFileDialogs;
class ISettingsStore;
class IUserInterface;
class QWidget;
class frmModbus;

// File > Commissioning Report. Asking happens when the user chooses the
// command: the site and the engineer (remembered for next time) and the PDF
// file. Reading happens from the polling tick, like every command that talks
// to the relay: one pass behind a progress dialog that can be cancelled,
// then the report is written. A part that could not be read is named, and
// the report is written with it marked only if the user agrees.
class ReportCommand
{
public:
    ReportCommand(frmModbus& link, IUserInterface& ui, ISettingsStore& settings,
                  IFileDialogs& dialogs, IClock& clock, QString application,
                  std::function<void(const QString&)> setStatusText);

    // False when the user cancelled one of the questions: nothing is to be
    // read then.
    bool Request(const QString& initialFolder);
    // Reads the relay at `slave` and writes the report asked for, with the
    // relay's settings checked against `settingsFile` when there is one.
    // The progress dialog is shown over `window`.
    void Run(std::int16_t slave, const std::optional<ReportSettingsFile>& settingsFile,
             QWidget* window);

private:
    std::optional<QString> AskRemembered(const QString& prompt, const QString& key);
    bool Write(const CommissioningReport& report);

    frmModbus& m_Link;
    IUserInterface& m_UI;
    ISettingsStore& m_Settings;
    IFileDialogs& m_Dialogs;
    IClock& m_Clock;
    QString m_Application;
    std::function<void(const QString&)> m_SetStatusText;
    ReportDetails m_Details;
    QString m_Path;
};
