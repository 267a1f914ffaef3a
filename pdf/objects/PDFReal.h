#pragma once

#include "pdf/objects/PDFObject.h"

class PDFReal : public PDFObject {
public:
    enum { eType = ePDFObjectReal };
    explicit PDFReal(double inValue) : PDFObject(eType), mValue(inValue) {}
    double GetValue() const { return mValue; }

private:
    double mValue;
};
