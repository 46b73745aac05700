#pragma once

// The text and byte primitives. Positions are 1-based byte positions, counts are byte counts, a
// search that finds nothing gives -1, and nothing fails: an argument out of range gives the
// empty text, the empty bytes, -1 or 0. The scans (FindText, FindTextReverse, ReplaceText,
// SplitText, TrimText, UpperCaseText) step over a double-byte character (a byte of 0x80 or
// above and the byte after it) as one unit and stop at such a lead byte when it is the text's
// last byte. Case flags: FindText and FindTextReverse take ignoreCase, ReplaceText and
// CompareText take caseSensitive.

#include <optional>
#include <vector>

#include "text/Text.h"

namespace tovrenic {

// The result of SplitText; item i of the list is list[i - 1].
using TextList = std::vector<Text>;

// The quote placeholder "#引号": TextBetween and RegexObject::Create turn it into a double quote.
extern const Text kQuotePlaceholder;

int TextLength(const Text& text);

// Position of the first needle at or after start; start 1 or less searches from the first byte.
int FindText(const Text& text, const Text& needle, int start = 1, bool ignoreCase = false);

// Position of the last needle lying wholly before start (its last byte at start - 1 or earlier);
// an omitted start searches the whole text.
int FindTextReverse(const Text& text, const Text& needle, std::optional<int> start = std::nullopt,
                    bool ignoreCase = false);

Text TextLeft(const Text& text, int n);
Text TextRight(const Text& text, int n);
// Empty when start is below 1 (it is not moved to 1) or beyond the length, or n is 0 or less.
Text TextMid(const Text& text, int start, int n);

// Pieces between delimiters; an omitted maxCount is unlimited, a negative one counts as 0.
TextList SplitText(const Text& text, const Text& delimiter = Text(","),
                   std::optional<int> maxCount = std::nullopt);

// Replaces up to count occurrences (count below 0: all) from start on; the bytes before start
// are copied unchanged. Every caller says which case rule it means.
Text ReplaceText(const Text& text, const Text& needle, const Text& replacement, int start,
                 int count, bool caseSensitive);

// Without leading and trailing blanks: the ASCII space and the full-width space A1 A1.
Text TrimText(const Text& text);
Text UpperCaseText(const Text& text);

// The byte at position as a signed 8-bit value; 0 when position is outside the text.
int CharCode(const Text& text, int position = 1);
// A text of one byte, the low 8 bits of code; empty when those bits are 0.
Text CharFromCode(int code);

// Negative, zero or positive; case-sensitive compares unsigned bytes.
int CompareText(const Text& a, const Text& b, bool caseSensitive = true);

// The texts joined in order. Pass the first by rvalue (std::move) to append in place, so that
// building a text piece by piece stays linear.
template <typename... Rest>
Text ConcatText(Text first, const Rest&... rest) {
  first.reserve(first.size() + (rest.size() + ... + 0));
  ((first += rest), ...);
  return first;
}

Bytes BytesFromText(const Text& text);
// The bytes before the first zero byte, as text.
Text TextFromBytes(const Bytes& bytes);
int BytesLength(const Bytes& bytes);
Bytes BytesLeft(const Bytes& bytes, int n);
// A start below 1 counts as 1 (unlike TextMid).
Bytes BytesMid(const Bytes& bytes, int start, int n);
Bytes BlankBytes(int n);
Bytes BytesFromMemory(const void* address, int n);

// The sequences joined in order; pass the first by rvalue to append in place.
template <typename... Rest>
Bytes ConcatBytes(Bytes first, const Rest&... rest) {
  first.reserve(first.size() + (rest.size() + ... + 0));
  ((first += rest.view()), ...);
  return first;
}

// The bytes between the first left marker found from start and the first right marker behind
// it; empty when either is missing. The quote placeholder in a marker stands for a double quote.
Text TextBetween(const Text& text, const Text& leftMarker, const Text& rightMarker, int start = 0,
                 bool ignoreCase = false);

}  // namespace tovrenic
