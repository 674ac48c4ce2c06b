// The editor's session with the simulated calculator over a pseudo-terminal
// pair, end to end: the handshake, commands, files both ways, the series
// check, and faults on the line (dropped, flipped and cut bytes).
#include "LinkRig.h"

#include "calc/core/BinaryObject.h"
#include "calc/core/Errors.h"
#include "shell/Settings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace XModem;

namespace {

QString errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const LinkError &e) {
        return e.text();
    }
    return QString();
}

// A string object as a binary object file of exactly size bytes (the
// signature, 8 bytes, and 5 bytes of prolog and length before the text).
QByteArray stringObjectFile(int size)
{
    std::string text;
    for (int i = 0; i < size - 13; ++i)
        text += char('A' + i % 26);
    const std::string file = Calc::writeObjectFile(Calc::Value::string(text), false);
    return QByteArray(file.data(), qsizetype(file.size()));
}

} // namespace

class TestLinkSession : public QObject
{
    Q_OBJECT

    std::unique_ptr<CalculatorRig> rig;
    std::unique_ptr<TXModemServer> session;
    std::unique_ptr<QuickTimings> quick;
    QTemporaryDir dir;

    void connectSession()
    {
        session->SetSpeed(115200);
        session->Connect(QString::fromStdString(rig->slaveName));
        QVERIFY(session->IsConnected());
    }
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        f.write(bytes);
        return path;
    }
    // The variable's object file as the calculator would send it.
    QByteArray variableFile(const std::string &name)
    {
        return rig->onEngine([&](Calc::Engine &e) {
            try {
                const std::string f = Calc::writeObjectFile(e.recall(Calc::Value::global(name)), false);
                return QByteArray(f.data(), qsizetype(f.size()));
            } catch (const Calc::CalcError &) {
                return QByteArray();
            }
        });
    }

private slots:
    void init()
    {
        quick = std::make_unique<QuickTimings>();
        rig = std::make_unique<CalculatorRig>();
        rig->start();
        session = std::make_unique<TXModemServer>();
        Settings().environment.DefaultEmulator = false;
    }
    void cleanup()
    {
        session.reset();
        rig.reset();
        quick.reset();
    }

    void connectsWithTheVersionHandshake()
    {
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QSignalSpy connected(session.get(), &TXModemServer::connectedChanged);
        QSignalSpy statuses(session.get(), &TXModemServer::statusChanged);
        connectSession();
        QDir::setCurrent(before);
        QVERIFY(session->Version().startsWith("Version HP50"));
        QStringList texts;
        for (const auto &s : statuses)
            texts << s.at(0).toString();
        const QString port = QString::fromStdString(rig->slaveName);
        QCOMPARE(texts.mid(0, 2), (QStringList{"Opening Comm " + port, "Device connected on " + port}));
        QVERIFY(!connected.isEmpty());
        // the calculator's temporary variable is gone, and no file of that
        // name was left in the working folder
        QVERIFY(variableFile("$$$t").isEmpty());
        QVERIFY(!QFile::exists(dir.filePath("$$$t")));
    }

    void sendsAProgramThatArrivesOnTheStack()
    {
        connectSession();
        const std::string program = rig->onEngine([](Calc::Engine &e) {
            return Calc::writeObjectFile(e.compile("\xAB 1 2 + \xBB").items().front(), false);
        });
        const QString path = writeFile("PROG.hp", QByteArray(program.data(), qsizetype(program.size())));
        QSignalSpy reports(session.get(), &TXModemServer::transferReport);
        QVERIFY(session->Put("$$$t", path));
        session->Execute("'$$$t' DUP RCL SWAP PURGE");
        session->Quit();
        QTRY_COMPARE_WITH_TIMEOUT(rig->onEngine([](Calc::Engine &e) { return e.depth(); }), size_t(1), 5000);
        const std::string top = rig->onEngine([](Calc::Engine &e) { return e.toText(e.level(1)); });
        QCOMPARE(QByteArray::fromStdString(top), QByteArray("\xAB 1 2 + \xBB"));
        QVERIFY(variableFile("$$$t").isEmpty());
        QCOMPARE(reports.last().at(1).toInt(), int(ReportEnded));
    }

    void putsFilesOfEverySize_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("blocks");
        QTest::addColumn<int>("small");
        QTest::newRow("500 bytes: four small blocks") << 500 << 4 << 4;
        QTest::newRow("900 bytes: eight small blocks") << 900 << 8 << 8;
        QTest::newRow("3000 bytes: two 1K blocks and eight small") << 3000 << 10 << 8;
        QTest::newRow("40000 bytes: 39 1K blocks and one small") << 40000 << 40 << 1;
    }
    void putsFilesOfEverySize()
    {
        QFETCH(int, size);
        QFETCH(int, blocks);
        QFETCH(int, small);
        connectSession();
        const QByteArray file = stringObjectFile(size);
        QCOMPARE(file.size(), size);
        const QString path = writeFile("S.hp", file);
        const auto before = rig->server->counters();
        QVERIFY(session->Put("S.hp", path)); // stored as S
        const auto after = rig->server->counters();
        QCOMPARE(after.blocksReceived - before.blocksReceived, blocks);
        QCOMPARE(after.smallBlocks - before.smallBlocks, small);
        QCOMPARE(QByteArray::fromStdString(after.lastReceivedFile).left(file.size()), file);
        QTRY_COMPARE_WITH_TIMEOUT(variableFile("S"), file, 5000); // stored once the put has ended
    }

    void getsAVariable()
    {
        connectSession();
        rig->onEngine([](Calc::Engine &e) { return e.enter("\"hello from the calculator\" 'GREET' STO"); });
        const QByteArray expected = variableFile("GREET");
        const QString local = dir.filePath("greet.hp");
        // the size asked for leaves room for the file's signature
        QVERIFY(session->Get("GREET", local, expected.size() - 9));
        QFile f(local);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), expected);
    }

    // Faults on the calculator's side of the line while a file moves. The
    // index counts the bytes of that direction from the start of the put.
    void putSurvivesLineFaults_data()
    {
        QTest::addColumn<bool>("incoming"); // bytes to the calculator
        QTest::addColumn<long>("index");
        QTest::addColumn<int>("fate");
        QTest::newRow("a byte of the first block dropped") << true << 300L << int(FaultyLine::Drop);
        QTest::newRow("a byte of the first block flipped") << true << 300L << int(FaultyLine::Flip);
        QTest::newRow("a byte of the second block flipped") << true << 1500L << int(FaultyLine::Flip);
        // the calculator's ACK of the packet, its request, then the block's ACK
        QTest::newRow("the ACK of the first block lost") << false << 2L << int(FaultyLine::Drop);
        QTest::newRow("the block request flipped") << false << 1L << int(FaultyLine::Flip);
    }
    void putSurvivesLineFaults()
    {
        QFETCH(bool, incoming);
        QFETCH(long, index);
        QFETCH(int, fate);
        connectSession();
        const QByteArray file = stringObjectFile(3000);
        const QString path = writeFile("F.hp", file);
        long seen = 0;
        auto hook = [&seen, index, fate](long, char) {
            return seen++ == index ? FaultyLine::Fate(fate) : FaultyLine::Pass;
        };
        (incoming ? rig->line->onIncoming : rig->line->onOutgoing) = hook;
        QVERIFY(session->Put("F", path));
        QTRY_COMPARE_WITH_TIMEOUT(variableFile("F"), file, 5000);
    }

    void getSurvivesALostAck()
    {
        connectSession();
        rig->onEngine([](Calc::Engine &e) { return e.enter("1 1000 FOR i i NEXT 1000 \x8DLIST 'L' STO"); });
        const QByteArray expected = variableFile("L");
        QVERIFY(expected.size() > 2048);
        // 'G', the packet "L" (4 bytes), the receiver's NAK, then its ACKs
        long seen = 0;
        rig->line->onIncoming = [&seen](long, char) {
            return seen++ == 6 ? FaultyLine::Drop : FaultyLine::Pass;
        };
        const QString local = dir.filePath("l.hp");
        QVERIFY(session->Get("L", local, expected.size() - 9));
        QFile f(local);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), expected);
        QVERIFY(rig->server->counters().commands > 0);
    }

    void aCutLineFailsCleanly_data()
    {
        QTest::addColumn<bool>("put");
        QTest::newRow("while putting") << true;
        QTest::newRow("while getting") << false;
    }
    void aCutLineFailsCleanly()
    {
        QFETCH(bool, put);
        connectSession();
        XModem::Timings().answerMs = 200;
        rig->onEngine([](Calc::Engine &e) { return e.enter("1 1000 FOR i i NEXT 1000 \x8DLIST 'L' STO"); });
        long seen = 0;
        auto cut = [this, &seen](long, char) {
            if (++seen == 900)
                rig->line->silent = true;
            return FaultyLine::Pass;
        };
        const QString local = dir.filePath("cut.hp");
        QSignalSpy reports(session.get(), &TXModemServer::transferReport);
        QElapsedTimer clock;
        clock.start();
        bool ok = true;
        if (put) {
            rig->line->onIncoming = cut;
            ok = session->Put("C", writeFile("C.hp", stringObjectFile(5000)));
        } else {
            rig->line->onOutgoing = cut;
            ok = session->Get("L", local, 5000);
        }
        QVERIFY(!ok);
        QVERIFY(clock.elapsed() < 60000);
        QVERIFY(!QFile::exists(local));
        bool told = false;
        for (const auto &r : reports)
            told |= r.at(1).toInt() == ReportNotice && r.at(0).toString().startsWith("Connection error.");
        QVERIFY(told);
        QCOMPARE(reports.last().at(1).toInt(), int(ReportEnded));
    }

    void theOtherSeriesIsAskedAbout()
    {
        connectSession();
        Settings().environment.DefaultEmulator = true; // the 48 series
        QString asked;
        session->SetQuestion([&](const QString &q) {
            asked = q;
            return false;
        });
        const QString path = writeFile("P49.hp", stringObjectFile(300));
        const int commands = rig->server->counters().commands;
        QVERIFY(!session->Put("X", path));
        QCOMPARE(asked, path + "\r\n\r\nis a HP49 file and does not match the calculator.\r\n"
                               "This may damage the calculator contents.\r\n\r\nDo you wish to continue?");
        QTest::qWait(300);
        QCOMPARE(rig->server->counters().commands, commands); // nothing sent
    }

    void errorsSayWhatWentWrong()
    {
        QCOMPARE(errorOf([&] { session->Put("X", "/nonexistent"); }),
                 QString("Error (No device connected. Check you are in Xmodem server (RShift RightArrow))"));
        session->SetSpeed(115200);
        QCOMPARE(errorOf([&] { session->Connect("/dev/nonexistent-port"); }),
                 QString("Error (The connectivity kit is unable to open the communication com :"
                         "/dev/nonexistent-port)"));
        QVERIFY(!session->IsConnected());
        // with no port chosen, nothing is connected
        session->Connect(QString());
        QVERIFY(!session->IsConnected());
    }

    void automaticDetectionTriesThePortsInTurn()
    {
        session->SetSpeed(115200);
        session->SetPortLister([this] {
            return QStringList{"/dev/nonexistent-port", QString::fromStdString(rig->slaveName)};
        });
        session->Connect("auto");
        QVERIFY(session->IsConnected());
        QCOMPARE(session->PortName(), QString::fromStdString(rig->slaveName));

        TXModemServer lonely;
        lonely.SetSpeed(115200);
        lonely.SetPortLister([] { return QStringList{"/dev/nonexistent-port"}; });
        lonely.Connect("AUTO");
        QVERIFY(!lonely.IsConnected());
        QCOMPARE(lonely.LastStatus(), QString("No device detected. Check the cable connections and the calculator."));
    }
};

QTEST_MAIN(TestLinkSession)
#include "tst_linksession.moc"
