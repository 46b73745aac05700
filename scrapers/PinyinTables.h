#pragma once

// The Mandarin reading tables of the GB2312 hanzi area, generated from Unihan by
// tools/pinyin/make_pinyin_tables.py into PinyinTables.cpp.

#include <cstdint>

namespace tovrenic::pinyin_tables {

// First byte 0xB0-0xF7, second byte 0xA1-0xFE.
inline constexpr int kFirstByteLow = 0xB0;
inline constexpr int kFirstByteHigh = 0xF7;
inline constexpr int kSecondByteLow = 0xA1;
inline constexpr int kSecondByteHigh = 0xFE;
inline constexpr int kRowLength = kSecondByteHigh - kSecondByteLow + 1;
inline constexpr int kReadingCount = (kFirstByteHigh - kFirstByteLow + 1) * kRowLength;

// An entry of kReadings with this bit set numbers a row of kMultiReadings in its other bits.
inline constexpr std::uint16_t kMultiReadingFlag = 0x8000;
inline constexpr int kMaxReadings = 3;

// One entry for each code point, at (first - 0xB0) * 94 + (second - 0xA1): 0 for no reading,
// else the only reading as a reading code, or kMultiReadingFlag with a row number.
extern const std::uint16_t kReadings[kReadingCount];

// A character's readings in order, as reading codes; zeros only at the end of a row.
extern const std::uint16_t kMultiReadings[][kMaxReadings];
extern const int kMultiReadingRows;

// A reading code holds the part code of the reading's first part in its low byte and that of its
// second part, or 0, in its high byte. Part codes 1-23 are initials, 24-55 finals, in this order.
inline constexpr int kInitialCount = 23;
inline constexpr int kPartCount = 55;

}  // namespace tovrenic::pinyin_tables
