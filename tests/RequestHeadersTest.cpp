#include <gtest/gtest.h>

#include "tests/TextPrinters.h"

#include <cstdio>
#include <initializer_list>
#include <ostream>
#include <string>

#include "web/PendingMessages.h"
#include "web/RequestHeaders.h"

namespace tovrenic {

namespace {

const std::string kUserAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)";
const std::string kAccept = "Accept: text/html, application/xhtml+xml, */*";
const std::string kEncoding = "Accept-Encoding: gbk, GB2312";
const std::string kLanguage = "Accept-Language: zh-cn";
const std::string kFormType = "Content-Type: application/x-www-form-urlencoded";
const std::string kCacheControl = "Cache-Control: no-cache";

std::string Lines(std::initializer_list<std::string> lines) {
  std::string joined;
  for (const std::string& line : lines) {
    if (!joined.empty()) joined += "\r\n";
    joined += line;
  }
  return joined;
}

const std::string kDefaultBlock = Lines({kUserAgent, kAccept, kEncoding, kLanguage, kCacheControl});

// Installs a hook that counts its calls and answers `answer`; removes it after each test.
class WithCountingHook : public ::testing::Test {
 protected:
  void SetUp() override {
    SetPendingMessagesHook([this] {
      ++calls;
      return answer;
    });
  }
  void TearDown() override { SetPendingMessagesHook({}); }

  int calls = 0;
  bool answer = true;
};

// --- BuildRequestHeaders ---------------------------------------------------------------------

TEST(BuildRequestHeaders, DefaultCallGivesTheFiveDefaultLinesWithoutFinalLineEnd) {
  EXPECT_EQ(BuildRequestHeaders(Text(), Text(), 0, true, true), Text(kDefaultBlock));
}

TEST(BuildRequestHeaders, Cases) {
  struct Case {
    const char* what;
    std::string extraHeaders;
    std::string sendCookies;
    int method;
    bool completeHeaders;
    bool normalizeHeaderNames;
    std::string expected;
  };
  const Case cases[] = {
      {"only POST gets a default Content-Type, before Cache-Control", "", "", 1, true, true,
       Lines({kUserAgent, kAccept, kEncoding, kLanguage, kFormType, kCacheControl})},
      {"HEAD gets no Content-Type", "", "", 2, true, true, kDefaultBlock},
      {"uncapitalised block keeps the final line end", "", "", 0, true, false,
       kDefaultBlock + "\r\n"},
      {"nothing asked for gives nothing", "", "", 1, false, true, ""},
      {"user-agent found ignoring case, then capitalised", "user-agent: X", "", 0, true, true,
       Lines({"User-Agent: X", kAccept, kEncoding, kLanguage, kCacheControl})},
      {"the Accept key matches inside X-Accept", "X-Accept: 1", "", 0, true, true,
       Lines({"X-Accept: 1", kUserAgent, kEncoding, kLanguage, kCacheControl})},
      {"a POST keeps the caller's content type", "content-type: text/plain", "", 1, true, true,
       Lines(
           {"Content-Type: text/plain", kUserAgent, kAccept, kEncoding, kLanguage, kCacheControl})},
      {"the Content-Type key has no blank", "Content-Type:text/plain", "", 1, true, true,
       Lines(
           {"Content-Type:text/plain", kUserAgent, kAccept, kEncoding, kLanguage, kCacheControl})},
      {"uncapitalised caller lines keep their case", "user-agent: X", "", 0, true, false,
       Lines({"user-agent: X", kAccept, kEncoding, kLanguage, kCacheControl}) + "\r\n"},
      {"empty lines and lines without a colon are dropped",
       "\r\nbogus\r\n\r\nx-requested-with: XMLHttpRequest\r\n", "", 0, true, true,
       Lines({"X-Requested-With: XMLHttpRequest", kDefaultBlock})},

      {"keep-alive is removed", "Connection: keep-alive", "", 0, true, true, kDefaultBlock},
      {"close stays", "Connection: close", "", 0, true, true,
       Lines({"Connection: close", kDefaultBlock})},
      {"Keep-Alive in another case stays", "Connection: Keep-Alive", "", 0, true, true,
       Lines({"Connection: Keep-Alive", kDefaultBlock})},
      {"a value that only begins with keep-alive stays", "Connection: keep-alive, Upgrade", "", 0,
       true, true, Lines({"Connection: keep-alive, Upgrade", kDefaultBlock})},
      {"keep-alive as the last line of a capitalised block has no line end and stays",
       "Accept: */*\r\nConnection: keep-alive", "", 0, false, true,
       "Accept: */*\r\nConnection: keep-alive"},
      {"uncapitalised, the line has its line end and goes", "Connection: keep-alive", "", 0, false,
       false, ""},
      {"a lower-case connection line is not looked at", "connection: keep-alive", "", 0, false,
       false, "connection: keep-alive\r\n"},

      {"cookie items get a Cookie line", "", "a=1", 0, true, true,
       kDefaultBlock + "\r\nCookie: a=1\r\n"},
      {"a ready Cookie line is used as it is", "", "Cookie: a=1", 0, true, true,
       kDefaultBlock + "\r\nCookie: a=1\r\n"},
      {"the caller's cookie line wins over sendCookies", "cookie: z=9", "a=1", 0, true, true,
       Lines({"Cookie: z=9", kDefaultBlock})},
      {"cookies alone", "", "a=1; b=2", 0, false, true, "\r\nCookie: a=1; b=2\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(BuildRequestHeaders(Text(c.extraHeaders), Text(c.sendCookies), c.method,
                                  c.completeHeaders, c.normalizeHeaderNames),
              Text(c.expected));
  }
}

// --- CapitalizeHeaderNames, HeaderValue, TextLeftOf, TextRightOf ------------------------------

TEST(CapitalizeHeaderNames, Cases) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"user-agent: X\r\nx-requested-with: a\r\nACCEPT: b",
       "User-Agent: X\r\nX-Requested-With: a\r\nACCEPT: b"},
      {"host: a:b\r\n", "Host: a:b"},  // the value keeps its colons and its case
      {"a: 1\r\n\r\nno colon\r\nb: 2\r\n", "A: 1\r\nB: 2"},
      {"", ""},
      {"no colon\r\n\r\n", ""},
      {"9x-y: z", "9x-Y: z"},              // only a first a-z changes
      {"\xB0\xA1-a: 1", "\xB0\xA1-A: 1"},  // a double-byte first character stays
      {"x--y: 1", "X--Y: 1"},
      {"-x: 1", "-X: 1"},
      {"x-: 1", "X: 1"},  // splitting gives no empty last part, so a final "-" is lost
      {": v", ": v"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(CapitalizeHeaderNames(Text(c.in)), Text(c.out));
  }
}

TEST(HeaderValue, FirstLineStartingWithTheNameExactly) {
  EXPECT_EQ(HeaderValue(Text("A: 1\r\nConnection: keep-alive"), Text("Connection")),
            Text("keep-alive"));
  EXPECT_EQ(HeaderValue(Text("connection: close"), Text("Connection")), Text());
  // The first line that begins with the name decides, even when it names another header.
  EXPECT_EQ(HeaderValue(Text("Connection-X: a\r\nConnection: b"), Text("Connection")), Text());
  // An empty value ends on the last byte, where TextRightOf does not look.
  EXPECT_EQ(HeaderValue(Text("Connection: "), Text("Connection")), Text());
  EXPECT_EQ(HeaderValue(Text(), Text("Connection")), Text());
}

TEST(TextLeftOfAndRightOf, FirstMarkerOnTheLeftLastOneOnTheRight) {
  EXPECT_EQ(TextLeftOf(Text("Set-Cookie: a: b"), Text(": ")), Text("Set-Cookie"));
  EXPECT_EQ(TextLeftOf(Text(": x"), Text(": ")), Text());
  EXPECT_EQ(TextLeftOf(Text("abc"), Text("x")), Text());
  EXPECT_EQ(TextLeftOf(Text("aXb"), Text("x")), Text());  // case-sensitive

  EXPECT_EQ(TextRightOf(Text("a=b=c"), Text("=")), Text("c"));
  // A marker ending on the last byte is not found; the one before it is taken.
  EXPECT_EQ(TextRightOf(Text("a=b="), Text("=")), Text("b="));
  EXPECT_EQ(TextRightOf(Text("ab="), Text("=")), Text());
  EXPECT_EQ(TextRightOf(Text("abc"), Text("x")), Text());
  EXPECT_EQ(TextRightOf(Text(), Text("x")), Text());
}

// --- ProcessResponseHeaders ------------------------------------------------------------------

using ProcessResponseHeadersTest = WithCountingHook;

TEST_F(ProcessResponseHeadersTest, Cases) {
  struct Case {
    const char* what;
    const char* headers;
    bool mergeCookies;
    const char* receivedIn;
    const char* sendIn;
    const char* receivedOut;
    const char* locationOut;
    const char* sendOut;
    int lines;
  };
  const Case cases[] = {
      {"Set-Cookie keeps name=value only; lower case is not collected",
       "HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; path=/; HttpOnly\r\nSet-Cookie: lang=zh\r\n"
       "set-cookie: x=1\r\nContent-Type: text/html\r\n\r\n",
       false, "", "", "sid=abc; lang=zh", "", "", 6},
      {"cookies are appended to what receivedCookies held", "Set-Cookie: sid=abc\r\n", false,
       "old=0; ", "", "old=0; sid=abc", "", "", 1},
      {"a trailing separator goes even when nothing is collected", "HTTP/1.1 200 OK\r\n\r\n", false,
       "a=1; ", "", "a=1", "", "", 2},
      {"Location", "HTTP/1.1 302 Found\r\nLocation: /next\r\n\r\n", true, "", "", "", "/next", "",
       3},
      {"location in lower case", "location: /x", false, "", "", "", "/x", "", 1},
      {"the last Location wins", "Location: /a\r\nLOCATION: /b", false, "", "", "", "/b", "", 2},
      {"a Location without a blank is no redirect", "Location:/z", false, "", "", "", "", "", 1},
      {"merge: received first, deleted dropped, both hold the result",
       "HTTP/1.1 200 OK\r\nSet-Cookie: b=3; path=/\r\nSet-Cookie: c=deleted\r\n\r\n", true, "",
       "a=1; b=2", "b=3; a=1", "", "b=3; a=1", 4},
      {"merging off leaves sendCookies alone", "Set-Cookie: b=3\r\nSet-Cookie: c=deleted", false,
       "", "a=1", "b=3; c=deleted", "", "a=1", 2},
      {"merging on with nothing sent merges nothing", "Set-Cookie: b=3\r\nSet-Cookie: c=deleted",
       true, "", "", "b=3; c=deleted", "", "", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    calls = 0;
    Text received(c.receivedIn);
    Text location;
    Text send(c.sendIn);
    ProcessResponseHeaders(Text(c.headers), c.mergeCookies, received, location, send);
    EXPECT_EQ(received, Text(c.receivedOut));
    EXPECT_EQ(location, Text(c.locationOut));
    EXPECT_EQ(send, Text(c.sendOut));
    EXPECT_EQ(calls, c.lines);  // once per header line
  }
}

TEST_F(ProcessResponseHeadersTest, GoesOnWhenTheHookAsksToGiveUp) {
  answer = false;
  Text received;
  Text location("/old");
  Text send;
  ProcessResponseHeaders(Text("Set-Cookie: a=1\r\nSet-Cookie: b=2\r\nLocation: /new"), true,
                         received, location, send);
  EXPECT_EQ(received, Text("a=1; b=2"));
  EXPECT_EQ(location, Text("/new"));
  EXPECT_EQ(calls, 3);
}

// --- MergeCookies, RemoveDuplicateItems, CookieName ------------------------------------------

TEST(MergeCookies, Cases) {
  struct Case {
    const char* sent;
    const char* received;
    const char* merged;
  };
  const Case cases[] = {
      {"a=1; b=2", "b=3; c=deleted", "b=3; a=1"},
      {" a=1; ", "b=2;", "b=2; a=1"},  // trimmed, and a final ";" is a separator
      {"a=deleted", "", ""},           // a sent item with the value deleted goes too
      {"", "", ""},
      {"a=9", "a=1; a=1; a=2", "a=1; a=2"},  // same item once, same name twice
      {"a=1; a=2", "", "a=1"},               // a sent name already taken over is skipped
      {"a =1", "a=2", "a=2"},                // names are trimmed
      {"flag; a=1", "flag", "flag; a=1"},    // an item without "=" is its own name
      {"A=1", "a=2", "a=2; A=1"},            // names compare case-sensitively
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sent) + " | " + c.received);
    Text sent(c.sent);
    Text received(c.received);
    EXPECT_EQ(MergeCookies(sent, received), Text(c.merged));
    EXPECT_EQ(sent, Text(c.merged));
    EXPECT_EQ(received, Text(c.merged));
  }
}

TEST(RemoveDuplicateItems, KeepsTheFirstOfIdenticalItems) {
  struct Case {
    const char* text;
    const char* separator;
    const char* result;
  };
  const Case cases[] = {
      {"a; b; a; c; b", "; ", "a; b; c"},
      {"a=1; a=2", "; ", "a=1; a=2"},
      {"A; a", "; ", "A; a"},
      {"a; ; ; b", "; ", "a; ; b"},
      {"x,x,", ",", "x"},
      {"", "; ", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(RemoveDuplicateItems(Text(c.text), Text(c.separator)), Text(c.result));
  }
}

TEST(CookieName, TrimmedTextBeforeTheFirstEquals) {
  EXPECT_EQ(CookieName(Text(" sid = abc ")), Text("sid"));
  EXPECT_EQ(CookieName(Text("a=b=c")), Text("a"));
  EXPECT_EQ(CookieName(Text(" flag ")), Text("flag"));
  EXPECT_EQ(CookieName(Text("=v")), Text());
}

// --- PendingMessages -------------------------------------------------------------------------

TEST(PendingMessages, HookAnswersAndNoHookMeansGoOn) {
  EXPECT_TRUE(HandlePendingMessages());
  int calls = 0;
  SetPendingMessagesHook([&calls] {
    ++calls;
    return false;
  });
  EXPECT_FALSE(HandlePendingMessages());
  EXPECT_EQ(calls, 1);
  SetPendingMessagesHook({});
  EXPECT_TRUE(HandlePendingMessages());
  EXPECT_EQ(calls, 1);
}

TEST(PendingMessages, HookMayReplaceItselfWhileRunning) {
  int second = 0;
  SetPendingMessagesHook([&second] {
    SetPendingMessagesHook([&second] {
      ++second;
      return true;
    });
    return false;
  });
  EXPECT_FALSE(HandlePendingMessages());
  EXPECT_TRUE(HandlePendingMessages());
  EXPECT_EQ(second, 1);
  SetPendingMessagesHook({});
}

}  // namespace
}  // namespace tovrenic
