#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

#include "regex/RegexObject.h"
#include "text/TextConversion.h"
#include "text/TextPrimitives.h"

namespace tovrenic {
namespace {

// Test texts are written as UTF-16 literals and handed over as the GBK text they stand for.
Text G(std::u16string_view text) {
  return Utf16StringToText(text);
}

// The subject with every match of the last Create in brackets: shows where empty matches lie.
Text Marked(const RegexObject& regex) {
  return regex.ReplaceMatches("[$&]");
}

const Text kCharsetPattern("<meta.+?charset=[^\\w]?([-\\w]+)");

void ExpectNothingFound(const RegexObject& regex) {
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(regex.MatchText(1), Text());
  EXPECT_EQ(regex.SubMatchText(1, 1), Text());
  EXPECT_EQ(regex.SubMatchCount(), 0);
}

TEST(RegexObject, ReadsEmptyBeforeAnyCreate) {
  RegexObject regex;
  ExpectNothingFound(regex);
  EXPECT_EQ(regex.GetPattern(), Text());
  EXPECT_EQ(regex.ReplaceMatches("x"), Text());
  int position = 99;
  regex.MatchText(1, &position);
  EXPECT_EQ(position, -2);  // FindText in the empty subject gives -1
}

TEST(RegexObject, PatternWithoutMatchRunsAndReadsEmpty) {
  RegexObject regex;
  EXPECT_TRUE(regex.Create("(x)(y)", "abc"));
  ExpectNothingFound(regex);
  EXPECT_EQ(regex.GetPattern(), Text("(x)(y)"));
  EXPECT_EQ(regex.ReplaceMatches("z"), Text("abc"));
}

TEST(RegexObject, InvalidPatternFailsAndKeepsOnlyThePattern) {
  for (const char* pattern : {"(a", "a)", "[a", "*a", "a{2,1}", "a\\", "(?<=a+)b"}) {
    SCOPED_TRACE(pattern);
    RegexObject regex;
    ASSERT_TRUE(regex.Create("(a)", "a"));
    EXPECT_FALSE(regex.Create(pattern, "a(a)[a*a{2,1}"));
    ExpectNothingFound(regex);
    EXPECT_EQ(regex.ReplaceMatches("x"), Text());
    // The pattern was set before the search failed, so it reads back.
    EXPECT_EQ(regex.GetPattern(), Text(pattern));
  }
}

TEST(RegexObject, SearchBeyondTheMatchLimitFails) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(a)", "a"));
  EXPECT_FALSE(regex.Create("(a+)+[bc]", Text(std::string(40, 'a'))));
  ExpectNothingFound(regex);
  EXPECT_EQ(regex.ReplaceMatches("x"), Text());
}

TEST(RegexObject, SecondCreateForgetsTheFirst) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(a)(b)", "abab", true, false, true));
  ASSERT_EQ(regex.MatchCount(), 2);
  ASSERT_EQ(regex.SubMatchCount(), 2);

  // Every option is back to its default: case ignored, multi-line, global.
  EXPECT_TRUE(regex.Create("^C", G(u"中c\r\nc")));
  EXPECT_EQ(regex.GetPattern(), Text("^C"));
  EXPECT_EQ(regex.MatchCount(), 1);
  EXPECT_EQ(regex.SubMatchCount(), 0);
  EXPECT_EQ(regex.SubMatchText(1, 1), Text());
  EXPECT_EQ(regex.MatchText(2), Text());
  int position = 0;
  EXPECT_EQ(regex.MatchText(1, &position), Text("c"));
  EXPECT_EQ(position, 5);
  EXPECT_EQ(regex.ReplaceMatches("x"), G(u"中c\r\nx"));
}

TEST(RegexObject, NumbersAreOneBasedAndGroupsWithoutPartReadEmpty) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("([a-z])(\\d)?", "a1 b"));
  ASSERT_EQ(regex.MatchCount(), 2);
  EXPECT_EQ(regex.SubMatchCount(), 2);
  EXPECT_EQ(regex.MatchText(1), Text("a1"));
  EXPECT_EQ(regex.MatchText(2), Text("b"));
  EXPECT_EQ(regex.SubMatchText(1, 1), Text("a"));
  EXPECT_EQ(regex.SubMatchText(1, 2), Text("1"));
  EXPECT_EQ(regex.SubMatchText(2, 1), Text("b"));
  EXPECT_EQ(regex.SubMatchText(2, 2), Text());  // took no part
  const std::pair<int, int> outside[] = {{0, 1}, {-1, 1}, {3, 1}, {1, 0}, {1, 3}, {1, -1}};
  for (auto [match, group] : outside) {
    EXPECT_EQ(regex.SubMatchText(match, group), Text()) << match << "," << group;
  }
  for (int index : {0, -1, 3}) EXPECT_EQ(regex.MatchText(index), Text()) << index;

  // A group that took no part in one alternative stays empty although the other matched.
  ASSERT_TRUE(regex.Create("(a)|(b)", "b"));
  EXPECT_EQ(regex.SubMatchCount(), 2);
  EXPECT_EQ(regex.SubMatchText(1, 1), Text());
  EXPECT_EQ(regex.SubMatchText(1, 2), Text("b"));
}

TEST(RegexObject, CaseIsIgnoredByDefault) {
  struct Case {
    std::u16string pattern, subject;
    bool caseSensitive;
    std::u16string first;
  };
  const Case cases[] = {
      {u"ABC", u"xabcx", false, u"abc"},
      {u"abc", u"xABCx", false, u"ABC"},
      {u"[A-C]+", u"xabcx", false, u"abc"},
      {u"(a)\\1", u"aA", false, u"aA"},
      {u"ABC", u"xabcx", true, u""},
      // Greek, Cyrillic and full-width Latin letters of GBK fold too.
      {u"α", u"Α", false, u"Α"},
      {u"д", u"Д", false, u"Д"},
      {u"ａ", u"Ａ", false, u"Ａ"},
      {u"α", u"Α", true, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(G(c.pattern).str() + " in " + G(c.subject).str());
    RegexObject regex;
    ASSERT_TRUE(regex.Create(G(c.pattern), G(c.subject), c.caseSensitive));
    EXPECT_EQ(regex.MatchText(1), G(c.first));
  }
}

TEST(RegexObject, GlobalFindsEveryMatchOtherwiseOnlyTheFirst) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("\\d", "a1b2c3", false, true, true));
  EXPECT_EQ(regex.MatchCount(), 3);
  EXPECT_EQ(regex.MatchText(3), Text("3"));
  EXPECT_EQ(Marked(regex), Text("a[1]b[2]c[3]"));

  ASSERT_TRUE(regex.Create("\\d", "a1b2c3", false, true, false));
  EXPECT_EQ(regex.MatchCount(), 1);
  EXPECT_EQ(regex.MatchText(1), Text("1"));
  EXPECT_EQ(regex.MatchText(2), Text());
  EXPECT_EQ(Marked(regex), Text("a[1]b2c3"));
}

// Matches are shown with Marked, so empty ones are seen where they lie.
struct MarkCase {
  std::u16string pattern, subject;
  bool multiline;
  std::u16string marked;
};

void ExpectMarked(const MarkCase& c) {
  SCOPED_TRACE(G(c.pattern).str() + " in " + G(c.subject).str());
  RegexObject regex;
  ASSERT_TRUE(regex.Create(G(c.pattern), G(c.subject), false, c.multiline));
  EXPECT_EQ(Marked(regex), G(c.marked));
}

TEST(RegexObject, LineBreaksAreCrAndLfEachOnItsOwn) {
  const MarkCase cases[] = {
      {u"^\\w", u"a\r\nb\nc\rd", true, u"[a]\r\n[b]\n[c]\r[d]"},
      {u"^\\w", u"a\r\nb\nc\rd", false, u"[a]\r\nb\nc\rd"},
      {u"\\w$", u"a\r\nb\nc\rd", true, u"[a]\r\n[b]\n[c]\r[d]"},
      {u"\\w$", u"a\r\nb\nc\rd", false, u"a\r\nb\nc\r[d]"},
      // Without multi-line mode "$" is the very end, not the place before a final line break.
      {u"a$", u"a\n", false, u"a\n"},
      // Between CR and LF a line ends and another begins.
      {u"^", u"a\r\nb", true, u"[]a\r[]\n[]b"},
      {u"$", u"a\r\nb", true, u"a[]\r[]\nb[]"},
      {u"^", u"a\n", true, u"[]a\n[]"},
      // "." never matches CR or LF, with or without multi-line mode.
      {u".", u"a\r\nb", true, u"[a]\r\n[b]"},
      {u".+", u"ab\ncd\re", false, u"[ab]\n[cd]\r[e]"},
      // Other vertical space breaks no line.
      {u".$", u"\v\f", true, u"\v[\f]"},
  };
  for (const MarkCase& c : cases) ExpectMarked(c);
}

TEST(RegexObject, EmptyMatchMovesTheSearchOneCharacterOn) {
  const MarkCase cases[] = {
      {u"x*", u"axb", true, u"[]a[x][]b[]"},
      {u"\\d*", u"12a", true, u"[12][]a[]"},
      // The next search starts behind an empty match: "a" is not tried again where it was empty.
      {u"a*?", u"aa", true, u"[]a[]a[]"},
      {u"|a", u"a", true, u"[]a[]"},
      {u"", u"中文", true, u"[]中[]文[]"},
  };
  for (const MarkCase& c : cases) ExpectMarked(c);
}

TEST(RegexObject, EscapesAndClassesReadAsInTheClassicSyntax) {
  const MarkCase cases[] = {
      {u"\\x41\\u4E2D", u"A中", true, u"[A中]"},
      {u"\\x4g\\u12", u"x4gu12", true, u"[x4gu12]"},  // too few hex digits: the letter itself
      {u"\\v", u"\n\v", true, u"\n[\v]"},             // the vertical tab, no other break
      {u"\\a\\e\\h\\K\\Q\\R\\X\\z", u"aehKQRXz", true, u"[aehKQRXz]"},
      {u"\\cJ", u"\n", true, u"[\n]"},
      {u"\\c1", u"\\c1", true, u"[\\c1]"},  // no control letter: a literal backslash
      {u"\\^\\[\\.", u"^[.", true, u"[^[.]"},
      {u"[]a", u"a", true, u"a"},  // the empty class matches nothing
      {u"[^]", u"a\n", true, u"[a][\n]"},
      {u"[[:digit:]]", u"1d]", true, u"1[d]]"},  // no POSIX classes: "[" is a character
      {u"[\\B]", u"xB", true, u"x[B]"},
      {u"(a)|b\\1", u"b", true, u"[b]"},  // a group without part is matched as empty
      // \w, \d and \s are ASCII only.
      {u"\\w+", u"中é_x9", true, u"中é[_x9]"},
      {u"\\d", u"１1", true, u"１[1]"},
      {u"\\s", u"a　b c", true, u"a　b[ ]c"},
  };
  for (const MarkCase& c : cases) ExpectMarked(c);
}

TEST(RegexObject, QuotePlaceholderBecomesADoubleQuoteOnlyWhenAsked) {
  const Text pattern = Text("id=") + kQuotePlaceholder + "(\\w+)" + kQuotePlaceholder;
  const Text quoted("<a id=\"main\">");
  const Text literal = Text("id=") + kQuotePlaceholder + "main" + kQuotePlaceholder;
  RegexObject regex;

  ASSERT_TRUE(regex.Create(pattern, quoted, false, true, true, true));
  EXPECT_EQ(regex.GetPattern(), Text("id=\"(\\w+)\""));
  EXPECT_EQ(regex.SubMatchText(1, 1), Text("main"));
  ASSERT_TRUE(regex.Create(pattern, literal, false, true, true, true));
  EXPECT_EQ(regex.MatchCount(), 0);

  ASSERT_TRUE(regex.Create(pattern, quoted));
  EXPECT_EQ(regex.GetPattern(), pattern);
  EXPECT_EQ(regex.MatchCount(), 0);
  ASSERT_TRUE(regex.Create(pattern, literal));
  EXPECT_EQ(regex.SubMatchText(1, 1), Text("main"));
}

// As the response decoding uses it: all options omitted, then the first group of the first match.
TEST(RegexObject, CharsetPatternFindsTheDeclaredName) {
  struct Case {
    std::u16string subject, name;
  };
  const Case cases[] = {
      {u"<meta charset=utf-8>", u"utf-8"},
      {u"<meta charset=\"gb2312\">", u"gb2312"},
      {u"<meta charset='windows-1252' />", u"windows-1252"},
      {u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />", u"UTF-8"},
      {u"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; CHARSET=GBK\">", u"GBK"},
      {u"<html>\r\n<meta charset=euc_jp>\r\n<meta charset=gbk>", u"euc_jp"},
      // The lazy part is not held to the tag: it runs on to the first "charset=" of the line.
      {u"<meta name=\"x\"><title>t</title>charset=big5", u"big5"},
      {u"<meta content=\"中文; charset=gbk\">", u"gbk"},
      // At most one character that is not an ASCII word character before the name.
      {u"<meta charset= \"utf-8\">", u""},
      {u"<meta charset=中utf8>", u"utf8"},
      // "<meta" and "charset=" on different lines, or nothing between them.
      {u"<meta\ncharset=utf-8>", u""},
      {u"<meta\r\n  charset=utf-8>", u""},
      {u"<metacharset=utf-8>", u""},
      {u"<p>charset=utf-8</p>", u""},
      {u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(G(c.subject).str());
    RegexObject regex;
    ASSERT_TRUE(regex.Create(kCharsetPattern, G(c.subject)));
    EXPECT_EQ(regex.SubMatchText(1, 1), G(c.name));
  }

  RegexObject regex;
  ASSERT_TRUE(regex.Create(kCharsetPattern, "<meta charset=utf-8><META CHARSET=gbk>"));
  EXPECT_EQ(regex.MatchCount(), 2);
  EXPECT_EQ(regex.MatchText(2), Text("<META CHARSET=gbk"));
  EXPECT_EQ(regex.SubMatchText(2, 1), Text("gbk"));
}

TEST(RegexObject, PositionIsTheByteOffsetFoundFromTheUtf16Index) {
  // 中 is D6 D0 and 文 is CE C4 in GBK. The UTF-16 index of the match is used as a 1-based byte
  // position to search from, and that search steps over a byte of 0x80 or above together with
  // the byte behind it, wherever it starts.
  struct Case {
    std::u16string subject, pattern;
    bool caseSensitive;
    int group;  // 0: the whole match
    std::u16string text;
    int position;
  };
  const Case cases[] = {
      {u"abc", u"b", false, 0, u"b", 1},
      // Index 1, offset 2: the search from byte 1 steps over 中 and finds the match.
      {u"中abc", u"abc", false, 0, u"abc", 2},
      {u"中文abc", u"c", false, 0, u"c", 6},
      // Index 2: the search starts at the second byte of 中, takes it with the first of 文 as
      // one character, then the second of 文 with "a", and so misses the match (-1, so -2).
      {u"中文abc", u"abc", false, 0, u"abc", -2},
      {u"中文key=val", u"key=(\\w+)", false, 1, u"val", 8},
      // The search for a group begins at the match, so an earlier copy inside it wins.
      {u"中ab=ab", u"ab=(ab)", false, 1, u"ab", 2},
      // The search is exact when the match ignored case and ignores case when the match did
      // not: then it stops at the "abc" in front of the match.
      {u"中中abcABC", u"ABC$", false, 0, u"ABC", 7},
      {u"中中abcABC", u"ABC$", true, 0, u"ABC", 4},
      // An empty text is found at the first byte searched.
      {u"ab", u"$", false, 0, u"", 0},
      {u"ab", u"(x)|b", false, 1, u"", 0},
      // A group that lies before the match start is not found from there.
      {u"xab", u"(?<=(xa))b", false, 1, u"xa", -2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(G(c.pattern).str() + " in " + G(c.subject).str());
    RegexObject regex;
    ASSERT_TRUE(regex.Create(G(c.pattern), G(c.subject), c.caseSensitive));
    int position = 99;
    const Text text =
        c.group == 0 ? regex.MatchText(1, &position) : regex.SubMatchText(1, c.group, &position);
    EXPECT_EQ(text, G(c.text));
    EXPECT_EQ(position, c.position);
  }
}

TEST(RegexObject, ReplaceMatchesExpandsTheClassicReplacementSyntax) {
  struct Case {
    std::u16string pattern, subject;
    bool global;
    std::u16string replacement, result;
  };
  const Case cases[] = {
      {u"(\\w+)@(\\w+)", u"a@b c@d", true, u"$2@$1", u"b@a d@c"},
      {u"(\\w+)@(\\w+)", u"a@b c@d", false, u"$2@$1", u"b@a c@d"},
      {u"b", u"abc", true, u"[$`|$&|$']", u"a[a|b|c]c"},
      {u"b", u"abc", true, u"$$ $0 $5 $x US$", u"a$ $0 $5 $x US$c"},
      // Two digits name a group only when there are that many; else the first digit does.
      {u"(b)", u"abc", true, u"$10$01", u"ab0bc"},
      {u"(a)|b", u"ab", true, u"[$1]", u"[a][]"},
      {u"ABC", u"中abc文", true, u"字", u"中字文"},
      {u"b", u"abc", true, u"", u"ac"},
      {u"x", u"abc", true, u"y", u"abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(G(c.pattern).str() + " with " + G(c.replacement).str());
    RegexObject regex;
    ASSERT_TRUE(regex.Create(G(c.pattern), G(c.subject), false, true, c.global));
    EXPECT_EQ(regex.ReplaceMatches(G(c.replacement)), G(c.result));
  }
}

}  // namespace
}  // namespace tovrenic
