#pragma once

#include "pdf/objects/PDFByteStringObject.h"

// The hexadecimal digits as they stood in the file, white space removed; not turned into bytes.
class PDFHexString : public PDFByteStringObject<PDFObject::ePDFObjectHexString> {
public:
    using PDFByteStringObject::PDFByteStringObject;
};
