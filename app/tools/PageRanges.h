#pragma once
// The page-range text of the split, watermark and crop tools: items separated by ",", each a
// bracketed range "[first-last]" or a single page number of 1 or more, pages counted from 1, as
// in "[1-4],5,[6-9]". A bracketed page without a hyphen ("[5]") is that single page, and an
// empty bound reads as 0 ("[-3]"). Any other item ("x", "", "0", "[x-y]") is skipped but keeps
// its place, so the items after it keep their interval indexes; the skipped items are kept as
// typed, so that a report can name them.
// Intervals come in text order, neither sorted nor merged; a bracketed range is taken as read
// (its bounds may be 0, negative, reversed or far beyond the document) and ClampTo says which
// pages of a document it names, so a range of two billion pages costs nothing. Reading never
// fails.

#include <QList>
#include <QString>
#include <QStringList>

struct PageInterval {
    int first = 0; // as read
    int last = 0;
    int index = 0; // the item's position in the text, from 1, every item counted

    // The pages of a document of pageCount pages that the interval names, from first to last
    // within 1 to pageCount. False when it names none (reversed, or wholly outside).
    bool ClampTo(int pageCount, int& outFirst, int& outLast) const;
};

struct PageRanges {
    QList<PageInterval> intervals;
    int itemCount = 0; // every item of the text, skipped ones included; an empty text has one
    QStringList skipped; // the items that name nothing, as typed, in text order
};

PageRanges ReadPageRanges(const QString& text);

// Why a text whose items all name nothing ("abc", "", ",,") cannot be used: it quotes the text.
QString NoPageNamedReason(const QString& text);
