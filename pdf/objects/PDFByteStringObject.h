#pragma once

#include "pdf/objects/PDFObject.h"

#include <string>

// A value held as bytes: the base of the four string-like kinds.
template <int TypeCode>
class PDFByteStringObject : public PDFObject {
public:
    enum { eType = TypeCode };
    explicit PDFByteStringObject(const std::string& inValue) : PDFObject(TypeCode), mValue(inValue) {}
    const std::string& GetValue() const { return mValue; }

private:
    std::string mValue;
};
