#include "pdf/objects/PDFArray.h"

PDFArray::~PDFArray()
{
    for (PDFObject* value : mValues)
        value->Release();
}

void PDFArray::AppendObject(PDFObject* inObject)
{
    inObject->AddRef();
    mValues.push_back(inObject);
}

PDFObject* PDFArray::QueryObject(uint32_t inIndex) const
{
    if (inIndex >= mValues.size())
        return nullptr;
    PDFObject* value = mValues[inIndex];
    value->AddRef();
    return value;
}
