#pragma once

#include <QString>
#include <array>
#include <cstdint>

class ISettingsStore;

// The five most recently used configuration files, most recent first, as the
// File menu offers them. Paths are compared exactly, letter case included.
// Entries are numbered 1 to 5.
class cRUFList
{
public:
    std::int16_t size() const { return Capacity; }
    std::int16_t Count() const { return m_Count; }

    bool isinlist(const QString& path) const { return Index(path) != 0; }
    // Position of the first entry with this path; 0 when there is none.
    std::int16_t Index(const QString& path) const;

    // A path already listed moves to the top and keeps its title; a new one
    // goes on top, pushing the oldest out of a full list.
    void addfile(const QString& path, const QString& title);
    // Takes entry n out; the entries below move up. Nothing happens for a
    // number outside the list.
    void removeitem(std::int16_t n);

    // Empty for a number outside 1 to Count.
    QString ItemTitle(std::int16_t n) const;
    QString ItemPath(std::int16_t n) const;

    // Section "RUFiles", keys "RUF1" to "RUF5": the paths; titles are derived
    // again when the list is restored.
    void SaveRUFLSettings(ISettingsStore& store, const QString& application) const;
    void RestoreRUFLSettings(const ISettingsStore& store, const QString& application);

    // The file name after the last folder separator ("/" or "\"), or the
    // whole text when it has none.
    static QString TitleFromPath(const QString& path);

private:
    static constexpr std::int16_t Capacity = 5;
    struct Entry
    {
        QString Path;
        QString Title;
    };
    void MoveToTop(std::int16_t n);
    void InsertAtTop(const QString& path, const QString& title);

    std::array<Entry, Capacity> m_Entries;
    std::int16_t m_Count = 0;
};
