#include "calc/service/ServiceFolder.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace Calc::ServiceFolder {

QStringList Candidates()
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
        base += QStringLiteral("/dde");
    } else {
        base = QStringLiteral("/tmp/dde-%1").arg(::geteuid());
    }
    QStringList names{base};
    for (int i = 1; i < 16; ++i)
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

QString Make(QString *error)
{
    int lastError = 0;
    for (const QString &folder : Candidates()) {
        const QByteArray name = QFile::encodeName(folder);
        if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
            lastError = errno;
            continue;
        }
        // made now, or there before: either way it must be ours alone (a
        // folder of ours that others could enter may hold their socket)
        if (IsPrivate(folder))
            return folder;
    }
    if (error)
        *error = lastError
                     ? QStringLiteral("no folder for the socket can be made in %1 (%2)")
                           .arg(Candidates().constFirst(),
                                QString::fromLocal8Bit(std::strerror(lastError)))
                     : QStringLiteral("every folder for the socket (%1 and the names after it) "
                                      "belongs to another user or is open to others")
                           .arg(Candidates().constFirst());
    return {};
}

bool IsValidServiceName(const QString &service)
{
    return !service.isEmpty() && !service.contains('/') && !service.contains(QLatin1String("..")) &&
           !service.contains(QChar(0));
}

} // namespace Calc::ServiceFolder
