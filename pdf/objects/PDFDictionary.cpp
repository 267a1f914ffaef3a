#include "pdf/objects/PDFDictionary.h"

bool DictionaryIterator::MoveNext()
{
    if (mFirstStep)
        mFirstStep = false;
    else if (mCurrent != mMap->end())
        ++mCurrent;
    return mCurrent != mMap->end();
}

PDFDictionary::~PDFDictionary()
{
    for (auto& entry : mValues) {
        entry.first->Release();
        entry.second->Release();
    }
}

PDFNameToPDFObjectMap::const_iterator PDFDictionary::Find(const std::string& inKey) const
{
    PDFName probe(inKey);
    return mValues.find(&probe);
}

PDFObject* PDFDictionary::QueryDirectObject(const std::string& inKey) const
{
    auto it = Find(inKey);
    if (it == mValues.end())
        return nullptr;
    it->second->AddRef();
    return it->second;
}

bool PDFDictionary::Exists(const std::string& inKey) const
{
    return Find(inKey) != mValues.end();
}

void PDFDictionary::Insert(PDFName* inKey, PDFObject* inValue)
{
    if (mValues.find(inKey) != mValues.end())
        return;
    inKey->AddRef();
    inValue->AddRef();
    mValues.emplace(inKey, inValue);
}

void PDFDictionary::Replace(PDFName* inKey, PDFObject* inValue)
{
    auto it = mValues.find(inKey);
    if (it == mValues.end()) {
        Insert(inKey, inValue);
        return;
    }
    inValue->AddRef();
    it->second->Release();
    it->second = inValue;
}
