#include "regex/RegexObject.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/TextConversion.h"
#include "text/TextPrimitives.h"

// How the classic RegExp syntax and options map onto PCRE2:
//
// - UTF mode, without UCP: \w, \d, \s and \b stay ASCII, while case-insensitive matching folds
//   every letter Unicode knows (Greek, Cyrillic and full-width Latin in GBK text) as the classic
//   engine does. GBK has no character beyond the BMP, yet the search steps over a surrogate
//   pair whole, as UTF mode requires.
// - Newlines are CR, LF and CR LF (ANYCRLF): "." matches neither CR nor LF, and a multi-line "$"
//   matches before each of them, also between the CR and the LF of a pair. PCRE2 does not let a
//   multi-line "^" match between CR and LF, nor behind a line break that ends the subject, so the
//   pattern spells that "^" as a lookbehind instead.
// - Without multi-line mode "$" matches only at the very end (DOLLAR_ENDONLY).
// - \xhh, \uhhhh, [] (matches nothing), [^] (matches anything) and a backreference to a group
//   that took no part (matches empty) behave as in the classic syntax (ALT_BSUX,
//   ALLOW_EMPTY_CLASS, MATCH_UNSET_BACKREF); other escapes are translated below.
// - A global search goes on where the last match ended, or one character further when the
//   match was empty; PCRE2's own iteration (pcre2demo, pcre2_substitute) first retries a
//   non-empty match at the same place, which finds matches the classic engine does not.

namespace tovrenic {
namespace {

struct CodeFree {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct CompileContextFree {
  void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
using Code = std::unique_ptr<pcre2_code, CodeFree>;
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using CompileContext = std::unique_ptr<pcre2_compile_context, CompileContextFree>;

PCRE2_SPTR Units(std::u16string_view text) {
  return reinterpret_cast<PCRE2_SPTR>(text.data());
}

bool IsAsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// Appends the translation of the escape "\" + e. Letters the classic syntax gives no meaning
// stand for themselves there, while PCRE2 reads many of them as its own escapes (\a, \e, \h,
// \K, \Q, \R, \X, ...) or rejects them.
void TranslateEscape(std::u16string_view pattern, std::size_t& i, bool inClass,
                     std::u16string& out) {
  const char16_t e = pattern[i];
  if (!IsAsciiLetter(e)) {
    out += u'\\';
    out += e;
    return;
  }
  // Escapes that mean the same in both syntaxes (\x and \u through ALT_BSUX).
  constexpr std::u16string_view kShared = u"dDwWsSfnrtbxu";
  if (kShared.find(e) != std::u16string_view::npos) {
    out += u'\\';
    out += e;
  } else if (e == u'B') {
    // A word-boundary assertion outside a class; inside one, PCRE2 rejects it.
    out += inClass ? u"B" : u"\\B";
  } else if (e == u'v') {
    out += u"\\x0b";  // the vertical tab alone, not PCRE2's class of vertical white space
  } else if (e == u'c' && i + 1 < pattern.size() && IsAsciiLetter(pattern[i + 1])) {
    out += u"\\c";
    out += pattern[++i];
  } else if (e == u'c') {
    out += u"\\\\c";  // without a control letter the backslash is taken literally
  } else {
    out += e;
  }
}

// The pattern as PCRE2 should read it: see the notes at the top of this file.
std::u16string TranslatePattern(std::u16string_view pattern, bool multiline) {
  std::u16string out;
  out.reserve(pattern.size() + 16);
  bool inClass = false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char16_t c = pattern[i];
    if (c == u'\\' && i + 1 < pattern.size()) {
      ++i;
      TranslateEscape(pattern, i, inClass, out);
    } else if (inClass) {
      if (c == u']') inClass = false;
      // "[" inside a class is an ordinary character, never the start of a POSIX class.
      if (c == u'[') out += u'\\';
      out += c;
    } else if (c == u'[') {
      out += c;
      inClass = true;
      if (i + 1 < pattern.size() && pattern[i + 1] == u'^') out += pattern[++i];
      // "[]" and "[^]" end at once (ALLOW_EMPTY_CLASS reads them that way too).
      if (i + 1 < pattern.size() && pattern[i + 1] == u']') {
        out += pattern[++i];
        inClass = false;
      }
    } else if (c == u'^' && multiline) {
      out += u"(?<![^\\n\\r])";
    } else {
      out += c;  // a trailing backslash is copied too and stays an error
    }
  }
  return out;
}

}  // namespace

struct RegexObject::State {
  bool created = false;  // a Create has run, so its pattern and case option can be read back
  bool caseSensitive = false;
  bool searched = false;  // the last Create compiled its pattern and finished its search
  std::u16string pattern;
  std::u16string subject;
  std::size_t groupCount = 0;
  // For each match, groupCount + 1 start/end pairs in UTF-16 units: the whole match, then each
  // group; a group that took no part holds PCRE2_UNSET.
  std::vector<PCRE2_SIZE> offsets;

  std::size_t Stride() const { return 2 * (groupCount + 1); }
  std::size_t Count() const { return offsets.size() / Stride(); }
  const PCRE2_SIZE* Match(std::size_t index) const { return offsets.data() + index * Stride(); }

  std::u16string_view Span(const PCRE2_SIZE* pair) const {
    if (pair[0] == PCRE2_UNSET || pair[1] < pair[0]) return {};
    return std::u16string_view(subject).substr(pair[0], pair[1] - pair[0]);
  }

  // The byte position of text in the subject, searched from the UTF-16 index firstIndex taken as
  // a 1-based byte position. The search ignores case exactly when the regular expression did not.
  int Position(const Text& text, int firstIndex) const {
    return FindText(Utf16StringToText(subject), text, firstIndex, created && caseSensitive) - 1;
  }

  void AppendReplacement(std::u16string_view replacement, const PCRE2_SIZE* match,
                         std::u16string& out) const;
};

// Expands the classic replacement syntax for one match: $$, $& (the match), $` and $' (the
// subject before and after it), $1 to $99 (a group, empty when it took no part). A two-digit
// number names a group only when the pattern has that many, else its first digit does. Any other
// "$" is copied as it stands.
void RegexObject::State::AppendReplacement(std::u16string_view replacement, const PCRE2_SIZE* match,
                                           std::u16string& out) const {
  const std::u16string_view all(subject);
  for (std::size_t i = 0; i < replacement.size(); ++i) {
    const char16_t c = replacement[i];
    const char16_t next = i + 1 < replacement.size() ? replacement[i + 1] : u'\0';
    if (c != u'$') {
      out += c;
    } else if (next == u'$') {
      out += u'$';
      ++i;
    } else if (next == u'&') {
      out += Span(match);
      ++i;
    } else if (next == u'`') {
      out += all.substr(0, match[0]);
      ++i;
    } else if (next == u'\'') {
      out += all.substr(match[1]);
      ++i;
    } else if (IsDigit(next)) {
      const auto one = static_cast<std::size_t>(next - u'0');
      const std::size_t two = i + 2 < replacement.size() && IsDigit(replacement[i + 2])
                                  ? one * 10 + static_cast<std::size_t>(replacement[i + 2] - u'0')
                                  : 0;
      if (two >= 1 && two <= groupCount) {
        out += Span(match + 2 * two);
        i += 2;
      } else if (one >= 1 && one <= groupCount) {
        out += Span(match + 2 * one);
        ++i;
      } else {
        out += u'$';
      }
    } else {
      out += u'$';
    }
  }
}

RegexObject::RegexObject() : state_(std::make_unique<State>()) {}
RegexObject::~RegexObject() = default;

bool RegexObject::Create(const Text& pattern, const Text& subject, bool caseSensitive,
                         bool multiline, bool global, bool quotePlaceholders) {
  State& s = *state_;
  s.searched = false;
  s.offsets.clear();
  s.groupCount = 0;
  s.created = true;
  s.caseSensitive = caseSensitive;
  s.pattern = TextToUtf16String(
      quotePlaceholders ? ReplaceText(pattern, kQuotePlaceholder, Text("\""), 1, -1, true)
                        : pattern);
  s.subject = TextToUtf16String(subject);

  CompileContext context(pcre2_compile_context_create(nullptr));
  if (!context) return false;
  pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);
  uint32_t options =
      PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF;
  if (!caseSensitive) options |= PCRE2_CASELESS;
  options |= multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
  const std::u16string translated = TranslatePattern(s.pattern, multiline);
  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  Code code(pcre2_compile(Units(translated), translated.size(), options, &error, &errorOffset,
                          context.get()));
  if (!code) return false;
  uint32_t captures = 0;
  pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &captures);
  MatchData data(pcre2_match_data_create_from_pattern(code.get(), nullptr));
  if (!data) return false;

  s.groupCount = captures;
  const std::u16string_view text(s.subject);
  uint32_t matchOptions = 0;
  for (PCRE2_SIZE start = 0; start <= text.size();) {
    const int rc =
        pcre2_match(code.get(), Units(text), text.size(), start, matchOptions, data.get(), nullptr);
    if (rc == PCRE2_ERROR_NOMATCH) break;
    if (rc <= 0) {  // a matching error, such as the match limit: the search failed
      s.offsets.clear();
      s.groupCount = 0;
      return false;
    }
    matchOptions |= PCRE2_NO_UTF_CHECK;  // the whole subject was checked by the first call
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
    s.offsets.insert(s.offsets.end(), ovector, ovector + 2 * rc);
    s.offsets.resize(s.offsets.size() + s.Stride() - 2 * rc, PCRE2_UNSET);
    if (!global) break;
    start = ovector[1];
    if (ovector[1] <= ovector[0]) {
      // After an empty match the next search begins one character further on.
      start = ovector[0] + 1;
      if (start < text.size() && (text[start] & 0xFC00) == 0xDC00) ++start;
    }
  }
  s.searched = true;
  return true;
}

Text RegexObject::GetPattern() const {
  return state_->created ? Utf16StringToText(state_->pattern) : Text();
}

Text RegexObject::ReplaceMatches(const Text& replacement) const {
  const State& s = *state_;
  if (!s.searched) return {};
  const std::u16string with = TextToUtf16String(replacement);
  std::u16string out;
  PCRE2_SIZE copied = 0;
  for (std::size_t m = 0; m < s.Count(); ++m) {
    const PCRE2_SIZE* match = s.Match(m);
    out.append(s.subject, copied, match[0] - copied);
    s.AppendReplacement(with, match, out);
    copied = match[1];
  }
  out.append(s.subject, copied);
  return Utf16StringToText(out);
}

int RegexObject::MatchCount() const {
  return static_cast<int>(state_->Count());
}

Text RegexObject::MatchText(int index, int* position) const {
  const State& s = *state_;
  Text text;
  int firstIndex = 0;
  if (index >= 1 && static_cast<std::size_t>(index) <= s.Count()) {
    const PCRE2_SIZE* match = s.Match(index - 1);
    text = Utf16StringToText(s.Span(match));
    firstIndex = static_cast<int>(match[0]);
  }
  if (position) *position = s.Position(text, firstIndex);
  return text;
}

Text RegexObject::SubMatchText(int matchIndex, int groupIndex, int* position) const {
  const State& s = *state_;
  Text text;
  int firstIndex = 0;
  if (matchIndex >= 1 && static_cast<std::size_t>(matchIndex) <= s.Count()) {
    const PCRE2_SIZE* match = s.Match(matchIndex - 1);
    firstIndex = static_cast<int>(match[0]);
    if (groupIndex >= 1 && static_cast<std::size_t>(groupIndex) <= s.groupCount) {
      text = Utf16StringToText(s.Span(match + 2 * groupIndex));
    }
  }
  if (position) *position = s.Position(text, firstIndex);
  return text;
}

int RegexObject::SubMatchCount() const {
  return state_->Count() > 0 ? static_cast<int>(state_->groupCount) : 0;
}

}  // namespace tovrenic
