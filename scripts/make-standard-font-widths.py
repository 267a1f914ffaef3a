#!/usr/bin/env python3
"""Writes app/create/jagpdf/StandardFontWidths.inc: the advance widths (1/1000 em) of the eight
Times and Courier faces for every WinAnsiEncoding code, and for the glyphs that the standard faces
have beyond WinAnsi (the Central European, Baltic, Turkish and Romanian letters, a few accents and
signs), read from the metric-compatible URW AFM files of Debian's fonts-urw-base35. Codes that
WinAnsi leaves undefined get 0.

    python3 scripts/make-standard-font-widths.py [afm-folder]
"""

import os
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

# The glyphs beyond WinAnsi that every PDF reader's standard Times and Courier faces carry, with
# the characters they show (the Adobe glyph list's values). Tcommaaccent serves both the T with
# cedilla, as the glyph list has it, and the T with comma below of Romanian.
EXTRA_GLYPHS = [
    ("Amacron", [0x0100]), ("amacron", [0x0101]), ("Abreve", [0x0102]), ("abreve", [0x0103]),
    ("Aogonek", [0x0104]), ("aogonek", [0x0105]), ("Cacute", [0x0106]), ("cacute", [0x0107]),
    ("Ccaron", [0x010C]), ("ccaron", [0x010D]), ("Dcaron", [0x010E]), ("dcaron", [0x010F]),
    ("Dcroat", [0x0110]), ("dcroat", [0x0111]), ("Emacron", [0x0112]), ("emacron", [0x0113]),
    ("Edotaccent", [0x0116]), ("edotaccent", [0x0117]), ("Eogonek", [0x0118]), ("eogonek", [0x0119]),
    ("Ecaron", [0x011A]), ("ecaron", [0x011B]), ("Gbreve", [0x011E]), ("gbreve", [0x011F]),
    ("Gcommaaccent", [0x0122]), ("gcommaaccent", [0x0123]), ("Imacron", [0x012A]), ("imacron", [0x012B]),
    ("Iogonek", [0x012E]), ("iogonek", [0x012F]), ("Idotaccent", [0x0130]), ("dotlessi", [0x0131]),
    ("Kcommaaccent", [0x0136]), ("kcommaaccent", [0x0137]), ("Lacute", [0x0139]), ("lacute", [0x013A]),
    ("Lcommaaccent", [0x013B]), ("lcommaaccent", [0x013C]), ("Lcaron", [0x013D]), ("lcaron", [0x013E]),
    ("Lslash", [0x0141]), ("lslash", [0x0142]), ("Nacute", [0x0143]), ("nacute", [0x0144]),
    ("Ncommaaccent", [0x0145]), ("ncommaaccent", [0x0146]), ("Ncaron", [0x0147]), ("ncaron", [0x0148]),
    ("Omacron", [0x014C]), ("omacron", [0x014D]), ("Ohungarumlaut", [0x0150]), ("ohungarumlaut", [0x0151]),
    ("Racute", [0x0154]), ("racute", [0x0155]), ("Rcommaaccent", [0x0156]), ("rcommaaccent", [0x0157]),
    ("Rcaron", [0x0158]), ("rcaron", [0x0159]), ("Sacute", [0x015A]), ("sacute", [0x015B]),
    ("Scedilla", [0x015E]), ("scedilla", [0x015F]), ("Tcommaaccent", [0x0162, 0x021A]),
    ("tcommaaccent", [0x0163, 0x021B]), ("Tcaron", [0x0164]), ("tcaron", [0x0165]),
    ("Umacron", [0x016A]), ("umacron", [0x016B]), ("Uring", [0x016E]), ("uring", [0x016F]),
    ("Uhungarumlaut", [0x0170]), ("uhungarumlaut", [0x0171]), ("Uogonek", [0x0172]), ("uogonek", [0x0173]),
    ("Zacute", [0x0179]), ("zacute", [0x017A]), ("Zdotaccent", [0x017B]), ("zdotaccent", [0x017C]),
    ("Scommaaccent", [0x0218]), ("scommaaccent", [0x0219]),
    ("caron", [0x02C7]), ("breve", [0x02D8]), ("dotaccent", [0x02D9]), ("ring", [0x02DA]),
    ("ogonek", [0x02DB]), ("hungarumlaut", [0x02DD]), ("fraction", [0x2044]), ("partialdiff", [0x2202]),
    ("Delta", [0x2206]), ("summation", [0x2211]), ("minus", [0x2212]), ("radical", [0x221A]),
    ("notequal", [0x2260]), ("lessequal", [0x2264]), ("greaterequal", [0x2265]), ("lozenge", [0x25CA]),
    ("fi", [0xFB01]), ("fl", [0xFB02]),
]


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
    extra_widths = {name: [] for name, _ in EXTRA_GLYPHS}
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
                  for name, _ in EXTRA_GLYPHS]
    characters = sorted((code, index) for index, (_, codes) in enumerate(EXTRA_GLYPHS) for code in codes)
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
