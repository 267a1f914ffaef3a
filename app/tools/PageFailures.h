#pragma once
// The pages of one output that could not be copied or changed, for a tool that goes on with the
// other pages of the document (merge, split, watermark, crop). It keeps the first failure's page
// and reason, unless a later one spoils the whole output (a write the disk refused): that one
// decides. A page that fails twice (split intervals that overlap) counts once.

#include <QString>

#include <set>

struct AppendPagesResult;

class PageFailures {
public:
    // The page is from 0. True when the other pages may go on.
    bool Add(int pageIndex, const QString& reason, bool spoils = false);
    void AddDone(int pages = 1) { done += pages; }
    // What a page copy of the library did: its pages written are done, each page it could not
    // copy (from 0 in the source) failed for `reason`, which the library gives for the first.
    void AddCopy(const AppendPagesResult& copy, const QString& reason);

    bool Any() const { return !failedPages.empty(); }
    int Done() const { return done; }
    bool Spoilt() const { return spoilt; }
    // Empty when no page failed. Otherwise `pageText` with the deciding failure's page number
    // (from 1) for %1 and its reason for %2, and how many failed in all when more than one did.
    QString Reason(const QString& pageText) const;
    // The same for pages that were copied: "page 4 could not be copied: ...".
    QString CopyReason() const;

private:
    int done = 0;
    std::set<int> failedPages;
    int decidingPage = 0;
    QString decidingReason;
    bool spoilt = false;
};
