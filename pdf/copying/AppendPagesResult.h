#pragma once
// The outcome of appending pages of a source file: the status, the object ids of the pages
// written, in copy order (pages written before a failure stay listed), and the source pages that
// could not be copied. A page that fails costs only itself: the pages after it are copied, and
// the status is a failure. The thread's failure reason (DiagnosticLog::LastFailure) is then the
// first failed page's, since nothing else of the operation failed before it.

#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"

#include <cstdint>
#include <vector>

struct AppendPagesResult {
    OpStatus mStatus = eFailure;
    std::vector<ObjectIDType> mPageObjectIDs;
    std::vector<uint32_t> mFailedPages; // 0-based source page indexes, in copy order
};
