#pragma once
// What differs between the simple font dictionaries of the font kinds: the Subtype, whether an
// Encoding with Differences may be written, and the kind's own descriptor entries.

class DictionaryContext;
class IFontDescriptorHelper;
class ObjectsContext;

class IANSIFontWriterHelper {
public:
    virtual ~IANSIFontWriterHelper() {}

    virtual void WriteSubtypeName(ObjectsContext* inObjectsContext, DictionaryContext* inFontDictionary) = 0;
    virtual IFontDescriptorHelper* DescriptorHelper() = 0;
    virtual bool AllowsDifferences() = 0;
};
