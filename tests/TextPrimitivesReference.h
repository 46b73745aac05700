#pragma once

// Plain byte-loop references for the text primitives, written straight from their rules with no
// shortcuts: no memmem, no jumping to candidates, one character step at a time. The randomized
// test and the text fuzzer compare the real primitives with these.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovrenic::reference {

inline bool IsLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline bool BytesEqual(const std::string& t, std::int64_t p, const std::string& needle,
                       bool ignoreCase) {
  for (std::size_t i = 0; i < needle.size(); ++i) {
    const auto a = static_cast<unsigned char>(t[p + i]);
    const auto b = static_cast<unsigned char>(needle[i]);
    if (a == b) continue;
    if (ignoreCase && IsLetter(a) && (a ^ 0x20) == b) continue;
    return false;
  }
  return true;
}

inline int Scan(const std::string& t, const std::string& needle, std::optional<int> start,
                bool ignoreCase, bool reverse) {
  const std::int64_t length = t.size();
  const std::int64_t m = needle.size();
  std::int64_t first = 0;
  std::int64_t end = length;  // one past the range
  bool empty = false;
  if (!reverse) {
    if (start && *start > 1) {
      if (std::int64_t{*start} - 1 >= length) {
        empty = true;
      } else {
        first = *start - 1;
      }
    }
  } else if (start) {
    std::int64_t b = std::int64_t{*start} - 1;
    if (b < 0) b = 0;
    if (b == 0) {
      empty = true;
    } else if (b < length) {
      end = b;
    }
  }
  if (length == 0) empty = true;
  if (m == 0) return empty ? -1 : 1;
  if (empty) return -1;
  std::int64_t p = first;
  std::int64_t r = end - p;
  int remembered = -1;
  while (r >= m) {
    if (BytesEqual(t, p, needle, ignoreCase)) {
      if (!reverse) return static_cast<int>(p + 1);
      remembered = static_cast<int>(p + 1);
    }
    if (static_cast<unsigned char>(t[p]) >= 0x80) {
      if (p == length - 1) break;
      p += 2;
      r -= 2;
    } else {
      p += 1;
      r -= 1;
    }
  }
  return reverse ? remembered : -1;
}

inline std::string Replace(const std::string& t, const std::string& needle,
                           const std::string& replacement, int start, int count,
                           bool caseSensitive) {
  const std::int64_t length = t.size();
  const std::int64_t m = needle.size();
  if (length == 0 || m == 0 || count == 0 || std::int64_t{start} - 1 >= length) return t;
  std::int64_t s = std::int64_t{start} - 1;
  if (s < 0) s = 0;
  std::string out = t.substr(0, s);
  std::int64_t p = s;
  std::int64_t r = length - s;
  while (r >= m) {
    if (BytesEqual(t, p, needle, !caseSensitive)) {
      out += replacement;
      p += m;
      r -= m;
      if (count > 0 && --count == 0) break;
    } else {
      const std::int64_t width = static_cast<unsigned char>(t[p]) >= 0x80 ? 2 : 1;
      out += t.substr(p, width);
      p += width;
      r -= width;
    }
  }
  if (p < length) out += t.substr(p);
  return out;
}

inline std::vector<std::string> Split(const std::string& t, const std::string& delimiter,
                                      std::optional<int> maxCount) {
  std::vector<std::string> out;
  const std::int64_t length = t.size();
  const std::int64_t d = delimiter.size();
  if (maxCount && *maxCount < 0) maxCount = 0;
  if (length == 0 || maxCount == 0) return out;
  if (d == 0) return {t};
  std::int64_t pieceStart = 0;
  std::int64_t p = 0;
  bool ranOut = false;
  while (length - p >= d) {
    if (t.compare(p, d, delimiter) == 0) {
      out.push_back(t.substr(pieceStart, p - pieceStart));
      p += d;
      pieceStart = p;
      if (maxCount && --*maxCount == 0) {
        ranOut = true;
        break;
      }
    } else if (static_cast<unsigned char>(t[p]) >= 0x80) {
      if (p == length - 1) break;
      p += 2;
    } else {
      p += 1;
    }
  }
  if (!ranOut && pieceStart < length) out.push_back(t.substr(pieceStart));
  return out;
}

// Cuts the text into characters from the first byte on and drops blank characters from both
// ends of that list; a lone lead byte at the end is a character that is not blank.
inline std::string Trim(const std::string& t) {
  std::vector<std::string> characters;
  for (std::size_t i = 0; i < t.size();) {
    const std::size_t width = static_cast<unsigned char>(t[i]) >= 0x80 ? 2 : 1;
    characters.push_back(t.substr(i, width));
    i += width;
  }
  auto blank = [](const std::string& c) { return c == " " || c == "\xA1\xA1"; };
  std::size_t first = 0;
  while (first < characters.size() && blank(characters[first])) ++first;
  std::size_t last = characters.size();
  while (last > first && blank(characters[last - 1])) --last;
  std::string out;
  for (std::size_t i = first; i < last; ++i) out += characters[i];
  return out;
}

inline std::string Between(const std::string& t, const std::string& leftMarker,
                           const std::string& rightMarker, int start, bool ignoreCase) {
  const std::string placeholder = "#\xD2\xFD\xBA\xC5";
  const std::string left = Replace(leftMarker, placeholder, "\"", 1, -1, true);
  const std::string right = Replace(rightMarker, placeholder, "\"", 1, -1, true);
  const int i = Scan(t, left, start, ignoreCase, false);
  if (i == -1) return "";
  const int c = i + static_cast<int>(left.size());
  const int j = Scan(t, right, c, ignoreCase, false);
  if (j == -1 || j - c <= 0 || c < 1 || c > static_cast<int>(t.size())) return "";
  return t.substr(c - 1, j - c);
}

}  // namespace tovrenic::reference
