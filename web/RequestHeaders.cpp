#include "web/RequestHeaders.h"

#include <string_view>
#include <unordered_set>
#include <utility>

#include "text/TextPrimitives.h"
#include "web/PendingMessages.h"

namespace tovrenic {
namespace {

const Text kLineEnd("\r\n");
const Text kCookieSeparator("; ");

struct DefaultHeader {
  const char* searchKey;
  const char* line;
  bool postOnly;
};

// Tried in this order. The search keys are matched anywhere in the block, ignoring case, so
// "X-Accept: 1" already counts as an Accept line. The Content-Type key has no blank behind its
// colon, unlike the others.
constexpr DefaultHeader kDefaultHeaders[] = {
    {"User-Agent: ",
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n",
     false},
    {"Accept: ", "Accept: text/html, application/xhtml+xml, */*\r\n", false},
    {"Accept-Encoding: ", "Accept-Encoding: gbk, GB2312\r\n", false},
    {"Accept-Language: ", "Accept-Language: zh-cn\r\n", false},
    {"Content-Type:", "Content-Type: application/x-www-form-urlencoded\r\n", true},
    {"Cache-Control: ", "Cache-Control: no-cache\r\n", false},
};

constexpr int kPostMethod = 1;

bool Contains(const Text& text, const Text& marker, bool ignoreCase) {
  return FindText(text, marker, 1, ignoreCase) != -1;
}

// Upper-cases the first byte when it is a-z; UpperCaseText leaves every other byte alone.
Text CapitalizeFirst(const Text& word) {
  return ConcatText(UpperCaseText(TextLeft(word, 1)), TextMid(word, 2, TextLength(word) - 1));
}

// Drops the separator that ends text; text shorter than it becomes empty.
Text WithoutLast(const Text& text, const Text& separator) {
  return TextLeft(text, TextLength(text) - TextLength(separator));
}

}  // namespace

Text BuildRequestHeaders(const Text& extraHeaders, const Text& sendCookies, int method,
                         bool completeHeaders, bool normalizeHeaderNames) {
  Text headers;
  if (!extraHeaders.empty()) headers = ConcatText(extraHeaders, kLineEnd);

  if (completeHeaders) {
    for (const DefaultHeader& row : kDefaultHeaders) {
      if (row.postOnly && method != kPostMethod) continue;
      if (!Contains(headers, Text(row.searchKey), true)) headers += Text(row.line);
    }
  }

  if (normalizeHeaderNames) headers = CapitalizeHeaderNames(headers);

  // A capitalised block has no line end behind its last line, so a keep-alive line standing
  // last is not matched and stays.
  if (Contains(headers, Text("Connection"), false) &&
      HeaderValue(headers, Text("Connection")) == Text("keep-alive")) {
    headers = ReplaceText(headers, Text("Connection: keep-alive\r\n"), Text(), 1, -1, true);
  }

  // A cookie line among the caller's headers wins over sendCookies.
  if (!Contains(headers, Text("Cookie:"), true) && !sendCookies.empty()) {
    if (Contains(sendCookies, Text("Cookie:"), true)) {
      headers = ConcatText(std::move(headers), kLineEnd, sendCookies, kLineEnd);
    } else {
      headers = ConcatText(std::move(headers), Text("\r\nCookie: "), sendCookies, kLineEnd);
    }
  }
  return headers;
}

Text CapitalizeHeaderNames(const Text& headers) {
  Text result;
  result.reserve(headers.size());
  for (const Text& piece : SplitText(headers, kLineEnd)) {
    int colon = FindText(piece, Text(":"));
    if (colon == -1) continue;  // empty pieces land here too
    Text name = TextLeft(piece, colon - 1);
    if (!Contains(name, Text("-"), false)) {
      name = CapitalizeFirst(name);
    } else {
      // SplitText gives no empty last part, so a name ending in "-" loses that "-".
      Text joined;
      for (const Text& part : SplitText(name, Text("-"))) {
        joined = ConcatText(std::move(joined), CapitalizeFirst(part), Text("-"));
      }
      name = WithoutLast(joined, Text("-"));
    }
    result = ConcatText(std::move(result), name,
                        TextMid(piece, colon, TextLength(piece) - colon + 1), kLineEnd);
  }
  return WithoutLast(result, kLineEnd);
}

Text HeaderValue(const Text& headers, const Text& name) {
  for (const Text& line : SplitText(headers, kLineEnd)) {
    if (TextLeft(line, TextLength(name)) == name) {
      return TextRightOf(line, ConcatText(name, Text(": ")));
    }
  }
  return {};
}

Text TextLeftOf(const Text& text, const Text& marker) {
  int p = FindText(text, marker);
  if (p == -1) return {};
  return TextLeft(text, p - 1);
}

Text TextRightOf(const Text& text, const Text& marker) {
  // The search ends one byte early: a marker that ends on the last byte is not found, and an
  // earlier occurrence is taken instead.
  int length = TextLength(text);
  int p = FindTextReverse(text, marker, length);
  if (p == -1) return {};
  return TextRight(text, length - TextLength(marker) - p + 1);
}

void ProcessResponseHeaders(const Text& responseHeaders, bool mergeCookies, Text& receivedCookies,
                            Text& redirectLocation, Text& sendCookies) {
  const Text setCookie("Set-Cookie:");
  for (const Text& line : SplitText(responseHeaders, kLineEnd)) {
    // The name must be exactly "Set-Cookie": a lower-case set-cookie line is not collected.
    if (CompareText(TextLeftOf(line, Text(": ")), Text("Set-Cookie"), true) == 0) {
      // Only name=value is kept; path, domain, expiry and flags stand behind the first ";".
      Text cookie = Contains(line, Text(";"), false)
                        ? TextBetween(line, setCookie, Text(";"))
                        : ReplaceText(line, setCookie, Text(), 1, -1, false);
      receivedCookies = ConcatText(std::move(receivedCookies), TrimText(cookie), kCookieSeparator);
    }
    if (CompareText(TextLeft(line, 10), Text("Location: "), false) == 0) {
      redirectLocation = TextMid(line, 11, TextLength(line) - 10);
    }
    // Whether the request should give up is decided by the request routine itself.
    HandlePendingMessages();
  }

  if (TextRight(receivedCookies, 2) == kCookieSeparator) {
    receivedCookies = WithoutLast(receivedCookies, kCookieSeparator);
  }

  if (mergeCookies && !sendCookies.empty()) {
    Text merged = MergeCookies(sendCookies, receivedCookies);
    sendCookies = merged;
    receivedCookies = std::move(merged);
  }
}

Text MergeCookies(Text& sentCookies, Text& receivedCookies) {
  for (Text* cookies : {&sentCookies, &receivedCookies}) {
    *cookies = TrimText(*cookies);
    if (TextRight(*cookies, 1) == Text(";")) *cookies += Text(" ");
  }

  const TextList sent = SplitText(sentCookies, kCookieSeparator);
  TextList items = SplitText(receivedCookies, kCookieSeparator);
  // Received items come first; a sent item follows only when no item so far has its name.
  for (const Text& item : sent) {
    Text name = CookieName(item);
    bool named = false;
    for (const Text& have : items) {
      if (CompareText(CookieName(have), name, true) == 0) {
        named = true;
        break;
      }
    }
    if (!named) items.push_back(item);
  }

  // A cookie set to "deleted", by the server or in what was sent, is dropped.
  Text merged;
  for (const Text& item : items) {
    if (TextRight(item, 8) == Text("=deleted")) continue;
    merged = ConcatText(std::move(merged), item, kCookieSeparator);
  }
  merged = RemoveDuplicateItems(WithoutLast(merged, kCookieSeparator), kCookieSeparator);

  sentCookies = merged;
  receivedCookies = merged;
  return merged;
}

Text RemoveDuplicateItems(const Text& text, const Text& separator) {
  const TextList items = SplitText(text, separator);
  std::unordered_set<std::string_view> kept;
  Text result;
  result.reserve(text.size() + separator.size());
  for (const Text& item : items) {
    if (!kept.insert(item.view()).second) continue;
    result = ConcatText(std::move(result), item, separator);
  }
  return WithoutLast(result, separator);
}

Text CookieName(const Text& item) {
  int equals = FindText(item, Text("="));
  if (equals == -1) return TrimText(item);
  return TrimText(TextLeft(item, equals - 1));
}

}  // namespace tovrenic
