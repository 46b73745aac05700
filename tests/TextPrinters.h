#pragma once

// How GoogleTest shows texts and bytes in failure messages: line ends, zero bytes and GBK bytes
// written as escapes, so that two texts that differ in one byte look different.

#include <cstdio>
#include <ostream>
#include <string_view>

#include "text/Text.h"

namespace tovrenic {

inline void PrintVisibly(std::string_view bytes, std::ostream* os) {
  *os << '"';
  for (unsigned char c : bytes) {
    if (c == '\r') {
      *os << "\\r";
    } else if (c == '\n') {
      *os << "\\n";
    } else if (c < 0x20 || c >= 0x7F) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      *os << hex;
    } else {
      *os << c;
    }
  }
  *os << '"';
}

inline void PrintTo(const Text& text, std::ostream* os) { PrintVisibly(text.view(), os); }
inline void PrintTo(const Bytes& bytes, std::ostream* os) { PrintVisibly(bytes.view(), os); }

}  // namespace tovrenic
