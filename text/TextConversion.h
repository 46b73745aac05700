#pragma once

#include <string>
#include <string_view>

#include "text/Text.h"

namespace tovrenic {

// GBK text to UTF-16 little-endian bytes followed by one zero unit. The empty text gives empty
// bytes, without a zero unit.
Bytes TextToUtf16(const Text& text);

// UTF-16 little-endian bytes, up to the first zero unit (all of them when there is none), to GBK
// text. Base characters followed by combining marks are composed first where a precomposed
// character exists; characters GBK lacks become "?".
Text Utf16ToText(const Bytes& utf16);

// The same two conversions over native UTF-16 strings, for callers that hold them already
// (the window's strings, the regular-expression engine).
std::u16string TextToUtf16String(const Text& text);
Text Utf16StringToText(std::u16string_view utf16);

}  // namespace tovrenic
