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
  setPalette(colours);
  HideSelectionWhileUnfocused(this);
}

void PanelEdit::setText(const Text& text) {
  text_ = text;
  setPlainText(ToEditString(text));
}

}  // namespace tovrenic
