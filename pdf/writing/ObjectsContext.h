#pragma once
// Turns the library's requests into the bytes of a PDF file: indirect objects, dictionaries,
// arrays, values, streams, comments, keywords and the cross-reference section. The output stream
// is set by the writer and not owned; the registry and the open dictionaries are owned.
// Failures are remembered until Reset: a short write, a refused key, a dictionary ended out of
// order, a refused registry marking, an object started inside an open dictionary or stream, a
// stream whose data was lost or a cross-reference section that could not be written make
// HasFailed true, and the end of the document checks it, so that
// broken output never passes for a finished file.

#include "pdf/fonts/UppercaseSequance.h"
#include "pdf/io/IByteWriterWithPosition.h"
#include "pdf/objects/ObjectIDType.h"
#include "pdf/writing/DictionaryContext.h"
#include "pdf/writing/IndirectObjectsReferenceRegistry.h"
#include "pdf/writing/PDFValueWriter.h"
#include "pdf/writing/WrittenPDFStream.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ObjectsContext {
public:
    ObjectsContext();
    ~ObjectsContext();
    ObjectsContext(const ObjectsContext&) = delete;
    ObjectsContext& operator=(const ObjectsContext&) = delete;

    // The stream every token goes to (not owned); null while idle.
    void SetOutputStream(IByteWriterWithPosition* inOutputStream);
    IByteWriterWithPosition* GetOutputStream() { return mOutputStream; }
    IndirectObjectsReferenceRegistry& GetInDirectObjectsRegistry() { return mReferencesRegistry; }
    PDFValueWriter& GetValueWriter() { return mValueWriter; }
    void SetCompressStreams(bool inCompressStreams) { mCompressStreams = inCompressStreams; }
    bool IsCompressingStreams() const { return mCompressStreams; }

    // "%", the text, CR LF.
    void WriteComment(std::string_view inCommentText);
    // The text, CR LF.
    void WriteKeyword(std::string_view inKeyword);
    void EndLine();
    void WriteInteger(long long inValue, ETokenSeparator inSeparate = eTokenSeparatorEndLine);
    void WriteBoolean(bool inValue, ETokenSeparator inSeparate = eTokenSeparatorEndLine);
    void WriteNull(ETokenSeparator inSeparate = eTokenSeparatorEndLine);
    // "id gen R".
    void WriteIndirectObjectReference(ObjectIDType inObjectID, unsigned long inGeneration,
                                      ETokenSeparator inSeparate = eTokenSeparatorEndLine);
    // The same with the generation the registry holds for the object (0 for new objects).
    void WriteIndirectObjectReference(ObjectIDType inObjectID, ETokenSeparator inSeparate = eTokenSeparatorEndLine);
    // "[ " ... "]".
    void StartArray();
    void EndArray(ETokenSeparator inSeparate = eTokenSeparatorNone);

    // A new dictionary, owned by the context until EndDictionary; "<<" CR LF.
    DictionaryContext* StartDictionary();
    // Writes the closing ">>" and deletes the dictionary. -1 when it is not the innermost open one.
    OpStatus EndDictionary(DictionaryContext* inDictionaryContext);

    // "id gen obj" headers. A marking the registry refuses is logged and remembered; the header
    // is written all the same. The generation is the one the registry holds for the id.
    ObjectIDType AllocateAndStartIndirectObject();
    void StartIndirectObject(ObjectIDType inObjectID);
    void StartUpdatedIndirectObject(ObjectIDType inObjectID);
    // "endobj" CR LF.
    void EndIndirectObject();

    // Where a step of writing (a page copy, a page rewrite, a form) began; WritingStep keeps one.
    struct WritingMark {
        unsigned long mDocument = 0; // Reset counts documents: a mark of an earlier one is void
        size_t mDictionaries = 0;
        unsigned long long mStreams = 0; // serial the next stream started gets
        ObjectIDType mOpenObject = 0;
    };
    WritingMark MarkWriting() const;
    // After the step that began at the mark failed part-way, so that the document can go on and
    // end: only what the step opened since is closed. Its dictionaries are dropped; its streams
    // are ended (one whose data went to the file gets "endstream") and their Length objects given
    // back; an object it left open gets "endobj" and its id set back to what it was before it
    // started (an existing file's object keeps its old version; a new id is given back, see
    // IndirectObjectsReferenceRegistry::ReleaseObjectID). What was written stays in the file,
    // referenced by nothing.
    void UnwindTo(const WritingMark& inMark);

    // A stream on the given open dictionary (a new one when null), Flate-encoded when the context
    // compresses. Buffered in memory: the dictionary stays open and gets Length at the end.
    // Direct: Length becomes a reference to an object written after the stream.
    std::unique_ptr<WrittenPDFStream> StartStream(DictionaryContext* inStreamDictionary = nullptr,
                                                  bool inBufferInMemory = false);
    // The direct form without Filter and without compression: the data is already encoded.
    std::unique_ptr<WrittenPDFStream> StartRawStream(DictionaryContext* inStreamDictionary = nullptr);
    // Writes the end of the stream and of its object (and the Length object of the direct form).
    // A stream that this context did not start since its last Reset, or ended already, is refused
    // without touching it: its output may be closed.
    OpStatus EndStream(WrittenPDFStream* inStream);

    // The next six-letter prefix for a subset font's name.
    std::string GenerateSubsetFontPrefix();

    // "xref", subsections and 20-byte rows of the entries of this section. outWritePosition is
    // where "xref" starts (for "startxref").
    OpStatus WriteXrefTable(LongFilePositionType& outWritePosition);
    // Index, W and the 13-byte records of this section into the stream object whose dictionary
    // the caller has started (with Type XRef and the trailer entries); ends the stream.
    OpStatus WriteXrefStream(DictionaryContext* inDictionaryContext);

    // A failure since the last Reset that the output cannot recover from.
    bool HasFailed() const;

    // Back to idle: no output, compression on, subset prefix "AAAAAA", registry with object 0,
    // no open dictionaries (dropped without writing), no remembered failure.
    void Reset();

private:
    friend class DictionaryContext;
    void RecordFailure() { mFailed = true; }
    LongFilePositionType CurrentPosition();
    void WriteIndirectObjectHeader(ObjectIDType inObjectID);
    void RememberOpenObject(ObjectIDType inObjectID);
    // The key, or nothing when the dictionary refuses it; true when the value may follow.
    bool WriteEntryKey(DictionaryContext* inDictionaryContext, std::string_view inKey);
    std::unique_ptr<WrittenPDFStream> StartDirectStream(DictionaryContext* inStreamDictionary, bool inCompress);
    std::unique_ptr<WrittenPDFStream> RegisterStream(WrittenPDFStream* inStream, ObjectIDType inLengthID = 0);
    bool IsOpenDictionary(const DictionaryContext* inDictionaryContext) const;
    bool HasOpenDirectStream() const;
    // The caller's dictionary when it is open, else a new one.
    DictionaryContext* OpenStreamDictionary(DictionaryContext* inStreamDictionary);

    IByteWriterWithPosition* mOutputStream = nullptr;
    IndirectObjectsReferenceRegistry mReferencesRegistry;
    PDFValueWriter mValueWriter;
    bool mCompressStreams = true;
    UppercaseSequance mSubsetFontsNamesSequance;
    std::vector<std::unique_ptr<DictionaryContext>> mOrderedDictionaries; // innermost last
    // Started, not yet ended, each with the id of its Length object (0: none, or buffered), which
    // an abandoned stream gives back without being asked (it may be gone by then), and the serial
    // that says whether a step opened it.
    struct OpenStream {
        ObjectIDType mLengthID = 0;
        unsigned long long mSerial = 0;
        bool mDirect = false;
    };
    std::map<const WrittenPDFStream*, OpenStream> mOpenStreams;
    unsigned long long mNextStreamSerial = 0;
    unsigned long mDocument = 1;
    // The object being written (0: none) and its registry entry before it started.
    ObjectIDType mOpenObjectID = 0;
    RegistryEntry mOpenObjectEntryBefore;
    bool mFailed = false;
};
