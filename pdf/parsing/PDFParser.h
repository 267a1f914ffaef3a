#pragma once
// Reads an existing PDF file: header, end-of-file marker, every cross-reference section (classic
// tables, cross-reference streams, hybrids, incremental updates with the newest listing winning),
// the trailer and the page list; then gives objects by id and readers of stream data. The source
// is borrowed and must outlive the parser; reading objects moves its position, so a stream data
// reader must be used up before another object is parsed. A failed ParseDocument leaves a partial
// state that only the destructor or another ParseDocument may follow. Sloppy files are read as
// other readers read them (bytes before the header, loose cross-reference rows, a stream Length
// that is missing or wrong, a page listed twice); nothing else is repaired: a damaged structure
// gives -1 after a trace-log line.

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/IByteReaderWithPosition.h"
#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/IReadPositionProvider.h"
#include "pdf/objects/RefCountPtr.h"
#include "pdf/parsing/InheritedPageEntry.h"
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
class InflateState;
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
    // Bytes that may stand before the "%PDF-" header.
    static constexpr size_t kMaxHeaderIndex = 1024;
    // The newest "startxref", or else the last "%%EOF", lies within this many bytes of the file's
    // end (its trailing whitespace aside); what follows the number after "startxref" is ignored.
    static constexpr size_t kMaxEndMarkerDistance = 1024;
    // How far the end of a stream whose Length is wrong is looked for, and how many bytes such
    // searches read in one file at most.
    static constexpr size_t kMaxEndstreamSearch = 64 * 1024 * 1024;
    static constexpr size_t kMaxEndstreamSearchTotal = 512 * 1024 * 1024;
    // Page-tree nodes entered at most; a subtree listed under several parents counts each time.
    static constexpr size_t kMaxPageTreeVisits = 4 * 1024 * 1024;
    // Parsed objects are kept by id, the most recently used, while together they hold no more than
    // this many objects (counting those inside arrays and dictionaries); one holding more than
    // kMaxCachedObjectSize is not kept. Objects are never changed once parsed, so all who ask for
    // an id share one: the fonts and resources of every page of a split are parsed once.
    static constexpr size_t kObjectCacheBudget = 256 * 1024;
    static constexpr size_t kMaxCachedObjectSize = 16 * 1024;

    PDFParser();
    virtual ~PDFParser();

    PDFParser(const PDFParser&) = delete;
    PDFParser& operator=(const PDFParser&) = delete;

    // Parses the file that inSourceStream holds, from its position (its first byte, usually);
    // other bytes may stand before the header. 0 or -1.
    OpStatus ParseDocument(IByteReaderWithPosition* inSourceStream);
    // Why the calling thread's last failed operation failed (a caller that parses a file of its
    // own begins the operation with DiagnosticLog::BeginOperation).
    static DiagnosticLog::FailureReason GetLastFailure() { return DiagnosticLog::LastFailure(); }
    // Releases everything read and forgets the source.
    void ResetParser();

    // Page-tree nodes kept by the readers of inherited page values, so that every copy made from
    // this parse reads each node once; emptied with the parse.
    InheritedPageEntry::NodeCache& GetPageTreeNodeCache() { return mPageTreeNodes; }

    // File structure.
    double GetPDFLevel() const { return mPDFLevel; }
    PDFDictionary* GetTrailer() const { return mTrailer.GetPtr(); } // borrowed
    uint32_t GetXrefSize() const { return mXrefTable.GetSize(); }
    // Never null: ids never listed (or at or beyond the size) give an entry of kind undefined.
    const XrefEntry* GetXrefEntry(uint32_t inObjectID) const { return &mXrefTable.Get(inObjectID); }
    // Whether the file has an object under the id; a reference to any other stands for null.
    bool HoldsObject(unsigned long long inObjectID) const;
    LongFilePositionType GetXrefPosition() const { return mLastXrefPosition; }
    // The source as the parser reads it: positions count from the header (see GetHeaderOffset).
    IByteReaderWithPosition* GetParserStream() const { return mStream; }
    // Where in the source the file's offsets count from: 0, or the position of a header that
    // other bytes precede.
    LongFilePositionType GetHeaderOffset() const { return mHeaderOffset; }
    void SetParserExtender(IPDFParserExtender* inParserExtender) { mParserExtender = inParserExtender; }
    IPDFParserExtender* GetParserExtender() const { return mParserExtender; }

    // Objects. Each returns a new reference or null. Objects read through ParseObjectByID may be
    // shared with other callers (see kObjectCacheBudget): they are not to be changed.
    PDFObject* ParseObjectByID(uint32_t inObjectID);
    // The value, with an indirect reference (one level) replaced by the object it names.
    PDFObject* ResolveDictionaryValue(PDFDictionary* inDictionary, const std::string& inKey);
    PDFObject* ResolveArrayElement(PDFArray* inArray, uint32_t inIndex);

    // The byte count of a stream's data in the file: its Length when "endstream" (or "endobj")
    // follows that many bytes; otherwise (Length missing, unreadable or wrong) the distance to the
    // first "endstream" within kMaxEndstreamSearch bytes, logged once per stream; -1 when neither
    // gives one. outAsDeclared tells whether the stream's Length says the same.
    long long GetStreamDataLength(PDFStreamInput* inStream, bool* outAsDeclared = nullptr);
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
    // The index of "%PDF-" in the first kMaxHeaderIndex bytes from the source's position, and the
    // version after it.
    OpStatus ParseHeaderLine(IByteReaderWithPosition* inSource, LongFilePositionType& outHeaderIndex, double& outLevel);
    // Everything after the header, with offsets counted from inOrigin of the source.
    OpStatus ParseStructure(IByteReaderWithPosition* inSourceStream, LongFilePositionType inOrigin, double inLevel);
    OpStatus ParseEOFLine();
    OpStatus ParseXrefPosition();
    OpStatus ParseFileDirectory();
    OpStatus ParseDirectory(LongFilePositionType inPosition, XrefTable& outTable, RefCountPtr<PDFDictionary>& outTrailer,
                            const char* inMethod);
    OpStatus ParseXref(XrefTable& ioTable, LongFilePositionType inPosition);
    // The rows of one subsection, from its first byte (read already) on.
    OpStatus ParseXrefRows(XrefTable& ioTable, long long inFirstID, long long inCount, Byte inFirstByte);
    OpStatus ParseXrefStreamSection(PDFObject* inObjectID, XrefTable& ioTable, RefCountPtr<PDFDictionary>& outTrailer,
                                    const char* inMethod);
    OpStatus ParseXrefFromXrefStream(XrefTable& ioTable, LongFilePositionType inPosition);
    OpStatus ParseXrefFromXrefStream(XrefTable& ioTable, PDFStreamInput* inXrefStream);
    OpStatus ReadXrefStreamSegment(XrefTable& ioTable, long long inFirstID, long long inCount, IByteReader* inReader,
                                   const int inWidths[3]);
    void SeekAndReset(LongFilePositionType inPosition);
    // Whether the stream's end keyword follows at the position (moves the source).
    bool StreamEndFollows(LongFilePositionType inPosition);
    // The position where the data of the stream at inStart ends before "endstream", or -1.
    long long FindEndstream(LongFilePositionType inStart);
    bool IsInsideFile(LongFilePositionType inPosition) const { return inPosition >= 0 && inPosition < mStreamSize; }

    // Backward reading of the file's end.
    bool StepBack();
    bool GoBackTillNonToken();
    void GoBackTillLineStart();
    LongFilePositionType GetCurrentPositionFromBackReader() const { return mBackBufferStart + mBackCursor; }

    // Objects.
    PDFObject* ReadObjectByID(uint32_t inObjectID);
    void KeepParsedObject(uint32_t inObjectID, PDFObject* inObject, size_t inSize);
    void ClearObjectCache();
    PDFObject* ParseExistingInDirectObject(uint32_t inObjectID, const XrefEntry& inEntry);
    PDFObject* ParseExistingInDirectStreamObject(uint32_t inObjectID, const XrefEntry& inEntry);
    ObjectStreamDataPtr GetObjectStream(uint32_t inStreamID, uint32_t inObjectID);
    ObjectStreamDataPtr LoadObjectStream(uint32_t inStreamID, uint32_t inObjectID);
    OpStatus ParseObjectStreamHeader(IByteReader* inReader, ObjectStreamData& ioData, long long inObjectsCount);
    // The header read straight from decoded data; false (nothing set) where the tokens must decide.
    static bool ReadPlainObjectStreamHeader(const Byte* inData, size_t inSize, long long inObjectsCount,
                                            ObjectStreamData& ioData);
    PDFObject* ParseFromObjectStream(ObjectStreamData& inData, uint32_t inObjectID, long long inTarget);
    // Takes the value's reference; a reference is replaced by the object it names.
    PDFObject* ResolveReference(PDFObject* inValue);
    PDFObject* ResolveKeepingPosition(PDFDictionary* inDictionary, const std::string& inKey);
    PDFObject* ResolveElementKeepingPosition(PDFArray* inArray, uint32_t inIndex);

    // Pages.
    OpStatus ParsePagesObjectIDs();
    OpStatus ParsePagesIDs(PDFDictionary* inPagesRoot, uint32_t inRootID, long long inDeclaredCount);

    // The source, or over it the view that starts at the header.
    IByteReaderWithPosition* mStream = nullptr;
    std::unique_ptr<IByteReaderWithPosition> mOffsetStream;
    LongFilePositionType mHeaderOffset = 0;
    LongFilePositionType mStreamSize = 0;
    AdapterIByteReaderWithPositionToIReadPositionProvider mCurrentPositionProvider;
    PDFObjectParser mObjectParser;
    IPDFParserExtender* mParserExtender = nullptr;

    double mPDFLevel = 0;
    LongFilePositionType mLastXrefPosition = 0;
    RefCountPtr<PDFDictionary> mTrailer;
    XrefTable mXrefTable;
    std::vector<uint32_t> mPagesObjectIDs;
    InheritedPageEntry::NodeCache mPageTreeNodes;

    // The data lengths of streams whose Length was wrong (-1: no end found), by data position.
    std::unordered_map<long long, long long> mFoundStreamLengths;
    // The data lengths of streams whose Length was checked and right, by data position.
    std::unordered_map<long long, long long> mCheckedStreamLengths;
    size_t mEndstreamSearchBytes = 0;

    // Backward reader: the buffer holds the bytes at [mBackBufferStart, mBackBufferStart + mBackBufferLength).
    static constexpr size_t kBackBufferSize = 1024;
    Byte mBackBuffer[kBackBufferSize];
    LongFilePositionType mBackBufferStart = 0;
    size_t mBackBufferLength = 0;
    size_t mBackCursor = 0;
    // Where the last "startxref" keyword among the file's last bytes begins; -1 when they hold none.
    LongFilePositionType mStartxrefKeyword = -1;

    // Decoded object streams, most recently used first, within a byte budget; and the streams
    // that failed to load (the file does not change, so they would fail again).
    std::list<ObjectStreamDataPtr> mObjectStreams;
    std::unordered_map<uint32_t, std::list<ObjectStreamDataPtr>::iterator> mObjectStreamsByID;
    size_t mObjectStreamBytes = 0;
    // The inflate state of the Flate streams read, made once and reset for each.
    std::shared_ptr<InflateState> mInflateState;
    // The objects of decoded object streams are read through one parser over one byte view, both
    // kept: the page walk reads thousands of them. Busy while it parses, so that a nested read
    // makes its own.
    InputByteArrayStream mObjectStreamView;
    PDFObjectParser mObjectStreamParser;
    bool mObjectStreamParserBusy = false;
    std::unordered_set<uint32_t> mFailedObjectStreams;
    // Object streams being loaded right now, innermost last: a cycle and depth guard.
    std::vector<uint32_t> mObjectStreamsInProgress;
    int mGuardTrips = 0;
    int mObjectReadDepth = 0;
    struct CachedObject {
        uint32_t id;
        RefCountPtr<PDFObject> object;
        size_t size;
    };
    std::list<CachedObject> mObjectCache;
    std::unordered_map<uint32_t, std::list<CachedObject>::iterator> mObjectCacheByID;
    size_t mObjectCacheSize = 0;
    // The objects built by the last object parse (see PDFObjectParser::GetObjectsBuilt).
    size_t mLastObjectSize = 0;
    // The keys that the object asked for keeps (not the objects read on the way); null for all.
    const PDFObjectParser::KeptKeys* mKeptKeys = nullptr;
};
