#include "formats/PrivateFolder.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace PrivateFolder {

namespace {

constexpr int MoreNames = 15;

} // namespace

QStringList Candidates(const QString &leaf)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat st
    {
    };
    QString base;
    // A runtime folder of another user (left in the environment by su, for
    // example) or one that others may write to is not used.
    if (runtime.startsWith('/') && ::stat(runtime.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
        st.st_uid == ::geteuid() && (st.st_mode & 022) == 0) {
        base = QFile::decodeName(runtime);
        while (base.size() > 1 && base.endsWith('/'))
            base.chop(1);
        base += '/' + leaf;
    } else {
        base = QStringLiteral("/tmp/%1-%2").arg(leaf).arg(::geteuid());
    }
    QStringList names{base};
    for (int i = 1; i <= MoreNames; ++i)
        names << QStringLiteral("%1-%2").arg(base).arg(i);
    return names;
}

bool IsPrivate(const QString &folder)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

QString Make(const QString &leaf, QString *error)
{
    const QStringList names = Candidates(leaf);
    int lastError = 0;
    for (const QString &folder : names) {
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST) {
            lastError = errno;
            continue;
        }
        // Made now or there before: either way it must be ours alone (a
        // folder of ours that others could enter may hold their socket).
        if (IsPrivate(folder))
            return folder;
    }
    if (error)
        *error = lastError ? QStringLiteral("no folder for the socket can be made in %1 (%2)")
                                 .arg(names.constFirst(), QString::fromLocal8Bit(std::strerror(lastError)))
                           : QStringLiteral("every folder for the socket (%1 and the names after it) "
                                            "belongs to another user or is open to others")
                                 .arg(names.constFirst());
    return {};
}

QString Find(const QString &leaf)
{
    for (const QString &folder : Candidates(leaf))
        if (IsPrivate(folder))
            return folder;
    return {};
}

} // namespace PrivateFolder
