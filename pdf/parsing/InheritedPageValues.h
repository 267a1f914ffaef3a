#pragma once
// The values of a page as readers take them, read in this one place for every user (copying,
// page rewriting, page input, the tools' page sizes and marks): Resources, Rotate and the page
// boxes, inherited through the page tree where PDF lets them be (InheritedPageEntry). Page-tree
// nodes read on the way are kept by the parser (up to a bound), since every page asks for the same
// few nodes several times, and a split asks for them again in every output it copies from one
// parse. Results are new references. A box whose numbers no page can have (a side or an area
// beyond the range of a double) is refused with a failure line naming the box, so that the page
// fails with that reason instead of being drawn or copied invisibly.

#include "pdf/parsing/InheritedPageEntry.h"
#include "pdf/parsing/PDFRectangle.h"

#include <string>

class PDFDictionary;
class PDFObject;
class PDFParser;

class InheritedPageValues {
public:
    // Readers show a page that has no MediaBox that reads on US Letter.
    static constexpr double kDefaultWidth = 612;
    static constexpr double kDefaultHeight = 792;

    // The value of the nearest node holding inKey, a reference followed once; null when none.
    PDFObject* Query(PDFParser* inParser, PDFDictionary* inPage, const std::string& inKey);

    // How a box value reads.
    enum EBox {
        eBoxNone,     // no box: not an array of four numbers, or four zeros, which readers pass over
        eBoxRead,     // four numbers, as written (corners in either order, the area maybe 0)
        eBoxUnusable, // four numbers whose sides or area overflow
    };
    // Producers may write each number as a reference to an integer or real object, which readers
    // follow: with a parser those are followed once.
    static EBox ReadRectangle(PDFParser* inParser, PDFObject* inValue, PDFRectangle& outBox);

    // The nearest box of that key up from the page that reads (MediaBox and CropBox pass from the
    // page tree's nodes to the page); eBoxNone when none does. An unusable one ends the search
    // with a failure line.
    EBox InheritedBox(PDFParser* inParser, PDFDictionary* inPage, const std::string& inKey, PDFRectangle& outBox);
    // The page's own box of that key (BleedBox, TrimBox, ArtBox: no node passes them on).
    static EBox OwnBox(PDFParser* inParser, PDFDictionary* inPage, const std::string& inKey, PDFRectangle& outBox);
    // The page's MediaBox: the inherited one, else Letter (0 0 612 792). False, with Letter, when
    // the box found is unusable.
    bool MediaBox(PDFParser* inParser, PDFDictionary* inPage, PDFRectangle& outBox);

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
    // False when one of the boxes is unusable.
    bool Shown(PDFParser* inParser, PDFDictionary* inPage, ShownArea& outArea);
};
