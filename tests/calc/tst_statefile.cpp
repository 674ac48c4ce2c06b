// State and port files: the whole machine survives a save and a load, the
// machine's own sections come back untouched, and damaged or foreign files
// are refused with a reason. The defaults that the build makes load.
#include "calc/core/Commands.h"
#include "calc/core/Engine.h"
#include "calc/core/StateFile.h"
#include "formats/CalcCharset.h"

#include <QtTest>

using namespace Calc;

namespace {

std::string calc(const char *utf8)
{
    const QByteArray b = CalcCharset::encode(QString::fromUtf8(utf8));
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

QStringList stackTexts(const Engine &e)
{
    QStringList out;
    for (const Value &v : e.stack())
        out << CalcCharset::decode(QByteArray::fromStdString(e.toText(v)));
    return out;
}

MachineState sampleState()
{
    Engine e(Model::HP48GX);
    e.enter(calc("42 'X' STO 'D' CRDIR D 'E' CRDIR E « → a « a 1 + » » 'P' STO 3 FIX 7 SF "
                 "RAD (1,2) { 1 'Z' \"s\" } :T:'A+B' 1 2 +"));
    MachineState st;
    e.captureState(st);
    st.modelLetter = 'G';
    st.menu = Real::fromInt(41);
    st.customMenu = Value::list({Value::string("A"), Value::real(2)});
    st.extra["XLCD"] = std::string("\x00\xFF pixels", 9);
    return st;
}

} // namespace

class TestStateFile : public QObject
{
    Q_OBJECT

private slots:
    void theWholeMachineSurvivesASaveAndALoad()
    {
        const MachineState st = sampleState();
        const std::string bytes = saveState(st);
        const StateLoad r = loadState(bytes);
        QVERIFY2(r.ok(), r.error.c_str());
        QCOMPARE(r.state.modelLetter, 'G');
        QCOMPARE(r.state.path, (std::vector<std::string>{"D", "E"}));
        QCOMPARE(r.state.systemFlags[0], st.systemFlags[0]);
        QCOMPARE(r.state.userFlags[0], st.userFlags[0]);
        QVERIFY(same(r.state.home, st.home));
        QCOMPARE(r.state.stack.size(), st.stack.size());
        for (size_t i = 0; i < st.stack.size(); ++i)
            QVERIFY(same(r.state.stack[i], st.stack[i]));
        QVERIFY(r.state.menu == Real::fromInt(41));
        QVERIFY(same(r.state.customMenu, st.customMenu));
        QCOMPARE(r.state.extra.at("XLCD"), st.extra.at("XLCD"));
        // written again it is the same file
        QCOMPARE(saveState(r.state), bytes);

        // and a restored engine carries on where the saved one was
        Engine b;
        b.restoreState(r.state);
        QCOMPARE(b.model(), Model::HP48GX);
        QCOMPARE(b.enter(calc("PATH 5 P 7 FS? X")), Engine::Status::Done);
        QCOMPARE(stackTexts(b).mid(3),
                 (QStringList{"3.000", "{ HOME D E }", "6.000", "1.000", "42.000"}));
    }

    // The user keys and the clock that →DATE and →TIME moved are part of the
    // machine: they survive a save and a load, and a memory reset clears them.
    void userKeysAndTheClockSurviveASaveAndALoad()
    {
        Engine a(Model::HP48GX);
        QCOMPARE(a.enter(calc("« 1 + » 11.1 ASN 'X' 12.3 ASN 1.012000 →DATE")),
                 Engine::Status::Done);
        const int64_t offset = a.clockOffset();
        QVERIFY(offset < -700000000); // more than 22 years back
        Engine b;
        QVERIFY(b.loadState(a.saveState()));
        QCOMPARE(b.clockOffset(), offset);
        QCOMPARE(b.enter(calc("RCLKEYS")), Engine::Status::Done);
        QCOMPARE(stackTexts(b), (QStringList{"{ « 1 + » 11.1 'X' 12.3 }"}));
        b.reset();
        QCOMPARE(b.clockOffset(), int64_t(0));
        QVERIFY(b.userKeys().empty());
    }

    // An exact integer of any size, negative ones too, keeps every digit
    // through its binary form.
    void exactIntegersSurviveASaveAndALoad()
    {
        Engine a(Model::HP50G);
        QCOMPARE(a.enter(calc("EXACT")), Engine::Status::Done);
        QCOMPARE(a.enter(calc("2 200 ^ NEG 0 12345678901234567890 { 7 -8 }")), Engine::Status::Done);
        Engine b;
        QVERIFY(b.loadState(a.saveState()));
        QCOMPARE(stackTexts(b), stackTexts(a));
        QCOMPARE(stackTexts(b).at(2), QString("12345678901234567890"));
        QCOMPARE(b.enter(calc("4 ROLL TYPE")), Engine::Status::Done);
        QCOMPARE(stackTexts(b).last(), QString("28."));
    }

    void damagedFilesAreRefusedWithAReason_data()
    {
        QTest::addColumn<int>("at");   // byte changed (negative: from the end); cut when len set
        QTest::addColumn<int>("cut");  // the file cut to this many bytes (0: not cut)
        QTest::addColumn<QString>("reason");
        QTest::newRow("another program's file") << 0 << 0 << "not a state file";
        QTest::newRow("a newer version") << 13 << 0 << "newer";
        QTest::newRow("an unknown model") << 14 << 0 << "unknown calculator model";
        QTest::newRow("a changed byte in the middle") << -400 << 0 << "check sum";
        QTest::newRow("cut after its header") << 0 << 15 << "cut short";
        QTest::newRow("cut in the middle") << 0 << -300 << "cut short";
        QTest::newRow("its last byte missing") << 0 << -1 << "cut short";
    }
    void damagedFilesAreRefusedWithAReason()
    {
        QFETCH(int, at);
        QFETCH(int, cut);
        QFETCH(QString, reason);
        std::string bytes = saveState(sampleState());
        if (cut != 0) {
            bytes.resize(cut > 0 ? size_t(cut) : bytes.size() + size_t(cut));
        } else {
            const size_t i = at >= 0 ? size_t(at) : bytes.size() + size_t(at);
            bytes[i] = static_cast<char>(bytes[i] ^ 0x41);
        }
        const StateLoad r = loadState(bytes);
        QVERIFY(!r.ok());
        QVERIFY2(QString::fromStdString(r.error).contains(reason), r.error.c_str());
    }

    void aPortFileIsNoStateFileAndTheReverse()
    {
        PortState p;
        p.entries.emplace_back("PRG", Value::program({Value::real(1)}));
        const std::string port = savePort(p);
        QVERIFY(QString::fromStdString(loadState(port).error).contains("but a port file"));
        QVERIFY(QString::fromStdString(loadPort(saveState(sampleState())).error)
                    .contains("but a state file"));
        const PortLoad back = loadPort(port);
        QVERIFY2(back.ok(), back.error.c_str());
        QCOMPARE(back.port.sizeKB, 128u);
        QCOMPARE(back.port.entries.size(), size_t(1));
        QCOMPARE(back.port.entries[0].first, std::string("PRG"));
        QVERIFY(same(back.port.entries[0].second, p.entries[0].second));
    }

    // Commands are kept by name: a build whose command table numbers them
    // otherwise still reads the same commands.
    void commandsAreReadByTheirNames()
    {
        MachineState st;
        st.stack.push_back(Value::program({Value::command(findCommand("DUP"))}));
        std::string bytes = saveState(st);
        // swap the names of DUP and DROP in the file's command table and fix
        // the check sum: the program must now read as DROP
        const std::string dup = std::string("\x03", 1) + "DUP";
        const std::string drop = std::string("\x04", 1) + "DROP";
        const size_t a = bytes.find(dup);
        const size_t b = bytes.find(drop);
        QVERIFY(a != std::string::npos && b != std::string::npos && a < b);
        std::string swapped = bytes.substr(0, a) + drop + bytes.substr(a + dup.size(), b - a - dup.size()) +
                              dup + bytes.substr(b + drop.size());
        QCOMPARE(swapped.size(), bytes.size());
        // the check sum (CRC-32) follows the change
        const size_t end = swapped.size() - 12;
        uint32_t crc = 0xFFFFFFFFu;
        for (size_t i = 0; i < end; ++i) {
            crc ^= static_cast<unsigned char>(swapped[i]);
            for (int k = 0; k < 8; ++k)
                crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
        crc ^= 0xFFFFFFFFu;
        for (int i = 0; i < 4; ++i)
            swapped[end + 8 + size_t(i)] = static_cast<char>(crc >> (8 * i));
        const StateLoad r = loadState(swapped);
        QVERIFY2(r.ok(), r.error.c_str());
        QCOMPARE(r.state.stack[0].items()[0].commandId(), findCommand("DROP"));
    }

    void theDefaultFilesOfTheBuildLoad_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QChar>("letter");
        QTest::newRow("48GX state") << "default 48GX.e48" << QChar('G');
        QTest::newRow("50G state") << "default 50G.e49" << QChar('Q');
    }
    void theDefaultFilesOfTheBuildLoad()
    {
        QFETCH(QString, file);
        QFETCH(QChar, letter);
        QFile f(QString(QV_BIN_DIR) + "/EMU/" + file);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
        const QByteArray b = f.readAll();
        const StateLoad r = loadState(std::string_view(b.constData(), size_t(b.size())));
        QVERIFY2(r.ok(), r.error.c_str());
        QCOMPARE(r.state.modelLetter, letter.toLatin1());
        QVERIFY(r.state.stack.empty());
        QVERIFY(r.state.home.asDir()->vars.empty());
    }

    void theDefaultPortFileLoads()
    {
        QFile f(QString(QV_BIN_DIR) + "/EMU/default 48GX.bin");
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray b = f.readAll();
        const PortLoad r = loadPort(std::string_view(b.constData(), size_t(b.size())));
        QVERIFY2(r.ok(), r.error.c_str());
        QCOMPARE(r.port.modelLetter, 'G');
        QCOMPARE(r.port.sizeKB, 128u);
        QVERIFY(r.port.entries.empty());
    }
};

QTEST_GUILESS_MAIN(TestStateFile)
#include "tst_statefile.moc"
