#include "app/tools/watermark/WatermarkGeometry.h"

#include "app/SharedHelpers.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// RoundHalfUp into an int, clamped so that a huge offset cannot overflow the conversion.
int RoundToInt(double value)
{
    const double rounded = RoundHalfUp(value);
    if (!(rounded > std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (rounded >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(rounded);
}

// float to int toward zero, clamped.
int Truncate(float value)
{
    if (!(value > -2147483520.0f))
        return std::numeric_limits<int>::min();
    if (value >= 2147483520.0f)
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

bool IsRight(int position)
{
    return position == PositionTopRight || position == PositionBottomRight;
}

bool IsCentredHorizontally(int position)
{
    return position == PositionCenter || position == PositionCenterTop || position == PositionCenterBottom;
}

bool IsTop(int position)
{
    return position == PositionTopLeft || position == PositionTopRight || position == PositionCenterTop;
}

} // namespace

MarkOffsets OffsetsInPoints(int unitMode, int offsetX, int offsetY, int pageWidth, int pageHeight)
{
    if (unitMode != UnitPercents)
        return {offsetX, offsetY};
    const float x = static_cast<float>(offsetX) / 100.0f * static_cast<float>(pageWidth);
    const float y = static_cast<float>(offsetY) / 100.0f * static_cast<float>(pageHeight);
    return {RoundToInt(static_cast<double>(x)), RoundToInt(static_cast<double>(y))};
}

void TextMarkOrigin(int position, int pageWidth, int pageHeight, const MarkOffsets& offsets,
                    const TextExtent& extent, double& x, double& y)
{
    const double w = extent.mWidth;
    const double h = extent.mHeight;
    if (IsCentredHorizontally(position))
        x = (pageWidth - w) * 0.5;
    else if (IsRight(position))
        x = static_cast<double>(static_cast<long long>(pageWidth) - offsets.x) - w;
    else
        x = offsets.x;
    if (position == PositionCenter)
        y = (pageHeight - h) * 0.5;
    else if (IsTop(position))
        y = static_cast<double>(static_cast<long long>(pageHeight) - offsets.y) - h;
    else
        y = offsets.y;
    x -= extent.mMinX;
    y -= extent.mMinY;
}

void ImageMarkOrigin(int position, int pageWidth, int pageHeight, const MarkOffsets& offsets, int w, int h, int& x,
                     int& y)
{
    // In 64 bits: a page and an offset from a project may be large enough to overflow an int.
    const long long width = pageWidth;
    const long long height = pageHeight;
    long long left = offsets.x;
    long long bottom = offsets.y;
    if (IsCentredHorizontally(position))
        left = (width - w) / 2;
    else if (IsRight(position))
        left = width - offsets.x - w;
    if (position == PositionCenter)
        bottom = (height - h) / 2;
    else if (IsTop(position))
        bottom = height - offsets.y - h;
    x = static_cast<int>(std::max<long long>(std::numeric_limits<int>::min(),
                                             std::min<long long>(std::numeric_limits<int>::max(), left)));
    y = static_cast<int>(std::max<long long>(std::numeric_limits<int>::min(),
                                             std::min<long long>(std::numeric_limits<int>::max(), bottom)));
}

QSize ImageMarkSize(const QSize& pixels, int scale)
{
    if (pixels.isEmpty())
        return QSize(0, 0);
    const double s = static_cast<double>(static_cast<float>(scale) / 100.0f);
    return QSize(RoundToInt(pixels.width() * s), RoundToInt(pixels.height() * s));
}

WatermarkPreview PreviewGeometry(int pageWidth, int pageHeight, int markWidth, int markHeight, int position,
                                 const MarkOffsets& offsets)
{
    WatermarkPreview preview;
    // A damaged MediaBox may give a page of no size: nothing to draw, and no division by zero.
    if (pageWidth <= 0 || pageHeight <= 0)
        return preview;
    const float W = static_cast<float>(pageWidth);
    const float H = static_cast<float>(pageHeight);
    const float r = W / H;
    int pw = 200;
    int ph = 200;
    float f = 200.0f / H;
    if (r > 1.0f) {
        ph = Truncate(200.0f / r);
        f = 200.0f / W;
    } else if (r < 1.0f) {
        pw = Truncate(r * 200.0f);
    }
    // A very long page still gets a picture one pixel high or wide: a pixmap of no size paints
    // nothing and makes the painter complain.
    pw = std::max(pw, 1);
    ph = std::max(ph, 1);
    const int sw = Truncate(static_cast<float>(markWidth) * f);
    const int sh = Truncate(static_cast<float>(markHeight) * f);
    int x = 0;
    if (IsCentredHorizontally(position))
        x = Truncate(static_cast<float>((pageWidth - markWidth) / 2) * f);
    else if (IsRight(position))
        x = Truncate(static_cast<float>(pageWidth - markWidth - offsets.x) * f - 1.0f);
    else
        x = Truncate(static_cast<float>(offsets.x) * f + 1.0f);
    int y = 0;
    if (position == PositionCenter)
        y = ph - Truncate(static_cast<float>((pageHeight - markHeight) / 2) * f) - sh;
    else if (IsTop(position))
        y = ph - Truncate(static_cast<float>(pageHeight - markHeight - offsets.y) * f) - sh - 1;
    else
        y = ph - Truncate(static_cast<float>(offsets.y) * f) - sh - 1;
    preview.picture = QSize(pw, ph);
    preview.mark = QRect(x, y, sw, sh);
    preview.valid = true;
    return preview;
}
