#include "formats/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool fail(QString *error, int errnoValue)
{
    if (error)
        *error = SystemErrorText(errnoValue);
    return false;
}

// write() may write less than asked (signals, pipes, nearly full disks):
// go on until everything is written or the system says why not.
bool writeAll(int fd, const char *data, qint64 size, int *errnoValue)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            *errnoValue = errno;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

QString SystemErrorText(int errnoValue)
{
    return QString::fromLocal8Bit(std::strerror(errnoValue));
}

bool ReplaceFile(const QString &path, const QByteArray &data, QString *error)
{
    // A link is followed, so that the link a user made stays a link.
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString resolved = info.symLinkTarget();
        if (!resolved.isEmpty())
            target = resolved;
    }
    const QByteArray targetName = QFile::encodeName(target);
    const QFileInfo targetInfo(target);
    if (targetInfo.isDir())
        return fail(error, EISDIR);

    struct stat old {};
    const bool exists = ::stat(targetName.constData(), &old) == 0;

    QByteArray tempName = QFile::encodeName(targetInfo.absolutePath() + QLatin1Char('/')
                                            + QLatin1Char('.') + targetInfo.fileName())
        + ".XXXXXX";
    const int fd = ::mkstemp(tempName.data());
    if (fd < 0)
        return fail(error, errno);

    mode_t mode = 0;
    if (exists) {
        mode = old.st_mode & 07777;
    } else {
        // mkstemp makes the file private; a new file gets what the umask gives.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    // Each step returns 0 or the errno of the first thing that went wrong.
    const auto writeTemporary = [&]() -> int {
        if (::fchmod(fd, mode) != 0)
            return errno;
        if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
            (void)::fchown(fd, old.st_uid, old.st_gid); // only root may give a file away
        int problem = 0;
        if (!writeAll(fd, data.constData(), data.size(), &problem))
            return problem;
        // The last blocks of a nearly full disk fail here, not in write().
        if (::fsync(fd) != 0)
            return errno;
        return 0;
    };
    int problem = writeTemporary();
    if (::close(fd) != 0 && problem == 0)
        problem = errno;
    if (problem == 0 && ::rename(tempName.constData(), targetName.constData()) != 0)
        problem = errno;
    if (problem != 0) {
        ::unlink(tempName.constData());
        return fail(error, problem);
    }
    // The rename itself reaches the disk with the folder.
    const int dirFd = ::open(QFile::encodeName(targetInfo.absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool CopyFileSafely(const QString &source, const QString &target, QString *error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = in.errorString();
        return false;
    }
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        if (error)
            *error = in.errorString();
        return false;
    }
    return ReplaceFile(target, bytes, error);
}
