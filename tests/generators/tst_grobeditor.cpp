// The picture editor's drawing rules without the window: the freehand pen,
// the shape tools and their check marks, the modified flag, and undo.

#include "generators/GrobEditor.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

using Shape = GrobModel::Shape;

int darkCount(const TGrob &g)
{
    int n = 0;
    for (int y = 0; y < g.Height; ++y)
        for (int x = 0; x < g.Width; ++x)
            n += g.pixel(x, y);
    return n;
}

// "press x,y; move x,y; release; line; rect; circle; space x,y; esc;
// rrelease (right button)" on an editor.
void play(GrobEditor &e, const QString &script)
{
    for (const QString &step : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList parts = step.trimmed().split(QLatin1Char(' '));
        const QString verb = parts[0];
        QPoint at;
        if (parts.size() > 1)
            at = QPoint(parts[1].section(',', 0, 0).toInt(), parts[1].section(',', 1, 1).toInt());
        if (verb == "press")
            e.press(at, Qt::LeftButton);
        else if (verb == "rpress")
            e.press(at, Qt::RightButton);
        else if (verb == "move")
            e.move(at);
        else if (verb == "release")
            e.release(Qt::LeftButton);
        else if (verb == "rrelease")
            e.release(Qt::RightButton);
        else if (verb == "line")
            e.shapeCommand(Shape::Line);
        else if (verb == "rect")
            e.shapeCommand(Shape::Rectangle);
        else if (verb == "circle")
            e.shapeCommand(Shape::Circle);
        else if (verb == "space")
            e.toggle(at);
        else if (verb == "esc")
            e.escape();
        else
            QFAIL(qPrintable("unknown step " + verb));
    }
}

} // namespace

class TestGrobEditor : public QObject
{
    Q_OBJECT

private slots:
    void aNewEditorHoldsAClearScreen()
    {
        GrobEditor e;
        QCOMPARE(e.width(), 131);
        QCOMPARE(e.height(), 80);
        QCOMPARE(darkCount(e.picture()), 0);
        QCOMPARE(e.fileName(), QString("Sin nombre"));
        QVERIFY(e.isUntitled());
        QVERIFY(!e.isModified());
        QVERIFY(!e.shapeMode());
    }

    void drawing_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("dark");
        QTest::addColumn<bool>("shapeMode");
        QTest::addColumn<QString>("checked"); // line, rectangle, circle
        QTest::newRow("a click toggles one pixel") << "press 3,3; release" << 1 << false << "---";
        QTest::newRow("a second click on it clears it again")
            << "press 3,3; release; press 3,3; release" << 0 << false << "---";
        QTest::newRow("dragging toggles each new cell once")
            << "press 1,1; move 2,1; move 2,1; move 3,1; release" << 3 << false << "---";
        QTest::newRow("coming back to an earlier cell toggles it again")
            << "press 1,1; move 2,1; move 1,1; release" << 1 << false << "---";
        QTest::newRow("the right button does not draw") << "rpress 1,1; move 2,1; rrelease" << 0 << false << "---";
        QTest::newRow("moves without a button do nothing") << "move 1,1; move 2,2" << 0 << false << "---";
        QTest::newRow("Space toggles the selected cell") << "space 4,4; space 5,5; space 4,4" << 1 << false << "---";
        QTest::newRow("Line switches shape mode on with its check mark") << "line" << 0 << true << "x--";
        QTest::newRow("Line twice leaves freehand drawing") << "line; line" << 0 << false << "---";
        QTest::newRow("Line then Rectangle also leaves it off, with both checked")
            << "line; rect" << 0 << false << "xx-";
        QTest::newRow("a vertical line of 8 cells") << "line; press 5,2; move 5,9; release" << 8 << false << "---";
        QTest::newRow("a line set over dark pixels does not clear them")
            << "press 5,4; release; line; press 5,2; move 5,9; release" << 8 << false << "---";
        QTest::newRow("the preview follows the last move only")
            << "line; press 0,0; move 0,9; move 3,0; release" << 4 << false << "---";
        QTest::newRow("a rectangle's outline") << "rect; press 1,1; move 4,3; release" << 10 << false << "---";
        QTest::newRow("a circle whose ends coincide sets one pixel")
            << "circle; press 7,7; move 7,7; release" << 1 << false << "---";
        QTest::newRow("a click with a shape tool draws the shape of one cell")
            << "rect; press 7,7; release" << 1 << false << "---";
        QTest::newRow("releasing the right button cancels the shape")
            << "line; press 0,0; move 9,0; rrelease" << 0 << false << "---";
        QTest::newRow("Esc turns shape mode off and drops the shape")
            << "line; press 0,0; move 9,0; esc; release" << 0 << false << "---";
        QTest::newRow("Esc before drawing leaves the pen") << "circle; esc; press 2,2; release" << 1 << false << "---";
        QTest::newRow("after a shape the pen draws freehand again")
            << "line; press 0,0; move 2,0; release; press 0,5; release" << 4 << false << "---";
        QTest::newRow("with both checks set, a click clears only the current one")
            << "line; rect; press 1,1; release" << 1 << false << "x--";
        QTest::newRow("shape points beyond the picture are not set")
            << "line; press 129,79; move 140,90; release" << 1 << false << "---";
        QTest::newRow("a stroke outside the picture draws nothing")
            << "press 200,3; move 201,3; release" << 0 << false << "---";
    }
    void drawing()
    {
        QFETCH(QString, script);
        QFETCH(int, dark);
        QFETCH(bool, shapeMode);
        QFETCH(QString, checked);
        GrobEditor e;
        play(e, script);
        QCOMPARE(darkCount(e.picture()), dark);
        QCOMPARE(e.shapeMode(), shapeMode);
        const QString marks = QString(e.isChecked(Shape::Line) ? "x" : "-") + (e.isChecked(Shape::Rectangle) ? "x" : "-")
                              + (e.isChecked(Shape::Circle) ? "x" : "-");
        QCOMPARE(marks, checked);
        QVERIFY(e.preview().isEmpty() || e.isMouseDown());
    }

    void thePreviewIsShownWhileDragging()
    {
        GrobEditor e;
        QSignalSpy previews(&e, &GrobEditor::previewChanged);
        play(e, "rect; press 1,1; move 3,3");
        QVERIFY(previews.count() >= 2);
        QCOMPARE(e.preview().size(), 12); // 8 distinct cells, the corners twice
        QCOMPARE(darkCount(e.picture()), 0);
        e.release(Qt::LeftButton);
        QVERIFY(e.preview().isEmpty());
        QCOMPARE(darkCount(e.picture()), 8);
    }

    void aStrokeIsOneUndoStep()
    {
        GrobEditor e;
        play(e, "press 1,1; move 2,1; move 3,1; release; press 1,5; release");
        QCOMPARE(e.undoStack()->count(), 2);
        e.undoStack()->undo();
        QCOMPARE(darkCount(e.picture()), 3);
        e.undoStack()->undo();
        QCOMPARE(darkCount(e.picture()), 0);
        QVERIFY(!e.isModified());
        e.undoStack()->redo();
        QCOMPARE(darkCount(e.picture()), 3);
        QVERIFY(e.isModified());
    }

    void shapesTogglesAndResizesAreUndone()
    {
        GrobEditor e;
        play(e, "circle; press 20,20; move 25,20; release; space 0,0");
        const TGrob drawn = e.picture();
        e.resize(10, 10);
        e.resize(9, 10);
        e.resize(8, 12);
        QCOMPARE(e.undoStack()->count(), 3); // the run of resizes is one step
        e.undoStack()->undo();
        QCOMPARE(e.picture(), drawn);
        e.undoStack()->undo();
        QCOMPARE(darkCount(e.picture()), darkCount(drawn) - 1);
        e.undoStack()->undo();
        QCOMPARE(darkCount(e.picture()), 0);
        e.undoStack()->redo();
        e.undoStack()->redo();
        e.undoStack()->redo();
        QCOMPARE(e.width(), 8);
        QCOMPARE(e.height(), 12);
    }

    void resizingSignalsTheNewSizeAndMarksTheChange()
    {
        GrobEditor e;
        QSignalSpy sizes(&e, &GrobEditor::sizeChanged);
        e.resize(131, 80);
        QCOMPARE(sizes.count(), 0);
        e.resize(20, 80);
        QCOMPARE(sizes.count(), 1);
        QCOMPARE(sizes.last().at(0).toInt(), 20);
        // A smaller picture that is then closed unasked would be lost.
        QVERIFY(e.isModified());
        e.resize(131, 80);
        QVERIFY(!e.isModified()); // back where it was: the run of resizes cancelled itself
    }

    void typingASizeKeepsThePixelsOfTheSizesTypedOnTheWay()
    {
        GrobEditor e;
        play(e, "press 40,3; release");
        e.resize(5, 80);  // "5" of "50"
        e.resize(50, 80);
        QVERIFY(e.picture().pixel(40, 3));
        // Drawing ends the run: the next one starts from the picture as it is.
        e.resize(5, 80);
        play(e, "space 0,0");
        e.resize(50, 80);
        QVERIFY(!e.picture().pixel(40, 3));
        QVERIFY(e.picture().pixel(0, 0));
    }

    void savingMarksTheCleanPoint()
    {
        GrobEditor e;
        QSignalSpy modified(&e, &GrobEditor::modifiedChanged);
        play(e, "press 1,1; release");
        QVERIFY(e.isModified());
        e.markSaved("/tmp/x.grb");
        QVERIFY(!e.isModified());
        QCOMPARE(e.fileName(), QString("/tmp/x.grb"));
        e.undoStack()->undo();
        QVERIFY(e.isModified());
        QCOMPARE(modified.count(), 3);
    }

    void theModifiedFlagIsSetWhileAStrokeIsDrawn()
    {
        GrobEditor e;
        e.press(QPoint(1, 1), Qt::LeftButton);
        QVERIFY(e.isModified());
        e.release(Qt::LeftButton);
        QVERIFY(e.isModified());
    }

    void newAndOpen()
    {
        GrobEditor e;
        play(e, "press 1,1; release");
        e.resize(40, 40);
        e.newPicture();
        QCOMPARE(e.width(), 131);
        QCOMPARE(darkCount(e.picture()), 0);
        QVERIFY(!e.isModified());
        QVERIFY(!e.undoStack()->canUndo());

        TGrob g = TGrob::blank(3, 2);
        g.setPixel(2, 1, true);
        QVERIFY(e.openPicture(g, "/tmp/a.grb"));
        QCOMPARE(e.picture(), g);
        QCOMPARE(e.fileName(), QString("/tmp/a.grb"));
        QVERIFY(!e.isModified());
        QVERIFY(!e.undoStack()->canUndo());
    }

    void aPictureTheEditorCannotHoldIsRefused()
    {
        GrobEditor e;
        play(e, "press 1,1; release");
        const TGrob before = e.picture();
        QVERIFY(!e.openPicture(TGrob::blank(1001, 5), "/tmp/big.grb"));
        QVERIFY(!e.openPicture(TGrob(), "/tmp/empty.grb"));
        QCOMPARE(e.picture(), before);
        QVERIFY(e.isUntitled());
        QVERIFY(e.isModified());
    }

    void anImportedPictureIsOneStep()
    {
        GrobEditor e;
        TGrob g = TGrob::blank(16, 16);
        g.setPixel(3, 3, true);
        e.replacePicture(g);
        QCOMPARE(e.picture(), g);
        QVERIFY(e.isModified());
        e.undoStack()->undo();
        QCOMPARE(e.width(), 131);
    }
};

QTEST_GUILESS_MAIN(TestGrobEditor)
#include "tst_grobeditor.moc"
