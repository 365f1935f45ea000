#!/usr/bin/env python3
"""Writes src/core/volume_name_tables.inc: the tables the volume readers use
for file names, made from Python's Unicode database.

- kCanonicalPairs: every pair (first, mark) of BMP characters that composes
  canonically into one BMP character, sorted, for showing decomposed names
  composed.
- kFoldRanges: the lower-case letter of every BMP character that has one
  (single character to single character), sorted, for comparing names
  without regard to case.

Run it again only to follow a newer Unicode version; the output is checked in.
"""
import pathlib
import unicodedata

def composition_pairs():
    pairs = []
    for code in range(0x10000):
        char = chr(code)
        decomposition = unicodedata.decomposition(char)
        if not decomposition or decomposition.startswith("<"):
            continue
        parts = [int(part, 16) for part in decomposition.split()]
        if len(parts) != 2 or max(parts) > 0xFFFF:
            continue
        # Composition exclusions and singletons never come back composed.
        if unicodedata.normalize("NFC", chr(parts[0]) + chr(parts[1])) != char:
            continue
        pairs.append((parts[0], parts[1], code))
    return sorted(pairs)

def lower_cases():
    folds = []
    for code in range(0x10000):
        if 0xD800 <= code <= 0xDFFF:
            continue
        lower = chr(code).lower()
        if len(lower) == 1 and ord(lower) != code and ord(lower) <= 0xFFFF:
            folds.append((code, ord(lower)))
    return folds

def packed(items, per_line):
    return ["    " + " ".join(items[i:i + per_line]) for i in range(0, len(items), per_line)]

def main():
    lines = ["// Made by scripts/lib/make-name-tables.py from Unicode "
             + unicodedata.unidata_version + "; do not edit.", ""]
    lines.append("// clang-format off")
    lines.append("// {first, mark, composed}, sorted by first and mark.")
    lines.append("constexpr CanonicalPair kCanonicalPairs[] = {")
    lines += packed([f"{{0x{a:04X},0x{b:04X},0x{c:04X}}}," for a, b, c in composition_pairs()], 4)
    lines.append("};")
    lines.append("")
    lines.append("// {character, lower case}, sorted by character.")
    lines.append("constexpr LowerCase kLowerCases[] = {")
    lines += packed([f"{{0x{a:04X},0x{b:04X}}}," for a, b in lower_cases()], 6)
    lines.append("};")
    lines.append("// clang-format on")
    target = pathlib.Path(__file__).resolve().parents[2] / "src/core/volume_name_tables.inc"
    target.write_text("\n".join(lines) + "\n")

main()
