#pragma once

#include "formats/ObjectFile.h"

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QString>

#include <optional>

// What the picture editor does to a picture, without any widget. A picture
// is the formats library's TGrob (its Data is already the GROB encoding);
// this adds the editor's size limits, resizing and the points of its shape
// tools. Points are (column, row) cells of the picture.
namespace GrobModel {

constexpr int MinSize = 1;
constexpr int MaxSize = 1000;
constexpr int NewWidth = 131; // the calculators' screen
constexpr int NewHeight = 80;

// True when the picture can be edited: 1 to 1000 pixels each way and a row
// of data for every row.
bool isEditable(const TGrob &grob);

// The picture of a picture file's bytes when the editor can hold it: an
// object file with a picture object of 1 to 1000 pixels each way whose data
// covers every row. Anything else (short, another object type, a size the
// data does not hold) gives nothing.
std::optional<TGrob> pictureFromFile(const QByteArray &fileBytes);

enum class ReadStatus { Ok, NotAPicture, Unreadable };
// Reads a picture file; on Unreadable, *error holds the reason.
ReadStatus readPicture(const QString &path, TGrob &picture, QString *error = nullptr);

// The picture at a new size: pixels inside both sizes keep their values,
// new ones are clear. Sizes are clamped to 1..1000.
TGrob resized(const TGrob &grob, int width, int height);

// The text inserted into a document: "GROB W H data", CR LF and the caret
// marker, so the caret lands at the start of the line after the picture.
QByteArray insertText(const TGrob &grob);

// The cells a shape tool covers from its start cell to its end cell, in the
// order they are drawn (a cell may appear twice). Line and rectangle points
// are not clipped; circle points outside width x height are left out.
QList<QPoint> linePoints(QPoint start, QPoint end);
QList<QPoint> rectanglePoints(QPoint start, QPoint end);
QList<QPoint> circlePoints(QPoint centre, QPoint edge, int width, int height);

enum class Shape { None = 0, Line = 1, Rectangle = 2, Circle = 3 };
QList<QPoint> shapePoints(Shape shape, QPoint start, QPoint end, int width, int height);

// Rounds to the nearest integer, halves to the even one (2.5 gives 2).
int roundHalfEven(double value);

} // namespace GrobModel
