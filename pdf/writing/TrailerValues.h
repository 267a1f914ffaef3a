#pragma once
// The values the trailer of a written file carries besides Size and ID: the previous
// cross-reference section of an updated file, the catalog and the information dictionary.

#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"
#include "pdf/writing/DocumentInfo.h"

struct ObjectReference {
    ObjectIDType mObjectID = 0; // 0: none
    unsigned long mGenerationNumber = 0;
};

struct TrailerValues {
    LongFilePositionType mPrev = 0; // 0: no previous section
    ObjectReference mRoot;
    ObjectReference mInfo;
    DocumentInfo mInfoDictionary;

    void Reset() { *this = TrailerValues(); }
};
