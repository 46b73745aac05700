#include "app/Look.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace tovrenic {

void ApplyApplicationLook() {
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  // fontconfig resolves 黑体 and SimHei to a face without Chinese glyphs; send them to real
  // 黑体-style faces first.
  const QStringList heiti = {QStringLiteral("WenQuanYi Zen Hei"),
                             QStringLiteral("Noto Sans CJK SC")};
  QFont::insertSubstitutions(QStringLiteral("黑体"), heiti);
  QFont::insertSubstitutions(QStringLiteral("SimHei"), heiti);
  QApplication::setFont(DefaultGuiFont());
}

void HideSelectionWhileUnfocused(QWidget* box) {
  // An unfocused text box draws its selection in the inactive colours.
  QPalette colours = box->palette();
  colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Base));
  colours.setColor(QPalette::Inactive, QPalette::HighlightedText, colours.color(QPalette::Text));
  box->setPalette(colours);
}

QColor ButtonFaceColour() { return QApplication::palette().color(QPalette::Button); }

// The controls of the Chinese desktop use a face with Chinese glyphs of its own; that also spares
// the fallback search a Latin face would need for every control text.
QFont DefaultGuiFont() {
  QFont font;
  font.setFamilies({QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC")});
  font.setPixelSize(12);
  return font;
}

QFont PanelFont() {
  QFont font(QStringLiteral("黑体"));
  font.setPixelSize(14);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  return font;
}

QFont NewsButtonFont() {
  QFont font = DefaultGuiFont();
  font.setPixelSize(12);
  font.setWeight(QFont::Normal);
  return font;
}

}  // namespace tovrenic
