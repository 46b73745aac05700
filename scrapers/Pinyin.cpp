// Town names to pinyin.

#include "scrapers/Pinyin.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

#include "scrapers/PinyinTables.h"

namespace tovrenic {
namespace {

namespace tables = pinyin_tables;

// Indexed by part code; 0 is no part.
constexpr std::string_view kPartTexts[] = {
    "",
    // Initials, 1-23.
    "zh", "ch", "sh", "b", "p", "m", "f", "d", "t", "n", "l", "g", "k", "h", "j", "q", "x", "r",
    "z", "c", "s", "y", "w",
    // Finals, 24-55.
    "ang", "eng", "an", "ai", "ao", "ou", "er", "en", "ei", "a", "o", "e", "uang", "iang", "iong",
    "ing", "ong", "uai", "uan", "iao", "ian", "ui", "iu", "ie", "ue", "in", "un", "ia", "ua", "uo",
    "i", "u"};
static_assert(std::size(kPartTexts) == tables::kPartCount + 1);

// Reading k (0-based) of the character first, second; both bytes are known to lie in the
// GB2312 hanzi area.
Text Reading(unsigned char first, unsigned char second, int k) {
  const std::uint16_t entry =
      tables::kReadings[(first - tables::kFirstByteLow) * tables::kRowLength +
                        (second - tables::kSecondByteLow)];
  if (entry == 0) return Text();
  std::uint16_t code = entry;
  if (entry & tables::kMultiReadingFlag) {
    if (k >= tables::kMaxReadings) return Text();
    code = tables::kMultiReadings[entry & ~tables::kMultiReadingFlag][k];
    if (code == 0) return Text();
  } else if (k != 0) {
    return Text();
  }
  std::string reading(kPartTexts[code & 0xFF]);
  reading += kPartTexts[code >> 8];
  return Text(std::move(reading));
}

bool InHanziArea(unsigned char first, unsigned char second) {
  return first >= tables::kFirstByteLow && first <= tables::kFirstByteHigh &&
         second >= tables::kSecondByteLow && second <= tables::kSecondByteHigh;
}

}  // namespace

Text PinyinLookup(const Text& character, int readingNumber) {
  if (character.size() < 2) return Text();
  const auto first = static_cast<unsigned char>(character.data()[0]);
  const auto second = static_cast<unsigned char>(character.data()[1]);
  if (!InHanziArea(first, second)) return Text();
  return Reading(first, second, readingNumber < 1 ? 0 : readingNumber - 1);
}

Text TownToPinyinPath(const Text& town) {
  Text path;
  const std::string_view bytes = town.view();
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    if (first < 0x80) {
      ++i;
      continue;
    }
    if (i + 1 == bytes.size()) break;
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    if (InHanziArea(first, second)) path += Reading(first, second, 0);
    i += 2;
  }
  return path;
}

}  // namespace tovrenic
