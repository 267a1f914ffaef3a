#include "pdf/writing/IndirectObjectsReferenceRegistry.h"

#include "pdf/io/DiagnosticLog.h"

namespace {

// A table row has ten digits for the position; a file that grew past them cannot be indexed.
bool IsRowPosition(const char* inCaller, LongFilePositionType inPosition)
{
    if (inPosition >= 0 && inPosition <= IndirectObjectsReferenceRegistry::kMaxRowPosition)
        return true;
    TraceMessage("%s, Write position out of bounds. Trying to write an object at position that cannot be represented in Xref "
                 "= %lld. probably means file got too long",
                 inCaller, inPosition);
    return false;
}

} // namespace

IndirectObjectsReferenceRegistry::IndirectObjectsReferenceRegistry()
{
    Reset();
}

void IndirectObjectsReferenceRegistry::Reset()
{
    mEntries.clear();
    RegistryEntry head;
    head.mKind = eRegistryEntryFree;
    head.mGeneration = kMaxRowGeneration;
    mEntries.push_back(head);
}

ObjectIDType IndirectObjectsReferenceRegistry::ReserveNewObjectID()
{
    mEntries.push_back(RegistryEntry());
    return static_cast<ObjectIDType>(mEntries.size() - 1);
}

OpStatus IndirectObjectsReferenceRegistry::MarkObjectAsWritten(ObjectIDType inObjectID, LongFilePositionType inPosition)
{
    // Object 0 is the head of the free list and never written.
    if (inObjectID == 0 || inObjectID >= mEntries.size()) {
        TraceMessage("IndirectObjectsReferenceRegistry::MarkObjectAsWritten, Out of range failure. An Object ID is marked as "
                     "written, which was not allocated before. ID = %ld",
                     static_cast<long>(inObjectID));
        return eFailure;
    }
    RegistryEntry& entry = mEntries[inObjectID];
    if (entry.mIsWritten) {
        TraceMessage("IndirectObjectsReferenceRegistry::MarkObjectAsWritten, Object rewrite failure. The object %ld was already "
                     "marked as written at %lld. New position is %lld",
                     static_cast<long>(inObjectID), entry.mPosition, inPosition);
        return eFailure;
    }
    if (!IsRowPosition("IndirectObjectsReferenceRegistry::MarkObjectAsWritten", inPosition))
        return eFailure;
    entry.mInThisSection = true;
    entry.mPosition = inPosition;
    entry.mIsWritten = true;
    return eSuccess;
}

OpStatus IndirectObjectsReferenceRegistry::MarkObjectAsUpdated(ObjectIDType inObjectID, LongFilePositionType inPosition)
{
    if (inObjectID == 0 || inObjectID >= mEntries.size()) {
        TraceMessage("IndirectObjectsReferenceRegistry::MarkObjectAsUpdated, Out of range failure. An Object ID is marked for "
                     "update,but there's no such object. ID = %ld",
                     static_cast<long>(inObjectID));
        return eFailure;
    }
    if (!IsRowPosition("IndirectObjectsReferenceRegistry::MarkObjectAsUpdated", inPosition))
        return eFailure;
    RegistryEntry& entry = mEntries[inObjectID];
    if (entry.mGeneration > kMaxRowGeneration) {
        TraceMessage("IndirectObjectsReferenceRegistry::MarkObjectAsUpdated, Generation out of bounds. The object %ld has "
                     "generation %lu, which cannot be represented in Xref",
                     static_cast<long>(inObjectID), entry.mGeneration);
        return eFailure;
    }
    entry.mInThisSection = true;
    entry.mPosition = inPosition;
    entry.mKind = eRegistryEntryInUse;
    return eSuccess;
}

void IndirectObjectsReferenceRegistry::ReleaseObjectID(ObjectIDType inObjectID)
{
    if (inObjectID == 0 || inObjectID >= mEntries.size())
        return;
    RegistryEntry& entry = mEntries[inObjectID];
    entry.mIsWritten = false;
    entry.mInThisSection = true;
    entry.mPosition = 0;
    entry.mKind = eRegistryEntryFree;
}

void IndirectObjectsReferenceRegistry::RestoreEntry(ObjectIDType inObjectID, const RegistryEntry& inEntry)
{
    if (inObjectID != 0 && inObjectID < mEntries.size())
        mEntries[inObjectID] = inEntry;
}

OpStatus IndirectObjectsReferenceRegistry::LoadFromParsedFile(ObjectIDType inXrefSize, const XrefEntryAccessor& inEntryAt)
{
    if (inXrefSize < 2)
        return eSuccess;
    // Loaded entries are indexed by their ids: anything reserved before would shift them.
    if (mEntries.size() != 1) {
        TraceMessage("IndirectObjectsReferenceRegistry::LoadFromParsedFile, the registry already holds %ld objects, cannot load "
                     "an existing file's table",
                     static_cast<long>(mEntries.size()));
        return eFailure;
    }
    mEntries.reserve(inXrefSize);
    for (ObjectIDType id = 1; id < inXrefSize; ++id) {
        XrefEntry source = inEntryAt(id);
        RegistryEntry entry;
        entry.mInThisSection = false;
        switch (source.mType) {
        case eXrefEntryDelete:
            entry.mIsWritten = false;
            entry.mKind = eRegistryEntryFree;
            entry.mPosition = 0;
            entry.mGeneration = source.mGeneration;
            break;
        case eXrefEntryStreamObject:
            // The generation field of such an entry is the index inside the object stream.
            entry.mIsWritten = true;
            entry.mKind = eRegistryEntryInUse;
            entry.mPosition = source.mObjectPosition;
            entry.mGeneration = 0;
            break;
        case eXrefEntryExisting:
        case eXrefEntryUndefined:
            entry.mIsWritten = true;
            entry.mKind = eRegistryEntryInUse;
            entry.mPosition = source.mObjectPosition;
            entry.mGeneration = source.mGeneration;
            break;
        }
        mEntries.push_back(entry);
    }
    return eSuccess;
}

unsigned long IndirectObjectsReferenceRegistry::GetGeneration(ObjectIDType inObjectID) const
{
    return inObjectID < mEntries.size() ? mEntries[inObjectID].mGeneration : 0;
}

std::vector<IndirectObjectsReferenceRegistry::SectionRun> IndirectObjectsReferenceRegistry::GetSectionRuns() const
{
    std::vector<SectionRun> runs;
    ObjectIDType count = GetObjectsCount();
    ObjectIDType id = 0;
    while (id < count) {
        if (!mEntries[id].mInThisSection) {
            ++id;
            continue;
        }
        ObjectIDType first = id;
        while (id < count && mEntries[id].mInThisSection)
            ++id;
        runs.push_back(SectionRun(first, id - first));
    }
    return runs;
}

ObjectIDType IndirectObjectsReferenceRegistry::GetNextFreeInSection(ObjectIDType inObjectID) const
{
    for (ObjectIDType id = inObjectID + 1; id < mEntries.size(); ++id) {
        if (mEntries[id].mInThisSection && mEntries[id].mKind == eRegistryEntryFree)
            return id;
    }
    return 0;
}
