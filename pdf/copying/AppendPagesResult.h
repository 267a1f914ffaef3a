#pragma once
// The outcome of appending pages of a source file: the status, and the object ids of the pages
// written, in copy order (pages written before a failure stay listed).

#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"

#include <vector>

struct AppendPagesResult {
    OpStatus mStatus = eFailure;
    std::vector<ObjectIDType> mPageObjectIDs;
};
