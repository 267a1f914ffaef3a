#include "pdf/copying/InheritedPageValues.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/InheritedPageEntry.h"
#include "pdf/parsing/PDFParser.h"

#include <algorithm>
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
    if (ReadRectangle(inParser, value.GetPtr(), box))
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

bool InheritedPageValues::ReadRectangle(PDFParser* inParser, PDFObject* inValue, PDFRectangle& outBox)
{
    if (!inValue || inValue->GetType() != PDFObject::ePDFObjectArray)
        return false;
    PDFArray* array = static_cast<PDFArray*>(inValue);
    if (array->GetLength() != 4)
        return false;
    double values[4];
    for (uint32_t i = 0; i < 4; ++i) {
        RefCountPtr<PDFObject> element(inParser ? inParser->ResolveArrayElement(array, i) : array->QueryObject(i));
        if (!element || !NumberOf(element.GetPtr(), values[i]))
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

namespace {

// The same box with its corners in order: some producers write the upper-right corner first.
PDFRectangle Normalized(const PDFRectangle& inBox)
{
    return PDFRectangle(std::min(inBox.LowerLeftX, inBox.UpperRightX), std::min(inBox.LowerLeftY, inBox.UpperRightY),
                        std::max(inBox.LowerLeftX, inBox.UpperRightX), std::max(inBox.LowerLeftY, inBox.UpperRightY));
}

bool IsTurned(long long inRotation)
{
    return inRotation == 90 || inRotation == 270;
}

} // namespace

InheritedPageValues::ShownArea InheritedPageValues::Shown(PDFParser* inParser, PDFDictionary* inPage)
{
    ShownArea area;
    area.box = Normalized(MediaBox(inParser, inPage));
    area.rotation = Rotation(inParser, inPage);
    RefCountPtr<PDFObject> value(Query(inParser, inPage, "CropBox"));
    PDFRectangle crop;
    if (ReadRectangle(inParser, value.GetPtr(), crop)) {
        crop = Normalized(crop);
        // Readers show the part of the CropBox that lies on the MediaBox; one beside it shows the
        // MediaBox, as does one that cannot be read.
        PDFRectangle cut(std::max(crop.LowerLeftX, area.box.LowerLeftX), std::max(crop.LowerLeftY, area.box.LowerLeftY),
                         std::min(crop.UpperRightX, area.box.UpperRightX),
                         std::min(crop.UpperRightY, area.box.UpperRightY));
        if (cut.LowerLeftX < cut.UpperRightX && cut.LowerLeftY < cut.UpperRightY)
            area.box = cut;
    }
    return area;
}

double InheritedPageValues::ShownArea::ShownWidth() const
{
    return IsTurned(rotation) ? box.UpperRightY - box.LowerLeftY : box.UpperRightX - box.LowerLeftX;
}

double InheritedPageValues::ShownArea::ShownHeight() const
{
    return IsTurned(rotation) ? box.UpperRightX - box.LowerLeftX : box.UpperRightY - box.LowerLeftY;
}

void InheritedPageValues::ShownArea::UprightMatrix(double (&outMatrix)[6]) const
{
    // A page turned clockwise shows the corner of its box that lands at the bottom left as the
    // origin: x0 y0 unturned, x1 y0 at 90, x1 y1 at 180, x0 y1 at 270.
    const double x0 = box.LowerLeftX;
    const double y0 = box.LowerLeftY;
    const double x1 = box.UpperRightX;
    const double y1 = box.UpperRightY;
    const double matrices[4][6] = {{1, 0, 0, 1, x0, y0}, {0, 1, -1, 0, x1, y0}, {-1, 0, 0, -1, x1, y1}, {0, -1, 1, 0, x0, y1}};
    std::copy(matrices[(rotation / 90) & 3], matrices[(rotation / 90) & 3] + 6, outMatrix);
}
