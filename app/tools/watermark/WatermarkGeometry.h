#pragma once
// Where a watermark lands: the offsets in points, the mark's lower-left corner on the page for
// each of the seven positions (text in real numbers, by its ink; images in whole points), the
// size of an image mark, and the window's small preview of the first page with the mark's
// rectangle. The job and the preview use the same rules, so the preview shows where the job
// draws.

#include "pdf/fonts/TextExtent.h"

#include <QRect>
#include <QSize>

enum WatermarkPosition {
    PositionTopLeft = 0,
    PositionTopRight = 1,
    PositionBottomLeft = 2,
    PositionBottomRight = 3,
    PositionCenter = 4,
    PositionCenterTop = 5,
    PositionCenterBottom = 6
};

enum WatermarkUnit { UnitPoints = 0, UnitPercents = 1 };

struct MarkOffsets {
    int x = 0;
    int y = 0;
};

// Points as they are; percents of the page's width (x) and height (y), rounded half up.
MarkOffsets OffsetsInPoints(int unitMode, int offsetX, int offsetY, int pageWidth, int pageHeight);

// The text's origin for a text of that measured extent on a page of pageWidth x pageHeight points:
// the extent's box (its ink) is placed as the position says, and the origin lies off the box's
// lower-left corner by the extent's minimum x and y (side bearing, descent), so the ink, not the
// origin, keeps the offsets.
void TextMarkOrigin(int position, int pageWidth, int pageHeight, const MarkOffsets& offsets,
                    const TextExtent& extent, double& x, double& y);
// The same for an image of whole points; the centre halves drop their remainder.
void ImageMarkOrigin(int position, int pageWidth, int pageHeight, const MarkOffsets& offsets, int w, int h, int& x,
                     int& y);

// An image of that many pixels at scale percent, in points (one pixel is one point), each side
// rounded half up.
QSize ImageMarkSize(const QSize& pixels, int scale);

struct WatermarkPreview {
    QSize picture;    // at most 200 pixels on the longer side
    QRect mark;       // in the picture's pixels, y downward
    bool valid = false; // false for a page with no size
};

// The preview of a page of pageWidth x pageHeight points with a mark of markWidth x markHeight
// points at the position and offsets (in points).
WatermarkPreview PreviewGeometry(int pageWidth, int pageHeight, int markWidth, int markHeight, int position,
                                 const MarkOffsets& offsets);
