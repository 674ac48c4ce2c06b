#include "shell/SettingsStore.h"

#include "shell/X87Extended.h"

#include <QSettings>
#include <QStandardPaths>

namespace {

QString path(const QString &key, const QString &name)
{
    return key + '/' + name;
}

} // namespace

SettingsStore::SettingsStore()
    : SettingsStore(userStorePath())
{}

SettingsStore::SettingsStore(const QString &iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::userStorePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + "/HPQuorvane/HPQuorvane.ini";
}

QString SettingsStore::fileName() const
{
    return m_settings->fileName();
}

bool SettingsStore::readBool(const QString &key, const QString &name, bool def) const
{
    const QVariant v = m_settings->value(path(key, name));
    bool ok = false;
    const qlonglong n = v.toString().trimmed().toLongLong(&ok);
    return ok ? n != 0 : def;
}

int SettingsStore::readInt(const QString &key, const QString &name, int def) const
{
    const QVariant v = m_settings->value(path(key, name));
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok);
    return ok ? n : def;
}

long double SettingsStore::readReal(const QString &key, const QString &name, long double def) const
{
    const QVariant v = m_settings->value(path(key, name));
    if (v.typeId() != QMetaType::QByteArray)
        return def;
    bool ok = false;
    const long double r = X87Extended::decode(v.toByteArray(), &ok);
    return ok ? r : def;
}

QString SettingsStore::readText(const QString &key, const QString &name, const QString &def) const
{
    const QVariant v = m_settings->value(path(key, name));
    if (!v.isValid() || v.typeId() == QMetaType::QByteArray)
        return def;
    // An unquoted comma in a hand-edited file makes the INI reader split the text.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(',');
    return v.toString();
}

bool SettingsStore::hasValue(const QString &key, const QString &name) const
{
    return m_settings->contains(path(key, name));
}

QStringList SettingsStore::valueNames(const QString &key) const
{
    m_settings->beginGroup(key);
    const QStringList names = m_settings->childKeys();
    m_settings->endGroup();
    return names;
}

QStringList SettingsStore::subKeys(const QString &key) const
{
    m_settings->beginGroup(key);
    const QStringList names = m_settings->childGroups();
    m_settings->endGroup();
    return names;
}

void SettingsStore::writeBool(const QString &key, const QString &name, bool value)
{
    m_settings->setValue(path(key, name), value ? 1 : 0);
}

void SettingsStore::writeInt(const QString &key, const QString &name, int value)
{
    m_settings->setValue(path(key, name), value);
}

void SettingsStore::writeReal(const QString &key, const QString &name, long double value)
{
    m_settings->setValue(path(key, name), X87Extended::encode(value));
}

void SettingsStore::writeText(const QString &key, const QString &name, const QString &value)
{
    m_settings->setValue(path(key, name), value);
}

void SettingsStore::deleteValue(const QString &key, const QString &name)
{
    m_settings->remove(path(key, name));
}

bool SettingsStore::sync()
{
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}
