#include "highlight/SynHighlighterQuorvane.h"
#include "shell/SettingsStore.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// Everything of the highlighter except scanning: its word lists, attributes,
// start-up colours, copying and the stored colours.
class TestHighlighter : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString storePath(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

private slots:
    void wordLists_data()
    {
        QTest::addColumn<QByteArrayList>("added");
        QTest::addColumn<QByteArrayList>("kept");
        QTest::addColumn<QByteArrayList>("members");
        QTest::addColumn<QByteArrayList>("strangers");

        QTest::newRow("entries are kept sorted without regard to case")
            << QByteArrayList{"SWAP", "dup", "Drop"} << QByteArrayList{"Drop", "dup", "SWAP"}
            << QByteArrayList{"SWAP", "dup", "Drop"} << QByteArrayList{"DUP", "drop", "swap"};
        QTest::newRow("an entry equal to one present but for case is ignored, the first stays")
            << QByteArrayList{"DUP", "dup", "Dup"} << QByteArrayList{"DUP"} << QByteArrayList{"DUP"}
            << QByteArrayList{"dup", "Dup"};
        QTest::newRow("accented Latin-1 letters fold to their capitals")
            << QByteArrayList{"\xC9T\xC9", "\xE9t\xE9"} << QByteArrayList{"\xC9T\xC9"}
            << QByteArrayList{"\xC9T\xC9"} << QByteArrayList{"\xE9t\xE9"};
        QTest::newRow("calculator glyphs have no case")
            << QByteArrayList{"\x8C", "\x9C"} << QByteArrayList{"\x8C", "\x9C"}
            << QByteArrayList{"\x8C", "\x9C"} << QByteArrayList{};
        QTest::newRow("blanks inside an entry must match too")
            << QByteArrayList{"A B", "AB "} << QByteArrayList{"A B", "AB "}
            << QByteArrayList{"A B", "AB "} << QByteArrayList{"AB", "A"};
    }

    void wordLists()
    {
        QFETCH(QByteArrayList, added);
        QFETCH(QByteArrayList, kept);
        QFETCH(QByteArrayList, members);
        QFETCH(QByteArrayList, strangers);
        KeywordList list;
        list.addLines(added);
        QCOMPARE(list.lines(), kept);
        for (const QByteArray &word : members)
            QVERIFY2(list.contains(word), word.constData());
        for (const QByteArray &word : strangers)
            QVERIFY2(!list.contains(word), word.constData());
    }

    void wordsAddedDirectlyToAListAreSeenByTheScanner()
    {
        TSynQuorvaneSyn syn;
        QCOMPARE(syn.wordKind("DUP"), int(TSynQuorvaneSyn::Identifier));
        syn.keyWords().add("DUP");
        QCOMPARE(syn.wordKind("DUP"), int(TSynQuorvaneSyn::Key));
        QVERIFY(syn.isKeyword("DUP"));
        QVERIFY(!syn.isKeyword("dup"));
        syn.specialSymbols().add("DUP");
        QCOMPARE(syn.wordKind("DUP"), int(TSynQuorvaneSyn::Symbol));
    }

    void replacingAListAsksForANewScan()
    {
        TSynQuorvaneSyn syn;
        syn.keyWords().add("OLD");
        QSignalSpy spy(&syn, &TSynQuorvaneSyn::highlightingChanged);
        syn.setKeyWords({"NEW", "new"});
        QCOMPARE(spy.count(), 1);
        QCOMPARE(syn.keyWords().lines(), QByteArrayList{"NEW"});
        QVERIFY(!syn.isKeyword("OLD"));
    }

    void attributesAndRoles()
    {
        TSynQuorvaneSyn syn;
        QCOMPARE(syn.attributeCount(), 11);
        QVERIFY(syn.attribute(11) == nullptr);
        QVERIFY(syn.attribute(-1) == nullptr);
        const QStringList names = {"Null",
                                   "Comment",
                                   "Identifier",
                                   "Number",
                                   "Reserved Word",
                                   "Space",
                                   "String",
                                   "Symbol",
                                   "Branching",
                                   "Algebraic",
                                   "Variable"};
        for (int kind = 0; kind < 11; ++kind)
            QCOMPARE(syn.attribute(kind)->name(), names[kind]);
        QCOMPARE(syn.defaultAttribute(TSynQuorvaneSyn::CommentRole), syn.commentAttri());
        QCOMPARE(syn.defaultAttribute(TSynQuorvaneSyn::IdentifierRole), syn.identifierAttri());
        QCOMPARE(syn.defaultAttribute(TSynQuorvaneSyn::KeywordRole), syn.keyAttri());
        QCOMPARE(syn.defaultAttribute(TSynQuorvaneSyn::StringRole), syn.stringAttri());
        QCOMPARE(syn.defaultAttribute(TSynQuorvaneSyn::WhitespaceRole), syn.spaceAttri());
        QCOMPARE(syn.defaultAttribute(TSynQuorvaneSyn::SymbolRole), syn.symbolAttri());
        QVERIFY(syn.defaultAttribute(TSynQuorvaneSyn::OtherRole) == nullptr);
        QCOMPARE(TSynQuorvaneSyn::languageName(), QStringLiteral("Quorvane"));

        syn.setLine(QByteArray("EQ"));
        syn.variableWords().add("EQ");
        syn.setLine(QByteArray("EQ"));
        QCOMPARE(syn.tokenAttribute(), syn.variableAttri());
    }

    void startupColors_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<uint>("foreground");
        QTest::addColumn<int>("style");
        QTest::newRow("comments are grey italic") << 1 << rgbColor(128, 128, 128) << 2;
        QTest::newRow("identifiers are black") << 2 << rgbColor(0, 0, 0) << 0;
        QTest::newRow("numbers are orange") << 3 << rgbColor(255, 128, 0) << 0;
        QTest::newRow("commands are bold navy") << 4 << rgbColor(0, 0, 128) << 1;
        QTest::newRow("spaces are white") << 5 << rgbColor(255, 255, 255) << 0;
        QTest::newRow("strings are blue") << 6 << rgbColor(0, 0, 255) << 0;
        QTest::newRow("symbols are green") << 7 << rgbColor(0, 128, 0) << 0;
        QTest::newRow("control words are bold purple") << 8 << rgbColor(128, 0, 128) << 1;
        QTest::newRow("algebraics are blue") << 9 << rgbColor(0, 0, 255) << 0;
        QTest::newRow("variables are red") << 10 << rgbColor(255, 0, 0) << 0;
    }

    void startupColors()
    {
        QFETCH(int, kind);
        QFETCH(uint, foreground);
        QFETCH(int, style);
        TSynQuorvaneSyn syn;
        QCOMPARE(syn.attribute(kind)->foreground(), ColorNone);
        QCOMPARE(syn.attribute(kind)->style(), 0);
        syn.setStartupColors();
        QCOMPARE(syn.attribute(kind)->foreground(), foreground);
        QCOMPARE(syn.attribute(kind)->background(), rgbColor(255, 255, 255));
        QCOMPARE(syn.attribute(kind)->style(), style);
        QCOMPARE(syn.attribute(0)->foreground(), ColorNone);
        QCOMPARE(syn.attribute(0)->background(), ColorNone);
    }

    void colorValuesKeepRedInTheLowByte()
    {
        QCOMPARE(rgbColor(255, 128, 0), 0x000080FFu);
        QVERIFY(isRealColor(0x00FFFFFF));
        QVERIFY(!isRealColor(ColorNone));
        QVERIFY(!isRealColor(ColorDefault));
    }

    void changingAnAttributeAsksForARepaintOfItsKind()
    {
        TSynQuorvaneSyn syn;
        QSignalSpy spy(&syn, &TSynQuorvaneSyn::attributeChanged);
        syn.keyAttri()->setForeground(rgbColor(1, 2, 3));
        syn.keyAttri()->setForeground(rgbColor(1, 2, 3));
        syn.commentAttri()->setStyle(StyleBold | 0x30);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toInt(), int(TSynQuorvaneSyn::Key));
        QCOMPARE(spy.at(1).at(0).toInt(), int(TSynQuorvaneSyn::Comment));
        QCOMPARE(syn.commentAttri()->style(), int(StyleBold));
    }

    void assignCopiesColoursAndListsButNotNames()
    {
        TSynQuorvaneSyn from;
        from.setStartupColors();
        from.keyAttri()->setBackground(rgbColor(9, 9, 9));
        from.keyAttri()->setStyle(StyleUnderline | StyleStrikeOut);
        from.setKeyWords({"DUP"});
        from.setBranchWords({"IF"});
        from.setSpecialSymbols({"{"});
        from.setVariableWords({"EQ"});

        TSynQuorvaneSyn to;
        to.setVariableWords({"PPAR"});
        QSignalSpy spy(&to, &TSynQuorvaneSyn::highlightingChanged);
        to.assign(from);
        QVERIFY(spy.count() >= 1);
        for (int kind = 0; kind < 11; ++kind) {
            QCOMPARE(to.attribute(kind)->foreground(), from.attribute(kind)->foreground());
            QCOMPARE(to.attribute(kind)->background(), from.attribute(kind)->background());
            QCOMPARE(to.attribute(kind)->style(), from.attribute(kind)->style());
            QCOMPARE(to.attribute(kind)->name(), from.attribute(kind)->name());
        }
        QCOMPARE(to.keyWords().lines(), QByteArrayList{"DUP"});
        QCOMPARE(to.branchWords().lines(), QByteArrayList{"IF"});
        QCOMPARE(to.specialSymbols().lines(), QByteArrayList{"{"});
        QCOMPARE(to.variableWords().lines(), QByteArrayList{"EQ"});
        QCOMPARE(to.wordKind("PPAR"), int(TSynQuorvaneSyn::Identifier));

        // The copy is independent of its source.
        to.keyAttri()->setForeground(rgbColor(7, 7, 7));
        QVERIFY(from.keyAttri()->foreground() != rgbColor(7, 7, 7));
    }

    void storedColoursRoundTrip()
    {
        const QString path = storePath("roundtrip.ini");
        TSynQuorvaneSyn saved;
        saved.setStartupColors();
        saved.stringAttri()->setForeground(rgbColor(10, 20, 30));
        saved.stringAttri()->setBackground(ColorNone);
        saved.stringAttri()->setStyle(StyleBold | StyleItalic | StyleUnderline | StyleStrikeOut);
        {
            SettingsStore store(path);
            saved.saveToStore(store);
            QVERIFY(store.sync());
        }
        QSettings store(path, QSettings::IniFormat);
        // All eleven attributes are written, kind 0 included.
        store.beginGroup(QStringLiteral("Highlighter"));
        QCOMPARE(store.childGroups().size(), 11);
        QCOMPARE(store.value("Reserved Word/Style").toInt(), 1);
        QCOMPARE(store.value("Reserved Word/Foreground").toUInt(), rgbColor(0, 0, 128));
        QVERIFY(store.contains("Null/Background"));
        store.endGroup();

        TSynQuorvaneSyn loaded;
        loaded.loadFromStore(SettingsStore(path));
        for (int kind = 0; kind < 11; ++kind) {
            QCOMPARE(loaded.attribute(kind)->foreground(), saved.attribute(kind)->foreground());
            QCOMPARE(loaded.attribute(kind)->background(), saved.attribute(kind)->background());
            QCOMPARE(loaded.attribute(kind)->style(), saved.attribute(kind)->style());
        }
    }

    void loading_data()
    {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<uint>("foreground");
        QTest::addColumn<uint>("background");
        QTest::addColumn<int>("style");
        const uint navy = rgbColor(0, 0, 128);
        const uint white = rgbColor(255, 255, 255);
        QTest::newRow("a store without the key keeps the start-up colours")
            << "[Editor]\nTabSize=2\n"
            << navy << white << 1;
        QTest::newRow("an attribute without a subkey keeps its colours")
            << "[Highlighter]\nNumber\\Style=0\n"
            << navy << white << 1;
        QTest::newRow("each value present is applied on its own")
            << "[Highlighter]\nReserved%20Word\\Foreground=255\n"
            << 255u << white << 1;
        QTest::newRow("a value that is not a number is ignored")
            << "[Highlighter]\nReserved%20Word\\Style=bold\nReserved%20Word\\Background=0\n"
            << navy << 0u << 1;
        QTest::newRow("style bits beyond strike-out are dropped")
            << "[Highlighter]\nReserved%20Word\\Style=26\n"
            << navy << white << 10;
    }

    void loading()
    {
        QFETCH(QString, ini);
        QFETCH(uint, foreground);
        QFETCH(uint, background);
        QFETCH(int, style);
        const QString path = storePath(QTest::currentDataTag());
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(ini.toUtf8());
        }
        TSynQuorvaneSyn syn;
        syn.setStartupColors();
        syn.loadFromStore(SettingsStore(path));
        QCOMPARE(syn.keyAttri()->foreground(), foreground);
        QCOMPARE(syn.keyAttri()->background(), background);
        QCOMPARE(syn.keyAttri()->style(), style);
        QCOMPARE(syn.commentAttri()->style(), int(StyleItalic));
    }
};

QTEST_APPLESS_MAIN(TestHighlighter)
#include "tst_highlighter.moc"
