#pragma once

#include "pdf/objects/PDFObject.h"

class PDFBoolean : public PDFObject {
public:
    enum { eType = ePDFObjectBoolean };
    explicit PDFBoolean(bool inValue) : PDFObject(eType), mValue(inValue) {}
    bool GetValue() const { return mValue; }

private:
    bool mValue;
};
