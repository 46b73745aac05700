// The text primitives against their plain byte-loop references: FindText, FindTextReverse,
// ReplaceText, SplitText, TrimText and TextBetween on the same arguments must give the same
// results.
//
// Input: a flag byte, a start and a count (two bytes each), then text, needle, replacement and
// right marker separated by zero bytes. The needle doubles as the delimiter and the left marker.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "tests/TextPrimitivesReference.h"
#include "text/TextPrimitives.h"

namespace tovrenic::fuzz {
namespace {

// The description of the call is built only when it is needed.
template <typename T, typename Describe>
void Agree(const char* routine, const T& ours, const T& plain, const Describe& describe) {
  if (!(ours == plain)) Fail(std::string(routine) + " differs from the reference on " + describe());
}

std::vector<std::string> Strings(const TextList& list) {
  std::vector<std::string> out;
  out.reserve(list.size());
  for (const Text& item : list) out.push_back(item.str());
  return out;
}

}  // namespace
}  // namespace tovrenic::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tovrenic;
  using namespace tovrenic::fuzz;
  FuzzInput input(data, size);
  const std::uint8_t flags = input.Byte();
  const int start = input.Integer();
  const int count = input.Integer();
  const std::string text = input.Field();
  const std::string needle = input.Field();
  const std::string replacement = input.Field();
  const std::string rightMarker = input.Field();

  const bool ignoreCase = (flags & 1) != 0;
  const bool caseSensitive = (flags & 2) != 0;
  const std::optional<int> reverseStart = (flags & 4) ? std::nullopt : std::optional<int>(start);
  const std::optional<int> maxCount = (flags & 8) ? std::nullopt : std::optional<int>(count);
  const auto call = [&] {
    return "text " + Printable(text) + ", needle " + Printable(needle) + ", replacement " +
           Printable(replacement) + ", right marker " + Printable(rightMarker) + ", start " +
           std::to_string(start) + ", count " + std::to_string(count) + ", flags " +
           std::to_string(flags);
  };

  const Text t(text);
  const Text n(needle);
  Agree("FindText", FindText(t, n, start, ignoreCase),
        reference::Scan(text, needle, start, ignoreCase, false), call);
  Agree("FindTextReverse", FindTextReverse(t, n, reverseStart, ignoreCase),
        reference::Scan(text, needle, reverseStart, ignoreCase, true), call);
  Agree("ReplaceText", ReplaceText(t, n, Text(replacement), start, count, caseSensitive).str(),
        reference::Replace(text, needle, replacement, start, count, caseSensitive), call);
  Agree("SplitText", Strings(SplitText(t, n, maxCount)), reference::Split(text, needle, maxCount),
        call);
  Agree("TrimText", TrimText(t).str(), reference::Trim(text), call);
  Agree("TextBetween", TextBetween(t, n, Text(rightMarker), start, ignoreCase).str(),
        reference::Between(text, needle, rightMarker, start, ignoreCase), call);
  return 0;
}
