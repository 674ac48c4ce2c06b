// Objects in the calculators' binary form: exact nibbles of known objects,
// round trips of every type, object files, the editor's command-line wrapper,
// and clear refusals of damaged data.
#include "calc/core/BinaryObject.h"
#include "calc/core/Commands.h"
#include "calc/core/Engine.h"
#include "formats/CalcCharset.h"
#include "formats/NibbleText.h"
#include "formats/ObjectFile.h"

#include <QtTest>

using namespace Calc;

namespace {

std::string calc(const char *utf8)
{
    const QByteArray b = CalcCharset::encode(QString::fromUtf8(utf8));
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

// The object that a command line leaves on level 1.
Value objectOf(Engine &e, const char *utf8)
{
    e.stack().clear();
    if (e.enter(calc(utf8)) != Engine::Status::Done || e.depth() != 1)
        return Value();
    return e.level(1);
}

QString text(const Engine &e, const Value &v)
{
    return CalcCharset::decode(QByteArray::fromStdString(e.toText(v)));
}

std::string spaced(const char *nibbles)
{
    std::string s;
    for (const char *p = nibbles; *p; ++p)
        if (*p != ' ')
            s.push_back(*p);
    return s;
}

} // namespace

class TestBinary : public QObject
{
    Q_OBJECT

private slots:
    void knownObjectsHaveTheCalculatorsNibbles_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("nibbles");
        QTest::newRow("the real 1 is exponent 000, mantissa 1 first digit last, sign 0")
            << "1." << "33920 000 000000000001 0";
        QTest::newRow("a negative real with a negative exponent uses 1000's complement and sign 9")
            << "-1.5E-3" << "33920 799 000000000051 9";
        QTest::newRow("zero") << "0." << "33920 000 000000000000 0";
        QTest::newRow("an exact integer: size, decimal digits lowest first, sign")
            << "1" << "41620 70000 1 0";
        QTest::newRow("a negative exact integer has sign 9") << "-120" << "41620 90000 021 9";
        QTest::newRow("a complex number is two real bodies")
            << "(1,2)" << "77920 000 000000000001 0 000 000000000002 0";
        QTest::newRow("a binary integer has 16 nibbles, least significant first")
            << "#1Fh" << "E4A20 51000 F100000000000000";
        QTest::newRow("a string's size counts 5 plus 2 per character")
            << "\"AB\"" << "C2A20 90000 14 24";
        QTest::newRow("a list ends in the end marker") << "{ 1. }"
                                                       << "47A20 33920 000 000000000001 0 B2130";
        QTest::newRow("a global name: length, characters") << "'AB'" << "84E20 20 14 24";
        QTest::newRow("a tagged real") << ":T:1."
                                       << "CFA20 10 45 33920 000 000000000001 0";
        QTest::newRow("a quoted name in a program is an algebraic holding it")
            << "« 'X' »" << "D9D20 8BA20 84E20 10 85 B2130 B2130";
        QTest::newRow("a vector: size, element prolog, one dimension, bodies")
            << "[1 2]" << "8E920 43000 33920 10000 20000 000 000000000001 0 000 000000000002 0";
        QTest::newRow("a picture: size, height, width, rows of whole bytes")
            << "GROB 9 2 FF01FF01" << "E1B20 71000 20000 90000 FF01 FF01";
        QTest::newRow("an unquoted name in a list is a bare name")
            << "{ X }" << "47A20 84E20 10 85 B2130";
    }
    void knownObjectsHaveTheCalculatorsNibbles()
    {
        QFETCH(QString, source);
        QFETCH(QString, nibbles);
        Engine e;
        const Value v = objectOf(e, source.toUtf8().constData());
        QVERIFY(!v.isNull());
        QCOMPARE(QString::fromStdString(encodeObject(v)),
                 QString::fromStdString(spaced(nibbles.toLatin1().constData())));
    }

    void everyObjectReadsBackTheSame_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("real") << "-123.456789012E-45";
        QTest::newRow("largest real") << "9.99999999999E499";
        QTest::newRow("complex") << "(-1.5,2E10)";
        QTest::newRow("binary") << "#FFFFFFFFFFFFFFFFh";
        QTest::newRow("empty string") << "\"\"";
        QTest::newRow("string with calculator bytes") << "\"«a→b» π\"";
        QTest::newRow("list of reals") << "{ 1 2.5 -3 }";
        QTest::newRow("nested lists") << "{ { } { 1 { \"x\" } } }";
        QTest::newRow("program with structures")
            << "« IF DUP 0 > THEN 1 ELSE 2 END 1 10 FOR i i NEXT »";
        QTest::newRow("program with local variables")
            << "« → a b « a b + 'a' STO a » »";
        QTest::newRow("program with IFERR and loops")
            << "« IFERR 1 0 / THEN DROP END DO 1 UNTIL 1 END WHILE 0 REPEAT END »";
        QTest::newRow("algebraic") << "'SIN(X)+2*Y^3'";
        QTest::newRow("algebraic with a user function") << "'F(X,Y+1)*2'";
        QTest::newRow("local name in a program") << "« → x 'x+1' »";
        QTest::newRow("tagged list") << ":Name:{ 1 2 }";
        QTest::newRow("command alone in a list") << "{ DUP SWAP + }";
        QTest::newRow("real matrix") << "[[1 2][3 4.5]]";
        QTest::newRow("complex vector") << "[(1,2) (3,-4)]";
        QTest::newRow("picture of 9 by 2 pixels") << "GROB 9 2 FF01FF01";
        QTest::newRow("number with a unit") << "1.5_m/s^2";
        QTest::newRow("list holding a matrix and a picture") << "{ [1 2] GROB 1 1 10 }";
    }
    void everyObjectReadsBackTheSame()
    {
        QFETCH(QString, source);
        Engine e;
        const Value v = objectOf(e, source.toUtf8().constData());
        QVERIFY2(!v.isNull(), qPrintable(source));
        const std::string nib = encodeObject(v);
        const DecodedObject d = decodeObject(nib);
        QVERIFY2(d.ok(), d.error.c_str());
        QCOMPARE(d.length, nib.size());
        QCOMPARE(text(e, d.value), text(e, v));
        QVERIFY(same(d.value, v));
        QCOMPARE(encodeObject(d.value), nib);
    }

    void aDecodedProgramRunsAsTheOriginal()
    {
        Engine e;
        const Value prog = objectOf(e, "« 0 1 5 FOR k k + NEXT → s « s 2 * » »");
        const DecodedObject d = decodeObject(encodeObject(prog));
        QVERIFY(d.ok());
        e.stack().clear();
        QCOMPARE(e.evaluate(d.value), Engine::Status::Done);
        QCOMPARE(text(e, e.level(1)), QString("30"));
    }

    void aDirectoryReadsBackWithItsVariablesInOrder()
    {
        Engine e;
        QCOMPARE(e.enter(calc("1 'A' STO \"x\" 'B' STO 'D1' CRDIR D1 5 'C' STO UPDIR")),
                 Engine::Status::Done);
        const Value home = Value::directory(e.home());
        const std::string nib = encodeObject(home);
        QVERIFY(nib.starts_with("69A20FF7"));
        const DecodedObject d = decodeObject(nib);
        QVERIFY2(d.ok(), d.error.c_str());
        QCOMPARE(d.length, nib.size());
        QVERIFY(same(d.value, home));
        QCOMPARE(d.value.asDir()->vars.front().name->text, std::string("D1"));
        // an empty directory is the prolog, 7FF and a zero offset
        const Value empty = Value::directory(new DirObj);
        QCOMPARE(QString::fromStdString(encodeObject(empty)), QString("69A20FF700000"));
        QVERIFY(decodeObject(encodeObject(empty)).ok());
    }

    // The editor's writers and ours agree to the nibble.
    void objectFilesMatchTheEditorsOwnWriters()
    {
        Engine e;
        const Value s = objectOf(e, "\"Hello, world\"");
        const std::string file = writeObjectFile(s, true);
        QCOMPARE(QByteArray::fromStdString(file),
                 MakeObjectFile(StringNibbleText("Hello, world"), true));
        const DecodedObject d = readObjectFile(file);
        QVERIFY(d.ok());
        QVERIFY(same(d.value, s));
    }

    void objectsWrittenAndReadAreByteIdentical_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("a string") << "\"Hello\nworld «»\"";
        QTest::newRow("a list of reals") << "{ 1 -2.5 3E100 0 }";
        QTest::newRow("a matrix") << "[[1 2 3][4 5 6]]";
        QTest::newRow("a GROB") << "GROB 131 2 " + QString(68, 'F');
    }
    void objectsWrittenAndReadAreByteIdentical()
    {
        QFETCH(QString, source);
        Engine e;
        const Value v = objectOf(e, source.toUtf8().constData());
        QVERIFY(!v.isNull());
        const std::string file = writeObjectFile(v, false);
        QVERIFY(file.starts_with("HPHP49-W"));
        const DecodedObject d = readObjectFile(file);
        QVERIFY(d.ok());
        QCOMPARE(writeObjectFile(d.value, false), file);
    }

    // The text 1 2 + in the editor's wrapper, as the 48 series' file the
    // editor writes (HPHP48-C, no run pointer).
    void theCommandLineWrapperRunsItsText()
    {
        const std::string bytes =
            QByteArray::fromHex("4850485034382D439D2DC0A2020F0010032203B262B21C2B31F0").toStdString();
        const DecodedObject d = readObjectFile(bytes);
        QVERIFY2(d.ok(), d.error.c_str());
        QCOMPARE(d.value.type(), Type::Program);
        Engine e(Model::HP48GX);
        QCOMPARE(e.evaluate(d.value), Engine::Status::Done);
        QCOMPARE(e.depth(), size_t(1));
        QCOMPARE(text(e, e.level(1)), QString("3"));
        // and it is written back to the same bytes
        QCOMPARE(writeObjectFile(d.value, true, 'C'), bytes);
    }

    // The wrapper as the editor writes it reads as the text and the command
    // behind its pointers, and is written back to the same nibbles.
    void theEditorsWrapperReadsAsItsTextAndCommand_data()
    {
        QTest::addColumn<bool>("hp48");
        QTest::addColumn<bool>("run");
        QTest::newRow("48 series, compile") << true << false;
        QTest::newRow("48 series, compile and run") << true << true;
        QTest::newRow("49 family, compile") << false << false;
        QTest::newRow("49 family, compile and run") << false << true;
    }
    void theEditorsWrapperReadsAsItsTextAndCommand()
    {
        QFETCH(bool, hp48);
        QFETCH(bool, run);
        const QByteArray nibbles = CommandLineWrapper("1 2 +", run, hp48);
        const DecodedObject d = decodeObject(nibbles.toStdString());
        QVERIFY2(d.ok(), d.error.c_str());
        QCOMPARE(d.length, size_t(nibbles.size()));
        QCOMPARE(d.value.type(), Type::Program);
        QCOMPARE(d.value.items().size(), size_t(2));
        QCOMPARE(d.value.items()[0].str(), std::string("1 2 +"));
        QCOMPARE(d.value.items()[1].commandId(), run ? enterLineEvalCommand() : enterLineCommand());
        QCOMPARE(encodeObject(d.value, EncodeOptions{hp48}), nibbles.toStdString());
    }

    void theRunPointerEvaluatesANewLevelOne_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("stack");
        QTest::newRow("a program left by the line is run") << "« 2 3 * »" << "6";
        QTest::newRow("a line that leaves nothing runs nothing") << "DROP" << "";
        QTest::newRow("a name left by the line is evaluated") << "'X'" << "'X'";
        QTest::newRow("a header in front gives its decimal comma")
            << "%%HP: T(3)A(D)F(,);\n« 1,5 2 * »" << "3";
    }
    void theRunPointerEvaluatesANewLevelOne()
    {
        QFETCH(QString, line);
        QFETCH(QString, stack);
        for (bool hp48 : {true, false}) {
            Engine e(hp48 ? Model::HP48GX : Model::HP50G);
            QCOMPARE(e.enter("7"), Engine::Status::Done);
            const std::string str = calc(line.toUtf8().constData());
            const Value wrapper = Value::program(
                {Value::string(str), Value::command(enterLineEvalCommand())});
            const std::string nib = encodeObject(wrapper, EncodeOptions{hp48});
            QVERIFY(nib.ends_with(hp48 ? "62BC1EB3A1B2130" : "9DBB3CA593B2130"));
            const DecodedObject d = decodeObject(nib);
            QVERIFY(d.ok());
            QCOMPARE(e.evaluate(d.value), Engine::Status::Done);
            QStringList texts;
            for (size_t i = 1; i < e.depth(); ++i) {
                QString t = text(e, e.stack()[i]);
                if (t.endsWith('.'))
                    t.chop(1); // the 49 family shows 6 as "6."
                texts << t;
            }
            QCOMPARE(texts.join(' '), stack);
        }
    }

    void damagedDataIsRefusedWithAReason_data()
    {
        QTest::addColumn<QString>("nibbles");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << "" << "cut short";
        QTest::newRow("a string longer than the data") << "C2A20F0000" << "cut short";
        QTest::newRow("a real with a hex digit") << "33920A00000000000001 0" << "not decimal";
        QTest::newRow("a real with an odd sign") << "33920000000000000001 5" << "sign";
        QTest::newRow("a list without its end") << "47A20 33920 000 000000000001 0" << "cut short";
        QTest::newRow("an unknown ROM address") << "12345" << "ROM at 54321";
        QTest::newRow("another library's command") << "29E20 100 000" << "library 1";
        QTest::newRow("a command number we lack") << "29E20 1C6 FFF" << "command";
        QTest::newRow("a program with an unclosed IF") << "D9D20 29E20 1C6 000 B2130" << "nest";
        QTest::newRow("an algebraic whose function lacks arguments")
            << "8BA20 29E20 1C6 XXX B2130" << "";
        QTest::newRow("a name of no characters") << "84E20 00" << "no characters";
        QTest::newRow("a directory whose last offset points nowhere")
            << "69A20 FF7 FFFFF" << "cut short";
        QTest::newRow("a graphic whose size does not match its width and height")
            << "E1B20 F0000 10000 10000 00" << "size does not match";
        QTest::newRow("a graphic larger than the data") << "E1B20 F1000 0F000 0F000 00" << "cut short";
        QTest::newRow("an array of strings") << "8E920 F0000 C2A20 10000 10000" << "real or complex";
        QTest::newRow("an array whose size lies") << "8E920 41000 33920 10000 10000 000 000000000001 0"
                                                  << "size does not match";
        QTest::newRow("not hexadecimal") << "ZZZZZ" << "hexadecimal";
    }
    void damagedDataIsRefusedWithAReason()
    {
        QFETCH(QString, nibbles);
        QFETCH(QString, reason);
        std::string nib = spaced(nibbles.toLatin1().constData());
        const size_t x = nib.find("XXX");
        if (x != std::string::npos) {
            // the "+" command's number
            const int id = ops().add;
            const char digits[] = "0123456789ABCDEF";
            nib.replace(x, 3, std::string{digits[id & 15], digits[(id >> 4) & 15], digits[id >> 8]});
        }
        const DecodedObject d = decodeObject(nib);
        if (reason.isEmpty() && d.ok())
            return; // a later type may read it: only no crash is asked
        QVERIFY(!d.ok());
        QVERIFY2(QString::fromStdString(d.error).contains(reason), d.error.c_str());
    }

    void aFileThatIsNoObjectFileIsRefused()
    {
        QVERIFY(!readObjectFile("").ok());
        QVERIFY(!readObjectFile("HPHP48-W").ok());
        QVERIFY(QString::fromStdString(readObjectFile("%%HP: T(3)A(D)F(.);\r\n1").error)
                    .contains("not a calculator object file"));
    }

    // A picture written by the calculator reads with the editor's reader and
    // the reverse.
    void picturesAgreeWithTheEditorsPictureFiles()
    {
        Engine e;
        const Value g = objectOf(e, "GROB 10 3 FF2000005000");
        const QByteArray file = QByteArray::fromStdString(writeObjectFile(g, true));
        const TGrob t = GrobFromNibbleText(ObjectFileNibbles(file));
        QCOMPARE(t.Width, 10);
        QCOMPARE(t.Height, 3);
        QVERIFY(t.pixel(0, 0) && t.pixel(9, 0) && !t.pixel(0, 1) && t.pixel(0, 2) && !t.pixel(1, 2));
        const DecodedObject back = readObjectFile(MakeObjectFile(GrobNibbleText(t), false).toStdString());
        QVERIFY2(back.ok(), back.error.c_str());
        QVERIFY(same(back.value, g));
    }

    void everyCutOfAnObjectIsRefusedWithoutACrash()
    {
        Engine e;
        const Value v = objectOf(e, "« → a « { a \"s\" (1,2) :t:'a+1' } » IF 1 THEN 2 END »");
        const std::string nib = encodeObject(v);
        for (size_t n = 0; n < nib.size(); ++n)
            QVERIFY(!decodeObject(std::string_view(nib).substr(0, n)).ok());
    }
};

QTEST_GUILESS_MAIN(TestBinary)
#include "tst_binary.moc"
