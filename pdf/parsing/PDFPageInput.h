#pragma once
// One parsed page dictionary and its media box, as InheritedPageValues reads it. The parser is
// borrowed and must outlive this object; the page object's reference is taken over by the
// constructor. A page input built from anything but a page dictionary holds no page and gives
// the Letter fallback.

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

    // The page's MediaBox, else the nearest ancestor's that reads; 0 0 612 792 when none does (or
    // one has no finite size).
    PDFRectangle GetMediaBox();

private:
    void AssertPageObjectValid(PDFObject* inPageObject);

    PDFParser* mParser;
    RefCountPtr<PDFDictionary> mPageObject;
};
