#pragma once

#include "platform/ISettingsStore.h"

#include <QMap>

// Settings kept in memory, keyed "application/section/key".
class MemorySettingsStore : public ISettingsStore
{
public:
    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       const QString& defaultValue) const override
    {
        return m_Values.value(Path(application, section, key), defaultValue);
    }
    void SaveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& value) override
    {
        m_Values.insert(Path(application, section, key), value);
    }
    bool Contains(const QString& application, const QString& section, const QString& key) const
    {
        return m_Values.contains(Path(application, section, key));
    }

private:
    static QString Path(const QString& a, const QString& s, const QString& k)
    {
        return a + u'/' + s + u'/' + k;
    }
    QMap<QString, QString> m_Values;
};
