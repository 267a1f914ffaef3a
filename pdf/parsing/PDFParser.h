#pragma once
// Reads an existing PDF file: header, end-of-file marker, every cross-reference section (classic
// tables, cross-reference streams, hybrids, incremental updates with the newest listing winning),
// the trailer and the page list; then gives objects by id and readers of stream data. The source
// is borrowed and must outlive the parser; reading objects moves its position, so a stream data
// reader must be used up before another object is parsed. A failed ParseDocument leaves a partial
// state that only the destructor or another ParseDocument may follow. Nothing is repaired: a
// damaged structure gives -1 after a trace-log line.

#include "pdf/io/IByteReaderWithPosition.h"
#include "pdf/io/IReadPositionProvider.h"
#include "pdf/objects/RefCountPtr.h"
#include "pdf/parsing/PDFObjectParser.h"
#include "pdf/parsing/XrefEntry.h"
#include "pdf/parsing/XrefTable.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

class IPDFParserExtender;
class PDFArray;
class PDFDictionary;
class PDFName;
class PDFObject;
class PDFStreamInput;

struct ObjectStreamHeaderEntry {
    uint32_t mObjectNumber = 0;
    long long mObjectOffset = 0; // from the stream's First
};

class PDFParser {
public:
    PDFParser();
    virtual ~PDFParser();

    PDFParser(const PDFParser&) = delete;
    PDFParser& operator=(const PDFParser&) = delete;

    // Parses the file that inSourceStream holds, from its first byte. 0 or -1.
    OpStatus ParseDocument(IByteReaderWithPosition* inSourceStream);
    // Releases everything read and forgets the source.
    void ResetParser();

    // File structure.
    double GetPDFLevel() const { return mPDFLevel; }
    PDFDictionary* GetTrailer() const { return mTrailer.GetPtr(); } // borrowed
    uint32_t GetXrefSize() const { return mXrefTable.GetSize(); }
    // Never null: ids never listed (or at or beyond the size) give an entry of kind undefined.
    const XrefEntry* GetXrefEntry(uint32_t inObjectID) const { return &mXrefTable.Get(inObjectID); }
    LongFilePositionType GetXrefPosition() const { return mLastXrefPosition; }
    IByteReaderWithPosition* GetParserStream() const { return mStream; }
    void SetParserExtender(IPDFParserExtender* inParserExtender) { mParserExtender = inParserExtender; }
    IPDFParserExtender* GetParserExtender() const { return mParserExtender; }

    // Objects. Each returns a new reference or null.
    PDFObject* ParseObjectByID(uint32_t inObjectID);
    // The value, with an indirect reference (one level) replaced by the object it names.
    PDFObject* ResolveDictionaryValue(PDFDictionary* inDictionary, const std::string& inKey);
    PDFObject* ResolveArrayElement(PDFArray* inArray, uint32_t inIndex);

    // A reader of the stream's decoded data, owned by the caller, or null. The caller positions
    // the source at the stream's content start first; the reader reads from there.
    IByteReader* CreateInputStreamReader(PDFStreamInput* inStream);
    // Puts one decoding filter over inStream, which it takes over in every case (on failure it is
    // deleted and outReader is null).
    OpStatus CreateFilterForStream(IByteReader* inStream, PDFName* inFilterName, PDFDictionary* inDecodeParams,
                                   IByteReader*& outReader);

    // Pages.
    uint32_t GetPageCount() const { return static_cast<uint32_t>(mPagesObjectIDs.size()); }
    // 0 when the index is not below the page count.
    uint32_t GetPageObjectID(uint32_t inPageIndex) const;
    PDFDictionary* ParsePage(uint32_t inPageIndex);
    bool HasEncryptionDictionary();

private:
    struct ObjectStreamData;
    typedef std::shared_ptr<ObjectStreamData> ObjectStreamDataPtr;

    // File structure.
    OpStatus ParseHeaderLine();
    OpStatus ParseEOFLine();
    OpStatus ParseXrefPosition();
    OpStatus ParseFileDirectory();
    OpStatus ParseDirectory(LongFilePositionType inPosition, XrefTable& outTable, RefCountPtr<PDFDictionary>& outTrailer,
                            const char* inMethod);
    OpStatus ParseXref(XrefTable& ioTable, LongFilePositionType inPosition);
    OpStatus ParseXrefStreamSection(PDFObject* inObjectID, XrefTable& ioTable, RefCountPtr<PDFDictionary>& outTrailer,
                                    const char* inMethod);
    OpStatus ParseXrefFromXrefStream(XrefTable& ioTable, LongFilePositionType inPosition);
    OpStatus ParseXrefFromXrefStream(XrefTable& ioTable, PDFStreamInput* inXrefStream);
    OpStatus ReadXrefStreamSegment(XrefTable& ioTable, long long inFirstID, long long inCount, IByteReader* inReader,
                                   const int inWidths[3]);
    void SeekAndReset(LongFilePositionType inPosition);
    bool IsInsideFile(LongFilePositionType inPosition) const { return inPosition >= 0 && inPosition < mStreamSize; }

    // Backward reading of the file's end.
    bool StepBack();
    bool GoBackTillNonToken();
    void GoBackTillLineStart();
    LongFilePositionType GetCurrentPositionFromBackReader() const { return mBackBufferStart + mBackCursor; }

    // Objects.
    PDFObject* ParseExistingInDirectObject(uint32_t inObjectID, const XrefEntry& inEntry);
    PDFObject* ParseExistingInDirectStreamObject(uint32_t inObjectID, const XrefEntry& inEntry);
    ObjectStreamDataPtr GetObjectStream(uint32_t inStreamID, uint32_t inObjectID);
    ObjectStreamDataPtr LoadObjectStream(uint32_t inStreamID, uint32_t inObjectID);
    OpStatus ParseObjectStreamHeader(IByteReader* inReader, ObjectStreamData& ioData, long long inObjectsCount);
    PDFObject* ParseFromObjectStream(ObjectStreamData& inData, uint32_t inObjectID, long long inTarget);
    // Takes the value's reference; a reference is replaced by the object it names.
    PDFObject* ResolveReference(PDFObject* inValue);
    PDFObject* ResolveKeepingPosition(PDFDictionary* inDictionary, const std::string& inKey);
    PDFObject* ResolveElementKeepingPosition(PDFArray* inArray, uint32_t inIndex);

    // Pages.
    OpStatus ParsePagesObjectIDs();
    OpStatus ParsePagesIDs(PDFDictionary* inPagesRoot, uint32_t inRootID, long long inDeclaredCount);

    IByteReaderWithPosition* mStream = nullptr;
    LongFilePositionType mStreamSize = 0;
    AdapterIByteReaderWithPositionToIReadPositionProvider mCurrentPositionProvider;
    PDFObjectParser mObjectParser;
    IPDFParserExtender* mParserExtender = nullptr;

    double mPDFLevel = 0;
    LongFilePositionType mLastXrefPosition = 0;
    RefCountPtr<PDFDictionary> mTrailer;
    XrefTable mXrefTable;
    std::vector<uint32_t> mPagesObjectIDs;

    // Backward reader: the buffer holds the bytes at [mBackBufferStart, mBackBufferStart + mBackBufferLength).
    static constexpr size_t kBackBufferSize = 1024;
    Byte mBackBuffer[kBackBufferSize];
    LongFilePositionType mBackBufferStart = 0;
    size_t mBackBufferLength = 0;
    size_t mBackCursor = 0;

    // Decoded object streams, most recently used first, within a byte budget; and the streams
    // that failed to load (the file does not change, so they would fail again).
    std::list<ObjectStreamDataPtr> mObjectStreams;
    std::unordered_map<uint32_t, std::list<ObjectStreamDataPtr>::iterator> mObjectStreamsByID;
    size_t mObjectStreamBytes = 0;
    std::unordered_set<uint32_t> mFailedObjectStreams;
    // Object streams being loaded right now, innermost last: a cycle and depth guard.
    std::vector<uint32_t> mObjectStreamsInProgress;
    int mGuardTrips = 0;
    int mObjectReadDepth = 0;
};
