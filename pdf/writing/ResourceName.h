#pragma once
// Names the library makes. Readers keep a PDF name to 127 bytes: a longer one is cut when another
// tool writes the file again, and a cut resource name no longer matches the one the content uses.
// Unique gives names for resources added to a dictionary that already holds names of its own (a
// page's XObjects, say).

#include <cstddef>
#include <set>
#include <string>

class ResourceName {
public:
    static constexpr size_t kMaxLength = 127;

    // inPreferred when it fits and ioTaken does not hold it; else inFallbackPrefix followed by the
    // first number from ioCounter on that gives a name ioTaken does not hold (ioCounter is left
    // after it). The name given joins ioTaken.
    static std::string Unique(const std::string& inPreferred, const std::string& inFallbackPrefix,
                              std::set<std::string>& ioTaken, unsigned long& ioCounter);
};
