// The reference data shipped in Templates/: it must be exactly what the
// readable sources under scripts/refdata produce, and it must hang together.

#include "documents/CommandTree.h"
#include "highlight/KeywordLists.h"
#include "documents/ReferenceSource.h"
#include "documents/StackDiagrams.h"
#include "formats/CalcCharset.h"

#include <QFile>
#include <QSet>
#include <QtTest>

namespace {

const QString kTemplates = QStringLiteral(QV_SOURCE_DATA_DIR "/Templates/");
const QString kSources = QStringLiteral(QV_SOURCE_DATA_DIR "/../scripts/refdata");

QByteArray readShipped(const QString &name)
{
    QFile file(kTemplates + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QList<QByteArray> lines(const QByteArray &bytes)
{
    QList<QByteArray> out = bytes.split('\n');
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

} // namespace

class TestReferenceData : public QObject
{
    Q_OBJECT

private slots:
    void shippedFileMatchesItsSource_data();
    void shippedFileMatchesItsSource();
    void commandListHoldsOneNamePerLine();
    void commandListKnowsTheCoreCommands_data();
    void commandListKnowsTheCoreCommands();
    void sourceParsingReportsMistakes_data();
    void sourceParsingReportsMistakes();
    void sourcesHaveNoProblems();
    void diagramFilesParseWithoutSkippedLines_data();
    void diagramFilesParseWithoutSkippedLines();
    void everyTreeCommandHasADiagramAndIsAKeyword();
    void everyCommandIsReachableInTheTree();
    void every48CommandHasA48Diagram();
    void theKeywordListsDoNotShadowCommands();
};

void TestReferenceData::shippedFileMatchesItsSource_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::newRow("the 49/50 command list is what commands.txt produces")
        << QStringLiteral("CmdsAndFunctsHP49x-50x.ehc");
    QTest::newRow("the HP 48 diagrams are what commands.txt produces")
        << QStringLiteral("UserRPL48.stk");
    QTest::newRow("the HP 49/50 diagrams are what commands.txt produces")
        << QStringLiteral("UserRPL49.stk");
    QTest::newRow("the menu tree is what menus49.txt produces")
        << QStringLiteral("MenusHP49x-50x.mtv");
    QTest::newRow("the control words are what reserved.txt produces")
        << QStringLiteral("SystemReserved.ehc");
    QTest::newRow("the delimiters are what symbols.txt produces")
        << QStringLiteral("SystemSymbols.ehc");
    QTest::newRow("the reserved variables are what variables.txt produces")
        << QStringLiteral("SystemVariables.ehc");
}

void TestReferenceData::shippedFileMatchesItsSource()
{
    QFETCH(QString, fileName);
    QStringList errors;
    const auto outputs = ReferenceSource::generateAll(kSources, &errors);
    auto it = std::find_if(outputs.begin(), outputs.end(),
                           [&](const auto &o) { return o.fileName == fileName; });
    QVERIFY(it != outputs.end());
    QVERIFY2(it->bytes == readShipped(fileName),
             "regenerate with: build/bin/qv_refgen scripts/refdata data/Templates");
}

void TestReferenceData::commandListHoldsOneNamePerLine()
{
    const QByteArray bytes = readShipped(QStringLiteral("CmdsAndFunctsHP49x-50x.ehc"));
    QVERIFY(!bytes.isEmpty());
    QVERIFY2(!bytes.contains('\r'), "keyword lines are taken whole, so no CR may remain");
    QSet<QByteArray> seen;
    int names = 0;
    for (const QByteArray &line : lines(bytes)) {
        if (line.startsWith('@'))
            continue;
        QVERIFY2(!line.isEmpty(), "an empty line would be an empty keyword");
        for (char c : line)
            QVERIFY2(static_cast<unsigned char>(c) > 32, line.constData());
        QVERIFY2(!seen.contains(line), line.constData());
        seen.insert(line);
        ++names;
    }
    QVERIFY2(names > 700, "the list must hold the whole command set");
}

void TestReferenceData::commandListKnowsTheCoreCommands_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("a stack command") << QByteArray("DUP");
    QTest::newRow("a conversion spelled with the calculator's arrow byte") << QByteArray("\x8DSTR");
    QTest::newRow("a command with the arrow at its end") << QByteArray("ARRY\x8D");
    QTest::newRow("a statistics command spelled with the sigma byte") << QByteArray("\x85LIST");
    QTest::newRow("a CAS command of the 49 family") << QByteArray("FACTOR");
    QTest::newRow("a lower-case CAS command") << QByteArray("rref");
    QTest::newRow("a symbol function") << QByteArray("\x89");
    QTest::newRow("a control word") << QByteArray("IFERR");
}

void TestReferenceData::commandListKnowsTheCoreCommands()
{
    QFETCH(QByteArray, name);
    const auto all = lines(readShipped(QStringLiteral("CmdsAndFunctsHP49x-50x.ehc")));
    QVERIFY2(all.contains(name), CalcCharset::decode(name).toUtf8().constData());
}

void TestReferenceData::sourceParsingReportsMistakes_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("expectedError");
    QTest::newRow("a command without a model")
        << QStringLiteral("DUP\n  ( x → x x )\n") << QStringLiteral("line 1: no model given");
    QTest::newRow("a command listed twice")
        << QStringLiteral("DUP 49\n  ( x → x x )\nDUP 49\n  ( x → x x )\n")
        << QStringLiteral("line 3: DUP is listed twice");
    QTest::newRow("an arrow glued to an item")
        << QStringLiteral("DUP 49\n  ( x →x x )\n")
        << QStringLiteral("line 2: the arrow needs a blank on each side");
    QTest::newRow("a string item cut by a blank")
        << QStringLiteral("X 49\n  ( \"a b\" → )\n")
        << QStringLiteral("line 2: item \"a is cut at a blank");
    QTest::newRow("a form for a model that lacks the command")
        << QStringLiteral("NIP 49\n  48: ( x y → y )\n")
        << QStringLiteral("line 2: a form for a model that lacks the command");
}

void TestReferenceData::sourceParsingReportsMistakes()
{
    QFETCH(QString, source);
    QFETCH(QString, expectedError);
    const auto parsed = ReferenceSource::parseCommands(source);
    QVERIFY2(parsed.errors.contains(expectedError), qPrintable(parsed.errors.join(u'|')));
}

void TestReferenceData::sourcesHaveNoProblems()
{
    QStringList errors;
    ReferenceSource::generateAll(kSources, &errors);
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
}

void TestReferenceData::diagramFilesParseWithoutSkippedLines_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("minimumEntries");
    QTest::newRow("the HP 48 file") << QStringLiteral("UserRPL48.stk") << 500;
    QTest::newRow("the HP 49/50 file") << QStringLiteral("UserRPL49.stk") << 800;
}

void TestReferenceData::diagramFilesParseWithoutSkippedLines()
{
    QFETCH(QString, fileName);
    QFETCH(int, minimumEntries);
    StackDiagramStore store;
    QVERIFY(store.load(kTemplates + fileName));
    QCOMPARE(store.skippedLines(), QList<int>());
    QVERIFY(store.count() > minimumEntries);
    QCOMPARE(store.names().last(), StackDiagramStore::sentinel());
}

void TestReferenceData::everyTreeCommandHasADiagramAndIsAKeyword()
{
    const CommandTree tree = parseCommandTree(readShipped(QStringLiteral("MenusHP49x-50x.mtv")));
    QCOMPARE(tree.skippedLines, QList<int>());
    StackDiagramStore store;
    QVERIFY(store.load(kTemplates + QStringLiteral("UserRPL49.stk")));
    const KeywordLists lists =
        readKeywordLists(kTemplates + QStringLiteral("CmdsAndFunctsHP49x-50x.ehc"),
                         QStringLiteral(QV_SOURCE_DATA_DIR "/"));
    QVERIFY(lists.commands);
    int commands = 0;
    for (const CommandTreeNode &node : tree.nodes) {
        if (node.image != CommandTreeNode::Command)
            continue;
        ++commands;
        const QByteArray shown = CalcCharset::decode(node.text).toUtf8();
        QVERIFY2(!store.diagramsFor(node.text).isEmpty(), shown.constData());
        QVERIFY2(lists.commands->contains(node.text), shown.constData());
    }
    QVERIFY(commands > 700);
}

void TestReferenceData::everyCommandIsReachableInTheTree()
{
    const CommandTree tree = parseCommandTree(readShipped(QStringLiteral("MenusHP49x-50x.mtv")));
    QSet<QByteArray> inTree;
    for (const CommandTreeNode &node : tree.nodes) {
        if (node.image == CommandTreeNode::Command)
            inTree.insert(node.text);
    }
    for (const QByteArray &line : lines(readShipped(QStringLiteral("CmdsAndFunctsHP49x-50x.ehc")))) {
        if (!line.startsWith('@'))
            QVERIFY2(inTree.contains(line), CalcCharset::decode(line).toUtf8().constData());
    }
}

void TestReferenceData::every48CommandHasA48Diagram()
{
    const auto parsed = ReferenceSource::parseCommands(
        QString::fromUtf8(readShipped(QStringLiteral("../../scripts/refdata/commands.txt"))));
    QVERIFY(parsed.errors.isEmpty());
    StackDiagramStore store;
    QVERIFY(store.load(kTemplates + QStringLiteral("UserRPL48.stk")));
    int count = 0;
    for (const auto &command : parsed.commands) {
        if (!command.on48)
            continue;
        ++count;
        const QByteArray name = CalcCharset::encode(command.name);
        QVERIFY2(!store.diagramsFor(name).isEmpty(), qPrintable(command.name));
    }
    QVERIFY(count > 450);
}

void TestReferenceData::theKeywordListsDoNotShadowCommands()
{
    // A word in the symbol or variable list takes that colour before the
    // command colour, so none of them may be a command.
    const KeywordLists lists =
        readKeywordLists(kTemplates + QStringLiteral("CmdsAndFunctsHP49x-50x.ehc"),
                         QStringLiteral(QV_SOURCE_DATA_DIR "/"));
    QVERIFY(lists.commands && lists.reserved && lists.symbols && lists.variables);
    for (const QByteArray &word : *lists.symbols + *lists.variables)
        QVERIFY2(!lists.commands->contains(word), CalcCharset::decode(word).toUtf8().constData());
    QVERIFY(lists.reserved->contains("IFERR"));
    QVERIFY(lists.variables->contains("\x85" "DAT"));
}

QTEST_GUILESS_MAIN(TestReferenceData)
#include "tst_referencedata.moc"
