#include "flowchart/DiagramPaint.h"

#include "flowchart/DiagramBuilder.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>
#include <QPolygon>

namespace DiagramPaint {

namespace {

// The pen of the frame: black, or the terminators' and junctions' own
// colour; twice as wide on the active block.
QPen framePen(const TShapeCustomControl &s)
{
    QColor colour = Qt::black;
    switch (s.Kind()) {
    case ShapeKind::Start: colour = StartFrame; break;
    case ShapeKind::Stop: colour = StopFrame; break;
    case ShapeKind::Trans: colour = TransFrame; break;
    default: break;
    }
    QPen pen(colour, s.IsActive() ? 2 : 1);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// A rectangle from (x1,y1) to (x2,y2) as the figures give it (right and
// bottom exclusive), drawn with the pen inside it.
QRectF inside(int x1, int y1, int x2, int y2, int penWidth)
{
    const qreal h = penWidth / 2.0;
    return QRectF(x1 + h, y1 + h, x2 - x1 - penWidth, y2 - y1 - penWidth);
}

QPolygon polygon(std::initializer_list<QPoint> points)
{
    return QPolygon(QList<QPoint>(points));
}

enum class Figure { Rect, Rounded, Polygon, Ellipse };

struct Shapes
{
    Figure figure = Figure::Rect;
    QPolygon shadow, main; // polygons
    QRect caption;
    bool hasCaption = true;
};

Shapes figuresOf(const TShapeCustomControl &s)
{
    const int W = s.Width(), H = s.Height();
    Shapes f;
    switch (s.Kind()) {
    case ShapeKind::Start:
    case ShapeKind::Stop:
        f.figure = Figure::Rounded;
        f.caption = QRect(QPoint(0, 0), QPoint(W - 1, H - 1)).adjusted(4, 4, -4, -4);
        break;
    case ShapeKind::Read:
        f.figure = Figure::Polygon;
        f.shadow = polygon({{17, 2}, {W - 1, 2}, {W - 16, H - 1}, {2, H - 1}});
        f.main = polygon({{15, 0}, {W - 3, 0}, {W - 18, H - 3}, {0, H - 3}});
        f.caption = QRect(QPoint(W / 5, 0), QPoint(W - W / 5 - 1, H - 1)).adjusted(4, 4, -4, -4);
        break;
    case ShapeKind::Write:
        f.figure = Figure::Polygon;
        f.shadow = polygon({{2, 2}, {W - 1, 2}, {W - 1, H - H / 3 + 2}, {2, H - 1}});
        f.main = polygon({{0, 0}, {W - 3, 0}, {W - 3, H - H / 3}, {0, H - 3}});
        f.caption = QRect(QPoint(0, 0), QPoint(W - 1, H - H / 3 - 1)).adjusted(4, 4, -4, -4);
        break;
    case ShapeKind::Condition: {
        const int m = (H - 2) / 2, n = (W - 2) / 2;
        f.figure = Figure::Polygon;
        f.shadow = polygon({{2, m + 2}, {n + 2, 2}, {W - 1, m + 2}, {n + 2, H - 1}});
        f.main = polygon({{0, m}, {n, 0}, {W - 3, m}, {n, H - 3}});
        f.caption = QRect(QPoint(W / 8, H / 3), QPoint(W - W / 8 - 1, H - H / 3 - 1)).adjusted(2, 2, -2, -2);
        break;
    }
    case ShapeKind::Loop: {
        const int m = (H - 2) / 2;
        f.figure = Figure::Polygon;
        f.shadow = polygon({{2, m + 2}, {H / 2 + 2, 2}, {W - H / 2, 2}, {W - 1, m + 2}, {W - H / 2, H - 1},
                            {H / 2 + 2, H - 1}});
        f.main = polygon({{0, m}, {m, 0}, {W - H / 2 - 2, 0}, {W - 3, m}, {W - H / 2 - 2, H - 3}, {m, H - 3}});
        f.caption = QRect(QPoint(W / 8, H / 3), QPoint(W - W / 8 - 1, H - H / 3 - 1)).adjusted(4, 4, -4, -4);
        break;
    }
    case ShapeKind::Link:
    case ShapeKind::Trans:
        f.figure = Figure::Ellipse;
        f.caption = QRect(0, 0, W - 2, H - 2).adjusted(4, 4, -4, -4);
        f.hasCaption = s.Kind() == ShapeKind::Link;
        break;
    case ShapeKind::Action:
        f.caption = QRect(0, 0, W - 2, H - 2).adjusted(4, 4, -4, -4);
        break;
    }
    return f;
}

} // namespace

QFont CanvasFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(10);
    font.setStyleHint(QFont::TypeWriter);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(10);
    }
    return font;
}

QColor CaptionColour(const TShapeCustomControl &s)
{
    if (s.Kind() == ShapeKind::Link)
        return static_cast<const TShapeLink &>(s).Destination() ? QColor(Qt::black) : NoHandlerText;
    if (!s.HasHandler())
        return NoHandlerText;
    return s.IsActive() ? ActiveText : QColor(Qt::black);
}

void PaintShape(QPainter &p, const TShapeCustomControl &s)
{
    const int W = s.Width(), H = s.Height();
    const Shapes f = figuresOf(s);
    p.save();
    p.translate(s.Left(), s.Top());
    p.setRenderHint(QPainter::Antialiasing, f.figure != Figure::Rect);

    // The shadow, 2 px down and right.
    p.setPen(QPen(Shadow, 1));
    p.setBrush(Shadow);
    switch (f.figure) {
    case Figure::Rect: p.drawRect(QRectF(2, 2, W - 2, H - 2).adjusted(0, 0, -1, -1)); break;
    case Figure::Rounded:
        p.drawRoundedRect(QRectF(2, 2, W - 3, H - 3), (H - 4) / 2.0, (H - 4) / 2.0);
        break;
    case Figure::Polygon: p.drawPolygon(f.shadow); break;
    case Figure::Ellipse: p.drawEllipse(QRectF(2, 2, W - 3, H - 3)); break;
    }

    // Frame and fill.
    const QPen pen = framePen(s);
    p.setPen(pen);
    p.setBrush(s.IsActive() ? ActiveFill : QColor(Qt::white));
    const int pw = pen.width();
    switch (f.figure) {
    case Figure::Rect: p.drawRect(inside(0, 0, W - 2, H - 2, pw)); break;
    case Figure::Rounded:
        p.drawRoundedRect(inside(0, 0, W - 2, H - 2, pw), (H - 4) / 2.0, (H - 4) / 2.0);
        break;
    case Figure::Polygon: p.drawPolygon(f.main); break;
    case Figure::Ellipse: p.drawEllipse(inside(0, 0, W - 2, H - 2, pw)); break;
    }

    // The caption on one line, centred, cut with an ellipsis.
    if (f.hasCaption && !s.Caption().isEmpty() && f.caption.width() > 0) {
        QFont font = CanvasFont();
        const ShapeKind k = s.Kind();
        font.setBold(k == ShapeKind::Start || k == ShapeKind::Stop || k == ShapeKind::Trans);
        p.setFont(font);
        p.setPen(CaptionColour(s));
        p.setBrush(Qt::NoBrush);
        // Cut to the width with an ellipsis, but never vertically: the text
        // rectangles of the flat loop and condition figures are lower than
        // a line of text, and a caption cut through its middle reads as
        // nothing.
        const QString text = p.fontMetrics().elidedText(s.Caption(), Qt::ElideRight, f.caption.width());
        p.drawText(f.caption, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, text);
    }
    p.restore();
}

void PaintHandles(QPainter &p, const TShapeCustomControl &s)
{
    const auto *sizeable = dynamic_cast<const TShapeSizeableControl *>(&s);
    if (!sizeable || !s.Selected() || !s.Selectable)
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (int i = 0; i < 8; ++i)
        p.drawRect(sizeable->HandleRect(i).translated(s.Left(), s.Top()));
    p.restore();
}

namespace {

void paintArrow(QPainter &p, TShapeConnector *c, const QColor &colour, int width)
{
    ConnectorRoute route;
    if (!c || !c->Route(route))
        return;
    const ArrowGeometry a = ArrowFor(route, width);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(a.line, 5);
    p.setPen(QPen(colour, 1));
    p.setBrush(colour);
    p.drawPolygon(a.head, 3);
}

} // namespace

void PaintLinks(QPainter &p, TShapeCustomControl &s)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    if (auto *d = dynamic_cast<TShapeDecision *>(&s)) {
        paintArrow(p, d->TrueConnector(), TrueArrow, d->DefaultState() ? 2 : 1);
        paintArrow(p, d->FalseConnector(), FalseArrow, d->DefaultState() ? 1 : 2);
    } else if (s.Kind() == ShapeKind::Link) {
        paintArrow(p, s.Connectors().empty() ? nullptr : s.Connectors()[0].get(), Qt::black, 1);
    } else if (!s.Connectors().empty()) {
        paintArrow(p, s.Connectors()[0].get(), Qt::black, 2);
    }
    p.restore();
}

void PaintDiagram(QPainter &p, TDiagram &diagram, bool handles)
{
    for (TShapeCustomControl *s : diagram.Shapes())
        PaintLinks(p, *s);
    for (TShapeCustomControl *s : diagram.Shapes()) {
        PaintShape(p, *s);
        if (handles)
            PaintHandles(p, *s);
    }
}

} // namespace DiagramPaint
