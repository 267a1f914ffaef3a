#include "app/tools/crop/CropGeometry.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace {

// A float from the preview's arithmetic as an int, truncated toward zero; out-of-range values
// are held at the int range instead of being undefined.
int TruncateToInt(float value)
{
    if (!(value > static_cast<float>(INT_MIN)))
        return value != value ? 0 : INT_MIN;
    if (value >= static_cast<float>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(value);
}

} // namespace

bool CropBoxInPoints(int unitMode, int originX, int originY, int width, int height, const QSize& firstPage,
                     CropBox& box)
{
    if (unitMode == CropUnitPoints) {
        box = CropBox{originX, originY, width, height};
        return true;
    }
    if (unitMode != CropUnitPercents)
        return false;
    const QSize page = UsablePageSize(firstPage);
    box = CropBox{PercentToPoints(originX, page.width()), PercentToPoints(originY, page.height()),
                  PercentToPoints(width, page.width()), PercentToPoints(height, page.height())};
    return true;
}

PDFRectangle CropOnPage(const CropBox& box, const InheritedPageValues::ShownArea& shown)
{
    double m[6];
    shown.UprightMatrix(m);
    // Turns by quarters keep the rectangle's sides along the axes, so two corners give it; adding
    // 0 writes no edge as -0.
    const auto mapped = [&m](double x, double y) {
        return std::make_pair(m[0] * x + m[2] * y + m[4] + 0.0, m[1] * x + m[3] * y + m[5] + 0.0);
    };
    const auto [ax, ay] = mapped(static_cast<double>(box.x), static_cast<double>(box.y));
    const auto [bx, by] = mapped(static_cast<double>(box.x + box.width), static_cast<double>(box.y + box.height));
    const PDFRectangle& page = shown.box;
    return PDFRectangle(std::max(std::min(ax, bx), page.LowerLeftX), std::max(std::min(ay, by), page.LowerLeftY),
                        std::min(std::max(ax, bx), page.UpperRightX), std::min(std::max(ay, by), page.UpperRightY));
}

bool HasArea(const PDFRectangle& box)
{
    return box.LowerLeftX < box.UpperRightX && box.LowerLeftY < box.UpperRightY;
}

CropPreviewGeometry ComputeCropPreview(const QSize& pageSize, const CropBox& box)
{
    const QSize page = UsablePageSize(pageSize);
    const float pageWidth = static_cast<float>(page.width());
    const float pageHeight = static_cast<float>(page.height());
    const float ratio = pageWidth / pageHeight;
    CropPreviewGeometry preview;
    float scale = 0;
    if (ratio > 1) {
        preview.pixmapSize = QSize(200, TruncateToInt(200.0f / ratio));
        scale = 200.0f / pageWidth;
    } else if (ratio < 1) {
        preview.pixmapSize = QSize(TruncateToInt(ratio * 200.0f), 200);
        scale = 200.0f / pageHeight;
    } else {
        preview.pixmapSize = QSize(200, 200);
        scale = 200.0f / pageHeight;
    }
    // A very long page still gets a picture one pixel wide.
    preview.pixmapSize = preview.pixmapSize.expandedTo(QSize(1, 1));
    // The page as the preview knows it: the first page's shown size, upright from the origin.
    InheritedPageValues::ShownArea upright;
    upright.box = PDFRectangle(0, 0, page.width(), page.height());
    const PDFRectangle cut = CropOnPage(box, upright);
    if (!HasArea(cut))
        return preview;
    const int rw = TruncateToInt(static_cast<float>(cut.UpperRightX - cut.LowerLeftX) * scale);
    const int rh = TruncateToInt(static_cast<float>(cut.UpperRightY - cut.LowerLeftY) * scale);
    const int rx = TruncateToInt(static_cast<float>(cut.LowerLeftX) * scale);
    const int ry = preview.pixmapSize.height() - TruncateToInt(static_cast<float>(cut.LowerLeftY) * scale) - rh - 1;
    preview.rectangle = QRect(rx, ry, rw, rh);
    return preview;
}
