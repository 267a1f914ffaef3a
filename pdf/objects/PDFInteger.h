#pragma once

#include "pdf/objects/PDFObject.h"

class PDFInteger : public PDFObject {
public:
    enum { eType = ePDFObjectInteger };
    explicit PDFInteger(long long inValue) : PDFObject(eType), mValue(inValue) {}
    long long GetValue() const { return mValue; }

private:
    long long mValue;
};
