#include "generators/PictureImage.h"

#include "generators/GrobModel.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace PictureImage {

QImage toImage(const TGrob &grob)
{
    QImage image(std::max(1, grob.Width), std::max(1, grob.Height), QImage::Format_Mono);
    image.setColor(0, qRgb(255, 255, 255));
    image.setColor(1, qRgb(0, 0, 0));
    image.fill(0);
    for (int y = 0; y < grob.Height; ++y)
        for (int x = 0; x < grob.Width; ++x)
            if (grob.pixel(x, y))
                image.setPixel(x, y, 1);
    return image;
}

bool exportPng(const TGrob &grob, const QString &path, QString *error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!toImage(grob).save(&buffer, "PNG")) {
        if (error)
            *error = QStringLiteral("The PNG image could not be made.");
        return false;
    }
    return WriteFileBytes(bytes, path, error);
}

QSize probe(const QString &path, QString *error)
{
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) {
        if (error)
            *error = reader.errorString();
        return {};
    }
    if (qint64(size.width()) * size.height() > MaxImportPixels) {
        if (error)
            *error = QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
        return {};
    }
    return size;
}

QImage load(const QString &path, QString *error)
{
    QImageReader reader(path);
    // The header may lie about the size; the decoder stops at the same limit.
    reader.setAllocationLimit(int(MaxImportPixels * 4 / (1024 * 1024)) + 1);
    QImage image = reader.read();
    if (image.isNull() && error)
        *error = reader.errorString();
    return image;
}

QSize fittingSize(QSize image, QSize maxSize)
{
    if (image.isEmpty())
        return maxSize;
    if (image.width() <= maxSize.width() && image.height() <= maxSize.height())
        return image;
    QSize fit = image.scaled(maxSize, Qt::KeepAspectRatio);
    return fit.expandedTo(QSize(1, 1));
}

TGrob toPicture(const QImage &image, QSize size, int threshold, bool dither)
{
    const int w = std::clamp(size.width(), GrobModel::MinSize, GrobModel::MaxSize);
    const int h = std::clamp(size.height(), GrobModel::MinSize, GrobModel::MaxSize);
    TGrob grob = TGrob::blank(w, h);
    if (image.isNull())
        return grob;

    // Transparent parts over white, then grey levels at the picture's size.
    QImage flat(w, h, QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(0, 0, w, h), image);
    }
    const QImage grey = flat.convertToFormat(QImage::Format_Grayscale8);

    // Two rows of levels with the error carried into them.
    std::vector<double> row(size_t(w) + 2), below(size_t(w) + 2);
    const auto load = [&](std::vector<double> &into, int y) {
        const uchar *line = grey.constScanLine(y);
        for (int x = 0; x < w; ++x)
            into[size_t(x) + 1] = line[x];
    };
    load(row, 0);
    for (int y = 0; y < h; ++y) {
        std::fill(below.begin(), below.end(), 0.0);
        if (y + 1 < h)
            load(below, y + 1);
        for (int x = 0; x < w; ++x) {
            const double level = row[size_t(x) + 1];
            const bool dark = level < threshold;
            if (dark)
                grob.setPixel(x, y, true);
            if (!dither)
                continue;
            const double err = level - (dark ? 0.0 : 255.0);
            row[size_t(x) + 2] += err * 7 / 16;
            below[size_t(x)] += err * 3 / 16;
            below[size_t(x) + 1] += err * 5 / 16;
            below[size_t(x) + 2] += err * 1 / 16;
        }
        std::swap(row, below);
    }
    return grob;
}

} // namespace PictureImage
