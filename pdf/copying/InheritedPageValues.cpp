#include "pdf/copying/InheritedPageValues.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/InheritedPageEntry.h"
#include "pdf/parsing/PDFParser.h"

#include <cmath>

PDFObject* InheritedPageValues::Query(PDFParser* inParser, PDFDictionary* inPage, const std::string& inKey)
{
    RefCountPtr<PDFObject> value;
    if (InheritedPageEntry::Find(inParser, inPage, inKey, value, &inParser->GetPageTreeNodeCache()) == InheritedPageEntry::eBrokenChain)
        TraceMessage("InheritedPageValues::Query, the Parent chain of the page loops or is deeper than %d, %s "
                     "not found",
                     InheritedPageEntry::kMaxParentSteps, inKey.c_str());
    return value.Detach();
}

PDFRectangle InheritedPageValues::MediaBox(PDFParser* inParser, PDFDictionary* inPage)
{
    RefCountPtr<PDFObject> value(Query(inParser, inPage, "MediaBox"));
    PDFRectangle box;
    if (ReadRectangle(value.GetPtr(), box))
        return box;
    // The page is still used, so this must not stand as the reason of a later failure.
    TraceNote("InheritedPageValues::MediaBox, the page has no MediaBox with an area, using A4");
    return PDFRectangle(0, 0, 595, 842);
}

namespace {

bool NumberOf(PDFObject* inValue, double& outNumber)
{
    if (inValue->GetType() == PDFObject::ePDFObjectInteger)
        outNumber = static_cast<double>(static_cast<PDFInteger*>(inValue)->GetValue());
    else if (inValue->GetType() == PDFObject::ePDFObjectReal)
        outNumber = static_cast<PDFReal*>(inValue)->GetValue();
    else
        return false;
    return std::isfinite(outNumber);
}

} // namespace

bool InheritedPageValues::ReadRectangle(PDFObject* inValue, PDFRectangle& outBox)
{
    if (!inValue || inValue->GetType() != PDFObject::ePDFObjectArray)
        return false;
    PDFArray* array = static_cast<PDFArray*>(inValue);
    if (array->GetLength() != 4)
        return false;
    double values[4];
    for (uint32_t i = 0; i < 4; ++i) {
        RefCountPtr<PDFObject> element(array->QueryObject(i));
        if (!NumberOf(element.GetPtr(), values[i]))
            return false;
    }
    if (values[0] == values[2] || values[1] == values[3])
        return false;
    outBox = PDFRectangle(values[0], values[1], values[2], values[3]);
    return true;
}

long long InheritedPageValues::Rotation(PDFParser* inParser, PDFDictionary* inPage)
{
    RefCountPtr<PDFObject> value(Query(inParser, inPage, "Rotate"));
    double degrees = 0;
    if (!value || !NumberOf(value.GetPtr(), degrees) || std::fabs(degrees) > 1e9 || degrees != std::floor(degrees))
        return 0;
    long long whole = static_cast<long long>(degrees);
    if (whole % 90 != 0)
        return 0;
    return ((whole % 360) + 360) % 360;
}
