#include "flowchart/DiagramBuilder.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cstdlib>

bool IsShapeKind(int code)
{
    return code >= 1 && code <= ShapeKindCount;
}

namespace {

int sign(int v)
{
    return (v > 0) - (v < 0);
}

// Right and bottom as the route counts them: one past the last pixel.
int rightOf(const QRect &r)
{
    return r.left() + r.width();
}
int bottomOf(const QRect &r)
{
    return r.top() + r.height();
}
QPoint centreOf(const QRect &r)
{
    return {r.left() + r.width() / 2, r.top() + r.height() / 2};
}

} // namespace

ConnectorRoute RouteBetween(const QRect &S, const QRect &T, int style, int offset)
{
    const QPoint sc = centreOf(S), tc = centreOf(T);
    const int dx = tc.x() - sc.x(), dy = tc.y() - sc.y();
    const int sx = sign(dx), sy = sign(dy);
    const int gapX = std::abs(dx) - (S.width() + T.width()) / 2;
    const int gapY = std::abs(dy) - (S.height() + T.height()) / 2;

    if (style != 2 && style != 3 && style != 6 && style != 7) {
        if (gapX >= 1 && gapY >= 1)
            style = 6;
        else if (dy < 0)
            style = 7;
        else if (gapY < 11 || gapY < gapX)
            style = 2;
        else
            style = 3;
    }

    ConnectorRoute r;
    QPoint *p = r.p;
    switch (style) {
    case 2:
    case 6:
        p[0] = sx > 0 ? QPoint(rightOf(S) + 1, sc.y()) : sx < 0 ? QPoint(S.left() - 1, sc.y()) : sc;
        break;
    case 3:
        p[0] = sy > 0 ? QPoint(sc.x(), bottomOf(S) + 1) : sy < 0 ? QPoint(sc.x(), S.top() - 1) : sc;
        break;
    default:
        p[0] = QPoint(sc.x(), bottomOf(S) + 1);
        break;
    }
    switch (style) {
    case 2:
        p[4] = sx > 0 ? QPoint(T.left() - 1, tc.y()) : sx < 0 ? QPoint(rightOf(T) + 1, tc.y()) : tc;
        break;
    case 3:
        p[4] = sy > 0 ? QPoint(tc.x(), T.top() - 1) : sy < 0 ? QPoint(tc.x(), bottomOf(T) + 1) : tc;
        break;
    case 6:
        p[4] = sx != 0 ? QPoint(tc.x(), T.top() - 1) : tc;
        break;
    default:
        p[4] = QPoint(T.left() - 1, tc.y());
        break;
    }
    const int h = (sx * gapX) / 2, v = (sy * gapY) / 2;
    switch (style) {
    case 2:
        p[1] = QPoint(p[0].x() + h + offset, sc.y());
        p[3] = QPoint(p[1].x(), tc.y());
        p[2] = QPoint(p[1].x(), p[1].y() + (p[3].y() - p[1].y()) / 2);
        break;
    case 3:
        p[1] = QPoint(sc.x(), p[0].y() + v + offset);
        p[3] = QPoint(tc.x(), p[1].y());
        p[2] = QPoint(p[1].x() + (p[3].x() - p[1].x()) / 2, p[1].y());
        break;
    case 6:
        p[1] = QPoint(p[0].x() + h, sc.y());
        p[3] = QPoint(p[4].x(), sc.y());
        p[2] = p[3];
        break;
    default:
        p[1] = QPoint(p[0].x(), p[0].y() + 25);
        p[3] = QPoint(p[4].x() - 81, tc.y());
        p[2] = QPoint(p[3].x(), p[1].y());
        break;
    }
    r.actualStyle = style;
    r.hitRect = QRect(p[0], p[4]).normalized().adjusted(-4, -4, 4, 4);
    return r;
}

ArrowGeometry ArrowFor(const ConnectorRoute &route, int penWidth)
{
    ArrowGeometry a;
    std::copy(std::begin(route.p), std::end(route.p), a.line);
    const QPoint tip = route.p[4];
    const int w = penWidth / 2 + 3;
    a.head[0] = tip;
    switch (route.actualStyle) {
    case 2: {
        const int f = sign(route.p[4].x() - route.p[3].x());
        a.line[4].rx() -= penWidth * f;
        a.head[1] = QPoint(tip.x() - w * f, tip.y() - w);
        a.head[2] = QPoint(tip.x() - w * f, tip.y() + w);
        break;
    }
    case 3:
    case 6: {
        const int d = sign(route.p[4].y() - route.p[3].y());
        a.line[4].ry() -= penWidth * d;
        a.head[1] = QPoint(tip.x() - w, tip.y() - w * d);
        a.head[2] = QPoint(tip.x() + w, tip.y() - w * d);
        break;
    }
    default:
        a.line[4].rx() -= penWidth;
        a.head[1] = QPoint(tip.x() - w, tip.y() - w);
        a.head[2] = QPoint(tip.x() - w, tip.y() + w);
        break;
    }
    return a;
}

// --------------------------------------------------------------- connector

TShapeConnector::TShapeConnector(TShapeCustomControl *owner)
    : m_source(owner)
{
}

void TShapeConnector::SetEnd(int which, TShapeCustomControl *shape)
{
    // The owner is always the source (OwnedEnd 0).
    if (which == 1)
        throw TFlowError(QStringLiteral("No se puede modificar el propietario del conector"));
    m_target = shape;
}

bool TShapeConnector::Route(ConnectorRoute &route)
{
    if (!m_source || !m_target)
        return false;
    route = RouteBetween(m_source->Bounds(), m_target->Bounds(), Style, Offset);
    ActualStyle = route.actualStyle;
    HitRect = route.hitRect;
    return true;
}

// ------------------------------------------------------------------ shapes

TShapeCustomControl::TShapeCustomControl() = default;
TShapeCustomControl::~TShapeCustomControl() = default;

QSize TShapeCustomControl::DefaultSize(ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::Start:
    case ShapeKind::Stop: return {65, 33};
    case ShapeKind::Write:
    case ShapeKind::Condition: return {81, 41};
    case ShapeKind::Trans: return {17, 17};
    case ShapeKind::Link: return {25, 25};
    default: return {81, 33};
    }
}

void TShapeCustomControl::SetCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    Changed();
}

void TShapeCustomControl::SetSelected(bool value)
{
    if (value == m_selected)
        return;
    m_selected = value;
    Changed();
}

void TShapeCustomControl::SetBounds(int left, int top, int width, int height)
{
    const QRect r(std::clamp(left, 0, MaxCoordinate), std::clamp(top, 0, MaxCoordinate),
                  std::clamp(width, MinSize, MaxCoordinate), std::clamp(height, MinSize, MaxCoordinate));
    if (r == m_bounds)
        return;
    m_bounds = r;
    for (const auto &c : m_connectors)
        c->Offset = 0;
    Changed();
}

TDiagram &TShapeCustomControl::RequireDiagram() const
{
    if (!m_diagram)
        throw TFlowError(QString::fromLatin1(ClassName()) + QStringLiteral(" no está conectado al flujo"));
    return *m_diagram;
}

TShapeConnector *TShapeCustomControl::ConnectorAt(const QPoint &) const
{
    return nullptr;
}

void TShapeCustomControl::SetActive(bool value)
{
    RequireDiagram().SetState(value ? this : nullptr);
}

bool TShapeCustomControl::IsActive() const
{
    return m_diagram && m_diagram->State() == this;
}

void TShapeCustomControl::CheckTransition(TShapeCustomControl *, bool)
{
}

TShapeConnector *TShapeCustomControl::AddConnector()
{
    m_connectors.push_back(std::make_unique<TShapeConnector>(this));
    return m_connectors.back().get();
}

void TShapeCustomControl::Changed()
{
    if (m_diagram)
        m_diagram->NotifyChanged();
}

QRect TShapeSizeableControl::HandleRect(int index) const
{
    const int w = Width(), h = Height();
    static constexpr int hw = HandleWidth, hh = HandleHeight;
    const QPoint at[8] = {{0, 0},          {w / 2 - 2, 0},          {w - hw, 0},
                          {0, h / 2 - 2},  {w - hw, h / 2 - 2},     {0, h - hh},
                          {w / 2 - 2, h - hh}, {w - hw, h - hh}};
    if (index < 0 || index >= 8)
        return {};
    return QRect(at[index], QSize(hw, hh));
}

int TShapeSizeableControl::HandleAt(const QPoint &point) const
{
    for (int i = 0; i < 8; ++i)
        if (HandleRect(i).contains(point))
            return i;
    return NoHandle;
}

// ------------------------------------------------------------------- nodes

TShapeNode::TShapeNode()
{
    AddConnector();
}

void TShapeNode::SetDefaultTransition(TShapeCustomControl *shape)
{
    m_default = shape;
    Connectors()[0]->SetEnd(0, shape);
    Changed();
}

void TShapeNode::EnterState()
{
    if (OnEnterState)
        OnEnterState(*this);
}

void TShapeNode::ExitState()
{
    if (OnExitState)
        OnExitState(*this);
}

bool TShapeNode::FollowDefault()
{
    if (!m_default)
        return false;
    RequireDiagram().Transition(m_default);
    return true;
}

void TShapeNode::ForgetShape(TShapeCustomControl *target)
{
    if (m_default == target)
        SetDefaultTransition(nullptr);
}

TShapeDecision::TShapeDecision()
{
    AddConnector(); // true
    AddConnector(); // false
}

void TShapeDecision::SetTrueState(TShapeCustomControl *shape)
{
    m_true = shape;
    TrueConnector()->SetEnd(0, shape);
    if (shape && shape == m_false)
        SetFalseState(nullptr);
    Changed();
}

void TShapeDecision::SetFalseState(TShapeCustomControl *shape)
{
    m_false = shape;
    FalseConnector()->SetEnd(0, shape);
    if (shape && shape == m_true)
        SetTrueState(nullptr);
    Changed();
}

void TShapeDecision::SetDefaultState(bool value)
{
    if (value == m_defaultState)
        return;
    m_defaultState = value;
    Changed();
}

TShapeConnector *TShapeDecision::ConnectorAt(const QPoint &point) const
{
    for (TShapeConnector *c : {TrueConnector(), FalseConnector()})
        if (c->HitRect.contains(point))
            return c;
    return nullptr;
}

void TShapeDecision::EnterState()
{
    m_result = m_defaultState;
    if (!OnEnterState)
        return;
    TDiagram &diagram = RequireDiagram();
    OnEnterState(*this, m_result);
    // The handler may have moved the run itself.
    if (diagram.Transitioned())
        return;
    if (m_result && m_true)
        diagram.Transition(m_true);
    else if (!m_result && m_false)
        diagram.Transition(m_false);
}

void TShapeDecision::ExitState()
{
    if (OnExitState)
        OnExitState(*this);
}

bool TShapeDecision::FollowDefault()
{
    if (m_defaultState && m_true) {
        RequireDiagram().Transition(m_true);
        return true;
    }
    if (!m_defaultState && m_false) {
        RequireDiagram().Transition(m_false);
        return true;
    }
    return false;
}

void TShapeDecision::ForgetShape(TShapeCustomControl *target)
{
    if (m_true == target)
        SetTrueState(nullptr);
    if (m_false == target)
        SetFalseState(nullptr);
}

TShapeLink::TShapeLink()
{
    AddConnector();
}

void TShapeLink::SetDestination(TShapeCustomControl *shape)
{
    if (shape && shape->Diagram() != Diagram())
        throw TFlowError(QStringLiteral("No se puede conectar a un nodo en otro contenedor"));
    if (shape == this)
        throw TFlowError(QStringLiteral("No se puede conectar a si mismo"));
    m_destination = shape;
    if (shape && shape->Kind() == ShapeKind::Link) {
        m_direction = ldOutgoing;
        Connectors()[0]->SetEnd(0, nullptr); // no arrow between two links
    } else {
        if (shape)
            m_direction = ldIncoming;
        Connectors()[0]->SetEnd(0, shape);
    }
    Changed();
}

void TShapeLink::SetDirection(TLinkDirection direction)
{
    if (direction == m_direction)
        return;
    m_direction = direction;
    SetDestination(nullptr);
}

void TShapeLink::SetBounds(int left, int top, int width, int height)
{
    if (width != Width())
        height = width;
    else if (height != Height())
        width = height;
    TShapeCustomControl::SetBounds(left, top, width, height);
}

bool TShapeLink::FollowDefault()
{
    if (!m_destination)
        return false;
    RequireDiagram().Transition(m_destination);
    return true;
}

void TShapeLink::CheckTransition(TShapeCustomControl *other, bool incoming)
{
    const bool otherIsLink = other && other->Kind() == ShapeKind::Link;
    if (incoming) {
        if ((m_direction == ldOutgoing && otherIsLink) || (m_direction == ldIncoming && !otherIsLink))
            throw TFlowError(QStringLiteral("La dirección y el tipo de estado previo es ilegal"));
    } else if ((m_direction == ldOutgoing && !otherIsLink) || (m_direction == ldIncoming && otherIsLink)) {
        throw TFlowError(QStringLiteral("La dirección y el siguiente tipo de estado es ilegal"));
    }
}

void TShapeLink::ForgetShape(TShapeCustomControl *target)
{
    if (m_destination == target) {
        m_destination = nullptr;
        Connectors()[0]->SetEnd(0, nullptr);
        Changed();
    }
}

std::unique_ptr<TShapeCustomControl> CreateShape(ShapeKind kind)
{
    std::unique_ptr<TShapeCustomControl> s;
    switch (kind) {
    case ShapeKind::Start: s = std::make_unique<TShapeStart>(); break;
    case ShapeKind::Read: s = std::make_unique<TShapeRead>(); break;
    case ShapeKind::Action: s = std::make_unique<TShapeNode>(); break;
    case ShapeKind::Condition: s = std::make_unique<TShapeBoolean>(); break;
    case ShapeKind::Loop: s = std::make_unique<TShapeLoop>(); break;
    case ShapeKind::Link: s = std::make_unique<TShapeLink>(); break;
    case ShapeKind::Write: s = std::make_unique<TShapeWrite>(); break;
    case ShapeKind::Stop: s = std::make_unique<TShapeStop>(); break;
    case ShapeKind::Trans: s = std::make_unique<TShapeTrans>(); break;
    }
    const QSize size = TShapeCustomControl::DefaultSize(kind);
    s->SetBounds(0, 0, size.width(), size.height());
    return s;
}

// ----------------------------------------------------------------- diagram

TDiagram::TDiagram(QObject *parent)
    : QObject(parent)
{
    m_moveTimer.setSingleShot(true);
    connect(&m_moveTimer, &QTimer::timeout, this, &TDiagram::DeliverPending);
}

TDiagram::~TDiagram()
{
    m_moveTimer.stop();
    m_pending = nullptr;
    m_state = nullptr;
    // Shapes refer to each other; none is told of the others' end.
    for (auto &s : m_owned)
        s->m_diagram = nullptr;
}

int TDiagram::IndexOf(const TShapeCustomControl *shape) const
{
    const auto it = std::find(m_order.begin(), m_order.end(), shape);
    return it == m_order.end() ? -1 : static_cast<int>(it - m_order.begin());
}

TShapeCustomControl *TDiagram::FindShape(const QString &name) const
{
    for (TShapeCustomControl *s : m_order)
        if (s->Name == name)
            return s;
    return nullptr;
}

TShapeCustomControl *TDiagram::FirstOfKind(ShapeKind kind) const
{
    for (TShapeCustomControl *s : m_order)
        if (s->Kind() == kind)
            return s;
    return nullptr;
}

TShapeCustomControl *TDiagram::AddShape(std::unique_ptr<TShapeCustomControl> shape)
{
    Q_ASSERT(shape && !shape->m_diagram);
    TShapeCustomControl *s = shape.get();
    s->m_diagram = this;
    m_owned.push_back(std::move(shape));
    m_order.push_back(s);
    if (!m_state && dynamic_cast<TShapeNodeBase *>(s))
        m_state = s;
    emit shapeAdded(s);
    emit changed();
    return s;
}

std::unique_ptr<TShapeCustomControl> TDiagram::TakeShape(TShapeCustomControl *shape)
{
    const auto owned = std::find_if(m_owned.begin(), m_owned.end(),
                                    [shape](const auto &p) { return p.get() == shape; });
    if (owned == m_owned.end())
        return nullptr;
    if (m_pending == shape) {
        m_moveTimer.stop();
        m_pending = nullptr;
    }
    if (m_state == shape)
        m_state = nullptr;
    for (TShapeCustomControl *other : m_order)
        if (other != shape)
            other->ForgetShape(shape);
    std::unique_ptr<TShapeCustomControl> taken = std::move(*owned);
    m_owned.erase(owned);
    m_order.erase(std::find(m_order.begin(), m_order.end(), shape));
    taken->m_diagram = nullptr;
    emit shapeRemoved(shape);
    emit changed();
    return taken;
}

void TDiagram::Clear()
{
    m_moveTimer.stop();
    m_pending = nullptr;
    m_state = nullptr;
    m_active = false;
    while (!m_order.empty())
        TakeShape(m_order.back());
    emit changed();
}

void TDiagram::Adopt(TDiagram &other)
{
    other.m_moveTimer.stop();
    other.m_pending = nullptr;
    other.m_state = nullptr;
    std::vector<TShapeCustomControl *> order = std::move(other.m_order);
    other.m_order.clear();
    for (auto &s : other.m_owned) {
        s->m_diagram = this;
        m_owned.push_back(std::move(s));
    }
    other.m_owned.clear();
    for (TShapeCustomControl *s : order) {
        m_order.push_back(s);
        if (!m_state && dynamic_cast<TShapeNodeBase *>(s))
            m_state = s;
        emit shapeAdded(s);
    }
    emit changed();
}

void TDiagram::BringToFront(TShapeCustomControl *shape)
{
    const auto it = std::find(m_order.begin(), m_order.end(), shape);
    if (it == m_order.end() || it + 1 == m_order.end())
        return;
    m_order.erase(it);
    m_order.push_back(shape);
    emit changed();
}

void TDiagram::DeselectAll()
{
    for (TShapeCustomControl *s : m_order)
        s->SetSelected(false);
}

QList<TShapeCustomControl *> TDiagram::SelectedShapes() const
{
    QList<TShapeCustomControl *> out;
    for (TShapeCustomControl *s : m_order)
        if (s->Selected())
            out << s;
    return out;
}

QString TDiagram::UniqueName(const QString &prefix) const
{
    for (;;) {
        const QString name = prefix + QString::number(QRandomGenerator::global()->bounded(147483647));
        if (!FindShape(name))
            return name;
    }
}

void TDiagram::SetState(TShapeCustomControl *shape)
{
    if (m_active)
        emit stateChanging(m_state, shape);
    ChangeState(shape);
}

void TDiagram::ChangeState(TShapeCustomControl *shape)
{
    if (shape && shape->Diagram() != this)
        throw TFlowError(QStringLiteral("No se puede cambiar el flujo a otro contenedor"));
    TShapeCustomControl *old = m_state;
    m_state = shape;
    emit changed();
    if (!m_active)
        return;
    TShapeCustomControl *current = old;
    try {
        if (old)
            old->ExitState();
        if (!m_stopping && shape) {
            current = shape;
            m_transitioned = false;
            shape->EnterState();
            if (m_stopping) {
                m_active = false;
                return;
            }
            if (!m_transitioned && !shape->FollowDefault())
                m_active = false;
            if (m_options & soSingleStep)
                m_stopping = true;
        } else {
            m_active = false;
        }
    } catch (const TFlowError &e) {
        emit runError(current, e.message());
    }
}

void TDiagram::StartRun()
{
    if (!m_state)
        throw TFlowError(QStringLiteral("No se ha especificado el control inicial"));
    TShapeCustomControl *start = m_state;
    m_state = nullptr;
    m_active = true;
    m_stopping = false;
    SetState(start);
}

void TDiagram::Transition(TShapeCustomControl *target)
{
    if (!target)
        throw TFlowError(QStringLiteral("Flujo no válido"));
    if ((m_options & soVerifyTransitions) && m_state) {
        try {
            m_state->CheckTransition(target, false);
            target->CheckTransition(m_state, true);
        } catch (const TFlowError &e) {
            throw TFlowError(QStringLiteral("Flujo no válido de %1 a %2:\r%3")
                                 .arg(m_state->Name, target->Name, e.message()));
        }
    }
    m_transitioned = true;
    emit stateChanging(m_state, target);
    m_pending = target;
    m_moveTimer.start(m_stepDelay);
}

void TDiagram::DeliverPending()
{
    TShapeCustomControl *target = m_pending;
    m_pending = nullptr;
    if (target)
        ChangeState(target);
}

void TDiagram::Halt()
{
    m_stopping = true;
    if (m_pending) {
        m_moveTimer.stop();
        DeliverPending();
    }
}
