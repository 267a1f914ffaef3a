#include "pdf/parsing/PDFPageInput.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/InheritedPageValues.h"
#include "pdf/parsing/PDFParser.h"


PDFPageInput::PDFPageInput(PDFParser* inParser, PDFObject* inPageObject) : mParser(inParser)
{
    AssertPageObjectValid(inPageObject);
}

PDFPageInput::~PDFPageInput() = default;

void PDFPageInput::AssertPageObjectValid(PDFObject* inPageObject)
{
    PDFObject* given = inPageObject;
    if (!given || given->GetType() != PDFObject::ePDFObjectDictionary) {
        TraceMessage("PDFPageInput::AssertPageObjectValid, null page object or not a dictionary");
        if (given)
            given->Release();
        return;
    }
    RefCountPtr<PDFDictionary> page(static_cast<PDFDictionary*>(given));
    PDFObjectCastPtr<PDFName> type(page->QueryDirectObject("Type"));
    if (!type || type->GetValue() != "Page") {
        TraceMessage("PDFPageInput::AssertPageObjectValid, dictionar object provided is NOT a page object");
        return;
    }
    mPageObject = page;
}

PDFRectangle PDFPageInput::GetMediaBox()
{
    PDFRectangle box(0, 0, InheritedPageValues::kDefaultWidth, InheritedPageValues::kDefaultHeight);
    if (mPageObject && mParser)
        InheritedPageValues().MediaBox(mParser, mPageObject.GetPtr(), box);
    return box;
}
