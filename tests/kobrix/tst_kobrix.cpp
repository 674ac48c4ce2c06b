// kobrix as a user runs it: its arguments and files, its conversation with a
// scripted server (what it sends, refusals, a server that never answers or
// hangs up), the socket folders it trusts, and the real calculator (qvcalc)
// receiving objects, keeping them when it stops, running beside another.
#include "Kobrix.h"

#include <QStandardPaths>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int Limit = 15000; // ms; only a hung program reaches it

struct Run
{
    int code = -1;
    QString out;
    QString err;
    qint64 ms = 0;
};

Run run(const QString &program,
        const QStringList &args,
        const std::function<void()> &inChild = nullptr)
{
    QProcess p;
    if (inChild)
        p.setChildProcessModifier(inChild);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(Limit)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.ms = t.elapsed();
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

Run kobrix(const QStringList &args, const std::function<void()> &inChild = nullptr)
{
    return run(QStringLiteral(QV_BIN_DIR "/kobrix"), args, inChild);
}

QByteArray u32(quint32 v)
{
    QByteArray b(4, 0);
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (8 * i));
    return b;
}

quint32 readU32(const QByteArray &b, int at)
{
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v |= quint32(uchar(b[at + i])) << (8 * i);
    return v;
}

QByteArray field(const QByteArray &b)
{
    return u32(quint32(b.size())) + b;
}

// A string object file: prolog, size, characters, packed low nibble first.
QByteArray stringObjectFile(const QByteArray &text)
{
    QByteArray n = "C2A20";
    const int size = 5 + 2 * int(text.size());
    for (int i = 0; i < 5; ++i)
        n += QByteArray::number((size >> (4 * i)) & 15, 16);
    for (char c : text)
        n += QByteArray::number(uchar(c) & 15, 16) + QByteArray::number(uchar(c) >> 4, 16);
    QByteArray out = "HPHP49-W";
    for (int i = 0; i < n.size(); i += 2)
        out += char(QByteArray(1, n[i + 1]).toInt(nullptr, 16) << 4 |
                    QByteArray(1, n[i]).toInt(nullptr, 16));
    return out;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A server that plays the calculator's side by a script, on a thread of its
// own, and keeps every request it was sent.
class FakeServer
{
public:
    enum class Script {
        Accept,       // 1 to a poke, the window list, 1 to a show
        Refuse,       // 0 to a poke
        Silent,       // reads and never answers
        HangUp,       // closes as soon as the poke has arrived
        HangUpInList, // 1 to a poke, then closes in the middle of the list
    };

    FakeServer(const QString &path, Script script, QList<QPair<quint32, QByteArray>> windows = {})
        : m_script(script)
        , m_windows(std::move(windows))
    {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const QByteArray p = QFile::encodeName(path);
        std::memcpy(addr.sun_path, p.constData(), size_t(p.size()) + 1);
        m_listen = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        m_ok = ::bind(m_listen, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0 &&
               ::listen(m_listen, 8) == 0;
        m_thread = std::thread([this] { serve(); });
    }
    ~FakeServer()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_listen);
    }
    bool listening() const { return m_ok; }
    int connections() const { return m_connections; }
    QList<QByteArray> requests() const
    {
        std::lock_guard lk(m_mx);
        return m_requests;
    }

private:
    // Reads exactly n bytes, or false when the client went or the test ends.
    bool readBytes(int fd, QByteArray &out, int n)
    {
        while (n > 0) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) {
                if (m_stop)
                    return false;
                continue;
            }
            char buf[65536];
            const ssize_t got = ::read(fd, buf, size_t(std::min(n, int(sizeof buf))));
            if (got <= 0)
                return false;
            out.append(buf, int(got));
            n -= int(got);
        }
        return true;
    }

    bool readRequest(int fd, QByteArray &request)
    {
        if (!readBytes(fd, request, 4))
            return false;
        const int fields = request == "POKE" ? 4 : request == "SHOW" ? 1 : 0;
        for (int i = 0; i < fields; ++i) {
            const int at = int(request.size());
            if (!readBytes(fd, request, 4) || !readBytes(fd, request, int(readU32(request, at))))
                return false;
        }
        std::lock_guard lk(m_mx);
        m_requests << request;
        return true;
    }

    void send(int fd, const QByteArray &b)
    {
        [[maybe_unused]] auto n = ::send(fd, b.constData(), size_t(b.size()), MSG_NOSIGNAL);
    }

    void converse(int fd)
    {
        QByteArray request;
        while (readRequest(fd, request)) {
            const QByteArray tag = request.left(4);
            request.clear();
            if (tag == "POKE") {
                if (m_script == Script::HangUp)
                    return;
                if (m_script == Script::Silent)
                    continue;
                send(fd, QByteArray(1, m_script == Script::Refuse ? '\0' : '\1'));
            } else if (tag == "CONV") {
                QByteArray list = u32(quint32(m_windows.size()));
                for (const auto &w : m_windows)
                    list += u32(w.first) + field(w.second);
                if (m_script == Script::HangUpInList) {
                    send(fd, list.left(6));
                    return;
                }
                send(fd, list);
            } else if (tag == "SHOW") {
                send(fd, QByteArray(1, '\1'));
            }
        }
    }

    void serve()
    {
        while (!m_stop) {
            pollfd p{m_listen, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            ++m_connections;
            converse(fd);
            ::close(fd);
        }
    }

    Script m_script;
    QList<QPair<quint32, QByteArray>> m_windows;
    int m_listen = -1;
    bool m_ok = false;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    mutable std::mutex m_mx;
    QList<QByteArray> m_requests;
    std::thread m_thread;
};

// The fields of a request kept by the fake server.
QList<QByteArray> fieldsOf(const QByteArray &request)
{
    QList<QByteArray> out;
    for (int at = 4; at + 4 <= request.size();) {
        const int n = int(readU32(request, at));
        out << request.mid(at + 4, n);
        at += 4 + n;
    }
    return out;
}

// The standalone calculator, started on a state file of its own.
class Calculator
{
public:
    ~Calculator()
    {
        if (m_p.state() != QProcess::NotRunning) {
            m_p.kill();
            m_p.waitForFinished();
        }
    }
    bool start(const QStringList &args,
               const QString &socket,
               const std::function<void()> &inChild = nullptr)
    {
        if (inChild)
            m_p.setChildProcessModifier(inChild);
        m_p.start(QStringLiteral(QV_BIN_DIR "/qvcalc"), args);
        if (!m_p.waitForStarted(Limit))
            return false;
        if (socket.isEmpty())
            return true;
        QDeadlineTimer deadline(Limit);
        struct stat st
        {
        };
        while (!deadline.hasExpired() && m_p.state() == QProcess::Running) {
            // a socket there that is not a stale one: connect to see
            if (::lstat(QFile::encodeName(socket).constData(), &st) == 0 && S_ISSOCK(st.st_mode) &&
                answers(socket))
                return true;
            QThread::msleep(20);
        }
        return false;
    }
    // Stops it as a session end or kill does; the exit code.
    int stop(int signal = SIGTERM)
    {
        ::kill(pid_t(m_p.processId()), signal);
        if (!m_p.waitForFinished(Limit))
            return -1;
        m_err += QString::fromUtf8(m_p.readAllStandardError());
        return m_p.exitStatus() == QProcess::NormalExit ? m_p.exitCode() : -2;
    }
    bool running() const { return m_p.state() == QProcess::Running; }
    QString errors()
    {
        m_err += QString::fromUtf8(m_p.readAllStandardError());
        return m_err;
    }
    QProcess &process() { return m_p; }

    static bool answers(const QString &path)
    {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const QByteArray p = QFile::encodeName(path);
        std::memcpy(addr.sun_path, p.constData(), size_t(p.size()) + 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
        ::close(fd);
        return ok;
    }

private:
    QProcess m_p;
    QString m_err;
};

// The stack a state file holds, as qvrpl prints it (highest level first).
QString stackIn(const QString &state)
{
    const Run r = run(QStringLiteral(QV_BIN_DIR "/qvrpl"), {"--state", state, "-e", ""});
    return r.code == 0 ? r.out : QStringLiteral("qvrpl failed: ") + r.err;
}

} // namespace

class TestKobrix : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString socketFolder(const QString &name = "dde") const { return path("run/" + name); }

    // A file to send, in the test's folder.
    QString file(const QString &name, const QByteArray &bytes)
    {
        return writeFile(path(name), bytes) ? path(name) : QString();
    }
    QString stateCopy(const QString &name)
    {
        return QFile::copy(QV_BIN_DIR "/EMU/default 50G.e49", path(name)) ? path(name) : QString();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        // a runtime folder of the test's own, as a login session has
        QVERIFY(QDir().mkpath(path("run")));
        QCOMPARE(::chmod(QFile::encodeName(path("run")).constData(), 0700), 0);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path("run")));
    }

    void cleanup() { m_dir.reset(); }

    // ---- the command line and the file ---------------------------------------------

    void wrongArgumentsPrintTheUsageLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no argument") << QStringList();
        QTest::newRow("three arguments") << QStringList{"/Emu48", "a.hp", "b.hp"};
        QTest::newRow("two arguments whose first does not begin with /")
            << QStringList{"Emu48", "a.hp"};
        QTest::newRow("an empty service name") << QStringList{"/", "a.hp"};
        QTest::newRow("a service name that is a path") << QStringList{"/a/b", "a.hp"};
        QTest::newRow("two absolute file names") << QStringList{"/home/a.hp", "/home/b.hp"};
        QTest::newRow("the parent folder as service name") << QStringList{"/..", "a.hp"};
        QTest::newRow("two dots inside a service name") << QStringList{"/x..y", "a.hp"};
    }

    void wrongArgumentsPrintTheUsageLine()
    {
        QFETCH(QStringList, args);
        const Run r = kobrix(args);
        QCOMPARE(r.out, QString("Syntax: Kobrix [/Servicename] filename\n"));
        QCOMPARE(r.code, 1);
    }

    void filesThatCannotBeSent_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("code");
        QTest::newRow("a file that does not exist") << "missing"
                                                    << "Error: File %1 not found!\n"
                                                    << 1;
        QTest::newRow("a folder") << "folder"
                                  << "Error: File %1 not found!\n"
                                  << 1;
        QTest::newRow("a named pipe, which must not hold the program")
            << "fifo"
            << "Error: File %1 not found!\n"
            << 1;
        QTest::newRow("a file of 4 GiB") << "4GiB"
                                         << "Error: File %1 too large!\n"
                                         << 2;
        QTest::newRow("a file the memory cannot hold") << "noMemory"
                                                       << "Error: Allocation problem!\n"
                                                       << 2;
        QTest::newRow("a file that ends before its size (read halfway)")
            << "short"
            << "Error: File %1 cannot be read!\n"
            << 1;
    }

    void filesThatCannotBeSent()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QFETCH(int, code);
        QString name = path(kind);
        std::function<void()> inChild;
        if (kind == "folder") {
            QVERIFY(QDir().mkpath(name));
        } else if (kind == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(name).constData(), 0600), 0);
        } else if (kind == "4GiB" || kind == "noMemory") {
            QFile f(name); // sparse: no disk space is taken
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(kind == "4GiB" ? (qint64(1) << 32) : (qint64(3) << 30)));
            inChild = [] {
                const rlimit limit{qint64(256) << 20, qint64(256) << 20};
                ::setrlimit(RLIMIT_AS, &limit);
            };
        } else if (kind == "short") {
            // a kernel file says 4096 bytes and holds fewer
            name.clear();
            for (const char *candidate : {"/sys/kernel/mm/transparent_hugepage/enabled",
                                          "/sys/power/state",
                                          "/sys/kernel/profiling"}) {
                QFile f(candidate);
                if (f.size() == 4096 && f.open(QIODevice::ReadOnly) && f.readAll().size() < 4096) {
                    name = candidate;
                    break;
                }
            }
            if (name.isEmpty())
                QSKIP("no kernel file that is shorter than its size here");
        }
        const Run r = kobrix({name}, inChild);
        QCOMPARE(r.out, message.contains("%1") ? message.arg(name) : message);
        QCOMPARE(r.code, code);
    }

    void aReadThatEndsEarlyIsReportedNotSent()
    {
        int fds[2];
        QCOMPARE(::pipe(fds), 0);
        QCOMPARE(::write(fds[1], "abc", 3), ssize_t(3));
        ::close(fds[1]);
        Kobrix::Block block;
        size_t size = 0;
        QCOMPARE(int(Kobrix::ReadBlockFrom(fds[0], 10, block, size)),
                 int(Kobrix::ReadResult::ReadFailed));
        QVERIFY(!block);
        ::close(fds[0]);

        QCOMPARE(::pipe(fds), 0);
        QCOMPARE(::write(fds[1], "abc", 3), ssize_t(3));
        ::close(fds[1]);
        QCOMPARE(int(Kobrix::ReadBlockFrom(fds[0], 3, block, size)), int(Kobrix::ReadResult::Ok));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(block.get()), qsizetype(size)),
                 QByteArray("\3\0\0\0abc", 7));
        ::close(fds[0]);
    }

    // ---- the conversation, against a scripted server -------------------------------

    void theConversationWithAServer_data()
    {
        using S = FakeServer::Script;
        QTest::addColumn<QString>("service"); // empty: the default
        QTest::addColumn<int>("script");
        QTest::addColumn<QStringList>("classes"); // of windows 1, 2 ...
        QTest::addColumn<QString>("transfer");
        QTest::addColumn<bool>("asksForWindows");
        QTest::addColumn<int>("shown"); // the window id shown, 0 none
        QTest::newRow("accepted: the window of class CEmu48 is shown")
            << QString() << int(S::Accept) << QStringList{"QWidget", "CEmu48", "CEmu48"} << "OK"
            << true << 2;
        QTest::newRow("/MyEmu talks to MyEmu and shows the window CMyEmu")
            << "MyEmu" << int(S::Accept) << QStringList{"CEmu48", "CMyEmu"} << "OK" << true << 2;
        QTest::newRow("/Emulator48: a class of 8 or more characters never matches")
            << "Emulator48" << int(S::Accept) << QStringList{"CEmulator48", "CEmulat"} << "OK"
            << true << 0;
        QTest::newRow("a longer class that begins with the one sought is not it")
            << QString() << int(S::Accept) << QStringList{"CEmu48X", "cemu48"} << "OK" << true << 0;
        QTest::newRow("refused: no windows asked for, none shown")
            << QString() << int(S::Refuse) << QStringList{"CEmu48"} << "failed" << false << 0;
        QTest::newRow("the server hangs up instead of answering")
            << QString() << int(S::HangUp) << QStringList{"CEmu48"} << "failed" << false << 0;
        QTest::newRow("the server hangs up in the middle of the window list: sent, nothing shown")
            << QString() << int(S::HangUpInList) << QStringList{"CEmu48"} << "OK" << true << 0;
    }

    void theConversationWithAServer()
    {
        QFETCH(QString, service);
        QFETCH(int, script);
        QFETCH(QStringList, classes);
        QFETCH(QString, transfer);
        QFETCH(bool, asksForWindows);
        QFETCH(int, shown);
        QList<QPair<quint32, QByteArray>> windows;
        for (int i = 0; i < classes.size(); ++i)
            windows << qMakePair(quint32(i + 1), classes.at(i).toUtf8());
        QCOMPARE(::mkdir(QFile::encodeName(socketFolder()).constData(), 0700), 0);
        FakeServer server(socketFolder() + "/" + (service.isEmpty() ? "Emu48" : service),
                          FakeServer::Script(script),
                          windows);
        QVERIFY(server.listening());
        const QByteArray object = stringObjectFile("HELLO");
        const QString name = file("hello.hp", object);
        const Run r =
            kobrix(service.isEmpty() ? QStringList{name} : QStringList{"/" + service, name});
        QCOMPARE(r.out, "Transfer: " + transfer + "\n");
        QCOMPARE(r.code, 0);
        QTRY_VERIFY_WITH_TIMEOUT(server.requests().size() >= 1, Limit);
        const QList<QByteArray> requests = server.requests();
        QCOMPARE(requests.first().left(4), QByteArray("POKE"));
        QCOMPARE(
            fieldsOf(requests.first()),
            (QList<QByteArray>{"Stack", "1", "CF_HPOBJ", u32(quint32(object.size())) + object}));
        QCOMPARE(requests.size() > 1 && requests.at(1) == "CONV", asksForWindows);
        const QByteArray show = "SHOW" + field(u32(quint32(shown)));
        QCOMPARE(requests.contains(show), shown != 0);
        QCOMPARE(requests.size(), 1 + int(asksForWindows) + int(shown != 0));
    }

    void anEmptyFileSendsOnlyItsSize()
    {
        QCOMPARE(::mkdir(QFile::encodeName(socketFolder()).constData(), 0700), 0);
        FakeServer server(socketFolder() + "/Emu48", FakeServer::Script::Accept);
        QCOMPARE(kobrix({file("empty.hp", {})}).out, QString("Transfer: OK\n"));
        QCOMPARE(fieldsOf(server.requests().value(0)).value(3), QByteArray(4, '\0'));
    }

    void aServerThatNeverAnswersIsGivenUpAfterFiveSeconds()
    {
        QCOMPARE(::mkdir(QFile::encodeName(socketFolder()).constData(), 0700), 0);
        FakeServer server(socketFolder() + "/Emu48", FakeServer::Script::Silent);
        const Run r = kobrix({file("hello.hp", stringObjectFile("HELLO"))});
        QCOMPARE(r.out, QString("Transfer: failed\n"));
        QCOMPARE(r.code, 0);
        QVERIFY2(r.ms >= 4900 && r.ms < 9000, qPrintable(QString::number(r.ms)));
    }

    void withNothingRunningTheTransferFails()
    {
        const Run r = kobrix({file("hello.hp", stringObjectFile("HELLO"))});
        QCOMPARE(r.out, QString("Transfer: failed\n"));
        QCOMPARE(r.code, 0);
    }

    void socketFoldersThatAreNotTheUsersAloneAreNeverUsed()
    {
        // the first folder open to others: a server there gets nothing
        QCOMPARE(::mkdir(QFile::encodeName(socketFolder()).constData(), 0755), 0);
        ::chmod(QFile::encodeName(socketFolder()).constData(), 0755);
        FakeServer planted(socketFolder() + "/Emu48", FakeServer::Script::Accept);
        const QString name = file("hello.hp", stringObjectFile("HELLO"));
        QCOMPARE(kobrix({name}).out, QString("Transfer: failed\n"));
        QCOMPARE(planted.connections(), 0);
        // the calculator took the next name; kobrix finds it there
        QCOMPARE(::mkdir(QFile::encodeName(socketFolder("dde-1")).constData(), 0700), 0);
        FakeServer server(socketFolder("dde-1") + "/Emu48", FakeServer::Script::Accept);
        QCOMPARE(kobrix({name}).out, QString("Transfer: OK\n"));
        QCOMPARE(planted.connections(), 0);
        QCOMPARE(server.connections(), 1); // no window of its class: no second call
    }

    // ---- the real calculator ---------------------------------------------------------

    void objectsDroppedOnARunningCalculatorAreKeptWhenItStops()
    {
        const QString state = stateCopy("mine.e49");
        const QString before = stackIn(state);
        Calculator calc;
        QVERIFY(calc.start({state}, socketFolder() + "/Emu48"));
        const QList<QPair<QByteArray, QString>> drops{
            {stringObjectFile("HELLO"), "OK"},
            {"%%HP: T(3)A(R)F(.);\r\n\\<< 1 2 + \\>>\r\n", "OK"},
            {QByteArray("HPHP49-W\xff\xff\xff", 11), "failed"}, // damaged
            {"1 2", "failed"},                                  // two objects
        };
        int i = 0;
        for (const auto &drop : drops) {
            const Run r = kobrix({file(QString("drop%1").arg(i++), drop.first)});
            QCOMPARE(r.out, "Transfer: " + drop.second + "\n");
        }
        QCOMPARE(calc.stop(SIGTERM), 0);
        QVERIFY2(calc.errors().contains("refused:"), qPrintable(calc.errors()));
        QCOMPARE(stackIn(state), before + "\"HELLO\"\n« 1 2 + »\n"); // deepest level first
        QVERIFY(!QFileInfo::exists(socketFolder() + "/Emu48"));        // removed at the end
    }

    void twoCalculatorsSideBySide()
    {
        const QString first = stateCopy("first.e49");
        const QString second = stateCopy("second.e49");
        const QString before = stackIn(first);
        Calculator a, b, c;
        QVERIFY(a.start({first}, socketFolder() + "/Emu48"));
        QVERIFY(b.start({"--service", "Second", second}, socketFolder() + "/Second"));
        // a third asking for a name in use says so and runs without serving
        QVERIFY(c.start({stateCopy("third.e49")}, QString()));
        QTRY_VERIFY_WITH_TIMEOUT(c.errors().contains("Another calculator serves \"Emu48\" already"),
                                 Limit);
        QVERIFY(c.running());
        QCOMPARE(c.stop(SIGTERM), 0);

        QCOMPARE(kobrix({"/Second", file("b.hp", stringObjectFile("TO B"))}).out,
                 QString("Transfer: OK\n"));
        QCOMPARE(kobrix({file("a.hp", stringObjectFile("TO A"))}).out, QString("Transfer: OK\n"));
        QCOMPARE(a.stop(), 0);
        QCOMPARE(b.stop(), 0);
        QCOMPARE(stackIn(first), before + "\"TO A\"\n");
        QCOMPARE(stackIn(second), before + "\"TO B\"\n");
    }

    void aSocketLeftByACalculatorKilledOutrightIsReplaced()
    {
        const QString state = stateCopy("mine.e49");
        const QString socket = socketFolder() + "/Emu48";
        {
            Calculator killed;
            QVERIFY(killed.start({state}, socket));
            QCOMPARE(killed.stop(SIGKILL), -2);
        }
        QVERIFY(QFileInfo::exists(socket));
        QVERIFY(!Calculator::answers(socket));
        Calculator calc;
        QVERIFY(calc.start({state}, socket));
        QCOMPARE(kobrix({file("hello.hp", stringObjectFile("HELLO"))}).out,
                 QString("Transfer: OK\n"));
        QCOMPARE(calc.stop(), 0);
    }

    void aStateThatCannotBeWrittenAtTheStopLeavesTheOldFile()
    {
        const QString state = stateCopy("mine.e49");
        QFile f(state);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray old = f.readAll();
        f.close();
        Calculator calc;
        // a full disk, played by a file size limit below the state's size
        QVERIFY(calc.start({state}, socketFolder() + "/Emu48", [] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{1024, 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }));
        QCOMPARE(kobrix({file("hello.hp", stringObjectFile("HELLO"))}).out,
                 QString("Transfer: OK\n"));
        QCOMPARE(calc.stop(), 1);
        QVERIFY2(calc.errors().contains("File too large"), qPrintable(calc.errors()));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), old);
        QCOMPARE(QDir(m_dir->path()).entryList({"mine*"}), QStringList{"mine.e49"}); // no leftovers
    }

    void withoutAStateFileTheUserGetsACopyOfTheirOwn()
    {
        const QString shipped = QStringLiteral(QV_BIN_DIR "/EMU/default 50G.e49");
        QFile f(shipped);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        const QString mine = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                             + "/HPQuorvane/qvcalc 50G.e49";
        QFile::remove(mine);
        Calculator calc;
        QVERIFY(calc.start({}, socketFolder() + "/Emu48"));
        QCOMPARE(kobrix({file("hello.hp", stringObjectFile("HELLO"))}).out, QString("Transfer: OK\n"));
        QCOMPARE(calc.stop(), 0);
        QVERIFY(QFileInfo::exists(mine));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        QVERIFY(QFileInfo(mine).size() > 0);
    }

    void aDamagedStateFileIsExplainedAndLeftAsItIs_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("cut short") << "cut";
        QTest::newRow("a byte changed") << "flip";
        QTest::newRow("not a state file") << "text";
    }

    void aDamagedStateFileIsExplainedAndLeftAsItIs()
    {
        QFETCH(QString, damage);
        const QString state = stateCopy("hurt.e49");
        QFile f(state);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray bytes = f.readAll();
        f.close();
        if (damage == "cut")
            bytes.truncate(bytes.size() / 2);
        else if (damage == "flip")
            bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x5A);
        else
            bytes = "%%HP: T(3)A(R)F(.);\r\n\xAB 1 2 + \xBB\r\n";
        QVERIFY(writeFile(state, bytes));
        Calculator calc;
        QVERIFY(calc.start({state}, QString()));
        // The reason goes to standard error and into a box that stays up
        // until the user has read it.
        QTRY_VERIFY_WITH_TIMEOUT(calc.errors().contains("cannot be started from"), 10000);
        const QString said = calc.errors();
        const QString prefix = "qvcalc: The calculator cannot be started from " + state + ": ";
        QVERIFY2(said.startsWith(prefix) && said.size() > prefix.size() + 3, qPrintable(said));
        QTest::qWait(300);
        QVERIFY(calc.running());
        calc.stop(SIGKILL);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), bytes);
    }

    void aServiceNameThatIsAPathIsRefusedByTheCalculator()
    {
        const Run r =
            run(QStringLiteral(QV_BIN_DIR "/qvcalc"), {"--service", "../x", stateCopy("s.e49")});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains("usage: qvcalc [--service NAME]"), qPrintable(r.err));
    }
};

QTEST_MAIN(TestKobrix)
#include "tst_kobrix.moc"
