#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QWidget>

#include <future>

namespace tovrenic {

// Where a picture of the given size is drawn in a box: centred, and shrunk to fit keeping its
// proportions when it is wider or taller than the box; never enlarged.
QRect CenteredShrinkRect(QSize picture, QSize box);

// A JPEG being decoded on a worker thread into the size it takes in a box of the given size,
// so that the decoding overlaps with building the window.
class PendingPicture {
 public:
  PendingPicture(const QByteArray& jpeg, QSize box);

  // The place of the picture in the box; empty when the data is no JPEG.
  QRect rect() const { return rect_; }
  // The decoded picture, waiting for the worker the first time; null when decoding failed.
  const QImage& image();

 private:
  QRect rect_;
  std::future<QImage> decoding_;
  QImage image_;
};

// A borderless box that shows one picture centred and shrunk to fit, on the button-face colour.
class PictureBox : public QWidget {
 public:
  PictureBox(PendingPicture picture, QRect place, QWidget* parent);

  QRect pictureRect() const { return picture_.rect(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PendingPicture picture_;
};

}  // namespace tovrenic
