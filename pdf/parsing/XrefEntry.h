#pragma once
// One entry of a parsed file's cross-reference table. The page copier, the object registry and
// the incremental update read it.

#include "pdf/io/IOBasicTypes.h"

#include <cstdint>

enum EXrefEntryType {
    eXrefEntryExisting = 0,       // in use; offset is the position of "id gen obj"
    eXrefEntryDelete = 1,         // free; offset is the next free id as listed
    eXrefEntryStreamObject = 2,   // in an object stream; offset is the stream's id, generation the index
    eXrefEntryUndefined = 3       // listed by no section
};

struct XrefEntry {
    // The position of an entry of kind existing whose section gave values it cannot hold (a
    // generation above 65535, a position or an index beyond its field): the object is listed,
    // and reading it fails.
    static constexpr LongFilePositionType kUnreadablePosition = -1;

    LongFilePositionType mObjectPosition = 0;
    uint32_t mGeneration = 0; // generation number, or the index inside an object stream
    EXrefEntryType mType = eXrefEntryUndefined;
};
