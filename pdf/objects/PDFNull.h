#pragma once

#include "pdf/objects/PDFObject.h"

class PDFNull : public PDFObject {
public:
    enum { eType = ePDFObjectNull };
    PDFNull() : PDFObject(eType) {}
};
