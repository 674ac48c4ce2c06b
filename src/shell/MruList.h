#pragma once

#include <QString>
#include <QStringList>

class SettingsStore;

// A most-recently-used list of files, newest first, kept in a section of the
// settings store as values prefix + 1 .. prefix + capacity ("History1" in
// "Editor" for documents, "MRU1" in "Builder" for flowcharts).
class MruList
{
public:
    explicit MruList(int capacity = 4);

    // Adds path as a full path at the top; an entry already present moves up.
    void add(const QString &path);
    void remove(const QString &path);
    void clear();
    const QStringList &items() const { return m_items; }
    int capacity() const { return m_capacity; }

    void load(const SettingsStore &store, const QString &section, const QString &prefix);
    // Writes the entries and deletes the values of positions beyond them.
    void save(SettingsStore &store, const QString &section, const QString &prefix) const;

private:
    QStringList m_items;
    int m_capacity;
};
