#include "pdf/parsing/PDFParser.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputAscii85DecodeStream.h"
#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/InputDCTDecodeStream.h"
#include "pdf/io/InputFlateDecodeStream.h"
#include "pdf/io/InputLimitedStream.h"
#include "pdf/io/InputPredictorFactory.h"
#include "pdf/io/InputStreamSkipperStream.h"
#include "pdf/io/NumberText.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/IPDFParserExtender.h"

#include <algorithm>
#include <limits>
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
    std::string mData;
    RefCountPtr<PDFStreamInput> mStream;

    size_t CostInBytes() const { return sizeof(*this) + mData.size() + mHeader.size() * sizeof(ObjectStreamHeaderEntry); }
};

PDFParser::PDFParser() = default;

PDFParser::~PDFParser()
{
    ResetParser();
}

void PDFParser::ResetParser()
{
    mStream = nullptr;
    mStreamSize = 0;
    mCurrentPositionProvider.Assign(nullptr);
    mObjectParser.SetReadStream(nullptr, nullptr);
    mPDFLevel = 0;
    mLastXrefPosition = 0;
    mTrailer = nullptr;
    mXrefTable.Reset();
    mPagesObjectIDs.clear();
    mPagesObjectIDs.shrink_to_fit();
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
}

OpStatus PDFParser::ParseDocument(IByteReaderWithPosition* inSourceStream)
{
    ResetParser();
    if (!inSourceStream) {
        TraceMessage("PDFParser::ParseDocument, no source stream to parse");
        return eFailure;
    }
    mStream = inSourceStream;
    mCurrentPositionProvider.Assign(mStream);
    mObjectParser.SetReadStream(mStream, &mCurrentPositionProvider);

    LongFilePositionType start = mStream->TellPosition();
    mStream->SeekFromEnd(0);
    mStreamSize = mStream->TellPosition();
    mStream->SeekFromStart(start);

    if (ParseHeaderLine() != eSuccess || ParseEOFLine() != eSuccess || ParseXrefPosition() != eSuccess ||
        ParseFileDirectory() != eSuccess)
        return eFailure;

    // An encrypted file is parsed but offers no pages.
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

OpStatus PDFParser::ParseHeaderLine()
{
    PDFTokenReader tokenizer;
    tokenizer.SetReadStream(mStream);
    BoolAndString token = tokenizer.ReadNextToken();
    if (!token.first) {
        TraceMessage("PDFParser::ParseHeaderLine, no tokens in PDF input. in other words - it's empty.");
        return eFailure;
    }
    if (token.second.compare(0, 5, "%PDF-") != 0) {
        TraceMessage("PDFParser::ParseHeaderLine, file does not begin as a PDF file. a PDF file should start with \"%%PDF-\". file header = %s",
                     token.second.c_str());
        return eFailure;
    }
    mPDFLevel = PDFObjectParser::StringToDouble(token.second.substr(5));
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
    GoBackTillLineStart();
    mStream->SeekFromStart(GetCurrentPositionFromBackReader());

    PDFTokenReader tokenizer;
    tokenizer.SetReadStream(mStream);
    BoolAndString token = tokenizer.ReadNextToken();
    if (!token.first || token.second.compare(0, 5, "%%EOF") != 0) {
        TraceMessage("PDFParser::ParseEOFLine, failure, last line not %%EOF");
        return eFailure;
    }
    return eSuccess;
}

OpStatus PDFParser::ParseXrefPosition()
{
    if (!GoBackTillNonToken()) {
        TraceMessage("PDFParser::ParseXrefPosition, couldn't find xref position token");
        return eFailure;
    }
    GoBackTillLineStart();
    SeekAndReset(GetCurrentPositionFromBackReader());

    RefCountPtr<PDFObject> anObject(mObjectParser.ParseNextObject());
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
                     token.second.c_str());
        return eFailure;
    }

    for (;;) {
        token = tokenizer.ReadNextToken();
        if (!token.first) {
            TraceMessage("PDFParser::ParseXref, failed to read tokens, while reading xref");
            return eFailure;
        }
        if (token.second == "trailer")
            return eSuccess;

        long long firstID = -1;
        if (!PDFObjectParser::IsInteger(token.second) || !NumberText::ParseLongLong(token.second, firstID) || firstID < 0) {
            TraceMessage("PDFParser::ParseXref, malformed subsection start, found = %s", token.second.c_str());
            return eFailure;
        }
        token = tokenizer.ReadNextToken();
        if (!token.first) {
            TraceMessage("PDFParser::ParseXref, unable to read section size, while reading xref");
            return eFailure;
        }
        long long count = -1;
        if (!PDFObjectParser::IsInteger(token.second) || !NumberText::ParseLongLong(token.second, count) || count < 0) {
            TraceMessage("PDFParser::ParseXref, malformed subsection size, found = %s", token.second.c_str());
            return eFailure;
        }
        if (firstID > static_cast<long long>(XrefTable::kMaxSize) || count > static_cast<long long>(XrefTable::kMaxSize) - firstID) {
            TraceMessage("PDFParser::ParseXref, subsection %lld %lld reaches beyond %u objects", firstID, count, XrefTable::kMaxSize);
            return eFailure;
        }
        if (count == 0)
            continue;
        // Every entry takes 20 bytes of the file.
        if (count > (mStreamSize - mStream->TellPosition()) / 20 + 1) {
            TraceMessage("PDFParser::ParseXref, subsection %lld %lld lists more entries than the file holds", firstID, count);
            return eFailure;
        }

        // The first entry starts at the first byte that is no whitespace; the others follow in 20-byte rows.
        Byte row[20];
        Byte byte = 0;
        do {
            if (tokenizer.GetNextByteForToken(byte) != 0) {
                TraceMessage("PDFParser::ParseXref, failed to read xref entry");
                return eFailure;
            }
        } while (PDFTokenReader::IsPDFWhitespace(byte));
        row[0] = byte;
        for (long long i = 0; i < count; ++i) {
            bool complete = i == 0 ? ReadFully(mStream, row + 1, 19) == 19 : ReadFully(mStream, row, 20) == 20;
            if (!complete) {
                TraceMessage("PDFParser::ParseXref, failed to read xref entry");
                return eFailure;
            }
            // "oooooooooo ggggg n" and a two-byte line end; anything else is a damaged table.
            bool wellFormed = row[10] == ' ' && row[16] == ' ' && (row[17] == 'n' || row[17] == 'f') &&
                              (row[18] == ' ' || row[18] == '\r' || row[18] == '\n') &&
                              (row[19] == ' ' || row[19] == '\r' || row[19] == '\n');
            XrefEntry entry;
            for (int k = 0; k < 10 && wellFormed; ++k) {
                wellFormed = IsDigit(row[k]);
                entry.mObjectPosition = entry.mObjectPosition * 10 + (row[k] - '0');
            }
            long long generation = 0;
            for (int k = 11; k < 16 && wellFormed; ++k) {
                wellFormed = IsDigit(row[k]);
                generation = generation * 10 + (row[k] - '0');
            }
            if (!wellFormed) {
                TraceMessage("PDFParser::ParseXref, malformed cross-reference entry for object %lld", firstID + i);
                return eFailure;
            }
            entry.mGeneration = static_cast<uint32_t>(generation);
            entry.mType = row[17] == 'n' ? eXrefEntryExisting : eXrefEntryDelete;
            ioTable.Set(static_cast<uint32_t>(firstID + i), entry);
        }
    }
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
                     static_cast<PDFSymbol*>(keyword.GetPtr())->GetValue().c_str());
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
        if (value < 0 || value > (i == 2 ? 4 : 8)) {
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
    Byte buffer[20];
    for (long long i = 0; i < inCount; ++i) {
        if (!inReader->HasMoreBytes())
            break;
        size_t got = ReadFully(inReader, buffer, entrySize);
        if (got == 0)
            break; // the data ends early: the remaining ids keep their entries
        if (got < entrySize) {
            TraceMessage("PDFParser::ReadXrefStreamSegment, failed to read the entry of object %lld", inFirstID + i);
            return eFailure;
        }
        unsigned long long fields[3] = {0, 0, 0};
        const Byte* cursor = buffer;
        for (int f = 0; f < 3; ++f)
            for (int k = 0; k < inWidths[f]; ++k)
                fields[f] = (fields[f] << 8) | *cursor++;
        if (inWidths[0] == 0)
            fields[0] = 1;

        XrefEntry entry;
        entry.mObjectPosition = static_cast<long long>(fields[1]);
        entry.mGeneration = static_cast<uint32_t>(fields[2]);
        switch (fields[0]) {
        case 0: entry.mType = eXrefEntryDelete; break;
        case 1: entry.mType = eXrefEntryExisting; break;
        case 2: entry.mType = eXrefEntryStreamObject; break;
        default:
            TraceMessage("PDFParser::ReadXrefStreamSegment, unfamiliar entry type. must be either 0,1 or 2");
            return eFailure;
        }
        ioTable.Set(static_cast<uint32_t>(inFirstID + i), entry);
    }
    return eSuccess;
}

PDFObject* PDFParser::ParseObjectByID(uint32_t inObjectID)
{
    if (!mStream || inObjectID >= mXrefTable.GetSize())
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
                     static_cast<PDFSymbol*>(keyword.GetPtr())->GetValue().c_str());
        return nullptr;
    }
    PDFObject* body = mObjectParser.ParseNextObject(mParserExtender);
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

    SeekAndReset(stream->GetStreamContentStart());
    std::unique_ptr<IByteReader> reader(CreateInputStreamReader(stream.GetPtr()));
    if (!reader)
        return nullptr;
    std::vector<Byte> chunk(64 * 1024);
    while (data->mData.size() <= kObjectStreamBudget && reader->HasMoreBytes()) {
        size_t got = reader->Read(chunk.data(), chunk.size());
        if (got == 0)
            break;
        data->mData.append(reinterpret_cast<const char*>(chunk.data()), got);
    }
    reader.reset();

    if (data->mData.size() <= kObjectStreamBudget) {
        data->mInMemory = true;
        if (data->mFirst > static_cast<long long>(data->mData.size())) {
            TraceMessage("PDFParser::ParseExistingInDirectStreamObject, First %lld lies beyond the %lld bytes of object stream %lld",
                         data->mFirst, static_cast<long long>(data->mData.size()), static_cast<long long>(inStreamID));
            return nullptr;
        }
        InputByteArrayStream bytes(reinterpret_cast<const Byte*>(data->mData.data()),
                                   static_cast<LongFilePositionType>(data->mData.size()));
        if (ParseObjectStreamHeader(&bytes, *data, count->GetValue()) != eSuccess)
            return nullptr;
    } else {
        // Too large to keep: the header is kept and each object is decoded again from the start.
        data->mData.clear();
        data->mData.shrink_to_fit();
        data->mStream = stream;
        SeekAndReset(stream->GetStreamContentStart());
        reader.reset(CreateInputStreamReader(stream.GetPtr()));
        if (!reader || ParseObjectStreamHeader(reader.get(), *data, count->GetValue()) != eSuccess)
            return nullptr;
    }
    return data;
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
        if (inTarget > static_cast<long long>(inData.mData.size())) {
            TraceMessage("PDFParser::ParseExistingInDirectStreamObject, object %lld lies beyond the data of object stream %lld",
                         static_cast<long long>(inObjectID), static_cast<long long>(inData.mStreamID));
            return nullptr;
        }
        InputByteArrayStream bytes(reinterpret_cast<const Byte*>(inData.mData.data()) + inTarget,
                                   static_cast<LongFilePositionType>(inData.mData.size()) - inTarget);
        AdapterIByteReaderWithPositionToIReadPositionProvider position(&bytes);
        PDFObjectParser parser;
        parser.SetReadStream(&bytes, &position);
        result = parser.ParseNextObject(mParserExtender);
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
        result = parser.ParseNextObject(mParserExtender);
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
    PDFObjectCastPtr<PDFInteger> length(ResolveKeepingPosition(dictionary.GetPtr(), "Length"));
    if (!length) {
        TraceMessage("PDFParser::CreateInputStreamReader, stream does not have length, failing");
        return nullptr;
    }
    long long start = inStream->GetStreamContentStart();
    if (length->GetValue() < 0 || start < 0 || start > mStreamSize || length->GetValue() > mStreamSize - start) {
        TraceMessage("PDFParser::CreateInputStreamReader, stream length %lld at %lld reaches outside the file",
                     length->GetValue(), start);
        return nullptr;
    }
    RefCountPtr<PDFObject> filter(ResolveKeepingPosition(dictionary.GetPtr(), "Filter"));
    RefCountPtr<PDFObject> decodeParms(ResolveKeepingPosition(dictionary.GetPtr(), "DecodeParms"));
    // A filter named by a reference that cannot be read must not turn into "no filter".
    if ((!filter && dictionary->Exists("Filter")) || (!decodeParms && dictionary->Exists("DecodeParms"))) {
        TraceMessage("PDFParser::CreateInputStreamReader, Filter or DecodeParms could not be read, failing");
        return nullptr;
    }

    IByteReader* result = new InputLimitedStream(mStream, length->GetValue(), false);
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

OpStatus PDFParser::CreateFilterForStream(IByteReader* inStream, PDFName* inFilterName, PDFDictionary* inDecodeParams,
                                          IByteReader*& outReader)
{
    outReader = nullptr;
    const std::string& name = inFilterName->GetValue();

    if (name == "FlateDecode") {
        InputFlateDecodeStream* flate = new InputFlateDecodeStream(inStream);
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
            TraceMessage("PDFParser::CreateFilterForStream, filter is not supported by extender - %s", name.c_str());
            delete inStream;
            return eFailure;
        }
        if (!result) {
            TraceMessage("PDFParser::CreateFilterForStream, the parser extender failed to create filter %s", name.c_str());
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
    // Every page is an object of its own, so no tree holds more pages than the file has objects.
    long long declared = std::min(count->GetValue(), static_cast<long long>(mXrefTable.GetSize()));
    return ParsePagesIDs(pages.GetPtr(), pagesReference->GetObjectID(), declared);
}

OpStatus PDFParser::ParsePagesIDs(PDFDictionary* inPagesRoot, uint32_t inRootID, long long inDeclaredCount)
{
    struct Node {
        RefCountPtr<PDFArray> kids;
        uint32_t next = 0;
    };
    std::vector<Node> path;
    // Each node is walked once: a node met again is a loop (or a node shared by two parents).
    std::unordered_set<uint32_t> visited;
    visited.insert(inRootID);

    auto visit = [&](PDFDictionary* inNode, uint32_t inNodeID) -> OpStatus {
        PDFObjectCastPtr<PDFName> type(inNode->QueryDirectObject("Type"));
        if (!type) {
            TraceMessage("PDFParser::ParsePagesIDs, can't read object type");
            return eFailure;
        }
        if (type->GetValue() == "Page") {
            if (static_cast<long long>(mPagesObjectIDs.size()) >= inDeclaredCount) {
                TraceMessage("PDFParser::ParsePagesIDs, there are more pages than the page count specifies. fail.");
                return eFailure;
            }
            mPagesObjectIDs.push_back(inNodeID);
            return eSuccess;
        }
        if (type->GetValue() == "Pages") {
            PDFObjectCastPtr<PDFArray> kids(inNode->QueryDirectObject("Kids"));
            if (!kids) {
                TraceMessage("PDFParser::ParsePagesIDs, unable to find page kids array");
                return eFailure;
            }
            Node node;
            node.kids = kids;
            path.push_back(std::move(node));
            return eSuccess;
        }
        TraceMessage("PDFParser::ParsePagesIDs, unexpected object type. should be either Page or Pages, found %s",
                     type->GetValue().c_str());
        return eFailure;
    };

    if (visit(inPagesRoot, inRootID) != eSuccess)
        return eFailure;
    while (!path.empty()) {
        Node& node = path.back();
        if (node.next >= node.kids->GetLength()) {
            path.pop_back();
            continue;
        }
        RefCountPtr<PDFObject> kid(node.kids->QueryObject(node.next++));
        if (kid->GetType() != PDFObject::ePDFObjectIndirectObjectReference) {
            TraceMessage("PDFParser::ParsePagesIDs, unexpected type for a Kids array object, type = %s",
                         PDFObject::TypeLabelFor(kid->GetType()));
            return eFailure;
        }
        uint32_t kidID = static_cast<PDFIndirectObjectReference*>(kid.GetPtr())->GetObjectID();
        if (!visited.insert(kidID).second) {
            TraceMessage("PDFParser::ParsePagesIDs, page tree node %u is reached a second time. fail.", kidID);
            return eFailure;
        }
        PDFObjectCastPtr<PDFDictionary> kidNode(ParseObjectByID(kidID));
        if (!kidNode) {
            TraceMessage("PDFParser::ParsePagesIDs, unable to parse page node object from kids reference");
            return eFailure;
        }
        if (visit(kidNode.GetPtr(), kidID) != eSuccess)
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
