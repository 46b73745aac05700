#include <gtest/gtest.h>

#include "tests/TextPrinters.h"

#include <cstdio>
#include <ostream>
#include <string>

#include "regex/RegexObject.h"
#include "text/TextPrimitives.h"
#include "web/PendingMessages.h"
#include "web/ResponseDecoding.h"

namespace tovrenic {

namespace {

// The same words in UTF-8 (this file's encoding) and in GBK.
const std::string kWeatherUtf8 = "今日天气";
const std::string kWeatherGbk = "\xBD\xF1\xC8\xD5\xCC\xEC\xC6\xF8";
const Text kTianqiGbk("\xCC\xEC\xC6\xF8");  // 天气, a marker the scrapers search for

// Installs a hook that counts its calls; removes it after each test.
class DecodeResponseBodyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetPendingMessagesHook([this] {
      ++calls;
      return true;
    });
  }
  void TearDown() override { SetPendingMessagesHook({}); }

  Text Decode(const std::string& body) { return DecodeResponseBody(Bytes(body), regex); }

  RegexObject regex;
  int calls = 0;
};

TEST_F(DecodeResponseBodyTest, Utf8PageDeclaringUtf8ComesBackAsGbk) {
  const std::string head =
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
      "</head><body><p>";
  Text text = Decode(head + kWeatherUtf8 + "</p></body></html>");
  EXPECT_EQ(text, Text(head + kWeatherGbk + "</p></body></html>"));
  EXPECT_NE(FindText(text, kTianqiGbk), -1);
  EXPECT_EQ(calls, 1);
}

TEST_F(DecodeResponseBodyTest, Cases) {
  struct Case {
    const char* what;
    std::string body;
    std::string expected;
  };
  const std::string pad1005(1005, 'x');
  const std::string pad1008(1008, 'x');
  const std::string pad1024(1024, 'x');
  const Case cases[] = {
      {"declared gb2312 is taken as it is", "<meta charset=gb2312>" + kWeatherGbk,
       "<meta charset=gb2312>" + kWeatherGbk},
      {"no declaration", "<html><body>" + kWeatherUtf8, "<html><body>" + kWeatherUtf8},
      {"upper-case tag and attribute match", "<META CHARSET=UTF-8>" + kWeatherUtf8,
       "<META CHARSET=UTF-8>" + kWeatherGbk},
      {"one quote before the name", "<meta charset=\"utf-8\">" + kWeatherUtf8,
       "<meta charset=\"utf-8\">" + kWeatherGbk},
      {"a blank and a quote before the name give nothing",
       "<meta charset= \"utf-8\">" + kWeatherUtf8, "<meta charset= \"utf-8\">" + kWeatherUtf8},
      {"<meta and charset= on two lines", "<meta\ncharset=utf-8>" + kWeatherUtf8,
       "<meta\ncharset=utf-8>" + kWeatherUtf8},
      {"an unknown name keeps the text", "<meta charset=x-nonsense>" + kWeatherUtf8,
       "<meta charset=x-nonsense>" + kWeatherUtf8},
      {"what GBK lacks becomes ?",
       "<meta charset=utf-8>a\xF0\x9F\x98\x80"
       "b",
       "<meta charset=utf-8>a?b"},

      // "gbk" in lower case is not converted; "GBK" is, which keeps valid GBK as it is but
      // turns an incomplete last character into "?".
      {"gbk is not converted", "<meta charset=gbk>\xCC\xEC\xA1", "<meta charset=gbk>\xCC\xEC\xA1"},
      {"GBK is converted", "<meta charset=GBK>\xCC\xEC\xA1", "<meta charset=GBK>\xCC\xEC?"},

      // Only the first 1024 bytes are searched.
      {"declaration ending on byte 1024", pad1005 + "<meta charset=utf-8>" + kWeatherUtf8,
       pad1005 + "<meta charset=utf-8>" + kWeatherGbk},
      {"declaration cut at byte 1024 to the unknown name ut",
       pad1008 + "<meta charset=utf-8>" + kWeatherUtf8,
       pad1008 + "<meta charset=utf-8>" + kWeatherUtf8},
      {"declaration after byte 1024", pad1024 + "<meta charset=utf-8>" + kWeatherUtf8,
       pad1024 + "<meta charset=utf-8>" + kWeatherUtf8},

      // The text ends at the first zero byte; the search sees only the bytes before it.
      {"declaration behind a zero byte is not seen",
       kWeatherUtf8 + std::string(1, '\0') + "<meta charset=utf-8>", kWeatherUtf8},
      {"converted text ends at the zero byte too",
       "<meta charset=utf-8>" + kWeatherUtf8 + std::string(1, '\0') + kWeatherUtf8,
       "<meta charset=utf-8>" + kWeatherGbk},
      {"empty body", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    calls = 0;
    EXPECT_EQ(Decode(c.body), Text(c.expected));
    EXPECT_EQ(calls, 1);  // the pattern ran once, and so did the hook
  }
}

TEST_F(DecodeResponseBodyTest, ConvertsTheWholeBodyZeroBytesIncluded) {
  // Read as UTF-16LE the ASCII head gives 12 ideographs or "?", and "A\0B\0" gives "AB": bytes
  // behind the body's first zero byte arrive in the text.
  Text text = Decode(std::string("<meta charset=utf-16le >A\0B\0", 28));
  EXPECT_EQ(TextRight(text, 2), Text("AB"));
  EXPECT_GT(TextLength(text), 2);
  EXPECT_EQ(FindText(text, Text("<meta")), -1);
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace tovrenic
