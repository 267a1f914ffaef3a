#include "pdf/writing/ObjectsContext.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/OutputBufferedStream.h"

namespace {

const char scObj[] = "obj";
const char scEndObj[] = "endobj";
const char scLength[] = "Length";
const char scStream[] = "stream";
const char scEndStream[] = "endstream";
const char scFilter[] = "Filter";
const char scFlateDecode[] = "FlateDecode";
const char scXref[] = "xref";
const char scIndex[] = "Index";
const char scW[] = "W";

// One 20-byte row "nnnnnnnnnn ggggg k" CR LF. False when a value does not fit its digits: a
// longer row would break every offset a reader computes from the row size.
bool FormatXrefRow(char (&outRow)[20], long long inFirst, unsigned long inGeneration, char inKind)
{
    if (inFirst < 0 || inFirst > IndirectObjectsReferenceRegistry::kMaxRowPosition ||
        inGeneration > IndirectObjectsReferenceRegistry::kMaxRowGeneration)
        return false;
    for (int i = 9; i >= 0; --i, inFirst /= 10)
        outRow[i] = static_cast<char>('0' + inFirst % 10);
    outRow[10] = ' ';
    for (int i = 15; i >= 11; --i, inGeneration /= 10)
        outRow[i] = static_cast<char>('0' + inGeneration % 10);
    outRow[16] = ' ';
    outRow[17] = inKind;
    outRow[18] = '\r';
    outRow[19] = '\n';
    return true;
}

// An object in use needs the position where it was written.
bool IsWrittenObject(const char* inCaller, ObjectIDType inObjectID, const RegistryEntry& inEntry)
{
    if (inEntry.mIsWritten)
        return true;
    TraceMessage("%s, Unexpected Failure. Object of ID = %ld was not registered as written. probably means it was not written",
                 inCaller, static_cast<long>(inObjectID));
    return false;
}

// Most significant byte first.
void AppendBigEndian(std::string& ioRecords, unsigned long long inValue, int inBytes)
{
    for (int shift = (inBytes - 1) * 8; shift >= 0; shift -= 8)
        ioRecords.push_back(static_cast<char>((inValue >> shift) & 0xFF));
}

} // namespace

ObjectsContext::ObjectsContext() = default;

ObjectsContext::~ObjectsContext() = default;

void ObjectsContext::SetOutputStream(IByteWriterWithPosition* inOutputStream)
{
    mOutputStream = inOutputStream;
    mValueWriter.SetOutputStream(inOutputStream);
}

void ObjectsContext::Reset()
{
    SetOutputStream(nullptr);
    mValueWriter.ResetFailure();
    mCompressStreams = true;
    mSubsetFontsNamesSequance.Reset();
    mReferencesRegistry.Reset();
    // Dropped, not ended: the output they belonged to may be closed already.
    mOrderedDictionaries.clear();
    mOpenStreams.clear();
    mOpenObjectID = 0;
    mFailed = false;
    ++mDocument;
}

bool ObjectsContext::HasFailed() const
{
    if (mFailed || mValueWriter.HasFailed())
        return true;
    // Data that callers write straight to the output (stream content, copied bytes) is seen
    // only by the buffered file stream.
    const OutputBufferedStream* buffered = dynamic_cast<const OutputBufferedStream*>(mOutputStream);
    return buffered && buffered->HasFailed();
}

void ObjectsContext::WriteComment(std::string_view inCommentText)
{
    mValueWriter.WriteText("%");
    mValueWriter.WriteText(inCommentText);
    EndLine();
}

void ObjectsContext::WriteKeyword(std::string_view inKeyword)
{
    mValueWriter.WriteText(inKeyword);
    EndLine();
}

void ObjectsContext::EndLine()
{
    mValueWriter.WriteSeparator(eTokenSeparatorEndLine);
}

void ObjectsContext::WriteInteger(long long inValue, ETokenSeparator inSeparate)
{
    mValueWriter.WriteIntegerValue(inValue, inSeparate);
}

void ObjectsContext::WriteBoolean(bool inValue, ETokenSeparator inSeparate)
{
    mValueWriter.WriteText(inValue ? "true" : "false");
    mValueWriter.WriteSeparator(inSeparate);
}

void ObjectsContext::WriteNull(ETokenSeparator inSeparate)
{
    mValueWriter.WriteText("null");
    mValueWriter.WriteSeparator(inSeparate);
}

void ObjectsContext::WriteIndirectObjectReference(ObjectIDType inObjectID, unsigned long inGeneration,
                                                  ETokenSeparator inSeparate)
{
    mValueWriter.WriteIntegerValue(static_cast<long long>(inObjectID), eTokenSeparatorSpace);
    mValueWriter.WriteIntegerValue(static_cast<long long>(inGeneration), eTokenSeparatorSpace);
    mValueWriter.WriteText("R");
    mValueWriter.WriteSeparator(inSeparate);
}

void ObjectsContext::WriteIndirectObjectReference(ObjectIDType inObjectID, ETokenSeparator inSeparate)
{
    WriteIndirectObjectReference(inObjectID, mReferencesRegistry.GetGeneration(inObjectID), inSeparate);
}

void ObjectsContext::StartArray()
{
    mValueWriter.WriteText("[ ");
}

void ObjectsContext::EndArray(ETokenSeparator inSeparate)
{
    mValueWriter.WriteText("]");
    mValueWriter.WriteSeparator(inSeparate);
}

DictionaryContext* ObjectsContext::StartDictionary()
{
    mOrderedDictionaries.emplace_back(new DictionaryContext(this, mOrderedDictionaries.size()));
    return mOrderedDictionaries.back().get();
}

OpStatus ObjectsContext::EndDictionary(DictionaryContext* inDictionaryContext)
{
    if (mOrderedDictionaries.empty()) {
        TraceMessage("ObjectsContext::EndDictionary, stack underflow. Trying to end a dictionary when there's no open "
                     "dictionaries");
        RecordFailure();
        return eFailure;
    }
    if (mOrderedDictionaries.back().get() != inDictionaryContext) {
        TraceMessage("ObjectsContext::EndDictionary, nesting violation. Trying to close a dictionary while one of it's children "
                     "is still open. First End the children");
        RecordFailure();
        return eFailure;
    }
    inDictionaryContext->WriteEnd();
    mOrderedDictionaries.pop_back();
    return eSuccess;
}

LongFilePositionType ObjectsContext::CurrentPosition()
{
    return mOutputStream ? mOutputStream->TellPosition() : 0;
}

void ObjectsContext::WriteIndirectObjectHeader(ObjectIDType inObjectID)
{
    // Objects do not nest: a header inside an open dictionary or inside the data of a stream
    // written straight to the file breaks the file for every reader.
    if (!mOrderedDictionaries.empty() || HasOpenDirectStream()) {
        TraceMessage("ObjectsContext::StartIndirectObject, object %ld starts while a dictionary or a stream is still "
                     "open",
                     static_cast<long>(inObjectID));
        RecordFailure();
    }
    // In an update an object keeps the generation of the existing file; new objects have 0.
    mValueWriter.WriteIntegerValue(static_cast<long long>(inObjectID), eTokenSeparatorSpace);
    mValueWriter.WriteIntegerValue(static_cast<long long>(mReferencesRegistry.GetGeneration(inObjectID)),
                                   eTokenSeparatorSpace);
    mValueWriter.WriteText(scObj);
    EndLine();
}

ObjectIDType ObjectsContext::AllocateAndStartIndirectObject()
{
    ObjectIDType newObjectID = mReferencesRegistry.ReserveNewObjectID();
    StartIndirectObject(newObjectID);
    return newObjectID;
}

void ObjectsContext::StartIndirectObject(ObjectIDType inObjectID)
{
    RememberOpenObject(inObjectID);
    if (mReferencesRegistry.MarkObjectAsWritten(inObjectID, CurrentPosition()) != eSuccess)
        RecordFailure();
    WriteIndirectObjectHeader(inObjectID);
}

void ObjectsContext::StartUpdatedIndirectObject(ObjectIDType inObjectID)
{
    RememberOpenObject(inObjectID);
    if (mReferencesRegistry.MarkObjectAsUpdated(inObjectID, CurrentPosition()) != eSuccess)
        RecordFailure();
    WriteIndirectObjectHeader(inObjectID);
}

void ObjectsContext::RememberOpenObject(ObjectIDType inObjectID)
{
    mOpenObjectID = inObjectID < mReferencesRegistry.GetObjectsCount() ? inObjectID : 0;
    if (mOpenObjectID != 0)
        mOpenObjectEntryBefore = mReferencesRegistry.GetEntry(inObjectID);
}

void ObjectsContext::EndIndirectObject()
{
    WriteKeyword(scEndObj);
    mOpenObjectID = 0;
}

ObjectsContext::WritingMark ObjectsContext::MarkWriting() const
{
    WritingMark mark;
    mark.mDocument = mDocument;
    mark.mDictionaries = mOrderedDictionaries.size();
    mark.mStreams = mNextStreamSerial;
    mark.mOpenObject = mOpenObjectID;
    return mark;
}

void ObjectsContext::UnwindTo(const WritingMark& inMark)
{
    if (inMark.mDocument != mDocument)
        return;
    if (mOrderedDictionaries.size() > inMark.mDictionaries)
        mOrderedDictionaries.resize(inMark.mDictionaries);
    for (auto stream = mOpenStreams.begin(); stream != mOpenStreams.end();) {
        if (stream->second.mSerial < inMark.mStreams) {
            ++stream;
            continue;
        }
        // Data written straight to the file is closed as a stream, so that a reader that scans the
        // file for objects does not take what follows for more of its data.
        if (stream->second.mDirect) {
            EndLine();
            WriteKeyword(scEndStream);
        }
        const ObjectIDType lengthID = stream->second.mLengthID;
        if (lengthID != 0 && !mReferencesRegistry.GetEntry(lengthID).mIsWritten)
            mReferencesRegistry.ReleaseObjectID(lengthID);
        stream = mOpenStreams.erase(stream);
    }
    if (mOpenObjectID == 0 || mOpenObjectID == inMark.mOpenObject)
        return;
    // The half-written object is closed; the cross-reference section no longer leads to it.
    EndLine();
    WriteKeyword(scEndObj);
    const ObjectIDType id = mOpenObjectID;
    mOpenObjectID = 0;
    mReferencesRegistry.RestoreEntry(id, mOpenObjectEntryBefore);
    if (!mOpenObjectEntryBefore.mIsWritten)
        mReferencesRegistry.ReleaseObjectID(id);
}

bool ObjectsContext::WriteEntryKey(DictionaryContext* inDictionaryContext, std::string_view inKey)
{
    // A value without its key would break the dictionary's syntax; the refusal is remembered.
    return inDictionaryContext->WriteKey(inKey) == eSuccess;
}

DictionaryContext* ObjectsContext::OpenStreamDictionary(DictionaryContext* inStreamDictionary)
{
    if (inStreamDictionary && !IsOpenDictionary(inStreamDictionary)) {
        // An ended dictionary is deleted; writing into it is not possible. The stream still gets a
        // dictionary so that the caller can go on, and the file is marked as failed.
        TraceMessage("ObjectsContext::StartStream, the stream dictionary is not open");
        RecordFailure();
        inStreamDictionary = nullptr;
    }
    return inStreamDictionary ? inStreamDictionary : StartDictionary();
}

std::unique_ptr<WrittenPDFStream> ObjectsContext::StartStream(DictionaryContext* inStreamDictionary, bool inBufferInMemory)
{
    inStreamDictionary = OpenStreamDictionary(inStreamDictionary);
    bool compress = mCompressStreams;
    if (compress && WriteEntryKey(inStreamDictionary, scFilter))
        mValueWriter.WriteNameValue(scFlateDecode, eTokenSeparatorEndLine);
    if (inBufferInMemory)
        return RegisterStream(new WrittenPDFStream(compress, inStreamDictionary));
    return StartDirectStream(inStreamDictionary, compress);
}

std::unique_ptr<WrittenPDFStream> ObjectsContext::RegisterStream(WrittenPDFStream* inStream, ObjectIDType inLengthID)
{
    mOpenStreams[inStream] = OpenStream{inLengthID, mNextStreamSerial++, !inStream->IsBuffered()};
    return std::unique_ptr<WrittenPDFStream>(inStream);
}

bool ObjectsContext::HasOpenDirectStream() const
{
    for (const auto& stream : mOpenStreams) {
        if (stream.second.mDirect)
            return true;
    }
    return false;
}

bool ObjectsContext::IsOpenDictionary(const DictionaryContext* inDictionaryContext) const
{
    for (const std::unique_ptr<DictionaryContext>& dictionary : mOrderedDictionaries) {
        if (dictionary.get() == inDictionaryContext)
            return true;
    }
    return false;
}

std::unique_ptr<WrittenPDFStream> ObjectsContext::StartRawStream(DictionaryContext* inStreamDictionary)
{
    inStreamDictionary = OpenStreamDictionary(inStreamDictionary);
    return StartDirectStream(inStreamDictionary, false);
}

std::unique_ptr<WrittenPDFStream> ObjectsContext::StartDirectStream(DictionaryContext* inStreamDictionary, bool inCompress)
{
    ObjectIDType lengthObjectID = 0;
    if (WriteEntryKey(inStreamDictionary, scLength)) {
        lengthObjectID = mReferencesRegistry.ReserveNewObjectID();
        WriteIndirectObjectReference(lengthObjectID, 0, eTokenSeparatorEndLine);
    }
    EndDictionary(inStreamDictionary);
    WriteKeyword(scStream);
    return RegisterStream(new WrittenPDFStream(inCompress, mOutputStream, lengthObjectID), lengthObjectID);
}

OpStatus ObjectsContext::EndStream(WrittenPDFStream* inStream)
{
    if (mOpenStreams.erase(inStream) == 0) {
        TraceMessage("ObjectsContext::EndStream, the stream was not started in this document or was ended already");
        RecordFailure();
        return eFailure;
    }
    // The dictionary of a buffered stream must still be open; ended early, it is gone.
    DictionaryContext* dictionary = inStream->GetStreamDictionary();
    if (inStream->IsBuffered() && !IsOpenDictionary(dictionary)) {
        TraceMessage("ObjectsContext::EndStream, the dictionary of the stream was ended before the stream");
        RecordFailure();
        return eFailure;
    }
    OpStatus status = eSuccess;
    LongFilePositionType length = inStream->FinalizeLength();
    if (inStream->IsBuffered()) {
        if (WriteEntryKey(dictionary, scLength))
            dictionary->WriteIntegerValue(length);
        if (EndDictionary(dictionary) != eSuccess)
            status = eFailure;
        WriteKeyword(scStream);
        if (inStream->CopyBufferedContentTo(mOutputStream) != eSuccess)
            status = eFailure;
        EndLine();
        WriteKeyword(scEndStream);
        EndIndirectObject();
    } else {
        EndLine();
        WriteKeyword(scEndStream);
        EndIndirectObject();
        if (inStream->GetLengthObjectID() != 0) {
            StartIndirectObject(inStream->GetLengthObjectID());
            WriteInteger(length, eTokenSeparatorEndLine);
            EndIndirectObject();
        }
    }
    if (inStream->HasFailed()) {
        TraceMessage("ObjectsContext::EndStream, the stream's data could not be written in full");
        RecordFailure();
        status = eFailure;
    }
    return status;
}

std::string ObjectsContext::GenerateSubsetFontPrefix()
{
    return mSubsetFontsNamesSequance.GetNextValue();
}

OpStatus ObjectsContext::WriteXrefTable(LongFilePositionType& outWritePosition)
{
    outWritePosition = CurrentPosition();
    WriteKeyword(scXref);
    if (mReferencesRegistry.GetObjectsCount() == 0)
        return eSuccess;

    for (const IndirectObjectsReferenceRegistry::SectionRun& run : mReferencesRegistry.GetSectionRuns()) {
        WriteInteger(static_cast<long long>(run.first), eTokenSeparatorSpace);
        WriteInteger(static_cast<long long>(run.second), eTokenSeparatorEndLine);
        for (ObjectIDType id = run.first; id < run.first + run.second; ++id) {
            const RegistryEntry& entry = mReferencesRegistry.GetEntry(id);
            long long first;
            char kind;
            if (entry.mKind == eRegistryEntryFree) {
                first = static_cast<long long>(mReferencesRegistry.GetNextFreeInSection(id));
                kind = 'f';
            } else if (!IsWrittenObject("ObjectsContext::WriteXrefTable", id, entry)) {
                RecordFailure();
                return eFailure;
            } else {
                first = entry.mPosition;
                kind = 'n';
            }
            char row[20];
            if (!FormatXrefRow(row, first, entry.mGeneration, kind)) {
                TraceMessage("ObjectsContext::WriteXrefTable, Unexpected Failure. Object of ID = %ld cannot be written in a "
                             "cross-reference row: %lld with generation %lu",
                             static_cast<long>(id), first, entry.mGeneration);
                RecordFailure();
                return eFailure;
            }
            mValueWriter.WriteBytes(reinterpret_cast<const Byte*>(row), sizeof(row));
        }
    }
    return eSuccess;
}

OpStatus ObjectsContext::WriteXrefStream(DictionaryContext* inDictionaryContext)
{
    if (!inDictionaryContext) {
        TraceMessage("ObjectsContext::WriteXrefStream, no stream dictionary to write to");
        RecordFailure();
        return eFailure;
    }
    std::vector<IndirectObjectsReferenceRegistry::SectionRun> runs = mReferencesRegistry.GetSectionRuns();
    if (WriteEntryKey(inDictionaryContext, scIndex)) {
        StartArray();
        for (const IndirectObjectsReferenceRegistry::SectionRun& run : runs) {
            WriteInteger(static_cast<long long>(run.first), eTokenSeparatorSpace);
            WriteInteger(static_cast<long long>(run.second), eTokenSeparatorSpace);
        }
        EndArray(eTokenSeparatorEndLine);
    }
    // One byte of type, eight of position (or next free id), four of generation.
    if (WriteEntryKey(inDictionaryContext, scW)) {
        StartArray();
        WriteInteger(1, eTokenSeparatorSpace);
        WriteInteger(8, eTokenSeparatorSpace);
        WriteInteger(4, eTokenSeparatorSpace);
        EndArray(eTokenSeparatorEndLine);
    }

    // The records are collected first, so that the encoder sees one write, not one per entry.
    std::string records;
    for (const IndirectObjectsReferenceRegistry::SectionRun& run : runs) {
        for (ObjectIDType id = run.first; id < run.first + run.second; ++id) {
            const RegistryEntry& entry = mReferencesRegistry.GetEntry(id);
            if (entry.mKind == eRegistryEntryFree) {
                records.push_back(0);
                AppendBigEndian(records, mReferencesRegistry.GetNextFreeInSection(id), 8);
            } else if (!IsWrittenObject("ObjectsContext::WriteXrefStream", id, entry)) {
                RecordFailure();
                return eFailure;
            } else {
                records.push_back(1);
                AppendBigEndian(records, static_cast<unsigned long long>(entry.mPosition), 8);
            }
            AppendBigEndian(records, entry.mGeneration, 4);
        }
    }

    // StartStream writes Filter itself when compressing.
    std::unique_ptr<WrittenPDFStream> stream = StartStream(inDictionaryContext, true);
    IByteWriterWithPosition* writeStream = stream->GetWriteStream();
    if (!records.empty() && writeStream->WriteBytes(reinterpret_cast<const Byte*>(records.data()), records.size()) !=
                                records.size()) {
        TraceMessage("ObjectsContext::WriteXrefStream, failed to write the cross-reference records");
        RecordFailure();
        EndStream(stream.get());
        return eFailure;
    }
    return EndStream(stream.get());
}
