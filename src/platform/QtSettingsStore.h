#pragma once

#include "platform/ISettingsStore.h"

// QSettings in INI form in the user's configuration folder: one file per
// application name, one group per section.
class QtSettingsStore : public ISettingsStore
{
public:
    // The INI file that holds this application's settings.
    static QString FileName(const QString& application);

    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       const QString& defaultValue) const override;
    void SaveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& value) override;
};
