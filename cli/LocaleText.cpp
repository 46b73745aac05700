#include "cli/LocaleText.h"

#include <langinfo.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <memory>
#include <utility>

#include "text/TextConversion.h"

namespace tovrenic {
namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter Open(const std::string& charset) {
  UErrorCode status = U_ZERO_ERROR;
  Converter converter(ucnv_open(charset.c_str(), &status));
  if (U_FAILURE(status)) return nullptr;
  return converter;
}

bool IsAscii(const std::string& charset) {
  return charset == "ANSI_X3.4-1968" || charset == "ASCII" || charset == "US-ASCII";
}

bool IsUtf8(const std::string& charset) {
  return ucnv_compareNames(charset.c_str(), "UTF-8") == 0;
}

// Bytes to UTF-16; with strict, a byte sequence invalid in the charset gives nothing.
std::optional<std::u16string> ToUtf16(const std::string& charset, std::string_view bytes,
                                      bool strict) {
  Converter converter = Open(charset);
  if (!converter) return std::nullopt;
  UErrorCode status = U_ZERO_ERROR;
  if (strict) {
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
  }
  const int32_t needed = ucnv_toUChars(converter.get(), nullptr, 0, bytes.data(),
                                       static_cast<int32_t>(bytes.size()), &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
  std::u16string units(static_cast<std::size_t>(needed) + 1, u'\0');
  status = U_ZERO_ERROR;
  ucnv_resetToUnicode(converter.get());
  const int32_t length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(units.data()),
                                       static_cast<int32_t>(units.size()), bytes.data(),
                                       static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status)) return std::nullopt;
  units.resize(static_cast<std::size_t>(length));
  return units;
}

std::string FromUtf16(const std::string& charset, std::u16string_view units) {
  Converter converter = Open(charset);
  if (!converter) return {};
  UErrorCode status = U_ZERO_ERROR;
  const int32_t needed =
      ucnv_fromUChars(converter.get(), nullptr, 0, reinterpret_cast<const UChar*>(units.data()),
                      static_cast<int32_t>(units.size()), &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return {};
  std::string bytes(static_cast<std::size_t>(needed) + 1, '\0');
  status = U_ZERO_ERROR;
  const int32_t length = ucnv_fromUChars(
      converter.get(), bytes.data(), static_cast<int32_t>(bytes.size()),
      reinterpret_cast<const UChar*>(units.data()), static_cast<int32_t>(units.size()), &status);
  if (U_FAILURE(status)) return {};
  bytes.resize(static_cast<std::size_t>(length));
  return bytes;
}

}  // namespace

LocaleEncoding::LocaleEncoding(std::string charset)
    : charset_(IsAscii(charset) || !Open(charset) ? "UTF-8" : std::move(charset)) {}

LocaleEncoding LocaleEncoding::Current() {
  return LocaleEncoding(nl_langinfo(CODESET));
}

std::optional<Text> LocaleEncoding::ToText(std::string_view bytes) const {
  if (bytes.find('\0') != std::string_view::npos) return std::nullopt;
  std::optional<std::u16string> units = ToUtf16(charset_, bytes, /*strict=*/true);
  if (!units) return std::nullopt;
  return Utf16StringToText(*units);
}

std::string LocaleEncoding::FromText(const Text& text) const {
  return FromUtf16(charset_, TextToUtf16String(text));
}

std::string LocaleEncoding::FromUtf8(std::string_view utf8) const {
  if (IsUtf8(charset_)) return std::string(utf8);
  std::optional<std::u16string> units = ToUtf16("UTF-8", utf8, /*strict=*/false);
  return units ? FromUtf16(charset_, *units) : std::string(utf8);
}

std::string TextToUtf8(const Text& text) {
  return FromUtf16("UTF-8", TextToUtf16String(text));
}

}  // namespace tovrenic
