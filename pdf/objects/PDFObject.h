#pragma once
// A value read from a PDF file, with the type code that tells its kind.

#include "pdf/objects/RefCountObject.h"

class PDFObject : public RefCountObject {
public:
    enum EPDFObjectType {
        ePDFObjectBoolean = 0,
        ePDFObjectLiteralString = 1,
        ePDFObjectHexString = 2,
        ePDFObjectNull = 3,
        ePDFObjectName = 4,
        ePDFObjectInteger = 5,
        ePDFObjectReal = 6,
        ePDFObjectArray = 7,
        ePDFObjectDictionary = 8,
        ePDFObjectIndirectObjectReference = 9,
        ePDFObjectStream = 10,
        ePDFObjectSymbol = 11
    };
    static const int kTypeCount = 12;

    // Labels for log messages, indexed by type code.
    static const char* const TypeLabel[kTypeCount];
    static const char* TypeLabelFor(int inType);

    explicit PDFObject(int inType) : mType(inType) {}
    ~PDFObject() override {}

    int GetType() const { return mType; }

private:
    int mType;
};
