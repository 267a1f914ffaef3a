"""Writes seeds for the Type 1 fuzz target into the folder given: the URW Symbol and Dingbats
faces (the smallest) cut into PFB segments (by tests/pdf/fonts/make-type1-fonts.py's converter),
a small synthetic font with subroutines, flex, hint replacement and seac, and bare charstrings."""
import importlib.util
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
found = importlib.util.spec_from_file_location(
    "fonts", os.path.join(HERE, "..", "tests", "pdf", "fonts", "make-type1-fonts.py"))
fonts = importlib.util.module_from_spec(found)
found.loader.exec_module(fonts)


def encrypt(data, key, leading):
    r = key
    out = bytearray()
    for b in bytes(leading) + data:
        c = b ^ (r >> 8)
        out.append(c)
        r = ((c + r) * 52845 + 22719) & 0xFFFF
    return bytes(out)


def number(v):
    if -107 <= v <= 107:
        return bytes([v + 139])
    if 108 <= v <= 1131:
        return bytes([(v - 108) // 256 + 247, (v - 108) % 256])
    if -1131 <= v <= -108:
        return bytes([(-v - 108) // 256 + 251, (-v - 108) % 256])
    return b"\xff" + (v & 0xFFFFFFFF).to_bytes(4, "big")


def program(*items):
    out = b""
    for item in items:
        out += number(item) if isinstance(item, int) else item
    return out


def synthetic():
    subrs = [program(3, 0, b"\x0c\x10\x0c\x11\x0c\x11\x0c\x21\x0b"), program(0, 1, b"\x0c\x10\x0b"),
             program(0, 2, b"\x0c\x10\x0b"), program(0, 20, b"\x01", 100, 30, b"\x03\x0b")]
    flex = program(1, b"\x0a")
    for dx, dy in [(0, 20), (10, 0), (20, 5), (30, 0), (20, -5), (10, 0), (30, -20)]:
        flex += program(dx, dy, b"\x15", 2, b"\x0a")
    flex += program(50, 200, 100, 0, b"\x0a")
    glyphs = {
        ".notdef": program(0, 500, b"\x0d\x0e"),
        "A": program(50, 600, b"\x0d", 0, 20, b"\x01", 0, 0, b"\x15", 400, 0, b"\x05", 3, 1, 3, b"\x0c\x10\x0c\x11\x0a",
                     0, 400, b"\x05", 7, 2, b"\x0c\x0c\x06\x09\x0e"),
        "B": program(0, 600, b"\x0d", 0, 0, b"\x15") + flex + program(1, 2, 3, 4, b"\x1e\x0e"),
        "C": program(0, 600, b"\x0d", 0, 150, 200, 65, 66, b"\x0c\x06"),
    }
    private = b"dup /Private 8 dict dup begin\n/RD{string currentfile exch readstring pop}executeonly def\n"
    private += b"/ND{noaccess def}executeonly def\n/NP{noaccess put}executeonly def\n"
    private += b"/BlueValues [-15 0 700 715] def\n/StdHW [50] def\n/Subrs 4 array\n"
    for i, subr in enumerate(subrs):
        data = encrypt(subr, 4330, 4)
        private += b"dup %d %d RD " % (i, len(data)) + data + b" NP\n"
    private += b"ND\n2 index /CharStrings 4 dict dup begin\n"
    for name, glyph in glyphs.items():
        data = encrypt(glyph, 4330, 4)
        private += b"/%s %d RD " % (name.encode(), len(data)) + data + b" ND\n"
    private += b"end\nend\nreadonly put\nnoaccess put\ndup/FontName get exch definefont pop\nmark currentfile closefile\n"
    clear = (b"%!PS-AdobeFont-1.0: Seed 001\n12 dict begin\n/FontInfo 2 dict dup begin\n/FSType 8 def\n"
             b"/Notice (a\\(b\\051) readonly def\nend readonly def\n/FontName /Seed def\n/FontType 1 def\n"
             b"/FontMatrix [0.001 0 0 0.001 0 0] readonly def\n/FontBBox {0 0 600 700} readonly def\n"
             b"/Encoding 256 array\n0 1 255 {1 index exch /.notdef put} for\ndup 65 /A put\ndup 66 /B put\n"
             b"readonly def\ncurrentdict end\ncurrentfile eexec\n")
    trailer = (b"0" * 64 + b"\n") * 8 + b"cleartomark\n"
    return (fonts.segment(1, clear) + fonts.segment(2, encrypt(private, 55665, 4)) + fonts.segment(1, trailer)
            + b"\x80\x03"), glyphs


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name in ["StandardSymbolsPS", "D050000L"]:
        with open(os.path.join(fonts.SOURCE, name + ".t1"), "rb") as source:
            with open(os.path.join(out, name + ".pfb"), "wb") as target:
                target.write(fonts.to_pfb(source.read()))
    font, glyphs = synthetic()
    with open(os.path.join(out, "synthetic.pfb"), "wb") as target:
        target.write(font)
    for name, glyph in glyphs.items():
        with open(os.path.join(out, "charstring-" + name.strip(".")), "wb") as target:
            target.write(glyph)


if __name__ == "__main__":
    main()
