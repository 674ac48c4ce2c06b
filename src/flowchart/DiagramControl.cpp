#include "flowchart/DiagramControl.h"

#include "flowchart/DiagramPaint.h"
#include "flowchart/DiagramUndo.h"
#include "shell/AppDialogs.h"
#include "shell/Globals.h"
#include "shell/TextIds.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

TDiagramControl::TDiagramControl(TDiagram &diagram, QWidget *parent)
    : QWidget(parent)
    , m_diagram(diagram)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(sizeHint());
    connect(&diagram, &TDiagram::changed, this, qOverload<>(&QWidget::update));
    connect(&diagram, &TDiagram::shapeRemoved, this, &TDiagramControl::ShapeGone);
}

int TDiagramControl::Snap(int value)
{
    // nearbyint rounds halves to the even neighbour in the default mode.
    return static_cast<int>(std::nearbyint(value / double(Grid))) * Grid;
}

QSize TDiagramControl::sizeHint() const
{
    return QSize(qCeil(CanvasWidth * m_zoom), qCeil(CanvasHeight * m_zoom));
}

void TDiagramControl::SetZoom(double zoom)
{
    zoom = qBound(0.25, zoom, 4.0);
    if (qFuzzyCompare(zoom, m_zoom))
        return;
    m_zoom = zoom;
    setFixedSize(sizeHint());
    update();
}

QPoint TDiagramControl::ToCanvas(const QPoint &p) const
{
    return QPoint(qFloor(p.x() / m_zoom), qFloor(p.y() / m_zoom));
}

QPoint TDiagramControl::ToWidget(const QPoint &p) const
{
    return QPoint(qRound(p.x() * m_zoom), qRound(p.y() * m_zoom));
}

// ---------------------------------------------------------------- state

void TDiagramControl::SetPendingKind(int kind)
{
    m_pendingKind = IsShapeKind(kind) ? kind : 0;
    emit editStateChanged();
}

void TDiagramControl::StartConnect()
{
    m_connect = ConnectSource;
    m_connectSource = nullptr;
    setCursor(Qt::UpArrowCursor);
    emit editStateChanged();
}

void TDiagramControl::EndConnect()
{
    m_connect = ConnectOff;
    m_connectSource = nullptr;
    unsetCursor();
}

void TDiagramControl::CancelModes()
{
    EndConnect();
    m_pendingKind = 0;
    emit editStateChanged();
}

void TDiagramControl::SetModified(bool value)
{
    if (m_modified == value)
        return;
    m_modified = value;
    emit editStateChanged();
}

void TDiagramControl::ShapeGone(TShapeCustomControl *shape)
{
    if (m_pressed == shape) {
        m_pressed = nullptr;
        m_drag = Drag::None;
        m_outline = QRect();
    }
    if (m_connectSource == shape) {
        EndConnect();
        emit editStateChanged();
    }
}

void TDiagramControl::Edit(const QString &text, const std::function<void()> &change)
{
    RecordEdit(m_undo, m_diagram, text, change);
}

TShapeCustomControl *TDiagramControl::PlaceShape(ShapeKind kind, const QString &name, const QString &caption,
                                                 int left, int top, int width, int height)
{
    std::unique_ptr<TShapeCustomControl> shape = CreateShape(kind);
    shape->SetCaption(caption);
    shape->SetBounds(left, top, width > 0 ? width : shape->Width(), height > 0 ? height : shape->Height());
    shape->Name = name.isEmpty() ? m_diagram.UniqueName(QStringLiteral("Control")) : name;
    TShapeCustomControl *placed = m_diagram.AddShape(std::move(shape));
    m_diagram.SetState(nullptr);
    m_pendingKind = 0;
    emit editStateChanged();
    return placed;
}

TShapeCustomControl *TDiagramControl::ShapeAt(const QPoint &point) const
{
    const auto &shapes = m_diagram.Shapes();
    for (auto it = shapes.rbegin(); it != shapes.rend(); ++it)
        if ((*it)->Bounds().contains(point))
            return *it;
    return nullptr;
}

// --------------------------------------------------------------- clicks

void TDiagramControl::CanvasClick(const QPoint &point)
{
    if (m_connect != ConnectOff) {
        ShowAppMessage(Message(MsgConnectClickBlock), QMessageBox::Critical);
        return;
    }
    m_diagram.DeselectAll();
    if (m_pendingKind) {
        const auto kind = static_cast<ShapeKind>(m_pendingKind);
        Edit(QStringLiteral("place"), [&] { PlaceShape(kind, QString(), QString(), Snap(point.x()), Snap(point.y())); });
        m_modified = true;
    }
    emit editStateChanged();
}

void TDiagramControl::ShapeClick(TShapeCustomControl *shape, const QPoint &point)
{
    m_modified = true;
    if (m_pendingKind) {
        CanvasClick(point);
        return;
    }
    if ((m_connect == ConnectSource && shape->Kind() == ShapeKind::Stop)
        || (m_connect > ConnectSource && shape == m_connectSource)) {
        ShowAppMessage(Message(MsgConnectionImpossible), QMessageBox::Critical);
        emit editStateChanged();
        return;
    }
    try {
        Connect(shape);
    } catch (const TFlowError &e) {
        ShowAppMessage(e.message(), QMessageBox::Critical);
    }
    emit editStateChanged();
}

void TDiagramControl::Connect(TShapeCustomControl *shape)
{
    TShapeCustomControl *source = m_connectSource;
    switch (m_connect) {
    case ConnectSource:
        m_connectSource = shape;
        m_connect = dynamic_cast<TShapeDecision *>(shape) ? ConnectTrue
                    : shape->Kind() == ShapeKind::Link    ? ConnectLink
                                                          : ConnectDefault;
        break;
    case ConnectDefault:
        Edit(QStringLiteral("connect"),
             [&] { static_cast<TShapeNode *>(source)->SetDefaultTransition(shape); });
        EndConnect();
        break;
    case ConnectTrue:
        Edit(QStringLiteral("connect"), [&] { static_cast<TShapeDecision *>(source)->SetTrueState(shape); });
        m_connect = ConnectFalse; // the next click names the false way
        break;
    case ConnectLink: {
        auto *link = static_cast<TShapeLink *>(source);
        // The direction first (it clears the destination), then the
        // destination, whose setter settles the direction for good.
        EndConnect();
        Edit(QStringLiteral("connect"), [&] {
            if (auto *other = dynamic_cast<TShapeLink *>(shape)) {
                other->SetDirection(ldIncoming);
                link->SetDirection(ldOutgoing);
            } else {
                link->SetDirection(ldIncoming);
            }
            link->SetDestination(shape);
        });
        break;
    }
    case ConnectFalse:
        Edit(QStringLiteral("connect"), [&] { static_cast<TShapeDecision *>(source)->SetFalseState(shape); });
        EndConnect();
        break;
    default: break;
    }
}

// ---------------------------------------------------------------- mouse

void TDiagramControl::mousePressEvent(QMouseEvent *event)
{
    const QPoint point = ToCanvas(event->position().toPoint());
    m_doubleClick = false;
    m_drag = Drag::None;
    m_pressed = ShapeAt(point);
    if (!m_pressed)
        return;
    m_diagram.BringToFront(m_pressed);
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint local = point - m_pressed->Bounds().topLeft();
    const auto *sizeable = dynamic_cast<TShapeSizeableControl *>(m_pressed);
    const int handle = sizeable && m_pressed->Selected() ? sizeable->HandleAt(local) : TShapeSizeableControl::NoHandle;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (handle != TShapeSizeableControl::NoHandle && !shift) {
        m_drag = Drag::Resize;
        m_handle = handle;
        m_start = point;
    } else {
        if (!shift)
            for (TShapeCustomControl *s : m_diagram.Shapes())
                if (s != m_pressed)
                    s->SetSelected(false);
        m_pressed->SetSelected(true);
        m_drag = Drag::Move;
        m_grab = local;
    }
    m_outline = QRect();
}

QRect TDiagramControl::ResizeOutline(const QPoint &point) const
{
    const QRect b = m_pressed->Bounds();
    const int dx = point.x() - m_start.x(), dy = point.y() - m_start.y();
    int left = b.left(), top = b.top();
    int right = b.left() + b.width(), bottom = b.top() + b.height();
    const int h = m_handle;
    if ((h == 0 || h == 3 || h == 5) && left + dx >= 0 && b.width() - dx > TShapeCustomControl::MinSize)
        left += dx;
    if ((h == 0 || h == 1 || h == 2) && top + dy >= 0 && b.height() - dy > TShapeCustomControl::MinSize)
        top += dy;
    if (h == 2 || h == 4 || h == 7)
        right += dx;
    if (h == 5 || h == 6 || h == 7)
        bottom += dy;
    left = Snap(left);
    top = Snap(top);
    right = Snap(right) + 1;
    bottom = Snap(bottom) + 1;
    return QRect(left, top, right - left, bottom - top);
}

void TDiagramControl::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint point = ToCanvas(event->position().toPoint());
    if (m_pressed && (event->buttons() & Qt::LeftButton)) {
        if (m_drag == Drag::Move) {
            const QPoint at(Snap(point.x() - m_grab.x()), Snap(point.y() - m_grab.y()));
            m_outline = QRect(at, m_pressed->Bounds().size());
            update();
        } else if (m_drag == Drag::Resize) {
            m_outline = ResizeOutline(point);
            update();
        }
        return;
    }
    if (m_connect != ConnectOff)
        return;
    // Over a selected shape's handle: the cursor of that handle.
    static const Qt::CursorShape cursors[8] = {Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor,
                                               Qt::SizeHorCursor,   Qt::SizeHorCursor, Qt::SizeBDiagCursor,
                                               Qt::SizeVerCursor,   Qt::SizeFDiagCursor};
    TShapeCustomControl *shape = ShapeAt(point);
    const auto *sizeable = dynamic_cast<TShapeSizeableControl *>(shape);
    const int handle = sizeable && shape->Selected() && shape->Selectable
                           ? sizeable->HandleAt(point - shape->Bounds().topLeft())
                           : TShapeSizeableControl::NoHandle;
    if (handle == TShapeSizeableControl::NoHandle)
        unsetCursor();
    else
        setCursor(cursors[handle]);
}

void TDiagramControl::FinishMove(const QPoint &point)
{
    const QPoint local = point - m_pressed->Bounds().topLeft();
    const int dx = Snap(local.x() - m_grab.x()), dy = Snap(local.y() - m_grab.y());
    if (dx == 0 && dy == 0)
        return;
    const QList<TShapeCustomControl *> selected = m_diagram.SelectedShapes();
    for (const TShapeCustomControl *s : selected) {
        const int left = s->Left() + dx, top = s->Top() + dy;
        if (left < 0 || top < 0 || left + s->Width() - 1 >= CanvasWidth || top + s->Height() - 1 >= CanvasHeight)
            return; // all or nothing
    }
    Edit(QStringLiteral("move"), [&] {
        for (TShapeCustomControl *s : selected)
            s->SetBounds(s->Left() + dx, s->Top() + dy, s->Width(), s->Height());
    });
}

void TDiagramControl::RaiseCoveredShapes(TShapeCustomControl *shape)
{
    // A shape that lies wholly on the released one shows in front of it.
    const QRect r = shape->Bounds();
    for (TShapeCustomControl *other : std::vector<TShapeCustomControl *>(m_diagram.Shapes()))
        if (other != shape && other->Selectable && r.contains(other->Bounds().topLeft())
            && r.contains(other->Bounds().bottomRight()))
            m_diagram.BringToFront(other);
}

void TDiagramControl::FinishResize()
{
    if (m_outline.isNull())
        return;
    const QRect r = m_outline;
    Edit(QStringLiteral("resize"), [&] { m_pressed->SetBounds(r.left(), r.top(), r.width(), r.height()); });
}

void TDiagramControl::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint point = ToCanvas(event->position().toPoint());
    if (m_doubleClick) {
        m_doubleClick = false;
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    TShapeCustomControl *pressed = m_pressed;
    const Drag drag = m_drag;
    if (!pressed) {
        CanvasClick(point);
    } else {
        if (drag == Drag::Move)
            FinishMove(point);
        else if (drag == Drag::Resize)
            FinishResize();
        m_drag = Drag::None;
        m_outline = QRect();
        update();
        if (m_pressed) { // still there
            RaiseCoveredShapes(pressed);
            ShapeClick(pressed, point);
        }
    }
    m_pressed = nullptr;
    m_drag = Drag::None;
}

void TDiagramControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_doubleClick = true;
    m_drag = Drag::None;
    if (event->button() != Qt::LeftButton)
        return;
    if (TShapeCustomControl *shape = ShapeAt(ToCanvas(event->position().toPoint())))
        emit editRequested(shape);
}

void TDiagramControl::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier) || event->angleDelta().y() == 0) {
        event->ignore(); // the scroll area scrolls
        return;
    }
    emit zoomRequested(event->angleDelta().y() > 0 ? m_zoom * 1.25 : m_zoom / 1.25);
    event->accept();
}

void TDiagramControl::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), Qt::white);
    p.scale(m_zoom, m_zoom);
    DiagramPaint::PaintDiagram(p, m_diagram, true);
    if (!m_outline.isNull()) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(DiagramPaint::Shadow, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(m_outline.adjusted(0, 0, -1, -1));
    }
}
