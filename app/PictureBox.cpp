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

PictureBox::PictureBox(const QByteArray& jpeg, QWidget* parent) : QWidget(parent), jpeg_(jpeg) {
  setAutoFillBackground(true);
}

void PictureBox::resizeEvent(QResizeEvent*) {
  pictureRect_ = CenteredShrinkRect(JpegSize(jpeg_), size());
  scaled_ = pictureRect_.isEmpty() ? QImage() : DecodeJpeg(jpeg_, pictureRect_.size());
}

void PictureBox::paintEvent(QPaintEvent*) {
  if (scaled_.isNull()) return;
  QPainter painter(this);
  painter.drawImage(pictureRect_.topLeft(), scaled_);
}

}  // namespace tovrenic
