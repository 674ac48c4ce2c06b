#include "generators/GrobModel.h"

#include <QFileInfo>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <numbers>

namespace GrobModel {

bool isEditable(const TGrob &grob)
{
    return grob.Width >= MinSize && grob.Width <= MaxSize && grob.Height >= MinSize && grob.Height <= MaxSize
           && grob.Data.size() == TGrob::rowDigits(grob.Width) * grob.Height;
}

std::optional<TGrob> pictureFromFile(const QByteArray &fileBytes)
{
    TGrob grob = GrobFromNibbleText(ObjectFileNibbles(fileBytes));
    if (!isEditable(grob))
        return std::nullopt;
    return grob;
}

ReadStatus readPicture(const QString &path, TGrob &picture, QString *error)
{
    // The largest picture file is 125 KB; a bigger file is something else
    // and is not read into memory whole.
    constexpr qint64 MaxFileSize = 4 * 1024 * 1024;
    if (QFileInfo(path).size() > MaxFileSize)
        return ReadStatus::NotAPicture;
    QString reason;
    const QByteArray bytes = ReadFileBytes(path, &reason);
    if (!reason.isEmpty()) {
        if (error)
            *error = reason;
        return ReadStatus::Unreadable;
    }
    const std::optional<TGrob> read = pictureFromFile(bytes);
    if (!read)
        return ReadStatus::NotAPicture;
    picture = *read;
    return ReadStatus::Ok;
}

TGrob resized(const TGrob &grob, int width, int height)
{
    width = std::clamp(width, MinSize, MaxSize);
    height = std::clamp(height, MinSize, MaxSize);
    TGrob out = TGrob::blank(width, height);
    const int keepWidth = std::min(width, grob.Width);
    const int keepHeight = std::min(height, grob.Height);
    // Whole digits first: four pixels at a time as long as both rows have them.
    const qsizetype oldRow = TGrob::rowDigits(grob.Width);
    const qsizetype newRow = TGrob::rowDigits(width);
    const int wholeDigits = keepWidth / 4;
    for (int y = 0; y < keepHeight; ++y) {
        if (wholeDigits > 0 && (y + 1) * oldRow <= grob.Data.size())
            out.Data.replace(y * newRow, wholeDigits, grob.Data.mid(y * oldRow, wholeDigits));
        for (int x = wholeDigits * 4; x < keepWidth; ++x)
            out.setPixel(x, y, grob.pixel(x, y));
    }
    return out;
}

QByteArray insertText(const TGrob &grob)
{
    return "GROB " + QByteArray::number(grob.Width) + ' ' + QByteArray::number(grob.Height) + ' ' + grob.Data
           + "\r\n|";
}

int roundHalfEven(double value)
{
    // nearbyint follows the rounding mode, which is to-nearest-even unless
    // someone changed it; say so rather than trust it.
    const int saved = std::fegetround();
    if (saved != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    if (saved != FE_TONEAREST)
        std::fesetround(saved);
    return int(r);
}

QList<QPoint> linePoints(QPoint start, QPoint end)
{
    QList<QPoint> points;
    const int x1 = start.x(), y1 = start.y(), x2 = end.x(), y2 = end.y();
    if (x1 == x2) {
        for (int y = std::min(y1, y2); y <= std::max(y1, y2); ++y)
            points << QPoint(x1, y);
        return points;
    }
    const double m = double(y1 - y2) / double(x1 - x2);
    const double c = y2 - m * x2;
    const int from = std::min(x1, x2);
    const auto rowAt = [&](int x) { return std::max(0, roundHalfEven(m * x + c)); };
    int previous = rowAt(from);
    for (int x = from; x <= std::max(x1, x2); ++x) {
        const int y = rowAt(x);
        // A steep line would leave holes between columns: fill them in the
        // column where the line arrives.
        if (std::abs(y - previous) > 1) {
            const int step = y > previous ? 1 : -1;
            for (int v = previous + step; v != y; v += step)
                points << QPoint(x, v);
        }
        points << QPoint(x, y);
        previous = y;
    }
    return points;
}

QList<QPoint> rectanglePoints(QPoint start, QPoint end)
{
    QList<QPoint> points;
    const int left = std::min(start.x(), end.x()), right = std::max(start.x(), end.x());
    const int top = std::min(start.y(), end.y()), bottom = std::max(start.y(), end.y());
    for (int x = left; x <= right; ++x)
        points << QPoint(x, top) << QPoint(x, bottom);
    for (int y = top; y <= bottom; ++y)
        points << QPoint(left, y) << QPoint(right, y);
    return points;
}

QList<QPoint> circlePoints(QPoint centre, QPoint edge, int width, int height)
{
    const int x1 = centre.x(), y1 = centre.y(), x2 = edge.x(), y2 = edge.y();
    const double r = std::sqrt(double(x2 - x1) * (x2 - x1) + double(y2 - y1) * (y2 - y1));
    if (r == 0)
        return {edge};
    double a0;
    if (std::abs(y2 - y1) == r) {
        a0 = std::numbers::pi / 2;
    } else {
        const int sign = (x2 > x1) - (x2 < x1);
        a0 = std::asin(sign * double(y1 - y2) / r);
    }
    if (x2 < x1)
        a0 += std::numbers::pi;
    // Half the angle under which one pixel is seen from the centre: small
    // enough that neighbouring points never leave a gap.
    const double step = std::asin(1 / (2 * r)) / 2;
    QList<QPoint> points;
    for (double a = a0; a < a0 + 2 * std::numbers::pi; a += step) {
        const int x = x1 + roundHalfEven(r * std::cos(a));
        const int y = y1 - roundHalfEven(r * std::sin(a));
        if (x >= 0 && y >= 0 && x < width && y < height)
            points << QPoint(x, y);
    }
    return points;
}

QList<QPoint> shapePoints(Shape shape, QPoint start, QPoint end, int width, int height)
{
    switch (shape) {
    case Shape::Line:
        return linePoints(start, end);
    case Shape::Rectangle:
        return rectanglePoints(start, end);
    case Shape::Circle:
        return circlePoints(start, end, width, height);
    case Shape::None:
        break;
    }
    return {};
}

} // namespace GrobModel
