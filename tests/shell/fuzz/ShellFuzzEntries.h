#pragma once

// The entry points that the fuzz targets of the editor's own files (built
// with -DQV_FUZZ=ON and clang) and the corpus replay test share: each takes
// any bytes and must neither crash nor hang, and what it reads must hold.
#include "shell/Language.h"
#include "shell/Settings.h"
#include "shell/SettingsStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace QvShellFuzz {

// A language file: every key of every section reads back within the length
// limit, and reading a key it lacks gives a text, never nothing.
inline int languageFile(const uint8_t *data, size_t size)
{
    TLanguageFile file = TLanguageFile::fromBytes(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const QString &section : file.sections()) {
        file.setSection(section);
        for (const QString &key : file.keys(section))
            if (file.ReadText(key).size() > TLanguageFile::MaxValueLength)
                __builtin_trap();
        if (file.ReadText(QStringLiteral("NoSuchKeyAnywhere")).isEmpty())
            __builtin_trap();
    }
    return 0;
}

// A settings file: it is read as damaged or as settings; settings read from
// it and written back come back unchanged (the file we write is read as the
// same file again), so a file of our own never reads as damaged.
inline QByteArray writtenBytes(const QString &path, const AppSettings &settings)
{
    QFile::remove(path);
    {
        SettingsStore store(path);
        WriteSettings(store, settings);
        if (!store.sync())
            __builtin_trap();
    }
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline int settingsFile(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("HPQuorvane.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    AppSettings read = AppSettings::defaults();
    {
        SettingsStore store(path);
        if (store.isDamaged())
            return 0;
        ReadSettings(store, read);
    }
    const QByteArray first = writtenBytes(path, read);
    AppSettings again = AppSettings::defaults();
    {
        SettingsStore store(path);
        if (store.isDamaged())
            __builtin_trap();
        ReadSettings(store, again);
    }
    if (writtenBytes(path, again) != first)
        __builtin_trap();
    return 0;
}

} // namespace QvShellFuzz
