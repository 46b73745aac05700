#pragma once

// Text between the program's GBK and the encoding of the user's locale, in which the command
// line, the message file and the terminal speak.

#include <optional>
#include <string>
#include <string_view>

#include "text/Text.h"

namespace tovrenic {

class LocaleEncoding {
 public:
  // The character set named (an ICU converter name such as "UTF-8" or "GB18030"); one that
  // ICU does not know counts as UTF-8.
  explicit LocaleEncoding(std::string charset);

  // The encoding of the LC_CTYPE locale in force (setlocale must have run). The C locale's
  // ASCII counts as UTF-8: cron often runs jobs without LANG, and their bytes are UTF-8 still.
  static LocaleEncoding Current();

  const std::string& charset() const { return charset_; }

  // The bytes as GBK text; characters GBK lacks become "?". Nothing when the bytes are not
  // valid in this encoding or hold a zero byte.
  std::optional<Text> ToText(std::string_view bytes) const;

  // GBK text in this encoding, for the terminal.
  std::string FromText(const Text& text) const;

  // UTF-8 (the program's own messages) in this encoding.
  std::string FromUtf8(std::string_view utf8) const;

 private:
  std::string charset_;
};

// GBK text as UTF-8 bytes.
std::string TextToUtf8(const Text& text);

}  // namespace tovrenic
