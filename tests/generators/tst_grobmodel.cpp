// The picture editor's model: the shape tools' points, resizing, the text it
// inserts (run in the calculator) and the rounding the shapes rely on.

#include "CalcCheck.h"
#include "generators/GrobModel.h"

#include <QSet>
#include <QtTest>

using namespace GrobModel;

namespace {

QString pointList(const QList<QPoint> &points)
{
    QStringList out;
    for (const QPoint &p : points)
        out << QStringLiteral("%1,%2").arg(p.x()).arg(p.y());
    return out.join(QLatin1Char(' '));
}

QSet<QPair<int, int>> pointSet(const QList<QPoint> &points)
{
    QSet<QPair<int, int>> set;
    for (const QPoint &p : points)
        set.insert({p.x(), p.y()});
    return set;
}

} // namespace

class TestGrobModel : public QObject
{
    Q_OBJECT

private slots:
    void rounding_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("rounded");
        QTest::newRow("a half goes to the even integer below") << 2.5 << 2;
        QTest::newRow("a half goes to the even integer above") << 3.5 << 4;
        QTest::newRow("a negative half") << -0.5 << 0;
        QTest::newRow("just over a half") << 2.5000001 << 3;
        QTest::newRow("just under") << 1.4999 << 1;
    }
    void rounding()
    {
        QFETCH(double, value);
        QFETCH(int, rounded);
        QCOMPARE(roundHalfEven(value), rounded);
    }

    void lines_data()
    {
        QTest::addColumn<QPoint>("start");
        QTest::addColumn<QPoint>("end");
        QTest::addColumn<QString>("points");
        QTest::newRow("a vertical line from (5,2) to (5,9) has 8 points")
            << QPoint(5, 2) << QPoint(5, 9) << "5,2 5,3 5,4 5,5 5,6 5,7 5,8 5,9";
        QTest::newRow("a vertical line drawn upwards") << QPoint(1, 3) << QPoint(1, 1) << "1,1 1,2 1,3";
        QTest::newRow("a single cell") << QPoint(4, 4) << QPoint(4, 4) << "4,4";
        QTest::newRow("a horizontal line") << QPoint(3, 1) << QPoint(0, 1) << "0,1 1,1 2,1 3,1";
        // y = 0.3x: 0, 0.3, 0.6, 0.9, 1.2, 1.5 (ties to even: 2), 1.8, 2.1, 2.4, 2.7, 3
        QTest::newRow("the staircase from (0,0) to (10,3), 1.5 rounded to 2")
            << QPoint(0, 0) << QPoint(10, 3) << "0,0 1,0 2,1 3,1 4,1 5,2 6,2 7,2 8,2 9,3 10,3";
        // y = 1.5x: rows 0, 2 (1.5 to even) and 3; row 1 is filled in at column 1
        QTest::newRow("a steep line fills its gaps in the column it reaches")
            << QPoint(0, 0) << QPoint(2, 3) << "0,0 1,1 1,2 2,3";
        QTest::newRow("rows above the picture are taken as row 0")
            << QPoint(0, 1) << QPoint(4, -3) << "0,1 1,0 2,0 3,0 4,0";
    }
    void lines()
    {
        QFETCH(QPoint, start);
        QFETCH(QPoint, end);
        QFETCH(QString, points);
        QCOMPARE(pointList(linePoints(start, end)), points);
    }

    void aLongLineIsConnected_data()
    {
        QTest::addColumn<QPoint>("end");
        QTest::newRow("shallow") << QPoint(130, 17);
        QTest::newRow("steep") << QPoint(7, 79);
        QTest::newRow("diagonal") << QPoint(79, 79);
    }
    void aLongLineIsConnected()
    {
        QFETCH(QPoint, end);
        const QList<QPoint> points = linePoints(QPoint(0, 0), end);
        for (qsizetype i = 1; i < points.size(); ++i) {
            const QPoint step = points[i] - points[i - 1];
            QVERIFY2(std::abs(step.x()) <= 1 && std::abs(step.y()) <= 1, qPrintable(pointList(points.mid(i - 1, 2))));
        }
        QCOMPARE(points.first(), QPoint(0, 0));
        QCOMPARE(points.last(), end);
    }

    void rectangles()
    {
        const QList<QPoint> points = rectanglePoints(QPoint(3, 4), QPoint(1, 2));
        QCOMPARE(pointList(points.mid(0, 6)), QString("1,2 1,4 2,2 2,4 3,2 3,4"));
        QCOMPARE(pointList(points.mid(6)), QString("1,2 3,2 1,3 3,3 1,4 3,4"));
        QCOMPARE(pointSet(points).size(), 8);
        QCOMPARE(pointSet(rectanglePoints(QPoint(2, 2), QPoint(2, 2))).size(), 1);
    }

    void circles_data()
    {
        QTest::addColumn<QPoint>("centre");
        QTest::addColumn<QPoint>("edge");
        QTest::addColumn<int>("cells");
        QTest::newRow("start and end on one cell give one point") << QPoint(5, 5) << QPoint(5, 5) << 1;
        QTest::newRow("radius 1: the four neighbours and the diagonals") << QPoint(5, 5) << QPoint(6, 5) << 8;
        QTest::newRow("radius 10 from a point straight above") << QPoint(20, 20) << QPoint(20, 10) << -1;
        QTest::newRow("radius 5 from a point below left") << QPoint(20, 20) << QPoint(17, 24) << -1;
    }
    void circles()
    {
        QFETCH(QPoint, centre);
        QFETCH(QPoint, edge);
        QFETCH(int, cells);
        const QList<QPoint> points = circlePoints(centre, edge, 131, 80);
        const auto set = pointSet(points);
        if (cells > 0)
            QCOMPARE(set.size(), cells);
        QVERIFY(set.contains({edge.x(), edge.y()}));
        const double r = std::hypot(edge.x() - centre.x(), edge.y() - centre.y());
        for (const QPoint &p : points)
            QVERIFY(std::abs(std::hypot(p.x() - centre.x(), p.y() - centre.y()) - r) < 1.0);
        if (r >= 1) {
            // Closed: every point has a neighbour in the ring on both sides.
            for (const QPoint &p : points) {
                int neighbours = 0;
                for (int dx = -1; dx <= 1; ++dx)
                    for (int dy = -1; dy <= 1; ++dy)
                        if ((dx || dy) && set.contains({p.x() + dx, p.y() + dy}))
                            ++neighbours;
                QVERIFY(neighbours >= 2);
            }
        }
    }

    void circlePointsOutsideThePictureAreLeftOut()
    {
        const QList<QPoint> points = circlePoints(QPoint(1, 1), QPoint(1, 6), 10, 10);
        QVERIFY(!points.isEmpty());
        for (const QPoint &p : points)
            QVERIFY(p.x() >= 0 && p.y() >= 0 && p.x() < 10 && p.y() < 10);
    }

    void resizing_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("narrower and shorter") << 5 << 3;
        QTest::newRow("wider and taller") << 40 << 30;
        QTest::newRow("to one pixel") << 1 << 1;
        QTest::newRow("clamped to 1000") << 5000 << 1000;
        QTest::newRow("clamped to 1") << 0 << -4;
    }
    void resizing()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        TGrob g = TGrob::blank(13, 7);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x)
                g.setPixel(x, y, (x * 7 + y * 3) % 5 < 2);
        const TGrob r = resized(g, width, height);
        QCOMPARE(r.Width, std::clamp(width, 1, 1000));
        QCOMPARE(r.Height, std::clamp(height, 1, 1000));
        QVERIFY(isEditable(r));
        for (int y = 0; y < r.Height; ++y)
            for (int x = 0; x < r.Width; ++x)
                QCOMPARE(r.pixel(x, y), x < 13 && y < 7 && g.pixel(x, y));
    }

    void editableSizes_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("editable");
        QTest::newRow("1 x 1") << 1 << 1 << true;
        QTest::newRow("1000 x 1000") << 1000 << 1000 << true;
        QTest::newRow("1001 wide") << 1001 << 10 << false;
        QTest::newRow("no rows") << 8 << 0 << false;
        QTest::newRow("no columns") << 0 << 8 << false;
    }
    void editableSizes()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, editable);
        QCOMPARE(isEditable(TGrob::blank(width, height)), editable);
    }

    void aPictureWithRowsMissingIsNotEditable()
    {
        TGrob g = TGrob::blank(8, 4);
        g.Data.chop(2);
        QVERIFY(!isEditable(g));
    }

    void insertedText_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("dark");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("a clear 1 x 1 picture") << 1 << 1 << "" << QByteArray("GROB 1 1 00\r\n|");
        QTest::newRow("a set 1 x 1 picture: the pixel is the low bit of the first digit")
            << 1 << 1 << "0,0" << QByteArray("GROB 1 1 10\r\n|");
        QTest::newRow("the fifth pixel of a row is the low bit of the second digit")
            << 8 << 2 << "4,0 3,1" << QByteArray("GROB 8 2 0180\r\n|");
        QTest::newRow("a row of 9 pixels takes two bytes")
            << 9 << 1 << "8,0" << QByteArray("GROB 9 1 0010\r\n|");
    }
    void insertedText()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, dark);
        QFETCH(QByteArray, text);
        TGrob g = TGrob::blank(width, height);
        for (const QString &p : dark.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            g.setPixel(p.section(',', 0, 0).toInt(), p.section(',', 1, 1).toInt(), true);
        QCOMPARE(insertText(g), text);
    }

    void aCalculatorScreenPictureCompiles()
    {
        // 131 wide: each row is padded to 136 pixels, 34 digits.
        TGrob g = TGrob::blank(131, 64);
        for (int x = 0; x < 131; ++x)
            g.setPixel(x, x % 64, true);
        const QByteArray text = insertText(g);
        QCOMPARE(text.size(), qsizetype(QByteArray("GROB 131 64 ").size() + 34 * 64 + 3));
        QCOMPARE(CalcCheck::run(text, {"SIZE"}), QStringList({"# 131d", "# 64d"}));
        const QStringList small = CalcCheck::run(insertText(TGrob::blank(1, 1)), {"SIZE"});
        QCOMPARE(small, QStringList({"# 1d", "# 1d"}));
    }
};

QTEST_GUILESS_MAIN(TestGrobModel)
#include "tst_grobmodel.moc"
