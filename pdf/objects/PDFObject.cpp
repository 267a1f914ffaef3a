#include "pdf/objects/PDFObject.h"

const char* const PDFObject::TypeLabel[PDFObject::kTypeCount] = {
    "Boolean", "LiteralString", "HexString", "Null", "Name", "Integer",
    "Real", "Array", "Dictionary", "IndirectObjectReference", "Stream", "Symbol"};

const char* PDFObject::TypeLabelFor(int inType)
{
    return inType >= 0 && inType < kTypeCount ? TypeLabel[inType] : "Unknown";
}
