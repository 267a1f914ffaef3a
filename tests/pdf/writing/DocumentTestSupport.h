#pragma once
// Helpers for the tests of whole documents: a document context over an objects context in
// memory with a pinned clock, and finding objects in the written bytes.

#include "pdf/io/Platform.h"
#include "pdf/writing/DocumentContext.h"

#include "pdf/writing/WriterTestSupport.h"

#include <string>

namespace DocumentTestSupport {

// 29 February 2024, 23:59:59 UTC: "D:20240229235959Z".
inline bool FixedClock(Platform::LocalTime& outTime)
{
    outTime = Platform::LocalTime{2024, 2, 29, 23, 59, 59, true, 0};
    return true;
}

// A document written into memory, uncompressed unless asked.
class MemoryDocument {
public:
    explicit MemoryDocument(bool inCompress = false) : mDocument(&mMemory.Context())
    {
        mMemory.Context().SetCompressStreams(inCompress);
        mDocument.SetClock(&FixedClock);
    }
    DocumentContext& Document() { return mDocument; }
    ObjectsContext& Objects() { return mMemory.Context(); }
    std::string Bytes() const { return mMemory.Bytes(); }

private:
    WriterTestSupport::MemoryContext mMemory;
    DocumentContext mDocument;
};

// The offset of "<id> 0 obj" at the start of a line, or npos.
inline size_t ObjectOffset(const std::string& inBytes, unsigned long inObjectID)
{
    std::string header = std::to_string(inObjectID) + " 0 obj\r\n";
    if (inBytes.compare(0, header.size(), header) == 0)
        return 0;
    size_t found = inBytes.find("\n" + header);
    return found == std::string::npos ? found : found + 1;
}

// The object from its header to the end of its "endobj" line; empty when it is not there.
inline std::string ObjectText(const std::string& inBytes, unsigned long inObjectID)
{
    size_t start = ObjectOffset(inBytes, inObjectID);
    if (start == std::string::npos)
        return std::string();
    size_t end = inBytes.find("endobj\r\n", start);
    return end == std::string::npos ? std::string() : inBytes.substr(start, end + 8 - start);
}

} // namespace DocumentTestSupport
