#pragma once

#include "pdf/objects/PDFByteStringObject.h"

// The name without its slash, #xx escapes already replaced by their bytes.
class PDFName : public PDFByteStringObject<PDFObject::ePDFObjectName> {
public:
    using PDFByteStringObject::PDFByteStringObject;
};
