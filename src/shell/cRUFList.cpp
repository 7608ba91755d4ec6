#include "shell/cRUFList.h"

#include "platform/ISettingsStore.h"

#include <algorithm>

namespace {

const QString Section = QStringLiteral("RUFiles");

QString Key(int n)
{
    return QStringLiteral("RUF") + QString::number(n);
}

} // namespace

std::int16_t cRUFList::Index(const QString& path) const
{
    for (std::int16_t n = 1; n <= m_Count; ++n) {
        if (m_Entries[n - 1].Path == path)
            return n;
    }
    return 0;
}

void cRUFList::addfile(const QString& path, const QString& title)
{
    if (const std::int16_t n = Index(path); n != 0)
        MoveToTop(n);
    else
        InsertAtTop(path, title);
}

void cRUFList::removeitem(std::int16_t n)
{
    if (n < 1 || n > m_Count || m_Entries[n - 1].Title.isEmpty())
        return;
    std::rotate(m_Entries.begin() + (n - 1), m_Entries.begin() + n, m_Entries.begin() + m_Count);
    m_Entries[m_Count - 1] = Entry{};
    --m_Count;
}

QString cRUFList::ItemTitle(std::int16_t n) const
{
    return n >= 1 && n <= m_Count ? m_Entries[n - 1].Title : QString();
}

QString cRUFList::ItemPath(std::int16_t n) const
{
    return n >= 1 && n <= m_Count ? m_Entries[n - 1].Path : QString();
}

void cRUFList::SaveRUFLSettings(ISettingsStore& store, const QString& application) const
{
    for (int n = 1; n <= Capacity; ++n)
        store.SaveSetting(application, Section, Key(n), ItemPath(std::int16_t(n)));
}

void cRUFList::RestoreRUFLSettings(const ISettingsStore& store, const QString& application)
{
    // Oldest first, each on top of the last, so the stored order comes back.
    for (int n = Capacity; n >= 1; --n) {
        const QString path = store.GetSetting(application, Section, Key(n), QString());
        if (!path.isEmpty())
            addfile(path, TitleFromPath(path));
    }
}

QString cRUFList::TitleFromPath(const QString& path)
{
    const qsizetype separator = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(separator + 1);
}

void cRUFList::MoveToTop(std::int16_t n)
{
    std::rotate(m_Entries.begin(), m_Entries.begin() + (n - 1), m_Entries.begin() + n);
}

void cRUFList::InsertAtTop(const QString& path, const QString& title)
{
    std::rotate(m_Entries.begin(), m_Entries.end() - 1, m_Entries.end());
    m_Entries[0] = Entry{path, title};
    m_Count = std::min<std::int16_t>(m_Count + 1, Capacity);
}
