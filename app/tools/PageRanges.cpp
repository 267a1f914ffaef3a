#include "app/tools/PageRanges.h"

#include "app/SharedHelpers.h"

#include <QStringList>

#include <QCoreApplication>

#include <algorithm>
#include <climits>
#include <optional>

namespace {

// A page number as typed; nothing for text that is no number. A number beyond the int range
// stands for the nearest int, so "99999999999" still means "far beyond the last page".
std::optional<int> PageNumber(const QString& text)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, 10);
    if (ok)
        return static_cast<int>(std::clamp<qlonglong>(value, INT_MIN, INT_MAX));
    // Too long even for 64 bits, but digits all the same.
    const QString digits = text.trimmed();
    const bool negative = digits.startsWith(QLatin1Char('-'));
    const QString body = negative || digits.startsWith(QLatin1Char('+')) ? digits.mid(1) : digits;
    if (body.isEmpty() || !std::all_of(body.cbegin(), body.cend(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }))
        return std::nullopt;
    return negative ? INT_MIN : INT_MAX;
}

// A bound of a bracketed range: a number, or nothing at all, which reads as 0 ("[-3]").
std::optional<int> RangeBound(const QString& text)
{
    return text.trimmed().isEmpty() ? std::optional<int>(0) : PageNumber(text);
}

} // namespace

bool PageInterval::ClampTo(int pageCount, int& outFirst, int& outLast) const
{
    outFirst = std::max(first, 1);
    outLast = std::min(last, pageCount);
    return outFirst <= outLast;
}

PageRanges ReadPageRanges(const QString& text)
{
    PageRanges ranges;
    const QStringList items = text.split(QLatin1Char(','), Qt::KeepEmptyParts, Qt::CaseSensitive);
    ranges.itemCount = items.size();
    for (int i = 0; i < items.size(); ++i) {
        QString item = items.at(i);
        PageInterval interval;
        interval.index = i + 1;
        const bool bracketed = item.size() >= 2 && item.startsWith(QLatin1Char('[')) && item.endsWith(QLatin1Char(']'));
        if (bracketed) {
            item.remove(QLatin1Char('['));
            item.remove(QLatin1Char(']'));
        }
        const QStringList parts = item.split(QLatin1Char('-'), Qt::KeepEmptyParts);
        if (bracketed && parts.size() >= 2) {
            const std::optional<int> first = RangeBound(parts.at(0));
            const std::optional<int> last = RangeBound(parts.at(1));
            // "[x-y]" names no page at all, unlike a range of numbers that misses the document.
            if (!first || !last) {
                ranges.skipped.append(items.at(i));
                continue;
            }
            interval.first = *first;
            interval.last = *last;
        } else {
            // A single page, bracketed or not.
            const std::optional<int> page = PageNumber(item);
            if (!page || *page <= 0) {
                ranges.skipped.append(items.at(i));
                continue;
            }
            interval.first = interval.last = *page;
        }
        ranges.intervals.append(interval);
    }
    return ranges;
}

QString NoPageNamedReason(const QString& text)
{
    return QCoreApplication::translate("PageRanges", "the page intervals \"%1\" name no page")
        .arg(QuotedExcerpt(text));
}
