#!/usr/bin/env python3
"""Writes app/create/jagpdf/StandardFontWidths.inc: the advance widths (1/1000 em) of the eight
Times and Courier faces for every WinAnsiEncoding code, and for the glyphs that the standard faces
have beyond WinAnsi (the Central European, Baltic, Turkish and Romanian letters, a few accents and
signs), read from the metric-compatible URW AFM files of Debian's fonts-urw-base35. Codes that
WinAnsi leaves undefined get 0.

    python3 scripts/make-standard-font-widths.py [afm-folder]
"""

import os
import runpy
import sys

AFM_FOLDER = "/usr/share/fonts/type1/urw-base35"
OUTPUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "create", "jagpdf",
                      "StandardFontWidths.inc")

# Standard face name and the URW file with the same metrics, in the order of StandardFontMetrics::Face.
FACES = [
    ("Courier", "NimbusMonoPS-Regular"),
    ("Courier-Bold", "NimbusMonoPS-Bold"),
    ("Courier-Oblique", "NimbusMonoPS-Italic"),
    ("Courier-BoldOblique", "NimbusMonoPS-BoldItalic"),
    ("Times-Roman", "NimbusRoman-Regular"),
    ("Times-Bold", "NimbusRoman-Bold"),
    ("Times-Italic", "NimbusRoman-Italic"),
    ("Times-BoldItalic", "NimbusRoman-BoldItalic"),
]

# WinAnsiEncoding, code -> glyph name (the PDF format's table of the standard Latin encodings).
WIN_ANSI = {
    0x20: "space", 0x21: "exclam", 0x22: "quotedbl", 0x23: "numbersign", 0x24: "dollar",
    0x25: "percent", 0x26: "ampersand", 0x27: "quotesingle", 0x28: "parenleft", 0x29: "parenright",
    0x2A: "asterisk", 0x2B: "plus", 0x2C: "comma", 0x2D: "hyphen", 0x2E: "period", 0x2F: "slash",
    0x3A: "colon", 0x3B: "semicolon", 0x3C: "less", 0x3D: "equal", 0x3E: "greater",
    0x3F: "question", 0x40: "at", 0x5B: "bracketleft", 0x5C: "backslash", 0x5D: "bracketright",
    0x5E: "asciicircum", 0x5F: "underscore", 0x60: "grave", 0x7B: "braceleft", 0x7C: "bar",
    0x7D: "braceright", 0x7E: "asciitilde",
    0x80: "Euro", 0x82: "quotesinglbase", 0x83: "florin", 0x84: "quotedblbase", 0x85: "ellipsis",
    0x86: "dagger", 0x87: "daggerdbl", 0x88: "circumflex", 0x89: "perthousand", 0x8A: "Scaron",
    0x8B: "guilsinglleft", 0x8C: "OE", 0x8E: "Zcaron", 0x91: "quoteleft", 0x92: "quoteright",
    0x93: "quotedblleft", 0x94: "quotedblright", 0x95: "bullet", 0x96: "endash", 0x97: "emdash",
    0x98: "tilde", 0x99: "trademark", 0x9A: "scaron", 0x9B: "guilsinglright", 0x9C: "oe",
    0x9E: "zcaron", 0x9F: "Ydieresis",
    0xA0: "space", 0xA1: "exclamdown", 0xA2: "cent", 0xA3: "sterling", 0xA4: "currency",
    0xA5: "yen", 0xA6: "brokenbar", 0xA7: "section", 0xA8: "dieresis", 0xA9: "copyright",
    0xAA: "ordfeminine", 0xAB: "guillemotleft", 0xAC: "logicalnot", 0xAD: "hyphen",
    0xAE: "registered", 0xAF: "macron", 0xB0: "degree", 0xB1: "plusminus", 0xB2: "twosuperior",
    0xB3: "threesuperior", 0xB4: "acute", 0xB5: "mu", 0xB6: "paragraph", 0xB7: "periodcentered",
    0xB8: "cedilla", 0xB9: "onesuperior", 0xBA: "ordmasculine", 0xBB: "guillemotright",
    0xBC: "onequarter", 0xBD: "onehalf", 0xBE: "threequarters", 0xBF: "questiondown",
    0xC6: "AE", 0xD0: "Eth", 0xD7: "multiply", 0xD8: "Oslash", 0xDE: "Thorn", 0xDF: "germandbls",
    0xE6: "ae", 0xF0: "eth", 0xF7: "divide", 0xF8: "oslash", 0xFE: "thorn",
}
for code, name in zip(range(0x30, 0x3A), ["zero", "one", "two", "three", "four", "five", "six",
                                           "seven", "eight", "nine"]):
    WIN_ANSI[code] = name
for code in range(0x41, 0x5B):
    WIN_ANSI[code] = chr(code)
for code in range(0x61, 0x7B):
    WIN_ANSI[code] = chr(code)
# The accented Latin-1 letters: base letter and accent, in code order.
ACCENTS = ["grave", "acute", "circumflex", "tilde", "dieresis", "ring"]
LATIN1_LETTERS = {
    0xC0: ("A", ACCENTS), 0xC7: ("C", ["cedilla"]), 0xC8: ("E", ACCENTS[:3] + ["dieresis"]),
    0xCC: ("I", ACCENTS[:3] + ["dieresis"]), 0xD1: ("N", ["tilde"]), 0xD2: ("O", ACCENTS[:5]),
    0xD9: ("U", ACCENTS[:3] + ["dieresis"]), 0xDD: ("Y", ["acute"]),
}
for start, (letter, accents) in LATIN1_LETTERS.items():
    for offset, accent in enumerate(accents):
        WIN_ANSI[start + offset] = letter + accent
        WIN_ANSI[start + 0x20 + offset] = letter.lower() + accent
WIN_ANSI[0xFF] = "ydieresis"

# The glyphs beyond WinAnsi that every PDF reader's standard Times and Courier faces carry. The
# characters they show are the Adobe glyph list's; Tcommaaccent and tcommaaccent also serve the
# T with comma below of Romanian, as the list's earlier version had them.
EXTRA_GLYPHS = [
    "Amacron", "amacron", "Abreve", "abreve", "Aogonek", "aogonek", "Cacute", "cacute", "Ccaron", "ccaron",
    "Dcaron", "dcaron", "Dcroat", "dcroat", "Emacron", "emacron", "Edotaccent", "edotaccent", "Eogonek",
    "eogonek", "Ecaron", "ecaron", "Gbreve", "gbreve", "Gcommaaccent", "gcommaaccent", "Imacron", "imacron",
    "Iogonek", "iogonek", "Idotaccent", "dotlessi", "Kcommaaccent", "kcommaaccent", "Lacute", "lacute",
    "Lcommaaccent", "lcommaaccent", "Lcaron", "lcaron", "Lslash", "lslash", "Nacute", "nacute", "Ncommaaccent",
    "ncommaaccent", "Ncaron", "ncaron", "Omacron", "omacron", "Ohungarumlaut", "ohungarumlaut", "Racute",
    "racute", "Rcommaaccent", "rcommaaccent", "Rcaron", "rcaron", "Sacute", "sacute", "Scedilla", "scedilla",
    "Tcommaaccent", "tcommaaccent", "Tcaron", "tcaron", "Umacron", "umacron", "Uring", "uring",
    "Uhungarumlaut", "uhungarumlaut", "Uogonek", "uogonek", "Zacute", "zacute", "Zdotaccent", "zdotaccent",
    "Scommaaccent", "scommaaccent", "caron", "breve", "dotaccent", "ring", "ogonek", "hungarumlaut",
    "fraction", "partialdiff", "Delta", "summation", "minus", "radical", "notequal", "lessequal",
    "greaterequal", "lozenge", "fi", "fl",
]
ROMANIAN_T = ("Tcommaaccent", "tcommaaccent")


def extra_characters():
    """(glyph name, characters) of EXTRA_GLYPHS, from the glyph list the library's table is made of."""
    glyph_list = runpy.run_path(
        os.path.join(os.path.dirname(os.path.abspath(__file__)), "make-adobe-glyph-list.py"))
    characters = {name: [] for name in EXTRA_GLYPHS}
    for value, name in glyph_list["read_list"](glyph_list["GLYPH_LIST"]):
        if name in characters:
            characters[name].append(value)
    for name, value in glyph_list["SECOND_CHARACTERS"]:
        if name in ROMANIAN_T:
            characters[name].append(value)
    return [(name, sorted(characters[name])) for name in EXTRA_GLYPHS]


def read_widths(path):
    widths = {}
    with open(path, encoding="latin-1") as afm:
        in_metrics = False
        for line in afm:
            if line.startswith("StartCharMetrics"):
                in_metrics = True
            elif line.startswith("EndCharMetrics"):
                break
            elif in_metrics:
                fields = dict(part.strip().split(None, 1) for part in line.split(";") if part.strip())
                if "N" in fields and "WX" in fields:
                    widths[fields["N"]] = int(float(fields["WX"]))
    return widths


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else AFM_FOLDER
    win_ansi_rows = []
    extra_glyphs = extra_characters()
    extra_widths = {name: [] for name in EXTRA_GLYPHS}
    for standard, urw in FACES:
        widths = read_widths(os.path.join(folder, urw + ".afm"))
        wanted = list(WIN_ANSI.values()) + list(extra_widths)
        missing = [name for name in wanted if name not in widths]
        if missing:
            sys.exit("%s lacks %s" % (urw, ", ".join(sorted(set(missing)))))
        table = [widths[WIN_ANSI[code]] if code in WIN_ANSI else 0 for code in range(256)]
        lines = ["    // %s (metrics of %s)" % (standard, urw), "    {"]
        for start in range(0, 256, 16):
            lines.append("        " + ", ".join("%4d" % width for width in table[start:start + 16]) + ",")
        lines.append("    },")
        win_ansi_rows.append("\n".join(lines))
        for name in extra_widths:
            extra_widths[name].append(widths[name])
    glyph_rows = ["    {\"%s\", {%s}}," % (name, ", ".join("%d" % width for width in extra_widths[name]))
                  for name in EXTRA_GLYPHS]
    characters = sorted((code, index) for index, (_, codes) in enumerate(extra_glyphs) for code in codes)
    character_rows = ["    {0x%04X, %d}," % (code, index) for code, index in characters]
    with open(OUTPUT, "w", encoding="ascii") as out:
        out.write("// Generated by scripts/make-standard-font-widths.py from the URW AFM files of\n"
                  "// fonts-urw-base35; do not edit.\n\n")
        out.write("// Advance widths in 1/1000 em by WinAnsi code, one row per face.\n")
        out.write("const unsigned short scWinAnsiWidths[StandardFontMetrics::eFaceCount][256] = {\n" +
                  "\n".join(win_ansi_rows) + "\n};\n\n")
        out.write("// The glyphs beyond WinAnsi: name and advance widths in 1/1000 em by face.\n")
        out.write("const ExtraGlyph scExtraGlyphs[] = {\n" + "\n".join(glyph_rows) + "\n};\n\n")
        out.write("// The characters those glyphs show, by code point: the index of the glyph.\n")
        out.write("const ExtraCharacter scExtraCharacters[] = {\n" + "\n".join(character_rows) + "\n};\n")


if __name__ == "__main__":
    main()
