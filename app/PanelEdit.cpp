#include "app/PanelEdit.h"

#include <QTextBlockFormat>
#include <QTextCursor>

#include "app/Look.h"
#include "app/QtText.h"

namespace tovrenic {
namespace {
// Lines two pixels taller than the characters: the weather block's five lines fit the weather
// panel, and the news block's wrapped headlines stay readable.
constexpr int kLineHeight = 16;
}  // namespace

PanelEdit::PanelEdit(QWidget* parent) : QTextEdit(parent) {
  setAcceptRichText(false);
  setUndoRedoEnabled(false);
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setFocusPolicy(Qt::StrongFocus);
  setTabChangesFocus(true);
  setFrameShape(QFrame::NoFrame);
  setLineWrapMode(QTextEdit::WidgetWidth);
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

void PanelEdit::setPanelText(const Text& text) {
  text_ = text;
  setPlainText(ToEditString(text));
  QTextBlockFormat spacing;
  spacing.setLineHeight(kLineHeight, QTextBlockFormat::FixedHeight);
  QTextCursor all(document());
  all.select(QTextCursor::Document);
  all.mergeBlockFormat(spacing);
}

}  // namespace tovrenic
