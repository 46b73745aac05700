#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QWidget>

namespace tovrenic {

// Where a picture of the given size is drawn in a box: centred, and shrunk to fit keeping its
// proportions when it is wider or taller than the box; never enlarged.
QRect CenteredShrinkRect(QSize picture, QSize box);

// A borderless box that shows one JPEG centred and shrunk to fit, on the button-face colour.
class PictureBox : public QWidget {
 public:
  PictureBox(const QByteArray& jpeg, QWidget* parent);

  QRect pictureRect() const { return pictureRect_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QByteArray jpeg_;
  QRect pictureRect_;
  QImage scaled_;
};

}  // namespace tovrenic
