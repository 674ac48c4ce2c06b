#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>

class QPainter;
class QString;
struct InputFields;
struct ChooseFields;
struct InformFields;

// The drawings of the calculator's screen that the INPUT, CHOOSE and INFORM
// builders show beside their fields. They are a guide to what the calculator
// will draw, on a surface of 268 x 150 pixels, and paint on any QPainter (a
// widget, or a QImage in the tests).
namespace CalcScreen {

inline constexpr QSize Size{268, 150};
// The green of the calculator's screen (RGB 104, 145, 106).
QColor ScreenColour();

// Rectangles are given by their left, top, right and bottom edges, the right
// and bottom ones outside the rectangle.
inline QRect Edges(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

// The calculator's small font at a size of the drawings (a pixel height).
QFont SmallFont(int size);

// The screen with its status lines, "{HOME}" and the line under them;
// the menu keys are drawn by PaintMenuKeys, last.
void PaintFrame(QPainter &p);
// The six black soft-menu keys.
void PaintMenuKeys(QPainter &p);
// A menu key's label, centred in the screen colour on key index (0 to 5).
void PaintMenuLabel(QPainter &p, int index, const QString &label);

// INPUT's prompt and command line on the frame.
void PaintInput(QPainter &p, const InputFields &fields);
// CHOOSE's box over the stack, its title, items and scroll bar; the item
// numbered fields.position is inverted.
void PaintChoose(QPainter &p, const ChooseFields &fields);
// INFORM's form: its own screen, with the checkered title bar, the fields
// in their columns and the help of the field selected (from 0; -1 none).
void PaintInform(QPainter &p, const InformFields &fields, int selected);

} // namespace CalcScreen
