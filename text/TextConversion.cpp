#include "text/TextConversion.h"

#include <unicode/ucnv.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <memory>

namespace tovrenic {
namespace {

// "windows-936" is the exact code page 936 (0x80 is the euro sign), not plain GBK or GB18030.
constexpr const char* kCodePage = "windows-936";

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter OpenCodePage() {
  UErrorCode status = U_ZERO_ERROR;
  Converter converter(ucnv_open(kCodePage, &status));
  if (U_FAILURE(status)) return nullptr;
  status = U_ZERO_ERROR;
  ucnv_setSubstChars(converter.get(), "?", 1, &status);
  return converter;
}

// Composes a base character with the combining marks behind it where Unicode has a precomposed
// character, and leaves everything else alone (compatibility ideographs keep their code points,
// which a full normalisation would change).
std::u16string ComposeSequences(std::u16string_view in) {
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
  if (U_FAILURE(status)) return std::u16string(in);
  std::u16string out;
  out.reserve(in.size());
  UChar32 last = U_SENTINEL;  // the last code point written to out, while it may still compose
  std::size_t lastAt = 0;
  for (std::size_t i = 0; i < in.size();) {
    UChar32 c;
    U16_NEXT(in.data(), i, in.size(), c);
    if (last >= 0 && unorm2_getCombiningClass(nfc, c) != 0) {
      UChar32 composed = unorm2_composePair(nfc, last, c);
      if (composed >= 0) {
        out.resize(lastAt);
        last = composed;
        char16_t units[2];
        std::size_t n = 0;
        U16_APPEND_UNSAFE(units, n, composed);
        out.append(units, n);
        continue;
      }
    }
    lastAt = out.size();
    last = c;
    char16_t units[2];
    std::size_t n = 0;
    U16_APPEND_UNSAFE(units, n, c);
    out.append(units, n);
  }
  return out;
}

}  // namespace

std::u16string TextToUtf16String(const Text& text) {
  if (text.empty()) return {};
  Converter converter = OpenCodePage();
  if (!converter) return {};
  std::u16string out(text.size(), u'\0');  // never more units than bytes
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(out.data()),
                            static_cast<int32_t>(out.size()), text.data(),
                            static_cast<int32_t>(text.size()), &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return {};
  out.resize(static_cast<std::size_t>(n));
  return out;
}

Text Utf16StringToText(std::u16string_view utf16) {
  utf16 = utf16.substr(0, utf16.find(u'\0'));
  if (utf16.empty()) return {};
  Converter converter = OpenCodePage();
  if (!converter) return {};
  std::u16string composed = ComposeSequences(utf16);
  std::string out(composed.size() * 2, '\0');  // at most two bytes a unit
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucnv_fromUChars(converter.get(), out.data(), static_cast<int32_t>(out.size()),
                              reinterpret_cast<const UChar*>(composed.data()),
                              static_cast<int32_t>(composed.size()), &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return {};
  out.resize(static_cast<std::size_t>(n));
  return Text(std::move(out));
}

Bytes TextToUtf16(const Text& text) {
  std::u16string units = TextToUtf16String(text);
  if (units.empty()) return {};
  std::string bytes;
  bytes.reserve((units.size() + 1) * 2);
  for (char16_t unit : units) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  bytes.append(2, '\0');
  return Bytes(std::move(bytes));
}

Text Utf16ToText(const Bytes& utf16) {
  std::u16string units;
  units.reserve(utf16.size() / 2);
  const auto* p = reinterpret_cast<const unsigned char*>(utf16.data());
  for (std::size_t i = 0; i + 1 < utf16.size(); i += 2) {
    char16_t unit = static_cast<char16_t>(p[i] | (p[i + 1] << 8));
    if (unit == 0) break;
    units.push_back(unit);
  }
  return Utf16StringToText(units);
}

}  // namespace tovrenic
