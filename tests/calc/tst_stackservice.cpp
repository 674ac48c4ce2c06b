// The calculator's stack as a local-socket service: the request reader fed
// bytes and time, what a poke may carry and the object it becomes, the
// service over a real socket and a running calculator (refusals leave the
// stack as it was), the private socket folder, and the memory kept on exit.
#include "calc/api/CalcSession.h"
#include "calc/core/StateFile.h"
#include "calc/machine/Machine.h"
#include "calc/service/PokedObject.h"
#include "calc/service/SaveStateOnExit.h"
#include "calc/service/ServiceFolder.h"
#include "calc/service/ServiceProtocol.h"
#include "calc/service/StackService.h"
#include "formats/CalcCharset.h"

#include <QLocalSocket>
#include <QMainWindow>
#include <QRegularExpression>
#include <QtTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Calc;

namespace {

constexpr int Limit = 10000; // ms; only a hung calculator reaches it

std::string calc(const QString &s)
{
    return CalcCharset::encode(s).toStdString();
}

QByteArray u32(quint32 v)
{
    QByteArray b(4, 0);
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (8 * i));
    return b;
}

QByteArray field(const QByteArray &b)
{
    return u32(quint32(b.size())) + b;
}

// The N + 4 byte block kobrix sends.
QByteArray block(const QByteArray &file)
{
    return u32(quint32(file.size())) + file;
}

QByteArray pokeRequest(const QByteArray &data,
                       const QByteArray &topic = "Stack",
                       const QByteArray &item = "1",
                       const QByteArray &format = "CF_HPOBJ")
{
    return "POKE" + field(topic) + field(item) + field(format) + field(data);
}

// Object files written nibble by nibble, low nibble of each byte first.
QByteArray objectFile(const QByteArray &signature, const QByteArray &nibbles)
{
    QByteArray n = nibbles;
    if (n.size() % 2)
        n += '0';
    QByteArray out = signature;
    for (int i = 0; i < n.size(); i += 2)
        out += char(QByteArray(1, n[i + 1]).toInt(nullptr, 16) << 4 |
                    QByteArray(1, n[i]).toInt(nullptr, 16));
    return out;
}

QByteArray stringObjectFile(const QByteArray &text)
{
    QByteArray n = "C2A20";
    const int size = 5 + 2 * int(text.size());
    for (int i = 0; i < 5; ++i)
        n += QByteArray::number((size >> (4 * i)) & 15, 16).toUpper();
    for (char c : text)
        n += QByteArray::number(uchar(c) & 15, 16).toUpper() +
             QByteArray::number(uchar(c) >> 4, 16).toUpper();
    return objectFile("HPHP49-W", n);
}

// 42 as an HP 48 file: prolog, exponent 001, mantissa 4.2, sign.
const QByteArray Real42File = objectFile("HPHP48-W",
                                         "33920"
                                         "100"
                                         "000000000024"
                                         "0");

QStringList stackOf(Machine &m)
{
    QStringList out;
    m.runWhenIdle(
        [&](Engine &e) {
            for (const Value &v : e.stack())
                out << CalcCharset::decode(QByteArray::fromStdString(e.toText(v)));
            return true;
        },
        Limit);
    return out;
}

// A raw client in the test's own thread: every wait turns the event loop,
// so the service (in the same thread) answers.
struct Client
{
    QLocalSocket socket;

    bool connectTo(const QString &path)
    {
        socket.connectToServer(path);
        return socket.waitForConnected(Limit);
    }
    QByteArray ask(const QByteArray &request, int replyBytes)
    {
        socket.write(request);
        socket.flush();
        QDeadlineTimer deadline(Limit);
        while (socket.bytesAvailable() < replyBytes && !deadline.hasExpired() &&
               socket.state() == QLocalSocket::ConnectedState)
            QTest::qWait(5);
        return socket.read(replyBytes);
    }
    bool closedByServer()
    {
        QDeadlineTimer deadline(Limit);
        while (socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired())
            QTest::qWait(5);
        return socket.state() != QLocalSocket::ConnectedState;
    }
};

quint32 readU32(const QByteArray &b, int at)
{
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v |= quint32(uchar(b[at + i])) << (8 * i);
    return v;
}

// A socket left behind by a calculator that ended without removing it.
bool leaveStaleSocket(const QString &path)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray p = QFile::encodeName(path);
    std::memcpy(addr.sun_path, p.constData(), size_t(p.size()) + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

mode_t modeOf(const QString &path)
{
    struct stat st
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

} // namespace

class TestStackService : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_runtime;
    std::shared_ptr<Machine> m_machine;

    QString runtime(const QString &name = {}) const
    {
        return name.isEmpty() ? m_runtime->path() : m_runtime->filePath(name);
    }
    std::unique_ptr<StackService> service()
    {
        auto s = std::make_unique<StackService>([this] { return m_machine; });
        return s;
    }

private slots:
    void init()
    {
        // each test has a runtime folder of its own, as a login session has
        m_runtime = std::make_unique<QTemporaryDir>();
        QVERIFY(m_runtime->isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
        m_machine = std::make_shared<Machine>(Model::HP50G);
        m_machine->start();
        QVERIFY(m_machine->waitReady(Limit));
    }

    void cleanup()
    {
        m_machine->stop();
        m_machine.reset();
        m_runtime.reset();
    }

    // ---- the request reader --------------------------------------------------

    void aRequestSplitAtAnyByteIsReadWhole()
    {
        const QByteArray bytes = pokeRequest(block("abc")) + "CONV" + "SHOW" + field(u32(7));
        for (int cut = 0; cut <= bytes.size(); ++cut) {
            ServiceRequestReader r;
            r.feed(std::string_view(bytes.constData(), size_t(cut)), 0);
            r.feed(std::string_view(bytes.constData() + cut, size_t(bytes.size() - cut)), 1);
            QVERIFY2(!r.broken(), qPrintable(QString::number(cut)));
            QVERIFY(r.hasRequest());
            const ServiceRequest poke = r.takeRequest();
            QCOMPARE(int(poke.kind), int(ServiceRequest::Kind::Poke));
            QCOMPARE(poke.topic, std::string("Stack"));
            QCOMPARE(poke.item, std::string("1"));
            QCOMPARE(poke.format, std::string("CF_HPOBJ"));
            QCOMPARE(QByteArray::fromStdString(poke.data), block("abc"));
            QCOMPARE(int(r.takeRequest().kind), int(ServiceRequest::Kind::Conv));
            const ServiceRequest show = r.takeRequest();
            QCOMPARE(int(show.kind), int(ServiceRequest::Kind::Show));
            QCOMPARE(show.window, 7u);
            QVERIFY(!r.hasRequest());
        }
    }

    void requestsBreakingTheProtocol_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fault");
        QTest::newRow("an unknown request") << QByteArray("PEEK") << "unknown request";
        QTest::newRow("a topic longer than a DDE name")
            << QByteArray("POKE" + field(QByteArray(256, 'S'))) << "a field is too long";
        QTest::newRow("a data block over the bound is refused at its length, before its bytes")
            << QByteArray("POKE" + field("Stack") + field("1") + field("CF_HPOBJ") +
                          u32(ServiceRequestReader::MaxDataField + 1))
            << "the data block is too large";
        QTest::newRow("a window id that is not 4 bytes")
            << QByteArray("SHOW" + field("abc")) << "the window field is not 4 bytes long";
    }

    void requestsBreakingTheProtocol()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fault);
        ServiceRequestReader r;
        r.feed(std::string_view(bytes.constData(), size_t(bytes.size())), 0);
        QVERIFY(r.broken());
        QCOMPARE(QString::fromStdString(r.fault()), fault);
        QVERIFY(!r.hasRequest());
        r.feed("CONV", 1); // nothing after a break is taken as a request
        QVERIFY(!r.hasRequest());
    }

    void aRequestLeftUnfinishedStallsAfterTheTimeLimit()
    {
        ServiceRequestReader r;
        QVERIFY(!r.stalled(1000000)); // nothing begun
        r.feed("POK", 100);
        QVERIFY(!r.stalled(100 + ServiceRequestReader::RequestTimeLimitMs));
        r.feed("E", 4000); // bytes that trickle in do not buy more time
        QVERIFY(r.stalled(101 + ServiceRequestReader::RequestTimeLimitMs));
        ServiceRequestReader whole;
        whole.feed("CONV", 0);
        QVERIFY(!whole.stalled(1000000)); // a finished request waits for nothing
    }

    // ---- what a poke carries ------------------------------------------------------------

    void filesAndTheObjectsTheyBecome_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("object"); // empty: refused
        QTest::addColumn<QString>("error");
        QTest::newRow("a string object file of the 49 family")
            << stringObjectFile("HELLO") << "\"HELLO\"" << QString();
        QTest::newRow("a 48 series object file goes on a 50g's stack")
            << Real42File << "42." << QString();
        QTest::newRow("a text file with its transfer header, translated and compiled, not run")
            << QByteArray("%%HP: T(3)A(R)F(.);\r\n\\<< 1 2 + \\>>\r\n") << "« 1 2 + »"
            << QString();
        QTest::newRow("leading @ comment lines are skipped")
            << QByteArray("@ a comment\n{ 1 2 }") << "{ 1 2 }" << QString();
        QTest::newRow("a quoted name stays a name") << QByteArray("'ABC'") << "'ABC'" << QString();
        QTest::newRow("a text of several objects is not one object")
            << QByteArray("1 2 +") << QString() << "the text holds more than one object";
        QTest::newRow("an empty file holds no object")
            << QByteArray() << QString() << "the text holds no object";
        QTest::newRow("a text that does not compile")
            << QByteArray("\\<< 1") << QString() << "Invalid Syntax";
        QTest::newRow("a damaged object file is not read as text")
            << QByteArray("HPHP49-W\xff\xff\xff", 11) << QString() << "*";
        QTest::newRow("an object file cut short")
            << stringObjectFile("HELLO").left(12) << QString() << "*";
    }

    void filesAndTheObjectsTheyBecome()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, object);
        QFETCH(QString, error);
        const std::string bytes = file.toStdString();
        ReceivedObject r = ReceivedBinaryObject(bytes);
        QString text;
        QString why = QString::fromStdString(r.error);
        m_machine->runWhenIdle(
            [&](Engine &e) {
                if (r.ok() && r.value.isNull()) {
                    r = ReceivedTextObject(bytes, e);
                    why = QString::fromStdString(r.error);
                }
                if (r.ok())
                    text = CalcCharset::decode(QByteArray::fromStdString(e.toText(r.value)));
                return true;
            },
            Limit);
        QCOMPARE(text, object);
        if (error == "*")
            QVERIFY(!why.isEmpty());
        else
            QCOMPARE(why, error);
    }

    // ---- the service over a socket ------------------------------------------------------

    void aPokeThatIsAcceptedPutsItsObjectOnLevelOne_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("level1");
        QTest::newRow("an object file") << stringObjectFile("HELLO") << "\"HELLO\"";
        QTest::newRow("a text file")
            << QByteArray("%%HP: T(3)A(R)F(.);\n\\<< 1 2 + \\>>") << "« 1 2 + »";
    }

    void aPokeThatIsAcceptedPutsItsObjectOnLevelOne()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, level1);
        auto s = service();
        QSignalSpy received(s.get(), &StackService::objectReceived);
        QString error;
        QVERIFY2(s->start("Emu48", &error), qPrintable(error));
        QCOMPARE(s->socketPath(), runtime("dde/Emu48"));
        Client c;
        QVERIFY(c.connectTo(s->socketPath()));
        QCOMPARE(c.ask(pokeRequest(block(file)), 1), QByteArray(1, '\1'));
        QCOMPARE(stackOf(*m_machine), QStringList{level1});
        QCOMPARE(received.size(), 1);
        // the conversation goes on: a second poke on the same connection
        QCOMPARE(c.ask(pokeRequest(block(Real42File)), 1), QByteArray(1, '\1'));
        QCOMPARE(stackOf(*m_machine), (QStringList{level1, "42."}));
    }

    void refusedPokesLeaveTheStackAsItWas_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("closes"); // the rest of the bytes cannot be read
        const QByteArray good = block(Real42File);
        QTest::newRow("another topic") << pokeRequest(good, "Stak") << false;
        QTest::newRow("another item") << pokeRequest(good, "Stack", "2") << false;
        QTest::newRow("another format") << pokeRequest(good, "Stack", "1", "CF_TEXT") << false;
        QTest::newRow("a short block") << pokeRequest(QByteArray("\1\0", 2)) << false;
        QTest::newRow("a block whose size field lies") << pokeRequest(u32(99) + "abc") << false;
        QTest::newRow("a damaged object")
            << pokeRequest(block(QByteArray("HPHP49-W\xff\xff", 10))) << false;
        QTest::newRow("a text of two objects") << pokeRequest(block("1 2")) << false;
        QTest::newRow("an oversized block")
            << QByteArray("POKE" + field("Stack") + field("1") + field("CF_HPOBJ") +
                          u32(ServiceRequestReader::MaxDataField + 1) + QByteArray(1000, 'x'))
            << true;
        QTest::newRow("an unknown request") << QByteArray("PEEK" + field("1")) << true;
    }

    void refusedPokesLeaveTheStackAsItWas()
    {
        QFETCH(QByteArray, request);
        QFETCH(bool, closes);
        auto s = service();
        QSignalSpy refused(s.get(), &StackService::refused);
        QVERIFY(s->start("Emu48", nullptr));
        Client c;
        QVERIFY(c.connectTo(s->socketPath()));
        QCOMPARE(c.ask(pokeRequest(block("\"kept\"")), 1), QByteArray(1, '\1'));
        QCOMPARE(c.ask(request, 1), QByteArray(1, '\0'));
        QCOMPARE(stackOf(*m_machine), QStringList{"\"kept\""});
        QCOMPARE(refused.size(), 1);
        if (closes)
            QVERIFY(c.closedByServer());
        else
            QCOMPARE(c.ask("CONV", 4).size(), 4); // still talking
    }

    void aPokeWaitsForARunningProgramToEnd()
    {
        auto s = service();
        QVERIFY(s->start("Emu48", nullptr));
        QVERIFY(m_machine->runWhenIdle(
            [](Engine &e) { return e.enter(calc("« DO UNTIL 0 END »")) == Engine::Status::Done; },
            Limit));
        const KeyDef *eval = nullptr, *on = nullptr;
        for (const KeyDef &k : keyboardOf(Model::HP50G).keys) {
            if (k.action == "#EVAL")
                eval = &k;
            if (k.action == "#ON")
                on = &k;
        }
        m_machine->pressKey(eval->out, 1 << eval->bit);
        m_machine->releaseKey(eval->out, 1 << eval->bit);
        QTRY_VERIFY_WITH_TIMEOUT(m_machine->currentScreen().busy, Limit);
        Client c;
        QVERIFY(c.connectTo(s->socketPath()));
        c.socket.write(pokeRequest(block(Real42File)));
        c.socket.flush();
        QTest::qWait(300);
        QCOMPARE(c.socket.bytesAvailable(), 0); // waiting, and the window's thread is free
        m_machine->pressKey(on->out, 1 << on->bit);
        m_machine->releaseKey(on->out, 1 << on->bit);
        QCOMPARE(c.ask(QByteArray(), 1), QByteArray(1, '\1'));
        QCOMPARE(stackOf(*m_machine).constLast(), QString("42."));
    }

    void theWindowsAreListedAndOneIsShownAndRaised()
    {
        QMainWindow calculator;
        calculator.setObjectName("QEmu48"); // the library's own name stays
        QWidget other;
        other.setObjectName("Other");
        QWidget nameless;
        auto s = service();
        s->setCalculatorWindow(&calculator);
        QVERIFY(s->start("MyEmu", nullptr));
        Client c;
        QVERIFY(c.connectTo(s->socketPath()));
        c.socket.write("CONV");
        QTRY_VERIFY_WITH_TIMEOUT(c.socket.bytesAvailable() >= 4, Limit);
        QTest::qWait(50);
        const QByteArray list = c.socket.readAll();
        QHash<QString, quint32> ids;
        int at = 4;
        for (quint32 i = 0; i < readU32(list, 0); ++i) {
            const quint32 id = readU32(list, at);
            const int length = int(readU32(list, at + 4));
            ids.insert(QString::fromUtf8(list.mid(at + 8, length)), id);
            at += 8 + length;
        }
        QCOMPARE(at, list.size());
        QVERIFY(ids.contains("CMyEmu")); // the calculator, under "C" + the service
        QVERIFY(ids.contains("Other"));
        QVERIFY(ids.contains("QWidget")); // no object name: its class
        QVERIFY(!calculator.isVisible());
        QCOMPARE(c.ask("SHOW" + field(u32(ids.value("CMyEmu"))), 1), QByteArray(1, '\1'));
        QVERIFY(calculator.isVisible());
        QCOMPARE(c.ask("SHOW" + field(u32(999999)), 1), QByteArray(1, '\0'));
    }

    void aConnectionFromAnotherUserIsTurnedAway()
    {
        auto s = service();
        s->setExpectedPeerUid(::geteuid() + 1); // this test plays the other user
        QSignalSpy refused(s.get(), &StackService::refused);
        QVERIFY(s->start("Emu48", nullptr));
        Client c;
        QVERIFY(c.connectTo(s->socketPath()));
        c.socket.write(pokeRequest(block(Real42File)));
        QVERIFY(c.closedByServer());
        QCOMPARE(c.socket.bytesAvailable(), 0);
        QVERIFY(stackOf(*m_machine).isEmpty());
        QCOMPARE(refused.size(), 1);
    }

    // ---- where the socket lives ---------------------------------------------------------

    void theFolderIsTheUsersAloneAndTheSocketTooAndStopRemovesIt()
    {
        auto s = service();
        QVERIFY(s->start("Emu48", nullptr));
        QCOMPARE(modeOf(runtime("dde")), mode_t(0700));
        QCOMPARE(modeOf(s->socketPath()), mode_t(0600));
        s->stop();
        QVERIFY(!QFileInfo::exists(runtime("dde/Emu48")));
    }

    void foldersNotPrivatelyTheUsersArePassedOver_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("open to others") << "open";
        QTest::newRow("of another owner") << "owner";
        QTest::newRow("a link to a private folder") << "link";
    }

    void foldersNotPrivatelyTheUsersArePassedOver()
    {
        QFETCH(QString, kind);
        const QByteArray dde = QFile::encodeName(runtime("dde"));
        if (kind == "link") {
            QVERIFY(QDir().mkpath(runtime("elsewhere")));
            ::chmod(QFile::encodeName(runtime("elsewhere")).constData(), 0700);
            QVERIFY(QFile::link(runtime("elsewhere"), runtime("dde")));
        } else {
            QCOMPARE(::mkdir(dde.constData(), 0700), 0);
            if (kind == "open")
                QCOMPARE(::chmod(dde.constData(), 0755), 0);
            else if (::chown(dde.constData(), 65534, 65534) != 0)
                QSKIP("giving a folder to another user needs root");
        }
        auto s = service();
        QString error;
        QVERIFY2(s->start("Emu48", &error), qPrintable(error));
        QCOMPARE(s->socketPath(), runtime("dde-1/Emu48"));
        QCOMPARE(modeOf(runtime("dde-1")), mode_t(0700));
    }

    void aSocketLeftByACalculatorThatEndedIsReplaced()
    {
        QCOMPARE(::mkdir(QFile::encodeName(runtime("dde")).constData(), 0700), 0);
        QVERIFY(leaveStaleSocket(runtime("dde/Emu48")));
        auto s = service();
        QString error;
        QVERIFY2(s->start("Emu48", &error), qPrintable(error));
        Client c;
        QVERIFY(c.connectTo(s->socketPath()));
        QCOMPARE(c.ask(pokeRequest(block(Real42File)), 1), QByteArray(1, '\1'));
    }

    void aSecondCalculatorOnANameInUseRunsWithoutServing()
    {
        auto first = service();
        QVERIFY(first->start("Emu48", nullptr));
        auto second = service();
        QString error;
        QVERIFY(!second->start("Emu48", &error));
        QVERIFY(second->inUse());
        QVERIFY(!second->serving());
        QVERIFY2(error.contains("Another calculator serves \"Emu48\" already"), qPrintable(error));
        QVERIFY(error.contains("--service NAME"));
        QVERIFY(first->serving());
        QVERIFY(second->start("Second", &error)); // a name of its own
    }

    void namesThatCannotBeServed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << ""
                               << "cannot be a service name";
        QTest::newRow("a path") << "a/b"
                                << "cannot be a service name";
        QTest::newRow("the parent folder") << ".."
                                           << "cannot be a service name";
        QTest::newRow("two dots inside") << "x..y"
                                         << "cannot be a service name";
        QTest::newRow("too long for a socket path") << QString(120, 'E') << "too long";
    }

    void namesThatCannotBeServed()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        auto s = service();
        QString error;
        QVERIFY(!s->start(name, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY(!s->inUse());
        QCOMPARE(QDir(runtime())
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                     .filter(QRegularExpression("^(?!dde)")),
                 QStringList()); // nothing made outside the socket folder
    }

    // ---- the memory kept on exit --------------------------------------------------------

    void theMemoryGoesBackToTheStateFile_data()
    {
        QTest::addColumn<bool>("runningProgram");
        QTest::newRow("an idle calculator") << false;
        QTest::newRow("a program still running is interrupted as ON does") << true;
    }

    void theMemoryGoesBackToTheStateFile()
    {
        QFETCH(bool, runningProgram);
        const QString state = runtime("kept.e49");
        QVERIFY(QFile::copy(QV_BIN_DIR "/EMU/default 50G.e49", state));
        CalcSession session;
        QString error;
        QVERIFY2(session.create(state, QString(), &error), qPrintable(error));
        const auto m = session.machine();
        QVERIFY(m->runWhenIdle(
            [](Engine &e) {
                return e.enter(calc("\"kept\" 7 'X' STO « DO UNTIL 0 END »")) ==
                       Engine::Status::Done;
            },
            Limit));
        if (runningProgram) {
            for (const KeyDef &k : keyboardOf(m->model()).keys)
                if (k.action == "#EVAL") {
                    m->pressKey(k.out, 1 << k.bit);
                    m->releaseKey(k.out, 1 << k.bit);
                }
            QTRY_VERIFY_WITH_TIMEOUT(m->currentScreen().busy, Limit);
        }
        QVERIFY2(SaveStateOnExit(session, runningProgram, &error), qPrintable(error));
        QFile f(state);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const StateLoad load = loadState(f.readAll().toStdString());
        QVERIFY(load.ok());
        Engine e(Model::HP50G);
        QStringList stack;
        for (const Value &v : load.state.stack)
            stack << QString::fromStdString(e.toText(v));
        QVERIFY2(stack.contains("\"kept\""), qPrintable(stack.join(' ')));
    }

    void aStateThatCannotBeWrittenSaysWhy()
    {
        const QString state = runtime("gone/kept.e49");
        QVERIFY(QDir().mkpath(runtime("gone")));
        QVERIFY(QFile::copy(QV_BIN_DIR "/EMU/default 50G.e49", state));
        CalcSession session;
        QVERIFY(session.create(state, QString(), nullptr));
        QVERIFY(QDir(runtime("gone")).removeRecursively());
        QString error;
        QVERIFY(!SaveStateOnExit(session, false, &error));
        QVERIFY2(error.contains("No such file or directory"), qPrintable(error));
    }
};

QTEST_MAIN(TestStackService)
#include "tst_stackservice.moc"
