#include "shell/Globals.h"
#include "shell/Language.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QtTest>

// The language files that ship with the program: every key that the code
// reads must be in each of them, so that no window ever shows "¿...?", and the
// shared texts must carry the placeholders the code formats them with.
//
// The keys the code reads are found in the sources themselves: every window
// names its section and keys as literals in one loadWindowTexts (or
// WindowTexts) call, a text used on its own is read with
// LanguageText("Section", "Key"), and code that reads single keys does so
// with setSection("...") and ReadText("..."). A window added later is therefore
// checked without touching this test.

namespace {

const QStringList shippedFiles = {QStringLiteral("Spanish(1).lng"), QStringLiteral("English.lng")};

QString languagesFolder()
{
    return QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/");
}

QString sourceFolder()
{
    return QDir(QStringLiteral(QV_SOURCE_DATA_DIR "/../src")).absolutePath();
}

// C++ source without its comments; string literals are kept as they are.
QString withoutComments(const QString &source)
{
    QString out;
    out.reserve(source.size());
    for (qsizetype i = 0; i < source.size(); ++i) {
        const QChar c = source[i];
        const QChar next = i + 1 < source.size() ? source[i + 1] : QChar();
        if (c == '/' && next == '/') {
            while (i < source.size() && source[i] != '\n')
                ++i;
            out += '\n';
        } else if (c == '/' && next == '*') {
            i += 2;
            while (i + 1 < source.size() && !(source[i] == '*' && source[i + 1] == '/'))
                ++i;
            ++i;
            out += ' ';
        } else if (c == '"' || c == '\'') {
            out += c;
            for (++i; i < source.size() && source[i] != c; ++i) {
                out += source[i];
                if (source[i] == '\\' && i + 1 < source.size())
                    out += source[++i];
            }
            if (i < source.size())
                out += c;
        } else {
            out += c;
        }
    }
    return out;
}

// The text between the parenthesis at open and the one that closes it.
QString argumentsAt(const QString &source, qsizetype open)
{
    int depth = 0;
    bool inString = false;
    for (qsizetype i = open; i < source.size(); ++i) {
        const QChar c = source[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth == 0) {
            return source.mid(open + 1, i - open - 1);
        }
    }
    return QString();
}

struct CodeKey
{
    QString section;
    QString key;
    QString where;
};

QList<CodeKey> keysInSource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString source = withoutComments(QString::fromUtf8(file.readAll()));
    const QString name = QFileInfo(path).fileName();
    QList<CodeKey> keys;

    static const QRegularExpression windowCall(
        QStringLiteral(R"(\b(?:loadWindowTexts|WindowTexts)\b\s*(?:\w+\s*)?\()"));
    static const QRegularExpression literal(QStringLiteral(R"re("(\w+)")re"));
    static const QRegularExpression entry(QStringLiteral(R"re(\{\s*"(\w+)"\s*,)re"));
    for (auto call = windowCall.globalMatch(source); call.hasNext();) {
        const auto match = call.next();
        const QString arguments = argumentsAt(source, match.capturedEnd() - 1);
        // The section is the first literal before the brace list.
        const qsizetype brace = arguments.indexOf('{');
        const auto section = literal.match(arguments.left(brace < 0 ? arguments.size() : brace));
        if (!section.hasMatch() || brace < 0)
            continue;
        for (auto e = entry.globalMatch(arguments, brace); e.hasNext();)
            keys.append({section.captured(1), e.next().captured(1), name});
    }

    static const QRegularExpression oneText(
        QStringLiteral(R"re(\bLanguageText\s*\(\s*"(\w+)"\s*,\s*"(\w+)")re"));
    for (auto m = oneText.globalMatch(source); m.hasNext();) {
        const auto match = m.next();
        keys.append({match.captured(1), match.captured(2), name});
    }

    static const QRegularExpression singleRead(
        QStringLiteral(R"re(\bsetSection\s*\(\s*(?:QStringLiteral\s*\()?\s*"(\w+)"|\bReadText\s*\(\s*(?:QStringLiteral\s*\()?\s*"(\w+)")re"));
    QString section;
    for (auto m = singleRead.globalMatch(source); m.hasNext();) {
        const auto match = m.next();
        if (!match.captured(1).isEmpty())
            section = match.captured(1);
        else if (!section.isEmpty())
            keys.append({section, match.captured(2), name});
    }
    return keys;
}

QList<CodeKey> keysTheCodeReads()
{
    QList<CodeKey> keys;
    QDirIterator it(sourceFolder(), {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        keys += keysInSource(it.next());
    for (int n = 1; n <= MessageCount; ++n)
        keys.append({"Messages", QString("Message%1").arg(n), "Language.cpp"});
    for (int n = 1; n <= LabelCount; ++n)
        keys.append({"Labels", QString("Label%1").arg(n), "Language.cpp"});
    return keys;
}

// Counts the printf-like directives of a text: "%s", "%d" and "%%".
QString directives(const QString &text)
{
    QString found;
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%') {
            found += text[i + 1];
            ++i;
        }
    return found;
}

} // namespace

class TestShippedLanguages : public QObject
{
    Q_OBJECT

private slots:
    void theSourceScanFindsTheWindowsKeys();
    void everyKeyTheCodeReadsIsInEveryFile_data();
    void everyKeyTheCodeReadsIsInEveryFile();
    void theFilesHoldTheSameKeys();
    void noValueIsEmptyOrAStandIn_data();
    void noValueIsEmptyOrAStandIn();
    void sharedTextsCarryTheirPlaceholders_data();
    void sharedTextsCarryTheirPlaceholders();
    void fileDialogFiltersArePairs_data();
    void fileDialogFiltersArePairs();
    void hintsHaveAShortAndALongPart_data();
    void hintsHaveAShortAndALongPart();
};

void TestShippedLanguages::theSourceScanFindsTheWindowsKeys()
{
    // A scan that silently finds nothing would make the next test pass on
    // nothing; the main window alone reads the "MainProgram" and "Menus" keys.
    const QList<CodeKey> keys = keysTheCodeReads();
    auto count = [&](const QString &section) {
        return std::count_if(keys.begin(), keys.end(),
                             [&](const CodeKey &k) { return k.section == section; });
    };
    QVERIFY(count("MainProgram") >= 9);
    QVERIFY(count("Menus") >= 190);
}

void TestShippedLanguages::everyKeyTheCodeReadsIsInEveryFile_data()
{
    QTest::addColumn<QString>("fileName");
    for (const QString &name : shippedFiles)
        QTest::newRow(qPrintable(name + " holds every key the code reads")) << name;
}

void TestShippedLanguages::everyKeyTheCodeReadsIsInEveryFile()
{
    QFETCH(QString, fileName);
    const TLanguageFile language(languagesFolder() + fileName);
    QVERIFY2(language.exists(), qPrintable(languagesFolder() + fileName));
    QStringList missing;
    for (const CodeKey &k : keysTheCodeReads())
        if (!language.contains(k.section, k.key))
            missing << QString("[%1] %2 (read in %3)").arg(k.section, k.key, k.where);
    missing.removeDuplicates();
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join('\n')));
}

void TestShippedLanguages::theFilesHoldTheSameKeys()
{
    // A text added to one language must be added to all of them.
    const TLanguageFile first(languagesFolder() + shippedFiles[0]);
    for (const QString &name : shippedFiles.mid(1)) {
        const TLanguageFile other(languagesFolder() + name);
        QStringList differences;
        auto compare = [&](const TLanguageFile &a, const TLanguageFile &b, const QString &bName) {
            for (const QString &section : a.sections())
                for (const QString &key : a.keys(section))
                    if (!b.contains(section, key))
                        differences << QString("[%1] %2 missing from %3").arg(section, key, bName);
        };
        compare(first, other, name);
        compare(other, first, shippedFiles[0]);
        QVERIFY2(differences.isEmpty(), qPrintable(differences.join('\n')));
    }
}

void TestShippedLanguages::noValueIsEmptyOrAStandIn_data()
{
    everyKeyTheCodeReadsIsInEveryFile_data();
}

void TestShippedLanguages::noValueIsEmptyOrAStandIn()
{
    QFETCH(QString, fileName);
    TLanguageFile language(languagesFolder() + fileName);
    QStringList bad;
    for (const QString &section : language.sections()) {
        language.setSection(section);
        for (const QString &key : language.keys(section)) {
            const QString value = language.ReadText(key);
            if (value.trimmed().isEmpty() || value.contains(MissingLanguageText())
                || value.contains(QChar::ReplacementCharacter))
                bad << QString("[%1] %2").arg(section, key);
        }
    }
    QVERIFY2(bad.isEmpty(), qPrintable(bad.join('\n')));
}

void TestShippedLanguages::sharedTextsCarryTheirPlaceholders_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    // The messages that the code formats take one text; Label2 takes the
    // caret's line and column; every other shared text is shown as it is.
    const QList<int> withText = {2, 4, 5, 14, 15};
    for (const QString &name : shippedFiles) {
        for (int n = 1; n <= MessageCount; ++n)
            QTest::newRow(qPrintable(QString("%1: Message%2 takes %3").arg(name).arg(n).arg(
                              withText.contains(n) ? "one text" : "no argument")))
                << name << "Messages" << QString("Message%1").arg(n)
                << QString(withText.contains(n) ? "s" : "");
        for (int n = 1; n <= LabelCount; ++n)
            QTest::newRow(qPrintable(QString("%1: Label%2 takes %3").arg(name).arg(n).arg(
                              n == 2 ? "the line and the column" : "no argument")))
                << name << "Labels" << QString("Label%1").arg(n) << QString(n == 2 ? "dd" : "");
        // The file errors take the path and the system's reason.
        const QList<QPair<QString, QString>> own = {
            {"ReadFailure", "ss"}, {"WriteFailure", "ss"}, {"BackupFailure", ""}, {"CharactersRefused", "s"}};
        for (const auto &[key, expected] : own)
            QTest::newRow(qPrintable(QString("%1: %2 takes %3").arg(name, key).arg(expected.size())))
                << name << "MainProgram" << key << expected;
    }
}

void TestShippedLanguages::sharedTextsCarryTheirPlaceholders()
{
    QFETCH(QString, fileName);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TLanguageFile language(languagesFolder() + fileName);
    language.setSection(section);
    QCOMPARE(directives(language.ReadText(key)), expected);
}

void TestShippedLanguages::fileDialogFiltersArePairs_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("pattern");

    // The eleven entries of the open and save dialogs, in their order, with
    // a pattern each entry must offer; then the other filters.
    const QList<QPair<int, QString>> documentFilters = {
        {23, "*"},       {24, "*.hpprg"}, {25, "*.hpdir"}, {26, "*.hplst"},
        {27, "*.hpstr"}, {28, "*.hparr"}, {29, "*.hpalg"}, {30, "*.hpgrb"},
        {31, "*.hpobj"}, {9, "*.hpe"},    {32, "*.hpprj"},
    };
    for (const QString &name : shippedFiles) {
        int entry = 1;
        for (const auto &[label, pattern] : documentFilters)
            QTest::newRow(qPrintable(QString("%1: document filter %2 (Label%3) offers %4")
                                         .arg(name).arg(entry++).arg(label).arg(pattern)))
                << name << "Labels" << QString("Label%1").arg(label) << pattern;
        QTest::newRow(qPrintable(name + ": the picture filter offers *.grb"))
            << name << "Labels" << "Label12" << "*.grb";
        QTest::newRow(qPrintable(name + ": the object file filter offers *.hp"))
            << name << "Labels" << "Label13" << "*.hp";
        for (const char *picker : {"Commands", "Menus", "Emu48", "Emu48Port", "Emu49"})
            QTest::newRow(qPrintable(QString("%1: the %2 file picker filter").arg(name, picker)))
                << name << "ConfigEnvironmentDialog"
                << QString("DlgEnvironment%1FileNameDialogFilter").arg(picker) << "*";
    }
}

void TestShippedLanguages::fileDialogFiltersArePairs()
{
    QFETCH(QString, fileName);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, pattern);
    TLanguageFile language(languagesFolder() + fileName);
    language.setSection(section);
    const QStringList parts = language.ReadText(key).split('|');
    QVERIFY2(parts.size() % 2 == 0, "description and pattern alternate");
    QStringList patterns;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QVERIFY(!parts[i].trimmed().isEmpty());
        patterns += parts[i + 1].split(';');
    }
    QVERIFY2(patterns.contains(pattern), qPrintable(patterns.join(';')));
}

void TestShippedLanguages::hintsHaveAShortAndALongPart_data()
{
    QTest::addColumn<QString>("fileName");
    for (const QString &name : shippedFiles)
        QTest::newRow(qPrintable(name + ": every hint has both parts")) << name;
}

void TestShippedLanguages::hintsHaveAShortAndALongPart()
{
    QFETCH(QString, fileName);
    TLanguageFile language(languagesFolder() + fileName);
    QStringList bad;
    for (const QString &section : language.sections()) {
        language.setSection(section);
        for (const QString &key : language.keys(section)) {
            // Hints are the "...Hint" keys and the menus' "...Tip" keys; the
            // overflow buttons of tool bars have one plain hint.
            const bool isHint = key.endsWith("Hint") || (key.startsWith("Menu") && key.endsWith("Tip"));
            if (!isHint || key.endsWith("ChevronHint"))
                continue;
            const QString hint = language.ReadText(key);
            if (!hint.contains('|') || ShortHint(hint).trimmed().isEmpty()
                || LongHint(hint).trimmed().isEmpty())
                bad << QString("[%1] %2").arg(section, key);
        }
    }
    QVERIFY2(bad.isEmpty(), qPrintable(bad.join('\n')));
}

QTEST_GUILESS_MAIN(TestShippedLanguages)
#include "tst_shippedlanguages.moc"
