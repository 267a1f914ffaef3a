"""Writes seed inputs for the CFF fuzz target into the folder given: the "CFF " tables of a few
OpenType fonts of Debian's fonts-urw-base35."""
import os
import struct
import sys

FONTS = ["NimbusSans-Regular", "NimbusMonoPS-Regular", "C059-Roman", "StandardSymbolsPS", "D050000L"]


def cff_table(path):
    data = open(path, "rb").read()
    count = struct.unpack(">H", data[4:6])[0]
    for i in range(count):
        tag, _, offset, length = struct.unpack(">4sLLL", data[12 + 16 * i:28 + 16 * i])
        if tag == b"CFF ":
            return data[offset:offset + length]
    return None


def main(folder):
    os.makedirs(folder, exist_ok=True)
    for name in FONTS:
        table = cff_table("/usr/share/fonts/opentype/urw-base35/%s.otf" % name)
        if table:
            open(os.path.join(folder, name + ".cff"), "wb").write(table)


if __name__ == "__main__":
    main(sys.argv[1])
