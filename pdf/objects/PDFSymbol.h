#pragma once

#include "pdf/objects/PDFByteStringObject.h"

// A bare keyword that is no other kind ("obj", "R", "trailer", a stray "]" ...).
class PDFSymbol : public PDFByteStringObject<PDFObject::ePDFObjectSymbol> {
public:
    using PDFByteStringObject::PDFByteStringObject;
};
