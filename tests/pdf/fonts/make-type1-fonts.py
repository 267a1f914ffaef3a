#!/usr/bin/env python3
"""Makes the Type 1 test fonts from Debian's fonts-urw-base35 into the given folder.

For every URW face: <name>.pfb, the .t1 file's own bytes cut into PFB segments; <name>.pfm,
written by fontforge; and fontforge/<name>.pfb, the face as fontforge writes it (its own
charstrings, subroutines and hint replacement), a second producer for the readers.
"""
import os
import re
import subprocess
import sys

SOURCE = "/usr/share/fonts/type1/urw-base35"


def segment(kind, data):
    return bytes([0x80, kind]) + len(data).to_bytes(4, "little") + data


def to_pfb(data):
    match = re.search(rb"currentfile\s+eexec[ \t]*(\r\n|\r|\n)", data)
    if not match:
        raise ValueError("no eexec section")
    text = data[: match.end()]
    rest = data[match.end():]
    end = rest.rfind(b"cleartomark")
    if end < 0:
        raise ValueError("no cleartomark")
    # Exactly 512 zeros close the encrypted part; the cipher itself may end in "0" bytes.
    zeros = end
    counted = 0
    while zeros > 0 and counted < 512:
        zeros -= 1
        if rest[zeros : zeros + 1] == b"0":
            counted += 1
        elif rest[zeros : zeros + 1] not in (b"\r", b"\n", b" ", b"\t"):
            raise ValueError("fewer than 512 zeros")
    encrypted = rest[:zeros]
    if re.fullmatch(rb"[0-9A-Fa-f\s]*", encrypted):
        encrypted = bytes.fromhex(re.sub(rb"\s", b"", encrypted).decode())
    return segment(1, text) + segment(2, encrypted) + segment(1, rest[zeros:]) + bytes([0x80, 3])


def main():
    out = sys.argv[1]
    os.makedirs(os.path.join(out, "fontforge"), exist_ok=True)
    names = sorted(f[:-3] for f in os.listdir(SOURCE) if f.endswith(".t1"))
    for name in names:
        with open(os.path.join(SOURCE, name + ".t1"), "rb") as source:
            pfb = to_pfb(source.read())
        with open(os.path.join(out, name + ".pfb"), "wb") as target:
            target.write(pfb)
    # One fontforge run for all faces; flag 0x02 writes the PFM beside each PFB.
    script = os.path.join(out, "generate.pe")
    with open(script, "w") as pe:
        pe.write("i = 2\nwhile (i < $argc)\n  Open($argv[i])\n")
        pe.write("  Generate($argv[1] + \"/fontforge/\" + $fontname + \".pfb\", \"\", 0x02)\n")
        pe.write("  Close()\n  i = i + 1\nendloop\n")
    subprocess.run(["fontforge", "-lang=ff", "-script", script, out]
                   + [os.path.join(SOURCE, n + ".t1") for n in names],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for name in names:
        font_name = None
        with open(os.path.join(SOURCE, name + ".t1"), "rb") as source:
            match = re.search(rb"/FontName\s*/(\S+)", source.read())
            font_name = match.group(1).decode()
        pfm = os.path.join(out, "fontforge", font_name + ".pfm")
        os.replace(pfm, os.path.join(out, name + ".pfm"))
        if font_name != name:
            os.replace(os.path.join(out, "fontforge", font_name + ".pfb"),
                       os.path.join(out, "fontforge", name + ".pfb"))
    os.remove(script)


if __name__ == "__main__":
    main()
