#!/usr/bin/env python3
"""Generate src/core/LevelTwoLists.inc: the second-level GB2312 characters
(codes D8A1-F7FE) filed under the initial letter of their pinyin.

Run by hand after changing the rules below; the output is committed.

    python3 tools/pinyin/gen_level_two_lists.py [OUTPUT]

Readings come from the Unihan database of Debian's package unicode-data
(/usr/share/unicode/Unihan_Readings.txt.bz2), fields kMandarin and kXHC1983.
kHanyuPinyin is left out on purpose: it adds classical readings (杷 bà,
芪 chí, 郗 chī, 菥 sī, 岈 xiā, 蕃 bō ...) that would pull common characters into
the wrong list under the first-list-wins rule. SKIPPED_INITIALS below lists
the few readings of the chosen fields that the lists must pass over as well.

The script prints how its filing compares with the reference figures.
"""

import bz2
import collections
import sys
import unicodedata
from pathlib import Path

UNIHAN_READINGS = Path('/usr/share/unicode/Unihan_Readings.txt.bz2')
READING_FIELDS = ('kMandarin', 'kXHC1983')
LETTERS = 'abcdefghjklmnopqrstwxyz'
DEFAULT_OUTPUT = Path(__file__).resolve().parents[2] / 'src/core/LevelTwoLists.inc'
CHARS_PER_LINE = 32

# Second-level characters that belong to no list and so give "!".
NO_LIST = (
    '丨丿丶匚刂冂亻伢佼偎氽勹亠冫冖讠诙谘卩阝叟廴凵垅艹苁莼薰廾扌搡吖呒哌咤唢唷'
    '嗦嗯噢囗峋崽彳徇徉彡犭夂饣忄怏惴丬氵泱淙漪宀辶迤彐屮嬉驿骢纟缢琮璁枰辍攵肫'
    '灬礻肀钅铮稔穑鹑疒窀衤衽虍蝽筝踔龊鞅麟'
)
assert len(NO_LIST) == 93 and len(set(NO_LIST)) == 93

# Reference figures for the lists: size (counting a polyphone in every list
# that holds it, and a few first-level characters) and the first characters.
REFERENCE = (
    ('a', 34, '锕捱嗳嗌嫒瑷'), ('b', 143, '茇菝岜灞钯粑'),
    ('c', 194, '嚓礤孱骖璨粲'), ('d', 149, '耷哒嗒怛妲沓'),
    ('e', 26, '噩谔垩苊莪萼'), ('f', 83, '垡砝蕃蘩幡梵'),
    ('g', 151, '尬尕尜旮钆丐'), ('h', 153, '蛤虾铪嘿咳嗨'),
    ('j', 242, '丌亟乩剞佶偈'), ('k', 100, '佧咔胩剀垲蒈'),
    ('l', 234, '剌邋旯砬瘌崃'), ('m', 133, '唛犸嬷杩蟆劢'),
    ('n', 80, '捺肭镎衲鼐艿'), ('o', 4, '讴怄瓯耦'),
    ('p', 109, '葩杷钯筢俳蒎'), ('q', 175, '亟亓俟圻芑芪'),
    ('r', 38, '苒蚺髯禳穰荛'), ('s', 205, '卅仨挲脎飒噻'),
    ('t', 159, '獭挞蹋拓嗒闼'), ('w', 92, '佤娲腽烷皖惋'),
    ('x', 181, '僖兮隰郗茜菥'), ('y', 296, '垭揠岈迓娅琊'),
    ('z', 241, '咂甾拶瓒昝簪'),
)
assert ''.join(r[0] for r in REFERENCE) == LETTERS

# Initials that the reference lists do not use for these characters, so the
# first-list-wins rule must pass over them. 茜 is named under x only; each of
# the others would sort ahead of the first characters named for that list.
SKIPPED_INITIALS = {
    '茜': 'q', '嗄': 'a', '腌': 'a', '伽': 'g', '呷': 'g', '唔': 'n', '喔': 'o',
}


def level_two_characters():
    for hi in range(0xD8, 0xF8):
        for lo in range(0xA1, 0xFF):
            yield bytes((hi, lo)).decode('gb2312')


def load_readings(wanted):
    readings = collections.defaultdict(list)
    with bz2.open(UNIHAN_READINGS, 'rt', encoding='utf-8') as f:
        for line in f:
            if line.startswith('#') or not line.strip():
                continue
            code, field, value = line.rstrip('\n').split('\t')
            char = chr(int(code[2:], 16))
            if char not in wanted or field not in READING_FIELDS:
                continue
            if field == 'kMandarin':
                readings[char] += value.split()
            else:  # kXHC1983: "page.position:reading" items
                readings[char] += [item.split(':', 1)[1] for item in value.split()]
    return readings


def initial(reading):
    # Strip tone marks (ǎ -> a, ḿ -> m); zh/ch/sh file under z/c/s anyway.
    return unicodedata.normalize('NFD', reading)[0].lower()


def toneless(reading):
    decomposed = unicodedata.normalize('NFD', reading.replace('ü', 'v'))
    return ''.join(ch for ch in decomposed if not unicodedata.combining(ch)).lower()


def sort_key(char, letter, readings):
    # Within a list: by the syllable the character is filed with, then by code,
    # the order in which the reference lists name their first characters.
    syllable = next(toneless(r) for r in readings if initial(r) == letter)
    return syllable, char.encode('gb2312')


def main():
    output = Path(sys.argv[1]) if len(sys.argv) > 1 else DEFAULT_OUTPUT
    characters = list(level_two_characters())
    assert len(characters) == 3008
    assert set(NO_LIST) <= set(characters)

    readings = load_readings(set(characters))
    missing = [c for c in characters if c not in NO_LIST and not readings[c]]
    if missing:
        sys.exit('no reading for: ' + ''.join(missing))

    initials = {}
    for c in characters:
        if c in NO_LIST:
            continue
        found = {initial(r) for r in readings[c]}
        odd = found - set(LETTERS)
        if odd:
            sys.exit(f'{c}: initial {sorted(odd)} has no list')
        initials[c] = found

    filing = {}
    for c, found in initials.items():
        skipped = SKIPPED_INITIALS.get(c)
        if skipped:
            assert skipped in found and len(found) > 1, c
            print(f'skipped: {c} not under {skipped} (readings {" ".join(readings[c])})')
        filing[c] = min(found - {skipped})

    lists = {letter: [] for letter in LETTERS}
    for c in characters:
        if c in filing:
            lists[filing[c]].append(c)
    for letter, chars in lists.items():
        chars.sort(key=lambda c: sort_key(c, letter, readings[c]))

    # Check against the reference first characters: a second-level one must be
    # filed under the earliest list that names it.
    level_two = set(characters)
    expected = {}
    for letter, _, firsts in REFERENCE:
        for c in firsts:
            if c in level_two:
                expected.setdefault(c, letter)
    agree = 0
    for c, letter in expected.items():
        if filing.get(c) == letter:
            agree += 1
        else:
            print(f'disagreement: {c} expected under {letter}, filed under '
                  f'{filing.get(c, "(none)")} (readings {" ".join(readings[c])})')
    print(f'reference first characters: {agree} of {len(expected)} agree')

    for letter, _, firsts in REFERENCE:
        named = [c for c in firsts if c in level_two and filing.get(c) == letter]
        ours = lists[letter][:len(named)]
        if ours != named:
            print(f'order: list {letter} starts {"".join(ours)}, '
                  f'reference {"".join(named)}')

    polyphones = sum(1 for found in initials.values() if len(found) > 1)
    print(f'filed {len(filing)} characters, {len(NO_LIST)} in no list, '
          f'{polyphones} with initials in more than one list')
    print('letter  filed  all-readings  reference')
    for letter, size, _ in REFERENCE:
        spread = sum(1 for found in initials.values() if letter in found)
        print(f'{letter:>6} {len(lists[letter]):>6} {spread:>13} {size:>10}')

    out = ['// Generated by tools/pinyin/gen_level_two_lists.py from the Unihan',
           '// readings (kMandarin, kXHC1983). Do not edit by hand.']
    for letter in LETTERS:
        chars = lists[letter]
        pieces = [''.join(chars[i:i + CHARS_PER_LINE])
                  for i in range(0, len(chars), CHARS_PER_LINE)] or ['']
        out.append(f"{{'{letter}',")
        out += [f'    "{p}"' for p in pieces]
        out[-1] += '},'
    output.write_text('\n'.join(out) + '\n', encoding='utf-8')
    print(f'wrote {output}')


if __name__ == '__main__':
    main()
