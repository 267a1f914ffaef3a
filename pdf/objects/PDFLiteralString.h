#pragma once

#include "pdf/objects/PDFByteStringObject.h"

// The string's bytes after escape processing, without the parentheses.
class PDFLiteralString : public PDFByteStringObject<PDFObject::ePDFObjectLiteralString> {
public:
    using PDFByteStringObject::PDFByteStringObject;
};
