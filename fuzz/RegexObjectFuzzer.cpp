// The regular-expression object on arbitrary patterns and subjects: Create, then every reading
// operation over the matches and groups it found and just outside them; then a second Create on
// the same object, which must not see anything of the first.
//
// Input: a flag byte for each of the two searches, then pattern, subject, replacement and the
// second pattern, separated by zero bytes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "fuzz/FuzzInput.h"
#include "regex/RegexObject.h"
#include "text/Text.h"

namespace {

using tovrenic::RegexObject;
using tovrenic::Text;

// Reading a match costs a pass over the subject, so only the first matches and the last one are
// read one by one; the numbers just outside the valid range are read as well.
constexpr int kMatchesRead = 16;
constexpr int kGroupsRead = 8;

bool Create(RegexObject& regex, std::uint8_t flags, const Text& pattern, const Text& subject) {
  return regex.Create(pattern, subject, (flags & 1) != 0, (flags & 2) == 0, (flags & 4) == 0,
                      (flags & 8) != 0);
}

void ReadEverything(const RegexObject& regex, const Text& replacement) {
  regex.GetPattern();
  regex.ReplaceMatches(replacement);
  const int count = regex.MatchCount();
  const int groups = regex.SubMatchCount();
  if (count < 0 || groups < 0) tovrenic::fuzz::Fail("a negative match or group count");
  auto readMatch = [&](int m) {
    int position = 0;
    regex.MatchText(m, &position);
    regex.MatchText(m);
    for (int g = -1; g <= std::min(groups, kGroupsRead) + 1; ++g) {
      regex.SubMatchText(m, g, &position);
    }
    regex.SubMatchText(m, groups, &position);
  };
  for (int m = -1; m <= std::min(count, kMatchesRead) + 1; ++m) readMatch(m);
  if (count > kMatchesRead) readMatch(count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tovrenic::fuzz;
  FuzzInput input(data, size);
  const std::uint8_t flags = input.Byte();
  const std::uint8_t secondFlags = input.Byte();
  const Text pattern(input.Field());
  const Text subject(input.Field());
  const Text replacement(input.Field());
  const Text secondPattern(input.Field());

  RegexObject regex;
  ReadEverything(regex, replacement);  // before any Create
  for (const auto& [f, p] : {std::pair{flags, pattern}, std::pair{secondFlags, secondPattern}}) {
    const bool searched = Create(regex, f, p, subject);
    ReadEverything(regex, replacement);
    if (!searched && (regex.MatchCount() != 0 || regex.SubMatchCount() != 0 ||
                      !regex.ReplaceMatches(replacement).empty() || !regex.MatchText(1).empty())) {
      Fail("a failed Create left matches behind: pattern " + Printable(p.view()));
    }
  }
  return 0;
}
