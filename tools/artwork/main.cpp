// Draws Tovrenic's bundled artwork: chat.jpg, a 1080x1920 phone chat screen
// with one large green outgoing message bubble, and tovrenic.png, the 256x256
// application icon. Both outputs are committed under app/resources/.
// To regenerate them, build this directory and run it with app/resources as
// OUTDIR:
//   cmake -S tools/artwork -B /tmp/artwork-build -G Ninja
//   cmake --build /tmp/artwork-build
//   /tmp/artwork-build/artwork app/resources

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <turbojpeg.h>

#include <cstdio>
#include <memory>

namespace {

// The bubble green. Nothing else on the chat screen may use it, or anything
// close to it: the app finds the bubble by this colour.
const QColor kBubbleGreen(154, 237, 109);

const QColor kBarBackground(247, 247, 247);
const QColor kChatBackground(237, 237, 237);
const QColor kSeparator(217, 217, 217);
const QColor kInk(25, 25, 25);
const QColor kIconInk(40, 40, 40);

constexpr int kChatWidth = 1080;
constexpr int kChatHeight = 1920;

// Layout of the chat screen, in image pixels.
constexpr qreal kStatusBarBottom = 84;
constexpr qreal kTitleBarBottom = 192;
constexpr qreal kInputBarTop = 1650;

// The bubble body; its tail sticks out of the right edge towards the avatar.
// Its straight edges sit on the JPEG's 8x8 block grid so the blocks inside
// stay perfectly flat after compression.
const QRectF kBubbleBody(184, 208, 704, 1376);  // x 184..888, y 208..1584
constexpr qreal kBubbleRadius = 36;
constexpr qreal kTailTipX = 900;
const QRectF kAvatar(930, 208, 120, 120);  // x 930..1050, y 208..328

const QString kFontFamily = QStringLiteral("WenQuanYi Zen Hei");

QFont pixelFont(int pixelSize, bool bold = false) {
  QFont font(kFontFamily);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

QPen roundPen(const QColor& colour, qreal width) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawStatusBar(QPainter& p) {
  p.fillRect(QRectF(0, 0, kChatWidth, kStatusBarBottom), kBarBackground);
  const qreal midY = kStatusBarBottom / 2 + 4;

  p.setPen(kInk);
  p.setFont(pixelFont(38, true));
  p.drawText(QRectF(60, 0, 200, kStatusBarBottom + 8), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("9:41"));

  // Signal strength: four bars of rising height.
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  for (int i = 0; i < 4; ++i) {
    const qreal h = 10 + i * 7;
    p.drawRoundedRect(QRectF(812 + i * 14, midY + 14 - h, 9, h), 2, 2);
  }

  // Wi-Fi: a quarter fan drawn as three nested pies with background gaps.
  const QPointF fan(930, midY + 14);
  for (int i = 0; i < 3; ++i) {
    const qreal r = 30 - i * 10;
    p.setBrush(kInk);
    p.drawPie(QRectF(fan.x() - r, fan.y() - r, 2 * r, 2 * r), 45 * 16, 90 * 16);
    if (i < 2) {
      const qreal g = r - 4;
      p.setBrush(kBarBackground);
      p.drawPie(QRectF(fan.x() - g, fan.y() - g, 2 * g, 2 * g), 45 * 16, 90 * 16);
    }
  }

  // Battery: outlined body, charge level and the terminal nub.
  const QRectF battery(972, midY - 13, 56, 27);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(120, 120, 120), 3));
  p.drawRoundedRect(battery, 7, 7);
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawRoundedRect(battery.adjusted(5, 5, -16, -5), 3, 3);
  p.setBrush(QColor(120, 120, 120));
  p.drawRoundedRect(QRectF(battery.right() + 3, midY - 5, 5, 11), 2, 2);
}

void drawTitleBar(QPainter& p) {
  const QRectF bar(0, kStatusBarBottom, kChatWidth, kTitleBarBottom - kStatusBarBottom);
  p.fillRect(bar, kBarBackground);
  const qreal midY = bar.center().y();

  // Back chevron.
  p.setBrush(Qt::NoBrush);
  p.setPen(roundPen(kIconInk, 6));
  p.drawPolyline(QPolygonF({QPointF(66, midY - 24), QPointF(42, midY), QPointF(66, midY + 24)}));

  p.setPen(kInk);
  p.setFont(pixelFont(50, true));
  p.drawText(bar, Qt::AlignCenter, QStringLiteral("每日简报"));

  // "More" menu: three dots.
  p.setPen(Qt::NoPen);
  p.setBrush(kIconInk);
  for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(982 + i * 20, midY), 6, 6);

  p.fillRect(QRectF(0, kTitleBarBottom - 2, kChatWidth, 2), kSeparator);
}

void drawBubble(QPainter& p) {
  QPainterPath body;
  body.addRoundedRect(kBubbleBody, kBubbleRadius, kBubbleRadius);

  // Small tail on the right side, pointing at the avatar's middle.
  const qreal tipY = kAvatar.center().y();
  QPainterPath tail;
  tail.moveTo(kBubbleBody.right() - 4, tipY - 16);
  tail.lineTo(kTailTipX, tipY);
  tail.lineTo(kBubbleBody.right() - 4, tipY + 16);
  tail.closeSubpath();

  p.setPen(Qt::NoPen);
  p.setBrush(kBubbleGreen);
  p.drawPath(body.united(tail));
}

void drawAvatar(QPainter& p) {
  QPainterPath clip;
  clip.addRoundedRect(kAvatar, 14, 14);
  p.save();
  p.setClipPath(clip);
  p.fillRect(kAvatar, QColor(92, 132, 204));

  // Head and shoulders.
  const QPointF c = kAvatar.center();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(58, 84, 140));
  p.drawEllipse(QPointF(c.x(), kAvatar.bottom() + 18), 50, 46);
  p.setBrush(QColor(250, 214, 170));
  p.drawEllipse(QPointF(c.x(), c.y() - 8), 34, 36);

  // Hair, eyes and a smile.
  p.setBrush(QColor(60, 44, 36));
  p.drawChord(QRectF(c.x() - 36, c.y() - 48, 72, 60), 20 * 16, 140 * 16);
  p.drawEllipse(QPointF(c.x() - 12, c.y() - 6), 4, 4.5);
  p.drawEllipse(QPointF(c.x() + 12, c.y() - 6), 4, 4.5);
  p.setBrush(Qt::NoBrush);
  p.setPen(roundPen(QColor(150, 70, 60), 3.5));
  p.drawArc(QRectF(c.x() - 12, c.y() - 4, 24, 18), 200 * 16, 140 * 16);
  p.restore();
}

void drawInputBar(QPainter& p) {
  p.fillRect(QRectF(0, kInputBarTop, kChatWidth, kChatHeight - kInputBarTop), kBarBackground);
  p.fillRect(QRectF(0, kInputBarTop, kChatWidth, 2), kSeparator);
  const qreal midY = kInputBarTop + 84;

  // Voice button: an outlined circle holding a dot and two sound arcs.
  const QPointF voice(76, midY);
  p.setBrush(Qt::NoBrush);
  p.setPen(roundPen(kIconInk, 5));
  p.drawEllipse(voice, 40, 40);
  p.setPen(Qt::NoPen);
  p.setBrush(kIconInk);
  p.drawEllipse(QPointF(voice.x() - 12, voice.y()), 5, 5);
  p.setBrush(Qt::NoBrush);
  p.setPen(roundPen(kIconInk, 4.5));
  for (int i = 1; i <= 2; ++i) {
    const qreal r = 10.0 * i;
    p.drawArc(QRectF(voice.x() - 12 - r, voice.y() - r, 2 * r, 2 * r), -50 * 16, 100 * 16);
  }

  // Text field.
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(140, midY - 60, 680, 120), 16, 16);

  // Emoji button: outlined smiley.
  const QPointF emoji(880, midY);
  p.setBrush(Qt::NoBrush);
  p.setPen(roundPen(kIconInk, 5));
  p.drawEllipse(emoji, 40, 40);
  p.drawArc(QRectF(emoji.x() - 18, emoji.y() - 10, 36, 30), 200 * 16, 140 * 16);
  p.setPen(Qt::NoPen);
  p.setBrush(kIconInk);
  p.drawEllipse(QPointF(emoji.x() - 13, emoji.y() - 10), 5, 5);
  p.drawEllipse(QPointF(emoji.x() + 13, emoji.y() - 10), 5, 5);

  // "More" button: outlined circle with a plus.
  const QPointF plus(996, midY);
  p.setBrush(Qt::NoBrush);
  p.setPen(roundPen(kIconInk, 5));
  p.drawEllipse(plus, 40, 40);
  p.drawLine(QPointF(plus.x() - 20, plus.y()), QPointF(plus.x() + 20, plus.y()));
  p.drawLine(QPointF(plus.x(), plus.y() - 20), QPointF(plus.x(), plus.y() + 20));

  // Home indicator.
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawRoundedRect(QRectF(kChatWidth / 2.0 - 200, 1872, 400, 14), 7, 7);
}

QImage drawChatScreen() {
  QImage image(kChatWidth, kChatHeight, QImage::Format_RGB32);
  image.fill(kChatBackground);

  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  drawStatusBar(p);
  drawTitleBar(p);
  drawBubble(p);
  drawAvatar(p);
  drawInputBar(p);
  p.end();
  return image;
}

QImage drawIcon() {
  QImage image(256, 256, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);

  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);

  // Chat bubble with a tail at the lower left.
  QPainterPath bubble;
  bubble.addRoundedRect(QRectF(20, 44, 200, 156), 40, 40);
  QPainterPath tail;
  tail.moveTo(52, 180);
  tail.lineTo(28, 236);
  tail.lineTo(104, 194);
  tail.closeSubpath();
  p.setPen(QPen(QColor(96, 168, 62), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(kBubbleGreen);
  p.drawPath(bubble.united(tail));

  // Three lines of "text".
  p.setPen(roundPen(QColor(38, 52, 38), 14));
  p.drawLine(QPointF(56, 94), QPointF(176, 94));
  p.drawLine(QPointF(56, 126), QPointF(184, 126));
  p.drawLine(QPointF(56, 158), QPointF(136, 158));

  // A small morning sun in the top right corner.
  const QPointF sun(212, 46);
  p.setPen(roundPen(QColor(244, 156, 28), 7));
  for (int i = 0; i < 8; ++i) {
    p.save();
    p.translate(sun);
    p.rotate(i * 45.0);
    p.drawLine(QPointF(0, -30), QPointF(0, -40));
    p.restore();
  }
  p.setPen(QPen(Qt::white, 5));
  p.setBrush(QColor(255, 190, 40));
  p.drawEllipse(sun, 23, 23);
  p.end();
  return image;
}

// Baseline JPEG through TurboJPEG; 4:4:4 keeps the bubble edge crisp.
bool writeJpeg(const QImage& image, const QString& path, int quality) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitCompress(), tjDestroy);
  if (!handle) {
    std::fprintf(stderr, "artwork: tjInitCompress failed: %s\n", tjGetErrorStr2(nullptr));
    return false;
  }

  unsigned char* jpeg = nullptr;
  unsigned long jpegSize = 0;
  const int rc = tjCompress2(handle.get(), rgb.constBits(), rgb.width(),
                             static_cast<int>(rgb.bytesPerLine()), rgb.height(), TJPF_RGB, &jpeg,
                             &jpegSize, TJSAMP_420, quality, TJFLAG_ACCURATEDCT);
  if (rc != 0) {
    std::fprintf(stderr, "artwork: tjCompress2 failed: %s\n", tjGetErrorStr2(handle.get()));
    tjFree(jpeg);
    return false;
  }

  QFile file(path);
  const bool ok = file.open(QIODevice::WriteOnly) &&
                  file.write(reinterpret_cast<const char*>(jpeg), static_cast<qint64>(jpegSize)) ==
                      static_cast<qint64>(jpegSize);
  tjFree(jpeg);
  if (!ok) std::fprintf(stderr, "artwork: cannot write %s\n", qPrintable(path));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  // Text needs a font database, hence a QGuiApplication; no display needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  if (argc != 2) {
    std::fprintf(stderr, "usage: artwork OUTDIR\n");
    return 2;
  }
  const QDir outDir(QString::fromLocal8Bit(argv[1]));
  if (!outDir.exists()) {
    std::fprintf(stderr, "artwork: no such directory: %s\n", argv[1]);
    return 1;
  }

  if (!writeJpeg(drawChatScreen(), outDir.filePath(QStringLiteral("chat.jpg")), 92)) return 1;

  const QString iconPath = outDir.filePath(QStringLiteral("tovrenic.png"));
  if (!drawIcon().save(iconPath, "PNG")) {
    std::fprintf(stderr, "artwork: cannot write %s\n", qPrintable(iconPath));
    return 1;
  }
  return 0;
}
