#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>

#include <exception>
#include <functional>
#include <memory>
#include <vector>

// The flowchart as one widget-free graph: the shapes with their links and
// arrows, and the run engine that moves from shape to shape. The file format,
// the run, the code generator and the canvas all work on this model; the
// canvas only paints it and turns mouse gestures into calls on it.

class TDiagram;
class TShapeCustomControl;

// The nine shape kinds; the numbers are the codes of the files and of the
// builder's shape commands.
enum class ShapeKind {
    Start = 1,
    Read = 2,
    Action = 3,
    Condition = 4,
    Loop = 5,
    Link = 6,
    Write = 7,
    Stop = 8,
    Trans = 9,
};
constexpr int ShapeKindCount = 9;
bool IsShapeKind(int code);

// A broken rule of the graph (an illegal link, a run that cannot move). The
// texts are the shapes' own fixed texts.
class TFlowError : public std::exception
{
public:
    explicit TFlowError(QString message)
        : m_message(std::move(message))
        , m_utf8(m_message.toUtf8())
    {
    }
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// The five points of an arrow from one shape to another, in canvas pixels.
struct ConnectorRoute
{
    QPoint p[5];
    int actualStyle = 0; // 2 horizontal, 3 vertical, 6 diagonal, 7 back upward
    QRect hitRect;
};

// The route between the bounds of a source and a target; style 0 chooses.
ConnectorRoute RouteBetween(const QRect &source, const QRect &target, int style = 0, int offset = 0);

// The drawn arrow: the polyline's last point moved back by the pen width and
// the triangle of the head, for a pen of penWidth pixels.
struct ArrowGeometry
{
    QPoint line[5];
    QPoint head[3];
};
ArrowGeometry ArrowFor(const ConnectorRoute &route, int penWidth);

// One arrow, owned by the shape it leaves.
class TShapeConnector
{
public:
    explicit TShapeConnector(TShapeCustomControl *owner);

    int Offset = 0;
    int Style = 0;       // requested route style, 0 automatic
    int ActualStyle = 0; // the style of the last route
    int OwnedEnd = 0;    // 0: the owner is the Source
    QRect HitRect;

    TShapeCustomControl *Source() const { return m_source; }
    TShapeCustomControl *Target() const { return m_target; }
    // which 1 = source, 2 = target, 0 = the end that is not owned. Changing
    // the owned end raises.
    void SetEnd(int which, TShapeCustomControl *shape);

    // The route as the shapes stand now, or false when an end is missing.
    // Records ActualStyle and HitRect.
    bool Route(ConnectorRoute &route);

private:
    TShapeCustomControl *m_source;
    TShapeCustomControl *m_target = nullptr;
};

// ------------------------------------------------------------------ shapes

class TShapeCustomControl
{
public:
    virtual ~TShapeCustomControl();

    virtual ShapeKind Kind() const = 0;
    // The class name, as shape names and messages use it ("TShapeBoolean").
    virtual const char *ClassName() const = 0;
    static QSize DefaultSize(ShapeKind kind);

    QString Name;
    bool Selectable = true;
    int Tag = 0; // a loop's counting flag during a run

    const QString &Caption() const { return m_caption; }
    void SetCaption(const QString &caption);

    bool Selected() const { return m_selected; }
    virtual void SetSelected(bool value);

    // Position and size in canvas pixels. Left and top never go below 0,
    // width and height never below 5, nothing beyond MaxCoordinate; moving or
    // resizing resets the arrows' offsets.
    static constexpr int MinSize = 5;
    static constexpr int MaxCoordinate = 1000000;
    const QRect &Bounds() const { return m_bounds; }
    int Left() const { return m_bounds.left(); }
    int Top() const { return m_bounds.top(); }
    int Width() const { return m_bounds.width(); }
    int Height() const { return m_bounds.height(); }
    virtual void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }

    TDiagram *Diagram() const { return m_diagram; }
    // The diagram, or raises "<class> no está conectado al flujo".
    TDiagram &RequireDiagram() const;

    const std::vector<std::unique_ptr<TShapeConnector>> &Connectors() const { return m_connectors; }
    // The owned arrow whose hit rectangle holds point (true before false).
    virtual TShapeConnector *ConnectorAt(const QPoint &point) const;

    void SetActive(bool value);
    bool IsActive() const;

    // Whether a run handler is bound (a shape without one draws grey text).
    virtual bool HasHandler() const { return false; }

    // The run: what happens on entering and leaving, the default move, and
    // the check of a move through this shape (raises when illegal).
    virtual void EnterState() {}
    virtual void ExitState() {}
    virtual bool FollowDefault() { return false; }
    virtual void CheckTransition(TShapeCustomControl *other, bool incoming);

    // Every link of this shape to target is cleared (target is going away).
    virtual void ForgetShape(TShapeCustomControl *target) { (void)target; }

protected:
    TShapeCustomControl();
    TShapeConnector *AddConnector();
    void Changed();

private:
    friend class TDiagram;
    QString m_caption;
    bool m_selected = false;
    QRect m_bounds;
    TDiagram *m_diagram = nullptr;
    std::vector<std::unique_ptr<TShapeConnector>> m_connectors;
};

class TShapeMoveableControl : public TShapeCustomControl
{
};

class TShapeSizeableControl : public TShapeMoveableControl
{
public:
    static constexpr int HandleWidth = 5;
    static constexpr int HandleHeight = 5;
    static constexpr int NoHandle = 8;
    // The eight resize handles in shape coordinates: top-left, top,
    // top-right, left, right, bottom-left, bottom, bottom-right.
    QRect HandleRect(int index) const;
    // The handle under a point in shape coordinates, or NoHandle.
    int HandleAt(const QPoint &point) const;
};

class TShapeNodeBase : public TShapeSizeableControl
{
};

// A node with one way out; as itself, the Action block.
class TShapeNode : public TShapeNodeBase
{
public:
    TShapeNode();
    ShapeKind Kind() const override { return ShapeKind::Action; }
    const char *ClassName() const override { return "TShapeNode"; }

    std::function<void(TShapeNode &)> OnEnterState;
    std::function<void(TShapeNode &)> OnExitState;

    TShapeCustomControl *DefaultTransition() const { return m_default; }
    void SetDefaultTransition(TShapeCustomControl *shape);

    bool HasHandler() const override { return bool(OnEnterState); }
    void EnterState() override;
    void ExitState() override;
    bool FollowDefault() override;
    void ForgetShape(TShapeCustomControl *target) override;

private:
    TShapeCustomControl *m_default = nullptr;
};

class TShapeStart : public TShapeNode
{
public:
    ShapeKind Kind() const override { return ShapeKind::Start; }
    const char *ClassName() const override { return "TShapeStart"; }
};

class TShapeStop : public TShapeNode
{
public:
    ShapeKind Kind() const override { return ShapeKind::Stop; }
    const char *ClassName() const override { return "TShapeStop"; }
};

class TShapeRead : public TShapeNode
{
public:
    ShapeKind Kind() const override { return ShapeKind::Read; }
    const char *ClassName() const override { return "TShapeRead"; }
};

class TShapeWrite : public TShapeNode
{
public:
    ShapeKind Kind() const override { return ShapeKind::Write; }
    const char *ClassName() const override { return "TShapeWrite"; }
};

class TShapeTrans : public TShapeNode
{
public:
    ShapeKind Kind() const override { return ShapeKind::Trans; }
    const char *ClassName() const override { return "TShapeTrans"; }
};

// What the condition and the loop share: a true and a false way out, never
// the same shape.
class TShapeDecision : public TShapeNodeBase
{
public:
    TShapeDecision();

    // Sender and the way to take (preset to DefaultState).
    std::function<void(TShapeDecision &, bool &)> OnEnterState;
    std::function<void(TShapeDecision &)> OnExitState;

    TShapeCustomControl *TrueState() const { return m_true; }
    TShapeCustomControl *FalseState() const { return m_false; }
    void SetTrueState(TShapeCustomControl *shape);
    void SetFalseState(TShapeCustomControl *shape);
    bool DefaultState() const { return m_defaultState; }
    void SetDefaultState(bool value);
    // The way taken by the last entry.
    bool Result() const { return m_result; }

    TShapeConnector *TrueConnector() const { return Connectors()[0].get(); }
    TShapeConnector *FalseConnector() const { return Connectors()[1].get(); }

    bool HasHandler() const override { return bool(OnEnterState); }
    TShapeConnector *ConnectorAt(const QPoint &point) const override;
    void EnterState() override;
    void ExitState() override;
    bool FollowDefault() override;
    void ForgetShape(TShapeCustomControl *target) override;

private:
    TShapeCustomControl *m_true = nullptr;
    TShapeCustomControl *m_false = nullptr;
    bool m_defaultState = true;
    bool m_result = true;
};

class TShapeBoolean : public TShapeDecision
{
public:
    ShapeKind Kind() const override { return ShapeKind::Condition; }
    const char *ClassName() const override { return "TShapeBoolean"; }
};

class TShapeLoop : public TShapeDecision
{
public:
    ShapeKind Kind() const override { return ShapeKind::Loop; }
    const char *ClassName() const override { return "TShapeLoop"; }
};

class TShapeLinkBase : public TShapeSizeableControl
{
};

enum TLinkDirection { ldIncoming = 0, ldOutgoing = 1 };

// A connector circle: a pair of them jumps across the drawing, node -> link A
// (outgoing, Destination B, no arrow) -> link B (incoming, Destination node).
class TShapeLink : public TShapeLinkBase
{
public:
    TShapeLink();
    ShapeKind Kind() const override { return ShapeKind::Link; }
    const char *ClassName() const override { return "TShapeLink"; }

    TShapeCustomControl *Destination() const { return m_destination; }
    // Raises for a shape of another diagram or the link itself.
    void SetDestination(TShapeCustomControl *shape);
    TLinkDirection Direction() const { return m_direction; }
    void SetDirection(TLinkDirection direction);

    // Always square: a new width sets the height, else a new height the width.
    void SetBounds(int left, int top, int width, int height) override;
    bool FollowDefault() override;
    void CheckTransition(TShapeCustomControl *other, bool incoming) override;
    void ForgetShape(TShapeCustomControl *target) override;

private:
    TShapeCustomControl *m_destination = nullptr;
    TLinkDirection m_direction = ldOutgoing;
};

// A new shape of a kind, with the kind's default size at 0,0.
std::unique_ptr<TShapeCustomControl> CreateShape(ShapeKind kind);

// ----------------------------------------------------------------- diagram

// All shapes of one flowchart in child order (back to front), and the run
// engine that moves through them one shape per event-loop turn.
class TDiagram : public QObject
{
    Q_OBJECT
public:
    enum Option { soInteractive = 1, soSingleStep = 2, soVerifyTransitions = 4 };

    explicit TDiagram(QObject *parent = nullptr);
    ~TDiagram() override;

    const std::vector<TShapeCustomControl *> &Shapes() const { return m_order; }
    int ShapeCount() const { return static_cast<int>(m_order.size()); }
    int IndexOf(const TShapeCustomControl *shape) const;
    // The first shape of that name, case-sensitive, or none.
    TShapeCustomControl *FindShape(const QString &name) const;
    // The first shape of a kind in child order, or none.
    TShapeCustomControl *FirstOfKind(ShapeKind kind) const;

    // Takes the shape into the diagram, at the front. A node given to a
    // diagram without State becomes the State.
    TShapeCustomControl *AddShape(std::unique_ptr<TShapeCustomControl> shape);
    // Takes the shape out; every link to it is cleared first.
    std::unique_ptr<TShapeCustomControl> TakeShape(TShapeCustomControl *shape);
    void RemoveShape(TShapeCustomControl *shape) { TakeShape(shape); }
    void Clear();
    // Takes every shape of other, in its order and with its links.
    void Adopt(TDiagram &other);
    void BringToFront(TShapeCustomControl *shape);
    void DeselectAll();
    QList<TShapeCustomControl *> SelectedShapes() const;

    // prefix followed by a random number below 147483647 that no shape of
    // the diagram carries yet.
    QString UniqueName(const QString &prefix) const;

    // ------------------------------------------------------------ run engine
    TShapeCustomControl *State() const { return m_state; }
    void SetState(TShapeCustomControl *shape);
    bool Active() const { return m_active; }
    int Options() const { return m_options; }
    void SetOptions(int options) { m_options = options; }
    bool Stopping() const { return m_stopping; }
    // The shape being entered has already asked for a move.
    bool Transitioned() const { return m_transitioned; }

    // Starts a run at the State; raises when there is none.
    void StartRun();
    // Requested by a shape's entry: the move happens on a later turn of the
    // event loop, after the step delay.
    void Transition(TShapeCustomControl *target);
    // Asks the run to stop; a move already requested is made (without
    // entering its shape).
    void Halt();
    // The pause before each move, so the active shape visibly travels.
    void SetStepDelay(int milliseconds) { m_stepDelay = milliseconds; }
    int StepDelay() const { return m_stepDelay; }
    // A move is waiting for its turn.
    bool MovePending() const { return m_pending != nullptr; }

    // Tells the views that something visible changed.
    void NotifyChanged() { emit changed(); }

signals:
    void changed();
    void shapeAdded(TShapeCustomControl *shape);
    // The shape is out of the diagram (and about to be freed or kept by undo).
    void shapeRemoved(TShapeCustomControl *shape);
    // The run moves (fired before the move, and while a run is active).
    void stateChanging(TShapeCustomControl *from, TShapeCustomControl *to);
    // A shape's entry or exit raised; the run stays where it was.
    void runError(TShapeCustomControl *shape, const QString &message);

private:
    void ChangeState(TShapeCustomControl *shape);
    void DeliverPending();

    std::vector<std::unique_ptr<TShapeCustomControl>> m_owned;
    std::vector<TShapeCustomControl *> m_order;
    TShapeCustomControl *m_state = nullptr;
    bool m_active = false;
    int m_options = soVerifyTransitions;
    bool m_stopping = false;
    bool m_transitioned = false;
    TShapeCustomControl *m_pending = nullptr;
    QTimer m_moveTimer;
    int m_stepDelay = 100;
};
