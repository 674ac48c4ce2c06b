// Typing into the calculator: the two keyboard maps and the key press thread's
// pacing, through a fake library that records presses and pauses in order.

#include "support/FakeEmulator.h"

#include "emulator/Emu48Proc.h"
#include "emulator/KeyPressThread.h"

#include <QSet>
#include <QtTest>

class TestKeyPress : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void typing_data();
    void typing();
    void each_call_starts_without_a_previous_key();
    void the_maps_data();
    void the_maps();
    void a_completion_runs_on_the_user_interface_thread();
};

void TestKeyPress::init()
{
    ResetEmulatorSession();
}

void TestKeyPress::typing_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("presses");
    QTest::newRow("a repeated key waits 250 ms before its second press")
        << int('G') << QByteArray("AA") << QStringList{"key 1,16", "pause 250", "key 1,16"};
    QTest::newRow("two different keys go in without a pause")
        << int('G') << QByteArray("AB") << QStringList{"key 1,16", "key 8,16"};
    QTest::newRow("shift and P on a 49 family model")
        << int('X') << QByteArray("\x13P") << QStringList{"key 7,2", "key 1,64"};
    QTest::newRow("the 50g uses the 49 family's map") << int('Q') << QByteArray("A") << QStringList{"key 5,1"};
    QTest::newRow("O on the 48 series is out 6 with mask 8") << int('G') << QByteArray("O") << QStringList{"key 6,8"};
    QTest::newRow("a character without a key is skipped, and still counts as the previous one")
        << int('Q') << QByteArray("//A") << QStringList{"pause 250", "key 5,1"};
    QTest::newRow("ON is input bit 15 of line 0") << int('G') << QByteArray("\x1B") << QStringList{"key 0,32768"};
}

void TestKeyPress::typing()
{
    QFETCH(int, model);
    QFETCH(QByteArray, text);
    QFETCH(QStringList, presses);
    FakeEmulator fake;
    fake.model = model;
    fake.created = true;
    PressKeys(text);
    QCOMPARE(fake.log(), presses);
}

void TestKeyPress::each_call_starts_without_a_previous_key()
{
    FakeEmulator fake;
    fake.model = 'G';
    fake.created = true;
    PressKeys("A");
    PressKeys("A");
    QCOMPARE(fake.log(), (QStringList{"key 1,16", "key 1,16"}));
}

void TestKeyPress::the_maps_data()
{
    QTest::addColumn<bool>("hp48");
    QTest::addColumn<int>("entries");
    QTest::newRow("48 series") << true << 49;
    QTest::newRow("49 family") << false << 47;
}

void TestKeyPress::the_maps()
{
    QFETCH(bool, hp48);
    QFETCH(int, entries);
    const auto map = hp48 ? &KeyMap48 : &KeyMap49;
    QCOMPARE(hp48 ? KeyMap48Size() : KeyMap49Size(), entries);
    // Every character that the editor types has a key, and no two characters
    // share one.
    for (const char c : QByteArray("ON\x13PA\x02"))
        QVERIFY2(map(uchar(c)).has_value(), QByteArray(1, c).toHex().constData());
    QSet<int> seen;
    int found = 0;
    for (int c = 0; c < 256; ++c) {
        if (const auto key = map(uchar(c))) {
            ++found;
            QVERIFY(key->outLine >= 0 && key->outLine <= 8);
            QVERIFY(key->inBit >= 0 && key->inBit <= 15);
            QVERIFY2(!seen.contains(key->outLine * 16 + key->inBit), qPrintable(QString::number(c)));
            seen.insert(key->outLine * 16 + key->inBit);
        }
    }
    QCOMPARE(found, entries);
    QCOMPARE(*map(0x1B), (KeyPosition{0, 15}));
}

void TestKeyPress::a_completion_runs_on_the_user_interface_thread()
{
    FakeEmulator fake;
    fake.model = 'G';
    fake.created = true;
    QThread *ranOn = nullptr;
    PressKeys("A", [&] {
        ranOn = QThread::currentThread();
        fake.record("done");
    });
    QCOMPARE(ranOn, QThread::currentThread());
    QCOMPARE(fake.log(), (QStringList{"key 1,16", "pause 600", "done"}));
}

QTEST_MAIN(TestKeyPress)
#include "tst_keypress.moc"
