#pragma once
// Values a page may take from the nodes above it in the page tree (Resources, MediaBox, CropBox,
// Rotate): the page's own entry, else the nearest ancestor's, found by a bounded walk up Parent
// that stops at a loop. The parser is borrowed; results are new references.

#include "pdf/parsing/PDFRectangle.h"

#include <string>

class PDFDictionary;
class PDFObject;
class PDFParser;

class InheritedPageValues {
public:
    // Parent links followed at most; a real page tree is a few levels deep.
    static constexpr int kMaxParentSteps = 256;

    // The value of the nearest node holding inKey, a reference followed once; null when none.
    static PDFObject* Query(PDFParser* inParser, PDFDictionary* inPage, const std::string& inKey);
    // An array of four numbers with an area; false for anything else.
    static bool ReadRectangle(PDFObject* inValue, PDFRectangle& outBox);
    // The page's rotation in degrees, 0, 90, 180 or 270; a value that is not a multiple of 90
    // counts as 0, as readers treat it.
    static long long Rotation(PDFParser* inParser, PDFDictionary* inPage);
};
