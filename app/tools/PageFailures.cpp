#include "app/tools/PageFailures.h"

#include "pdf/copying/AppendPagesResult.h"

#include <QCoreApplication>

bool PageFailures::Add(int pageIndex, const QString& reason, bool spoils)
{
    const bool first = failedPages.empty();
    failedPages.insert(pageIndex);
    if (first || spoils) {
        decidingPage = pageIndex + 1;
        decidingReason = reason;
    }
    spoilt = spoilt || spoils;
    return !spoils;
}

QString PageFailures::Reason(const QString& pageText) const
{
    if (failedPages.empty())
        return QString();
    QString reason = pageText.arg(decidingPage).arg(decidingReason);
    if (failedPages.size() > 1)
        reason += QCoreApplication::translate("PageFailures", " (%1 pages failed in all)").arg(failedPages.size());
    return reason;
}

void PageFailures::AddCopy(const AppendPagesResult& copy, const QString& reason)
{
    AddDone(static_cast<int>(copy.mPageObjectIDs.size()));
    for (uint32_t page : copy.mFailedPages)
        Add(static_cast<int>(page), reason);
}

QString PageFailures::CopyReason() const
{
    return Reason(QCoreApplication::translate("PageFailures", "page %1 could not be copied: %2"));
}
