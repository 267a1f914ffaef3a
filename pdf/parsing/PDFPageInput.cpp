#include "pdf/parsing/PDFPageInput.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/InheritedPageEntry.h"
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
    RefCountPtr<PDFObject> mediaBox;
    // The parser's node cache spares each page of a large tree reading the same nodes again.
    if (mPageObject && mParser &&
        InheritedPageEntry::Find(mParser, mPageObject.GetPtr(), "MediaBox", mediaBox,
                                 &mParser->GetPageTreeNodeCache()) == InheritedPageEntry::eBrokenChain)
        TraceMessage("PDFPageInput::GetMediaBox, the Parent chain of the page loops");

    if (mediaBox && mediaBox->GetType() == PDFObject::ePDFObjectArray &&
        static_cast<PDFArray*>(mediaBox.GetPtr())->GetLength() == 4) {
        PDFArray* box = static_cast<PDFArray*>(mediaBox.GetPtr());
        double values[4];
        for (uint32_t i = 0; i < 4; ++i) {
            // A number may be written as a reference to an integer or real object.
            RefCountPtr<PDFObject> element(mParser->ResolveArrayElement(box, i));
            if (!element)
                values[i] = 0;
            else if (element->GetType() == PDFObject::ePDFObjectInteger)
                values[i] = static_cast<double>(static_cast<PDFInteger*>(element.GetPtr())->GetValue());
            else if (element->GetType() == PDFObject::ePDFObjectReal)
                values[i] = static_cast<PDFReal*>(element.GetPtr())->GetValue();
            else
                values[i] = 0;
        }
        return PDFRectangle(values[0], values[1], values[2], values[3]);
    }
    TraceMessage("PDFPageInput::GetMediaBox, Exception, pdf page does not have correct media box. defaulting to A4");
    return PDFRectangle(0, 0, 595, 842);
}
