#include "text/TextPrimitives.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tovrenic {

const Text kQuotePlaceholder("#\xD2\xFD\xBA\xC5");

namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool IsLeadByte(char c) {
  return static_cast<unsigned char>(c) >= 0x80;
}

bool IsAsciiLetter(char c) {
  const unsigned char lower = static_cast<unsigned char>(c) | 0x20;
  return lower >= 'a' && lower <= 'z';
}

char OtherCase(char c) {
  return IsAsciiLetter(c) ? static_cast<char>(c ^ 0x20) : c;
}

bool SameIgnoringCase(char a, char b) {
  return a == b || (IsAsciiLetter(a) && OtherCase(a) == b);
}

bool HasAsciiLetter(std::string_view s) {
  for (char c : s) {
    if (IsAsciiLetter(c)) return true;
  }
  return false;
}

// 1-based start to 0-based offset, clamping everything below 1 to the first byte; computed in 64
// bits so that the most negative int does not overflow.
std::size_t OffsetFromStart(int start) {
  return start <= 1 ? 0 : static_cast<std::size_t>(static_cast<std::int64_t>(start) - 1);
}

// The occurrences of a needle that a character walk over `hay` meets, in order.
//
// The walk starts at a given offset and steps one character at a time: a byte of 0x80 or above
// and the byte after it form one character, any other byte is one. A plain byte search is far
// faster than walking, so the scan jumps to byte-level candidates (memmem, or memchr for one
// needle byte when case is ignored) and then decides whether the walk would stand on the
// candidate. That needs no walk: within the walked stretch, the byte after a byte below 0x80
// always begins a character (the byte below 0x80 is either a character of its own or the second
// byte of a pair), and so does the walk's starting point; within the run of high bytes that follows
// such a point, characters begin at even offsets. Counting back never passes the last character
// start already known, so the whole scan stays linear.
class CharacterScan {
 public:
  CharacterScan(std::string_view hay, std::string_view needle, bool ignoreCase, std::size_t start)
      : hay_(hay),
        needle_(needle),
        // Without letters in the needle, ignoring case changes nothing and memmem can be used.
        ignoreCase_(ignoreCase && HasAsciiLetter(needle)),
        from_(start),
        known_(start) {
    if (ignoreCase_) {
      // Prefer a byte that has no other case, so that one memchr finds every candidate.
      anchor_ = 0;
      for (std::size_t i = 0; i < needle_.size(); ++i) {
        if (!IsAsciiLetter(needle_[i])) {
          anchor_ = i;
          break;
        }
      }
      first_.byte = needle_[anchor_];
      second_.byte = OtherCase(first_.byte);
    }
  }

  // The next occurrence at a character start, or kNone. The walk goes on from there, stepping
  // over the occurrence's first character only.
  std::size_t Next() {
    for (;;) {
      const std::size_t candidate = ignoreCase_ ? NextAnchorCandidate() : NextExactCandidate();
      if (candidate == kNone) return kNone;
      from_ = candidate + 1;
      if (!AtCharacterStart(candidate)) continue;
      if (!ignoreCase_ || MatchesIgnoringCase(candidate)) return candidate;
    }
  }

  // Continues the walk at `position` as a fresh character start (after a replaced or split-off
  // occurrence).
  void RestartAt(std::size_t position) { from_ = known_ = position; }

 private:
  // The first position at or after `from` of one byte, remembered so that alternating between
  // two bytes does not search the same stretch twice.
  struct ByteCursor {
    char byte = 0;
    std::size_t searchedFrom = kNone;
    std::size_t at = kNone;

    std::size_t Find(std::string_view hay, std::size_t from) {
      if (searchedFrom <= from && from <= at) return at;
      searchedFrom = from;
      const void* hit =
          from < hay.size() ? std::memchr(hay.data() + from, byte, hay.size() - from) : nullptr;
      at = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - hay.data()) : kNone;
      return at;
    }
  };

  std::size_t NextExactCandidate() const {
    const std::size_t m = needle_.size();
    if (from_ > hay_.size() || hay_.size() - from_ < m) return kNone;
    const void* hit = m == 1 ? std::memchr(hay_.data() + from_, needle_[0], hay_.size() - from_)
                             : memmem(hay_.data() + from_, hay_.size() - from_, needle_.data(), m);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - hay_.data()) : kNone;
  }

  std::size_t NextAnchorCandidate() {
    const std::size_t m = needle_.size();
    if (from_ > hay_.size() || hay_.size() - from_ < m) return kNone;
    const std::size_t a = first_.Find(hay_, from_ + anchor_);
    const std::size_t b = first_.byte == second_.byte ? kNone : second_.Find(hay_, from_ + anchor_);
    const std::size_t hit = a < b ? a : b;
    if (hit == kNone) return kNone;
    const std::size_t candidate = hit - anchor_;
    return hay_.size() - candidate < m ? kNone : candidate;
  }

  bool MatchesIgnoringCase(std::size_t position) const {
    for (std::size_t i = 0; i < needle_.size(); ++i) {
      if (!SameIgnoringCase(hay_[position + i], needle_[i])) return false;
    }
    return true;
  }

  // Whether the walk stands on `position` (never before the last known start); the answer makes
  // `position` or the byte after it the new known start.
  bool AtCharacterStart(std::size_t position) {
    std::size_t runStart = position;
    while (runStart > known_ && IsLeadByte(hay_[runStart - 1])) --runStart;
    const bool start = (position - runStart) % 2 == 0;
    known_ = start ? position : position + 1;
    return start;
  }

  std::string_view hay_;
  std::string_view needle_;
  bool ignoreCase_;
  std::size_t from_;   // the next candidate is at or after this offset
  std::size_t known_;  // an offset the walk is known to stand on; never after from_
  std::size_t anchor_ = 0;
  ByteCursor first_;
  ByteCursor second_;
};

bool IsBlankAt(std::string_view s, std::size_t i) {
  return s[i] == ' ' || (i + 1 < s.size() && s[i] == '\xA1' && s[i + 1] == '\xA1');
}

}  // namespace

int TextLength(const Text& text) {
  return static_cast<int>(text.size());
}

int FindText(const Text& text, const Text& needle, int start, bool ignoreCase) {
  const std::size_t begin = OffsetFromStart(start);
  if (begin >= text.size()) return -1;
  if (needle.empty()) return 1;
  CharacterScan scan(text.view(), needle.view(), ignoreCase, begin);
  const std::size_t found = scan.Next();
  return found == kNone ? -1 : static_cast<int>(found + 1);
}

int FindTextReverse(const Text& text, const Text& needle, std::optional<int> start,
                    bool ignoreCase) {
  std::size_t end = text.size();
  if (start) {
    const std::size_t last = OffsetFromStart(*start);  // start - 1, or 0 when below
    if (last < end) end = last;
  }
  if (end == 0) return -1;
  if (needle.empty()) return 1;
  CharacterScan scan(text.view().substr(0, end), needle.view(), ignoreCase, 0);
  std::size_t found = kNone;
  for (std::size_t next = scan.Next(); next != kNone; next = scan.Next()) found = next;
  return found == kNone ? -1 : static_cast<int>(found + 1);
}

Text TextLeft(const Text& text, int n) {
  if (n <= 0) return Text();
  return Text(text.view().substr(0, static_cast<std::size_t>(n)));
}

Text TextRight(const Text& text, int n) {
  if (n <= 0) return Text();
  const std::size_t count = static_cast<std::size_t>(n);
  if (count >= text.size()) return text;
  return Text(text.view().substr(text.size() - count));
}

Text TextMid(const Text& text, int start, int n) {
  if (start < 1 || n <= 0 || static_cast<std::size_t>(start) > text.size()) return Text();
  return Text(text.view().substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(n)));
}

TextList SplitText(const Text& text, const Text& delimiter, std::optional<int> maxCount) {
  TextList pieces;
  if (text.empty() || (maxCount && *maxCount <= 0)) return pieces;
  if (delimiter.empty()) {
    pieces.push_back(text);
    return pieces;
  }
  const std::string_view all = text.view();
  const std::size_t d = delimiter.size();
  CharacterScan scan(all, delimiter.view(), false, 0);
  std::size_t pieceStart = 0;
  for (std::size_t found = scan.Next(); found != kNone; found = scan.Next()) {
    pieces.emplace_back(all.substr(pieceStart, found - pieceStart));
    pieceStart = found + d;
    if (maxCount && --*maxCount == 0) return pieces;
    scan.RestartAt(pieceStart);
  }
  // An incomplete last character ends the walk but still belongs to the last piece.
  if (pieceStart < all.size()) pieces.emplace_back(all.substr(pieceStart));
  return pieces;
}

Text ReplaceText(const Text& text, const Text& needle, const Text& replacement, int start,
                 int count, bool caseSensitive) {
  const std::size_t begin = OffsetFromStart(start);
  if (text.empty() || needle.empty() || count == 0 || begin >= text.size()) return text;
  const std::string_view all = text.view();
  const std::size_t m = needle.size();
  CharacterScan scan(all, needle.view(), !caseSensitive, begin);
  std::string result;
  result.reserve(all.size());
  std::size_t copied = 0;  // everything before this offset is in result
  for (std::size_t found = scan.Next(); found != kNone; found = scan.Next()) {
    result.append(all, copied, found - copied);
    result += replacement.view();
    copied = found + m;
    if (count > 0 && --count == 0) break;
    scan.RestartAt(copied);
  }
  // The rest, including an incomplete last character, is kept as it is.
  result.append(all, copied);
  return Text(std::move(result));
}

Text TrimText(const Text& text) {
  const std::string_view all = text.view();
  const std::size_t n = all.size();
  std::size_t begin = 0;
  while (begin < n && IsBlankAt(all, begin)) begin += all[begin] == ' ' ? 1 : 2;
  // Trailing blanks can only be told by walking forward: a byte pair A1 A1 at the end may be the
  // second half of one character and the first half of the next. A lone lead byte at the very
  // end is kept and counts as a character that is not blank.
  std::size_t end = n;
  bool inBlankRun = false;
  for (std::size_t i = begin; i < n;) {
    const std::size_t width = IsLeadByte(all[i]) ? 2 : 1;
    if (IsBlankAt(all, i)) {
      if (!inBlankRun) end = i;
      inBlankRun = true;
    } else {
      inBlankRun = false;
    }
    i += width;
  }
  if (!inBlankRun) end = n;
  return Text(all.substr(begin, end - begin));
}

Text UpperCaseText(const Text& text) {
  std::string result(text.view());
  for (std::size_t i = 0; i < result.size(); ++i) {
    if (IsLeadByte(result[i])) {
      ++i;  // the second byte of a double-byte character is never changed
    } else if (result[i] >= 'a' && result[i] <= 'z') {
      result[i] = static_cast<char>(result[i] - 'a' + 'A');
    }
  }
  return Text(std::move(result));
}

int CharCode(const Text& text, int position) {
  if (position < 1 || static_cast<std::size_t>(position) > text.size()) return 0;
  return static_cast<signed char>(text.view()[static_cast<std::size_t>(position) - 1]);
}

Text CharFromCode(int code) {
  const char byte = static_cast<char>(code & 0xFF);
  return byte == 0 ? Text() : Text(std::string_view(&byte, 1));
}

int CompareText(const Text& a, const Text& b, bool caseSensitive) {
  const std::string_view x = a.view();
  const std::string_view y = b.view();
  if (caseSensitive) {
    const int order = x.compare(y);  // char_traits<char> compares as unsigned char
    return (order > 0) - (order < 0);
  }
  auto fold = [](char c) -> unsigned {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
  };
  const std::size_t common = x.size() < y.size() ? x.size() : y.size();
  for (std::size_t i = 0; i < common; ++i) {
    const unsigned fx = fold(x[i]);
    const unsigned fy = fold(y[i]);
    if (fx != fy) return fx < fy ? -1 : 1;
  }
  return (x.size() > y.size()) - (x.size() < y.size());
}

Bytes BytesFromText(const Text& text) {
  return Bytes(text.view());
}

Text TextFromBytes(const Bytes& bytes) {
  return Text(bytes.view());
}

int BytesLength(const Bytes& bytes) {
  return static_cast<int>(bytes.size());
}

Bytes BytesLeft(const Bytes& bytes, int n) {
  if (n <= 0) return Bytes();
  return Bytes(bytes.view().substr(0, static_cast<std::size_t>(n)));
}

Bytes BytesMid(const Bytes& bytes, int start, int n) {
  const std::size_t begin = OffsetFromStart(start);
  if (n <= 0 || begin >= bytes.size()) return Bytes();
  return Bytes(bytes.view().substr(begin, static_cast<std::size_t>(n)));
}

Bytes BlankBytes(int n) {
  if (n <= 0) return Bytes();
  return Bytes(std::string(static_cast<std::size_t>(n), '\0'));
}

Bytes BytesFromMemory(const void* address, int n) {
  if (n <= 0 || address == nullptr) return Bytes();
  return Bytes(std::string_view(static_cast<const char*>(address), static_cast<std::size_t>(n)));
}

Text TextBetween(const Text& text, const Text& leftMarker, const Text& rightMarker, int start,
                 bool ignoreCase) {
  const Text quote("\"");
  const Text left = ReplaceText(leftMarker, kQuotePlaceholder, quote, 1, -1, true);
  const Text right = ReplaceText(rightMarker, kQuotePlaceholder, quote, 1, -1, true);
  const int leftAt = FindText(text, left, start, ignoreCase);
  if (leftAt == -1) return Text();
  const int behindLeft = leftAt + TextLength(left);
  const int rightAt = FindText(text, right, behindLeft, ignoreCase);
  if (rightAt == -1) return Text();
  return TextMid(text, behindLeft, rightAt - behindLeft);
}

}  // namespace tovrenic
