#!/usr/bin/env python3
"""Generates scrapers/PinyinTables.cpp, the Mandarin reading tables of the GB2312 hanzi area.

Source: Debian's Unihan readings (package unicode-data). Standard library only.

    python3 tools/pinyin/make_pinyin_tables.py [--unihan FILE] [--output FILE] [--check]

Without --output the tables go to scrapers/PinyinTables.cpp of the repository that holds
this tool. --check writes nothing and fails when the committed file differs from what
this run would write. The counts of the run always go to standard error.

Readings of one character, in this order, at most three, repeats dropped:
  1. the first value of kMandarin (the mainland reading; a second value is Taiwan's);
  2. the readings of kXHC1983, in the order they stand;
  3. the readings of kHanyuPinyin, in the order they stand.
Each reading loses its tone marks, writes u-umlaut (and v) as u and is lower-cased. A reading
must be an initial followed by a final, or a final alone, from the part lists below; anything
else (m, n, ng, hm, e-circumflex, ...) is no reading and is skipped. OVERRIDES then replaces
the readings of a few characters outright, and the radical forms get none.
"""

import argparse
import bz2
import os
import sys
import unicodedata

# Part codes 1-55: the initials, then the finals. The reading code of a syllable is the code of
# its first part in the low byte and that of its second part (or 0) in the high byte.
INITIALS = ['zh', 'ch', 'sh', 'b', 'p', 'm', 'f', 'd', 't', 'n', 'l', 'g', 'k', 'h', 'j',
            'q', 'x', 'r', 'z', 'c', 's', 'y', 'w']
FINALS = ['ang', 'eng', 'an', 'ai', 'ao', 'ou', 'er', 'en', 'ei', 'a', 'o', 'e', 'uang',
          'iang', 'iong', 'ing', 'ong', 'uai', 'uan', 'iao', 'ian', 'ui', 'iu', 'ie', 'ue', 'in',
          'un', 'ia', 'ua', 'uo', 'i', 'u']
PART_CODES = {part: code for code, part in enumerate(INITIALS + FINALS, start=1)}
assert len(PART_CODES) == 55

MAX_READINGS = 3
FIRST_BYTES = range(0xB0, 0xF8)  # 72 rows
SECOND_BYTES = range(0xA1, 0xFF)  # 94 cells a row
ENTRY_COUNT = len(FIRST_BYTES) * len(SECOND_BYTES)  # 6768
MULTI_FLAG = 0x8000

# Radical forms: components that GB2312 lists as code points of their own but that are no
# syllable to read in a town name. Unihan gives every one of them a reading (for a variant form
# such as 氵 that of the full character 水; for a Kangxi radical such as 宀 that of the ancient
# character), so they are named here. They are the 19 component variants that never stand
# alone, and 18 Kangxi radicals that the modern dictionary (kXHC1983) has no entry for. Seven
# further Kangxi radicals without such an entry keep their readings, being old characters in
# their own right: 匚 fang, 囗 wei, 巛 chuan, 屮 che, 虍 hu, 糸 mi, 髟 biao.
RADICAL_FORMS = ('刂亻讠阝艹扌犭饣忄丬氵辶纟攵灬礻肀钅衤'
                 '丨丿丶冂勹亠冫冖卩廴凵廾彡夂宀彐攴疒')

# Characters whose readings the rules above get wrong, with their readings in order; an empty
# list means no reading. The generator fails when an entry no longer changes anything.
OVERRIDES = {
    # kMandarin gives zhang first; in place names (长沙, 长春) it reads chang.
    '长': ['chang', 'zhang'],
    # kHanyuPinyin adds the literary gu (大家 for a lady); jia and jie are the readings in use.
    '家': ['jia', 'jie'],
    # kHanyuPinyin adds the archaic peng.
    '庄': ['zhuang'],
    # kHanyuPinyin adds e, an old variant reading of the interjection.
    '啊': ['a'],
    # kHanyuPinyin adds tong, an old reading.
    '重': ['zhong', 'chong'],
    # kHanyuPinyin adds pi and feng, old readings; bang and beng are in use.
    '蚌': ['bang', 'beng'],
    # kHanyuPinyin adds ru, the classical loan reading for 汝.
    '女': ['nu'],
    # Its common reading is the syllabic m (kXHC1983), which is no initial-final syllable;
    # kMandarin's wu is a rare literary reading. So it has none.
    '呒': [],
    # Unihan gives only the syllabic nasals n and ng; en is how pinyin input spells 嗯.
    '嗯': ['en'],
}
OVERRIDES.update({form: [] for form in RADICAL_FORMS})
assert len(RADICAL_FORMS) == 37 and len(OVERRIDES) == 37 + 9


# Tone marks fall away. The diaeresis falls away too (u-umlaut is written u). Any other mark,
# such as the circumflex of e-circumflex, stays and so makes the reading invalid.
DROPPED_MARKS = {'\u0300', '\u0301', '\u0304', '\u030C', '\u0308'}


def split_syllable(reading):
    """(initial, final) or (final, None); None when the reading is no valid syllable."""
    if reading in FINALS:
        return (reading, None)
    for initial in sorted(INITIALS, key=len, reverse=True):
        if reading.startswith(initial):
            final = reading[len(initial):]
            return (initial, final) if final in FINALS else None
    return None


def plain_reading(value):
    """A Unihan pinyin value as a tone-less lower-case a-z reading, or None when invalid."""
    letters = ''.join(ch for ch in unicodedata.normalize('NFD', value.strip())
                      if ch not in DROPPED_MARKS)
    letters = letters.lower().replace('v', 'u')
    if not letters.isascii() or not letters.isalpha():
        return None
    return letters if split_syllable(letters) else None


def reading_code(reading):
    first, second = split_syllable(reading)
    return PART_CODES[first] | ((PART_CODES[second] if second else 0) << 8)


def read_unihan(path):
    """The version line and {code point: {field: [pinyin values in order]}}."""
    fields = ('kMandarin', 'kXHC1983', 'kHanyuPinyin')
    date = version = None
    values = {}
    with bz2.open(path, 'rt', encoding='utf-8') as lines:
        for line in lines:
            if line.startswith('#'):
                text = line[1:].strip()
                if text.startswith('Date:'):
                    date = text[len('Date:'):].strip()
                elif text.startswith('Unicode version:'):
                    version = text[len('Unicode version:'):].strip()
                continue
            parts = line.rstrip('\n').split('\t')
            if len(parts) != 3 or parts[1] not in fields:
                continue
            code_point = int(parts[0][2:], 16)
            field, value = parts[1], parts[2]
            if field == 'kMandarin':
                readings = value.split()[:1]
            else:
                # "location[,location...]:reading[,reading...]" entries, blank-separated.
                readings = [r for entry in value.split() for r in entry.split(':', 1)[1].split(',')]
            values.setdefault(code_point, {})[field] = readings
    if not date or not version:
        sys.exit(f'{path}: no Date or Unicode version header line')
    return f'Unihan_Readings.txt Date: {date}, Unicode version {version}', values


def readings_of(fields):
    readings = []
    for field in ('kMandarin', 'kXHC1983', 'kHanyuPinyin'):
        for value in fields.get(field, []):
            reading = plain_reading(value)
            if reading and reading not in readings:
                readings.append(reading)
    return readings[:MAX_READINGS]


def gb2312_code_points():
    """(GB2312 code, character or None) for the 6,768 code points of the hanzi area, row order."""
    result = []
    for first in FIRST_BYTES:
        for second in SECOND_BYTES:
            try:
                char = bytes([first, second]).decode('gb2312')
            except UnicodeDecodeError:
                char = None
            # The program converts with code page 936; over this area it must agree.
            if char is not None and bytes([first, second]).decode('cp936') != char:
                sys.exit(f'{first:02X}{second:02X}: gb2312 and cp936 disagree')
            result.append(((first << 8) | second, char))
    return result


def build_tables(unihan):
    entries, multi_rows, readings_by_code = [], [], {}
    unused = set(OVERRIDES)
    for code, char in gb2312_code_points():
        readings = readings_of(unihan.get(ord(char), {})) if char else []
        if char in OVERRIDES:
            unused.discard(char)
            if OVERRIDES[char] == readings:
                sys.exit(f'override of {char} changes nothing: drop it')
            readings = OVERRIDES[char]
        readings_by_code[code] = (char, readings)
        codes = [reading_code(r) for r in readings]
        if not codes:
            entries.append(0)
        elif len(codes) == 1:
            entries.append(codes[0])
        else:
            entries.append(MULTI_FLAG | len(multi_rows))
            multi_rows.append((code, char, readings, codes + [0] * (MAX_READINGS - len(codes))))
    if unused:
        sys.exit(f'overrides of characters outside the GB2312 hanzi area: {"".join(unused)}')
    assert len(entries) == ENTRY_COUNT and len(multi_rows) < MULTI_FLAG
    return entries, multi_rows, readings_by_code


def render(version, entries, multi_rows):
    per_line = 12
    out = [
        '// Generated by tools/pinyin/make_pinyin_tables.py from Debian\'s Unihan readings:',
        f'// {version}.',
        '// Do not edit; run the generator again.',
        '//',
        '// kReadings: one entry for each code point of the GB2312 hanzi area (first byte 0xB0-0xF7,',
        '// second byte 0xA1-0xFE) in row order. 0 = no reading; bit 15 clear = the only reading as a',
        '// reading code; bit 15 set = bits 0-14 number a row of kMultiReadings. A reading code holds',
        '// the part code of the first part in its low byte and that of the second part (or 0) in its',
        '// high byte. kMultiReadings: up to three reading codes a row, zeros only at its end.',
        '',
        '#include "scrapers/PinyinTables.h"',
        '',
        '#include <iterator>',
        '',
        'namespace tovrenic::pinyin_tables {',
        '',
        '// clang-format off',
        'const std::uint16_t kReadings[kReadingCount] = {',
    ]
    row_length = len(SECOND_BYTES)
    for row, first in enumerate(FIRST_BYTES):
        out.append(f'    // {first:02X}A1-{first:02X}FE')
        cells = entries[row * row_length:(row + 1) * row_length]
        for start in range(0, row_length, per_line):
            out.append('    ' + ' '.join(f'0x{v:04X},' for v in cells[start:start + per_line]))
    out.append('};')
    out.append('')
    out.append('const std::uint16_t kMultiReadings[][kMaxReadings] = {')
    for code, char, readings, codes in multi_rows:
        row = ', '.join(f'0x{v:04X}' for v in codes)
        out.append(f'    {{{row}}},  // {code:04X} {char} {" ".join(readings)}')
    out.append('};')
    out.append('// clang-format on')
    out.append('')
    out.append('const int kMultiReadingRows = static_cast<int>(std::size(kMultiReadings));')
    out.append('')
    out.append('}  // namespace tovrenic::pinyin_tables')
    return '\n'.join(out) + '\n'


def main():
    root = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('--unihan', default='/usr/share/unicode/Unihan_Readings.txt.bz2')
    parser.add_argument('--output', default=os.path.join(root, 'scrapers', 'PinyinTables.cpp'))
    parser.add_argument('--check', action='store_true',
                        help='compare with the existing output instead of writing it')
    args = parser.parse_args()

    version, unihan = read_unihan(args.unihan)
    entries, multi_rows, readings_by_code = build_tables(unihan)
    source = render(version, entries, multi_rows)

    with_readings = sum(1 for e in entries if e)
    none = [(code, char) for code, (char, readings) in readings_by_code.items() if not readings]
    log = sys.stderr
    print(f'source: {version}', file=log)
    print(f'code points: {len(entries)}, with readings: {with_readings}, '
          f'one reading: {with_readings - len(multi_rows)}', file=log)
    for n in range(2, MAX_READINGS + 1):
        print(f'multi-reading rows with {n} readings: '
              f'{sum(1 for r in multi_rows if len(r[2]) == n)}', file=log)
    print(f'multi-reading rows: {len(multi_rows)}', file=log)
    print(f'no reading: {len(none)}: ' +
          ' '.join(f'{code:04X}{char or ""}' for code, char in none), file=log)

    if args.check:
        with open(args.output, encoding='utf-8') as existing:
            if existing.read() != source:
                sys.exit(f'{args.output} is out of date')
        print(f'{args.output} is up to date', file=log)
    else:
        with open(args.output, 'w', encoding='utf-8') as output:
            output.write(source)


if __name__ == '__main__':
    main()
