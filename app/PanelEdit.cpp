#include "app/PanelEdit.h"

#include "app/Look.h"
#include "app/QtText.h"

namespace tovrenic {

PanelEdit::PanelEdit(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setFocusPolicy(Qt::StrongFocus);
  setTabChangesFocus(true);
  setFrameShape(QFrame::NoFrame);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFont(PanelFont());
  document()->setDocumentMargin(1);
  QPalette colours = palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    colours.setColor(group, QPalette::Base, kPanelGreen);
    colours.setColor(group, QPalette::Window, kPanelGreen);
    colours.setColor(group, QPalette::Text, Qt::black);
  }
  // The selection shows only while the panel has the focus.
  colours.setColor(QPalette::Inactive, QPalette::Highlight, kPanelGreen);
  colours.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
  setPalette(colours);
}

void PanelEdit::setText(const Text& text) {
  text_ = text;
  setPlainText(ToEditString(text));
}

}  // namespace tovrenic
