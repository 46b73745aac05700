#include "text/TextPrimitives.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/TextPrimitivesReference.h"

namespace tovrenic {
namespace {

// Texts are written as byte strings; a GBK character is two escapes ("\xB0\xA1" is one character).
Text T(const char* bytes) {
  return Text(bytes);
}
Bytes B(std::string_view bytes) {
  return Bytes(bytes);
}

std::vector<std::string> Strings(const TextList& list) {
  std::vector<std::string> out;
  for (const Text& t : list) out.push_back(t.str());
  return out;
}

TEST(FindTextTest, PositionsAndStarts) {
  struct Case {
    const char* text;
    const char* needle;
    int start;
    bool ignoreCase;
    int expected;
  } cases[] = {
      {"abcabc", "abc", 1, false, 1},
      {"abcabc", "abc", 2, false, 4},
      {"abcabc", "abc", 5, false, -1},
      {"abcabc", "abc", 0, false, 1},
      {"abcabc", "abc", -5, false, 1},
      {"abcabc", "abc", INT_MIN, false, 1},
      {"abc", "c", 3, false, 3},
      {"abc", "c", 4, false, -1},
      {"abc", "c", INT_MAX, false, -1},
      {"abc", "abcd", 1, false, -1},
      {"", "a", 1, false, -1},
      // An empty needle is found at 1 whenever the range holds a byte, wherever it starts.
      {"abc", "", 1, false, 1},
      {"abc", "", 3, false, 1},
      {"abc", "", 4, false, -1},
      {"", "", 1, false, -1},
      {"x: content-type", "Content-Type", 1, true, 4},
      {"x: content-type", "Content-Type", 1, false, -1},
      // Letters match their other case even as the second byte of a double-byte character.
      {"\xB0"
       "a",
       "\xB0"
       "A",
       1, true, 1},
      {"\xB0"
       "a",
       "\xB0"
       "A",
       1, false, -1},
      // High bytes have no other case.
      {"\xC1", "\xE1", 1, true, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindText(T(c.text), T(c.needle), c.start, c.ignoreCase), c.expected)
        << c.text << " / " << c.needle << " from " << c.start;
  }
}

TEST(FindTextTest, StepsOverDoubleByteCharacters) {
  struct Case {
    const char* text;
    const char* needle;
    int start;
    int expected;
  } cases[] = {
      // The needle would begin on the second byte of B0 A1.
      {"\xB0\xA1"
       "b",
       "\xA1"
       "b",
       1, -1},
      // The same bytes are found when the scan is told to start on that byte.
      {"\xB0\xA1"
       "b",
       "\xA1"
       "b",
       2, 2},
      // A byte below 0x80 can be a second byte too: B0 41 is one character.
      {"\xB0"
       "AB",
       "AB", 1, -1},
      {"\xB0"
       "AAB",
       "AB", 1, 3},
      // Characters pair up from the start of the scan through a run of high bytes.
      {"\xB0\xB1\xB2\xB3", "\xB1\xB2", 1, -1},
      {"\xB0\xB1\xB2\xB3", "\xB2\xB3", 1, 3},
      {"\xB0\xB1\xB2\xB3", "\xB1\xB2", 2, 2},
      {"a\xA1\xA1\xA1\xA1\xA1", "\xA1\xA1\xA1", 1, 2},
      {"\xA1\xA1\xA1"
       "b",
       "\xA1"
       "b",
       1, 3},
      {"\xA1\xA1\xA1\xA1"
       "b",
       "\xA1"
       "b",
       1, -1},
      // A lead byte as the last byte: it is still tested before the scan ends.
      {"ab\xB0", "\xB0", 1, 3},
      {"a\xB0\xB0", "\xB0", 3, 3},
      {"a\xB0\xB0", "\xB0\xB0", 1, 2},
      {"\xB0\xB0\xB0", "\xB0", 2, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindText(T(c.text), T(c.needle), c.start), c.expected)
        << testing::PrintToString(std::string(c.text)) << " from " << c.start;
  }
}

TEST(FindTextTest, ReverseFindsOnlyOccurrencesEndingBeforeStart) {
  struct Case {
    const char* text;
    const char* needle;
    std::optional<int> start;
    int expected;
  } cases[] = {
      {"abcabc", "abc", std::nullopt, 4},
      {"abcabc", "abc", 7, 4},
      {"abcabc", "abc", 100, 4},
      {"abcabc", "abc", 6, 1},
      {"abcabc", "abc", 3, -1},
      {"abcabc", "abc", 4, 1},
      {"abcabc", "abc", 1, -1},
      {"abcabc", "abc", 0, -1},
      {"abcabc", "abc", INT_MIN, -1},
      {"abcabc", "", std::nullopt, 1},
      {"abcabc", "", 2, 1},
      {"abcabc", "", 1, -1},
      {"", "", std::nullopt, -1},
      {"\xB0\xA1"
       "b\xB0\xA1",
       "\xA1"
       "b",
       std::nullopt, -1},
      {"\xB0\xA1\xB0\xA1", "\xB0\xA1", std::nullopt, 3},
      {"\xA1\xA1\xA1\xA1\xA1", "\xA1\xA1", std::nullopt, 3},
      // The range ends inside a character: its lead byte is still tested.
      {"a\xB0\xA1", "\xB0", 3, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindTextReverse(T(c.text), T(c.needle), c.start), c.expected)
        << c.text << " / " << c.needle << " before " << c.start.value_or(-999);
  }
  EXPECT_EQ(FindTextReverse(T("CONTENT-type; content-TYPE"), T("Content-Type"), std::nullopt, true),
            15);
  EXPECT_EQ(FindTextReverse(T("aAaA"), T("a"), std::nullopt, true), 4);
}

// A match in the middle of a long run of double-byte characters, searched with a first byte that
// occurs at every position: the boundary decision must follow the pairing from the scan start.
TEST(FindTextTest, LongRunsOfHighBytes) {
  std::string page(100000, '\xA1');
  page += "\xB0\xA1";
  const Text text(page);
  EXPECT_EQ(FindText(text, T("\xA1\xA1\xB0")), 99999);
  EXPECT_EQ(FindText(text, T("\xA1\xB0")), -1);
  EXPECT_EQ(FindText(text, T("\xA1\xB0"), 2), 100000);
  EXPECT_EQ(FindTextReverse(text, T("\xA1\xA1")), 99999);
  EXPECT_EQ(FindText(text, T("\xA1\xA1\xA1"), 50000), 50000);
  EXPECT_EQ(FindText(text, T("\xB0\xA1")), 100001);
  EXPECT_EQ(FindText(text, T("\xB0\xA1"), 2), -1);
}

TEST(TextPartsTest, LeftRightMid) {
  const Text abc("abc");
  EXPECT_EQ(TextLeft(abc, 5), abc);
  EXPECT_EQ(TextLeft(abc, 2), T("ab"));
  EXPECT_EQ(TextLeft(abc, 0), Text());
  EXPECT_EQ(TextLeft(abc, -1), Text());
  EXPECT_EQ(TextRight(abc, 2), T("bc"));
  EXPECT_EQ(TextRight(abc, 3), abc);
  EXPECT_EQ(TextRight(abc, INT_MAX), abc);
  EXPECT_EQ(TextRight(abc, -1), Text());
  EXPECT_EQ(TextMid(abc, 2, 1), T("b"));
  EXPECT_EQ(TextMid(abc, 2, 10), T("bc"));
  EXPECT_EQ(TextMid(abc, 3, INT_MAX), T("c"));
  EXPECT_EQ(TextMid(abc, 0, 2), Text());  // not moved to 1
  EXPECT_EQ(TextMid(abc, 4, 1), Text());
  EXPECT_EQ(TextMid(abc, 1, 0), Text());
  // Plain bytes: a double-byte character may be cut in two.
  EXPECT_EQ(TextMid(T("\xB0\xA1"
                      "b"),
                    2, 2),
            T("\xA1"
              "b"));
  EXPECT_EQ(TextLength(T("\xB0\xA1"
                         "b")),
            3);
  EXPECT_EQ(TextLength(Text()), 0);
}

TEST(SplitTextTest, PiecesAndCounts) {
  using Pieces = std::vector<std::string>;
  struct Case {
    const char* text;
    const char* delimiter;
    std::optional<int> maxCount;
    Pieces expected;
  } cases[] = {
      {"a\r\n\r\nb\r\n", "\r\n", std::nullopt, {"a", "", "b"}},
      {",a", ",", std::nullopt, {"", "a"}},
      {"a,,b", ",", std::nullopt, {"a", "", "b"}},
      {"abc", ",", std::nullopt, {"abc"}},
      {",", ",", std::nullopt, {""}},
      {"", ",", std::nullopt, {}},
      {"abc", "", std::nullopt, {"abc"}},
      {"a,b,c", ",", 2, {"a", "b"}},
      {"a,b,c", ",", 3, {"a", "b", "c"}},
      {"a,b", ",", 1, {"a"}},
      {"ab", ",", 1, {"ab"}},
      {"a,b", ",", 0, {}},
      {"a,b", ",", -3, {}},
      {"abc", "", 0, {}},
      // Exact comparison, and no delimiter found on the second byte of a character.
      {"aXbxc", "x", std::nullopt, {"aXb", "c"}},
      {"\xB0,a,b", ",", std::nullopt, {"\xB0,a", "b"}},
      // A lead byte at the very end stays in the last piece.
      {"a,\xB0", ",", std::nullopt, {"a", "\xB0"}},
      // After a delimiter the pairing starts afresh.
      {"\xB0,\xB1,", "\xB0,", std::nullopt, {"", "\xB1,"}},
      {"\xB0\xB0x", "\xB0", std::nullopt, {"", "", "x"}},
  };
  for (const Case& c : cases) {
    const TextList pieces = c.maxCount ? SplitText(T(c.text), T(c.delimiter), c.maxCount)
                                       : SplitText(T(c.text), T(c.delimiter));
    EXPECT_EQ(Strings(pieces), c.expected) << testing::PrintToString(std::string(c.text));
  }
  EXPECT_EQ(Strings(SplitText(T("x,y"))), (Pieces{"x", "y"}));
}

TEST(ReplaceTextTest, CaseCountAndStart) {
  struct Case {
    const char* text;
    const char* needle;
    const char* replacement;
    int start;
    int count;
    bool caseSensitive;
    const char* expected;
  } cases[] = {
      {"aAa", "a", "x", 1, -1, true, "xAx"},
      {"aAa", "a", "x", 1, -1, false, "xxx"},
      {"aAa", "a", "x", 1, 1, true, "xAa"},
      {"aAa", "a", "x", 2, -1, true, "aAx"},
      {"aAa", "a", "x", -7, -1, true, "xAx"},
      {"aAa", "a", "x", INT_MIN, -1, true, "xAx"},
      {"aAa", "a", "x", 3, -1, true, "aAx"},
      {"aAa", "a", "x", 4, -1, true, "aAa"},
      {"aAa", "a", "x", 1, 0, true, "aAa"},
      {"aAa", "a", "x", 1, -100, true, "xAx"},
      {"aAa", "", "x", 1, -1, true, "aAa"},
      {"", "a", "x", 1, -1, true, ""},
      {"aaaa", "aa", "a", 1, -1, true, "aa"},  // replaced text is not scanned again
      {"aaa", "aa", "b", 1, -1, true, "ba"},   // no overlaps
      {"abab", "ab", "", 1, -1, true, ""},
      {"abab", "ab", "abab", 1, 2, true, "abababab"},
      // Never inside a double-byte character; a lead byte at the end is kept.
      {"\xB0\xA1\xA1\xA1", "\xA1\xA1", "_", 1, -1, true, "\xB0\xA1_"},
      {"\xB0"
       "aa",
       "a", "_", 1, -1, false,
       "\xB0"
       "a_"},
      {"a\xB0", "a", "_", 1, -1, true, "_\xB0"},
      {"\xB0\xB0", "\xB0\xB0", "_", 1, -1, true, "_"},
      {"x\xB0", "\xB0", "_", 1, -1, true, "x_"},
      // A start on a second byte begins the pairing there.
      {"\xB0\xA1\xA1", "\xA1\xA1", "_", 2, -1, true, "\xB0_"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(
        ReplaceText(T(c.text), T(c.needle), T(c.replacement), c.start, c.count, c.caseSensitive),
        T(c.expected))
        << testing::PrintToString(std::string(c.text)) << " start " << c.start << " count "
        << c.count;
  }
}

TEST(TrimTextTest, BlanksAtBothEnds) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"  \xA1\xA1 a b\xA1\xA1 \xA1\xA1", "a b"},
      {"a \xA1\xA1 b", "a \xA1\xA1 b"},
      {"\ta b\r\n", "\ta b\r\n"},
      {" a\t ", "a\t"},
      {"   ", ""},
      {"\xA1\xA1", ""},
      {"", ""},
      // A1 A1 straddling two characters is no blank.
      {"a\xB0\xA1\xA1", "a\xB0\xA1\xA1"},
      {"a\xB0\xA1\xA1\xA1", "a\xB0\xA1"},
      // A lone lead byte at the end is kept, and so are the blanks before it.
      {" a \xA1", "a \xA1"},
      {" \xA1", "\xA1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TrimText(T(c.text)), T(c.expected)) << testing::PrintToString(std::string(c.text));
  }
}

TEST(UpperCaseTextTest, LeavesDoubleByteCharactersAlone) {
  EXPECT_EQ(UpperCaseText(T("abc-XyZ 09")), T("ABC-XYZ 09"));
  EXPECT_EQ(UpperCaseText(T("\xB0"
                            "ab")),
            T("\xB0"
              "aB"));
  EXPECT_EQ(UpperCaseText(T("a\xB0")), T("A\xB0"));
  EXPECT_EQ(UpperCaseText(Text()), Text());
}

TEST(CharCodeTest, SignedBytesAndRange) {
  EXPECT_EQ(CharCode(T("\xB0\xA1")), -80);
  EXPECT_EQ(CharCode(T("\xB0\xA1"), 2), -95);
  EXPECT_EQ(CharCode(T("\x7F")), 127);
  EXPECT_EQ(CharCode(T("\x80")), -128);
  EXPECT_EQ(CharCode(T("ab"), 0), 0);
  EXPECT_EQ(CharCode(T("ab"), 3), 0);
  EXPECT_EQ(CharCode(Text()), 0);
  EXPECT_EQ(CharFromCode(32), T(" "));
  EXPECT_EQ(CharFromCode(0), Text());
  EXPECT_EQ(CharFromCode(256), Text());
  EXPECT_EQ(CharFromCode(-80), T("\xB0"));
  EXPECT_EQ(CharFromCode(0x1B0), T("\xB0"));
}

TEST(CompareTextTest, OrderAndCase) {
  struct Case {
    const char* a;
    const char* b;
    bool caseSensitive;
    int sign;
  } cases[] = {
      {"abc", "abc", true, 0},
      {"abc", "abd", true, -1},
      {"abc", "ab", true, 1},
      {"", "a", true, -1},
      {"", "", true, 0},
      {"a", "\xB0", true, -1},
      {"\xB0", "\x7F", true, 1},
      {"Abc", "abc", true, -1},
      {"Abc", "aBC", false, 0},
      {"text/HTML", "TEXT/html", false, 0},
      {"abc", "abd", false, -1},
      {"abc", "AB", false, 1},
      {"a\xB0", "A\x7F", false, 1},
  };
  for (const Case& c : cases) {
    const int order = CompareText(T(c.a), T(c.b), c.caseSensitive);
    EXPECT_EQ((order > 0) - (order < 0), c.sign) << c.a << " <=> " << c.b;
  }
}

TEST(ConcatTest, JoinsInOrder) {
  EXPECT_EQ(ConcatText(T("a"), T(""), T("\xB0\xA1"), T("b")), T("a\xB0\xA1"
                                                                "b"));
  Text grown("x");
  grown = ConcatText(std::move(grown), T("y"));
  EXPECT_EQ(grown, T("xy"));
  EXPECT_EQ(ConcatBytes(B(std::string_view("a\0", 2)), Bytes(), B("b")),
            B(std::string_view("a\0b", 3)));
  EXPECT_EQ(ConcatBytes(Bytes(), Bytes()), Bytes());
}

TEST(BytesTest, PartsAndConversions) {
  const Bytes abc = B("abc");
  EXPECT_EQ(BytesMid(abc, 0, 2), B("ab"));  // unlike TextMid
  EXPECT_EQ(BytesMid(abc, INT_MIN, 1), B("a"));
  EXPECT_EQ(BytesMid(abc, 2, 10), B("bc"));
  EXPECT_EQ(BytesMid(abc, 4, 1), Bytes());
  EXPECT_EQ(BytesMid(abc, 1, 0), Bytes());
  EXPECT_EQ(BytesLeft(abc, 2), B("ab"));
  EXPECT_EQ(BytesLeft(abc, 9), abc);
  EXPECT_EQ(BytesLeft(abc, -1), Bytes());
  EXPECT_EQ(BytesLength(abc), 3);
  EXPECT_EQ(BytesLength(Bytes()), 0);

  EXPECT_EQ(BlankBytes(3), B(std::string_view("\0\0\0", 3)));
  EXPECT_EQ(BlankBytes(0), Bytes());
  EXPECT_EQ(BlankBytes(-2), Bytes());

  const char buffer[] = {'x', '\0', 'y'};
  EXPECT_EQ(BytesFromMemory(buffer, 3), B(std::string_view(buffer, 3)));
  EXPECT_EQ(BytesFromMemory(buffer, 0), Bytes());

  EXPECT_EQ(TextFromBytes(B(std::string_view("ab\0cd", 5))), T("ab"));
  EXPECT_EQ(TextFromBytes(B("\xB0\xA1")), T("\xB0\xA1"));
  EXPECT_EQ(TextFromBytes(B(std::string_view("\0a", 2))), Text());
  EXPECT_EQ(BytesFromText(T("\xB0\xA1")), B("\xB0\xA1"));
  EXPECT_EQ(BytesFromText(Text()), Bytes());
}

TEST(TextBetweenTest, Markers) {
  struct Case {
    const char* text;
    const char* left;
    const char* right;
    int start;
    const char* expected;
  } cases[] = {
      {"x(1)(2)", "(", ")", 0, "1"},
      {"x(1)(2)", "(", ")", 4, "2"},
      {"x(1", "(", ")", 0, ""},
      {"x()", "(", ")", 0, ""},
      {"x)(1", "(", ")", 0, ""},
      {"x(1(2)", "(", ")", 0, "1(2"},
      // Only the first left marker counts, even when a later one has a right marker behind it.
      {"(a[b]", "(", ")", 0, ""},
      // The right marker is searched right behind the left one, so the two never overlap.
      {"<a>b</a>", "<a>", ">", 0, "b</a"},
      {"aba", "ab", "ba", 0, ""},
      {"a=\"v\"", "a=#\xD2\xFD\xBA\xC5", "#\xD2\xFD\xBA\xC5", 0, "v"},
      {"<p class=\"t\">\xCC\xEC\xC6\xF8</p>", "class=#\xD2\xFD\xBA\xC5t#\xD2\xFD\xBA\xC5>", "</p>",
       0, "\xCC\xEC\xC6\xF8"},
      // Markers are not found on the second byte of a character.
      {"\xB0(x(y)", "(", ")", 0, "y"},
      {"ab", "a", "", 0, ""},
      {"ab", "", "b", 0, "a"},
      {"ab", "b", "a", 0, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextBetween(T(c.text), T(c.left), T(c.right), c.start), T(c.expected))
        << c.text << " between " << c.left << " and " << c.right;
  }
  EXPECT_EQ(TextBetween(T("<TITLE>x</Title>"), T("<title>"), T("</title>"), 0, true), T("x"));
  EXPECT_EQ(TextBetween(T("<TITLE>x</Title>"), T("<title>"), T("</title>")), Text());
  EXPECT_EQ(kQuotePlaceholder.str(), std::string("\x23\xD2\xFD\xBA\xC5"));
}

// ---------------------------------------------------------------------------------------------
// Randomized comparison with the plain references of TextPrimitivesReference.h. The alphabet is
// small so that needles, delimiters, blanks and placeholders occur often, and holds both letter
// cases and high bytes that pair up in every way.

class RandomTexts {
 public:
  explicit RandomTexts(unsigned seed) : random_(seed) {}

  std::string AnyText(std::size_t maxLength) {
    static const char kAlphabet[] = {'a',    'b',    'A',    'B',    ' ',   ',',    '\r',
                                     '\n',   '#',    '"',    '(',    ')',   '\xA1', '\xA1',
                                     '\xB0', '\xD2', '\xFD', '\xBA', '\xC5'};
    std::string out;
    const std::size_t length = Below(maxLength + 1);
    // Some texts are long runs of high bytes, where the pairing matters most.
    const bool mostlyHigh = Below(4) == 0;
    for (std::size_t i = 0; i < length; ++i) {
      if (mostlyHigh && Below(8) != 0) {
        out += Below(2) ? '\xA1' : '\xB0';
      } else {
        out += kAlphabet[Below(sizeof kAlphabet)];
      }
    }
    if (Below(10) == 0) out += "#\xD2\xFD\xBA\xC5";
    return out;
  }

  // A needle drawn from the text (from any byte, so it may begin on a second byte), sometimes
  // with its letters' case changed, or a short random one.
  std::string Needle(const std::string& text) {
    std::string needle;
    if (!text.empty() && Below(4) != 0) {
      const std::size_t from = Below(text.size());
      needle = text.substr(from, Below(6));
    } else {
      needle = AnyText(3);
    }
    if (Below(3) == 0) {
      for (char& c : needle) {
        if (reference::IsLetter(static_cast<unsigned char>(c)) && Below(2)) c ^= 0x20;
      }
    }
    return needle;
  }

  int Start(const std::string& text) {
    switch (Below(12)) {
      case 0:
        return INT_MIN;
      case 1:
        return INT_MAX;
      default:
        return static_cast<int>(Below(text.size() + 8)) - 3;
    }
  }

  std::size_t Below(std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_);
  }

 private:
  std::mt19937 random_;
};

TEST(RandomizedTest, FindMatchesReference) {
  RandomTexts random(20240611);
  for (int round = 0; round < 30000; ++round) {
    const std::string text = random.AnyText(round % 10 == 0 ? 400 : 24);
    const std::string needle = random.Needle(text);
    const int start = random.Start(text);
    const bool ignoreCase = random.Below(2) == 1;
    const std::optional<int> reverseStart =
        random.Below(4) == 0 ? std::nullopt : std::optional<int>(start);
    SCOPED_TRACE(testing::PrintToString(text) + " needle " + testing::PrintToString(needle) +
                 " start " + std::to_string(start) + (ignoreCase ? " ignoring case" : ""));
    ASSERT_EQ(FindText(Text(text), Text(needle), start, ignoreCase),
              reference::Scan(text, needle, start, ignoreCase, false));
    ASSERT_EQ(FindTextReverse(Text(text), Text(needle), reverseStart, ignoreCase),
              reference::Scan(text, needle, reverseStart, ignoreCase, true))
        << "reverse start " << reverseStart.value_or(-999);
  }
}

TEST(RandomizedTest, ReplaceSplitTrimMatchReference) {
  RandomTexts random(7);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = random.AnyText(round % 10 == 0 ? 300 : 24);
    const std::string needle = random.Needle(text);
    const std::string replacement = random.AnyText(3);
    const int start = random.Start(text);
    const int count = static_cast<int>(random.Below(5)) - 2;
    const bool caseSensitive = random.Below(2) == 1;
    const std::optional<int> maxCount =
        random.Below(3) == 0 ? std::nullopt
                             : std::optional<int>(static_cast<int>(random.Below(6)) - 1);
    SCOPED_TRACE(testing::PrintToString(text) + " needle " + testing::PrintToString(needle));
    ASSERT_EQ(
        ReplaceText(Text(text), Text(needle), Text(replacement), start, count, caseSensitive).str(),
        reference::Replace(text, needle, replacement, start, count, caseSensitive))
        << "start " << start << " count " << count << " caseSensitive " << caseSensitive;
    ASSERT_EQ(Strings(SplitText(Text(text), Text(needle), maxCount)),
              reference::Split(text, needle, maxCount))
        << "maxCount " << maxCount.value_or(-999);
    ASSERT_EQ(TrimText(Text(text)).str(), reference::Trim(text));
  }
}

TEST(RandomizedTest, TextBetweenMatchesReference) {
  RandomTexts random(99);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = random.AnyText(round % 10 == 0 ? 300 : 24);
    const std::string left = random.Needle(text);
    const std::string right = random.Needle(text);
    const int start = random.Start(text);
    const bool ignoreCase = random.Below(2) == 1;
    SCOPED_TRACE(testing::PrintToString(text) + " between " + testing::PrintToString(left) +
                 " and " + testing::PrintToString(right) + " from " + std::to_string(start));
    ASSERT_EQ(TextBetween(Text(text), Text(left), Text(right), start, ignoreCase).str(),
              reference::Between(text, left, right, start, ignoreCase));
  }
}

}  // namespace
}  // namespace tovrenic
