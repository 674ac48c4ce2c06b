#pragma once

#include <QByteArray>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs work in a child process whose files cannot grow past limit bytes, the
// stand-in for a full disk that needs no root. SIGXFSZ is ignored there, as
// the programs do, so a write past the limit fails with "File too large".
// Returns what work returned (its report), or "<crashed>" when the child did
// not end normally.
inline QByteArray WithFileSizeLimit(rlim_t limit, const std::function<QByteArray()> &work)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return "<no pipe>";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit r{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &r);
        const QByteArray report = work();
        (void)!::write(fds[1], report.constData(), size_t(report.size()));
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray report;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(fds[0], buffer, sizeof buffer)) > 0)
        report.append(buffer, got);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? report : QByteArray("<crashed>");
}
