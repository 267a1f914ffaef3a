#include "app/tools/PageUnits.h"

#include "app/SharedHelpers.h"
#include "app/tools/PDFQueries.h"

#include <algorithm>
#include <climits>

namespace {

int RoundedToInt(float value)
{
    const double rounded = RoundHalfUp(static_cast<double>(value));
    return static_cast<int>(std::clamp(rounded, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

} // namespace

QSize UsablePageSize(const QSize& size)
{
    return QSize(size.width() > 0 ? size.width() : kFallbackPageWidth,
                 size.height() > 0 ? size.height() : kFallbackPageHeight);
}

int PercentToPoints(int percent, int side)
{
    side = std::max(side, 1); // callers pass UsablePageSize's sides; this only keeps off zero
    const float value = static_cast<float>(std::clamp(percent, 0, 100));
    return RoundedToInt(value / 100.0f * static_cast<float>(side));
}

int PointsToPercent(int points, int side)
{
    side = std::max(side, 1);
    const int percent = RoundedToInt(static_cast<float>(points) / static_cast<float>(side) * 100.0f);
    return std::clamp(percent, 0, 100);
}
