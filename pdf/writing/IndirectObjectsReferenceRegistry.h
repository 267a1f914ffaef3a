#pragma once
// Hands out object ids and records where each object was written; the objects context turns it
// into the cross-reference section at the end of the file. Entry 0 heads the free list. For an
// incremental update it is first filled from the existing file's table, so that new objects
// continue its numbering and only new and rewritten objects enter this writer's section.
// A refused marking is logged and leaves the entry as it was.

#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"
#include "pdf/parsing/XrefEntry.h"

#include <functional>
#include <utility>
#include <vector>

enum ERegistryEntryKind { eRegistryEntryFree = 0, eRegistryEntryInUse = 1 };

struct RegistryEntry {
    bool mIsWritten = false;    // has a known position (written here, or present in the existing file)
    bool mInThisSection = true; // belongs to the cross-reference section this writer writes
    // Offset of the object's header; for an object kept in an object stream of the existing
    // file, the id of that stream.
    LongFilePositionType mPosition = 0;
    ERegistryEntryKind mKind = eRegistryEntryInUse;
    unsigned long mGeneration = 0;
};

class IndirectObjectsReferenceRegistry {
public:
    // A table row holds ten digits of position and five of generation.
    static constexpr LongFilePositionType kMaxRowPosition = 9999999999LL;
    static constexpr unsigned long kMaxRowGeneration = 65535;

    // The parsed table as a size and the entry of each id below it.
    using XrefEntryAccessor = std::function<XrefEntry(ObjectIDType)>;
    // First id and count of a run of consecutive entries of this section.
    using SectionRun = std::pair<ObjectIDType, ObjectIDType>;

    IndirectObjectsReferenceRegistry();

    ObjectIDType ReserveNewObjectID();
    // A new object of this file written at inPosition.
    OpStatus MarkObjectAsWritten(ObjectIDType inObjectID, LongFilePositionType inPosition);
    // A new version of an object of the existing file written at inPosition; keeps its generation.
    OpStatus MarkObjectAsUpdated(ObjectIDType inObjectID, LongFilePositionType inPosition);

    // Gives back an id whose object was never written, or whose writing was abandoned: it
    // becomes a free entry of this section, so that the document can end without it. Whatever
    // still refers to it reads null. Object 0 and ids never reserved are left alone.
    void ReleaseObjectID(ObjectIDType inObjectID);
    // Sets an entry back to a copy taken before (an abandoned object's previous state).
    void RestoreEntry(ObjectIDType inObjectID, const RegistryEntry& inEntry);

    // Appends the entries 1 to inXrefSize - 1 of an existing file's table; none of them is in this
    // section. Only a registry that holds nothing but object 0 can be filled; the caller (the
    // parser) has checked the table's size against the file.
    OpStatus LoadFromParsedFile(ObjectIDType inXrefSize, const XrefEntryAccessor& inEntryAt);

    // The number of entries: the next id to be reserved, and the trailer's Size.
    ObjectIDType GetObjectsCount() const { return static_cast<ObjectIDType>(mEntries.size()); }
    // inObjectID must be below GetObjectsCount().
    const RegistryEntry& GetEntry(ObjectIDType inObjectID) const { return mEntries[inObjectID]; }
    // The generation to write with an object's header; 0 for an id that was never reserved.
    unsigned long GetGeneration(ObjectIDType inObjectID) const;

    // The maximal runs of consecutive entries of this section, in id order.
    std::vector<SectionRun> GetSectionRuns() const;
    // The first free entry of this section after inObjectID, or 0 when there is none.
    ObjectIDType GetNextFreeInSection(ObjectIDType inObjectID) const;

    // Back to object 0 alone.
    void Reset();

private:
    std::vector<RegistryEntry> mEntries;
};
