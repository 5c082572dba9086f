#!/usr/bin/python3
"""Writes store/pinyin_lists.cpp, the 23 initials lists of the second-level GB2312 characters.

Where the readings come from: field kMandarin of Unihan_Readings.txt, as Debian's unicode-data
package installs it (/usr/share/unicode/Unihan_Readings.txt.bz2). Each second-level character
(GB2312 codes 0xD8A1-0xF7FE) goes into the list of the initial letter of its first kMandarin
reading; zh, ch and sh count as z, c and s, and a reading that starts with a vowel goes under that
vowel. Two fixed sets below override the readings: NO_LIST and MULTI_LIST. They keep the initials
that saved rows already carry for these characters, so that searches over old rows still find them.

Within a list the characters are ordered by their toneless reading, then by code. The order only
matters for odd byte pairs (a blank paired with the next character's first byte); it is fixed here
so that the output is reproducible.

Usage: gen_pinyin_lists.py [--unihan FILE] [OUTPUT]
OUTPUT defaults to store/pinyin_lists.cpp beside this script's folder.
"""

import argparse
import bz2
import os
import sys
import tempfile
import unicodedata

LETTERS = "abcdefghjklmnopqrstwxyz"

UNIHAN_CANDIDATES = [
    "/usr/share/unicode/Unihan_Readings.txt.bz2",
    "/usr/share/unicode/Unihan_Readings.txt",
    "/usr/share/unicode-data/Unihan_Readings.txt.bz2",
]

# Second-level characters that stand in no list; their initials are "!". Most are radical forms.
NO_LIST = (
    "丨丿丶匚刂冂亻伢佼偎氽勹亠冫冖讠诙谘卩阝叟廴凵垅艹苁莼薰廾扌搡吖呒哌咤唢唷嗦嗯噢囗峋崽彳徇徉彡"
    "犭夂饣忄怏惴丬氵泱淙漪宀辶迤彐屮嬉驿骢纟缢琮璁枰辍攵肫灬礻肀钅铮稔穑鹑疒窀衤衽虍蝽筝踔龊鞅麟"
)

# Second-level characters that stand in several lists, with exactly those lists.
MULTI_LIST = {
    "嗌": "ay", "拗": "an", "钯": "bp", "陂": "bp", "埤": "bp", "芘": "bp", "吡": "bp", "睥": "bp",
    "裨": "bp", "缏": "bp", "骠": "bp", "杓": "bs", "玢": "bf", "钹": "bp", "楂": "cz", "禅": "cs",
    "镡": "ctx", "焯": "cz", "坻": "cd", "帱": "cd", "褚": "cz", "嘬": "cz", "茈": "cz", "呲": "cz",
    "嗒": "dt", "沓": "dt", "呔": "dt", "骀": "dt", "澹": "dt", "焘": "dt", "绨": "dt", "阽": "dy",
    "铫": "dy", "喋": "dz", "町": "dt", "铤": "dt", "垌": "dt", "峒": "dt", "沌": "dz", "柁": "dt",
    "彷": "fp", "莩": "fp", "鬲": "gl", "仡": "gy", "纥": "gh", "硌": "gl", "颌": "gh", "枸": "gj",
    "嘏": "gj", "鹄": "gh", "栝": "gk", "莞": "gw", "矜": "gq", "桧": "gh", "炅": "gj", "阚": "hk",
    "浒": "hx", "砉": "hx", "郇": "hx", "圜": "hy", "浍": "hk", "亟": "jq", "荠": "jq", "瘕": "jx",
    "袷": "jq", "囝": "jn", "犍": "jq", "峤": "jq", "湫": "jq", "颉": "jx", "廑": "jq", "靓": "jl",
    "苣": "jq", "瞿": "jq", "噱": "jx", "隗": "kw", "悝": "kl", "栎": "ly", "泷": "ls", "泺": "lp",
    "漯": "lt", "祢": "mn", "渑": "ms", "乜": "mn", "慝": "nt", "俟": "qs", "圻": "qy", "欹": "qy",
    "蹊": "qx", "茜": "qx", "缲": "qs", "溱": "qz", "蝤": "qy", "葚": "rs", "剡": "sy", "苕": "st",
    "蛸": "sx", "摺": "sz", "歙": "sx", "椹": "sz", "腧": "sy", "忪": "sz", "荑": "ty", "裼": "tx",
    "菀": "wy", "尢": "wy", "圩": "wx", "荥": "xy", "窨": "xy", "繇": "yz",
}

# Fields searched, in this order, for a reading that fits a list a character is fixed into.
READING_FIELDS = ("kMandarin", "kHanyuPinyin", "kXHC1983", "kTGHZ2013", "kHanyuPinlu")

ENTRIES_PER_LINE = 10


def fail(message):
    sys.exit("gen_pinyin_lists.py: " + message)


def find_unihan(given):
    if given:
        return given
    for path in UNIHAN_CANDIDATES:
        if os.path.exists(path):
            return path
    fail("Unihan_Readings.txt not found (install Debian's unicode-data or pass --unihan)")


def read_unihan(path):
    """Returns (unicode version, {char: {field: [readings]}}) for the fields we use."""
    opener = bz2.open if path.endswith(".bz2") else open
    version = "unknown"
    readings = {}
    with opener(path, "rt", encoding="utf-8") as f:
        for line in f:
            if line.startswith("# Unicode version:"):
                version = line.split(":", 1)[1].strip()
            if not line.startswith("U+"):
                continue
            code, field, value = line.rstrip("\n").split("\t", 2)
            if field not in READING_FIELDS:
                continue
            values = []
            for token in value.split():
                # kHanyuPinyin and the like: "10019.020:tiàn,tiǎn"; kHanyuPinlu: "de(75596)".
                token = token.split(":", 1)[-1].split("(", 1)[0]
                values.extend(v for v in token.split(",") if v)
            readings.setdefault(chr(int(code[2:], 16)), {})[field] = values
    return version, readings


def toneless(reading):
    """The reading in plain small letters: tone marks dropped, ü written u."""
    decomposed = unicodedata.normalize("NFD", reading.lower())
    return "".join(c for c in decomposed if "a" <= c <= "z")


def second_level_characters():
    """(code, character) for every second-level GB2312 character, in code order."""
    result = []
    for lead in range(0xD8, 0xF8):
        for trail in range(0xA1, 0xFF):
            raw = bytes((lead, trail))
            try:
                result.append(((lead << 8) | trail, raw.decode("gb2312")))
            except UnicodeDecodeError:
                pass
    return result


def check_fixed_sets(codes_by_char):
    if len(NO_LIST) != 93 or len(set(NO_LIST)) != 93:
        fail("NO_LIST must hold 93 distinct characters")
    if len(MULTI_LIST) != 110:
        fail("MULTI_LIST must hold 110 characters")
    for ch in list(NO_LIST) + list(MULTI_LIST):
        if ch not in codes_by_char:
            fail(f"{ch} is not a second-level GB2312 character")
    for ch, letters in MULTI_LIST.items():
        if ch in NO_LIST or len(letters) < 2 or any(l not in LETTERS for l in letters):
            fail(f"bad lists for {ch}: {letters}")
        if "".join(sorted(letters)) != letters:
            fail(f"lists for {ch} are not in letter order: {letters}")


def build_lists(characters, readings):
    """{letter: [(sort key, code)]}"""
    lists = {letter: [] for letter in LETTERS}
    for code, ch in characters:
        if ch in NO_LIST:
            continue
        fields = readings.get(ch, {})
        if ch in MULTI_LIST:
            for letter in MULTI_LIST[ch]:
                fitting = [toneless(r) for field in READING_FIELDS for r in fields.get(field, [])
                           if toneless(r).startswith(letter)]
                syllable = fitting[0] if fitting else letter
                lists[letter].append(((syllable, code), code))
            continue
        mandarin = fields.get("kMandarin")
        if not mandarin:
            fail(f"{ch} (U+{ord(ch):04X}) has no kMandarin reading")
        syllable = toneless(mandarin[0])
        if not syllable or syllable[0] not in LETTERS:
            fail(f"{ch} (U+{ord(ch):04X}): reading {mandarin[0]!r} has no usable initial")
        lists[syllable[0]].append(((syllable, code), code))
    return {letter: [code for _, code in sorted(entries)] for letter, entries in lists.items()}


def escaped(code):
    return "\\x%02X\\x%02X " % (code >> 8, code & 0xFF)


def render(version, lists):
    out = []
    out.append("// Generated by tools/gen_pinyin_lists.py; do not edit by hand, run the script again.")
    out.append("// Readings: field kMandarin of Unihan_Readings.txt, Unicode %s (Debian package" % version)
    out.append("// unicode-data), for the second-level GB2312 characters 0xD8A1-0xF7FE; a fixed set of")
    out.append("// characters stands in no list and another fixed set in several lists (see the script).")
    out.append("// Each list is GBK text: every two-byte character is followed by one blank.")
    out.append("// clang-format off")
    out.append('#include "store/pinyin_lists.h"')
    out.append("")
    out.append("namespace {")
    out.append("")
    for letter in LETTERS:
        codes = lists[letter]
        out.append("// %s: %d characters" % (letter, len(codes)))
        out.append("constexpr char kList_%s[] =" % letter)
        lines = [codes[i:i + ENTRIES_PER_LINE] for i in range(0, len(codes), ENTRIES_PER_LINE)]
        for n, line in enumerate(lines):
            end = ";" if n == len(lines) - 1 else ""
            out.append('    "%s"%s' % ("".join(escaped(c) for c in line), end))
        out.append("")
    out.append("} // namespace")
    out.append("")
    out.append("const std::array<InitialsList, 23> kInitialsLists = {{")
    for letter in LETTERS:
        out.append("    {'%s', QByteArrayView(kList_%s, sizeof kList_%s - 1)}," % (letter, letter, letter))
    out.append("}};")
    return "\n".join(out) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Generate the pinyin initials lists.")
    parser.add_argument("output", nargs="?", default=os.path.join(here, "..", "store", "pinyin_lists.cpp"))
    parser.add_argument("--unihan", help="path of Unihan_Readings.txt(.bz2)")
    args = parser.parse_args()

    characters = second_level_characters()
    if len(characters) != 3008:
        fail(f"expected 3008 second-level characters, found {len(characters)}")
    check_fixed_sets({ch: code for code, ch in characters})
    version, readings = read_unihan(find_unihan(args.unihan))
    text = render(version, build_lists(characters, readings))

    output = os.path.abspath(args.output)
    fd, temporary = tempfile.mkstemp(dir=os.path.dirname(output), prefix=".pinyin_lists.")
    try:
        with os.fdopen(fd, "w", encoding="ascii", newline="\n") as f:
            f.write(text)
        os.chmod(temporary, 0o644)
        os.replace(temporary, output)
    except BaseException:
        os.unlink(temporary)
        raise


if __name__ == "__main__":
    main()
