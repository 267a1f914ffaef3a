#pragma once
// The arithmetic of the crop rectangle, shared by the crop engine and window so that the box the
// window previews is the box the job writes. Values in percent are percents of the first page's
// width (horizontal values) or height (vertical values) as a reader shows that page, converted as
// PageUnits does.

#include "app/tools/PageUnits.h"
#include "pdf/parsing/InheritedPageValues.h"
#include "pdf/parsing/PDFRectangle.h"

#include <QRect>
#include <QSize>

enum CropUnit { CropUnitPoints = 0, CropUnitPercents = 1 };

// A rectangle in page space: origin at the lower left, y upward. 64-bit, so that x + width
// cannot overflow for any values a project may hold.
struct CropBox {
    long long x = 0;
    long long y = 0;
    long long width = 0;
    long long height = 0;

    bool HasArea() const { return width > 0 && height > 0; }
};

// The rectangle in points: as given in points, or converted from percents of the first page.
// False for an unknown unit.
bool CropBoxInPoints(int unitMode, int originX, int originY, int width, int height, const QSize& firstPage,
                     CropBox& box);

// What is left of a page once the rectangle crops it, in the page's default user space: the
// rectangle is measured from the lower-left corner of the area a reader shows (`shown`: the
// CropBox within the MediaBox, turned by the page's rotation), upright as shown, and cut to that
// area. So the part the user framed is kept, the new MediaBox lies within the old CropBox, and
// readers show all of it. The job writes it as the page's new MediaBox and the preview draws it,
// so the file shows what the preview showed. Its lower-left corner comes first; no area (HasArea
// false) when nothing of the rectangle is left.
PDFRectangle CropOnPage(const CropBox& box, const InheritedPageValues::ShownArea& shown);
bool HasArea(const PDFRectangle& box);

// The preview of a page of that shown size with the rectangle on it: the picture's size in pixels
// (the longer side 200) and the rectangle cut to the page (CropOnPage) in pixels, y downward; an
// empty rectangle when nothing of it lies on the page.
struct CropPreviewGeometry {
    QSize pixmapSize;
    QRect rectangle;
};
CropPreviewGeometry ComputeCropPreview(const QSize& pageSize, const CropBox& box);
