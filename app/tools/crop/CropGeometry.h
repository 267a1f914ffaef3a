#pragma once
// The arithmetic of the crop rectangle, shared by the crop engine and window so that the box the
// window previews is the box the job writes. Values in percent are percents of the first page's
// width (horizontal values) or height (vertical values); they are clamped to 0-100 and turned
// into points as RoundHalfUp(float(value) / 100 * float(side)) in single precision. A page side
// of 0 or less (a size that could not be read, or one from a damaged project) counts as the A4
// fallback, so no computation divides by zero.

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

// The size with each side of 0 or less replaced by the A4 fallback.
QSize UsablePageSize(const QSize& size);

// One value in percent of a side as points, and one in points as percent of a side (0-100).
// The side comes from UsablePageSize.
int PercentToPoints(int percent, int side);
int PointsToPercent(int points, int side);

// The rectangle in points: as given in points, or converted from percents of the first page.
// False for an unknown unit.
bool CropBoxInPoints(int unitMode, int originX, int originY, int width, int height, const QSize& firstPage,
                     CropBox& box);

// What is left of a page whose MediaBox is `mediaBox` (its corners in either order) once the
// rectangle crops it: the part of the rectangle that lies on the page. The job writes it as the
// page's new MediaBox and the preview draws it, so the file shows what the preview showed. Its
// lower-left corner comes first; no area (HasArea false) when nothing of the rectangle is left.
PDFRectangle CutToPage(const CropBox& box, const PDFRectangle& mediaBox);
bool HasArea(const PDFRectangle& box);

// The preview of a page with the rectangle on it: the picture's size in pixels (the longer side
// 200) and the rectangle cut to the page (CutToPage) in pixels, y downward; an empty rectangle
// when nothing of it lies on the page.
struct CropPreviewGeometry {
    QSize pixmapSize;
    QRect rectangle;
};
CropPreviewGeometry ComputeCropPreview(const QSize& pageSize, const CropBox& box);
