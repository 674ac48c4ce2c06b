#include "calc/service/StopSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Calc {

namespace {

int g_pipe[2] = {-1, -1};
constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP};

// Only write() is safe in a signal handler: the rest happens in the loop.
void onSignal(int number)
{
    const int saved = errno;
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

StopSignals::StopSignals(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readSignal);
    struct sigaction sa
    {
    };
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : Signals)
        ::sigaction(s, &sa, nullptr);
}

StopSignals::~StopSignals()
{
    if (g_pipe[0] < 0)
        return;
    struct sigaction sa
    {
    };
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    for (int s : Signals)
        ::sigaction(s, &sa, nullptr);
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void StopSignals::readSignal()
{
    char byte;
    while (::read(g_pipe[0], &byte, 1) == 1)
        emit stopRequested(static_cast<unsigned char>(byte));
}

} // namespace Calc
