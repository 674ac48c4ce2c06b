#include "shell/MruList.h"

#include "shell/SettingsStore.h"

#include <QFileInfo>

MruList::MruList(int capacity)
    : m_capacity(capacity)
{}

void MruList::add(const QString &path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    m_items.removeAll(full);
    m_items.prepend(full);
    while (m_items.size() > m_capacity)
        m_items.removeLast();
}

void MruList::remove(const QString &path)
{
    m_items.removeAll(QFileInfo(path).absoluteFilePath());
}

void MruList::clear()
{
    m_items.clear();
}

void MruList::load(const SettingsStore &store, const QString &section, const QString &prefix)
{
    m_items.clear();
    for (int i = 1; i <= m_capacity; ++i) {
        const QString path = store.readText(section, prefix + QString::number(i), QString());
        if (!path.isEmpty() && !m_items.contains(path))
            m_items.append(path);
    }
}

void MruList::save(SettingsStore &store, const QString &section, const QString &prefix) const
{
    for (int i = 1; i <= m_capacity; ++i) {
        const QString name = prefix + QString::number(i);
        if (i <= m_items.size())
            store.writeText(section, name, m_items[i - 1]);
        else
            store.deleteValue(section, name);
    }
}
