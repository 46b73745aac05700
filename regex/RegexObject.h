#pragma once

#include <memory>

#include "text/Text.h"

namespace tovrenic {

// One regular-expression search at a time, in the syntax and with the options of the classic
// script engines' RegExp class, on PCRE2's 16-bit library: Create sets the pattern and options
// and searches a subject; the other operations read that search by 1-based match and group
// numbers. Pattern, subject and replacement go to UTF-16 through GBK and results come back as
// GBK text. An invalid pattern makes Create return false; then only GetPattern reads anything.
class RegexObject {
 public:
  RegexObject();
  ~RegexObject();
  RegexObject(const RegexObject&) = delete;
  RegexObject& operator=(const RegexObject&) = delete;

  bool Create(const Text& pattern, const Text& subject, bool caseSensitive = false,
              bool multiline = true, bool global = true, bool quotePlaceholders = false);
  // The pattern of the last Create, placeholders replaced; empty before the first.
  Text GetPattern() const;
  // The subject of the last Create with its matches replaced; empty when there is none.
  Text ReplaceMatches(const Text& replacement) const;
  int MatchCount() const;
  // position, when given, receives the 0-based byte offset of the match in the subject.
  Text MatchText(int index, int* position = nullptr) const;
  Text SubMatchText(int matchIndex, int groupIndex, int* position = nullptr) const;
  int SubMatchCount() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tovrenic
