#pragma once

#include "pdf/objects/PDFObject.h"

#include <cstdint>

class PDFIndirectObjectReference : public PDFObject {
public:
    enum { eType = ePDFObjectIndirectObjectReference };
    PDFIndirectObjectReference(uint32_t inObjectID, uint32_t inGenerationNumber)
        : PDFObject(eType), mObjectID(inObjectID), mGenerationNumber(inGenerationNumber)
    {
    }
    uint32_t GetObjectID() const { return mObjectID; }
    uint32_t GetGenerationNumber() const { return mGenerationNumber; }

private:
    uint32_t mObjectID;
    uint32_t mGenerationNumber;
};
