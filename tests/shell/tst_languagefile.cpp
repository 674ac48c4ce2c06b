#include "shell/Globals.h"
#include "shell/Language.h"

#include <QTemporaryDir>
#include <QtTest>

// How a language file is read: the rules of the classic INI reader that the
// files were written for, and the message and label texts taken from them.
class TestLanguageFile : public QObject
{
    Q_OBJECT

private slots:
    void readsValuesAsTheIniReaderDoes_data();
    void readsValuesAsTheIniReaderDoes();
    void cutsLongValues();
    void readsLatin1FilesWithTheirAccents();
    void missingFileReadsAsMissingKeys();
    void listsSectionsAndKeysInFileOrder();
    void splitsHints_data();
    void splitsHints();
    void messagesAndLabelsComeFromTheirSections();
    void messagesWithoutTheirSectionShowTheMissingText();
    void longMessagesAndLabelsAreCut();
    void builtInTextsStandInBeforeAnyFile();
    void aDamagedFileGivesWhatItHoldsAndBuiltInTextsForTheRest_data();
    void aDamagedFileGivesWhatItHoldsAndBuiltInTextsForTheRest();
};

void TestLanguageFile::readsValuesAsTheIniReaderDoes_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString missing = MissingLanguageText();
    QTest::newRow("a key is found whatever its letter case")
        << QByteArray("[Menus]\nMenuFileOpen=Open\n") << "Menus" << "menufileopen" << "Open";
    QTest::newRow("a section is found whatever its letter case")
        << QByteArray("[MENUS]\nMenuFileOpen=Open\n") << "menus" << "MenuFileOpen" << "Open";
    QTest::newRow("accented section names are found whatever their case")
        << QByteArray("[Diálogo]\nClave=x\n") << "DIÁLOGO" << "clave" << "x";
    QTest::newRow("blanks around the key and the value are dropped")
        << QByteArray("[S]\n   Key   =   some text  \t\n") << "S" << "Key" << "some text";
    QTest::newRow("a value in double quotes loses them and keeps its inner blanks")
        << QByteArray("[S]\nKey=\"  padded \"\n") << "S" << "Key" << "  padded ";
    QTest::newRow("a value in single quotes loses them")
        << QByteArray("[S]\nKey='quoted'\n") << "S" << "Key" << "quoted";
    QTest::newRow("quotes that do not match stay")
        << QByteArray("[S]\nKey=\"half'\n") << "S" << "Key" << "\"half'";
    QTest::newRow("only one pair of quotes goes")
        << QByteArray("[S]\nKey=\"\"twice\"\"\n") << "S" << "Key" << "\"twice\"";
    QTest::newRow("quotes inside a value stay")
        << QByteArray("[S]\nMessage2=Save \"%s\" now?\n") << "S" << "Message2" << "Save \"%s\" now?";
    QTest::newRow("a value keeps every equals sign after the first")
        << QByteArray("[S]\nKey=a=b=c\n") << "S" << "Key" << "a=b=c";
    QTest::newRow("a key with an empty value reads as empty")
        << QByteArray("[S]\nKey=\n") << "S" << "Key" << "";
    QTest::newRow("a missing key reads as the missing text")
        << QByteArray("[S]\nKey=x\n") << "S" << "Other" << missing;
    QTest::newRow("an empty key reads as the missing text")
        << QByteArray("[S]\n=x\nKey=x\n") << "S" << "" << missing;
    QTest::newRow("a key of another section is not found")
        << QByteArray("[S]\nKey=x\n[T]\nOther=y\n") << "T" << "Key" << missing;
    QTest::newRow("the first of two equal keys counts")
        << QByteArray("[S]\nKey=first\nKEY=second\n") << "S" << "Key" << "first";
    QTest::newRow("a section written twice adds its keys to the first")
        << QByteArray("[S]\nA=1\n[T]\nB=2\n[s]\nC=3\n") << "S" << "C" << "3";
    QTest::newRow("a key before any section belongs to none")
        << QByteArray("Key=x\n[S]\nOther=y\n") << "S" << "Key" << missing;
    QTest::newRow("comment lines are skipped")
        << QByteArray("[S]\n; Key=commented\nKey=real\n") << "S" << "Key" << "real";
    QTest::newRow("a line without an equals sign is skipped")
        << QByteArray("[S]\njust words\nKey=x\n") << "S" << "Key" << "x";
    QTest::newRow("CR LF line ends read like LF")
        << QByteArray("[S]\r\nKey=x\r\nNext=y\r\n") << "S" << "Key" << "x";
    QTest::newRow("a blank section header line is read trimmed")
        << QByteArray("  [ S ]  \nKey=x\n") << "S" << "Key" << "x";
    QTest::newRow("a UTF-8 byte order mark is skipped")
        << QByteArray("\xEF\xBB\xBF[S]\nKey=x\n") << "S" << "Key" << "x";
    QTest::newRow("UTF-8 text reads as the characters it encodes")
        << QByteArray("[S]\nKey=Sugerencia del día «→»\n") << "S" << "Key"
        << QString::fromUtf8("Sugerencia del día «→»");
}

void TestLanguageFile::readsValuesAsTheIniReaderDoes()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    TLanguageFile language = TLanguageFile::fromBytes(file);
    language.setSection(section);
    QCOMPARE(language.ReadText(key), expected);
}

void TestLanguageFile::cutsLongValues()
{
    const QByteArray longValue(3000, 'x');
    TLanguageFile language = TLanguageFile::fromBytes("[S]\nKey=" + longValue + "\n");
    language.setSection("S");
    QCOMPARE(language.ReadText("Key").size(), TLanguageFile::MaxValueLength);

    // A cut never leaves half of a character outside the basic plane.
    QByteArray astral = "[S]\nKey=" + QByteArray(2046, 'x') + "\xF0\x9D\x84\x9E\n";
    language = TLanguageFile::fromBytes(astral);
    language.setSection("S");
    QCOMPARE(language.ReadText("Key"), QString(2046, 'x'));
}

void TestLanguageFile::readsLatin1FilesWithTheirAccents()
{
    // "Menú" and "Línea" as a Latin-1 editor saves them: not valid UTF-8.
    TLanguageFile language = TLanguageFile::fromBytes("[S]\nA=Men\xFA\nB=L\xEDnea\n");
    language.setSection("S");
    QCOMPARE(language.ReadText("A"), QString::fromUtf8("Menú"));
    QCOMPARE(language.ReadText("B"), QString::fromUtf8("Línea"));
}

void TestLanguageFile::missingFileReadsAsMissingKeys()
{
    QTemporaryDir dir;
    TLanguageFile language(dir.filePath("Nowhere.lng"));
    QVERIFY(!language.exists());
    language.setSection("Messages");
    QCOMPARE(language.ReadText("Message1"), MissingLanguageText());
}

void TestLanguageFile::listsSectionsAndKeysInFileOrder()
{
    TLanguageFile language = TLanguageFile::fromBytes("[B]\nz=1\na=2\n[A]\nk=3\n[b]\nm=4\nZ=5\n");
    QCOMPARE(language.sections(), QStringList({"B", "A"}));
    QCOMPARE(language.keys("b"), QStringList({"z", "a", "m"}));
    QVERIFY(language.contains("a", "K"));
    QVERIFY(!language.contains("A", "z"));
}

void TestLanguageFile::splitsHints_data()
{
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("shortHint");
    QTest::addColumn<QString>("longHint");

    QTest::newRow("a hint splits at its bar")
        << "Open|Opens an existing document" << "Open" << "Opens an existing document";
    QTest::newRow("a hint without a bar is both its short and its long part")
        << "More buttons" << "More buttons" << "More buttons";
    QTest::newRow("only the first bar splits")
        << "a|b|c" << "a" << "b|c";
}

void TestLanguageFile::splitsHints()
{
    QFETCH(QString, hint);
    QFETCH(QString, shortHint);
    QFETCH(QString, longHint);
    QCOMPARE(ShortHint(hint), shortHint);
    QCOMPARE(LongHint(hint), longHint);
}

void TestLanguageFile::messagesAndLabelsComeFromTheirSections()
{
    TLanguageFile language = TLanguageFile::fromBytes(
        "[Messages]\nMessage1=Not found.\nmessage39=Last one\n"
        "[Labels]\nLabel2=Ln %d, Col %d\nLabel36=False\n");
    LoadMessages(language);
    LoadLabels(language);
    QCOMPARE(Message(1), QString("Not found."));
    QCOMPARE(Message(39), QString("Last one"));
    QCOMPARE(Label(2), QString("Ln %d, Col %d"));
    QCOMPARE(Label(36), QString("False"));
    QCOMPARE(Message(2), MissingLanguageText());
}

void TestLanguageFile::messagesWithoutTheirSectionShowTheMissingText()
{
    TLanguageFile language = TLanguageFile::fromBytes("[Labels]\nLabel1=Untitled\n");
    LoadMessages(language);
    LoadLabels(language);
    for (int n = 1; n <= MessageCount; ++n)
        QCOMPARE(Message(n), MissingLanguageText());
    QCOMPARE(Label(1), QString("Untitled"));
}

void TestLanguageFile::longMessagesAndLabelsAreCut()
{
    const QByteArray longText(300, 'm');
    TLanguageFile language = TLanguageFile::fromBytes(
        "[Messages]\nMessage5=" + longText + "\n[Labels]\nLabel4=" + longText + "\n[Other]\nCaption="
        + longText + "\n");
    LoadMessages(language);
    LoadLabels(language);
    QCOMPARE(Message(5).size(), MaxMessageLength);
    QCOMPARE(Label(4).size(), MaxMessageLength);
    // A window caption is used whole.
    language.setSection("Other");
    QCOMPARE(language.ReadText("Caption").size(), 300);
}

void TestLanguageFile::builtInTextsStandInBeforeAnyFile()
{
    ClearMessagesAndLabels();
    InstallBuiltInMessagesAndLabels();
    for (int n = 1; n <= MessageCount; ++n)
        QVERIFY2(!Message(n).isEmpty() && Message(n) != MissingLanguageText(),
                 qPrintable(QString("Message%1").arg(n)));
    for (int n = 1; n <= LabelCount; ++n)
        QVERIFY2(!Label(n).isEmpty() && Label(n) != MissingLanguageText(),
                 qPrintable(QString("Label%1").arg(n)));
    // The first box a user can meet, a missing language file, names the file.
    QVERIFY(FormatText(Message(5), {"/x/Languages/Klingon.lng"}).contains("/x/Languages/Klingon.lng"));
    QCOMPARE(BuiltInMessage(0), QString());
    QCOMPARE(BuiltInLabel(LabelCount + 1), QString());
}

void TestLanguageFile::aDamagedFileGivesWhatItHoldsAndBuiltInTextsForTheRest_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("lost");
    const QByteArray good = "[Messages]\nMessage1=Kept\n";
    QTest::newRow("a healthy file: a missing key is missing")
        << good << false << "Kept" << MissingLanguageText();
    QTest::newRow("zero bytes over the second key")
        << good + QByteArray("Message5=\0\0\0\0\0", 14) << true << "Kept" << BuiltInMessage(5);
    QTest::newRow("control characters inside a line")
        << good + "Message5=No\x01\x02 such file\n" << true << "Kept" << BuiltInMessage(5);
}

void TestLanguageFile::aDamagedFileGivesWhatItHoldsAndBuiltInTextsForTheRest()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, damaged);
    QFETCH(QString, kept);
    QFETCH(QString, lost);
    TLanguageFile file = TLanguageFile::fromBytes(bytes);
    QCOMPARE(file.isDamaged(), damaged);
    file.setSection("Messages");
    QCOMPARE(file.ReadText("Message1"), kept);
    QCOMPARE(file.ReadText("Message5"), lost);
    QVERIFY(!lost.isEmpty());
}

QTEST_GUILESS_MAIN(TestLanguageFile)
#include "tst_languagefile.moc"
