#pragma once
// Values in percent of a first page and in points, as the watermark and crop tools convert them:
// percents are clamped to 0-100 and turned into points as RoundHalfUp(float(value) / 100 *
// float(side)) in single precision. A page side of 0 or less (a size that could not be read, or
// one from a damaged project) counts as the A4 fallback, so no computation divides by zero.

#include <QSize>

// The size with each side of 0 or less replaced by the A4 fallback.
QSize UsablePageSize(const QSize& size);

// One value in percent of a side as points, and one in points as percent of a side (0-100).
// The side comes from UsablePageSize.
int PercentToPoints(int percent, int side);
int PointsToPercent(int points, int side);
