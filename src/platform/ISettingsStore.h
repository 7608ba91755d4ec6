#pragma once

#include <QString>

// Per-user text settings by application, section and key.
class ISettingsStore
{
public:
    virtual ~ISettingsStore() = default;
    virtual QString GetSetting(const QString& application, const QString& section,
                               const QString& key, const QString& defaultValue) const = 0;
    virtual void SaveSetting(const QString& application, const QString& section, const QString& key,
                             const QString& value) = 0;
};
