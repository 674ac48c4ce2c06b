// Runs the language test files of data/language: UserRPL command lines with
// the stack they must leave or the error they must raise.
//
// File format (UTF-8):
//   # comment
//   @model 48gx|49g|50g     model for the cases that follow (default 50g; the
//                           49 family in its reset's exact mode)
//   @model 49g|50g approx   the same in approximate mode (flag -105 set)
//   = what the case shows, as a sentence
//   < a command line, entered as ENTER does (several run in order)
//   > the expected stack, one object per line in ->STR form, highest first
//   ! the expected error message (the stack lines show the stack after it)
//   ~ TEXT                  shorthand: TEXT entered reads back as TEXT
// In a command line, ␊ stands for a line feed and ␍ for a carriage return
// (line ends inside one command line); a line that starts with "%%HP:" is a
// received text file: its header decides the modes it is read in.
#include "calc/core/Commands.h"
#include "calc/core/Engine.h"
#include "formats/CalcCharset.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

using namespace Calc;

namespace {

struct Case
{
    QString name;
    Model model = Model::HP50G;
    bool approx = false;
    QStringList inputs;
    QStringList expected;
    QString error;
};

Model modelNamed(const QString &m)
{
    if (m == "48gx")
        return Model::HP48GX;
    if (m == "49g")
        return Model::HP49G;
    return Model::HP50G;
}

QList<Case> readCases(const QString &path)
{
    QList<Case> cases;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return cases;
    const QString file = QFileInfo(path).completeBaseName();
    Model model = Model::HP50G;
    bool approx = false;
    Case *cur = nullptr;
    int lineNo = 0;
    for (const QByteArray &raw : f.readAll().split('\n')) {
        ++lineNo;
        QString line = QString::fromUtf8(raw);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QChar tag = line.at(0);
        const QString rest = line.mid(1).startsWith(' ') ? line.mid(2) : line.mid(1);
        if (line.startsWith("@model ")) {
            const QStringList words = line.mid(7).split(' ', Qt::SkipEmptyParts);
            model = modelNamed(words.value(0));
            approx = words.value(1) == "approx";
        } else if (tag == '=') {
            cases.append(Case{file + ": " + rest, model, approx, {}, {}, {}});
            cur = &cases.last();
        } else if (tag == '~') {
            cases.append(
                Case{file + ": " + rest + " reads back as itself", model, approx, {rest}, {rest}, {}});
            cur = nullptr;
        } else if (cur && tag == '<') {
            cur->inputs << rest;
        } else if (cur && tag == '>') {
            cur->expected << rest;
        } else if (cur && tag == '!') {
            cur->error = rest;
        } else {
            qWarning("%s:%d: line not understood", qPrintable(path), lineNo);
            cases.append(
                Case{file + QString(": line %1 is malformed").arg(lineNo), model, false, {}, {"?"}, {}});
        }
    }
    return cases;
}

QString utf8Of(const std::string &calc)
{
    return CalcCharset::decode(QByteArray(calc.data(), static_cast<qsizetype>(calc.size())));
}

} // namespace

class TestLanguage : public QObject
{
    Q_OBJECT

private slots:
    void programs_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("approx");
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("error");
        QDir dir(QStringLiteral(QV_TEST_DATA_DIR "/language"));
        const QStringList files = dir.entryList({"*.rpltest"}, QDir::Files, QDir::Name);
        QVERIFY2(!files.isEmpty(), "no language test files found");
        int count = 0;
        for (const QString &name : files) {
            for (const Case &c : readCases(dir.filePath(name))) {
                QTest::newRow(qPrintable(c.name))
                    << static_cast<int>(c.model) << c.approx << c.inputs << c.expected << c.error;
                ++count;
            }
        }
        QVERIFY(count > 0);
    }

    void programs()
    {
        QFETCH(int, model);
        QFETCH(bool, approx);
        QFETCH(QStringList, inputs);
        QFETCH(QStringList, expected);
        QFETCH(QString, error);
        Engine e(static_cast<Model>(model));
        if (approx)
            e.setFlag(-105, true);
        QString raised;
        for (const QString &in : inputs) {
            bool ok = false;
            QString text = in;
            text.replace(QChar(0x240A), QChar('\n')).replace(QChar(0x240D), QChar('\r'));
            const QByteArray bytes = CalcCharset::encodeSource(text, &ok);
            QVERIFY2(ok, "the input has a character the calculator lacks");
            const std::string calc(bytes.constData(), static_cast<size_t>(bytes.size()));
            const Engine::Status s =
                text.startsWith("%%HP:") ? e.enterReceived(calc) : e.enter(calc);
            if (s == Engine::Status::Error || s == Engine::Status::Interrupted) {
                raised = utf8Of(e.lastError().message);
                break;
            }
        }
        QStringList stack;
        for (const Value &v : e.stack())
            stack << utf8Of(e.toText(v));
        QCOMPARE(raised, error);
        QCOMPARE(stack, expected);
    }

    // Every command that has code is run by some test: a language test file
    // or one of the calculator's C++ tests names it as a word.
    void everyImplementedCommandIsTested()
    {
        QSet<QString> words;
        QStringList files;
        QDir lang(QStringLiteral(QV_TEST_DATA_DIR "/language"));
        for (const QString &f : lang.entryList({"*.rpltest"}, QDir::Files))
            files << lang.filePath(f);
        QDir tests(QStringLiteral(QV_TEST_DATA_DIR "/.."));
        for (const QString &f : tests.entryList({"tst_*.cpp"}, QDir::Files))
            files << tests.filePath(f);
        static const QRegularExpression separators(QStringLiteral("[\\s«»{}\\[\\]()'\",]+"));
        for (const QString &path : files) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            for (const QString &w : QString::fromUtf8(f.readAll()).split(separators, Qt::SkipEmptyParts))
                words.insert(w);
        }
        for (const bool is49 : {false, true}) {
            const Coverage c = coverage(is49);
            QSet<QString> missing;
            for (const std::string &m : c.missing)
                missing.insert(QString::fromStdString(m));
            QStringList untested;
            for (const std::string &n : knownCommandNames(is49)) {
                const QString name = utf8Of(n);
                if (!missing.contains(name) && !words.contains(name))
                    untested << name;
            }
            QVERIFY2(untested.isEmpty(), qPrintable("not tested: " + untested.join(' ')));
        }
    }
};

QTEST_APPLESS_MAIN(TestLanguage)
#include "tst_language.moc"
