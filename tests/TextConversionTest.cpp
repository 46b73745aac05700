#include <gtest/gtest.h>

#include <string>

#include "text/TextConversion.h"

namespace tovrenic {
namespace {

std::string Le(std::u16string units) {
  std::string bytes;
  for (char16_t unit : units) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

TEST(TextConversion, GbkToUtf16AndBack) {
  struct Case {
    const char* gbk;
    std::u16string utf16;
  };
  const Case cases[] = {
      {"abc", u"abc"},
      {"\xCA\xAF\xBC\xD2\xD7\xAF", u"石家庄"},
      {"\x80", u"\u20AC"},                      // code page 936 has the euro sign at 0x80
      {"\xA9\xA5\r\n\xA1\xE6", u"\u2501\r\n℃"},  // box drawing, CR LF, degree sign
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gbk);
    EXPECT_EQ(TextToUtf16String(Text(c.gbk)), c.utf16);
    EXPECT_EQ(Utf16StringToText(c.utf16), Text(c.gbk));
    EXPECT_EQ(TextToUtf16(Text(c.gbk)), Bytes(Le(c.utf16 + u'\0')));
    EXPECT_EQ(Utf16ToText(TextToUtf16(Text(c.gbk))), Text(c.gbk));
  }
}

TEST(TextConversion, EmptyTextGivesEmptyBytesWithoutZeroUnit) {
  EXPECT_TRUE(TextToUtf16(Text()).empty());
  EXPECT_TRUE(Utf16ToText(Bytes()).empty());
}

TEST(TextConversion, Utf16StopsAtFirstZeroUnitOrTakesAllWithoutOne) {
  EXPECT_EQ(Utf16ToText(Bytes(Le(u"ab\0cd"))), Text("ab"));
  EXPECT_EQ(Utf16ToText(Bytes(Le(u"host"))), Text("host"));
  // An odd trailing byte is no unit.
  EXPECT_EQ(Utf16ToText(Bytes(Le(u"ab") + "c")), Text("ab"));
}

TEST(TextConversion, ComposesSequencesAndMarksWhatGbkLacks) {
  // e + combining acute becomes the precomposed é that GBK has (A8 A6).
  EXPECT_EQ(Utf16StringToText(u"e\u0301"), Text("\xA8\xA6"));
  // Characters outside code page 936 become "?".
  EXPECT_EQ(Utf16StringToText(u"a\U0001F600b"), Text("a?b"));
  // A compatibility ideograph that GBK has keeps its own code point.
  EXPECT_EQ(TextToUtf16String(Utf16StringToText(u"\uFA0C")), u"\uFA0C");
}

}  // namespace
}  // namespace tovrenic
