#pragma once

#include <QTextEdit>

#include "text/Text.h"

namespace tovrenic {

// A read-only preview panel: green, borderless, wrapping, scrolling with the caret without a
// scroll bar, selectable and copyable with mouse and keyboard, its lines tightly spaced. It hands back exactly the GBK text it was given, so the report
// carries the producers' bytes even where the on-screen form differs (line breaks, characters
// the display normalises).
class PanelEdit : public QTextEdit {
 public:
  explicit PanelEdit(QWidget* parent);

  const Text& panelText() const { return text_; }
  void setPanelText(const Text& text);

 private:
  Text text_;
};

}  // namespace tovrenic
