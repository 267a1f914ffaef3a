#pragma once
// Optional hooks into parsing, borrowed by the parser (null by default). Readers handed to
// CreateFilterForStream and CreateDefaultReadStream are owned by the result when a new reader is
// returned; handing back the given reader means "not supported" and ownership stays with the
// parser. Returning null means failure after the extender disposed of the given reader.

#include "pdf/io/IByteReader.h"

#include <string>

class PDFName;
class PDFDictionary;
class PDFObject;

class IPDFParserExtender {
public:
    virtual ~IPDFParserExtender() {}

    // A reader decoding inStream with the named filter; inStream itself when unsupported.
    virtual IByteReader* CreateFilterForStream(IByteReader* inStream, PDFName* inFilterName,
                                               PDFDictionary* inDecodeParams) = 0;
    // Whether a file with an Encrypt dictionary may be copied.
    virtual bool DoesSupportEncryption() = 0;
    // A layer put directly over every stream's raw data, under all filters.
    virtual IByteReader* CreateDefaultReadStream(IByteReader* inStream) = 0;
    // Applied to every literal string's bytes and every hex string's text.
    virtual std::string DecryptString(const std::string& inStringToDecrypt) = 0;
    // After an indirect object's declaration numbers were read, before its body.
    virtual void OnObjectStart(long long inObjectID, long long inGenerationNumber) = 0;
    // With the parsed body (borrowed).
    virtual void OnObjectEnd(PDFObject* inObject) = 0;
};
