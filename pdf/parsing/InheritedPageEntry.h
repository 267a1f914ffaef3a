#pragma once
// Finds an entry a page may take from the nodes above it in the page tree (MediaBox, Resources,
// CropBox, Rotate): the page's own entry, else the nearest ancestor's. The walk up Parent stops at
// a loop and after kMaxParentSteps links, and logs nothing: each caller says what a broken chain
// means for it. Nodes read on the way may be kept in a cache the caller owns, which belongs to
// one parser.

#include "pdf/objects/PDFDictionary.h"
#include "pdf/objects/RefCountPtr.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

class PDFObject;
class PDFParser;

class InheritedPageEntry {
public:
    enum EResult {
        eFound,       // outValue holds the resolved value (null when it could not be read)
        eAbsent,      // no node on the way up has the key
        eBrokenChain, // the Parent chain loops or is deeper than kMaxParentSteps
    };

    // Parent links followed at most; a real page tree is a few levels deep.
    static constexpr int kMaxParentSteps = 256;

    // Page-tree nodes a cache keeps at most.
    static constexpr size_t kMaxKeptNodes = 4096;

    typedef std::unordered_map<uint32_t, RefCountPtr<PDFDictionary>> NodeCache;

    // Looks for inKey from inPage up; a value that is a reference is followed once.
    static EResult Find(PDFParser* inParser, PDFDictionary* inPage, const std::string& inKey,
                        RefCountPtr<PDFObject>& outValue, NodeCache* ioNodes = nullptr);
    // The same, but a value inAccepts turns down (it may be null) is passed over and the walk goes
    // on up: readers skip a box that does not read and take the next one above.
    typedef std::function<bool(PDFObject*)> Acceptor;
    static EResult FindAccepted(PDFParser* inParser, PDFDictionary* inPage, const std::string& inKey,
                                const Acceptor& inAccepts, RefCountPtr<PDFObject>& outValue,
                                NodeCache* ioNodes = nullptr);
};
