#include "pdf/parsing/InheritedPageValues.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/InheritedPageEntry.h"
#include "pdf/parsing/PDFParser.h"

#include <algorithm>
#include <cmath>

namespace {

void ReportBrokenChain(InheritedPageEntry::EResult inResult, const std::string& inKey)
{
    if (inResult == InheritedPageEntry::eBrokenChain)
        TraceMessage("InheritedPageValues::Query, the Parent chain of the page loops or is deeper than %d, %s "
                     "not found",
                     InheritedPageEntry::kMaxParentSteps, inKey.c_str());
}

bool NumberOf(PDFObject* inValue, double& outNumber)
{
    if (inValue->GetType() == PDFObject::ePDFObjectInteger)
        outNumber = static_cast<double>(static_cast<PDFInteger*>(inValue)->GetValue());
    else if (inValue->GetType() == PDFObject::ePDFObjectReal)
        outNumber = static_cast<PDFReal*>(inValue)->GetValue();
    else
        return false;
    return true;
}

InheritedPageValues::EBox Refused(InheritedPageValues::EBox inReading, const std::string& inKey)
{
    if (inReading == InheritedPageValues::eBoxUnusable)
        TraceMessage("InheritedPageValues::ReadRectangle, the %s of the page has no finite size", inKey.c_str());
    return inReading;
}

} // namespace

PDFObject* InheritedPageValues::Query(PDFParser* inParser, PDFDictionary* inPage, const std::string& inKey)
{
    RefCountPtr<PDFObject> value;
    ReportBrokenChain(InheritedPageEntry::Find(inParser, inPage, inKey, value, &inParser->GetPageTreeNodeCache()),
                      inKey);
    return value.Detach();
}

InheritedPageValues::EBox InheritedPageValues::ReadRectangle(PDFParser* inParser, PDFObject* inValue,
                                                             PDFRectangle& outBox)
{
    if (!inValue || inValue->GetType() != PDFObject::ePDFObjectArray)
        return eBoxNone;
    PDFArray* array = static_cast<PDFArray*>(inValue);
    if (array->GetLength() != 4)
        return eBoxNone;
    double values[4];
    for (uint32_t i = 0; i < 4; ++i) {
        RefCountPtr<PDFObject> element(inParser ? inParser->ResolveArrayElement(array, i) : array->QueryObject(i));
        if (!element || !NumberOf(element.GetPtr(), values[i]))
            return eBoxNone;
    }
    // Readers take [0 0 0 0] for no box at all, and the next one up the tree (or Letter) instead.
    if (values[0] == 0 && values[1] == 0 && values[2] == 0 && values[3] == 0)
        return eBoxNone;
    const double width = values[2] - values[0];
    const double height = values[3] - values[1];
    if (!std::isfinite(width) || !std::isfinite(height) || !std::isfinite(width * height))
        return eBoxUnusable;
    outBox = PDFRectangle(values[0], values[1], values[2], values[3]);
    return eBoxRead;
}

InheritedPageValues::EBox InheritedPageValues::InheritedBox(PDFParser* inParser, PDFDictionary* inPage,
                                                            const std::string& inKey, PDFRectangle& outBox)
{
    EBox reading = eBoxNone;
    const InheritedPageEntry::Acceptor reads = [&](PDFObject* inValue) {
        reading = ReadRectangle(inParser, inValue, outBox);
        return reading != eBoxNone;
    };
    RefCountPtr<PDFObject> value;
    ReportBrokenChain(InheritedPageEntry::FindAccepted(inParser, inPage, inKey, reads, value,
                                                       &inParser->GetPageTreeNodeCache()),
                      inKey);
    return Refused(reading, inKey);
}

InheritedPageValues::EBox InheritedPageValues::OwnBox(PDFParser* inParser, PDFDictionary* inPage,
                                                      const std::string& inKey, PDFRectangle& outBox)
{
    RefCountPtr<PDFObject> value(inParser->ResolveDictionaryValue(inPage, inKey));
    return Refused(ReadRectangle(inParser, value.GetPtr(), outBox), inKey);
}

bool InheritedPageValues::MediaBox(PDFParser* inParser, PDFDictionary* inPage, PDFRectangle& outBox)
{
    const EBox reading = InheritedBox(inParser, inPage, "MediaBox", outBox);
    if (reading == eBoxRead)
        return true;
    outBox = PDFRectangle(0, 0, kDefaultWidth, kDefaultHeight);
    if (reading == eBoxUnusable)
        return false;
    // The page is still used, so this must not stand as the reason of a later failure.
    TraceNote("InheritedPageValues::MediaBox, no MediaBox of the page reads, using Letter");
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

bool InheritedPageValues::Shown(PDFParser* inParser, PDFDictionary* inPage, ShownArea& outArea)
{
    outArea = ShownArea();
    PDFRectangle media;
    if (!MediaBox(inParser, inPage, media))
        return false;
    outArea.box = Normalized(media);
    outArea.rotation = Rotation(inParser, inPage);
    PDFRectangle crop;
    switch (InheritedBox(inParser, inPage, "CropBox", crop)) {
    case eBoxUnusable:
        return false;
    case eBoxNone:
        return true;
    case eBoxRead:
        break;
    }
    crop = Normalized(crop);
    // Readers show the part of the CropBox that lies on the MediaBox; for one beside it the
    // MediaBox is taken.
    PDFRectangle cut(std::max(crop.LowerLeftX, outArea.box.LowerLeftX), std::max(crop.LowerLeftY, outArea.box.LowerLeftY),
                     std::min(crop.UpperRightX, outArea.box.UpperRightX),
                     std::min(crop.UpperRightY, outArea.box.UpperRightY));
    if (cut.LowerLeftX < cut.UpperRightX && cut.LowerLeftY < cut.UpperRightY)
        outArea.box = cut;
    return true;
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
