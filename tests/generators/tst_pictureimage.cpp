// Pictures to and from image files: PNG export, and import with the
// threshold and the dither, and the refusal of images too large to decode.

#include "generators/PictureImage.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

int darkCount(const TGrob &g)
{
    int n = 0;
    for (int y = 0; y < g.Height; ++y)
        for (int x = 0; x < g.Width; ++x)
            n += g.pixel(x, y);
    return n;
}

// A horizontal ramp from black (left) to white (right).
QImage ramp(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int x = 0; x < width; ++x) {
        const int level = width > 1 ? 255 * x / (width - 1) : 0;
        for (int y = 0; y < height; ++y)
            image.setPixel(x, y, qRgb(level, level, level));
    }
    return image;
}

} // namespace

class TestPictureImage : public QObject
{
    Q_OBJECT

private slots:
    void exportedPngsShowThePicture()
    {
        TGrob g = TGrob::blank(13, 5);
        g.setPixel(0, 0, true);
        g.setPixel(12, 4, true);
        QTemporaryDir dir;
        const QString path = dir.filePath("p.png");
        QString error;
        QVERIFY2(PictureImage::exportPng(g, path, &error), qPrintable(error));
        const QImage back(path);
        QCOMPARE(back.size(), QSize(13, 5));
        QCOMPARE(back.pixelColor(0, 0), QColor(Qt::black));
        QCOMPARE(back.pixelColor(12, 4), QColor(Qt::black));
        QCOMPARE(back.pixelColor(1, 0), QColor(Qt::white));
        QVERIFY(!PictureImage::exportPng(g, dir.filePath("missing/p.png"), &error));
        QVERIFY(!error.isEmpty());
    }

    void thresholds_data()
    {
        QTest::addColumn<int>("threshold");
        QTest::addColumn<int>("dark");
        // The ramp's 64 columns are levels 0, 4, 8 ... 255 (255 * x / 63).
        QTest::newRow("0: nothing is darker, all white") << 0 << 0;
        QTest::newRow("128: the darker half") << 128 << 32 * 4;
        QTest::newRow("256: everything, white too") << 256 << 64 * 4;
    }
    void thresholds()
    {
        QFETCH(int, threshold);
        QFETCH(int, dark);
        const TGrob g = PictureImage::toPicture(ramp(64, 4), QSize(64, 4), threshold, false);
        QCOMPARE(darkCount(g), dark);
        if (dark > 0 && dark < 256) {
            QVERIFY(g.pixel(0, 0));
            QVERIFY(!g.pixel(63, 3));
        }
    }

    void ditherKeepsTheGreyLevel()
    {
        QImage grey(40, 40, QImage::Format_RGB32);
        grey.fill(qRgb(64, 64, 64)); // a quarter white
        const TGrob plain = PictureImage::toPicture(grey, grey.size(), 128, false);
        const TGrob dithered = PictureImage::toPicture(grey, grey.size(), 128, true);
        QCOMPARE(darkCount(plain), 1600);
        // About three quarters dark, spread out rather than in a block.
        QVERIFY(qAbs(darkCount(dithered) - 1200) < 40);
        for (int by = 0; by < 40; by += 4) {
            for (int bx = 0; bx < 40; bx += 4) {
                int light = 0;
                for (int y = by; y < by + 4; ++y)
                    for (int x = bx; x < bx + 4; ++x)
                        light += !dithered.pixel(x, y);
                QVERIFY2(light >= 1 && light <= 8, qPrintable(QString("block %1,%2: %3 light").arg(bx).arg(by).arg(light)));
            }
        }
    }

    void importScalesToTheChosenSize()
    {
        QImage image(100, 50, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter(&image).fillRect(0, 0, 50, 50, Qt::black);
        const TGrob g = PictureImage::toPicture(image, QSize(20, 10), 128, false);
        QCOMPARE(g.Width, 20);
        QCOMPARE(g.Height, 10);
        // Left half black, transparent right half white.
        QCOMPARE(darkCount(g), 100);
        QVERIFY(g.pixel(0, 0));
        QVERIFY(!g.pixel(19, 9));
    }

    void aSmallPngFileIsImported()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("r.png");
        QVERIFY(ramp(8, 2).save(path));
        QString error;
        QCOMPARE(PictureImage::probe(path, &error), QSize(8, 2));
        const QImage image = PictureImage::load(path, &error);
        QVERIFY2(!image.isNull(), qPrintable(error));
        const TGrob g = PictureImage::toPicture(image, image.size(), 128, false);
        QCOMPARE(GrobNibbleText(g).right(4), QByteArray("F0F0")); // left four dark in both rows
    }

    void imagesTooLargeOrUnreadableAreRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("a header claiming 20000 x 20000")
            << QStringLiteral(QV_TEST_DATA_DIR "/images/claims-20000x20000.png");
        QTest::newRow("no image at all") << QStringLiteral(QV_TEST_DATA_DIR "/fuzz-corpus/grb/one-pixel-set.grb");
        QTest::newRow("no file") << QStringLiteral("/nonexistent/a.png");
    }
    void imagesTooLargeOrUnreadableAreRefused()
    {
        QFETCH(QString, path);
        QString error;
        QVERIFY(!PictureImage::probe(path, &error).isValid());
        QVERIFY(!error.isEmpty());
    }

    void fittingSizes_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QSize>("fit");
        QTest::newRow("small images keep their size") << QSize(20, 10) << QSize(20, 10);
        QTest::newRow("wide images are scaled to the width") << QSize(262, 40) << QSize(131, 20);
        QTest::newRow("tall images to the height") << QSize(100, 800) << QSize(10, 80);
        QTest::newRow("never below one pixel") << QSize(5000, 1) << QSize(131, 1);
    }
    void fittingSizes()
    {
        QFETCH(QSize, image);
        QFETCH(QSize, fit);
        QCOMPARE(PictureImage::fittingSize(image, QSize(131, 80)), fit);
    }
};

QTEST_MAIN(TestPictureImage)
#include "tst_pictureimage.moc"
