#include "platform/QtSettingsStore.h"

#include <QSettings>

namespace {

QString KeyPath(const QString& section, const QString& key)
{
    return section + u'/' + key;
}

} // namespace

QString QtSettingsStore::GetSetting(const QString& application, const QString& section,
                                    const QString& key, const QString& defaultValue) const
{
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, application, application);
    return settings.value(KeyPath(section, key), defaultValue).toString();
}

void QtSettingsStore::SaveSetting(const QString& application, const QString& section,
                                  const QString& key, const QString& value)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, application, application);
    settings.setValue(KeyPath(section, key), value);
}
