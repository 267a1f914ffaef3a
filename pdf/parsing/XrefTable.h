#pragma once
// The cross-reference entries of a parsed file, indexed by object id. Storage is allocated in
// pages as entries are set, so a large declared size costs nothing until entries are read; the
// table never holds more than kMaxSize entries. Entries never set read as undefined.

#include "pdf/parsing/XrefEntry.h"

#include <cstdint>
#include <memory>
#include <vector>

class XrefTable {
public:
    // Object ids 0 to 8,388,607: the most a PDF file may number.
    static constexpr uint32_t kMaxSize = 8388608;

    void Reset();

    // Entry count: the declared size or one past the highest id set, whichever is more.
    uint32_t GetSize() const { return mSize; }
    // Raises the entry count (never lowers it); sizes above kMaxSize are the caller's to refuse.
    void EnsureSize(uint32_t inSize);

    // The entry of an id, or an undefined entry for an id never set.
    const XrefEntry& Get(uint32_t inObjectID) const;
    // inObjectID must be below kMaxSize.
    void Set(uint32_t inObjectID, const XrefEntry& inEntry);

    // Takes every defined entry of inOlder whose id this table leaves undefined, so that a table
    // filled from the newest section first ends with the newest listing of each id.
    void FillUndefinedFrom(const XrefTable& inOlder);

private:
    static constexpr uint32_t kPageBits = 10;
    static constexpr uint32_t kPageSize = 1u << kPageBits;

    std::vector<std::unique_ptr<XrefEntry[]>> mPages;
    uint32_t mSize = 0;
};
