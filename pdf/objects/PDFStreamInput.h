#pragma once
// A parsed stream: its dictionary and where its data starts in the parsed source.
// Reading the data goes through the parser, which knows the source and the filters.

#include "pdf/objects/PDFDictionary.h"

class PDFStreamInput : public PDFObject {
public:
    enum { eType = ePDFObjectStream };
    // Adds a reference to the dictionary.
    PDFStreamInput(PDFDictionary* inStreamDictionary, long long inStreamContentStart)
        : PDFObject(eType), mDictionary(inStreamDictionary), mStreamContentStart(inStreamContentStart)
    {
        mDictionary->AddRef();
    }
    ~PDFStreamInput() override { mDictionary->Release(); }

    // A new reference.
    PDFDictionary* QueryStreamDictionary() const
    {
        mDictionary->AddRef();
        return mDictionary;
    }
    long long GetStreamContentStart() const { return mStreamContentStart; }

private:
    PDFDictionary* mDictionary;
    long long mStreamContentStart;
};
