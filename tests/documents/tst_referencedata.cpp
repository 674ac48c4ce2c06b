// The reference data shipped in Templates/: it must be exactly what the
// readable sources under scripts/refdata produce, and it must hang together.

#include "documents/ReferenceSource.h"
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
};

void TestReferenceData::shippedFileMatchesItsSource_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::newRow("the 49/50 command list is what commands.txt produces")
        << QStringLiteral("CmdsAndFunctsHP49x-50x.ehc");
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

QTEST_GUILESS_MAIN(TestReferenceData)
#include "tst_referencedata.moc"
