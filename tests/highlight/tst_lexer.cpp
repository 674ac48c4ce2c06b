#include "highlight/CalcTextMap.h"
#include "highlight/QuorvaneLexer.h"
#include "highlight/SynHighlighterQuorvane.h"

#include "formats/CalcCharset.h"

#include <Qsci/qsciscintilla.h>
#include <QRandomGenerator>
#include <QtTest>

using Sci = QsciScintillaBase;

// The adapter between the scanner and the editor widget: position mapping
// between calculator bytes and the widget's UTF-8, styles per character, and
// the incremental colouring after edits.
class TestLexer : public QObject
{
    Q_OBJECT

    static void fillLists(TSynQuorvaneSyn &syn)
    {
        syn.setKeyWords({"DUP", "EVAL", "NEG"});
        syn.setBranchWords({"IF", "THEN", "ELSE", "END"});
        syn.setSpecialSymbols({"\xAB", "\xBB", "\x8D"});
        syn.setVariableWords({"EQ"});
    }

    // What the widget does when it needs styles up to the end of the text.
    static void styleToEnd(QsciScintilla &ed)
    {
        const long end = ed.SendScintilla(Sci::SCI_GETENDSTYLED);
        ed.SendScintilla(Sci::SCI_COLOURISE, static_cast<unsigned long>(end), -1l);
    }

    static QByteArray styles(QsciScintilla &ed)
    {
        const int length = int(ed.SendScintilla(Sci::SCI_GETLENGTH));
        QByteArray out(length, '\0');
        for (int i = 0; i < length; ++i)
            out[i] = static_cast<char>('0' + ed.SendScintilla(Sci::SCI_GETSTYLEAT, i));
        return out;
    }

    static QList<int> lineStates(QsciScintilla &ed)
    {
        QList<int> out;
        const int lines = int(ed.SendScintilla(Sci::SCI_GETLINECOUNT));
        for (int i = 0; i < lines; ++i)
            out << int(ed.SendScintilla(Sci::SCI_GETLINESTATE, i));
        return out;
    }

    static void setCalcText(QsciScintilla &ed, const QByteArray &bytes)
    {
        ed.setText(CalcCharset::decode(bytes));
    }

private slots:
    void mapping_data()
    {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<QByteArray>("calc");
        QTest::addColumn<QList<int>>("offsets");

        QTest::newRow("ASCII maps byte for byte")
            << QByteArray("DUP 1") << QByteArray("DUP 1") << QList<int>{0, 1, 2, 3, 4, 5};
        QTest::newRow("guillemets are two UTF-8 bytes each")
            << QByteArray("\xC2\xAB x \xC2\xBB") << QByteArray("\xAB x \xBB")
            << QList<int>{0, 2, 3, 4, 5, 7};
        QTest::newRow("the right arrow is three UTF-8 bytes")
            << QByteArray("\xE2\x86\x92X") << QByteArray("\x8DX") << QList<int>{0, 3, 4};
        QTest::newRow("the shade block is calculator byte 127")
            << QByteArray("\xE2\x96\x92") << QByteArray("\x7F") << QList<int>{0, 3};
        QTest::newRow("a character with no calculator byte becomes one stand-in")
            << QByteArray("a\xE2\x82\xAC" "b") << QByteArray("a?b") << QList<int>{0, 1, 4, 5};
        QTest::newRow("a DEL character has no calculator byte")
            << QByteArray("\x7F") << QByteArray("?") << QList<int>{0, 1};
        QTest::newRow("malformed UTF-8 becomes one stand-in per byte")
            << QByteArray("\xC2 \xFF") << QByteArray("? ?") << QList<int>{0, 1, 2, 3};
        QTest::newRow("a sequence cut short at the end is malformed")
            << QByteArray("x\xE2\x86") << QByteArray("x??") << QList<int>{0, 1, 2, 3};
    }

    void mapping()
    {
        QFETCH(QByteArray, utf8);
        QFETCH(QByteArray, calc);
        QFETCH(QList<int>, offsets);
        CalcTextMap map;
        map.setUtf8(utf8);
        QCOMPARE(map.calcBytes(), calc);
        QList<int> got;
        for (int i = 0; i <= map.calcLength(); ++i)
            got << map.utf8Offset(i);
        QCOMPARE(got, offsets);
        QCOMPARE(map.utf8Length(), int(utf8.size()));
        for (int i = 0; i < map.calcLength(); ++i) {
            for (int off = offsets[i]; off < offsets[i + 1]; ++off)
                QCOMPARE(map.calcIndex(off), i);
        }
        QCOMPARE(map.calcIndex(int(utf8.size())), map.calcLength());
    }

    void everyCalculatorByteMapsBack()
    {
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            all.append(static_cast<char>(b));
        CalcTextMap map;
        map.setUtf8(CalcCharset::decode(all).toUtf8());
        QCOMPARE(map.calcBytes(), all);
    }

    void stylesFollowTheScannerAcrossMultiByteCharacters()
    {
        TSynQuorvaneSyn syn;
        fillLists(syn);
        QsciScintilla ed;
        ed.setUtf8(true);
        auto *lexer = new QuorvaneLexer(&syn, &ed);
        ed.setLexer(lexer);
        setCalcText(ed, "\xAB \x8D x 'x\x8D" "2' \"a\xBB\r\nb\" @c@ #1Fh \x80" "3 EQ IF\n\xBB");
        styleToEnd(ed);
        // One character per UTF-8 byte, '0' + kind: « is two bytes, → three,
        // and ':' is kind 10.
        QCOMPARE(styles(ed), QByteArray("7757775259999999566665566511153333533335::588577"));
        QCOMPARE(lineStates(ed), (QList<int>{1, 2, 2}));
    }

    void incrementalColouringMatchesAFreshScan()
    {
        // Random edits, each followed by the styling the widget asks for,
        // must leave the same styles and ranges as colouring the final text
        // from scratch.
        TSynQuorvaneSyn syn;
        fillLists(syn);
        QsciScintilla ed;
        ed.setUtf8(true);
        ed.setLexer(new QuorvaneLexer(&syn, &ed));
        QByteArray start;
        for (int i = 0; i < 60; ++i)
            start += "\xAB 'A+B' \"s\" @c@ IF X THEN DUP END \xBB\n";
        setCalcText(ed, start);
        styleToEnd(ed);

        const QStringList pieces = {"\"", "'", "@", "\n", "\r\n", "x", " ", "\xC2\xAB",
                                    "\"\n\"", "IF", "\xE2\x86\x92"};
        QRandomGenerator rng(6);
        for (int step = 0; step < 300; ++step) {
            const int length = int(ed.SendScintilla(Sci::SCI_GETLENGTH));
            if (rng.bounded(3) == 0 && length > 0) {
                int from = rng.bounded(length);
                int count = 1 + rng.bounded(std::min(40, length - from));
                // Keep UTF-8 sequences whole.
                from = int(ed.SendScintilla(Sci::SCI_POSITIONBEFORE, from + 1));
                const int to = int(ed.SendScintilla(Sci::SCI_POSITIONAFTER, from + count - 1));
                ed.SendScintilla(Sci::SCI_DELETERANGE, from, static_cast<long>(to - from));
            } else {
                const int at = int(ed.SendScintilla(Sci::SCI_POSITIONBEFORE,
                                                    rng.bounded(length + 1) + 1));
                const QByteArray piece = pieces[rng.bounded(pieces.size())].toUtf8();
                ed.SendScintilla(Sci::SCI_INSERTTEXT, static_cast<unsigned long>(at),
                                 piece.constData());
            }
            if (rng.bounded(4) == 0)
                continue; // several edits before the widget asks for styles
            styleToEnd(ed);

            QsciScintilla fresh;
            fresh.setUtf8(true);
            fresh.setLexer(new QuorvaneLexer(&syn, &fresh));
            fresh.setText(ed.text());
            styleToEnd(fresh);
            QCOMPARE(styles(ed), styles(fresh));
            QCOMPARE(lineStates(ed), lineStates(fresh));
        }
    }

    void aKeystrokeInTheMiddleScansOneLine_data()
    {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<int>("maxLines");
        QTest::newRow("a letter rescans only its line") << QByteArray("x") << 1;
        QTest::newRow("a new line rescans the two halves and checks the next")
            << QByteArray("\n") << 3;
        QTest::newRow("an opening quote rescans every line below it") << QByteArray("\"") << 1001;
    }

    void aKeystrokeInTheMiddleScansOneLine()
    {
        QFETCH(QByteArray, typed);
        QFETCH(int, maxLines);
        TSynQuorvaneSyn syn;
        fillLists(syn);
        QsciScintilla ed;
        ed.setUtf8(true);
        auto *lexer = new QuorvaneLexer(&syn, &ed);
        ed.setLexer(lexer);
        QByteArray text;
        for (int i = 0; i < 2000; ++i)
            text += "  IF X 5 > THEN 'X^2' EVAL END\n";
        setCalcText(ed, text);
        styleToEnd(ed);

        lexer->resetLinesScanned();
        const int middle = int(ed.SendScintilla(Sci::SCI_POSITIONFROMLINE, 1000)) + 5;
        ed.SendScintilla(Sci::SCI_INSERTTEXT, static_cast<unsigned long>(middle), typed.constData());
        styleToEnd(ed);
        QVERIFY2(lexer->linesScanned() <= maxLines,
                 qPrintable(QString::number(lexer->linesScanned())));
        QCOMPARE(ed.SendScintilla(Sci::SCI_GETENDSTYLED), ed.SendScintilla(Sci::SCI_GETLENGTH));
        if (typed == "\"") {
            QVERIFY(lexer->linesScanned() >= 1000); // the string runs to the end
            QCOMPARE(ed.SendScintilla(Sci::SCI_GETLINESTATE, 1500), 1l);
        }
    }

    void attributeChangesReachTheWidget()
    {
        TSynQuorvaneSyn syn;
        syn.setStartupColors();
        QsciScintilla ed;
        ed.setUtf8(true);
        auto *lexer = new QuorvaneLexer(&syn, &ed);
        ed.setLexer(lexer);
        // Scintilla keeps colours as 0x00BBGGRR too.
        QCOMPARE(ed.SendScintilla(Sci::SCI_STYLEGETFORE, TSynQuorvaneSyn::Key),
                 long(rgbColor(0, 0, 128)));
        const long normal = ed.SendScintilla(Sci::SCI_STYLEGETWEIGHT, TSynQuorvaneSyn::String);
        QVERIFY(ed.SendScintilla(Sci::SCI_STYLEGETWEIGHT, TSynQuorvaneSyn::Key) != normal);

        syn.keyAttri()->setForeground(rgbColor(200, 10, 20));
        syn.keyAttri()->setStyle(StyleItalic | StyleUnderline);
        syn.commentAttri()->setBackground(rgbColor(1, 2, 3));
        QCOMPARE(ed.SendScintilla(Sci::SCI_STYLEGETFORE, TSynQuorvaneSyn::Key),
                 long(rgbColor(200, 10, 20)));
        QCOMPARE(ed.SendScintilla(Sci::SCI_STYLEGETWEIGHT, TSynQuorvaneSyn::Key), normal);
        QCOMPARE(ed.SendScintilla(Sci::SCI_STYLEGETITALIC, TSynQuorvaneSyn::Key), 1l);
        QCOMPARE(ed.SendScintilla(Sci::SCI_STYLEGETUNDERLINE, TSynQuorvaneSyn::Key), 1l);
        QCOMPARE(ed.SendScintilla(Sci::SCI_STYLEGETBACK, TSynQuorvaneSyn::Comment),
                 long(rgbColor(1, 2, 3)));

        // No colour and automatic fall back to the widget's black on white.
        syn.keyAttri()->setForeground(ColorDefault);
        syn.keyAttri()->setBackground(ColorNone);
        QCOMPARE(ed.SendScintilla(Sci::SCI_STYLEGETFORE, TSynQuorvaneSyn::Key), 0l);
        QCOMPARE(ed.SendScintilla(Sci::SCI_STYLEGETBACK, TSynQuorvaneSyn::Key), 0xFFFFFFl);

        QFont font(QStringLiteral("DejaVu Sans Mono"), 17);
        lexer->setBaseFont(font);
        QCOMPARE(ed.SendScintilla(Sci::SCI_STYLEGETSIZE, TSynQuorvaneSyn::String), 17l);
    }

    void replacingAWordListRecolours()
    {
        TSynQuorvaneSyn syn;
        QsciScintilla ed;
        ed.setUtf8(true);
        ed.setLexer(new QuorvaneLexer(&syn, &ed));
        ed.setText(QStringLiteral("FOO BAR\nFOO"));
        styleToEnd(ed);
        QCOMPARE(styles(ed), QByteArray("22252225222"));
        syn.setKeyWords({"FOO"});
        styleToEnd(ed);
        QCOMPARE(styles(ed), QByteArray("44452225444"));
    }

    void highlightingTurnsOffAndOnInAnEditor()
    {
        TSynQuorvaneSyn syn;
        syn.setStartupColors();
        syn.setKeyWords({"DUP"});
        QsciScintilla ed;
        ed.setUtf8(true);
        ed.setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 15));
        ed.setText(QStringLiteral("DUP \"s\" 1"));

        SetEditorHighlighter(&ed, &syn);
        auto *lexer = qobject_cast<QuorvaneLexer *>(ed.lexer());
        QVERIFY(lexer);
        QCOMPARE(lexer->highlighter(), &syn);
        styleToEnd(ed);
        QCOMPARE(styles(ed), QByteArray("444566653"));
        QCOMPARE(ed.SendScintilla(Sci::SCI_STYLEGETSIZE, TSynQuorvaneSyn::Key), 15l);
        // Asking again keeps the lexer and its styles.
        SetEditorHighlighter(&ed, &syn);
        QCOMPARE(ed.lexer(), lexer);

        // Off: plain text in the editor's font, no style left behind.
        SetEditorHighlighter(&ed, nullptr);
        QVERIFY(ed.lexer() == nullptr);
        QCOMPARE(styles(ed), QByteArray("000000000"));
        QCOMPARE(ed.SendScintilla(Sci::SCI_STYLEGETSIZE, 0), 15l);
        QCOMPARE(ed.SendScintilla(Sci::SCI_STYLEGETFORE, 0), 0l);

        // On again: coloured with the colours of now.
        syn.keyAttri()->setForeground(rgbColor(0, 160, 0));
        SetEditorHighlighter(&ed, &syn);
        styleToEnd(ed);
        QCOMPARE(styles(ed), QByteArray("444566653"));
        QCOMPARE(ed.SendScintilla(Sci::SCI_STYLEGETFORE, TSynQuorvaneSyn::Key),
                 long(rgbColor(0, 160, 0)));
    }

    void aLexerOutlivesItsHighlighterSafely()
    {
        auto *syn = new TSynQuorvaneSyn;
        QsciScintilla ed;
        ed.setUtf8(true);
        ed.setLexer(new QuorvaneLexer(syn, &ed));
        delete syn;
        ed.setText(QStringLiteral("DUP"));
        styleToEnd(ed);
        QVERIFY(true);
    }
};

QTEST_MAIN(TestLexer)
#include "tst_lexer.moc"
