#include "pdf/parsing/XrefTable.h"

void XrefTable::Reset()
{
    mPages.clear();
    mSize = 0;
}

void XrefTable::EnsureSize(uint32_t inSize)
{
    if (inSize > mSize)
        mSize = inSize;
}

const XrefEntry& XrefTable::Get(uint32_t inObjectID) const
{
    static const XrefEntry sUndefined;
    uint32_t page = inObjectID >> kPageBits;
    if (page >= mPages.size() || !mPages[page])
        return sUndefined;
    return mPages[page][inObjectID & (kPageSize - 1)];
}

void XrefTable::Set(uint32_t inObjectID, const XrefEntry& inEntry)
{
    if (inObjectID >= kMaxSize)
        return;
    uint32_t page = inObjectID >> kPageBits;
    if (page >= mPages.size())
        mPages.resize(page + 1);
    if (!mPages[page])
        mPages[page].reset(new XrefEntry[kPageSize]);
    mPages[page][inObjectID & (kPageSize - 1)] = inEntry;
    EnsureSize(inObjectID + 1);
}

void XrefTable::FillUndefinedFrom(const XrefTable& inOlder)
{
    for (size_t page = 0; page < inOlder.mPages.size(); ++page) {
        if (!inOlder.mPages[page])
            continue;
        for (uint32_t i = 0; i < kPageSize; ++i) {
            const XrefEntry& older = inOlder.mPages[page][i];
            if (older.mType == eXrefEntryUndefined)
                continue;
            uint32_t id = static_cast<uint32_t>(page << kPageBits) + i;
            if (Get(id).mType == eXrefEntryUndefined)
                Set(id, older);
        }
    }
    EnsureSize(inOlder.mSize);
}
