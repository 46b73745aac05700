#include "app/PictureBox.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "app/Jpeg.h"

namespace tovrenic {

QRect CenteredShrinkRect(QSize picture, QSize box) {
  const int W = picture.width();
  const int H = picture.height();
  if (W <= 0 || H <= 0) return {};
  int x0 = 0;
  int y0 = 0;
  int roomW = box.width();
  int roomH = box.height();
  if (W < box.width()) {
    x0 = (box.width() - W) / 2;
    roomW = W;
  }
  if (H < box.height()) {
    y0 = (box.height() - H) / 2;
    roomH = H;
  }
  int w = W;
  int h = H;
  if (roomW < W || roomH < H) {
    double g = std::min(static_cast<double>(roomW) / W, static_cast<double>(roomH) / H);
    w = static_cast<int>(std::trunc(W * g));
    h = static_cast<int>(std::trunc(H * g));
    x0 += (roomW - w) / 2;
    y0 += (roomH - h) / 2;
  }
  return {x0, y0, w, h};
}

PendingPicture::PendingPicture(const QByteArray& jpeg, QSize box)
    : rect_(CenteredShrinkRect(JpegSize(jpeg), box)) {
  if (rect_.isEmpty()) return;
  decoding_ = std::async(std::launch::async,
                         [jpeg, size = rect_.size()] { return DecodeJpeg(jpeg, size); });
}

const QImage& PendingPicture::image() {
  if (decoding_.valid()) image_ = decoding_.get();
  return image_;
}

PictureBox::PictureBox(PendingPicture picture, QRect place, QWidget* parent)
    : QWidget(parent), picture_(std::move(picture)) {
  setAutoFillBackground(true);
  setGeometry(place);
}

void PictureBox::paintEvent(QPaintEvent*) {
  const QImage& image = picture_.image();
  if (image.isNull()) return;
  QPainter painter(this);
  painter.drawImage(picture_.rect().topLeft(), image);
}

}  // namespace tovrenic
