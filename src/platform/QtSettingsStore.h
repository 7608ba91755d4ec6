#pragma once

#include "platform/ISettingsStore.h"

// QSettings in INI form in the user's configuration folder: one file per
// application name, one group per section.
class QtSettingsStore : public ISettingsStore
{
public:
    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       const QString& defaultValue) const override;
    void SaveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& value) override;
};
