#include "pdf/parsing/InheritedPageEntry.h"

#include "pdf/objects/PDFObjectCastPtr.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/PDFParser.h"

#include <unordered_set>

InheritedPageEntry::EResult InheritedPageEntry::Find(PDFParser* inParser, PDFDictionary* inPage,
                                                     const std::string& inKey, RefCountPtr<PDFObject>& outValue,
                                                     NodeCache* ioNodes)
{
    return FindAccepted(inParser, inPage, inKey, nullptr, outValue, ioNodes);
}

InheritedPageEntry::EResult InheritedPageEntry::FindAccepted(PDFParser* inParser, PDFDictionary* inPage,
                                                             const std::string& inKey, const Acceptor& inAccepts,
                                                             RefCountPtr<PDFObject>& outValue, NodeCache* ioNodes)
{
    outValue = nullptr;
    if (!inParser || !inPage)
        return eAbsent;
    inPage->AddRef();
    RefCountPtr<PDFDictionary> node(inPage);
    std::unordered_set<uint32_t> visited;
    for (int steps = 0; node; ++steps) {
        if (node->Exists(inKey)) {
            outValue = inParser->ResolveDictionaryValue(node.GetPtr(), inKey);
            if (!inAccepts || inAccepts(outValue.GetPtr()))
                return eFound;
            outValue = nullptr;
        }
        RefCountPtr<PDFObject> parent(node->QueryDirectObject("Parent"));
        if (!parent)
            return eAbsent;
        if (steps >= kMaxParentSteps)
            return eBrokenChain;
        if (parent->GetType() != PDFObject::ePDFObjectIndirectObjectReference) {
            // A Parent written in place has no id to remember; the step cap still bounds the walk.
            // Anything but a dictionary ends it.
            node = PDFObjectCastPtr<PDFDictionary>(parent.Detach()).Detach();
            continue;
        }
        uint32_t parentID = static_cast<PDFIndirectObjectReference*>(parent.GetPtr())->GetObjectID();
        if (!visited.insert(parentID).second)
            return eBrokenChain;
        if (ioNodes) {
            auto kept = ioNodes->find(parentID);
            if (kept != ioNodes->end()) {
                node = kept->second;
                continue;
            }
        }
        node = PDFObjectCastPtr<PDFDictionary>(inParser->ParseObjectByID(parentID)).Detach();
        if (node && ioNodes && ioNodes->size() < kMaxKeptNodes)
            ioNodes->emplace(parentID, node);
    }
    return eAbsent;
}
