#include "formats/CalcCharset.h"

#include <QtTest>

class TestCalcCharset : public QObject
{
    Q_OBJECT

private slots:
    void everyByteSurvivesARoundTrip()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        bool ok = false;
        QCOMPARE(CalcCharset::encode(CalcCharset::decode(all), &ok), all);
        QVERIFY(ok);
    }

    void glyphs_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<uint>("codePoint");
        QTest::newRow("the angle sign is byte 128") << 0x80 << 0x2220u;
        QTest::newRow("the right arrow is byte 141") << 0x8D << 0x2192u;
        QTest::newRow("pi is byte 135") << 0x87 << 0x03C0u;
        QTest::newRow("the program start is Latin-1 guillemet") << 0xAB << 0x00ABu;
        QTest::newRow("byte 127 is a shade block") << 0x7F << 0x2592u;
        QTest::newRow("x-bar has a private-use stand-in") << 0x81 << 0xE081u;
        QTest::newRow("infinity is byte 159") << 0x9F << 0x221Eu;
    }
    void glyphs()
    {
        QFETCH(int, byte);
        QFETCH(uint, codePoint);
        QCOMPARE(uint(CalcCharset::toUnicode(static_cast<unsigned char>(byte))), codePoint);
        QCOMPARE(CalcCharset::fromUnicode(codePoint), byte);
    }

    void charactersOutsideTheSetAreRefusedNotChanged()
    {
        bool ok = true;
        int bad = -1;
        QByteArray out = CalcCharset::encode(QStringLiteral("a\u20ACb"), &ok, &bad);
        QVERIFY(!ok);
        QCOMPARE(bad, 1);
        QCOMPARE(out, QByteArray("ab"));
        QVERIFY(!CalcCharset::canEncode(QStringLiteral("\U0001F600")));
        QVERIFY(CalcCharset::canEncode(QStringLiteral("\u00AB 1 \u2192 x \u00BB")));
    }
};

QTEST_APPLESS_MAIN(TestCalcCharset)
#include "tst_calccharset.moc"
