"""Writes small seed fonts for the OpenType fuzz target into the folder given: subsets of Debian's
DejaVu Sans, Liberation Sans and Droid Sans Fallback (with composite glyphs), a collection of two
of them and a dfont holding two. With --glyph-list each seed starts with the glyph list the
TrueType subset target reads: a count byte and that many big-endian 16-bit glyph ids. Needs
fontTools (Debian's python3-fonttools)."""
import io
import os
import struct
import sys

from fontTools import subset
from fontTools.ttLib import TTFont
from fontTools.ttLib.ttCollection import TTCollection

FONTS = {
    "dejavu": "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "liberation": "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
    "droid": "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
}
TEXT = "Aé Ǻ fi 中文"


def subset_font(path):
    options = subset.Options()
    options.layout_features = []
    options.hinting = True
    options.notdef_outline = True
    font = TTFont(path)
    subsetter = subset.Subsetter(options)
    subsetter.populate(text=TEXT)
    subsetter.subset(font)
    out = io.BytesIO()
    font.save(out)
    return out.getvalue()


def dfont(resources):
    """A resource fork holding each sfnt as an 'sfnt' resource, ids from 128."""
    data = b""
    offsets = []
    for resource in resources:
        offsets.append(len(data))
        data += struct.pack(">I", len(resource)) + resource
    data_offset = 256
    type_list = struct.pack(">H", 0) + struct.pack(">4sHH", b"sfnt", len(resources) - 1, 2 + 8)
    references = b"".join(struct.pack(">HhI I", 128 + i, -1, offset & 0xFFFFFF, 0) for i, offset in enumerate(offsets))
    map_offset = data_offset + len(data)
    header = struct.pack(">IIII", data_offset, map_offset, len(data), 0)
    map_body = header + b"\0" * 8 + struct.pack(">HH", 28, 28 + len(type_list) + len(references)) + type_list + references
    header = struct.pack(">IIII", data_offset, map_offset, len(data), len(map_body))
    map_body = header + map_body[16:]
    return header + b"\0" * (data_offset - 16) + data + map_body


GLYPH_LIST = bytes([10]) + b"".join(struct.pack(">H", glyph) for glyph in range(10))


def main(folder, glyph_list):
    os.makedirs(folder, exist_ok=True)
    prefix = GLYPH_LIST if glyph_list else b""
    made = {}
    for name, path in FONTS.items():
        if os.path.exists(path):
            made[name] = subset_font(path)
            with open(os.path.join(folder, name + ".ttf"), "wb") as out:
                out.write(prefix + made[name])
    fonts = list(made.values())[:2]
    if len(fonts) == 2:
        collection = TTCollection()
        collection.fonts = [TTFont(io.BytesIO(font)) for font in fonts]
        pair = io.BytesIO()
        collection.save(pair)
        with open(os.path.join(folder, "pair.ttc"), "wb") as out:
            out.write(prefix + pair.getvalue())
        with open(os.path.join(folder, "pair.dfont"), "wb") as out:
            out.write(prefix + dfont(fonts))


if __name__ == "__main__":
    main(sys.argv[1], "--glyph-list" in sys.argv[2:])
