#include "calc/service/StackService.h"

#include "calc/core/Engine.h"
#include "calc/core/Errors.h"
#include "calc/machine/Machine.h"
#include "calc/service/PokedObject.h"
#include "calc/service/ServiceFolder.h"

#include <QApplication>
#include <QFile>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QThread>
#include <QWidget>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace Calc {

namespace {

QString systemError(int e)
{
    return QString::fromLocal8Bit(std::strerror(e));
}

bool socketAddress(const QByteArray &path, sockaddr_un &addr)
{
    addr = sockaddr_un{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof(addr.sun_path)))
        return false;
    std::memcpy(addr.sun_path, path.constData(), size_t(path.size()) + 1);
    return true;
}

// True when a server answers on the socket at path.
bool answers(const QByteArray &path)
{
    sockaddr_un addr;
    if (!socketAddress(path, addr))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    int rc;
    do
        rc = ::connect(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr);
    while (rc != 0 && errno == EINTR);
    // a full backlog also means someone is there
    const bool alive = rc == 0 || errno == EAGAIN;
    ::close(fd);
    return alive;
}

// Holds the folder's lock while a socket is checked, replaced and bound, so
// that two calculators starting at once cannot both take the name.
class FolderLock
{
public:
    explicit FolderLock(const QByteArray &folder)
        : m_fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd >= 0)
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~FolderLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }

private:
    int m_fd;
};

} // namespace

StackService::StackService(std::function<std::shared_ptr<Machine>()> machine, QObject *parent)
    : QObject(parent)
    , m_machine(std::move(machine))
    , m_peerUid(::geteuid())
{
    m_clock.start();
    m_sweep.setInterval(250);
    connect(&m_sweep, &QTimer::timeout, this, &StackService::dropStalled);
}

StackService::~StackService()
{
    stop();
    // a poke still waiting for the calculator ends with it (or within
    // PokeWaitMs); its answer has nobody to go to any more
    for (const QPointer<QThread> &t : std::as_const(m_workers)) {
        if (t) {
            t->wait();
            delete t.data();
        }
    }
}

void StackService::setCalculatorWindow(QWidget *window)
{
    m_calculatorWindow = window;
}

bool StackService::start(const QString &service, QString *error)
{
    stop();
    m_inUse = false;
    m_service = service;
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (!ServiceFolder::IsValidServiceName(service))
        return fail(QStringLiteral("\"%1\" cannot be a service name: it must not be empty or "
                                   "hold \"/\" or \"..\"")
                        .arg(service));
    const QByteArray name = QFile::encodeName(service);

    // A calculator that serves the name already, in any of the folders.
    for (const QString &folder : ServiceFolder::Candidates()) {
        if (ServiceFolder::IsPrivate(folder) && answers(QFile::encodeName(folder) + '/' + name)) {
            m_inUse = true;
            return fail(QStringLiteral("Another calculator serves \"%1\" already, so this one "
                                       "receives no objects. Start it with --service NAME to "
                                       "give it a name of its own.")
                            .arg(service));
        }
    }
    QString why;
    const QString folder = ServiceFolder::Make(&why);
    if (folder.isEmpty())
        return fail(QStringLiteral("The calculator cannot receive objects: %1.").arg(why));
    const QByteArray path = QFile::encodeName(folder) + '/' + name;
    sockaddr_un addr;
    if (!socketAddress(path, addr))
        return fail(QStringLiteral("The calculator cannot receive objects: the service name "
                                   "\"%1\" is too long for a socket in %2.")
                        .arg(service, folder));

    const FolderLock lock(QFile::encodeName(folder));
    struct stat st
    {
    };
    if (::lstat(path.constData(), &st) == 0) {
        if (answers(path)) {
            m_inUse = true;
            return fail(QStringLiteral("Another calculator serves \"%1\" already, so this one "
                                       "receives no objects. Start it with --service NAME to "
                                       "give it a name of its own.")
                            .arg(service));
        }
        // left by a calculator that ended without removing it (or by
        // something else of this user's in the private folder)
        if (!S_ISSOCK(st.st_mode))
            return fail(QStringLiteral("The calculator cannot receive objects: %1 is in the way.")
                            .arg(QFile::decodeName(path)));
        ::unlink(path.constData());
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return fail(
            QStringLiteral("The calculator cannot receive objects: %1.").arg(systemError(errno)));
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) != 0 ||
        ::chmod(path.constData(), 0600) != 0 || ::listen(fd, 16) != 0 ||
        ::lstat(path.constData(), &st) != 0) {
        const int e = errno;
        ::close(fd);
        ::unlink(path.constData());
        return fail(QStringLiteral("The calculator cannot receive objects at %1: %2.")
                        .arg(QFile::decodeName(path), systemError(e)));
    }
    m_listen = fd;
    m_socketDev = st.st_dev;
    m_socketIno = st.st_ino;
    m_path = QFile::decodeName(path);
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StackService::acceptConnections);
    m_sweep.start();
    return true;
}

void StackService::stop()
{
    if (m_listen < 0)
        return;
    delete m_notifier;
    m_notifier = nullptr;
    ::close(m_listen);
    m_listen = -1;
    m_sweep.stop();
    // only our own socket: another calculator may have taken the name since
    struct stat st
    {
    };
    const QByteArray path = QFile::encodeName(m_path);
    if (::lstat(path.constData(), &st) == 0 && st.st_dev == m_socketDev && st.st_ino == m_socketIno)
        ::unlink(path.constData());
    const auto open = m_conversations.keys();
    for (QLocalSocket *s : open) {
        forget(s);
    }
}

void StackService::acceptConnections()
{
    for (;;) {
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return; // EAGAIN: all taken
        }
        ucred peer{};
        socklen_t len = sizeof peer;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &len) != 0 || peer.uid != m_peerUid) {
            ::close(fd);
            emit refused(QStringLiteral("a connection from another user was turned away"));
            continue;
        }
        if (m_conversations.size() >= MaxConnections) {
            ::close(fd);
            emit refused(QStringLiteral("too many connections at once"));
            continue;
        }
        auto *socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(fd, QLocalSocket::ConnectedState, QIODevice::ReadWrite)) {
            ::close(fd);
            delete socket;
            continue;
        }
        auto c = std::make_shared<Conversation>();
        c->socket = socket;
        m_conversations.insert(socket, c);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { forget(socket); });
        readFrom(socket);
    }
}

void StackService::readFrom(QLocalSocket *socket)
{
    const auto c = m_conversations.value(socket);
    if (!c)
        return;
    const QByteArray bytes = socket->readAll();
    c->reader.feed(std::string_view(bytes.constData(), size_t(bytes.size())), m_clock.elapsed());
    serve(socket);
}

void StackService::serve(QLocalSocket *socket)
{
    const auto c = m_conversations.value(socket);
    while (c && !c->busy && c->reader.hasRequest()) {
        const ServiceRequest r = c->reader.takeRequest();
        switch (r.kind) {
        case ServiceRequest::Kind::Poke:
            poke(socket, r);
            break;
        case ServiceRequest::Kind::Conv:
            answer(socket, windowList());
            break;
        case ServiceRequest::Kind::Show:
            answer(socket, EncodeServiceReply(showWindow(r.window)));
            break;
        }
    }
    if (c && !c->busy && !c->reader.hasRequest() && c->reader.broken()) {
        refuse(socket, QString::fromStdString(c->reader.fault()));
        // what follows cannot be read as requests any more
        socket->disconnectFromServer();
    }
}

void StackService::answer(QLocalSocket *socket, const std::string &bytes)
{
    socket->write(bytes.data(), qint64(bytes.size()));
    socket->flush();
}

void StackService::refuse(QLocalSocket *socket, const QString &reason)
{
    answer(socket, EncodeServiceReply(false));
    emit refused(reason);
}

void StackService::poke(QLocalSocket *socket, const ServiceRequest &request)
{
    PokedFile file = CheckStackPoke(request);
    if (!file.ok()) {
        refuse(socket, QString::fromStdString(file.reason));
        return;
    }
    // A damaged object file is refused without waiting for the calculator.
    ReceivedObject binary = ReceivedBinaryObject(file.bytes);
    if (!binary.ok()) {
        refuse(socket, QString::fromStdString(binary.error));
        return;
    }
    const std::shared_ptr<Machine> machine = m_machine ? m_machine() : nullptr;
    if (!machine) {
        refuse(socket, QStringLiteral("no calculator is running"));
        return;
    }
    m_conversations.value(socket)->busy = true;
    // The calculator may be running a program: wait for it away from the
    // window's thread, so the window keeps painting.
    QPointer<QLocalSocket> guard(socket);
    QThread *worker = QThread::create(
        [this, guard, socket, machine, text = std::move(file.bytes), value = binary.value] {
            std::string why;
            const bool ok = machine->runWhenIdle(
                [&](Engine &e) {
                    Value v = value;
                    if (v.isNull()) {
                        const ReceivedObject r = ReceivedTextObject(text, e);
                        if (!r.ok()) {
                            why = r.error;
                            return false;
                        }
                        v = r.value;
                    }
                    try {
                        e.push(v);
                    } catch (const CalcError &err) {
                        why = err.message;
                        return false;
                    }
                    return true;
                },
                PokeWaitMs);
            if (!ok && why.empty())
                why = "the calculator stayed busy";
            QMetaObject::invokeMethod(
                this,
                [this, guard, socket, ok, why] {
                    if (guard)
                        pokeDone(socket, ok, QString::fromStdString(why));
                },
                Qt::QueuedConnection);
        });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    m_workers.removeAll(nullptr);
    m_workers.append(worker);
    worker->start();
}

void StackService::pokeDone(QLocalSocket *socket, bool ok, const QString &reason)
{
    const auto c = m_conversations.value(socket);
    if (!c)
        return;
    c->busy = false;
    if (ok) {
        answer(socket, EncodeServiceReply(true));
        emit objectReceived();
    } else {
        refuse(socket, reason);
    }
    serve(socket);
}

std::string StackService::windowList()
{
    std::vector<ServiceWindow> list;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->isWindow())
            continue;
        uint32_t id = m_windowIds.value(w);
        if (!id) {
            id = m_nextWindowId++;
            m_windowIds.insert(w, id);
            m_windows.insert(id, w);
            connect(w, &QObject::destroyed, this, [this, w, id] {
                m_windowIds.remove(w);
                m_windows.remove(id);
            });
        }
        QString cls = w == m_calculatorWindow ? calculatorClass() : w->objectName();
        if (cls.isEmpty())
            cls = QString::fromLatin1(w->metaObject()->className());
        list.push_back({id, cls.toUtf8().toStdString()});
    }
    return EncodeWindowList(list);
}

bool StackService::showWindow(uint32_t id)
{
    QWidget *w = m_windows.value(id);
    if (!w)
        return false;
    w->showNormal();
    w->raise();
    w->activateWindow();
    return true;
}

void StackService::dropStalled()
{
    const qint64 now = m_clock.elapsed();
    const auto all = m_conversations.values();
    for (const auto &c : all)
        if (c->socket && !c->busy && c->reader.stalled(now)) {
            emit refused(QStringLiteral("a request was left unfinished"));
            forget(c->socket);
        }
}

void StackService::forget(QLocalSocket *socket)
{
    if (!m_conversations.remove(socket))
        return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

} // namespace Calc
