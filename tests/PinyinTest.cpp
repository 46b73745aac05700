#include "scrapers/Pinyin.h"

#include <gtest/gtest.h>

#include "tests/TextPrinters.h"

#include <climits>
#include <cstdint>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "scrapers/PinyinTables.h"
#include "text/TextConversion.h"

namespace tovrenic {

namespace {

namespace tables = pinyin_tables;

std::string Shown(const Text& text) {
  return testing::PrintToString(text.str());
}

Text Gbk(std::u16string_view utf16) {
  return Utf16StringToText(utf16);
}

Text Character(int first, int second) {
  return Text(std::string{static_cast<char>(first), static_cast<char>(second)});
}

// Characters whose readings are fixed, with their GBK bytes written out so that a disagreement
// between the tables' code points and our code page conversion shows as well.
struct TellingRow {
  const char* gbk;
  std::u16string_view character;
  std::vector<std::string> readings;
};

const TellingRow kTellingRows[] = {
    {"\xB1\xB1", u"北", {"bei"}},
    {"\xBE\xA9", u"京", {"jing"}},
    {"\xCA\xAF", u"石", {"shi", "dan"}},
    {"\xBC\xD2", u"家", {"jia", "jie"}},
    {"\xD7\xAF", u"庄", {"zhuang"}},
    {"\xB0\xB2", u"安", {"an"}},
    {"\xB0\xA1", u"啊", {"a"}},
    {"\xD6\xD8", u"重", {"zhong", "chong"}},
    {"\xB3\xA4", u"长", {"chang", "zhang"}},
    {"\xD0\xD0", u"行", {"xing", "hang", "heng"}},
    {"\xBA\xCD", u"和", {"he", "hu", "huo"}},
    {"\xC0\xD6", u"乐", {"le", "yue"}},
    {"\xCF\xC3", u"厦", {"sha", "xia"}},
    {"\xB0\xF6", u"蚌", {"bang", "beng"}},
    {"\xC2\xCC", u"绿", {"lu"}},
    {"\xC5\xAE", u"女", {"nu"}},
    {"\xC2\xD4", u"略", {"lue"}},
    {"\xDF\xBC", u"呒", {}},
};

TEST(PinyinLookupTest, TellingRowsGiveTheirReadingsInOrderAndNothingBehind) {
  for (const TellingRow& row : kTellingRows) {
    const Text character(row.gbk);
    ASSERT_EQ(Gbk(row.character), character);
    std::vector<std::string> readings;
    for (int n = 1; n <= static_cast<int>(row.readings.size()); ++n) {
      readings.push_back(PinyinLookup(character, n).str());
    }
    EXPECT_EQ(readings, row.readings) << Shown(character);
    EXPECT_EQ(PinyinLookup(character, static_cast<int>(row.readings.size()) + 1), Text())
        << Shown(character);
  }
}

TEST(PinyinLookupTest, ReadingNumbersBelowOneActAsOneAndMissingReadingsAreEmpty) {
  const Text bei = Gbk(u"北");   // one reading
  const Text xing = Gbk(u"行");  // three readings
  const Text jia = Gbk(u"家");   // two readings
  struct Case {
    const Text& character;
    int readingNumber;
    const char* reading;
  };
  const Case cases[] = {
      {bei, 1, "bei"},    {bei, 0, "bei"},   {bei, -3, "bei"},   {bei, INT_MIN, "bei"},
      {bei, 2, ""},       {bei, 4, ""},      {bei, INT_MAX, ""}, {xing, 0, "xing"},
      {xing, -3, "xing"}, {xing, 3, "heng"}, {xing, 4, ""},      {xing, INT_MAX, ""},
      {jia, 3, ""},       {jia, 4, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PinyinLookup(c.character, c.readingNumber), Text(c.reading))
        << Shown(c.character) << " " << c.readingNumber;
  }
}

TEST(PinyinLookupTest, OnlyTheGb2312HanziAreaHasReadings) {
  const char* const empty[] = {
      "",
      "\xB1",      // one byte
      "be",        // ASCII pair
      "\x81\x40",  // GBK extension below the area
      "\xB0\x40",  // GBK extension: first byte in range, second below 0xA1
      "\xB0\xA0",  // just below the first cell
      "\xF7\xFF",  // just past the last cell
      "\xAF\xFE",  // row just before the area
      "\xF8\xA1",  // row just past the area
      "\xA3\xC1",  // full-width A
      "\xA1\xA1",  // ideographic space
      "\xD7\xFA",  // unassigned
  };
  for (const char* bytes : empty) {
    for (int n : {0, 1, 2})
      EXPECT_EQ(PinyinLookup(Text(bytes), n), Text()) << Shown(Text(bytes)) << " " << n;
  }
  // The corners of the area do have readings, and bytes behind the first two are ignored.
  EXPECT_EQ(PinyinLookup(Text("\xB0\xA1"), 1), Text("a"));
  EXPECT_EQ(PinyinLookup(Text("\xF7\xFE"), 1), Text("zha"));
  EXPECT_EQ(PinyinLookup(Gbk(u"北京"), 1), Text("bei"));
  EXPECT_EQ(PinyinLookup(Text("\xB1\xB1x"), 1), Text("bei"));
}

bool IsInitial(int part) {
  return part >= 1 && part <= tables::kInitialCount;
}
bool IsFinal(int part) {
  return part > tables::kInitialCount && part <= tables::kPartCount;
}

// An initial with a final, or a final alone in the low byte.
bool IsSyllable(std::uint16_t code) {
  const int low = code & 0xFF;
  const int high = code >> 8;
  return high == 0 ? IsFinal(low) : IsInitial(low) && IsFinal(high);
}

TEST(PinyinTablesTest, EntriesAndRowsKeepTheirOrganisation) {
  static_assert(tables::kReadingCount == 6768);
  ASSERT_GT(tables::kMultiReadingRows, 0);
  ASSERT_LT(tables::kMultiReadingRows, tables::kMultiReadingFlag);

  // Rows are numbered in the order of their characters, each used by exactly one character.
  int nextRow = 0;
  for (int i = 0; i < tables::kReadingCount; ++i) {
    const std::uint16_t entry = tables::kReadings[i];
    if (entry & tables::kMultiReadingFlag) {
      EXPECT_EQ(entry & ~tables::kMultiReadingFlag, nextRow) << "entry " << i;
      ++nextRow;
    } else if (entry != 0) {
      EXPECT_TRUE(IsSyllable(entry)) << "entry " << i << ": " << entry;
    }
  }
  EXPECT_EQ(nextRow, tables::kMultiReadingRows);

  for (int r = 0; r < tables::kMultiReadingRows; ++r) {
    const std::uint16_t* row = tables::kMultiReadings[r];
    std::set<std::uint16_t> seen;
    int count = 0;
    while (count < tables::kMaxReadings && row[count] != 0) {
      EXPECT_TRUE(IsSyllable(row[count])) << "row " << r;
      EXPECT_TRUE(seen.insert(row[count]).second) << "row " << r << " repeats a reading";
      ++count;
    }
    EXPECT_GE(count, 2) << "row " << r;
    for (int k = count; k < tables::kMaxReadings; ++k) {
      EXPECT_EQ(row[k], 0) << "row " << r << " has a reading behind a zero";
    }
  }
}

TEST(PinyinTablesTest, EveryReadingIsLowerCaseLettersAndOnlyTheNamedCodePointsHaveNone) {
  // D7FA-D7FE are unassigned; the rest are 呒 and the radical forms.
  std::set<std::string> expectedNone = {"\xD7\xFA", "\xD7\xFB", "\xD7\xFC", "\xD7\xFD", "\xD7\xFE"};
  const Text named =
      Gbk(u"呒"
          u"刂亻讠阝艹扌犭饣忄丬氵辶纟攵灬礻肀钅衤"
          u"丨丿丶冂勹亠冫冖卩廴凵廾彡夂宀彐攴疒");
  ASSERT_EQ(named.size(), 2u * 38);
  for (std::size_t i = 0; i < named.size(); i += 2) expectedNone.insert(named.str().substr(i, 2));
  ASSERT_EQ(expectedNone.size(), 43u);

  std::set<std::string> none;
  for (int first = tables::kFirstByteLow; first <= tables::kFirstByteHigh; ++first) {
    for (int second = tables::kSecondByteLow; second <= tables::kSecondByteHigh; ++second) {
      const Text character = Character(first, second);
      if (PinyinLookup(character, 1).empty()) none.insert(character.str());
      bool ended = false;
      for (int n = 1; n <= tables::kMaxReadings + 1; ++n) {
        const std::string reading = PinyinLookup(character, n).str();
        if (reading.empty()) {
          ended = true;
          continue;
        }
        EXPECT_FALSE(ended) << Shown(character) << ": reading " << n << " after a gap";
        EXPECT_EQ(reading.find_first_not_of("abcdefghijklmnopqrstuvwxyz"), std::string::npos)
            << Shown(character) << ": " << reading;
      }
    }
  }
  EXPECT_EQ(none, expectedNone);
}

TEST(TownToPinyinPathTest, JoinsTheFirstReadingOfEachDoubleByteCharacter) {
  struct Case {
    Text town;
    const char* path;
  };
  const Case cases[] = {
      {Gbk(u"石家庄"), "shijiazhuang"},
      {Gbk(u"北京"), "beijing"},
      {Gbk(u"重庆"), "zhongqing"},
      {Gbk(u"厦门"), "shamen"},
      {Gbk(u"蚌埠"), "bangbu"},
      {Gbk(u"长沙"), "changsha"},
      {Text(), ""},
      // Single-byte characters contribute nothing and shift nothing.
      {Gbk(u"1北京"), "beijing"},
      {Gbk(u"北京1"), "beijing"},
      {Gbk(u"北1京"), "beijing"},
      {Gbk(u"北 京 "), "beijing"},
      {Gbk(u"Beijing"), ""},
      // Double-byte characters without a reading contribute nothing.
      {Gbk(u"Ａ北京"), "beijing"},
      {Gbk(u"北丂京"), "beijing"},  // GBK extension
      {Gbk(u"氵北京"), "beijing"},  // radical form
      // A lead byte at the end is dropped; a lead byte takes the next byte whatever it is.
      {Text("\xB1\xB1\xBE\xA9\xB1"), "beijing"},
      {Text("\xB1"
            "1\xBE\xA9"),
       "jing"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TownToPinyinPath(c.town), Text(c.path)) << Shown(c.town);
  }
}

}  // namespace
}  // namespace tovrenic
