#pragma once

#include <QColor>
#include <QFont>

class QPainter;
class TDiagram;
class TShapeCustomControl;

// How a flowchart looks: the outline of each kind, the active block's
// colours, the grey text of a block without a handler, the arrows (true green,
// false red, the default one thicker) and the resize handles. The canvas, the
// PNG and SVG export and the tests all paint through these, in unscaled
// canvas pixels; a caller that zooms scales the painter.
namespace DiagramPaint {

inline const QColor Shadow{0x80, 0x80, 0x80};
inline const QColor ActiveFill{0xA1, 0xE6, 0x3D};
inline const QColor ActiveText{0x00, 0x80, 0x00};
inline const QColor NoHandlerText{0x80, 0x80, 0x80};
inline const QColor StartFrame{0x00, 0x80, 0x00};
inline const QColor StopFrame{0xFF, 0x99, 0x00};
inline const QColor TransFrame{0x80, 0xFF, 0xFF};
inline const QColor TrueArrow{0x00, 0x80, 0x00};
inline const QColor FalseArrow{0xFF, 0x00, 0x00};

// "Courier New" 10 pt, or the system's fixed font where it is missing.
QFont CanvasFont();

// The shape's figure, shadow and caption, at its place on the canvas.
void PaintShape(QPainter &painter, const TShapeCustomControl &shape);
// Its outgoing arrows (routes as the model computes them).
void PaintLinks(QPainter &painter, TShapeCustomControl &shape);
// The eight black handles of a selected shape.
void PaintHandles(QPainter &painter, const TShapeCustomControl &shape);

// Every arrow, then every shape back to front (with handles when asked).
void PaintDiagram(QPainter &painter, TDiagram &diagram, bool handles);

// The colour of the caption as painted (active, grey without a handler or a
// destination, else black): what a user reads off the drawing.
QColor CaptionColour(const TShapeCustomControl &shape);

} // namespace DiagramPaint
