#pragma once
// An ordered list of parsed values; holds one reference per element.

#include "pdf/objects/PDFObject.h"

#include <cstdint>
#include <vector>

class PDFArray : public PDFObject {
public:
    enum { eType = ePDFObjectArray };
    PDFArray() : PDFObject(eType) {}
    ~PDFArray() override;

    // Adds a reference; the caller keeps its own.
    void AppendObject(PDFObject* inObject);
    // A new reference, or null past the end.
    PDFObject* QueryObject(uint32_t inIndex) const;
    PDFObject* GetElement(uint32_t inIndex) const { return QueryObject(inIndex); }
    uint32_t GetLength() const { return static_cast<uint32_t>(mValues.size()); }

private:
    std::vector<PDFObject*> mValues;
};
