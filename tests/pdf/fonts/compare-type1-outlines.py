#!/usr/bin/python3
"""Compares every glyph of a CFF font program with the glyph of the same name in a Type 1 font.

Usage: compare-type1-outlines.py FONT.pfb SUBSET.cff [TOLERANCE]

Both fonts are read by fontTools (t1Lib for the PFB, cffLib for the CFF), each glyph is drawn
with its accented components decomposed, and the two outlines must have the same segments with
every point within TOLERANCE font units (0.5 by default); the advance widths must agree to
1/1000 of a unit. Prints one line per glyph that differs and a summary; exits 1 when any glyph
differs, 2 when a font cannot be read.
"""
import io
import sys

from fontTools.cffLib import CFFFontSet
from fontTools.pens.recordingPen import DecomposingRecordingPen
from fontTools.t1Lib import T1Font


def outline(glyph_set, name):
    pen = DecomposingRecordingPen(glyph_set)
    pen.skipMissingComponents = False
    glyph_set[name].draw(pen)
    # A move that no segment follows draws nothing; the two readers end such a path differently.
    value = []
    for op, args in pen.value:
        if op in ("closePath", "endPath") and value and value[-1][0] == "moveTo":
            value.pop()
        elif op == "moveTo" and value and value[-1][0] == "moveTo":
            value[-1] = (op, args)
        else:
            value.append((op, args))
    if value and value[-1][0] == "moveTo":
        value.pop()
    return value


def points(args):
    return [p for p in args if isinstance(p, tuple)]


def deviation(ours, theirs):
    """The largest distance between matching points, or None when the segments differ."""
    if len(ours) != len(theirs):
        return None
    worst = 0.0
    for (op_a, args_a), (op_b, args_b) in zip(ours, theirs):
        if op_a != op_b or len(args_a) != len(args_b):
            return None
        for (xa, ya), (xb, yb) in zip(points(args_a), points(args_b)):
            worst = max(worst, abs(xa - xb), abs(ya - yb))
    return worst


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    tolerance = float(sys.argv[3]) if len(sys.argv) > 3 else 0.5
    try:
        type1 = T1Font(sys.argv[1], encoding="latin-1")
        type1.parse()
        type1_glyphs = type1.getGlyphSet()
        with open(sys.argv[2], "rb") as data:
            cff_data = io.BytesIO(data.read())
        cff_set = CFFFontSet()
        cff_set.decompile(cff_data, None)
        cff = cff_set[cff_set.fontNames[0]]
        cff_glyphs = cff.CharStrings
    except Exception as error:  # a font that fontTools cannot read is a failure of its own
        print("cannot read the fonts: %s" % error)
        return 2

    nominal = getattr(cff.Private, "nominalWidthX", 0)
    failures = 0
    worst = (0.0, "")
    for name in cff.charset:
        if name not in type1_glyphs:
            print("%s: not in the Type 1 font" % name)
            failures += 1
            continue
        expected = outline(type1_glyphs, name)
        ours = outline(cff_glyphs, name)
        distance = deviation(ours, expected)
        if distance is None:
            print("%s: the segments differ\n  ours   %s\n  Type 1 %s" % (name, ours, expected))
            failures += 1
            continue
        if distance > worst[0]:
            worst = (distance, name)
        if distance > tolerance:
            print("%s: a point is %.4f units away" % (name, distance))
            failures += 1
        width = type1_glyphs[name].width
        cff_width = cff_glyphs[name].width
        if cff_width is None:
            cff_width = nominal
        if abs(width - cff_width) > 0.001:
            print("%s: width %s, Type 1 %s" % (name, cff_width, width))
            failures += 1
    print("%d glyphs, %d differ, largest distance %.4f (%s)" % (len(cff.charset), failures, worst[0], worst[1]))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
