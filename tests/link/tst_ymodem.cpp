// The block transfer byte by byte against a scripted line: block sizes and
// numbers, the three checks, the receiver's refusals and repeats, aborts.
#include "ScriptedChannel.h"
#include "link/XModemServer.h"
#include "link/YModem.h"
#include "formats/NibbleText.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace XModem;

namespace {

QByteArray pattern(int size)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 7 + 3) & 0xFF);
    return b;
}

struct SentBlock
{
    char start;
    int number;
    int complement;
    QByteArray data;
    QByteArray check;
};

// Splits what a sender wrote into its blocks (checkSize bytes of check).
QList<SentBlock> blocksOf(const QByteArray &wire, int checkSize, QByteArray *rest)
{
    QList<SentBlock> blocks;
    qsizetype at = 0;
    while (at < wire.size() && (wire[at] == SOH || wire[at] == STX)) {
        const int size = wire[at] == SOH ? 128 : 1024;
        blocks.append({wire[at], std::uint8_t(wire[at + 1]), std::uint8_t(wire[at + 2]), wire.mid(at + 3, size),
                       wire.mid(at + 3 + size, checkSize)});
        at += 3 + size + checkSize;
    }
    *rest = wire.mid(at);
    return blocks;
}

// Runs a transfer thread to its end, with its reports kept.
struct Run
{
    explicit Run(TransferThread *t)
        : thread(t), reports(t, &TransferThread::statusReported)
    {
        thread->Begin();
        finished = thread->wait(20000);
        QCoreApplication::processEvents();
    }
    std::unique_ptr<TransferThread> thread;
    QSignalSpy reports;
    bool finished = false;
    QList<int> kinds() const
    {
        QList<int> k;
        for (const auto &r : reports)
            k << r.at(1).toInt();
        return k;
    }
};

} // namespace

class TestYModem : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Timings() = Timing{10, 0, 0}; }

    void progressTexts_data()
    {
        QTest::addColumn<qint64>("done");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<QString>("text");
        QTest::newRow("512 of 2048 bytes shows 25%") << qint64(512) << qint64(2048) << qint64(0)
                                                      << "512/2048 bytes\r\n(25%)\r\n512 byte/s";
        QTest::newRow("the rate divides by whole seconds plus one")
            << qint64(3000) << qint64(9999) << qint64(2500) << "3000/9999 bytes\r\n(30%)\r\n1000 byte/s";
        QTest::newRow("above 9999 bytes in Kbytes") << qint64(51200) << qint64(102400) << qint64(0)
                                                     << "50/100 Kbytes\r\n(49%)\r\n50 Kbyte/s";
        QTest::newRow("nothing for an empty total") << qint64(0) << qint64(0) << qint64(0) << QString();
    }
    void progressTexts()
    {
        QFETCH(qint64, done);
        QFETCH(qint64, total);
        QFETCH(qint64, elapsed);
        QFETCH(QString, text);
        QCOMPARE(FormatProgress(done, total, elapsed), text);
    }

    void checks()
    {
        const QByteArray nine = "123456789";
        QCOMPARE(CrcArc(nine), std::uint16_t(0xBB3D));
        QCOMPARE(CheckBytes(nine, Check::CrcArc), QByteArray("\x3D\xBB", 2));
        QCOMPARE(CheckBytes(nine, Check::Kermit), QByteArray("\x21\x89", 2)); // high byte first
        QCOMPARE(CheckBytes(nine, Check::Sum), QByteArray(1, char(0xDD)));
        const QByteArray b = Block(256, QByteArray(128, 'x'), Check::Sum);
        QCOMPARE(b.at(0), SOH);
        QCOMPARE(std::uint8_t(b.at(1)), std::uint8_t(0)); // block 256 carries 0 ...
        QCOMPARE(std::uint8_t(b.at(2)), std::uint8_t(255)); // ... and 255
        QCOMPARE(Block(3, QByteArray(1024, 'y'), Check::Sum).at(0), STX);
    }

    void drain_data()
    {
        QTest::addColumn<int>("noisyReads"); // -1: the line never goes quiet
        QTest::addColumn<bool>("givesUp");
        QTest::newRow("quiet at once") << 0 << false;
        QTest::newRow("noise, then quiet") << 5 << false;
        QTest::newRow("never quiet") << -1 << true;
    }
    void drain()
    {
        QFETCH(int, noisyReads);
        QFETCH(bool, givesUp);
        ScriptedChannel line;
        QCOMPARE(line.DrainLimit(), 10000);
        line.SetDrainLimit(60);
        int fed = 0;
        line.onRead = [&](ScriptedChannel &l) {
            if (noisyReads < 0 || fed < noisyReads) {
                ++fed;
                QThread::msleep(2); // bytes trickle in, one per read
                l.input = "x";
            }
        };
        bool raised = false;
        try {
            line.Drain(100, 0);
        } catch (const LinkError &e) {
            raised = true;
            QCOMPARE(e.text(), QString("Connection error.\r\nPlease check your connections."));
        }
        QCOMPARE(raised, givesUp);
        // given up by the limit, not by the script's guard against endless loops
        QVERIFY(line.reads < line.readLimit);
        if (!givesUp)
            QCOMPARE(line.reads, noisyReads + 1);
    }

    void sendingBlocks_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<char>("ask");
        QTest::addColumn<QByteArray>("starts");
        QTest::newRow("500 bytes go in four SOH blocks")
            << 500 << 'C' << QByteArray(4, SOH);
        QTest::newRow("900 bytes start at 1024 but drop to 128 at once")
            << 900 << NAK << QByteArray(8, SOH);
        QTest::newRow("3000 bytes: two STX blocks, then eight SOH")
            << 3000 << 'D' << QByteArray(2, STX) + QByteArray(8, SOH);
        QTest::newRow("exactly 1024 bytes: one STX block") << 1024 << 'C' << QByteArray(1, STX);
    }
    void sendingBlocks()
    {
        QFETCH(int, size);
        QFETCH(char, ask);
        QFETCH(QByteArray, starts);
        QTemporaryDir dir;
        const QString path = dir.filePath("obj.hp");
        const QByteArray file = pattern(size);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(file);
        }
        ScriptedChannel line;
        line.input = QByteArray(1, ask);
        line.onWrite = [](ScriptedChannel &c, const QByteArray &) { c.input.append(ACK); };
        Run run(new TYModemTX(line, false, path));
        QVERIFY(run.finished);
        QVERIFY(run.thread->Success());
        QByteArray rest;
        const int checkSize = ask == NAK ? 1 : 2;
        const auto blocks = blocksOf(line.written, checkSize, &rest);
        QByteArray startBytes, data;
        for (int i = 0; i < blocks.size(); ++i) {
            startBytes.append(blocks[i].start);
            QCOMPARE(blocks[i].number, (i + 1) & 0xFF);
            QCOMPARE(blocks[i].complement, 255 - blocks[i].number);
            const Check check = ask == NAK ? Check::Sum : ask == 'C' ? Check::CrcArc : Check::Kermit;
            QCOMPARE(blocks[i].check, CheckBytes(blocks[i].data, check));
            data += blocks[i].data;
        }
        QCOMPARE(startBytes, starts);
        QCOMPARE(data.left(size), file);
        QCOMPARE(rest, QByteArray(1, EOT));
        QCOMPARE(run.kinds().last(), int(ReportEnded));
    }

    void senderGivesUpAfterElevenRefusals()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("obj.hp");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(pattern(100));
        f.close();
        ScriptedChannel line;
        line.input = QByteArray(1, NAK);
        int blocks = 0;
        line.onWrite = [&](ScriptedChannel &c, const QByteArray &bytes) {
            if (bytes.startsWith(SOH)) {
                ++blocks;
                c.input.append(NAK);
            }
        };
        Run run(new TYModemTX(line, false, path));
        QVERIFY(run.finished);
        QVERIFY(!run.thread->Success());
        QCOMPARE(blocks, 11);
        QVERIFY(line.written.endsWith(QByteArray(3, CAN)));
        QCOMPARE(run.reports.last().at(1).toInt(), int(ReportEnded));
    }

    void senderWithoutItsFile()
    {
        ScriptedChannel line;
        line.input = QByteArray(1, 'C');
        Run run(new TYModemTX(line, false, "/nonexistent/obj.hp"));
        QVERIFY(!run.thread->Success());
        bool told = false;
        for (const auto &r : run.reports)
            told |= r.at(0).toString().startsWith("Error (Unable to open file /nonexistent/obj.hp");
        QVERIFY(told);
        QVERIFY(line.written.endsWith(QByteArray(3, CAN)));
    }

    void receiving_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<QByteArray>("answers");
        QTest::addColumn<QByteArray>("file");
        const QByteArray a = pattern(128), b = pattern(1024).mid(5, 128);
        const QByteArray one = Block(1, a, Check::Sum), two = Block(2, b, Check::Sum);
        QTest::newRow("two blocks, kept to the expected size")
            << one + two + EOT << qint64(200) << QByteArray("\x15\x06\x06\x06") << (a + b).left(200);
        QTest::newRow("a repeated block (its ACK was lost) is acknowledged and dropped")
            << one + one + two + EOT << qint64(256) << QByteArray("\x15\x06\x06\x06\x06") << a + b;
        QByteArray bad = two;
        bad[40] = char(bad[40] ^ 1);
        QTest::newRow("a block with a wrong sum is refused, its repeat taken")
            << one + bad + two + EOT << qint64(256) << QByteArray("\x15\x06\x15\x06\x06") << a + b;
        QTest::newRow("a 1K block") << Block(1, pattern(1024), Check::Sum) + EOT << qint64(1033)
                                    << QByteArray("\x15\x06\x06") << pattern(1024);
    }
    void receiving()
    {
        QFETCH(QByteArray, script);
        QFETCH(qint64, expected);
        QFETCH(QByteArray, answers);
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        const QString path = dir.filePath("got");
        ScriptedChannel line;
        // one block (or EOT) at a time, each after the receiver's answer
        QList<QByteArray> pieces;
        for (qsizetype at = 0; at < script.size();) {
            const qsizetype n = script[at] == SOH ? 132 : script[at] == STX ? 1028 : 1;
            pieces << script.mid(at, n);
            at += n;
        }
        line.onWrite = [&](ScriptedChannel &c, const QByteArray &) {
            if (!pieces.isEmpty())
                c.input += pieces.takeFirst();
        };
        Run run(new TYModemRX(line, expected, path));
        QVERIFY(run.finished);
        QVERIFY(run.thread->Success());
        QCOMPARE(line.written, answers);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), file);
    }

    void receiverAbortsOnTheSixthStrayByte()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("got");
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("the user's earlier file");
        }
        ScriptedChannel line;
        line.onWrite = [](ScriptedChannel &c, const QByteArray &bytes) {
            if (bytes == QByteArray(1, NAK))
                c.input.append('?');
        };
        Run run(new TYModemRX(line, 100, path));
        QVERIFY(run.finished);
        QVERIFY(!run.thread->Success());
        // the opening NAK, five answered with NAK, the sixth ends it
        QCOMPARE(line.written, QByteArray(6, NAK) + QByteArray(4, CAN));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("the user's earlier file"));
    }

    void receiverAbortsOnCancel()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("got");
        ScriptedChannel line;
        line.input = Block(1, pattern(128), Check::Sum);
        line.onWrite = [](ScriptedChannel &c, const QByteArray &bytes) {
            if (bytes == QByteArray(1, ACK))
                c.input.append(CAN);
        };
        Run run(new TYModemRX(line, 1000, path));
        QVERIFY(!run.thread->Success());
        QVERIFY(!QFile::exists(path)); // no partial file
        QVERIFY(line.written.endsWith(QByteArray(4, CAN)));
    }

    // ---- the session's packets ---------------------------------------------

    void replies_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("afterNak"); // what the calculator sends again
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("written");
        const QByteArray text = "Version HP50";
        const QByteArray packet = TXModemServer::CommandPacket(text);
        QTest::newRow("a reply packet is acknowledged") << packet << QByteArray() << text << QByteArray(1, ACK);
        QTest::newRow("a reply that begins with V is empty and not acknowledged")
            << QByteArray("VX") << QByteArray() << QByteArray() << QByteArray();
        QByteArray damaged = packet;
        damaged[4] = 'x';
        QTest::newRow("a damaged reply is refused, then taken again")
            << damaged << packet << text << QByteArray("\x15\x06");
        const QByteArray big = pattern(10000);
        QTest::newRow("a length above 10000 is read as 10000 bytes")
            << QByteArray("\x30\x00", 2) + big + char(Sum(big)) << QByteArray() << big << QByteArray(1, ACK);
    }
    void replies()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, afterNak);
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, written);
        auto line = std::make_unique<ScriptedChannel>();
        ScriptedChannel *raw = line.get();
        raw->input = input;
        raw->onWrite = [afterNak](ScriptedChannel &c, const QByteArray &b) {
            if (b == QByteArray(1, NAK))
                c.input = afterNak;
        };
        TXModemServer session;
        session.AdoptChannel(std::move(line), "test");
        QCOMPARE(session.ReadReply(100), reply);
        QCOMPARE(raw->written, written);
    }

    void fourBadRepliesAreAConnectionError()
    {
        auto line = std::make_unique<ScriptedChannel>();
        ScriptedChannel *raw = line.get();
        TXModemServer session;
        session.AdoptChannel(std::move(line), "test");
        QVERIFY_THROWS_EXCEPTION(LinkError, session.ReadReply(100));
        QCOMPARE(raw->written, QByteArray(4, NAK));
    }

    void aPacketRefusedFiveTimesIsAConnectionError()
    {
        auto line = std::make_unique<ScriptedChannel>();
        ScriptedChannel *raw = line.get();
        raw->onWrite = [](ScriptedChannel &c, const QByteArray &b) {
            if (b.size() > 1)
                c.input.append(NAK);
        };
        TXModemServer session;
        session.AdoptChannel(std::move(line), "test");
        QSignalSpy statuses(&session, &TXModemServer::statusChanged);
        try {
            session.SendPacket("1 2 +");
            QFAIL("no error");
        } catch (const LinkError &e) {
            QCOMPARE(e.text(), QString("Connection error.\r\nPlease check your connections."));
        }
        QCOMPARE(raw->written.count(TXModemServer::CommandPacket("1 2 +")), 5);
        QCOMPARE(statuses.size(), 4);
    }

    void commandPacket()
    {
        QCOMPARE(TXModemServer::CommandPacket("AB"), QByteArray("\x00\x02" "AB" "\x83", 5));
    }
};

QTEST_MAIN(TestYModem)
#include "tst_ymodem.moc"
