#include "shell/SettingsStore.h"

#include "formats/SafeFile.h"
#include "shell/X87Extended.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>

namespace {

QString path(const QString &key, const QString &name)
{
    return key + '/' + name;
}

// What settings never hold: zero bytes and control characters other than
// tab, CR and LF. (Bytes that are not UTF-8 are a hand edit in another
// character set, not damage: the rest of the file is still good.)
bool looksDamaged(const QByteArray &bytes)
{
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && u != '\t' && u != '\r' && u != '\n')
            return true;
    }
    return false;
}

} // namespace

SettingsStore::SettingsStore()
    : SettingsStore(userStorePath())
{}

SettingsStore::SettingsStore(const QString &iniPath)
    : m_path(iniPath)
    , m_scratch(std::make_unique<QTemporaryDir>())
{
    const QString copy = m_scratch->filePath(QStringLiteral("settings.ini"));
    QFile file(iniPath);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        m_damaged = looksDamaged(bytes);
        QFile scratch(copy);
        if (!m_damaged && scratch.open(QIODevice::WriteOnly))
            scratch.write(bytes);
    }
    m_settings = std::make_unique<QSettings>(copy, QSettings::IniFormat);
    if (m_settings->status() == QSettings::FormatError)
        m_damaged = true;
}

SettingsStore::~SettingsStore()
{
    // A store that was written to and not synced still saves what it holds;
    // the caller that wants the reason of a failure calls sync() itself.
    if (m_written)
        sync();
}

QString SettingsStore::userStorePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + "/HPQuorvane/HPQuorvane.ini";
}

QString SettingsStore::fileName() const
{
    return m_path;
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
    m_written = true;
    m_settings->setValue(path(key, name), value ? 1 : 0);
}

void SettingsStore::writeInt(const QString &key, const QString &name, int value)
{
    m_written = true;
    m_settings->setValue(path(key, name), value);
}

void SettingsStore::writeReal(const QString &key, const QString &name, long double value)
{
    m_written = true;
    m_settings->setValue(path(key, name), X87Extended::encode(value));
}

void SettingsStore::writeText(const QString &key, const QString &name, const QString &value)
{
    m_written = true;
    m_settings->setValue(path(key, name), value);
}

void SettingsStore::deleteValue(const QString &key, const QString &name)
{
    m_written = true;
    m_settings->remove(path(key, name));
}

bool SettingsStore::sync(QString *error)
{
    if (!m_written)
        return true;
    const auto fail = [error](int errnoValue) {
        if (error)
            *error = errnoValue ? SystemErrorText(errnoValue)
                                : QStringLiteral("the settings could not be written in full");
        return false;
    };
    errno = 0;
    // Another editor may have saved since this copy was taken: the values
    // written here go on top of what the file holds now.
    QFile current(m_path);
    if (current.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = current.readAll();
        QFile scratch(m_settings->fileName());
        if (!looksDamaged(bytes)
            && !(scratch.open(QIODevice::WriteOnly | QIODevice::Truncate) && scratch.write(bytes) == bytes.size()
                 && scratch.flush()))
            return fail(errno);
    }
    m_settings->sync();
    // QSettings does not see a write that fails in its final flush: what
    // reached the copy is read back and must hold every value.
    const QSettings check(m_settings->fileName(), QSettings::IniFormat);
    bool whole = m_settings->status() == QSettings::NoError && check.status() == QSettings::NoError;
    const QStringList keys = m_settings->allKeys();
    for (qsizetype i = 0; whole && i < keys.size(); ++i)
        whole = check.value(keys[i]) == m_settings->value(keys[i]);
    QFile copy(m_settings->fileName());
    if (!whole || !copy.open(QIODevice::ReadOnly))
        return fail(errno);
    const QByteArray bytes = copy.readAll();
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return fail(errno);
    if (!ReplaceFile(m_path, bytes, error))
        return false;
    m_written = false;
    m_damaged = false;
    return true;
}

QString SettingsStore::setAsideDamaged(QString *error)
{
    const QString kept = m_path + QStringLiteral(".damaged");
    QFile::remove(kept);
    if (!QFile::rename(m_path, kept)) {
        if (error)
            *error = QFile(m_path).errorString();
        return {};
    }
    m_settings->clear();
    m_damaged = false;
    return kept;
}
