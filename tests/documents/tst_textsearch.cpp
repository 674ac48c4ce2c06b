#include "documents/SearchState.h"
#include "documents/TextSearch.h"

#include <QtTest>

using TextSearch::Answer;
using TextSearch::Range;

Q_DECLARE_METATYPE(TextSearch::Range)

namespace {

// A document in memory, written with its selection between "<" and ">" (or
// its caret as "^").
class FakeDocument : public TextSearch::Target
{
public:
    explicit FakeDocument(QByteArray marked)
    {
        if (const qsizetype caret = marked.indexOf('^'); caret >= 0) {
            marked.remove(caret, 1);
            m_selection = {caret, 0};
        } else if (const qsizetype open = marked.indexOf('<'); open >= 0) {
            marked.remove(open, 1);
            const qsizetype close = marked.indexOf('>');
            marked.remove(close, 1);
            m_selection = {open, close - open};
        }
        m_text = marked;
    }

    QByteArray text() const override { return m_text; }
    Range selection() const override { return m_selection; }
    void select(Range range, bool caretAtStart) override
    {
        m_selection = range;
        m_caretAtStart = caretAtStart;
    }
    void replace(Range range, const QByteArray &with) override
    {
        m_text.replace(range.start, range.length, with);
        m_selection = {range.start + with.size(), 0};
    }

    // The text with the selection marked as in the constructor.
    QByteArray marked() const
    {
        QByteArray out = m_text;
        if (m_selection.length == 0)
            return out.insert(m_selection.start, '^');
        out.insert(m_selection.end(), '>');
        return out.insert(m_selection.start, '<');
    }

private:
    QByteArray m_text;
    Range m_selection;
    bool m_caretAtStart = false;
};

TextSearch::Options options(const QByteArray &flags)
{
    TextSearch::Options o;
    o.backwards = flags.contains("up");
    o.caseSensitive = flags.contains("case");
    o.wholeWords = flags.contains("words");
    o.entireScope = !flags.contains("caret");
    o.selectedOnly = flags.contains("selection");
    return o;
}

} // namespace

class TestTextSearch : public QObject
{
    Q_OBJECT

private slots:
    void finding_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QByteArray>("what");
        QTest::addColumn<QByteArray>("flags");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("found");

        QTest::newRow("the whole text is searched from its start, whatever the caret")
            << QByteArray("DUP x DUP^") << QByteArray("DUP") << QByteArray()
            << QByteArray("<DUP> x DUP") << 1;
        QTest::newRow("without case sensitivity lower case finds upper case")
            << QByteArray("^1 DUP") << QByteArray("dup") << QByteArray() << QByteArray("1 <DUP>")
            << 1;
        QTest::newRow("with case sensitivity other case is not found")
            << QByteArray("1 ^DUP") << QByteArray("dup") << QByteArray("case")
            << QByteArray("1 ^DUP") << 0;
        QTest::newRow("accented capitals match small accented letters")
            << QByteArray("^ca\xC9") << QByteArray("\xE9") << QByteArray() << QByteArray("ca<\xC9>")
            << 1;
        QTest::newRow("a whole word skips the name that only starts with it")
            << QByteArray("^XY X") << QByteArray("X") << QByteArray("words") << QByteArray("XY <X>")
            << 1;
        QTest::newRow("program delimiters bound a whole word")
            << QByteArray("^\xABX\xBB") << QByteArray("X") << QByteArray("words")
            << QByteArray("\xAB<X>\xBB") << 1;
        QTest::newRow("a Greek letter is part of a word")
            << QByteArray("^\x87X X") << QByteArray("X") << QByteArray("words")
            << QByteArray("\x87X <X>") << 1;
        QTest::newRow("searching up over the whole text finds the last match")
            << QByteArray("^a b a c") << QByteArray("a") << QByteArray("up")
            << QByteArray("a b <a> c") << 1;
        QTest::newRow("going on from the caret skips the match selected last time")
            << QByteArray("<x> x x") << QByteArray("x") << QByteArray("caret")
            << QByteArray("x <x> x") << 1;
        QTest::newRow("going on upwards from the caret finds the match before the selection")
            << QByteArray("x x <x>") << QByteArray("x") << QByteArray("caret up")
            << QByteArray("x <x> x") << 1;
        QTest::newRow("the selection alone is searched when asked")
            << QByteArray("ab <cd ab> ef") << QByteArray("ab") << QByteArray("selection")
            << QByteArray("ab cd <ab> ef") << 1;
        QTest::newRow("a match reaching out of the selection is not found")
            << QByteArray("<a>b") << QByteArray("ab") << QByteArray("selection")
            << QByteArray("a^b") << 0;
        QTest::newRow("no match downwards moves the selection start to its end")
            << QByteArray("a<bc>d") << QByteArray("zz") << QByteArray() << QByteArray("abc^d") << 0;
        QTest::newRow("no match upwards moves the selection end to its start")
            << QByteArray("a<bc>d") << QByteArray("zz") << QByteArray("up") << QByteArray("a^bcd")
            << 0;
    }

    void finding()
    {
        QFETCH(QByteArray, document);
        QFETCH(QByteArray, what);
        QFETCH(QByteArray, flags);
        QFETCH(QByteArray, expected);
        QFETCH(int, found);
        FakeDocument doc(document);
        TextSearch::Request request;
        request.what = what;
        request.options = options(flags);
        const TextSearch::Outcome outcome = TextSearch::run(doc, request, {});
        QCOMPARE(outcome.found, found);
        QCOMPARE(doc.marked(), expected);
    }

    void replacing_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QByteArray>("what");
        QTest::addColumn<QByteArray>("with");
        QTest::addColumn<QByteArray>("flags");
        QTest::addColumn<QByteArray>("answers"); // y, n, a (yes to all), c (cancel)
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("asked");

        QTest::newRow("yes to all at the first question replaces every match at once")
            << QByteArray("^a a a") << QByteArray("a") << QByteArray("b") << QByteArray()
            << QByteArray("a") << QByteArray("b b b") << 1;
        QTest::newRow("a replacement equal to the search text changes nothing and asks nothing")
            << QByteArray("^a a") << QByteArray("a") << QByteArray("a") << QByteArray()
            << QByteArray() << QByteArray("a a") << 0;
        QTest::newRow("a replacement differing only in case is asked for")
            << QByteArray("^a a") << QByteArray("a") << QByteArray("A") << QByteArray()
            << QByteArray("yy") << QByteArray("A A") << 2;
        QTest::newRow("yes, no and yes replace the first and third match")
            << QByteArray("^a a a") << QByteArray("a") << QByteArray("b") << QByteArray()
            << QByteArray("yny") << QByteArray("b a b") << 3;
        QTest::newRow("cancel stops with the earlier replacements kept")
            << QByteArray("^a a a") << QByteArray("a") << QByteArray("b") << QByteArray()
            << QByteArray("yc") << QByteArray("b a a") << 2;
        QTest::newRow("a replacement that holds the search text is not searched again")
            << QByteArray("^a a") << QByteArray("a") << QByteArray("aa") << QByteArray()
            << QByteArray("a") << QByteArray("aa aa") << 1;
        QTest::newRow("replacing upwards with a longer text keeps every position right")
            << QByteArray("ab ab^") << QByteArray("ab") << QByteArray("xyz") << QByteArray("up")
            << QByteArray("yy") << QByteArray("xyz xyz") << 2;
        QTest::newRow("replacing inside the selection follows its changing length")
            << QByteArray("a <a a> a") << QByteArray("a") << QByteArray("bb")
            << QByteArray("selection") << QByteArray("a") << QByteArray("a bb bb a") << 1;
        QTest::newRow("replacing without case sensitivity replaces either case")
            << QByteArray("^DUP dup") << QByteArray("dup") << QByteArray("DROP") << QByteArray()
            << QByteArray("a") << QByteArray("DROP DROP") << 1;
        QTest::newRow("replacing from the caret leaves what lies before it")
            << QByteArray("a ^a") << QByteArray("a") << QByteArray("b") << QByteArray("caret")
            << QByteArray("a") << QByteArray("a b") << 1;
    }

    void replacing()
    {
        QFETCH(QByteArray, document);
        QFETCH(QByteArray, what);
        QFETCH(QByteArray, with);
        QFETCH(QByteArray, flags);
        QFETCH(QByteArray, answers);
        QFETCH(QByteArray, expected);
        QFETCH(int, asked);
        FakeDocument doc(document);
        TextSearch::Request request;
        request.what = what;
        request.with = with;
        request.replace = true;
        request.options = options(flags);
        int questions = 0;
        const auto confirm = [&](Range match) {
            // The match is shown to the user before the question.
            if (doc.selection() != match)
                return Answer::Cancel;
            const char answer = questions < answers.size() ? answers[questions] : 'c';
            ++questions;
            switch (answer) {
            case 'y':
                return Answer::Replace;
            case 'n':
                return Answer::Skip;
            case 'a':
                return Answer::ReplaceAll;
            default:
                return Answer::Cancel;
            }
        };
        TextSearch::run(doc, request, confirm);
        QCOMPARE(doc.text(), expected);
        QCOMPARE(questions, asked);
    }

    void findNextGoesOnFromTheCaretAfterTheFirstSearch()
    {
        SearchState state;
        state.searchText = "x";
        FakeDocument doc("x x x^");
        TextSearch::Request request;
        request.what = "x";

        // The window's search, with "from the cursor" unchecked, starts at the top.
        state.continueFromCaret = state.fromCursor;
        request.options = state.options(false);
        TextSearch::run(doc, request, {});
        QCOMPARE(doc.marked(), QByteArray("<x> x x"));
        state.continueFromCaret = true;

        request.options = state.options(false);
        TextSearch::run(doc, request, {});
        QCOMPARE(doc.marked(), QByteArray("x <x> x"));
        request.options = state.options(true);
        TextSearch::run(doc, request, {});
        QCOMPARE(doc.marked(), QByteArray("<x> x x"));
    }

    void histories_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("a new text goes to the top")
            << QStringList{"b", "c"} << "a" << QStringList{"a", "b", "c"};
        QTest::newRow("a known text moves to the top without a second copy")
            << QStringList{"b", "a", "c"} << "a" << QStringList{"a", "b", "c"};
        QTest::newRow("an empty text leaves the list alone")
            << QStringList{"b"} << "" << QStringList{"b"};
        QTest::newRow("the comparison is exact, so other case is a new entry")
            << QStringList{"dup"} << "DUP" << QStringList{"DUP", "dup"};
    }

    void histories()
    {
        QFETCH(QStringList, list);
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        moveToTop(list, text);
        QCOMPARE(list, expected);
    }

    void confirmationPlacement_data()
    {
        QTest::addColumn<QRect>("client");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QPoint>("match");
        QTest::addColumn<QPoint>("expected");
        const QRect client(100, 50, 800, 600); // two thirds down is y = 450
        const QSize window(300, 120);
        QTest::newRow("a match high up gets the window 4 pixels below its line")
            << client << window << QPoint(200, 100) << QPoint(200, 100 + 16 + 4);
        QTest::newRow("a match in the lower third gets the window 4 pixels above it")
            << client << window << QPoint(200, 500) << QPoint(200, 500 - 4 - 120);
        QTest::newRow("a line ending exactly two thirds down still gets the window below")
            << client << window << QPoint(200, 434) << QPoint(200, 434 + 16 + 4);
        QTest::newRow("a match near the right edge aligns the window with that edge")
            << client << window << QPoint(750, 100) << QPoint(600, 120);
        QTest::newRow("a window as wide as the client area is centred on it")
            << client << QSize(800, 120) << QPoint(300, 100) << QPoint(100, 120);
        QTest::newRow("a window wider than the client area is centred on it")
            << client << QSize(1000, 120) << QPoint(300, 100) << QPoint(0, 120);
    }

    void confirmationPlacement()
    {
        QFETCH(QRect, client);
        QFETCH(QSize, window);
        QFETCH(QPoint, match);
        QFETCH(QPoint, expected);
        QCOMPARE(confirmWindowPosition(client, window, match, 16), expected);
    }
};

QTEST_APPLESS_MAIN(TestTextSearch)
#include "tst_textsearch.moc"
