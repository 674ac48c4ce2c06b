#include "highlight/SynHighlighterQuorvane.h"

#include <QtTest>

// Scanner behaviour: token kinds, token texts and the range carried from one
// line to the next. Each row scans its lines in order, the way an editor does,
// and describes every token as "kind:text"; "|r" closes a line with the range
// it leaves for the next one.
class TestScanner : public QObject
{
    Q_OBJECT

    static QByteArray describe(TSynQuorvaneSyn &syn, const QByteArrayList &lines)
    {
        QByteArrayList out;
        syn.resetRange();
        int number = 0;
        for (const QByteArray &line : lines) {
            syn.setLine(line, number++);
            int guard = 0;
            while (!syn.atEol()) {
                out << QByteArray::number(syn.tokenKind()) + ':' + syn.token();
                syn.next();
                if (++guard > 1000)
                    return "no end of line";
            }
            out << '|' + QByteArray::number(syn.range());
        }
        return out.join(' ');
    }

    static void fillLists(TSynQuorvaneSyn &syn)
    {
        syn.setKeyWords({"DUP", "SWAP", "EVAL", "NEG", "\x8DSTR", "BOTH", "KB", "KS"});
        syn.setBranchWords({"IF", "THEN", "ELSE", "END", "BOTH", "KB", "VB"});
        syn.setSpecialSymbols({"\xAB", "\xBB", "BOTH", "KS"});
        syn.setVariableWords({"EQ", "PPAR", "BOTH", "VB"});
    }

private slots:
    void tokens_data()
    {
        QTest::addColumn<QByteArrayList>("lines");
        QTest::addColumn<QByteArray>("expected");

        // Strings
        QTest::newRow("a closed string is one string token")
            << QByteArrayList{"\"abc\" DUP"} << QByteArray("6:\"abc\" 5:  4:DUP |2");
        QTest::newRow("an unclosed string runs to the end of the line and on into the next")
            << QByteArrayList{"\"ab cd", "ef\" DUP"}
            << QByteArray("6:\"ab cd |1 6:ef\" 5:  4:DUP |2");
        QTest::newRow("an empty line inside a string yields only the end of line")
            << QByteArrayList{"\"ab", "", "cd\""} << QByteArray("6:\"ab |1 |1 6:cd\" |2");
        QTest::newRow("a quote alone at the end of a line is a string token")
            << QByteArrayList{"DUP \"", "x\""} << QByteArray("4:DUP 5:  6:\" |1 6:x\" |2");
        QTest::newRow("a continued string ends at its first quote")
            << QByteArrayList{"\"a", "b\"c\"d"} << QByteArray("6:\"a |1 6:b\" 2:c\"d |2");
        QTest::newRow("a backslash does not protect a quote")
            << QByteArrayList{"\"a\\\" b"} << QByteArray("6:\"a\\\" 5:  2:b |2");
        QTest::newRow("a line feed inside a string is white space and the string goes on")
            << QByteArrayList{"\"ab\ncd\""} << QByteArray("6:\"ab 5:\n 6:cd\" |2");
        QTest::newRow("CR LF inside a string is one white-space token")
            << QByteArrayList{"\"ab\r\ncd"} << QByteArray("6:\"ab 5:\r\n 6:cd |1");

        // Comments
        QTest::newRow("a comment with no closing @ runs to the end of the line")
            << QByteArrayList{"@ note DUP", "DUP"} << QByteArray("1:@ note DUP |2 4:DUP |2");
        QTest::newRow("a closed comment ends at its second @")
            << QByteArrayList{"@a@ b"} << QByteArray("1:@a@ 5:  2:b |2");
        QTest::newRow("a quote inside a comment does not open a string")
            << QByteArrayList{"@ say \"hi", "DUP"} << QByteArray("1:@ say \"hi |2 4:DUP |2");

        // Numbers
        QTest::newRow("a real with an exponent is one number")
            << QByteArrayList{"1.5E-3"} << QByteArray("3:1.5E-3 |2");
        QTest::newRow("two dots split a number in two")
            << QByteArrayList{"1..5"} << QByteArray("3:1 3:..5 |2");
        QTest::newRow("a letter after digits starts a word")
            << QByteArrayList{"3X"} << QByteArray("3:3 2:X |2");
        QTest::newRow("a number may start with a dot")
            << QByteArrayList{".5 -2"} << QByteArray("3:.5 5:  7:-2 |2");
        QTest::newRow("a hexadecimal binary integer is one number")
            << QByteArrayList{"#1F2Ah"} << QByteArray("3:#1F2Ah |2");
        QTest::newRow("small letters other than b d h o end a binary integer")
            << QByteArrayList{"#1fh"} << QByteArray("3:#1 2:fh |2");
        QTest::newRow("a complex number is one number")
            << QByteArrayList{"(1.5,2)"} << QByteArray("3:(1.5,2) |2");
        QTest::newRow("a minus sign stops a complex number")
            << QByteArrayList{"(1,-2)"} << QByteArray("3:(1, 7:-2) |2");
        QTest::newRow("a word that starts with the angle sign is a number")
            << QByteArrayList{"(1,\x80"
                              "30)"}
            << QByteArray("3:(1, 3:\x80"
                          "30) |2");

        // Algebraics
        QTest::newRow("a closed algebraic is one token")
            << QByteArrayList{"'A+B' EVAL"} << QByteArray("9:'A+B' 5:  4:EVAL |2");
        QTest::newRow("an unclosed algebraic runs to the end of its line only")
            << QByteArrayList{"'A+B DUP", "DUP"} << QByteArray("9:'A+B DUP |2 4:DUP |2");
        QTest::newRow("three quotes start an algebraic that skips the two extra ones")
            << QByteArrayList{"'''X' Y"} << QByteArray("9:'''X' 5:  2:Y |2");
        QTest::newRow("two quotes are an empty algebraic")
            << QByteArrayList{"'' X"} << QByteArray("9:'' 5:  2:X |2");
        QTest::newRow("a backquote algebraic is closed by a backquote, not a quote")
            << QByteArrayList{"`A'B` C"} << QByteArray("9:`A'B` 5:  2:C |2");
        QTest::newRow("a spaced algebraic stays one token")
            << QByteArrayList{"'(A + B) / 2'"} << QByteArray("9:'(A + B) / 2' |2");

        // Words and the lists
        QTest::newRow("a word in two lists takes the earlier rule: symbols before keywords")
            << QByteArrayList{"KS"} << QByteArray("7:KS |2");
        QTest::newRow("a word in every list is a symbol")
            << QByteArrayList{"BOTH"} << QByteArray("7:BOTH |2");
        QTest::newRow("variables come before branch words")
            << QByteArrayList{"VB"} << QByteArray("10:VB |2");
        QTest::newRow("branch words come before keywords")
            << QByteArrayList{"KB"} << QByteArray("8:KB |2");
        QTest::newRow("list membership is case sensitive")
            << QByteArrayList{"dup if eq"} << QByteArray("2:dup 5:  2:if 5:  2:eq |2");
        QTest::newRow("a word starting with a dollar is a variable")
            << QByteArrayList{"$abc"} << QByteArray("10:$abc |2");
        QTest::newRow("a word in no list starting with a letter is an identifier")
            << QByteArrayList{"abc _x"} << QByteArray("2:abc 5:  2:_x |2");
        QTest::newRow("a word starting with the left arrow is an identifier")
            << QByteArrayList{"\x8Ex"} << QByteArray("2:\x8Ex |2");
        QTest::newRow("a keyword written in calculator bytes is found")
            << QByteArrayList{"\x8DSTR"} << QByteArray("4:\x8DSTR |2");
        QTest::newRow("plus and brace in no list are symbols")
            << QByteArrayList{"+ {"} << QByteArray("7:+ 5:  7:{ |2");
        QTest::newRow("program delimiters from the symbol list are symbols")
            << QByteArrayList{"\xAB DUP \xBB"} << QByteArray("7:\xAB 5:  4:DUP 5:  7:\xBB |2");
        QTest::newRow("a quote or @ inside a word belongs to the word")
            << QByteArrayList{"a\"b c@d"} << QByteArray("2:a\"b 5:  2:c@d |2");
        QTest::newRow("bytes above 127 never end a word") << QByteArrayList{"A\x8D\xAB\xFF"
                                                                            "B C"}
                                                          << QByteArray("2:A\x8D\xAB\xFF"
                                                                        "B 5:  2:C |2");
        QTest::newRow("byte 127 starts a word") << QByteArrayList{"\x7F"
                                                                  "a"}
                                                << QByteArray("7:\x7F"
                                                              "a |2");

        // White space and line ends
        QTest::newRow("tabs and other control bytes are white space")
            << QByteArrayList{"A\t\x01\x1F B"} << QByteArray("2:A 5:\t\x01\x1F  2:B |2");
        QTest::newRow("a line feed is a white-space token of its own")
            << QByteArrayList{" \n\nA"} << QByteArray("5:  5:\n 5:\n 2:A |2");
        QTest::newRow("CR takes a directly following LF with it")
            << QByteArrayList{"A\r\nB\r\rC"} << QByteArray("2:A 5:\r\n 2:B 5:\r 5:\r 2:C |2");
        QTest::newRow("a zero byte ends the line")
            << QByteArrayList{QByteArray("A\0B", 3)} << QByteArray("2:A |2");
        QTest::newRow("an empty line yields only the end of line")
            << QByteArrayList{""} << QByteArray("|2");

        // A real program
        QTest::newRow("a program with a local structure, IF THEN ELSE and a comment")
            << QByteArrayList{"\xAB \x8D A B \xAB 'A+B' EVAL DUP @ sum @",
                              "  IF 5 > THEN NEG ELSE \"no",
                              "way\" END \xBB \xBB"}
            << QByteArray(
                   "7:\xAB 5:  7:\x8D 5:  2:A 5:  2:B 5:  7:\xAB 5:  9:'A+B' 5:  4:EVAL 5:  4:DUP "
                   "5:  1:@ sum @ |2 "
                   "5:   8:IF 5:  3:5 5:  7:> 5:  8:THEN 5:  4:NEG 5:  8:ELSE 5:  6:\"no |1 "
                   "6:way\" 5:  8:END 5:  7:\xBB 5:  7:\xBB |2");
    }

    void tokens()
    {
        QFETCH(QByteArrayList, lines);
        QFETCH(QByteArray, expected);
        TSynQuorvaneSyn syn;
        fillLists(syn);
        QCOMPARE(describe(syn, lines), expected);
    }

    void rangeZeroBehavesLikeNormal()
    {
        TSynQuorvaneSyn syn;
        syn.setRange(TSynQuorvaneSyn::RangeUnknown);
        syn.setLine(QByteArray("abc\""));
        QCOMPARE(syn.tokenKind(), int(TSynQuorvaneSyn::Identifier));
        QCOMPARE(syn.token(), QByteArray("abc\""));
        QCOMPARE(syn.range(), int(TSynQuorvaneSyn::RangeNormal));
    }

    void tokenPositionsCoverTheLineWithoutGaps()
    {
        TSynQuorvaneSyn syn;
        const QByteArray line("\xAB 'X^2' #FFh (1,2) \"s\" @c@ $v\t\x8D Y \xBB");
        syn.setLine(line);
        int expectedStart = 0;
        while (!syn.atEol()) {
            QCOMPARE(syn.tokenPos(), expectedStart);
            QVERIFY(syn.tokenLength() > 0);
            expectedStart += syn.tokenLength();
            syn.next();
        }
        QCOMPARE(expectedStart, int(line.size()));
        QCOMPARE(syn.tokenPos(), int(line.size()));
    }

    void lineNumberIsKept()
    {
        TSynQuorvaneSyn syn;
        syn.setLine(QByteArray("A"), 41);
        QCOMPARE(syn.lineNumber(), 41);
    }
};

QTEST_APPLESS_MAIN(TestScanner)
#include "tst_scanner.moc"
