#pragma once
// Values a page may take from the nodes above it in the page tree (Resources, MediaBox, CropBox,
// Rotate): the page's own entry, else the nearest ancestor's (InheritedPageEntry). Page-tree nodes
// read on the way are kept by the parser (up to a bound), since every page asks for the same few
// nodes several times, and a split asks for them again in every output it copies from one parse.
// Results are new references.

#include "pdf/parsing/InheritedPageEntry.h"
#include "pdf/parsing/PDFRectangle.h"

#include <string>

class PDFDictionary;
class PDFObject;
class PDFParser;

class InheritedPageValues {
public:
    // The value of the nearest node holding inKey, a reference followed once; null when none.
    PDFObject* Query(PDFParser* inParser, PDFDictionary* inPage, const std::string& inKey);
    // The page's MediaBox, inherited; A4 (0 0 595 842) when there is none with an area.
    PDFRectangle MediaBox(PDFParser* inParser, PDFDictionary* inPage);
    // An array of four numbers with an area; false for anything else. Producers may write each
    // number as a reference to an integer or real object, which readers follow: with a parser
    // those are followed once.
    static bool ReadRectangle(PDFParser* inParser, PDFObject* inValue, PDFRectangle& outBox);
    // The page's rotation in degrees, 0, 90, 180 or 270; a value that is not a multiple of 90
    // counts as 0, as readers treat it.
    long long Rotation(PDFParser* inParser, PDFDictionary* inPage);

    // What a reader shows of a page: its CropBox where it has one, cut to its MediaBox (both
    // inherited), else its MediaBox, with lower-left and upper-right corners in order; and the
    // page's rotation, clockwise as shown.
    struct ShownArea {
        PDFRectangle box;
        long long rotation = 0;
        // The area's width and height as shown: swapped for pages turned by 90 or 270 degrees.
        double ShownWidth() const;
        double ShownHeight() const;
        // The matrix from an upright space of ShownWidth x ShownHeight, origin at the shown
        // lower-left corner, to the page's default user space.
        void UprightMatrix(double (&outMatrix)[6]) const;
    };
    ShownArea Shown(PDFParser* inParser, PDFDictionary* inPage);
};
