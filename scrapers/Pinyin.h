#pragma once

// Town names to the pinyin path of the weather site: the Mandarin reading of each Chinese
// character in lower-case letters, run together without tones or separators.

#include "text/Text.h"

namespace tovrenic {

// The reading (a-z only, u-umlaut written u) of the character in the first two bytes of
// `character`, or the empty text. Reading numbers below 1 act as 1. Only the GB2312 hanzi area
// (first byte 0xB0-0xF7, second byte 0xA1-0xFE) has readings.
Text PinyinLookup(const Text& character, int readingNumber);

// The first readings of the town's double-byte characters, in order. Single-byte characters
// (Latin letters, digits, blanks) and a lead byte at the very end contribute nothing.
Text TownToPinyinPath(const Text& town);

}  // namespace tovrenic
