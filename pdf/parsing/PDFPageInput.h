#pragma once
// One parsed page dictionary and its media box, inherited through the page tree. The parser is
// borrowed and must outlive this object; the page object's reference is taken over by the
// constructor. A page input built from anything but a page dictionary holds no page and gives
// the A4 fallback.

#include "pdf/objects/PDFDictionary.h"
#include "pdf/objects/RefCountPtr.h"
#include "pdf/parsing/PDFRectangle.h"

class PDFParser;
class PDFObject;

class PDFPageInput {
public:
    PDFPageInput(PDFParser* inParser, PDFObject* inPageObject);
    ~PDFPageInput();

    PDFPageInput(const PDFPageInput&) = delete;
    PDFPageInput& operator=(const PDFPageInput&) = delete;

    // The page's MediaBox, else the nearest ancestor's; 0 0 595 842 when none is usable.
    PDFRectangle GetMediaBox();

private:
    void AssertPageObjectValid(PDFObject* inPageObject);

    PDFParser* mParser;
    RefCountPtr<PDFDictionary> mPageObject;
};
