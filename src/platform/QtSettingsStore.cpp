#include "platform/QtSettingsStore.h"

#include <QSettings>

namespace {

QString KeyPath(const QString& section, const QString& key)
{
    return section + u'/' + key;
}

} // namespace

QString QtSettingsStore::FileName(const QString& application)
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, application, application)
        .fileName();
}

QString QtSettingsStore::GetSetting(const QString& application, const QString& section,
                                    const QString& key, const QString& defaultValue) const
{
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, application, application);
    const QVariant value = settings.value(KeyPath(section, key), defaultValue);
    // The INI format reads a hand-edited value with commas and no quotes,
    // such as Settings=19200,E,8,1, as a list of texts.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}

void QtSettingsStore::SaveSetting(const QString& application, const QString& section,
                                  const QString& key, const QString& value)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, application, application);
    settings.setValue(KeyPath(section, key), value);
}
