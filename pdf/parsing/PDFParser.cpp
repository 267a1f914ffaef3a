#include "pdf/parsing/PDFParser.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputAscii85DecodeStream.h"
#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/InputDCTDecodeStream.h"
#include "pdf/io/InflateState.h"
#include "pdf/io/InputFlateDecodeStream.h"
#include "pdf/io/InputLimitedStream.h"
#include "pdf/io/InputOffsetStream.h"
#include "pdf/io/InputPredictorFactory.h"
#include "pdf/io/InputStreamSkipperStream.h"
#include "pdf/io/NumberText.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/IPDFParserExtender.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>
#include <unordered_set>

namespace {

// Incremental updates chained by Prev: more sections than this are taken for a damaged file.
const int kMaxSections = 4096;
// Object streams whose dictionary values live in further object streams, this deep at most.
const size_t kMaxObjectStreamDepth = 16;
// Nested object reads (an object stream's Length in another object stream, and so on).
const int kMaxObjectReadDepth = 64;
// Decoded object streams kept for reading their objects, in bytes altogether.
const size_t kObjectStreamBudget = 32 * 1024 * 1024;
// Filters stacked on one stream.
const uint32_t kMaxFilters = 16;
// Bytes of a classic cross-reference table read at a time.
const size_t kXrefBlockSize = 64 * 1024;

// Cross-reference stream fields wider than this are taken for damage; generations above 65535
// are none a file may hold.
const int kMaxXrefFieldWidth = 32;
const unsigned long long kMaxGeneration = 65535;
const unsigned long long kMaxFilePosition = static_cast<unsigned long long>(std::numeric_limits<long long>::max());

// A big-endian field of a cross-reference stream entry, moving the cursor past it. A field wider
// than 8 bytes is read when the bytes above the low 8 are zeros (some writers pad them); otherwise
// its value is beyond 64 bits and the largest one stands for it.
unsigned long long ReadXrefField(const Byte*& ioCursor, int inWidth)
{
    Byte high = 0;
    for (; inWidth > 8; --inWidth)
        high |= *ioCursor++;
    unsigned long long value = 0;
    for (; inWidth > 0; --inWidth)
        value = value << 8 | *ioCursor++;
    return high != 0 ? std::numeric_limits<unsigned long long>::max() : value;
}

size_t ReadFully(IByteReader* inReader, Byte* outBuffer, size_t inSize)
{
    size_t total = 0;
    while (total < inSize) {
        size_t got = inReader->Read(outBuffer + total, inSize - total);
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

bool IsDigit(Byte inByte)
{
    return inByte >= '0' && inByte <= '9';
}

// Whether the "startxref" at inAt among the file's last bytes is the keyword: a word of its own,
// after a line end, a blank or a delimiter (">>startxref"), before a blank or a comment, and not
// in a comment. The word in a comment or a string written after the marker, glued to another
// word, or among the binary bytes of an update cut off inside a stream ends nothing.
bool IsStartxrefKeyword(std::string_view inTail, size_t inAt)
{
    const size_t end = inAt + 9;
    if (end < inTail.size() && !PDFTokenReader::IsPDFWhitespace(static_cast<Byte>(inTail[end])) && inTail[end] != '%')
        return false;
    if (inAt > 0 && !PDFTokenReader::IsPDFWhitespace(static_cast<Byte>(inTail[inAt - 1])) &&
        !PDFTokenReader::IsPDFDelimiter(static_cast<Byte>(inTail[inAt - 1])))
        return false;
    for (size_t i = inAt; i > 0 && inTail[i - 1] != '\r' && inTail[i - 1] != '\n'; --i) {
        if (inTail[i - 1] == '%')
            return false;
    }
    return true;
}

bool IsSymbol(PDFObject* inObject, const char* inText)
{
    return inObject && inObject->GetType() == PDFObject::ePDFObjectSymbol &&
           static_cast<PDFSymbol*>(inObject)->GetValue() == inText;
}

bool IsInteger(PDFObject* inObject)
{
    return inObject && inObject->GetType() == PDFObject::ePDFObjectInteger;
}

long long IntegerValue(PDFObject* inObject)
{
    return static_cast<PDFInteger*>(inObject)->GetValue();
}

// Restores a stream position when it goes, for reads that must not disturb a reader in use.
class PositionKeeper {
public:
    explicit PositionKeeper(IByteReaderWithPosition* inStream) : mStream(inStream), mPosition(inStream->TellPosition()) {}
    ~PositionKeeper() { mStream->SeekFromStart(mPosition); }

private:
    IByteReaderWithPosition* mStream;
    LongFilePositionType mPosition;
};

// The decoded data of a stream read whole, in memory of the C allocator: growing and trimming
// it then keep its place wherever the heap allows, without copying.
struct DecodedData {
    struct Free {
        void operator()(Byte* inBytes) const { free(inBytes); }
    };
    std::unique_ptr<Byte, Free> bytes;
    size_t size = 0;
    size_t capacity = 0;

    void Clear()
    {
        bytes.reset();
        size = capacity = 0;
    }
    bool Resize(size_t inCapacity)
    {
        Byte* resized = static_cast<Byte*>(realloc(bytes.get(), std::max<size_t>(inCapacity, 1)));
        if (!resized)
            return false;
        bytes.release();
        bytes.reset(resized);
        capacity = inCapacity;
        return true;
    }
};

// Deflate makes at most about 1032 bytes of one, so a stream whose data takes n bytes in the file
// holds no more than that, through one Flate layer, whatever it declares.
const long long kMaxInflateRatio = 1032;
// Decoded object streams hold this many times their size in the file, about; the room first
// reserved for one with no declared decoded length.
const long long kExpectedObjectStreamRatio = 8;
const size_t kMinDecodeRoom = 4096;

// Reads inReader to its end into outData: first inRoom bytes of room, doubled whenever they fill,
// never more than inLimit + 1 bytes, so that a size above inLimit tells a larger stream. The room
// left over is given back. False when memory ran out.
bool ReadWhole(IByteReader* inReader, size_t inRoom, size_t inLimit, DecodedData& outData)
{
    outData.Clear();
    if (!outData.Resize(std::min(inRoom, inLimit + 1)))
        return false;
    while (inReader->HasMoreBytes()) {
        if (outData.size == outData.capacity) {
            if (outData.capacity > inLimit)
                break;
            if (!outData.Resize(outData.capacity > (inLimit + 1) / 2 ? inLimit + 1 : std::max<size_t>(outData.capacity * 2, 1)))
                return false;
        }
        size_t got = inReader->Read(outData.bytes.get() + outData.size, outData.capacity - outData.size);
        if (got == 0)
            break;
        outData.size += got;
    }
    return outData.size == outData.capacity || outData.Resize(outData.size);
}

// Pops the innermost object stream being loaded when it goes.
class InProgressGuard {
public:
    InProgressGuard(std::vector<uint32_t>& ioStack, uint32_t inID) : mStack(ioStack) { mStack.push_back(inID); }
    ~InProgressGuard() { mStack.pop_back(); }

private:
    std::vector<uint32_t>& mStack;
};

} // namespace

struct PDFParser::ObjectStreamData {
    uint32_t mStreamID = 0;
    long long mFirst = 0;
    long long mHeaderEnd = 0;
    std::vector<ObjectStreamHeaderEntry> mHeader;
    // The decoded data, unless it was larger than the budget; then it is decoded again for each
    // object read from it, through the kept stream.
    bool mInMemory = false;
    DecodedData mData;
    RefCountPtr<PDFStreamInput> mStream;

    size_t CostInBytes() const
    {
        return sizeof(*this) + mData.capacity + mHeader.size() * sizeof(ObjectStreamHeaderEntry);
    }
};

PDFParser::PDFParser()
{
    mObjectStreamParser.SetReadStream(&mObjectStreamView, nullptr, true);
}

PDFParser::~PDFParser()
{
    ResetParser();
}

void PDFParser::ResetParser()
{
    mStream = nullptr;
    mOffsetStream.reset();
    mHeaderOffset = 0;
    mStreamSize = 0;
    mCurrentPositionProvider.Assign(nullptr);
    mObjectParser.SetReadStream(nullptr, nullptr);
    mPDFLevel = 0;
    mLastXrefPosition = 0;
    mTrailer = nullptr;
    mXrefTable.Reset();
    mPagesObjectIDs.clear();
    mPagesObjectIDs.shrink_to_fit();
    mPageTreeNodes.clear();
    mObjectStreams.clear();
    mObjectStreamsByID.clear();
    mObjectStreamBytes = 0;
    mFailedObjectStreams.clear();
    mObjectStreamsInProgress.clear();
    mGuardTrips = 0;
    mObjectReadDepth = 0;
    mBackBufferStart = 0;
    mBackBufferLength = 0;
    mBackCursor = 0;
    mStartxrefKeyword = -1;
    mFoundStreamLengths.clear();
    mCheckedStreamLengths.clear();
    mEndstreamSearchBytes = 0;
    ClearObjectCache();
}

OpStatus PDFParser::ParseDocument(IByteReaderWithPosition* inSourceStream)
{
    ResetParser();
    if (!inSourceStream) {
        TraceMessage("PDFParser::ParseDocument, no source stream to parse");
        return eFailure;
    }
    LongFilePositionType start = inSourceStream->TellPosition();
    LongFilePositionType headerIndex = 0;
    double level = 0;
    if (ParseHeaderLine(inSourceStream, headerIndex, level) != eSuccess)
        return eFailure;
    if (start + headerIndex == 0)
        return ParseStructure(inSourceStream, 0, level);

    // Bytes before the header (print job commands, a mail header): offsets count from the
    // header, as readers take them. A writer that put the bytes there itself may have counted
    // from the first byte of the file instead, so that is tried when the first way fails.
    if (ParseStructure(inSourceStream, start + headerIndex, level) == eSuccess)
        return eSuccess;
    TraceNote("PDFParser::ParseDocument, offsets counted from the header at %lld do not lead to the file's "
              "structure; counting them from the first byte",
              static_cast<long long>(start + headerIndex));
    return ParseStructure(inSourceStream, 0, level);
}

OpStatus PDFParser::ParseStructure(IByteReaderWithPosition* inSourceStream, LongFilePositionType inOrigin,
                                   double inLevel)
{
    ResetParser();
    mPDFLevel = inLevel;
    if (inOrigin != 0) {
        mOffsetStream = std::make_unique<InputOffsetStream>(inSourceStream, inOrigin);
        mStream = mOffsetStream.get();
    } else {
        mStream = inSourceStream;
    }
    mHeaderOffset = inOrigin;
    mCurrentPositionProvider.Assign(mStream);
    mObjectParser.SetReadStream(mStream, &mCurrentPositionProvider);
    mStream->SeekFromEnd(0);
    mStreamSize = mStream->TellPosition();
    mStream->SeekFromStart(0);

    if (ParseEOFLine() != eSuccess || ParseXrefPosition() != eSuccess || ParseFileDirectory() != eSuccess)
        return eFailure;

    // An encrypted file is parsed but offers no pages.
    // Objects read while the sections were merged may have been read from an older listing.
    ClearObjectCache();
    mCheckedStreamLengths.clear();
    if (HasEncryptionDictionary()) {
        mPagesObjectIDs.clear();
        return eSuccess;
    }
    return ParsePagesObjectIDs();
}

void PDFParser::SeekAndReset(LongFilePositionType inPosition)
{
    mStream->SeekFromStart(inPosition);
    mObjectParser.ResetReadState();
}

OpStatus PDFParser::ParseHeaderLine(IByteReaderWithPosition* inSource, LongFilePositionType& outHeaderIndex,
                                    double& outLevel)
{
    // The header may follow other bytes, within the first kMaxHeaderIndex bytes of the file.
    Byte buffer[kMaxHeaderIndex + 32];
    size_t got = ReadFully(inSource, buffer, sizeof(buffer));
    static const char scHeader[] = "%PDF-";
    size_t index = 0;
    for (; index < kMaxHeaderIndex && index + 5 <= got; ++index) {
        if (memcmp(buffer + index, scHeader, 5) == 0)
            break;
    }
    if (index >= kMaxHeaderIndex || index + 5 > got) {
        size_t first = 0;
        while (first < got && PDFTokenReader::IsPDFWhitespace(buffer[first]))
            ++first;
        if (first == got) {
            TraceMessage("PDFParser::ParseHeaderLine, no tokens in PDF input. in other words - it's empty.");
            return eFailure;
        }
        size_t end = first;
        while (end < got && buffer[end] != '\r' && buffer[end] != '\n')
            ++end;
        // The reason may be shown to the user: a few escaped bytes of the line, not the line.
        const std::string line =
            TraceExcerpt(std::string_view(reinterpret_cast<const char*>(buffer + first), end - first));
        TraceMessage("PDFParser::ParseHeaderLine, file does not begin as a PDF file. a PDF file should start with "
                     "\"%%PDF-\". file header = %s",
                     line.c_str());
        return eFailure;
    }
    size_t end = index + 5;
    while (end < got && ((buffer[end] >= '0' && buffer[end] <= '9') || buffer[end] == '.'))
        ++end;
    outLevel = PDFObjectParser::StringToDouble(
        std::string(reinterpret_cast<const char*>(buffer + index + 5), end - index - 5));
    outHeaderIndex = static_cast<LongFilePositionType>(index);
    return eSuccess;
}

bool PDFParser::StepBack()
{
    if (mBackCursor > 0) {
        --mBackCursor;
        return true;
    }
    if (mBackBufferStart <= 0)
        return false;
    // Refill with the bytes just before those already read; at the file's start the search ends.
    size_t chunk = mBackBufferStart < static_cast<LongFilePositionType>(kBackBufferSize)
                       ? static_cast<size_t>(mBackBufferStart)
                       : kBackBufferSize;
    LongFilePositionType newStart = mBackBufferStart - static_cast<LongFilePositionType>(chunk);
    mStream->SeekFromStart(newStart);
    if (ReadFully(mStream, mBackBuffer, chunk) != chunk)
        return false;
    mBackBufferStart = newStart;
    mBackBufferLength = chunk;
    mBackCursor = chunk - 1;
    return true;
}

bool PDFParser::GoBackTillNonToken()
{
    for (;;) {
        if (!StepBack())
            return false;
        if (!PDFTokenReader::IsPDFWhitespace(mBackBuffer[mBackCursor]))
            return true;
    }
}

void PDFParser::GoBackTillLineStart()
{
    while (mBackBuffer[mBackCursor] != '\r' && mBackBuffer[mBackCursor] != '\n') {
        if (!StepBack())
            return;
    }
}

OpStatus PDFParser::ParseEOFLine()
{
    mBackBufferStart = mStreamSize;
    mBackBufferLength = 0;
    mBackCursor = 0;

    if (!GoBackTillNonToken()) {
        TraceMessage("PDFParser::ParseEOFLine, Couldn't find tokens in file");
        return eFailure;
    }
    // The file's last bytes are searched as readers search them. Trailing whitespace, however
    // long, does not count: the bytes searched end at the last other byte.
    LongFilePositionType end = GetCurrentPositionFromBackReader() + 1;
    static_assert(kMaxEndMarkerDistance <= kBackBufferSize, "the searched bytes fill the backward reader");
    const LongFilePositionType distance = static_cast<LongFilePositionType>(kMaxEndMarkerDistance);
    LongFilePositionType start = end > distance ? end - distance : 0;
    size_t length = static_cast<size_t>(end - start);
    mStream->SeekFromStart(start);
    if (ReadFully(mStream, mBackBuffer, length) != length) {
        TraceMessage("PDFParser::ParseEOFLine, failed to read the %zu bytes at the end of the file", length);
        return eFailure;
    }
    mBackBufferStart = start;
    mBackBufferLength = length;
    const std::string_view tail(reinterpret_cast<const char*>(mBackBuffer), length);
    // The last "startxref" keyword there is the newest section's, whether or not a "%%EOF" follows it: an
    // update may end without a marker of its own, the older revision's then being the last one.
    size_t keyword = tail.rfind("startxref");
    while (keyword != std::string_view::npos && !IsStartxrefKeyword(tail, keyword))
        keyword = keyword == 0 ? std::string_view::npos : tail.rfind("startxref", keyword - 1);
    if (keyword != std::string_view::npos) {
        mStartxrefKeyword = start + static_cast<LongFilePositionType>(keyword);
        return eSuccess;
    }
    // Otherwise it is read back from the last "%%EOF", which other bytes may follow: a file
    // written into a larger block ends in zeros with stray bytes among them.
    size_t marker = tail.rfind("%%EOF");
    if (marker == std::string_view::npos) {
        TraceMessage("PDFParser::ParseEOFLine, failure, no startxref or %%%%EOF among the file's last %zu bytes "
                     "(trailing whitespace aside)",
                     kMaxEndMarkerDistance);
        return eFailure;
    }
    mBackCursor = marker;
    return eSuccess;
}

OpStatus PDFParser::ParseXrefPosition()
{
    RefCountPtr<PDFObject> anObject;
    if (mStartxrefKeyword >= 0) {
        // The newest keyword is read or the file refused: an older one never stands in for it.
        SeekAndReset(mStartxrefKeyword);
        anObject = mObjectParser.ParseNextObject();
    } else {
        if (!GoBackTillNonToken()) {
            TraceMessage("PDFParser::ParseXrefPosition, couldn't find xref position token");
            return eFailure;
        }
        GoBackTillLineStart();
        SeekAndReset(GetCurrentPositionFromBackReader());
        anObject = mObjectParser.ParseNextObject();
        if (IsInteger(anObject.GetPtr())) {
            // The number alone on the last line: "startxref" must begin the line before.
            mLastXrefPosition = IntegerValue(anObject.GetPtr());
            if (!GoBackTillNonToken()) {
                TraceMessage("PDFParser::ParseXrefPosition, couldn't find startxref keyword");
                return eFailure;
            }
            GoBackTillLineStart();
            SeekAndReset(GetCurrentPositionFromBackReader());
            RefCountPtr<PDFObject> keyword(mObjectParser.ParseNextObject());
            if (!IsSymbol(keyword.GetPtr(), "startxref")) {
                TraceMessage("PDFParser::ParseXrefPosition, syntax error in reading xref position");
                return eFailure;
            }
            return eSuccess;
        }
    }

    // Otherwise read forward to the keyword; the number follows it.
    while (!IsSymbol(anObject.GetPtr(), "startxref")) {
        LongFilePositionType before = mStream->TellPosition();
        anObject = mObjectParser.ParseNextObject();
        if (!anObject && (!mStream->HasMoreBytes() || mStream->TellPosition() == before)) {
            TraceMessage("PDFParser::ParseXrefPosition, could not find startxref keyword");
            return eFailure;
        }
    }
    RefCountPtr<PDFObject> position(mObjectParser.ParseNextObject());
    if (!IsInteger(position.GetPtr())) {
        TraceMessage("PDFParser::ParseXrefPosition, syntax error in reading xref position");
        return eFailure;
    }
    mLastXrefPosition = IntegerValue(position.GetPtr());
    return eSuccess;
}

OpStatus PDFParser::ParseFileDirectory()
{
    if (!IsInsideFile(mLastXrefPosition)) {
        TraceMessage("PDFParser::ParseFileDirectory, cross-reference position %lld lies outside the file of %lld bytes",
                     mLastXrefPosition, mStreamSize);
        return eFailure;
    }

    // Sections are read newest first; each id keeps the entry of the newest section that lists it.
    XrefTable newest;
    RefCountPtr<PDFDictionary> trailer;
    if (ParseDirectory(mLastXrefPosition, newest, trailer, "PDFParser::ParseFileDirectory") != eSuccess)
        return eFailure;
    mTrailer = trailer;
    mXrefTable = std::move(newest);

    RefCountPtr<PDFObject> size(mTrailer->QueryDirectObject("Size"));
    if (!IsInteger(size.GetPtr())) {
        TraceMessage("PDFParser::DetermineXrefSize, the trailer has no direct integer Size");
        return eFailure;
    }
    long long declaredSize = IntegerValue(size.GetPtr());
    if (declaredSize < 0 || declaredSize > static_cast<long long>(XrefTable::kMaxSize)) {
        TraceMessage("PDFParser::DetermineXrefSize, Size %lld is out of range (0 to %u)", declaredSize, XrefTable::kMaxSize);
        return eFailure;
    }
    mXrefTable.EnsureSize(static_cast<uint32_t>(declaredSize));

    std::unordered_set<LongFilePositionType> visited;
    visited.insert(mLastXrefPosition);
    int sections = 1;
    for (;;) {
        RefCountPtr<PDFObject> prev(trailer->QueryDirectObject("Prev"));
        if (!prev)
            break;
        if (!IsInteger(prev.GetPtr())) {
            TraceMessage("PDFParser::ParsePreviousXrefs, unexpected, prev is not integer");
            return eFailure;
        }
        LongFilePositionType position = IntegerValue(prev.GetPtr());
        // Some writers put 0 for "none": no section begins where the header stands.
        if (position == 0)
            break;
        if (!IsInsideFile(position)) {
            TraceMessage("PDFParser::ParsePreviousXrefs, previous section position %lld lies outside the file", position);
            return eFailure;
        }
        if (!visited.insert(position).second) {
            TraceMessage("PDFParser::ParsePreviousXrefs, Prev chain returns to the section at %lld", position);
            return eFailure;
        }
        if (++sections > kMaxSections) {
            TraceMessage("PDFParser::ParsePreviousXrefs, more than %d cross-reference sections", kMaxSections);
            return eFailure;
        }
        XrefTable section;
        RefCountPtr<PDFDictionary> sectionTrailer;
        if (ParseDirectory(position, section, sectionTrailer, "PDFParser::ParseDirectory") != eSuccess)
            return eFailure;
        mXrefTable.FillUndefinedFrom(section);
        trailer = sectionTrailer;
    }
    return eSuccess;
}

OpStatus PDFParser::ParseDirectory(LongFilePositionType inPosition, XrefTable& outTable,
                                   RefCountPtr<PDFDictionary>& outTrailer, const char* inMethod)
{
    bool newest = inPosition == mLastXrefPosition && !mTrailer;
    SeekAndReset(inPosition);
    RefCountPtr<PDFObject> first(mObjectParser.ParseNextObject());

    if (IsSymbol(first.GetPtr(), "xref")) {
        if (ParseXref(outTable, inPosition) != eSuccess) {
            if (!newest)
                TraceMessage("PDFParser::ParseDirectory, failed to parse xref table in %lld", inPosition);
            return eFailure;
        }
        // The table reader stopped right after "trailer".
        mObjectParser.ResetReadState();
        PDFObjectCastPtr<PDFDictionary> trailer(mObjectParser.ParseNextObject());
        if (!trailer) {
            TraceMessage(newest ? "PDFParser::ParseTrailerDictionary, failure to parse trailer dictionary"
                                : "PDFParser::ParseDirectory, failure to parse trailer dictionary");
            return eFailure;
        }
        outTrailer = trailer;
        RefCountPtr<PDFObject> xrefStreamPosition(outTrailer->QueryDirectObject("XRefStm"));
        if (IsInteger(xrefStreamPosition.GetPtr()) &&
            ParseXrefFromXrefStream(outTable, IntegerValue(xrefStreamPosition.GetPtr())) != eSuccess) {
            TraceMessage("PDFParser::ParseDirectory, failure to parse xref in hybrid mode");
            return eFailure;
        }
        return eSuccess;
    }

    if (IsInteger(first.GetPtr()) && IntegerValue(first.GetPtr()) > 0)
        return ParseXrefStreamSection(first.GetPtr(), outTable, outTrailer,
                                      newest ? "PDFParser::BuildXrefTableAndTrailerFromXrefStream" : "PDFParser::ParseDirectory");

    TraceMessage("%s,Unexpected object at xref start", inMethod);
    return eFailure;
}

OpStatus PDFParser::ParseXref(XrefTable& ioTable, LongFilePositionType inPosition)
{
    SeekAndReset(inPosition);
    PDFTokenReader tokenizer;
    tokenizer.SetReadStream(mStream);

    BoolAndString token = tokenizer.ReadNextToken();
    if (!token.first || token.second != "xref") {
        TraceMessage("PDFParser::ParseXref, error in parsing xref, expected to find \"xref\" keyword, found = %s",
                     TraceExcerpt(token.second).c_str());
        return eFailure;
    }

    for (;;) {
        token = tokenizer.ReadNextToken();
        if (!token.first) {
            TraceMessage("PDFParser::ParseXref, failed to read tokens, while reading xref");
            return eFailure;
        }
        if (token.second == "trailer") {
            // A delimiter may follow the keyword directly ("trailer<<"): the byte the tokenizer
            // read to end the keyword belongs to the dictionary, which the object parser reads
            // from the source.
            if (tokenizer.HasPutBackByte())
                mStream->SeekFromStart(mStream->TellPosition() - 1);
            return eSuccess;
        }

        long long firstID = -1;
        if (!PDFObjectParser::IsInteger(token.second) || !NumberText::ParseLongLong(token.second, firstID) || firstID < 0) {
            TraceMessage("PDFParser::ParseXref, malformed subsection start, found = %s",
                         TraceExcerpt(token.second).c_str());
            return eFailure;
        }
        token = tokenizer.ReadNextToken();
        if (!token.first) {
            TraceMessage("PDFParser::ParseXref, unable to read section size, while reading xref");
            return eFailure;
        }
        long long count = -1;
        if (!PDFObjectParser::IsInteger(token.second) || !NumberText::ParseLongLong(token.second, count) || count < 0) {
            TraceMessage("PDFParser::ParseXref, malformed subsection size, found = %s",
                         TraceExcerpt(token.second).c_str());
            return eFailure;
        }
        if (firstID > static_cast<long long>(XrefTable::kMaxSize) || count > static_cast<long long>(XrefTable::kMaxSize) - firstID) {
            TraceMessage("PDFParser::ParseXref, subsection %lld %lld reaches beyond %u objects", firstID, count, XrefTable::kMaxSize);
            return eFailure;
        }
        if (count == 0)
            continue;
        // A row takes at least 5 bytes of the file ("0 0 n").
        if (count > (mStreamSize - mStream->TellPosition()) / 5 + 1) {
            TraceMessage("PDFParser::ParseXref, subsection %lld %lld lists more entries than the file holds", firstID, count);
            return eFailure;
        }
        Byte first = 0;
        do {
            if (tokenizer.GetNextByteForToken(first) != 0) {
                TraceMessage("PDFParser::ParseXref, failed to read xref entry");
                return eFailure;
            }
        } while (PDFTokenReader::IsPDFWhitespace(first));
        if (ParseXrefRows(ioTable, firstID, count, first) != eSuccess)
            return eFailure;
        tokenizer.ResetReadState();
    }
}

OpStatus PDFParser::ParseXrefRows(XrefTable& ioTable, long long inFirstID, long long inCount, Byte inFirstByte)
{
    // Rows are meant to be "oooooooooo ggggg n" and a two-byte line end, but writers also end
    // them with a lone CR or LF (19-byte rows) or space their fields otherwise: a row is read by
    // its fields, whatever its line end. The bytes are read in blocks; afterwards the source is
    // placed right after the last row.
    std::vector<Byte> block(1, inFirstByte);
    size_t cursor = 0;
    long long rowsLeft = inCount;
    auto next = [&](Byte& outByte) -> bool {
        if (cursor == block.size()) {
            // Enough for the rows left as they are usually written, and a little more.
            size_t want = rowsLeft < static_cast<long long>(kXrefBlockSize / 20) ? static_cast<size_t>(rowsLeft) * 20 + 32
                                                                                : kXrefBlockSize;
            block.resize(want);
            block.resize(ReadFully(mStream, block.data(), want));
            cursor = 0;
            if (block.empty())
                return false;
        }
        outByte = block[cursor++];
        return true;
    };
    auto readNumber = [&](Byte& ioByte, int inMaxDigits, long long& outValue) -> bool {
        outValue = 0;
        int digits = 0;
        while (IsDigit(ioByte)) {
            if (++digits > inMaxDigits)
                return false;
            outValue = outValue * 10 + (ioByte - '0');
            if (!next(ioByte))
                return false;
        }
        return digits > 0;
    };
    auto skipSpaces = [&](Byte& ioByte) -> bool {
        if (ioByte != ' ')
            return false;
        while (ioByte == ' ') {
            if (!next(ioByte))
                return false;
        }
        return true;
    };

    Byte byte = 0;
    bool haveByte = next(byte);
    for (long long i = 0; i < inCount; ++i) {
        if (!haveByte) {
            TraceMessage("PDFParser::ParseXref, failed to read xref entry");
            return eFailure;
        }
        XrefEntry entry;
        long long generation = 0;
        bool wellFormed = readNumber(byte, 10, entry.mObjectPosition) && skipSpaces(byte) &&
                          readNumber(byte, 5, generation) && skipSpaces(byte) && (byte == 'n' || byte == 'f');
        if (!wellFormed) {
            TraceMessage("PDFParser::ParseXref, malformed cross-reference entry for object %lld", inFirstID + i);
            return eFailure;
        }
        entry.mGeneration = static_cast<uint32_t>(generation);
        entry.mType = byte == 'n' ? eXrefEntryExisting : eXrefEntryDelete;
        ioTable.Set(static_cast<uint32_t>(inFirstID + i), entry);
        --rowsLeft;
        // The line end, whatever it is; the next row or subsection starts at the next other byte.
        do
            haveByte = next(byte);
        while (haveByte && PDFTokenReader::IsPDFWhitespace(byte));
    }
    LongFilePositionType unread = static_cast<LongFilePositionType>(block.size() - cursor) + (haveByte ? 1 : 0);
    mStream->SeekFromStart(mStream->TellPosition() - unread);
    return eSuccess;
}

OpStatus PDFParser::ParseXrefStreamSection(PDFObject* inObjectID, XrefTable& ioTable, RefCountPtr<PDFDictionary>& outTrailer,
                                           const char* inMethod)
{
    RefCountPtr<PDFObject> generation(mObjectParser.ParseNextObject());
    if (!IsInteger(generation.GetPtr())) {
        TraceMessage("%s, failed to read xref object declaration, Version", inMethod);
        return eFailure;
    }
    if (mParserExtender)
        mParserExtender->OnObjectStart(IntegerValue(inObjectID), IntegerValue(generation.GetPtr()));
    RefCountPtr<PDFObject> keyword(mObjectParser.ParseNextObject());
    if (!keyword || keyword->GetType() != PDFObject::ePDFObjectSymbol) {
        TraceMessage("%s, failed to read xref object declaration, obj keyword", inMethod);
        return eFailure;
    }
    if (!IsSymbol(keyword.GetPtr(), "obj")) {
        TraceMessage("%s, failed to read xref object declaration, expected obj keyword found %s", inMethod,
                     TraceExcerpt(static_cast<PDFSymbol*>(keyword.GetPtr())->GetValue()).c_str());
        return eFailure;
    }
    // Strings of a cross-reference stream's dictionary are never encrypted: no extender here.
    PDFObjectCastPtr<PDFStreamInput> stream(mObjectParser.ParseNextObject());
    if (!stream) {
        TraceMessage("PDFParser::BuildXrefTableAndTrailerFromXrefStream, failure to parse xref stream");
        return eFailure;
    }
    if (mParserExtender)
        mParserExtender->OnObjectEnd(stream.GetPtr());
    outTrailer = stream->QueryStreamDictionary();
    return ParseXrefFromXrefStream(ioTable, stream.GetPtr());
}

OpStatus PDFParser::ParseXrefFromXrefStream(XrefTable& ioTable, LongFilePositionType inPosition)
{
    if (!IsInsideFile(inPosition)) {
        TraceMessage("PDFParser::ParseXrefFromXrefStream, expecting object number for xref stream at %lld", inPosition);
        return eFailure;
    }
    SeekAndReset(inPosition);
    RefCountPtr<PDFObject> objectID(mObjectParser.ParseNextObject());
    if (!IsInteger(objectID.GetPtr()) || IntegerValue(objectID.GetPtr()) <= 0) {
        TraceMessage("PDFParser::ParseXrefFromXrefStream, expecting object number for xref stream at %lld", inPosition);
        return eFailure;
    }
    RefCountPtr<PDFDictionary> ignoredTrailer;
    return ParseXrefStreamSection(objectID.GetPtr(), ioTable, ignoredTrailer, "PDFParser::ParseXrefFromXrefStream");
}

OpStatus PDFParser::ParseXrefFromXrefStream(XrefTable& ioTable, PDFStreamInput* inXrefStream)
{
    RefCountPtr<PDFDictionary> dictionary(inXrefStream->QueryStreamDictionary());

    PDFObjectCastPtr<PDFArray> widthsArray(ResolveDictionaryValue(dictionary.GetPtr(), "W"));
    if (!widthsArray) {
        TraceMessage("PDFParser::ParseXrefFromXrefStream, W array not available. failing");
        return eFailure;
    }
    for (uint32_t i = 0; i < widthsArray->GetLength(); ++i) {
        RefCountPtr<PDFObject> width(widthsArray->QueryObject(i));
        if (!IsInteger(width.GetPtr())) {
            TraceMessage("PDFParser::ParseXrefFromXrefStream, wrong items in width array (supposed to have only integers)");
            return eFailure;
        }
    }
    if (widthsArray->GetLength() != 3) {
        TraceMessage("PDFParser::ReadXrefStreamSegment, can handle only 3 length entries");
        return eFailure;
    }
    int widths[3];
    for (uint32_t i = 0; i < 3; ++i) {
        RefCountPtr<PDFObject> width(widthsArray->QueryObject(i));
        long long value = IntegerValue(width.GetPtr());
        if (value < 0 || value > kMaxXrefFieldWidth) {
            TraceMessage("PDFParser::ParseXrefFromXrefStream, field width %lld is out of range", value);
            return eFailure;
        }
        widths[i] = static_cast<int>(value);
    }
    if (widths[0] + widths[1] + widths[2] == 0) {
        TraceMessage("PDFParser::ParseXrefFromXrefStream, all field widths are 0");
        return eFailure;
    }

    std::vector<std::pair<long long, long long>> segments;
    PDFObjectCastPtr<PDFArray> index(ResolveDictionaryValue(dictionary.GetPtr(), "Index"));
    if (index) {
        for (uint32_t i = 0; i < index->GetLength(); i += 2) {
            RefCountPtr<PDFObject> firstID(index->QueryObject(i));
            RefCountPtr<PDFObject> count(index->QueryObject(i + 1));
            if (!IsInteger(firstID.GetPtr()) || (count && !IsInteger(count.GetPtr()))) {
                TraceMessage("PDFParser::ParseXrefFromXrefStream, found non integer value in Index array of xref stream");
                return eFailure;
            }
            if (!count) {
                TraceMessage("PDFParser::ParseXrefFromXrefStream,Index array of xref stream should have an even number of values");
                return eFailure;
            }
            long long first = IntegerValue(firstID.GetPtr());
            long long entries = IntegerValue(count.GetPtr());
            if (first < 0 || entries < 0 || first > static_cast<long long>(XrefTable::kMaxSize) ||
                entries > static_cast<long long>(XrefTable::kMaxSize) - first) {
                TraceMessage("PDFParser::ParseXrefFromXrefStream, Index pair %lld %lld is out of range", first, entries);
                return eFailure;
            }
            segments.emplace_back(first, entries);
        }
    } else {
        PDFObjectCastPtr<PDFInteger> size(ResolveDictionaryValue(dictionary.GetPtr(), "Size"));
        if (!size) {
            TraceMessage("PDFParser::ParseXrefFromXrefStream, xref size does not exist for this stream");
            return eFailure;
        }
        if (size->GetValue() < 0 || size->GetValue() > static_cast<long long>(XrefTable::kMaxSize)) {
            TraceMessage("PDFParser::ParseXrefFromXrefStream, Size %lld is out of range", size->GetValue());
            return eFailure;
        }
        ioTable.EnsureSize(static_cast<uint32_t>(size->GetValue()));
        segments.emplace_back(0, size->GetValue());
    }

    SeekAndReset(inXrefStream->GetStreamContentStart());
    std::unique_ptr<IByteReader> reader(CreateInputStreamReader(inXrefStream));
    if (!reader)
        return eFailure;
    for (const auto& segment : segments) {
        if (ReadXrefStreamSegment(ioTable, segment.first, segment.second, reader.get(), widths) != eSuccess)
            return eFailure;
    }
    return eSuccess;
}

OpStatus PDFParser::ReadXrefStreamSegment(XrefTable& ioTable, long long inFirstID, long long inCount, IByteReader* inReader,
                                          const int inWidths[3])
{
    size_t entrySize = static_cast<size_t>(inWidths[0] + inWidths[1] + inWidths[2]);
    // Entries are read many at a time: a reader call per entry cost more than the entry.
    Byte buffer[4096];
    const size_t perRead = sizeof(buffer) / entrySize;
    size_t held = 0;
    size_t next = 0;
    bool cutEntry = false;
    for (long long i = 0; i < inCount; ++i) {
        if (next == held) {
            if (cutEntry) {
                TraceMessage("PDFParser::ReadXrefStreamSegment, failed to read the entry of object %lld", inFirstID + i);
                return eFailure;
            }
            if (!inReader->HasMoreBytes())
                break;
            const long long left = inCount - i;
            const size_t want = (left < static_cast<long long>(perRead) ? static_cast<size_t>(left) : perRead) * entrySize;
            size_t got = ReadFully(inReader, buffer, want);
            if (got == 0)
                break; // the data ends early: the remaining ids keep their entries
            held = got / entrySize;
            next = 0;
            // The data ends inside an entry: the whole ones before it count, then reading fails.
            cutEntry = got % entrySize != 0;
            if (held == 0) {
                TraceMessage("PDFParser::ReadXrefStreamSegment, failed to read the entry of object %lld", inFirstID + i);
                return eFailure;
            }
        }
        const Byte* cursor = buffer + next * entrySize;
        ++next;
        unsigned long long fields[3];
        for (int f = 0; f < 3; ++f)
            fields[f] = ReadXrefField(cursor, inWidths[f]);
        if (inWidths[0] == 0)
            fields[0] = 1;

        // Values beyond what the entry holds make that object unreadable, not the file.
        XrefEntry entry;
        entry.mObjectPosition = static_cast<long long>(std::min<unsigned long long>(fields[1], kMaxFilePosition));
        entry.mGeneration = static_cast<uint32_t>(std::min<unsigned long long>(fields[2], UINT32_MAX));
        bool fits = true;
        switch (fields[0]) {
        case 0: entry.mType = eXrefEntryDelete; break;
        case 1:
            entry.mType = eXrefEntryExisting;
            fits = fields[1] <= kMaxFilePosition && fields[2] <= kMaxGeneration;
            break;
        case 2:
            entry.mType = eXrefEntryStreamObject;
            fits = fields[1] <= UINT32_MAX && fields[2] <= UINT32_MAX;
            break;
        default:
            TraceMessage("PDFParser::ReadXrefStreamSegment, unfamiliar entry type. must be either 0,1 or 2");
            return eFailure;
        }
        if (!fits) {
            entry.mType = eXrefEntryExisting;
            entry.mObjectPosition = XrefEntry::kUnreadablePosition;
            entry.mGeneration = 0;
        }
        ioTable.Set(static_cast<uint32_t>(inFirstID + i), entry);
    }
    return eSuccess;
}

void PDFParser::ClearObjectCache()
{
    mObjectCache.clear();
    mObjectCacheByID.clear();
    mObjectCacheSize = 0;
}

void PDFParser::KeepParsedObject(uint32_t inObjectID, PDFObject* inObject, size_t inSize)
{
    if (inSize > kMaxCachedObjectSize || mObjectCacheByID.count(inObjectID) != 0)
        return;
    mObjectCache.push_front({inObjectID, RefCountPtr<PDFObject>(inObject), inSize});
    inObject->AddRef();
    mObjectCacheByID[inObjectID] = mObjectCache.begin();
    mObjectCacheSize += inSize;
    while (mObjectCacheSize > kObjectCacheBudget) {
        mObjectCacheSize -= mObjectCache.back().size;
        mObjectCacheByID.erase(mObjectCache.back().id);
        mObjectCache.pop_back();
    }
}

bool PDFParser::HoldsObject(unsigned long long inObjectID) const
{
    if (inObjectID == 0 || inObjectID >= mXrefTable.GetSize())
        return false;
    EXrefEntryType kind = mXrefTable.Get(static_cast<uint32_t>(inObjectID)).mType;
    return kind == eXrefEntryExisting || kind == eXrefEntryStreamObject;
}

PDFObject* PDFParser::ParseObjectByID(uint32_t inObjectID)
{
    // An extender may decrypt each object as it is read, and a node read for the page-tree walk
    // lacks most of its keys: neither is shared.
    bool shared = !mParserExtender && !mKeptKeys;
    if (shared) {
        auto cached = mObjectCacheByID.find(inObjectID);
        if (cached != mObjectCacheByID.end()) {
            mObjectCache.splice(mObjectCache.begin(), mObjectCache, cached->second);
            PDFObject* object = cached->second->object.GetPtr();
            object->AddRef();
            return object;
        }
    }
    PDFObject* object = ReadObjectByID(inObjectID);
    if (object && shared)
        KeepParsedObject(inObjectID, object, mLastObjectSize);
    return object;
}

PDFObject* PDFParser::ReadObjectByID(uint32_t inObjectID)
{
    // Object 0 heads the free list; a file that lists it otherwise still holds no object 0.
    if (!mStream || inObjectID == 0 || inObjectID >= mXrefTable.GetSize())
        return nullptr;
    XrefEntry entry = mXrefTable.Get(inObjectID);
    if (entry.mType != eXrefEntryExisting && entry.mType != eXrefEntryStreamObject)
        return nullptr;
    if (mObjectReadDepth >= kMaxObjectReadDepth) {
        ++mGuardTrips;
        TraceMessage("PDFParser::ParseObjectByID, reading object %u needs objects nested deeper than %d", inObjectID,
                     kMaxObjectReadDepth);
        return nullptr;
    }
    ++mObjectReadDepth;
    PDFObject* result = entry.mType == eXrefEntryExisting ? ParseExistingInDirectObject(inObjectID, entry)
                                                          : ParseExistingInDirectStreamObject(inObjectID, entry);
    --mObjectReadDepth;
    return result;
}

PDFObject* PDFParser::ParseExistingInDirectObject(uint32_t inObjectID, const XrefEntry& inEntry)
{
    if (inEntry.mObjectPosition == XrefEntry::kUnreadablePosition) {
        TraceMessage("PDFParser::ParseExistingInDirectObject, the cross-reference entry of object %u holds values "
                     "beyond their range",
                     inObjectID);
        return nullptr;
    }
    if (!IsInsideFile(inEntry.mObjectPosition)) {
        TraceMessage("PDFParser::ParseExistingInDirectObject, object %u is listed at %lld, outside the file", inObjectID,
                     inEntry.mObjectPosition);
        return nullptr;
    }
    SeekAndReset(inEntry.mObjectPosition);

    RefCountPtr<PDFObject> idObject(mObjectParser.ParseNextObject());
    if (!IsInteger(idObject.GetPtr())) {
        TraceMessage("PDFParser::ParseExistingInDirectObject, failed to read object declaration, ID");
        return nullptr;
    }
    if (IntegerValue(idObject.GetPtr()) != static_cast<long long>(inObjectID)) {
        TraceMessage("PDFParser::ParseExistingInDirectObject, failed to read object declaration, exepected ID = %lld, found %lld",
                     static_cast<long long>(inObjectID), IntegerValue(idObject.GetPtr()));
        return nullptr;
    }
    RefCountPtr<PDFObject> generation(mObjectParser.ParseNextObject());
    if (!IsInteger(generation.GetPtr())) {
        TraceMessage("PDFParser::ParseExistingInDirectObject, failed to read object declaration, Version");
        return nullptr;
    }
    if (mParserExtender)
        mParserExtender->OnObjectStart(static_cast<long long>(inObjectID), IntegerValue(generation.GetPtr()));
    if (IntegerValue(generation.GetPtr()) != static_cast<long long>(inEntry.mGeneration)) {
        TraceMessage("PDFParser::ParseExistingInDirectObject, failed to read object declaration, exepected version = %lld, found %lld",
                     static_cast<long long>(inEntry.mGeneration), IntegerValue(generation.GetPtr()));
        return nullptr;
    }
    RefCountPtr<PDFObject> keyword(mObjectParser.ParseNextObject());
    if (!keyword || keyword->GetType() != PDFObject::ePDFObjectSymbol) {
        TraceMessage("PDFParser::ParseExistingInDirectObject, failed to read object declaration, obj keyword");
        return nullptr;
    }
    if (!IsSymbol(keyword.GetPtr(), "obj")) {
        TraceMessage("PDFParser::ParseExistingInDirectObject, failed to read object declaration, expected obj keyword found %s",
                     TraceExcerpt(static_cast<PDFSymbol*>(keyword.GetPtr())->GetValue()).c_str());
        return nullptr;
    }
    mObjectParser.SetKeptKeys(mObjectReadDepth == 1 ? mKeptKeys : nullptr);
    PDFObject* body = mObjectParser.ParseNextObject(mParserExtender);
    mObjectParser.SetKeptKeys(nullptr);
    mLastObjectSize = mObjectParser.GetObjectsBuilt();
    if (body && mParserExtender)
        mParserExtender->OnObjectEnd(body);
    return body;
}

PDFObject* PDFParser::ParseExistingInDirectStreamObject(uint32_t inObjectID, const XrefEntry& inEntry)
{
    long long streamID = inEntry.mObjectPosition;
    if (streamID <= 0 || streamID >= static_cast<long long>(mXrefTable.GetSize())) {
        TraceMessage("PDFParser::ParseExistingInDirectStreamObject, failed to parse object %lld. failed to find object stream for it, which should be %lld",
                     static_cast<long long>(inObjectID), streamID);
        return nullptr;
    }
    ObjectStreamDataPtr data = GetObjectStream(static_cast<uint32_t>(streamID), inObjectID);
    if (!data)
        return nullptr;

    uint32_t index = inEntry.mGeneration;
    if (index >= data->mHeader.size() || data->mHeader[index].mObjectNumber != inObjectID) {
        TraceMessage("PDFParser::ParseXrefFromXrefStream, wrong object. expecting to find object ID %lld, and found %lld",
                     static_cast<long long>(inObjectID),
                     index < data->mHeader.size() ? static_cast<long long>(data->mHeader[index].mObjectNumber) : -1LL);
        return nullptr;
    }
    long long offset = data->mHeader[index].mObjectOffset;
    // An object placed inside the header would be read from the wrong bytes.
    if (offset < 0 || offset > std::numeric_limits<long long>::max() - data->mFirst ||
        data->mFirst + offset < data->mHeaderEnd) {
        TraceMessage("PDFParser::ParseExistingInDirectStreamObject, object %lld at offset %lld lies behind the header of object stream %lld",
                     static_cast<long long>(inObjectID), offset, streamID);
        return nullptr;
    }
    return ParseFromObjectStream(*data, inObjectID, data->mFirst + offset);
}

PDFParser::ObjectStreamDataPtr PDFParser::GetObjectStream(uint32_t inStreamID, uint32_t inObjectID)
{
    auto cached = mObjectStreamsByID.find(inStreamID);
    if (cached != mObjectStreamsByID.end()) {
        mObjectStreams.splice(mObjectStreams.begin(), mObjectStreams, cached->second);
        return mObjectStreams.front();
    }
    if (mFailedObjectStreams.count(inStreamID) != 0) {
        TraceMessage("PDFParser::ParseExistingInDirectStreamObject, object %lld lies in object stream %lld, which could not be read",
                     static_cast<long long>(inObjectID), static_cast<long long>(inStreamID));
        return nullptr;
    }

    int guardTripsBefore = mGuardTrips;
    ObjectStreamDataPtr data = LoadObjectStream(inStreamID, inObjectID);
    if (!data) {
        // A failure caused by a cycle or depth guard depends on the path taken; others are final.
        if (mGuardTrips == guardTripsBefore)
            mFailedObjectStreams.insert(inStreamID);
        return nullptr;
    }
    mObjectStreams.push_front(data);
    mObjectStreamsByID[inStreamID] = mObjectStreams.begin();
    mObjectStreamBytes += data->CostInBytes();
    while (mObjectStreamBytes > kObjectStreamBudget && mObjectStreams.size() > 1) {
        mObjectStreamBytes -= mObjectStreams.back()->CostInBytes();
        mObjectStreamsByID.erase(mObjectStreams.back()->mStreamID);
        mObjectStreams.pop_back();
    }
    return data;
}

PDFParser::ObjectStreamDataPtr PDFParser::LoadObjectStream(uint32_t inStreamID, uint32_t inObjectID)
{
    if (std::find(mObjectStreamsInProgress.begin(), mObjectStreamsInProgress.end(), inStreamID) !=
        mObjectStreamsInProgress.end()) {
        ++mGuardTrips;
        TraceMessage("PDFParser::ParseExistingInDirectStreamObject, object stream %lld is needed to read itself",
                     static_cast<long long>(inStreamID));
        return nullptr;
    }
    if (mObjectStreamsInProgress.size() >= kMaxObjectStreamDepth) {
        ++mGuardTrips;
        TraceMessage("PDFParser::ParseExistingInDirectStreamObject, object streams depend on each other deeper than %d levels",
                     static_cast<int>(kMaxObjectStreamDepth));
        return nullptr;
    }
    InProgressGuard guard(mObjectStreamsInProgress, inStreamID);

    // An object stream lies in the file itself, never in another object stream.
    PDFObjectCastPtr<PDFStreamInput> stream;
    if (mXrefTable.Get(inStreamID).mType == eXrefEntryExisting)
        stream = ParseObjectByID(inStreamID);
    if (!stream) {
        TraceMessage("PDFParser::ParseExistingInDirectStreamObject, failed to parse object %lld. failed to find object stream for it, which should be %lld",
                     static_cast<long long>(inObjectID), static_cast<long long>(inStreamID));
        return nullptr;
    }
    RefCountPtr<PDFDictionary> dictionary(stream->QueryStreamDictionary());
    PDFObjectCastPtr<PDFInteger> count(ResolveDictionaryValue(dictionary.GetPtr(), "N"));
    if (!count) {
        TraceMessage("PDFParser::ParseExistingInDirectStreamObject, no N key in stream dictionary %lld",
                     static_cast<long long>(inStreamID));
        return nullptr;
    }
    if (count->GetValue() < 0 || count->GetValue() > static_cast<long long>(mXrefTable.GetSize())) {
        TraceMessage("PDFParser::ParseExistingInDirectStreamObject, N %lld of object stream %lld is out of range",
                     count->GetValue(), static_cast<long long>(inStreamID));
        return nullptr;
    }
    PDFObjectCastPtr<PDFInteger> first(ResolveDictionaryValue(dictionary.GetPtr(), "First"));
    if (!first || first->GetValue() < 0) {
        TraceMessage("PDFParser::ParseExistingInDirectStreamObject, no valid First key in stream dictionary %lld",
                     static_cast<long long>(inStreamID));
        return nullptr;
    }

    ObjectStreamDataPtr data = std::make_shared<ObjectStreamData>();
    data->mStreamID = inStreamID;
    data->mFirst = first->GetValue();

    // Room for the decoded data from what the stream declares: its decoded length (DL) when that
    // is one Flate could make of the stream's bytes in the file, else a guess from those bytes.
    long long length = GetStreamDataLength(stream.GetPtr());
    if (length < 0)
        return nullptr;
    const long long most = std::min<long long>(static_cast<long long>(kObjectStreamBudget) + 1,
                                               std::max(length, 1LL) * kMaxInflateRatio + static_cast<long long>(kMinDecodeRoom));
    PDFObjectCastPtr<PDFInteger> declared(ResolveDictionaryValue(dictionary.GetPtr(), "DL"));
    long long room = declared && declared->GetValue() >= 0 && declared->GetValue() < most
                         ? declared->GetValue() + 1
                         : std::max(length * kExpectedObjectStreamRatio, data->mFirst);
    room = std::min(std::max(room, static_cast<long long>(kMinDecodeRoom)), most);

    SeekAndReset(stream->GetStreamContentStart());
    std::unique_ptr<IByteReader> reader(CreateInputStreamReader(stream.GetPtr()));
    if (!reader)
        return nullptr;
    if (!ReadWhole(reader.get(), static_cast<size_t>(room), kObjectStreamBudget, data->mData)) {
        TraceMessage("PDFParser::ParseExistingInDirectStreamObject, no memory for the data of object stream %lld",
                     static_cast<long long>(inStreamID));
        return nullptr;
    }
    reader.reset();

    if (data->mData.size <= kObjectStreamBudget) {
        data->mInMemory = true;
        if (data->mFirst > static_cast<long long>(data->mData.size)) {
            TraceMessage("PDFParser::ParseExistingInDirectStreamObject, First %lld lies beyond the %lld bytes of object stream %lld",
                         data->mFirst, static_cast<long long>(data->mData.size), static_cast<long long>(inStreamID));
            return nullptr;
        }
        InputByteArrayStream bytes(data->mData.bytes.get(), static_cast<LongFilePositionType>(data->mData.size));
        if (!ReadPlainObjectStreamHeader(data->mData.bytes.get(), data->mData.size, count->GetValue(), *data) &&
            ParseObjectStreamHeader(&bytes, *data, count->GetValue()) != eSuccess)
            return nullptr;
    } else {
        // Too large to keep: the header is kept and each object is decoded again from the start.
        data->mData.Clear();
        data->mStream = stream;
        SeekAndReset(stream->GetStreamContentStart());
        reader.reset(CreateInputStreamReader(stream.GetPtr()));
        if (!reader || ParseObjectStreamHeader(reader.get(), *data, count->GetValue()) != eSuccess)
            return nullptr;
    }
    return data;
}

bool PDFParser::ReadPlainObjectStreamHeader(const Byte* inData, size_t inSize, long long inObjectsCount,
                                            ObjectStreamData& ioData)
{
    // Producers write the header as unsigned numbers between whitespace: read so, it costs a
    // fraction of making tokens. Anything else (signs, comments, junk) is left to the tokens.
    std::vector<ObjectStreamHeaderEntry> header;
    header.reserve(static_cast<size_t>(std::min<long long>(inObjectsCount, static_cast<long long>(inSize / 4))));
    const size_t size = inSize;
    size_t at = 0;
    for (long long i = 0; i < inObjectsCount; ++i) {
        long long values[2];
        for (long long& value : values) {
            while (at < size && PDFTokenReader::IsPDFWhitespace(static_cast<Byte>(inData[at])))
                ++at;
            const size_t start = at;
            value = 0;
            while (at < size && inData[at] >= '0' && inData[at] <= '9') {
                if (at - start >= 18)
                    return false;
                value = value * 10 + (inData[at++] - '0');
            }
            if (at == start || (at < size && !PDFTokenReader::IsPDFWhitespace(static_cast<Byte>(inData[at]))))
                return false;
        }
        if (values[0] > static_cast<long long>(UINT32_MAX))
            return false;
        ObjectStreamHeaderEntry entry;
        entry.mObjectNumber = static_cast<uint32_t>(values[0]);
        entry.mObjectOffset = values[1];
        header.push_back(entry);
    }
    ioData.mHeader = std::move(header);
    ioData.mHeaderEnd = static_cast<long long>(at);
    return true;
}

OpStatus PDFParser::ParseObjectStreamHeader(IByteReader* inReader, ObjectStreamData& ioData, long long inObjectsCount)
{
    PDFObjectParser tokens;
    tokens.SetReadStream(inReader, nullptr);
    auto nextToken = [&tokens](std::string& outToken) { return tokens.GetNextToken(outToken); };

    std::string token;
    for (long long i = 0; i < inObjectsCount; ++i) {
        ObjectStreamHeaderEntry entry;
        long long number = -1;
        if (!nextToken(token) || !PDFObjectParser::IsInteger(token) || !NumberText::ParseLongLong(token, number) ||
            number < 0 || number > static_cast<long long>(UINT32_MAX)) {
            TraceMessage("PDFParser::ParseObjectStreamHeader, parsing failed when reading object number. either not enough objects, or of the wrong type");
            return eFailure;
        }
        entry.mObjectNumber = static_cast<uint32_t>(number);
        if (!nextToken(token) || !PDFObjectParser::IsInteger(token) || !NumberText::ParseLongLong(token, entry.mObjectOffset)) {
            TraceMessage("PDFParser::ParseObjectStreamHeader, parsing failed when reading object position. either not enough objects, or of the wrong type");
            return eFailure;
        }
        ioData.mHeader.push_back(entry);
        ioData.mHeaderEnd = tokens.GetTokenReader().GetCurrentTokenStart() + static_cast<long long>(token.size());
    }
    return eSuccess;
}

PDFObject* PDFParser::ParseFromObjectStream(ObjectStreamData& inData, uint32_t inObjectID, long long inTarget)
{
    PDFObject* result = nullptr;
    if (inData.mInMemory) {
        if (inTarget > static_cast<long long>(inData.mData.size)) {
            TraceMessage("PDFParser::ParseExistingInDirectStreamObject, object %lld lies beyond the data of object stream %lld",
                         static_cast<long long>(inObjectID), static_cast<long long>(inData.mStreamID));
            return nullptr;
        }
        // The data stays in memory and nobody else reads the view, so the parser keeps its bytes
        // between tokens; positions count from the object's start.
        std::unique_ptr<InputByteArrayStream> ownBytes;
        std::unique_ptr<PDFObjectParser> ownParser;
        InputByteArrayStream* bytes = &mObjectStreamView;
        PDFObjectParser* parser = &mObjectStreamParser;
        if (mObjectStreamParserBusy) {
            ownBytes = std::make_unique<InputByteArrayStream>();
            ownParser = std::make_unique<PDFObjectParser>();
            bytes = ownBytes.get();
            parser = ownParser.get();
            parser->SetReadStream(bytes, nullptr, true);
        }
        // The bytes the parser kept of the last object are forgotten before the view moves.
        parser->ResetReadState();
        bytes->Assign(inData.mData.bytes.get() + inTarget, static_cast<LongFilePositionType>(inData.mData.size) - inTarget);
        parser->SetKeptKeys(mObjectReadDepth == 1 ? mKeptKeys : nullptr);
        const bool wasBusy = mObjectStreamParserBusy;
        mObjectStreamParserBusy = true;
        result = parser->ParseNextObject(mParserExtender);
        mObjectStreamParserBusy = wasBusy;
        parser->SetKeptKeys(nullptr);
        mLastObjectSize = parser->GetObjectsBuilt();
    } else {
        if (std::find(mObjectStreamsInProgress.begin(), mObjectStreamsInProgress.end(), inData.mStreamID) !=
            mObjectStreamsInProgress.end()) {
            TraceMessage("PDFParser::ParseExistingInDirectStreamObject, object stream %lld is needed to read itself",
                         static_cast<long long>(inData.mStreamID));
            return nullptr;
        }
        InProgressGuard guard(mObjectStreamsInProgress, inData.mStreamID);
        SeekAndReset(inData.mStream->GetStreamContentStart());
        IByteReader* reader = CreateInputStreamReader(inData.mStream.GetPtr());
        if (!reader)
            return nullptr;
        InputStreamSkipperStream skipper(reader);
        if (!skipper.SkipForward(inTarget) && skipper.TellPosition() < inTarget) {
            TraceMessage("PDFParser::ParseExistingInDirectStreamObject, object %lld lies beyond the data of object stream %lld",
                         static_cast<long long>(inObjectID), static_cast<long long>(inData.mStreamID));
            return nullptr;
        }
        PDFObjectParser parser;
        parser.SetReadStream(&skipper, &skipper);
        parser.SetKeptKeys(mObjectReadDepth == 1 ? mKeptKeys : nullptr);
        result = parser.ParseNextObject(mParserExtender);
        mLastObjectSize = parser.GetObjectsBuilt();
    }

    if (!result) {
        TraceMessage("PDFParser::ParseExistingInDirectStreamObject, failed to parse object %lld in object stream %lld",
                     static_cast<long long>(inObjectID), static_cast<long long>(inData.mStreamID));
        return nullptr;
    }
    if (result->GetType() == PDFObject::ePDFObjectStream) {
        // A stream's data position would point into the decoded data, not into the file.
        TraceMessage("PDFParser::ParseExistingInDirectStreamObject, object %lld in object stream %lld is a stream, which object streams cannot hold",
                     static_cast<long long>(inObjectID), static_cast<long long>(inData.mStreamID));
        result->Release();
        return nullptr;
    }
    return result;
}

PDFObject* PDFParser::ResolveReference(PDFObject* inValue)
{
    if (!inValue || inValue->GetType() != PDFObject::ePDFObjectIndirectObjectReference)
        return inValue;
    uint32_t objectID = static_cast<PDFIndirectObjectReference*>(inValue)->GetObjectID();
    inValue->Release();
    return ParseObjectByID(objectID);
}

PDFObject* PDFParser::ResolveDictionaryValue(PDFDictionary* inDictionary, const std::string& inKey)
{
    return inDictionary ? ResolveReference(inDictionary->QueryDirectObject(inKey)) : nullptr;
}

PDFObject* PDFParser::ResolveArrayElement(PDFArray* inArray, uint32_t inIndex)
{
    return inArray ? ResolveReference(inArray->QueryObject(inIndex)) : nullptr;
}

PDFObject* PDFParser::ResolveKeepingPosition(PDFDictionary* inDictionary, const std::string& inKey)
{
    PositionKeeper keeper(mStream);
    return ResolveDictionaryValue(inDictionary, inKey);
}

PDFObject* PDFParser::ResolveElementKeepingPosition(PDFArray* inArray, uint32_t inIndex)
{
    PositionKeeper keeper(mStream);
    return ResolveArrayElement(inArray, inIndex);
}

IByteReader* PDFParser::CreateInputStreamReader(PDFStreamInput* inStream)
{
    if (!mStream || !inStream)
        return nullptr;
    RefCountPtr<PDFDictionary> dictionary(inStream->QueryStreamDictionary());

    // Values given by reference are read before anything reads the data: reading them moves
    // the source, which the caller placed at the data.
    long long length = GetStreamDataLength(inStream);
    if (length < 0)
        return nullptr;
    RefCountPtr<PDFObject> filter(ResolveKeepingPosition(dictionary.GetPtr(), "Filter"));
    RefCountPtr<PDFObject> decodeParms(ResolveKeepingPosition(dictionary.GetPtr(), "DecodeParms"));
    // A filter named by a reference that cannot be read must not turn into "no filter".
    if ((!filter && dictionary->Exists("Filter")) || (!decodeParms && dictionary->Exists("DecodeParms"))) {
        TraceMessage("PDFParser::CreateInputStreamReader, Filter or DecodeParms could not be read, failing");
        return nullptr;
    }
    // A null value is the same as no entry: no filter, no parameters.
    if (filter && filter->GetType() == PDFObject::ePDFObjectNull)
        filter = nullptr;
    if (decodeParms && decodeParms->GetType() == PDFObject::ePDFObjectNull)
        decodeParms = nullptr;

    IByteReader* result = new InputLimitedStream(mStream, length, false);
    if (mParserExtender) {
        result = mParserExtender->CreateDefaultReadStream(result);
        if (!result) {
            TraceMessage("PDFParser::CreateInputStreamReader, the parser extender gave no stream reader");
            return nullptr;
        }
    }
    if (!filter)
        return result;

    if (filter->GetType() == PDFObject::ePDFObjectName) {
        PDFObjectCastPtr<PDFDictionary> parameters(decodeParms.Detach());
        IByteReader* decoded = nullptr;
        if (CreateFilterForStream(result, static_cast<PDFName*>(filter.GetPtr()), parameters.GetPtr(), decoded) != eSuccess)
            return nullptr;
        return decoded;
    }

    if (filter->GetType() == PDFObject::ePDFObjectArray) {
        PDFArray* filters = static_cast<PDFArray*>(filter.GetPtr());
        if (filters->GetLength() > kMaxFilters) {
            TraceMessage("PDFParser::CreateInputStreamReader, %u filters on one stream, more than %u",
                         filters->GetLength(), kMaxFilters);
            delete result;
            return nullptr;
        }
        PDFObjectCastPtr<PDFArray> parametersArray(decodeParms.Detach());
        for (uint32_t i = 0; i < filters->GetLength(); ++i) {
            PDFObjectCastPtr<PDFName> name(filters->QueryObject(i));
            if (!name) {
                TraceMessage("PDFParser::CreateInputStreamReader, filter item in an array is not a name. should be a name");
                delete result;
                return nullptr;
            }
            PDFObjectCastPtr<PDFDictionary> parameters;
            if (parametersArray)
                parameters = ResolveElementKeepingPosition(parametersArray.GetPtr(), i);
            IByteReader* decoded = nullptr;
            if (CreateFilterForStream(result, name.GetPtr(), parameters.GetPtr(), decoded) != eSuccess)
                return nullptr;
            result = decoded;
        }
        return result;
    }

    TraceMessage("PDFParser::CreateInputStreamReader, filter parameter is of unkown type. only array and name are supported.");
    delete result;
    return nullptr;
}

long long PDFParser::GetStreamDataLength(PDFStreamInput* inStream, bool* outAsDeclared)
{
    if (outAsDeclared)
        *outAsDeclared = false;
    if (!mStream || !inStream)
        return -1;
    long long start = inStream->GetStreamContentStart();
    if (start < 0 || start > mStreamSize) {
        TraceMessage("PDFParser::CreateInputStreamReader, stream data at %lld lies outside the file", start);
        return -1;
    }
    auto found = mFoundStreamLengths.find(start);
    if (found != mFoundStreamLengths.end())
        return found->second; // the Length was wrong; found (or not) and logged before
    // Checked before: a stream shared by many pages is not looked at again for each copy.
    auto checked = mCheckedStreamLengths.find(start);
    if (checked != mCheckedStreamLengths.end()) {
        if (outAsDeclared)
            *outAsDeclared = true;
        return checked->second;
    }

    PositionKeeper keeper(mStream);
    RefCountPtr<PDFDictionary> dictionary(inStream->QueryStreamDictionary());
    PDFObjectCastPtr<PDFInteger> length(ResolveDictionaryValue(dictionary.GetPtr(), "Length"));
    if (length && length->GetValue() >= 0 && length->GetValue() <= mStreamSize - start &&
        StreamEndFollows(start + length->GetValue())) {
        if (outAsDeclared)
            *outAsDeclared = true;
        mCheckedStreamLengths[start] = length->GetValue();
        return length->GetValue();
    }

    // Length missing, unreadable or wrong: the data ends before the keyword, as other readers take it.
    long long end = FindEndstream(start);
    if (end < 0) {
        TraceMessage("PDFParser::CreateInputStreamReader, the stream at %lld has no usable Length and no endstream "
                     "within %lld bytes, failing",
                     start, static_cast<long long>(kMaxEndstreamSearch));
    } else if (length) {
        TraceNote("PDFParser::CreateInputStreamReader, the stream at %lld has Length %lld, but its data ends "
                  "after %lld bytes at endstream",
                  start, length->GetValue(), end - start);
    } else {
        TraceNote("PDFParser::CreateInputStreamReader, the stream at %lld has no integer Length; its data ends "
                  "after %lld bytes at endstream",
                  start, end - start);
    }
    long long result = end < 0 ? -1 : end - start;
    mFoundStreamLengths[start] = result;
    return result;
}

bool PDFParser::StreamEndFollows(LongFilePositionType inPosition)
{
    // "endstream", or at least "endobj" when a writer left the former out, after any line end.
    Byte buffer[64];
    mStream->SeekFromStart(inPosition);
    size_t got = ReadFully(mStream, buffer, sizeof(buffer));
    size_t at = 0;
    while (at < got && PDFTokenReader::IsPDFWhitespace(buffer[at]))
        ++at;
    auto startsWith = [&](const char* inKeyword, size_t inLength) {
        return got - at >= inLength && memcmp(buffer + at, inKeyword, inLength) == 0;
    };
    return startsWith("endstream", 9) || startsWith("endobj", 6);
}

long long PDFParser::FindEndstream(LongFilePositionType inStart)
{
    static const std::string scKeyword = "endstream";
    long long limit = std::min(mStreamSize, inStart + static_cast<long long>(kMaxEndstreamSearch));
    std::string block;
    std::vector<char> chunk(64 * 1024);
    LongFilePositionType blockStart = inStart;
    mStream->SeekFromStart(inStart);
    while (blockStart + static_cast<long long>(block.size()) < limit) {
        if (mEndstreamSearchBytes >= kMaxEndstreamSearchTotal) {
            TraceMessage("PDFParser::CreateInputStreamReader, searched %lld bytes for endstream in this file, "
                         "searching no further",
                         static_cast<long long>(mEndstreamSearchBytes));
            return -1;
        }
        long long want = std::min(static_cast<long long>(chunk.size()),
                                  limit - blockStart - static_cast<long long>(block.size()));
        size_t got = ReadFully(mStream, reinterpret_cast<Byte*>(chunk.data()), static_cast<size_t>(want));
        if (got == 0)
            break;
        mEndstreamSearchBytes += got;
        // Only the last few bytes of the previous chunk are kept, for a keyword read across two.
        size_t keep = std::min(block.size(), scKeyword.size() + 1);
        blockStart += static_cast<long long>(block.size() - keep);
        block.erase(0, block.size() - keep);
        block.append(chunk.data(), got);
        size_t at = block.find(scKeyword);
        if (at == std::string::npos)
            continue;
        // The line end before the keyword belongs to the keyword, not to the data.
        if (at > 0 && block[at - 1] == '\n')
            --at;
        if (at > 0 && block[at - 1] == '\r')
            --at;
        return std::max(blockStart + static_cast<long long>(at), inStart);
    }
    return -1;
}

OpStatus PDFParser::CreateFilterForStream(IByteReader* inStream, PDFName* inFilterName, PDFDictionary* inDecodeParams,
                                          IByteReader*& outReader)
{
    outReader = nullptr;
    const std::string& name = inFilterName->GetValue();

    if (name == "FlateDecode") {
        // One inflate state serves every stream of the file, reset between them.
        if (!mInflateState)
            mInflateState = std::make_shared<InflateState>();
        InputFlateDecodeStream* flate = new InputFlateDecodeStream(inStream, mInflateState);
        flate->StartEncoding();
        IByteReader* result = flate;
        if (inDecodeParams && mStream) {
            PDFObjectCastPtr<PDFInteger> predictor(ResolveKeepingPosition(inDecodeParams, "Predictor"));
            if (predictor && predictor->GetValue() != 1) {
                long long value = predictor->GetValue();
                if (value != 2 && (value < 10 || value > 15)) {
                    TraceMessage("PDFParser::CreateFilterForStream, supporting only predictor of types 1,2,10,11,12,13,14,15, failing");
                    delete result;
                    return eFailure;
                }
                PDFObjectCastPtr<PDFInteger> columns(ResolveKeepingPosition(inDecodeParams, "Columns"));
                PDFObjectCastPtr<PDFInteger> colors(ResolveKeepingPosition(inDecodeParams, "Colors"));
                PDFObjectCastPtr<PDFInteger> bitsPerComponent(ResolveKeepingPosition(inDecodeParams, "BitsPerComponent"));
                // The factory checks the parameters and deletes the reader below when it refuses them.
                result = CreatePredictorStream(result, value, colors ? colors->GetValue() : 1,
                                               bitsPerComponent ? bitsPerComponent->GetValue() : 8,
                                               columns ? columns->GetValue() : 1);
                if (!result)
                    return eFailure;
            }
        }
        outReader = result;
        return eSuccess;
    }
    if (name == "ASCII85Decode") {
        outReader = new InputAscii85DecodeStream(inStream);
        return eSuccess;
    }
    if (name == "DCTDecode") {
        InputDCTDecodeStream* dct = new InputDCTDecodeStream(inStream);
        dct->InitializeDecodingState();
        outReader = dct;
        return eSuccess;
    }

    if (mParserExtender) {
        IByteReader* result = mParserExtender->CreateFilterForStream(inStream, inFilterName, inDecodeParams);
        if (result == inStream) {
            TraceMessage("PDFParser::CreateFilterForStream, filter is not supported by extender - %s",
                         TraceExcerpt(name).c_str());
            delete inStream;
            return eFailure;
        }
        if (!result) {
            TraceMessage("PDFParser::CreateFilterForStream, the parser extender failed to create filter %s",
                         TraceExcerpt(name).c_str());
            return eFailure;
        }
        outReader = result;
        return eSuccess;
    }
    TraceMessage("PDFParser::CreateFilterForStream, supporting only flate decode and ascii 85 decode, failing");
    delete inStream;
    return eFailure;
}

bool PDFParser::HasEncryptionDictionary()
{
    if (!mTrailer)
        return false;
    PDFObjectCastPtr<PDFDictionary> encrypt(ResolveDictionaryValue(mTrailer.GetPtr(), "Encrypt"));
    return static_cast<bool>(encrypt);
}

OpStatus PDFParser::ParsePagesObjectIDs()
{
    PDFObjectCastPtr<PDFIndirectObjectReference> catalogReference(mTrailer->QueryDirectObject("Root"));
    if (!catalogReference) {
        TraceMessage("PDFParser::ParsePagesObjectIDs, failed to read catalog reference in trailer");
        return eFailure;
    }
    PDFObjectCastPtr<PDFDictionary> catalog(ParseObjectByID(catalogReference->GetObjectID()));
    if (!catalog) {
        TraceMessage("PDFParser::ParsePagesObjectIDs, failed to read catalog");
        return eFailure;
    }
    PDFObjectCastPtr<PDFIndirectObjectReference> pagesReference(catalog->QueryDirectObject("Pages"));
    if (!pagesReference) {
        TraceMessage("PDFParser::ParsePagesObjectIDs, failed to read pages reference in catalog");
        return eFailure;
    }
    PDFObjectCastPtr<PDFDictionary> pages(ParseObjectByID(pagesReference->GetObjectID()));
    if (!pages) {
        TraceMessage("PDFParser::ParsePagesObjectIDs, failed to read pages");
        return eFailure;
    }
    PDFObjectCastPtr<PDFInteger> count(ResolveDictionaryValue(pages.GetPtr(), "Count"));
    if (!count) {
        TraceMessage("PDFParser::ParsePagesObjectIDs, failed to read pages count");
        return eFailure;
    }
    if (count->GetValue() < 0) {
        TraceMessage("PDFParser::ParsePagesObjectIDs, negative pages count %lld", count->GetValue());
        return eFailure;
    }
    return ParsePagesIDs(pages.GetPtr(), pagesReference->GetObjectID(), count->GetValue());
}

OpStatus PDFParser::ParsePagesIDs(PDFDictionary* inPagesRoot, uint32_t inRootID, long long inDeclaredCount)
{
    // What the walk needs of a node, kept once it is read: a subtree listed under several parents
    // (a page listed twice is two pages, as readers show it) is walked again without being read
    // again. Only a node that is its own ancestor is a loop.
    struct Node {
        bool isPage = false;
        std::vector<uint32_t> kids;
    };
    std::unordered_map<uint32_t, Node> nodes;
    std::vector<bool> knownPages(mXrefTable.GetSize());
    auto read = [&](PDFDictionary* inNode, Node& outNode) -> OpStatus {
        PDFObjectCastPtr<PDFName> type(inNode->QueryDirectObject("Type"));
        if (!type) {
            TraceMessage("PDFParser::ParsePagesIDs, can't read object type");
            return eFailure;
        }
        if (type->GetValue() == "Page") {
            outNode.isPage = true;
            return eSuccess;
        }
        if (type->GetValue() != "Pages") {
            TraceMessage("PDFParser::ParsePagesIDs, unexpected object type. should be either Page or Pages, found %s",
                         TraceExcerpt(type->GetValue()).c_str());
            return eFailure;
        }
        // Kids may be a reference to an array object, which readers follow.
        PDFObjectCastPtr<PDFArray> kids(ResolveDictionaryValue(inNode, "Kids"));
        if (!kids) {
            TraceMessage("PDFParser::ParsePagesIDs, unable to find page kids array");
            return eFailure;
        }
        outNode.kids.reserve(kids->GetLength());
        for (uint32_t i = 0; i < kids->GetLength(); ++i) {
            RefCountPtr<PDFObject> kid(kids->QueryObject(i));
            if (kid->GetType() == PDFObject::ePDFObjectIndirectObjectReference) {
                outNode.kids.push_back(static_cast<PDFIndirectObjectReference*>(kid.GetPtr())->GetObjectID());
                continue;
            }
            // A dictionary may be a page written in place, which has no id to be listed by.
            if (kid->GetType() == PDFObject::ePDFObjectDictionary) {
                TraceMessage("PDFParser::ParsePagesIDs, unexpected type for a Kids array object, type = %s",
                             PDFObject::TypeLabelFor(kid->GetType()));
                return eFailure;
            }
            // A string, a number, a null: no page, as readers take it; the other kids are read.
            TraceNote("PDFParser::ParsePagesIDs, Kids entry %u is %s, no page; passed over", i,
                      PDFObject::TypeLabelFor(kid->GetType()));
        }
        return eSuccess;
    };

    struct Step {
        uint32_t id;
        const Node* node;
        size_t next;
    };
    std::vector<Step> path;
    std::unordered_set<uint32_t> ancestors;
    size_t visits = 0;
    // Enters a node: a page is listed, a Pages node goes on the path.
    auto enter = [&](uint32_t inID, const Node& inNode) -> OpStatus {
        if (++visits > kMaxPageTreeVisits) {
            TraceMessage("PDFParser::ParsePagesIDs, the page tree lists more than %lld nodes. fail.",
                         static_cast<long long>(kMaxPageTreeVisits));
            return eFailure;
        }
        if (inNode.isPage) {
            if (static_cast<long long>(mPagesObjectIDs.size()) >= inDeclaredCount) {
                TraceMessage("PDFParser::ParsePagesIDs, there are more pages than the page count specifies. fail.");
                return eFailure;
            }
            mPagesObjectIDs.push_back(inID);
            return eSuccess;
        }
        path.push_back({inID, &inNode, 0});
        ancestors.insert(inID);
        return eSuccess;
    };

    Node& root = nodes[inRootID];
    if (read(inPagesRoot, root) != eSuccess || enter(inRootID, root) != eSuccess)
        return eFailure;
    while (!path.empty()) {
        Step& step = path.back();
        if (step.next >= step.node->kids.size()) {
            ancestors.erase(step.id);
            path.pop_back();
            continue;
        }
        uint32_t kidID = step.node->kids[step.next++];
        if (ancestors.count(kidID) != 0) {
            TraceMessage("PDFParser::ParsePagesIDs, page tree node %u is its own ancestor. fail.", kidID);
            return eFailure;
        }
        // Pages are most of the tree and need no entry of their own: one flag per object id.
        static const Node pageNode{true, {}};
        if (kidID < knownPages.size() && knownPages[kidID]) {
            if (enter(kidID, pageNode) != eSuccess)
                return eFailure;
            continue;
        }
        auto known = nodes.find(kidID);
        if (known == nodes.end()) {
            // Only what the walk reads of a node is built: its Type and Kids.
            static const PDFObjectParser::KeptKeys walkKeys = {{"Type", "Kids"}, "Type", "Page"};
            mKeptKeys = &walkKeys;
            RefCountPtr<PDFObject> kidObject(ParseObjectByID(kidID));
            mKeptKeys = nullptr;
            Node node;
            if (!kidObject || kidObject->GetType() != PDFObject::ePDFObjectDictionary) {
                // Only an object the file holds but that cannot be read may be a page lost.
                if (!kidObject && HoldsObject(kidID)) {
                    TraceMessage("PDFParser::ParsePagesIDs, unable to parse page node object from kids reference");
                    return eFailure;
                }
                // No page: kept as a node without kids, so that a second mention is neither read
                // again nor walked uncounted.
                TraceNote("PDFParser::ParsePagesIDs, Kids entry names object %u, which is %s, no page; passed over",
                          kidID, kidObject ? PDFObject::TypeLabelFor(kidObject->GetType()) : "null");
            } else if (read(static_cast<PDFDictionary*>(kidObject.GetPtr()), node) != eSuccess) {
                return eFailure;
            }
            if (node.isPage) {
                if (kidID < knownPages.size())
                    knownPages[kidID] = true;
                if (enter(kidID, pageNode) != eSuccess)
                    return eFailure;
                continue;
            }
            known = nodes.emplace(kidID, std::move(node)).first;
        }
        // Nodes are never erased, so the pointer on the path stays valid.
        if (enter(kidID, known->second) != eSuccess)
            return eFailure;
    }

    if (static_cast<long long>(mPagesObjectIDs.size()) < inDeclaredCount)
        TraceMessage("PDFParser::ParsePagesIDs, the page tree declares %lld pages but holds %lld. using the pages found.",
                     inDeclaredCount, static_cast<long long>(mPagesObjectIDs.size()));
    return eSuccess;
}

uint32_t PDFParser::GetPageObjectID(uint32_t inPageIndex) const
{
    return inPageIndex < mPagesObjectIDs.size() ? mPagesObjectIDs[inPageIndex] : 0;
}

PDFDictionary* PDFParser::ParsePage(uint32_t inPageIndex)
{
    if (inPageIndex >= mPagesObjectIDs.size())
        return nullptr;
    PDFObjectCastPtr<PDFDictionary> page(ParseObjectByID(mPagesObjectIDs[inPageIndex]));
    if (!page) {
        TraceMessage("PDFParser::ParsePage, couldn't find page object for index %lld", static_cast<long long>(inPageIndex));
        return nullptr;
    }
    PDFObjectCastPtr<PDFName> type(page->QueryDirectObject("Type"));
    if (!type || type->GetValue() != "Page") {
        TraceMessage("PDFParser::ParsePage, page object listed in page array for %lld is actually not a page",
                     static_cast<long long>(inPageIndex));
        return nullptr;
    }
    return page.Detach();
}
