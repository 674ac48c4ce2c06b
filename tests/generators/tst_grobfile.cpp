// Picture files: what the editor accepts and refuses, writing through a
// temporary file, and the fuzzer's corpus replayed.

#include "fuzz/GrobFuzzEntries.h"
#include "generators/GrobModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Corpus = QStringLiteral(QV_TEST_DATA_DIR "/fuzz-corpus/grb/");

} // namespace

class TestGrobFile : public QObject
{
    Q_OBJECT

private slots:
    void reading_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("width"); // 0: refused as no picture
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("dark");
        QTest::newRow("one set pixel") << "one-pixel-set.grb" << 1 << 1 << 1;
        QTest::newRow("a screen written for the 48 series") << "screen-131x80.grb" << 131 << 80 << 80;
        QTest::newRow("bytes after the last row are no part of it") << "trailing-bytes.grb" << 4 << 2 << 2;
        QTest::newRow("rows cut short") << "rows-cut-short.grb" << 0 << 0 << 0;
        QTest::newRow("a string object") << "string-object.grb" << 0 << 0 << 0;
        QTest::newRow("a size its data does not hold") << "claims-2000x2000.grb" << 0 << 0 << 0;
        QTest::newRow("1001 pixels wide with all its data") << "width-1001.grb" << 0 << 0 << 0;
        QTest::newRow("no columns") << "width-zero.grb" << 0 << 0 << 0;
        QTest::newRow("a signature and nothing else") << "signature-only.grb" << 0 << 0 << 0;
        QTest::newRow("another kind of file") << "not-an-object.grb" << 0 << 0 << 0;
    }
    void reading()
    {
        QFETCH(QString, file);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, dark);
        TGrob picture = TGrob::blank(2, 2);
        const TGrob untouched = picture;
        const auto status = GrobModel::readPicture(Corpus + file, picture);
        if (width == 0) {
            QCOMPARE(status, GrobModel::ReadStatus::NotAPicture);
            QCOMPARE(picture, untouched);
            return;
        }
        QCOMPARE(status, GrobModel::ReadStatus::Ok);
        QCOMPARE(picture.Width, width);
        QCOMPARE(picture.Height, height);
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                n += picture.pixel(x, y);
        QCOMPARE(n, dark);
    }

    void aMissingFileIsUnreadableWithItsReason()
    {
        TGrob picture;
        QString error;
        QCOMPARE(GrobModel::readPicture("/nonexistent/x.grb", picture, &error), GrobModel::ReadStatus::Unreadable);
        QVERIFY(error.contains("/nonexistent/x.grb"));
    }

    void aHugeFileIsNotReadWhole()
    {
        QTemporaryDir dir;
        QFile big(dir.filePath("big.grb"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        big.write("HPHP49-W");
        QVERIFY(big.resize(64 * 1024 * 1024)); // sparse
        big.close();
        TGrob picture;
        QCOMPARE(GrobModel::readPicture(big.fileName(), picture), GrobModel::ReadStatus::NotAPicture);
    }

    void writtenPicturesReadBack_data()
    {
        QTest::addColumn<bool>("hp48");
        QTest::newRow("HP 48 series") << true;
        QTest::newRow("49/50 family") << false;
    }
    void writtenPicturesReadBack()
    {
        QFETCH(bool, hp48);
        QTemporaryDir dir;
        const QString path = dir.filePath("p.grb");
        TGrob g = TGrob::blank(1000, 3);
        g.setPixel(999, 2, true);
        g.setPixel(0, 0, true);
        QVERIFY(WriteGrobFile(g, path, hp48));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(8), hp48 ? QByteArray("HPHP48-W") : QByteArray("HPHP49-W"));
        f.close();
        TGrob back;
        QCOMPARE(GrobModel::readPicture(path, back), GrobModel::ReadStatus::Ok);
        QCOMPARE(back, g);
    }

    void savingOverAFileReplacesItWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("p.grb");
        QVERIFY(WriteGrobFile(TGrob::blank(200, 200), path, false));
        QVERIFY(WriteGrobFile(TGrob::blank(1, 1), path, false));
        QCOMPARE(QFileInfo(path).size(), qint64(8 + 11)); // 22 nibbles
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"p.grb"}));
        // A folder that cannot be written keeps the old file and says why.
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        QString error;
        const bool written = WriteGrobFile(TGrob::blank(5, 5), path, false, &error);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (written)
            QSKIP("running with rights that ignore folder permissions");
        QVERIFY(!error.isEmpty());
        TGrob back;
        QCOMPARE(GrobModel::readPicture(path, back), GrobModel::ReadStatus::Ok);
        QCOMPARE(back.Width, 1);
    }

    void corpusFilesAreHandled_data()
    {
        QTest::addColumn<QString>("path");
        const QDir dir(Corpus);
        for (const QString &name : dir.entryList(QDir::Files))
            QTest::newRow(qPrintable(name)) << dir.filePath(name);
    }
    void corpusFilesAreHandled()
    {
        QFETCH(QString, path);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        GrobFuzz::grbFile(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
};

QTEST_GUILESS_MAIN(TestGrobFile)
#include "tst_grobfile.moc"
