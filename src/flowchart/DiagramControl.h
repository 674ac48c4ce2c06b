#pragma once

#include "flowchart/DiagramBuilder.h"

#include <QPointer>
#include <QWidget>

class QUndoStack;

// The canvas of the flowchart builder: a painted widget of 2500 x 5000 canvas
// pixels (inside the builder's scroll area) over one TDiagram, which stays the
// truth. It paints the model (DiagramPaint) and turns the mouse into edits:
// placing the pending kind on the 8-pixel grid, selecting (Shift adds),
// moving with a dotted outline (all selected shapes or none), resizing by the
// handles, and the clicks of connect mode. A plain painted widget rather than
// a graphics scene: the shapes, routes and hit rules are the model's own, so
// there is nothing for scene items to add but a second copy of the state.
//
// Every edit goes through the undo stack when one is given. Zoom scales the
// painting and the mouse; the model keeps unscaled pixels.
class TDiagramControl : public QWidget
{
    Q_OBJECT
public:
    static constexpr int CanvasWidth = 2500;
    static constexpr int CanvasHeight = 5000;
    static constexpr int Grid = 8;

    enum ConnectMode {
        ConnectOff = 0,
        ConnectSource = 1,  // waiting for the source
        ConnectDefault = 2, // a node's DefaultTransition
        ConnectTrue = 3,    // a condition's or loop's TrueState
        ConnectLink = 4,    // a link's Destination
        ConnectFalse = 5,   // FalseState
    };

    explicit TDiagramControl(TDiagram &diagram, QWidget *parent = nullptr);

    TDiagram &Diagram() const { return m_diagram; }
    void SetUndoStack(QUndoStack *stack) { m_undo = stack; }

    // A value on the grid: the nearest multiple of 8, halves to the even one.
    static int Snap(int value);

    // -------------------------------------------------------- editing state
    int PendingKind() const { return m_pendingKind; }
    void SetPendingKind(int kind);
    int ConnectState() const { return m_connect; }
    TShapeCustomControl *ConnectSourceShape() const { return m_connectSource; }
    // Connect command (F3): waiting for the source.
    void StartConnect();
    // Esc: connect mode and the pending kind end.
    void CancelModes();
    bool Modified() const { return m_modified; }
    void SetModified(bool value);

    // A new shape of kind at left, top (a width or height of 0 keeps the
    // default), named "Control" + a number when name is empty. The pending
    // kind ends and the run State is none.
    TShapeCustomControl *PlaceShape(ShapeKind kind, const QString &name, const QString &caption, int left,
                                    int top, int width = 0, int height = 0);

    // What a click on the empty canvas and on a shape do (the mouse calls
    // these; tests may too). Points are in canvas pixels.
    void CanvasClick(const QPoint &point);
    void ShapeClick(TShapeCustomControl *shape, const QPoint &point);

    // The topmost shape at a canvas point, or none.
    TShapeCustomControl *ShapeAt(const QPoint &point) const;

    // Canvas pixels <-> widget pixels.
    double Zoom() const { return m_zoom; }
    void SetZoom(double zoom);
    QPoint ToCanvas(const QPoint &widgetPoint) const;
    QPoint ToWidget(const QPoint &canvasPoint) const;

    // The outline of a move or resize in progress (canvas pixels), or empty.
    QRect Outline() const { return m_outline; }

    QSize sizeHint() const override;

signals:
    // Something the title or the command states show changed.
    void editStateChanged();
    // Double-click on a shape: the builder opens the instruction editor.
    void editRequested(TShapeCustomControl *shape);
    // Ctrl+wheel asked for another zoom.
    void zoomRequested(double zoom);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    enum class Drag { None, Move, Resize };

    void Edit(const QString &text, const std::function<void()> &change);
    void Connect(TShapeCustomControl *shape);
    void EndConnect();
    void FinishMove(const QPoint &point);
    void FinishResize();
    void RaiseCoveredShapes(TShapeCustomControl *shape);
    QRect ResizeOutline(const QPoint &point) const;
    void ShapeGone(TShapeCustomControl *shape);

    TDiagram &m_diagram;
    QUndoStack *m_undo = nullptr;
    double m_zoom = 1.0;

    int m_pendingKind = 0;
    int m_connect = ConnectOff;
    TShapeCustomControl *m_connectSource = nullptr;
    bool m_modified = false;

    Drag m_drag = Drag::None;
    TShapeCustomControl *m_pressed = nullptr; // the shape under the press
    QPoint m_grab;                            // press point inside the shape
    QPoint m_start;                           // press point on the canvas
    int m_handle = TShapeSizeableControl::NoHandle;
    QRect m_outline;
    bool m_doubleClick = false;
};
