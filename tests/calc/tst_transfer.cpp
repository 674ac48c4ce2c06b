// Text received over a link: the %%HP: header's fields and the backslash
// codes that its T field asks the calculator to translate.
#include "calc/core/Engine.h"
#include "formats/Transfer.h"
#include "formats/CalcCharset.h"

#include <QtTest>

using namespace Calc;

namespace {

QString shown(const std::string &calcBytes)
{
    return CalcCharset::decode(QByteArray::fromStdString(calcBytes));
}

} // namespace

class TestTransfer : public QObject
{
    Q_OBJECT

private slots:
    void backslashCodesBecomeCalculatorCharacters_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("text");
        QTest::newRow("program delimiters and the arrow")
            << QByteArray("\\<< \\-> a \\<< a \\>> \\>>") << 3 << "« → a « a » »";
        QTest::newRow("sigma, pi, infinity, angle, square root")
            << QByteArray("\\GS \\pi \\oo \\<) \\v/") << 3 << "Σ π ∞ ∠ √";
        QTest::newRow("comparison codes") << QByteArray("\\<= \\>= \\=/") << 2 << "≤ ≥ ≠";
        QTest::newRow("Greek letters") << QByteArray("\\Ga\\Gb\\Gl\\GW") << 1 << "αßλΩ";
        QTest::newRow("three decimal digits give any code")
            << QByteArray("\\171x\\187\\065") << 3 << "«x»A";
        QTest::newRow("a doubled backslash is one backslash") << QByteArray("a\\\\b") << 3 << "a\\b";
        QTest::newRow("a backslash that starts no code stays") << QByteArray("\\q \\") << 3 << "\\q \\";
        QTest::newRow("a decimal code above 255 is no code") << QByteArray("\\300") << 3 << "\\300";
        QTest::newRow("CR LF becomes LF") << QByteArray("1\r\n2") << 3 << "1\n2";
        QTest::newRow("mode 0 translates nothing") << QByteArray("\\<<\r\n") << 0 << "\\<<\r\n";
        QTest::newRow("the longest code wins") << QByteArray("\\1/4") << 3 << "¼";
        QTest::newRow("Latin letters") << QByteArray("\\e'\\A`\\:-") << 3 << "éÀ÷";
    }
    void backslashCodesBecomeCalculatorCharacters()
    {
        QFETCH(QByteArray, received);
        QFETCH(int, mode);
        QFETCH(QString, text);
        QCOMPARE(shown(translateReceived(received.toStdString(), mode)), text);
    }

    void everyMnemonicCodeReadsBackAsItsCharacter()
    {
        for (int c = 128; c < 256; ++c) {
            const std::string_view code = transferCode(static_cast<unsigned char>(c));
            if (code.empty())
                continue;
            const std::string in = "\\" + std::string(code);
            QCOMPARE(translateReceived(in, 3), std::string(1, static_cast<char>(c)));
        }
    }

    void everyTextComesBackFromItsTransferCodes()
    {
        // every calculator byte, alone and before each of the others, and
        // backslashes that would or would not start a code
        std::string all;
        for (int c = 1; c < 256; ++c)
            all.push_back(static_cast<char>(c));
        for (const std::string &text :
             {all, std::string("\\<< \\ a\\b \\\\"), std::string("\xAB\x30\xB9/4\xA0\x35")}) {
            const std::string codes = toTransferCodes(text);
            for (const char c : codes)
                QVERIFY(static_cast<unsigned char>(c) < 128);
            QCOMPARE(translateReceived(codes, 3), text);
        }
        QCOMPARE(toTransferCodes("\xAB 1 \x8D a \xBB"), std::string("\\<< 1 \\-> a \\>>"));
        QCOMPARE(toTransferCodes("a\\b"), std::string("a\\b")); // a lone backslash stays
    }

    void theHeaderFieldsAreRead_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("translation");
        QTest::addColumn<QChar>("angle");
        QTest::addColumn<QChar>("fraction");
        QTest::newRow("the editor's template header")
            << QByteArray("%%HP: T(0)A(D)F(.);\r\n1") << true << 0 << QChar('D') << QChar('.');
        QTest::newRow("fields in another order") << QByteArray("  %%HP: F(,)T(2)A(R);")
                                                 << true << 2 << QChar('R') << QChar(',');
        QTest::newRow("a header without its semicolon ends with its line")
            << QByteArray("%%HP: T(1)\n1") << true << 1 << QChar('D') << QChar('.');
        QTest::newRow("no header") << QByteArray("1 2 +") << false << 3 << QChar('D') << QChar('.');
    }
    void theHeaderFieldsAreRead()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, present);
        QFETCH(int, translation);
        QFETCH(QChar, angle);
        QFETCH(QChar, fraction);
        size_t end = 0;
        const TransferHeader h = readTransferHeader(text.toStdString(), &end);
        QCOMPARE(h.present, present);
        QCOMPARE(h.translation, translation);
        QCOMPARE(QChar(h.angle), angle);
        QCOMPARE(QChar(h.fraction), fraction);
    }

    void aReceivedFileRunsWithItsCodesTranslated_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("result");
        QTest::newRow("T(3) program with codes and comment lines")
            << QByteArray("%%HP: T(3)A(D)F(.);\r\n@ squares\r\n\\<< \\-> x '\\v/(x)^2' \\>> 9 SWAP EVAL")
            << "9";
        QTest::newRow("T(0) keeps the backslashes, which then are no valid text")
            << QByteArray("%%HP: T(0)A(D)F(.);\r\n\"\\GS\"") << "\"\\GS\"";
        QTest::newRow("no header: nothing translated") << QByteArray("\"\\pi\"") << "\"\\pi\"";
    }
    void aReceivedFileRunsWithItsCodesTranslated()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, result);
        Engine e(Model::HP48GX);
        QCOMPARE(e.enter(receivedCommandLine(file.toStdString())), Engine::Status::Done);
        QCOMPARE(shown(e.toText(e.level(1))), result);
    }
};

QTEST_GUILESS_MAIN(TestTransfer)
#include "tst_transfer.moc"
