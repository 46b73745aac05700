#include "web/ResponseDecoding.h"

#include <unicode/ucnv.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "text/TextPrimitives.h"
#include "web/PendingMessages.h"

namespace tovrenic {
namespace {

// "<meta", lazily up to the first "charset=", at most one non-word character (a quote, say),
// then the declared name. Run with the default options: case ignored, so META and CHARSET match;
// "." stops at a line feed, so both halves must stand on one line.
constexpr const char* kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

// Only the head of the page is searched; a declaration crossing this border is seen cut short.
constexpr int kDeclarationWindow = 1024;

// The code page the program's texts are in; "windows-936" has the euro sign at 0x80.
constexpr const char* kCodePage = "windows-936";

constexpr std::size_t kPivotUnits = 4096;

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter OpenConverter(const char* name) {
  UErrorCode status = U_ZERO_ERROR;
  Converter converter(ucnv_open(name, &status));
  if (U_FAILURE(status)) return nullptr;
  return converter;
}

bool TakenAsGbk(const Text& charset) {
  // Exact names only: "GBK" and "GB2312" in upper case are converted (to the same bytes).
  return charset == Text("gbk") || charset == Text("gb2312");
}

// Every byte of body, zero bytes included, converted from charset into code page 936 in one
// pass; characters code page 936 lacks become "?". Nothing when ICU does not know the name.
// The text ends at the first zero byte of the converted result: a UTF-16 page, whose bytes hold
// zeros all along, still converts whole up to its first U+0000.
std::optional<Text> ConvertToGbk(const Bytes& body, const Text& charset) {
  Converter from = OpenConverter(charset.data());
  Converter to = OpenConverter(kCodePage);
  if (!from || !to) return std::nullopt;
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setSubstChars(to.get(), "?", 1, &status);

  // A character takes at least the source's smallest character size and gives at most two GBK
  // bytes. A source that yields several characters from one sequence grows the buffer below.
  const std::size_t minCharSize = static_cast<std::size_t>(ucnv_getMinCharSize(from.get()));
  std::string out(2 * body.size() / (minCharSize > 0 ? minCharSize : 1) + 16, '\0');

  const char* source = body.data();
  const char* const sourceLimit = source + body.size();
  char* target = out.data();
  UChar pivot[kPivotUnits];
  UChar* pivotSource = pivot;
  UChar* pivotTarget = pivot;
  bool reset = true;
  for (;;) {
    status = U_ZERO_ERROR;
    ucnv_convertEx(to.get(), from.get(), &target, out.data() + out.size(), &source, sourceLimit,
                   pivot, &pivotSource, &pivotTarget, pivot + kPivotUnits, reset, true, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR) break;
    // Go on where the conversion stopped: the converters and the pivot keep their state.
    const std::size_t written = static_cast<std::size_t>(target - out.data());
    out.resize(out.size() * 2);
    target = out.data() + written;
    reset = false;
  }
  if (U_FAILURE(status)) return std::nullopt;
  out.resize(static_cast<std::size_t>(target - out.data()));
  return Text(std::move(out));  // cut at the first zero byte
}

}  // namespace

Text DecodeResponseBody(const Bytes& body, RegexObject& regex) {
  // The text before the first zero byte is what comes back unless the page is converted. Its
  // first 1024 bytes are the bytes before the first zero among the body's first 1024, so the
  // whole text is copied only when it is the result.
  const Text subject = TextFromBytes(BytesLeft(body, kDeclarationWindow));
  if (!regex.Create(Text(kCharsetPattern), subject)) return TextFromBytes(body);

  std::optional<Text> converted;
  const Text charset = regex.SubMatchText(1, 1);
  if (!charset.empty() && !TakenAsGbk(charset)) converted = ConvertToGbk(body, charset);

  // The request routine checks for give-up on its way out, not here.
  HandlePendingMessages();
  return converted ? std::move(*converted) : TextFromBytes(body);
}

}  // namespace tovrenic
