// The widget-free parts of the command reference: stack-diagram lines and
// their split into stack items, the menu tree, the symbol grid's layout.

#include "documents/CommandTree.h"
#include "documents/StackDiagrams.h"
#include "documents/SymbolGrid.h"

#include <QtTest>

namespace {

// Test rows are written with "->" for the calculator's arrow byte.
QByteArray calc(const char *text)
{
    return QByteArray(text).replace("->", "\x8D");
}

QByteArrayList split(const QString &items)
{
    QByteArrayList out;
    for (const QString &item : items.split(u'|', Qt::SkipEmptyParts))
        out << item.toLatin1();
    return out;
}

} // namespace

class TestCommandReference : public QObject
{
    Q_OBJECT

private slots:
    void parsesStackDiagramLines_data();
    void parsesStackDiagramLines();
    void storeCollectsEveryFormOfACommand();
    void storeKeepsItsContentsWhenTheFileIsMissing();
    void storeReportsTheLinesItCannotUse();
    void splitsDiagramsIntoStackItems_data();
    void splitsDiagramsIntoStackItems();
    void namesEachDiagramTabByItsArguments_data();
    void namesEachDiagramTabByItsArguments();
    void fillsStackRowsFromTheBottom_data();
    void fillsStackRowsFromTheBottom();
    void buildsTheCommandTree_data();
    void buildsTheCommandTree();
    void reducesLabelledNodeTexts_data();
    void reducesLabelledNodeTexts();
    void laysOutTheSymbolGrid_data();
    void laysOutTheSymbolGrid();
    void placesCharactersInTheSymbolGrid_data();
    void placesCharactersInTheSymbolGrid();
};

void TestCommandReference::parsesStackDiagramLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("diagram");
    QTest::newRow("a named line gives its name and the trimmed inside of the parentheses")
        << calc("DUP ( x -> x x )") << QByteArray("DUP") << calc("x -> x x");
    QTest::newRow("inner parentheses are counted, not taken as the end")
        << calc("C\x8DR ( (x,y) -> x y ) trailing") << QByteArray("C\x8DR") << calc("(x,y) -> x y");
    QTest::newRow("a line that starts with a blank continues the previous command")
        << calc(" ( 'symb' -> 'symb2' )") << QByteArray() << calc("'symb' -> 'symb2'");
    QTest::newRow("a line without a parenthesis after the name has no diagram")
        << QByteArray("DUP duplicates the top") << QByteArray("DUP") << QByteArray();
    QTest::newRow("a name alone on its line has no diagram")
        << QByteArray("DUP") << QByteArray("DUP") << QByteArray();
    QTest::newRow("a parenthesis inside the name does not start the diagram")
        << calc("F(X) ( x -> y )") << QByteArray("F(X)") << calc("x -> y");
    QTest::newRow("a diagram that runs to the end of the line loses its last character")
        << calc("DROP ( x ->  x") << QByteArray("DROP") << calc("x ->");
}

void TestCommandReference::parsesStackDiagramLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, diagram);
    const StackDiagramLine parsed = parseStackDiagramLine(line);
    QCOMPARE(parsed.name, name);
    QCOMPARE(parsed.diagram, diagram);
}

void TestCommandReference::storeCollectsEveryFormOfACommand()
{
    StackDiagramStore store;
    store.parse(calc("%% diagrams\r\n"
                     "@ another comment\n"
                     "\n"
                     "ABS ( x -> y )\n"
                     " ( (x,y) -> r )\n"
                     " ( 'symb' -> 'ABS(symb)' )\n"
                     "DUP ( x -> x x )\n"
                     "ABS ( [v] -> r )\n"));
    QCOMPARE(store.diagramsFor("ABS"),
             QByteArrayList({calc("x -> y"), calc("(x,y) -> r"), calc("'symb' -> 'ABS(symb)'")}));
    QCOMPARE(store.diagramsFor("DUP"), QByteArrayList({calc("x -> x x")}));
    QCOMPARE(store.diagramsFor("abs"), QByteArrayList());
    QCOMPARE(store.names().last(), StackDiagramStore::sentinel());
    QCOMPARE(store.diagrams().last(), StackDiagramStore::sentinel());
    QCOMPARE(store.count(), 6);
    QCOMPARE(store.skippedLines(), QList<int>());
}

void TestCommandReference::storeKeepsItsContentsWhenTheFileIsMissing()
{
    StackDiagramStore store;
    store.parse(calc("DUP ( x -> x x )\n"));
    QVERIFY(!store.load(QStringLiteral("/nonexistent/UserRPL49.stk")));
    QCOMPARE(store.diagramsFor("DUP").size(), 1);
}

void TestCommandReference::storeReportsTheLinesItCannotUse()
{
    StackDiagramStore store;
    store.parse(calc(" ( x -> x ) a continuation before any command\n"
                     "DUP ( x -> x x )\n"
                     "SWAP swaps the two levels\n"
                     "DROP ( )\n"));
    QCOMPARE(store.skippedLines(), QList<int>({1, 3, 4}));
    QCOMPARE(store.count(), 2);
}

void TestCommandReference::splitsDiagramsIntoStackItems_data()
{
    QTest::addColumn<QByteArray>("diagram");
    QTest::addColumn<bool>("isText");
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("results");
    QTest::newRow("DUP takes x and leaves x twice")
        << calc("x -> x x") << false << "x" << "x|x";
    QTest::newRow("a braced list with blanks inside is one item")
        << calc("{ A B } n -> obj") << false << "{ A B }|n" << "obj";
    QTest::newRow("nested braces stay one item")
        << calc("{ 1 { 2 3 } } -> n") << false << "{ 1 { 2 3 } }" << "n";
    QTest::newRow("a diagram without the arrow is plain text")
        << QByteArray("IF test THEN clause END") << true << "" << "";
    QTest::newRow("a command with no arguments and no results leaves both sides empty")
        << calc("->") << false << "" << "";
    QTest::newRow("a word glued to the arrow is dropped")
        << calc("x y-> z") << false << "x" << "z";
    QTest::newRow("several blanks between items make no empty items")
        << calc("x    y  ->   z") << false << "x|y" << "z";
    QTest::newRow("a stray closing brace does not glue the following items")
        << calc("} x y -> z") << false << "}|x|y" << "z";
}

void TestCommandReference::splitsDiagramsIntoStackItems()
{
    QFETCH(QByteArray, diagram);
    QFETCH(bool, isText);
    QFETCH(QString, arguments);
    QFETCH(QString, results);
    const StackItems items = splitStackDiagram(diagram);
    QCOMPARE(items.isText, isText);
    QCOMPARE(items.arguments, split(arguments));
    QCOMPARE(items.results, split(results));
}

void TestCommandReference::namesEachDiagramTabByItsArguments_data()
{
    QTest::addColumn<QString>("diagrams"); // ";" between diagrams
    QTest::addColumn<QString>("titles");
    QTest::newRow("each form by what it takes") << "x -> y;{ list } -> n" << "x|{ list }";
    QTest::newRow("several arguments") << "{ A B } n -> obj" << "{ A B } n";
    QTest::newRow("no arguments") << "-> x" << "( )";
    QTest::newRow("plain text takes the command's name") << "IF test THEN clause END" << "CMD";
    QTest::newRow("the same arguments twice are numbered") << "x -> y;x -> y z;x -> w" << "x|x (2)|x (3)";
}

void TestCommandReference::namesEachDiagramTabByItsArguments()
{
    QFETCH(QString, diagrams);
    QFETCH(QString, titles);
    QByteArrayList list;
    for (const QString &d : diagrams.split(';'))
        list << calc(d.toLatin1().constData());
    QCOMPARE(stackDiagramTitles(list, "CMD"), split(titles));
}

void TestCommandReference::fillsStackRowsFromTheBottom_data()
{
    QTest::addColumn<QString>("items");
    QTest::addColumn<QString>("rows"); // five rows, top first, "_" for empty
    QTest::newRow("one item lands in level 1") << "x" << "_|_|_|_|x";
    QTest::newRow("two items fill levels 2 and 1 in order") << "y|x" << "_|_|_|y|x";
    QTest::newRow("five items fill the grid") << "a|b|c|d|e" << "a|b|c|d|e";
    QTest::newRow("with more than five items only the last five are shown")
        << "a|b|c|d|e|f|g" << "c|d|e|f|g";
    QTest::newRow("no items leave the grid empty") << "" << "_|_|_|_|_";
}

void TestCommandReference::fillsStackRowsFromTheBottom()
{
    QFETCH(QString, items);
    QFETCH(QString, rows);
    QByteArrayList expected = split(rows);
    for (QByteArray &row : expected) {
        if (row == "_")
            row.clear();
    }
    QCOMPARE(bottomAlignedRows(split(items)), expected);
}

void TestCommandReference::buildsTheCommandTree_data()
{
    // Each node is written as its text, its parent's text ("-" at the top)
    // and F for a folder or C for a command.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("nodes");
    QTest::addColumn<QList<int>>("skipped");
    QTest::newRow("children make their parent a folder")
        << QByteArray("MTH\n\tREAL\n\t\tABS\n\t\tMIN\n\tBASE\n\t\tHEX\n")
        << "MTH - F|REAL MTH F|ABS REAL C|MIN REAL C|BASE MTH F|HEX BASE C" << QList<int>();
    QTest::newRow("a line two levels deeper than the previous one is dropped")
        << QByteArray("MTH\n\tREAL\n\t\t\tABS\n\t\tMIN\n")
        << "MTH - F|REAL MTH F|MIN REAL C" << QList<int>({3});
    QTest::newRow("a shallower line attaches to the matching ancestor level")
        << QByteArray("PRG\n\tSTACK\n\t\tDUP\nMTH\n\tREAL\n")
        << "PRG - F|STACK PRG F|DUP STACK C|MTH - F|REAL MTH C" << QList<int>();
    QTest::newRow("blanks and tabs count one level each")
        << QByteArray("PRG\n STACK\n \tDUP\n") << "PRG - F|STACK PRG F|DUP STACK C"
        << QList<int>();
    QTest::newRow("the first node is a top-level folder whatever its depth")
        << QByteArray("\t\tPRG\n\tSTACK\n") << "PRG - F|STACK PRG C" << QList<int>();
    QTest::newRow("a top-level node without children stays a command")
        << QByteArray("PRG\n\tDUP\nOFF\n") << "PRG - F|DUP PRG C|OFF - C" << QList<int>();
    QTest::newRow("empty lines and @ comments are ignored, indented or not")
        << QByteArray("@ menus\r\nPRG\r\n\r\n\t@ stack words\r\n\tDUP\r\n")
        << "PRG - F|DUP PRG C" << QList<int>();
}

void TestCommandReference::buildsTheCommandTree()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, nodes);
    QFETCH(QList<int>, skipped);
    const CommandTree tree = parseCommandTree(file);
    QStringList described;
    for (const CommandTreeNode &node : tree.nodes) {
        const QString parent =
            node.parent < 0 ? u"-"_qs : QString::fromLatin1(tree.nodes.at(node.parent).text);
        described << QStringLiteral("%1 %2 %3")
                         .arg(QString::fromLatin1(node.text), parent,
                              node.image == CommandTreeNode::Folder ? u"F"_qs : u"C"_qs);
    }
    QCOMPARE(described.join(u'|'), nodes);
    QCOMPARE(tree.skippedLines, skipped);
}

void TestCommandReference::reducesLabelledNodeTexts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("a labelled text shows what lies inside its brackets")
        << QByteArray("Stack depth=[DEPTH]") << QByteArray("DEPTH");
    QTest::newRow("only the first bracket opens the shown text")
        << QByteArray("x=[[1 2]]") << QByteArray("[1 2]");
    QTest::newRow("a text without =[ is kept whole") << QByteArray("[[1 2]]") << QByteArray("[[1 2]]");
    QTest::newRow("a text ending at =[ shows nothing") << QByteArray("label=[") << QByteArray();
}

void TestCommandReference::reducesLabelledNodeTexts()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, shown);
    QCOMPARE(commandTreeNodeText(text), shown);
}

void TestCommandReference::laysOutTheSymbolGrid_data()
{
    QTest::addColumn<int>("clientWidth");
    QTest::addColumn<int>("columnWidth");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("widthChange");
    QTest::newRow("the default panel holds 8 columns of 16 rows") << 168 << 20 << 8 << 16 << 0;
    QTest::newRow("a grid widened to 14 columns of 21 pixels has 10 rows")
        << 294 << 20 << 14 << 10 << 0;
    QTest::newRow("a width just short of a column rounds up and the panel grows")
        << 290 << 20 << 14 << 10 << 4;
    QTest::newRow("a width just past a column rounds down and the panel shrinks")
        << 178 << 20 << 8 << 16 << -10;
    QTest::newRow("an exact half column rounds up to an even count")
        << 209 << 21 << 10 << 13 << 11;
    QTest::newRow("an exact half column rounds down to an even count")
        << 187 << 21 << 8 << 16 << -11;
    QTest::newRow("a panel squeezed to nothing still shows one column")
        << 3 << 20 << 1 << 128 << 18;
}

void TestCommandReference::laysOutTheSymbolGrid()
{
    QFETCH(int, clientWidth);
    QFETCH(int, columnWidth);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(int, widthChange);
    const SymbolGrid::Layout layout = SymbolGrid::layoutFor(clientWidth, columnWidth);
    QCOMPARE(layout.columns, columns);
    QCOMPARE(layout.rows, rows);
    QCOMPARE(layout.widthChange, widthChange);
}

void TestCommandReference::placesCharactersInTheSymbolGrid_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("code");
    QTest::newRow("the first cell holds the angle sign, code 128") << 0 << 0 << 8 << 128;
    QTest::newRow("cells run along the row first") << 7 << 0 << 8 << 135;
    QTest::newRow("the last cell of the default grid holds code 255") << 7 << 15 << 8 << 255;
    QTest::newRow("with 14 columns the last row shows code 254 first") << 0 << 9 << 14 << 254;
    QTest::newRow("with 14 columns the last row shows code 255 second") << 1 << 9 << 14 << 255;
    QTest::newRow("with 14 columns the rest of the last row is empty") << 2 << 9 << 14 << -1;
    QTest::newRow("a cell past the last column is empty") << 8 << 0 << 8 << -1;
}

void TestCommandReference::placesCharactersInTheSymbolGrid()
{
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(int, columns);
    QFETCH(int, code);
    QCOMPARE(SymbolGrid::codeAt(column, row, columns), code);
}

QTEST_GUILESS_MAIN(TestCommandReference)
#include "tst_commandreference.moc"
