#pragma once

#include "formats/ObjectFile.h"

#include <QImage>
#include <QSize>
#include <QString>

// Pictures to and from ordinary image files: export as PNG, and import of
// any image Qt reads (PNG, BMP, JPEG, GIF ...) scaled to the picture's size
// and reduced to black and white.
namespace PictureImage {

// Images whose pixel count exceeds this are refused before they are decoded:
// 16 megapixels (4096 x 4096) decode to 64 MB, which is already far more than
// any 1000 x 1000 picture needs.
constexpr qint64 MaxImportPixels = qint64(4096) * 4096;

// A black-on-white image of the picture, one image pixel per picture pixel.
QImage toImage(const TGrob &grob);

// Writes the picture as a PNG file, through a temporary file and a rename.
bool exportPng(const TGrob &grob, const QString &path, QString *error = nullptr);

// The size of the image in a file, read from its header only. An invalid
// size and *error set when the file is no image Qt reads, or when it is
// larger than MaxImportPixels.
QSize probe(const QString &path, QString *error = nullptr);

// The decoded image (after probe has accepted it); a null image and *error
// set on failure.
QImage load(const QString &path, QString *error = nullptr);

// The size a picture of an image gets by default: the image's own size when
// it fits in maxSize, otherwise the largest size of the same shape that fits.
QSize fittingSize(QSize image, QSize maxSize);

// The image scaled to size (1..1000 each way) and turned into a picture: a
// pixel darker than threshold (0..256, on a 0..255 grey scale) becomes
// black. With dither, the error of each pixel is spread to its neighbours
// (Floyd-Steinberg), so greys come out as patterns. Transparent parts count
// as white.
TGrob toPicture(const QImage &image, QSize size, int threshold, bool dither);

} // namespace PictureImage
