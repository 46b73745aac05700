// The response body decoded through the character set it declares, on arbitrary bodies: a known
// character set, an unknown name, or a declaration cut short by the 1024-byte border of the
// part that is searched.
//
// Input: a mode byte and a placement byte, then the charset name up to a zero byte, then the
// body bytes (zero bytes included).

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include "fuzz/FuzzInput.h"
#include "regex/RegexObject.h"
#include "text/TextPrimitives.h"
#include "web/ResponseDecoding.h"

namespace {

// Names ICU knows, names the decoder takes as GBK as they are, and a few that fan out into
// several characters or need state (UTF-16 and UTF-32 with their zero bytes, ISO-2022, HZ).
constexpr const char* kKnownCharsets[] = {
    "utf-8",       "UTF-8",      "gbk",      "GBK",    "gb2312",     "gb18030",
    "big5",        "shift_jis",  "euc-jp",   "euc-kr", "iso-8859-1", "windows-1252",
    "utf-16",      "utf-16le",   "utf-16be", "utf-32", "utf-7",      "iso-2022-jp",
    "iso-2022-cn", "hz-gb-2312", "koi8-r",   "scsu",   "bocu-1",     "ibm-37",
};

constexpr std::size_t kDeclarationWindow = 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tovrenic;
  using namespace tovrenic::fuzz;
  FuzzInput input(data, size);
  const std::uint8_t mode = input.Byte();
  const std::uint8_t placement = input.Byte();
  const std::string name = input.Field();
  std::string body = input.Rest();

  // Low two bits: where the charset comes from; bit 2: whether a declaration is put in at all.
  std::string charset;
  switch (mode & 3) {
    case 0:
    case 1:
      charset = kKnownCharsets[placement % std::size(kKnownCharsets)];
      break;
    case 2:
      charset = name;  // anything, mostly names ICU does not know
      break;
    default:
      charset = name.empty() ? "utf-8" : name;
      break;
  }
  if ((mode & 4) == 0) {
    const std::string declaration =
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + charset + "\">";
    if ((mode & 3) == 3) {
      // The declaration straddles the border: only its first part lies inside the window.
      const std::size_t inside = 1 + placement % declaration.size();
      const std::size_t at = kDeclarationWindow - inside;
      if (body.size() < at) body.resize(at, ' ');
      body.insert(at, declaration);
    } else {
      body.insert(placement % (body.size() + 1), declaration);
    }
  }

  RegexObject regex;
  const Bytes bytes(body);
  const Text decoded = DecodeResponseBody(bytes, regex);

  // Without "<meta" (any case, at any byte) in the searched head, the body comes back as it is,
  // up to its first zero byte.
  std::string head(TextFromBytes(BytesLeft(bytes, static_cast<int>(kDeclarationWindow))).view());
  for (char& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (head.find("<meta") == std::string::npos && decoded != TextFromBytes(bytes)) {
    Fail("a body without a declaration was changed: " + Printable(body));
  }
  return 0;
}
