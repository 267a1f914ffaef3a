#pragma once
// A parsed dictionary: values by name, iterated in byte order of the keys (not file order).
// Holds one reference per key and per value. A key occurs at most once.

#include "pdf/objects/PDFName.h"
#include "pdf/objects/PDFObject.h"

#include <map>
#include <string>

struct PDFNameLess {
    bool operator()(const PDFName* inLeft, const PDFName* inRight) const
    {
        // std::string compares bytes as unsigned characters; a prefix sorts first.
        return inLeft->GetValue() < inRight->GetValue();
    }
};

typedef std::map<PDFName*, PDFObject*, PDFNameLess> PDFNameToPDFObjectMap;

class DictionaryIterator {
public:
    explicit DictionaryIterator(const PDFNameToPDFObjectMap& inMap)
        : mMap(&inMap), mCurrent(inMap.begin())
    {
    }
    // The first call stays on the first entry; each later call advances. False when exhausted.
    bool MoveNext();
    // Borrowed: no new reference.
    PDFName* GetKey() const { return mCurrent->first; }
    PDFObject* GetValue() const { return mCurrent->second; }

private:
    const PDFNameToPDFObjectMap* mMap;
    PDFNameToPDFObjectMap::const_iterator mCurrent;
    bool mFirstStep = true;
};

class PDFDictionary : public PDFObject {
public:
    enum { eType = ePDFObjectDictionary };
    PDFDictionary() : PDFObject(eType) {}
    ~PDFDictionary() override;

    // A new reference to the value as stored (references stay unresolved), or null.
    PDFObject* QueryDirectObject(const std::string& inKey) const;
    PDFObject* GetValue(const std::string& inKey) const { return QueryDirectObject(inKey); }
    bool Exists(const std::string& inKey) const;
    bool ContainsKey(const std::string& inKey) const { return Exists(inKey); }
    // Adds a reference to both; callers insert only absent keys (a present key is left as it is).
    void Insert(PDFName* inKey, PDFObject* inValue);
    // Adds a reference to the value (and to the key when it is new); a present key's old value
    // is released.
    void Replace(PDFName* inKey, PDFObject* inValue);
    size_t GetSize() const { return mValues.size(); }

    DictionaryIterator CreateIterator() const { return DictionaryIterator(mValues); }

private:
    PDFNameToPDFObjectMap::const_iterator Find(const std::string& inKey) const;

    PDFNameToPDFObjectMap mValues;
};
