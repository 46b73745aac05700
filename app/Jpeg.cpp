#include "app/Jpeg.h"

#include <turbojpeg.h>

#include <memory>

namespace tovrenic {
namespace {

struct HandleCloser {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using Decompressor = std::unique_ptr<void, HandleCloser>;

struct Header {
  int width = 0;
  int height = 0;
};

bool ReadHeader(tjhandle handle, const QByteArray& jpeg, Header& header) {
  int subsampling = 0;
  int colourspace = 0;
  return tjDecompressHeader3(handle, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                             static_cast<unsigned long>(jpeg.size()), &header.width,
                             &header.height, &subsampling, &colourspace) == 0 &&
         header.width > 0 && header.height > 0;
}

// The smallest DCT scaling of the picture that still covers target in both directions.
QSize DecodeSize(const Header& header, QSize target) {
  QSize best(header.width, header.height);
  int count = 0;
  const tjscalingfactor* factors = tjGetScalingFactors(&count);
  for (int i = 0; factors && i < count; ++i) {
    QSize scaled(TJSCALED(header.width, factors[i]), TJSCALED(header.height, factors[i]));
    if (scaled.width() >= target.width() && scaled.height() >= target.height() &&
        scaled.width() * scaled.height() < best.width() * best.height()) {
      best = scaled;
    }
  }
  return best;
}

}  // namespace

QSize JpegSize(const QByteArray& jpeg) {
  Decompressor handle(tjInitDecompress());
  Header header;
  if (!handle || !ReadHeader(handle.get(), jpeg, header)) return {};
  return {header.width, header.height};
}

QImage DecodeJpeg(const QByteArray& jpeg, QSize target) {
  Decompressor handle(tjInitDecompress());
  Header header;
  if (!handle || !ReadHeader(handle.get(), jpeg, header) || target.isEmpty()) return {};
  QSize size = DecodeSize(header, target);
  QImage image(size, QImage::Format_RGB888);
  if (image.isNull()) return {};
  if (tjDecompress2(handle.get(), reinterpret_cast<const unsigned char*>(jpeg.constData()),
                    static_cast<unsigned long>(jpeg.size()), image.bits(), size.width(),
                    static_cast<int>(image.bytesPerLine()), size.height(), TJPF_RGB,
                    TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE) != 0) {
    return {};
  }
  if (size == target) return image;
  return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace tovrenic
