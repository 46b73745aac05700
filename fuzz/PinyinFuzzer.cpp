// Town names to pinyin on arbitrary bytes: the path is the first readings of the town's
// double-byte characters run together, so it must equal PinyinLookup over the same characters,
// and it holds only the letters a to z.
//
// Input: a reading number byte, then the town's bytes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzInput.h"
#include "scrapers/Pinyin.h"
#include "text/Text.h"

namespace {

bool OnlyLowerCaseLetters(const tovrenic::Text& text) {
  for (const char c : text.view()) {
    if (c < 'a' || c > 'z') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tovrenic;
  using namespace tovrenic::fuzz;
  FuzzInput input(data, size);
  const int readingNumber = static_cast<std::int8_t>(input.Byte());
  const Text town(input.Rest());

  // Walked byte by byte: a byte below 0x80 is skipped, any other starts a two-byte character,
  // and a lead byte at the very end is dropped.
  std::string expected;
  const std::string& bytes = town.str();
  for (std::size_t i = 0; i < bytes.size();) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    if (i + 1 == bytes.size()) break;
    expected += PinyinLookup(Text(bytes.substr(i, 2)), 1).str();
    i += 2;
  }
  const Text path = TownToPinyinPath(town);
  if (path.str() != expected) {
    Fail("TownToPinyinPath of " + Printable(bytes) + " gives " + Printable(path.view()) +
         ", the lookups " + Printable(expected));
  }
  if (!OnlyLowerCaseLetters(path)) Fail("a path with other bytes than a-z: " + Printable(bytes));

  // Any reading of any two bytes, and of the first byte alone.
  const Text character(bytes.substr(0, 2));
  const Text reading = PinyinLookup(character, readingNumber);
  if (!OnlyLowerCaseLetters(reading)) Fail("a reading with other bytes: " + Printable(bytes));
  if (!PinyinLookup(Text(bytes.substr(0, 1)), readingNumber).empty()) {
    Fail("a reading for a single byte: " + Printable(bytes));
  }
  return 0;
}
