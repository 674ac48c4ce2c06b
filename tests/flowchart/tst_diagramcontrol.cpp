// The canvas: how each kind is painted, the grid, and the mouse gestures of
// editing (placing, connecting with its messages, moving all or nothing,
// resizing onto the grid), each undone and redone.
#include "FlowchartSketch.h"

#include "flowchart/DiagramControl.h"
#include "flowchart/DiagramPaint.h"
#include "flowchart/DiagramUndo.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/ScriptedDialogs.h"
#include "shell/TextIds.h"

#include <QApplication>
#include <QPainter>
#include <QWheelEvent>
#include <QUndoStack>
#include <QtTest>

namespace {

QImage render(TDiagram &d, const QSize &size = QSize(300, 300))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    DiagramPaint::PaintDiagram(p, d, true);
    return image;
}

bool hasColour(const QImage &image, const QRect &area, const QColor &colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

// A canvas with its own diagram and undo stack, shown so that it gets mouse
// events as a user's would.
struct Canvas
{
    TDiagram diagram;
    QUndoStack undo;
    TDiagramControl control{diagram};

    Canvas()
    {
        control.SetUndoStack(&undo);
        control.resize(600, 600);
        control.show();
    }
    void click(const QPoint &p, Qt::KeyboardModifiers m = {})
    {
        QTest::mouseClick(&control, Qt::LeftButton, m, p);
    }
    void drag(const QPoint &from, const QPoint &to, Qt::KeyboardModifiers m = {})
    {
        QTest::mousePress(&control, Qt::LeftButton, m, from);
        QTest::mouseMove(&control, to);
        QTest::mouseRelease(&control, Qt::LeftButton, m, to);
    }
    TShapeCustomControl *place(ShapeKind kind, int left, int top)
    {
        return control.PlaceShape(kind, QString(), QStringLiteral("x"), left, top);
    }
};

} // namespace

class TestDiagramControl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallBuiltInMessagesAndLabels(); }

    void snapsToTheGrid_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("snapped");
        QTest::newRow("on the grid") << 16 << 16;
        QTest::newRow("a half goes to the even neighbour, down") << 4 << 0;
        QTest::newRow("a half goes to the even neighbour, up") << 12 << 16;
        QTest::newRow("20 is 2.5 grids: down to 16") << 20 << 16;
        QTest::newRow("below a half") << 99 << 96;
        QTest::newRow("above a half") << 101 << 104;
    }
    void snapsToTheGrid()
    {
        QFETCH(int, value);
        QFETCH(int, snapped);
        QCOMPARE(TDiagramControl::Snap(value), snapped);
    }

    void paintsTheMeaningOfEachShape()
    {
        TDiagram d;
        QVERIFY(buildSketch(d, "s start [INICIO] -> c; c cond [x>1] -> t, f; t action [A] -> f; f stop [FIN]"));
        auto *start = d.FindShape("s"), *cond = d.FindShape("c"), *action = d.FindShape("t");
        start->SetBounds(16, 8, 65, 33);
        cond->SetBounds(16, 80, 81, 41);
        action->SetBounds(200, 80, 81, 33);
        d.FindShape("f")->SetBounds(16, 200, 65, 33);
        // Handlers as the builder binds them; the Action is left without one.
        static_cast<TShapeNode *>(start)->OnEnterState = [](TShapeNode &) {};
        static_cast<TShapeDecision *>(cond)->OnEnterState = [](TShapeDecision &, bool &) {};
        d.SetState(start);
        cond->SetSelected(true);
        const QImage image = render(d);

        // The active Start: the green fill, a green frame and shadow grey.
        QCOMPARE(image.pixelColor(start->Bounds().center()), DiagramPaint::ActiveFill);
        QVERIFY(hasColour(image, QRect(16, 8, 3, 33), DiagramPaint::StartFrame));
        QVERIFY(hasColour(image, QRect(200 + 79, 80 + 4, 2, 20), DiagramPaint::Shadow));
        // The condition: white inside, its handles black in the corners.
        QCOMPARE(image.pixelColor(cond->Left() + 12, cond->Top() + 20), QColor(Qt::white));
        QCOMPARE(image.pixelColor(cond->Left() + 1, cond->Top() + 1), QColor(Qt::black));
        QCOMPARE(image.pixelColor(cond->Left() + 79, cond->Top() + 39), QColor(Qt::black));
        // The true arrow green (to the right), the false arrow red (down).
        QVERIFY(hasColour(image, QRect(98, 95, 100, 10), DiagramPaint::TrueArrow));
        QVERIFY(hasColour(image, QRect(50, 122, 10, 76), DiagramPaint::FalseArrow));
        // A block without a handler writes grey; with one, black or green.
        QCOMPARE(DiagramPaint::CaptionColour(*action), DiagramPaint::NoHandlerText);
        QCOMPARE(DiagramPaint::CaptionColour(*cond), QColor(Qt::black));
        QCOMPARE(DiagramPaint::CaptionColour(*start), DiagramPaint::ActiveText);
        QVERIFY(hasColour(image, action->Bounds(), DiagramPaint::NoHandlerText));
        // Active without a handler: the green fill, the grey text.
        d.SetState(action);
        QCOMPARE(render(d).pixelColor(action->Left() + 3, action->Top() + 3), DiagramPaint::ActiveFill);
        QCOMPARE(DiagramPaint::CaptionColour(*action), DiagramPaint::NoHandlerText);
    }

    void placesThePendingKindOnTheGrid()
    {
        Canvas c;
        c.control.SetPendingKind(int(ShapeKind::Condition));
        c.click(QPoint(21, 13));
        QCOMPARE(c.diagram.ShapeCount(), 1);
        TShapeCustomControl *s = c.diagram.Shapes()[0];
        QCOMPARE(s->Kind(), ShapeKind::Condition);
        QCOMPARE(s->Bounds(), QRect(24, 16, 81, 41));
        QVERIFY(s->Name.startsWith("Control"));
        QCOMPARE(c.control.PendingKind(), 0);
        QVERIFY(c.control.Modified());
        QCOMPARE(c.diagram.State(), nullptr);
        // A second click places nothing more.
        c.click(QPoint(300, 300));
        QCOMPARE(c.diagram.ShapeCount(), 1);
        c.undo.undo();
        QCOMPARE(c.diagram.ShapeCount(), 0);
        c.undo.redo();
        QCOMPARE(c.diagram.ShapeCount(), 1);
        QCOMPARE(c.diagram.Shapes()[0]->Bounds(), QRect(24, 16, 81, 41));
    }

    void connectModeSaysWhatIsWrong()
    {
        ScriptedDialogs dialogs;
        Canvas c;
        TShapeCustomControl *a = c.place(ShapeKind::Action, 16, 16);
        TShapeCustomControl *e = c.place(ShapeKind::Stop, 16, 96);
        c.control.StartConnect();
        // The empty canvas, even with a kind pending: Message18, nothing placed.
        c.control.SetPendingKind(int(ShapeKind::Read));
        c.control.CanvasClick(QPoint(300, 300));
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].text, Message(MsgConnectClickBlock));
        QCOMPARE(c.diagram.ShapeCount(), 2);
        c.control.SetPendingKind(0);
        // From an End block: Message19.
        c.click(e->Bounds().center());
        QCOMPARE(dialogs.messages.size(), 2);
        QCOMPARE(dialogs.messages[1].text, Message(MsgConnectionImpossible));
        // The source clicked again while its target is awaited: Message19.
        c.click(a->Bounds().center());
        QCOMPARE(c.control.ConnectState(), int(TDiagramControl::ConnectDefault));
        c.click(a->Bounds().center());
        QCOMPARE(dialogs.messages.size(), 3);
        QCOMPARE(dialogs.messages[2].text, Message(MsgConnectionImpossible));
        c.click(e->Bounds().center());
        QCOMPARE(static_cast<TShapeNode *>(a)->DefaultTransition(), e);
        QCOMPARE(c.control.ConnectState(), int(TDiagramControl::ConnectOff));
        const QString name = a->Name; // undo makes the shapes anew
        c.undo.undo();
        QCOMPARE(static_cast<TShapeNode *>(c.diagram.FindShape(name))->DefaultTransition(), nullptr);
    }

    void aConditionConnectsInTwoClicks()
    {
        Canvas c;
        auto *cond = static_cast<TShapeDecision *>(c.place(ShapeKind::Condition, 16, 16));
        TShapeCustomControl *yes = c.place(ShapeKind::Action, 200, 16);
        TShapeCustomControl *no = c.place(ShapeKind::Action, 16, 200);
        c.control.StartConnect();
        c.click(cond->Bounds().center());
        QCOMPARE(c.control.ConnectState(), int(TDiagramControl::ConnectTrue));
        c.click(yes->Bounds().center());
        QCOMPARE(cond->TrueState(), yes);
        QCOMPARE(c.control.ConnectState(), int(TDiagramControl::ConnectFalse));
        // Esc between the two leaves the true way and no false one.
        c.control.CancelModes();
        QCOMPARE(cond->TrueState(), yes);
        QCOMPARE(cond->FalseState(), nullptr);
        c.control.StartConnect();
        c.click(cond->Bounds().center());
        c.click(no->Bounds().center());
        c.click(yes->Bounds().center());
        QCOMPARE(cond->TrueState(), no);
        QCOMPARE(cond->FalseState(), yes);
    }

    void twoConnectorsMakeAJump()
    {
        Canvas c;
        auto *a = static_cast<TShapeLink *>(c.place(ShapeKind::Link, 16, 16));
        auto *b = static_cast<TShapeLink *>(c.place(ShapeKind::Link, 200, 200));
        TShapeCustomControl *node = c.place(ShapeKind::Action, 300, 300);
        c.control.StartConnect();
        c.click(a->Bounds().center());
        QCOMPARE(c.control.ConnectState(), int(TDiagramControl::ConnectLink));
        c.click(b->Bounds().center());
        c.control.StartConnect();
        c.click(b->Bounds().center());
        c.click(node->Bounds().center());
        QCOMPARE(a->Destination(), b);
        QCOMPARE(a->Direction(), ldOutgoing);
        QCOMPARE(b->Destination(), node);
        QCOMPARE(b->Direction(), ldIncoming);
    }

    void movesAllSelectedOrNone()
    {
        Canvas c;
        TShapeCustomControl *a = c.place(ShapeKind::Action, 16, 16);
        TShapeCustomControl *b = c.place(ShapeKind::Action, 200, 16);
        c.click(a->Bounds().center());
        c.click(b->Bounds().center(), Qt::ShiftModifier);
        QCOMPARE(c.diagram.SelectedShapes().size(), 2);
        // 40 right and 32 down; Shift keeps the other one selected.
        c.drag(b->Bounds().center(), b->Bounds().center() + QPoint(40, 32), Qt::ShiftModifier);
        QCOMPARE(a->Bounds().topLeft(), QPoint(56, 48));
        QCOMPARE(b->Bounds().topLeft(), QPoint(240, 48));
        // a would leave the canvas on the left: neither moves.
        c.drag(b->Bounds().center(), b->Bounds().center() + QPoint(-64, 0), Qt::ShiftModifier);
        QCOMPARE(a->Bounds().topLeft(), QPoint(56, 48));
        QCOMPARE(b->Bounds().topLeft(), QPoint(240, 48));
        const QString an = a->Name, bn = b->Name; // undo makes the shapes anew
        c.undo.undo();
        a = c.diagram.FindShape(an);
        b = c.diagram.FindShape(bn);
        QCOMPARE(a->Bounds().topLeft(), QPoint(16, 16));
        QCOMPARE(b->Bounds().topLeft(), QPoint(200, 16));
        // The selection comes back with the drawing.
        QCOMPARE(c.diagram.SelectedShapes().size(), 2);
        // A press without Shift leaves only the pressed shape selected.
        c.drag(a->Bounds().center(), a->Bounds().center() + QPoint(0, 80));
        a = c.diagram.FindShape(an);
        QCOMPARE(c.diagram.SelectedShapes(), QList<TShapeCustomControl *>{a});
        QCOMPARE(a->Bounds().topLeft(), QPoint(16, 96));
        QCOMPARE(c.diagram.FindShape(bn)->Bounds().topLeft(), QPoint(200, 16));
    }

    void resizesOntoTheGrid()
    {
        Canvas c;
        TShapeCustomControl *a = c.place(ShapeKind::Action, 16, 16); // right edge 97
        c.click(a->Bounds().center());
        // The right handle, dragged 4 px: the edge at 101 goes to 104, plus 1.
        const QPoint handle = a->Bounds().topLeft() + QPoint(a->Width() - 3, a->Height() / 2);
        c.drag(handle, handle + QPoint(4, 0));
        QCOMPARE(a->Left() + a->Width(), 105);
        QCOMPARE(a->Left(), 16);
        QCOMPARE(a->Height(), 33);
        const QString name = a->Name;
        c.undo.undo();
        QCOMPARE(c.diagram.FindShape(name)->Width(), 81);
    }

    void aShapeLyingOnTheClickedOneComesToTheFront()
    {
        Canvas c;
        TShapeCustomControl *small = c.place(ShapeKind::Trans, 40, 24);
        TShapeCustomControl *big = c.place(ShapeKind::Condition, 16, 16); // in front, covering it
        QCOMPARE(c.control.ShapeAt(QPoint(48, 32)), big);
        c.click(QPoint(90, 50)); // on the big one, away from the small one
        QCOMPARE(c.diagram.Shapes().back(), small);
        QCOMPARE(c.control.ShapeAt(QPoint(48, 32)), small);
    }

    void doubleClickAsksForTheEditor()
    {
        Canvas c;
        TShapeCustomControl *a = c.place(ShapeKind::Action, 16, 16);
        QSignalSpy spy(&c.control, &TDiagramControl::editRequested);
        QTest::mouseDClick(&c.control, Qt::LeftButton, {}, a->Bounds().center());
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0][0].value<TShapeCustomControl *>(), a);
    }

    void zoomKeepsCanvasPixels()
    {
        Canvas c;
        c.control.SetZoom(2.0);
        QCOMPARE(c.control.width(), 5000);
        c.control.SetPendingKind(int(ShapeKind::Action));
        c.click(QPoint(64, 32));
        QCOMPARE(c.diagram.Shapes()[0]->Bounds().topLeft(), QPoint(32, 16));
    }

    void ctrlWheelAsksForAnotherZoom()
    {
        Canvas c;
        QSignalSpy spy(&c.control, &TDiagramControl::zoomRequested);
        auto wheel = [&](int delta, Qt::KeyboardModifiers m) {
            QWheelEvent e(QPointF(10, 10), c.control.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, m, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&c.control, &e);
            return e.isAccepted();
        };
        QVERIFY(!wheel(120, {})); // a plain wheel scrolls the view instead
        QVERIFY(spy.isEmpty());
        QVERIFY(wheel(120, Qt::ControlModifier));
        QVERIFY(wheel(-120, Qt::ControlModifier));
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy[0][0].toDouble(), 1.25);
        QCOMPARE(spy[1][0].toDouble(), 0.8);
    }

    void aSnapshotRestoresLinksAndOrder()
    {
        TDiagram d;
        QVERIFY(buildSketch(d, "s start [I] -> c; c cond [x>1] -> t, e; t action [A] -> e; e stop [F]"));
        const DiagramSnapshot before = DiagramSnapshot::Take(d);
        d.RemoveShape(d.FindShape("t"));
        QVERIFY(before.RestoreInto(d));
        QCOMPARE(d.ShapeCount(), 4);
        auto *c = static_cast<TShapeDecision *>(d.FindShape("c"));
        QCOMPARE(c->TrueState(), d.FindShape("t"));
        QCOMPARE(c->FalseState(), d.FindShape("e"));
        QCOMPARE(DiagramSnapshot::Take(d), before);
    }
};

QTEST_MAIN(TestDiagramControl)
#include "tst_diagramcontrol.moc"
