#include "formats/NibbleText.h"
#include "formats/ObjectFile.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// CRC-16/KERMIT one bit at a time, the textbook way, to check the table.
std::uint16_t kermitBitwise(const QByteArray &bytes)
{
    std::uint16_t crc = 0;
    for (char b : bytes) {
        crc ^= uchar(b);
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? (crc >> 1) ^ 0x8408 : crc >> 1;
    }
    return crc;
}

QByteArray repeated(const QByteArray &piece, int times)
{
    QByteArray out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

} // namespace

class TestObjectFile : public QObject
{
    Q_OBJECT
private slots:
    void nibble_text_data();
    void nibble_text();
    void nibble_text_round_trips_every_byte();
    void fields_data();
    void fields();
    void reading_fields_data();
    void reading_fields();
    void crc_data();
    void crc();
    void crc_matches_the_bitwise_definition();
    void file_bytes();
    void picture_layout();
    void picture_round_trip_data();
    void picture_round_trip();
    void pictures_that_do_not_read_data();
    void pictures_that_do_not_read();
    void picture_pixels();
    void line_breaking_data();
    void line_breaking();
    void string_object_files();
};

void TestObjectFile::nibble_text_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("a byte gives its low digit first") << QByteArray("\x2A") << QByteArray("A2");
    QTest::newRow("nothing gives nothing") << QByteArray() << QByteArray();
    QTest::newRow("high bytes use upper-case digits")
        << QByteArray("\xAB\x0F\xF0", 3) << QByteArray("BAF00F");
    QTest::newRow("a program prolog reads D9D20")
        << QByteArray("\x9D\x2D", 2) + QByteArray(1, '\0') << QByteArray("D9D200");
}

void TestObjectFile::nibble_text()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, text);
    QCOMPARE(BytesToNibbleText(bytes), text);
    QCOMPARE(NibbleTextToBytes(text), bytes);
}

void TestObjectFile::nibble_text_round_trips_every_byte()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    QCOMPARE(NibbleTextToBytes(BytesToNibbleText(all)), all);
    QCOMPARE(NibbleTextToBytes("A"), QByteArray("\xFA"));
    QCOMPARE(NibbleTextToBytes("a2"), QByteArray("\x2A"));
    QCOMPARE(NibbleTextToBytes("12345"), QByteArray("\x21\x43\xF5"));
}

void TestObjectFile::fields_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<quint64>("value");
    QTest::addColumn<QByteArray>("digits");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("0x123 is written 3, 2, 1, 0, 0")
        << 5 << quint64(0x123) << QByteArray("00123") << QByteArray("32100");
    QTest::newRow("the largest field value")
        << 5 << quint64(0xFFFFF) << QByteArray("FFFFF") << QByteArray("FFFFF");
    QTest::newRow("a picture's size field of 2191")
        << 5 << quint64(2191) << QByteArray("0088F") << QByteArray("F8800");
    QTest::newRow("only the lowest digits are kept")
        << 2 << quint64(0x12345) << QByteArray("45") << QByteArray("54");
    QTest::newRow("all sixteen digits of a 64-bit value")
        << 16 << quint64(0xFEDCBA9876543210ULL) << QByteArray("FEDCBA9876543210")
        << QByteArray("0123456789ABCDEF");
    QTest::newRow("no digits") << 0 << quint64(7) << QByteArray() << QByteArray();
}

void TestObjectFile::fields()
{
    QFETCH(int, count);
    QFETCH(quint64, value);
    QFETCH(QByteArray, digits);
    QFETCH(QByteArray, field);
    QCOMPARE(HexDigits(count, value), digits);
    QCOMPARE(ReverseText(HexDigits(count, value)), field);
    if (count == 5)
        QCOMPARE(NibbleField(quint32(value)), field);
}

void TestObjectFile::reading_fields_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("pos");
    QTest::addColumn<qint64>("value");
    QTest::newRow("a field after a prolog") << QByteArray("E1B20F8800") << 5 << qint64(2191);
    QTest::newRow("a field cut short does not read") << QByteArray("E1B20F88") << 5 << qint64(-1);
    QTest::newRow("a field with a foreign character does not read")
        << QByteArray("12G45") << 0 << qint64(-1);
    QTest::newRow("lower-case digits read") << QByteArray("f0000") << 0 << qint64(15);
}

void TestObjectFile::reading_fields()
{
    QFETCH(QByteArray, text);
    QFETCH(int, pos);
    QFETCH(qint64, value);
    QCOMPARE(ReadNibbleField(text, pos), value);
}

void TestObjectFile::crc_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("crc");
    QTest::newRow("the published check value of CRC-16/KERMIT")
        << QByteArray("123456789") << 0x2189;
    QTest::newRow("nothing gives zero") << QByteArray() << 0;
    QTest::newRow("one zero byte gives zero") << QByteArray(1, '\0') << 0;
}

void TestObjectFile::crc()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, crc);
    QCOMPARE(int(HpCrc(bytes)), crc);
}

void TestObjectFile::crc_matches_the_bitwise_definition()
{
    QRandomGenerator random(48);
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes(int(random.bounded(300)), '\0');
        for (char &b : bytes)
            b = char(random.bounded(256));
        QCOMPARE(HpCrc(bytes), kermitBitwise(bytes));
        const qsizetype cut = bytes.isEmpty() ? 0 : random.bounded(int(bytes.size()));
        QCOMPARE(HpCrcUpdate(HpCrc(bytes.left(cut)), bytes.mid(cut)), HpCrc(bytes));
    }
}

void TestObjectFile::file_bytes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("obj.bin");
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    QVERIFY(WriteFileBytes(all + all, path));
    QVERIFY(WriteFileBytes(all, path)); // a shorter write truncates
    QCOMPARE(ReadFileBytes(path), all);

    QString error;
    QVERIFY(ReadFileBytes(dir.filePath("missing"), &error).isEmpty());
    QVERIFY2(error.contains("missing"), qPrintable(error));
    error.clear();
    QVERIFY(!WriteFileBytes(all, dir.filePath("no/such/folder/x"), &error));
    QVERIFY2(error.contains("no/such/folder"), qPrintable(error));
}

void TestObjectFile::picture_layout()
{
    TGrob g = TGrob::blank(131, 64);
    QCOMPARE(TGrob::rowDigits(131), 34);
    QCOMPARE(g.Data.size(), 2176);
    const QByteArray text = GrobNibbleText(g);
    QCOMPARE(text.left(20),
             QByteArray("E1B20F8800"
                        "04000"
                        "38000"));
    QCOMPARE(text.size(), 5 + 2191);

    QTemporaryDir dir;
    QVERIFY(WriteGrobFile(g, dir.filePath("a.grb"), true));
    QVERIFY(WriteGrobFile(g, dir.filePath("b.grb"), false));
    QCOMPARE(ReadFileBytes(dir.filePath("a.grb")).left(8), QByteArray("HPHP48-W"));
    QCOMPARE(ReadFileBytes(dir.filePath("b.grb")).left(8), QByteArray("HPHP49-W"));
    QCOMPARE(ReadFileBytes(dir.filePath("b.grb")).mid(8, 3), QByteArray("\x1E\x2B\xF0", 3));
}

void TestObjectFile::picture_round_trip_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("the 48's screen") << 131 << 64;
    QTest::newRow("one pixel") << 1 << 1;
    QTest::newRow("a width of exactly eight") << 8 << 3;
    QTest::newRow("an empty picture") << 0 << 0;
    QTest::newRow("a wide strip") << 2000 << 2;
}

void TestObjectFile::picture_round_trip()
{
    QFETCH(int, width);
    QFETCH(int, height);
    TGrob g = TGrob::blank(width, height);
    QRandomGenerator random(uint(width * 1000 + height));
    for (char &d : g.Data)
        d = "0123456789ABCDEF"[random.bounded(16)];
    QTemporaryDir dir;
    const QString path = dir.filePath("p.grb");
    QVERIFY(WriteGrobFile(g, path, false));
    QCOMPARE(ReadGrobFile(path), g);
    QCOMPARE(GrobFromNibbleText(GrobNibbleText(g)), g);
}

void TestObjectFile::pictures_that_do_not_read_data()
{
    QTest::addColumn<QByteArray>("file");
    const QByteArray grob2x2 = "E1B20" + NibbleField(21) + NibbleField(2) + NibbleField(2) + "1020";
    QTest::newRow("a program is no picture") << MakeObjectFile("D9D20"
                                                               "B2130",
                                                               false);
    QTest::newRow("a text file is no picture") << QByteArray("GROB 8 1 FF");
    QTest::newRow("a signature without the 4 is not an object file")
        << QByteArray("HPHP50-W") + NibbleTextToBytes(grob2x2);
    QTest::newRow("a picture cut inside its dimensions") << MakeObjectFile("E1B2000000020", true);
    QTest::newRow("a picture whose rows are cut short")
        << MakeObjectFile(grob2x2.left(grob2x2.size() - 2), true);
    QTest::newRow("dimensions far larger than the file")
        << MakeObjectFile("E1B2000000FFFFFFFFFF00", true);
    QTest::newRow("an empty file") << QByteArray();
}

void TestObjectFile::pictures_that_do_not_read()
{
    QFETCH(QByteArray, file);
    QTemporaryDir dir;
    const QString path = dir.filePath("x.grb");
    QVERIFY(WriteFileBytes(file, path));
    QString error;
    QVERIFY(ReadGrobFile(path, &error).isEmpty());
    QVERIFY(error.isEmpty());
}

void TestObjectFile::picture_pixels()
{
    TGrob g = TGrob::blank(10, 2);
    g.setPixel(0, 0, true);
    QCOMPARE(g.Data,
             QByteArray("1000"
                        "0000"));
    g.setPixel(3, 0, true);
    g.setPixel(9, 1, true);
    QCOMPARE(g.Data,
             QByteArray("9000"
                        "0020"));
    QVERIFY(g.pixel(9, 1));
    QVERIFY(!g.pixel(8, 1));
    g.setPixel(0, 0, false);
    g.setPixel(10, 0, true); // outside: no change
    g.setPixel(-1, 0, true);
    QCOMPARE(g.Data,
             QByteArray("8000"
                        "0020"));
    QVERIFY(!g.pixel(10, 0));

    // Extra nibbles after the last row (another tool's padding) are no pixels.
    const QByteArray text = GrobNibbleText(g) + "FFFF";
    QCOMPARE(GrobFromNibbleText(text), g);
}

void TestObjectFile::line_breaking_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QByteArray>("broken");
    const QByteArray word("AAAAAAAAA ");
    const QByteArray line79 = repeated(word, 7) + "AAAAAAAAA";
    QTest::newRow("100 characters without blanks stay one line")
        << QByteArray(100, 'X') << 80 << QByteArray(100, 'X');
    QTest::newRow("blanks every ten characters break at the last blank before 80")
        << repeated(word, 20) << 80 << line79 + "\n" + line79 + "\n" + repeated(word, 4);
    QTest::newRow("a blank inside double quotes is never a break")
        << "\"" + repeated(word, 10) + "\"" << 20 << "\"" + repeated(word, 10) + "\"";
    QTest::newRow("a blank inside brackets is never a break")
        << "[ " + repeated(QByteArray("1 "), 30) + "]" << 10
        << "[ " + repeated(QByteArray("1 "), 30) + "]";
    QTest::newRow("without an earlier blank the blank past the limit breaks")
        << QByteArray("ABCDEFGH IJ") << 5 << QByteArray("ABCDEFGH\nIJ");
    QTest::newRow("a line feed of the text starts the count again")
        << QByteArray("AAAA\nBBBB CCCC") << 9 << QByteArray("AAAA\nBBBB CCCC");
    QTest::newRow("regression: a long line before a line feed does not break the next line early")
        << QByteArray("AAAAAAAAAAAA\nBB CC") << 9 << QByteArray("AAAAAAAAAAAA\nBB CC");
}

void TestObjectFile::line_breaking()
{
    QFETCH(QByteArray, text);
    QFETCH(int, width);
    QFETCH(QByteArray, broken);
    QCOMPARE(BreakLongLines(text, width), broken);
}

void TestObjectFile::string_object_files()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.hpstr");
    const QByteArray chars = "\xAB 1 2 + \xBB";
    QVERIFY(WriteFileBytes(MakeObjectFile(StringNibbleText(chars), false), path));
    QCOMPARE(ReadFileBytes(path).left(10), QByteArray("HPHP49-W\x2C\x2A"));
    QCOMPARE(ReadStringObjectFile(path), chars);

    // Data after the string (another object in the file) is not part of it.
    QVERIFY(WriteFileBytes(MakeObjectFile(StringNibbleText("AB") + "B2130", true), path));
    QCOMPARE(ReadStringObjectFile(path), QByteArray("AB"));

    QVERIFY(WriteFileBytes(MakeObjectFile(StringNibbleText(repeated("word ", 30)), true), path));
    QCOMPARE(ReadStringObjectFile(path, 20).count('\n'), 7);

    QVERIFY(WriteGrobFile(TGrob::blank(8, 8), path, true));
    QVERIFY(ReadStringObjectFile(path).isEmpty());

    QString error;
    QVERIFY(ReadStringObjectFile(dir.filePath("none"), 80, &error).isEmpty());
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestObjectFile)
#include "tst_objectfile.moc"
