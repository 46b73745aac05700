#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace tovrenic {

// The width and height a JPEG declares, or an invalid size when the data is no JPEG.
QSize JpegSize(const QByteArray& jpeg);

// Decodes a JPEG with libjpeg-turbo, shrunk to exactly target (when target is smaller than the
// picture, the decoder's own DCT scaling does most of the work and a smooth scale the rest).
// A null image when the data cannot be decoded.
QImage DecodeJpeg(const QByteArray& jpeg, QSize target);

}  // namespace tovrenic
