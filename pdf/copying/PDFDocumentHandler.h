#pragma once
// Copies pages and objects of a parsed source PDF file into the file being written, renumbering
// objects, and merges a source page into a form XObject. The document context owns one handler
// (and each copy session one more) and sets its contexts (not owned). A copying context is open
// from StartCopyingContext to FinishCopyingContext; the source-to-target id map lives exactly that
// long, so objects shared by the pages of one context are written once. A failure leaves what was
// written in the output: the caller abandons the document.

#include "pdf/copying/AppendPagesResult.h"
#include "pdf/copying/ContentResourceRenamer.h"
#include "pdf/parsing/InheritedPageValues.h"
#include "pdf/copying/PageSelection.h"
#include "pdf/io/IByteReaderWithPosition.h"
#include "pdf/io/InputFile.h"
#include "pdf/objects/ObjectIDType.h"
#include "pdf/objects/RefCountPtr.h"
#include "pdf/writing/DocumentContextExtenderAdapter.h"
#include "pdf/writing/PDFValueWriter.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

class ICategoryServicesCommand;
class IByteWriter;
class OutputFormXObject;
class PDFArray;
class PDFDictionary;
class PDFObject;
class PDFParser;
class PDFStreamInput;
class WritingStep;

class PDFDocumentHandler : public DocumentContextExtenderAdapter {
public:
    typedef std::vector<ObjectIDType> ObjectIDList;
    // Old resource name (decoded, without the slash) to the names the form gives it, by category.
    typedef ContentResourceRenamer::RenameMap RenameMap;

    PDFDocumentHandler();
    ~PDFDocumentHandler() override;
    PDFDocumentHandler(const PDFDocumentHandler&) = delete;
    PDFDocumentHandler& operator=(const PDFDocumentHandler&) = delete;

    void SetOperationsContexts(DocumentContext* inDocumentContext, ObjectsContext* inObjectsContext);

    // Opens, parses and copies the selected pages (and the extra source objects first), then
    // finishes the context. Pages written before a failure stay listed; a page that cannot be
    // copied costs only itself (AppendSelectedPages).
    AppendPagesResult AppendPDFPagesFromPDF(const std::string& inSourcePath, const PageSelection& inPageSelection,
                                            const std::vector<ObjectIDType>& inExtraObjectIDs);

    // A copying context over a file opened by path, over a source stream (a parser made and owned
    // here) or over a parser that is open already (not owned). Encrypted sources are refused
    // unless the parser's extender supports encryption.
    OpStatus StartFileCopyingContext(const std::string& inSourcePath);
    OpStatus StartCopyingContext(IByteReaderWithPosition* inSourceStream);
    OpStatus StartCopyingContext(PDFParser* inSourceParser);
    // Closes what the context opened; afterwards the handler owns nothing.
    void FinishCopyingContext();
    // The parser of the open copying context, or null.
    PDFParser* GetSourceParser() { return mParser; }

    // Page copying in the open context: the selected pages in order, their ids appended to the
    // result. A page that cannot be copied is listed among the failed pages and the next one
    // follows; a range outside the source's pages, or an output that the system refused to
    // write, ends the copy there. Failure when anything was not copied.
    OpStatus AppendSelectedPages(const PageSelection& inPageSelection, AppendPagesResult& ioResult);
    // One page.
    // A page that cannot be copied leaves nothing behind that would keep the document from
    // ending (see AbandonFailedPage); outPageObjectID is then 0.
    OpStatus CreatePDFPageForPage(uint32_t inPageIndex, ObjectIDType& outPageObjectID);
    // The page's content streams, copied unchanged, become the new page's content streams.
    OpStatus CopyPageContentToTargetPage(OutputPage* inTargetPage, PDFDictionary* inSourcePage);
    OpStatus CopyPageResourceObjects(PDFDictionary* inSourcePage);

    // Object copying. References in a direct dictionary or array not yet mapped, in order met.
    void CollectUnmappedReferences(PDFObject* inContainer, ObjectIDList& ioPending);
    // Copies the listed source objects and everything they refer to that is not copied yet, each
    // object right after its referrer (depth first, without recursion).
    OpStatus CopyPendingObjects(const ObjectIDList& inPending);
    // Writes one indirect object of the source under inTargetID; its unmapped references are
    // mapped and appended to outPending.
    OpStatus CopyInDirectObject(ObjectIDType inSourceID, ObjectIDType inTargetID, ObjectIDList& outPending);
    // The same for an object parsed already.
    OpStatus WriteCopiedObject(PDFObject* inObject, ObjectIDType inTargetID, ObjectIDList& outPending);
    // A value where the caller has an object or a key open; references are mapped to target ids
    // and the newly mapped ones appended to ioPending.
    OpStatus WriteObjectByType(PDFObject* inObject, ETokenSeparator inSeparate, ObjectIDList& ioPending);
    // The same as the value of a key just written into an open dictionary: a stream is refused.
    OpStatus WriteDictionaryValue(PDFObject* inObject, ObjectIDList& ioPending);
    OpStatus WriteStreamObject(PDFStreamInput* inStream, ObjectIDList& ioPending);
    // Writes a parsed value keeping the source's object ids (copying from the modified file
    // itself): nothing is mapped or queued.
    OpStatus WriteObjectWithSourceIDs(PDFObject* inObject, ETokenSeparator inSeparate = eTokenSeparatorEndLine);

    // Merging a page into a form: the page's content goes into the open form, its resources
    // under the form's own names.
    OpStatus MergePDFPageForXObject(OutputFormXObject* inTargetFormXObject, unsigned long inPageIndex);
    OpStatus RegisterPageResourcesForForm(OutputFormXObject* inTargetFormXObject, PDFDictionary* inSourcePage,
                                          RenameMap& ioRenames);
    void RegisterCategoryResources(OutputFormXObject* inTargetFormXObject, ICategoryServicesCommand& inCategory,
                                   PDFDictionary* inResources, ObjectIDList& ioObjectsToCopy, RenameMap& ioRenames);
    OpStatus MergePageContentToTargetXObject(OutputFormXObject* inTargetFormXObject, PDFDictionary* inSourcePage,
                                             const RenameMap& inRenames);
    // Decodes at most ioDecodeBudget bytes (less what it decoded afterwards); fails past it.
    OpStatus WriteContentWithRenamedResources(IByteWriter* inTarget, PDFStreamInput* inSourceStream,
                                              const RenameMap& inRenames, long long& ioDecodeBudget);
    // WriteObjectByType with CR LF into a fresh list of the references met, for the form.
    OpStatus WriteValueAndListReferences(OutputFormXObject* inTargetFormXObject, PDFObject* inValue,
                                         ObjectIDList& outPending);
    // The listed objects are copied when the form ends.
    void ScheduleObjectsCopying(OutputFormXObject* inTargetFormXObject, const ObjectIDList& inObjectsToCopy);
    // Copies the listed objects for the form; the source ids it maps on the way join the list.
    OpStatus CopyObjectsForForm(OutputFormXObject* inTargetFormXObject, ObjectIDList& ioObjects);
    // The map forgets the listed source ids (their step failed), so that a later page copies
    // them afresh instead of referring to what the step left.
    void ForgetMappings(const ObjectIDList& inSourceIDs);

    // inKey of the dictionary names an object the file holds but that cannot be read.
    static bool NamesUnreadableObject(PDFParser* inParser, PDFDictionary* inDictionary, const char* inKey);
    struct ContentStream {
        ObjectIDType mSourceID;
        uint32_t mGeneration;
        RefCountPtr<PDFStreamInput> mStream;
    };
    // The stream objects of a page's Contents, in order; items that are no streams are left out
    // with a log line. -1 after a log line for Contents of another type or an unreadable item.
    // Every tool that writes a page's content again takes it from here.
    static OpStatus CollectContentStreams(PDFParser* inParser, PDFDictionary* inPage, const char* inMethod,
                                          std::vector<ContentStream>& outStreams);

    // While a page copy writes its page object: the source page's Resources entries, its
    // rotation, UserUnit and transparency Group. Nothing to do for any other page.
    OpStatus ResourcesDictionaryWriting(ResourcesDictionary* inResources, DictionaryContext* inResourcesDictionary,
                                        ObjectsContext* inObjectsContext, DocumentContext* inDocumentContext) override;
    OpStatus PageDictionaryWriting(OutputPage* inPage, DictionaryContext* inPageDictionary,
                                   ObjectsContext* inObjectsContext, DocumentContext* inDocumentContext) override;

    void AddDocumentContextExtender(IDocumentContextExtender* inExtender) { mExtenders.insert(inExtender); }
    void RemoveDocumentContextExtender(IDocumentContextExtender* inExtender) { mExtenders.erase(inExtender); }
    void ClearDocumentContextExtenders() { mExtenders.clear(); }

private:
    enum EReferenceMode { eMapReferences, eKeepSourceIDs };

    OpStatus CopyPage(uint32_t inPageIndex, ObjectIDType& outPageObjectID);
    // After a page copy failed and its step was unwound: the page out of the page tree (when it
    // was written), every object the step mapped out of the map, those it wrote whole included
    // (they may refer to ids the step gave back; they stay in the file, referred to by nothing).
    void AbandonFailedPage(ObjectIDType inPageObjectID);
    // While a step writes (a page copy, a form a page is merged into): new target ids are reserved
    // through it, and the source ids newly mapped are listed in the list given, if any.
    class StepScope {
    public:
        StepScope(PDFDocumentHandler& inHandler, WritingStep* inStep, ObjectIDList* inMapped)
            : mHandler(inHandler), mStep(inHandler.mStep), mMapped(inHandler.mStepMapped)
        {
            mHandler.mStep = inStep;
            mHandler.mStepMapped = inMapped;
        }
        ~StepScope()
        {
            mHandler.mStep = mStep;
            mHandler.mStepMapped = mMapped;
        }
        StepScope(const StepScope&) = delete;
        StepScope& operator=(const StepScope&) = delete;

    private:
        PDFDocumentHandler& mHandler;
        WritingStep* mStep;
        ObjectIDList* mMapped;
    };
    struct TargetObject {
        ObjectIDType mTargetID = 0;
        bool mWritten = false;
    };

    OpStatus WriteValue(PDFObject* inObject, ETokenSeparator inSeparate, EReferenceMode inMode,
                        ObjectIDList* ioPending);
    // With inLength, that number stands as the Length entry instead of the dictionary's own.
    OpStatus WriteDictionary(PDFDictionary* inDictionary, EReferenceMode inMode, ObjectIDList* ioPending,
                             const long long* inLength = nullptr);
    OpStatus WriteStream(PDFStreamInput* inStream, EReferenceMode inMode, ObjectIDList* ioPending);
    // The target id of a source object, reserved (and listed in ioPending) on first sight.
    ObjectIDType MapSourceID(ObjectIDType inSourceID, ObjectIDList* ioPending);
    // Length of a stream's data in the file (found at "endstream" when its Length is wrong);
    // -1 after a log line. outAsDeclared tells whether its Length entry says the same.
    long long CheckedStreamLength(PDFStreamInput* inStream, bool* outAsDeclared = nullptr);
    // Copies exactly inLength bytes of the source from inPosition to the output, in chunks.
    OpStatus CopySourceBytes(LongFilePositionType inPosition, long long inLength);
    // Everything a decoding reader yields, in chunks; -1 on a stuck reader or a short write.
    OpStatus CopyDecodedBytes(IByteReader* inSource, IByteWriter* inTarget);
    // Decoded content a page may give, from the size of its file.
    long long DecodedContentBudget() const;
    // Every stream decodes, and all of them within the budget; logs when not.
    bool ContentDecodesWithinBudget(const std::vector<ContentStream>& inStreams);
    // Each stream decoded into a new content stream of the page, written as the writer writes
    // streams.
    OpStatus WriteDecodedContent(OutputPage* inTargetPage, const std::vector<ContentStream>& inStreams);
    // The page's own inKey names an object the source holds but that cannot be read: copying the
    // page without it would lose its fonts or content behind a success. Logs when true.
    static bool PageNamesUnreadableObject(PDFParser* inParser, PDFDictionary* inPage, const char* inKey,
                                          const char* inMethod);
    Byte* CopyBuffer();

    DocumentContext* mDocumentContext = nullptr;
    ObjectsContext* mObjectsContext = nullptr;
    std::set<IDocumentContextExtender*> mExtenders;

    InputFile mInputFile;
    IByteReaderWithPosition* mSourceStream = nullptr;
    LongFilePositionType mSourceSize = 0;
    std::unique_ptr<PDFParser> mOwnedParser;
    PDFParser* mParser = nullptr;
    std::unordered_map<ObjectIDType, TargetObject> mSourceToTarget;
    InheritedPageValues mInheritedValues;

    // The page being written by CreatePDFPageForPage, with its source's (maybe inherited)
    // Resources and rotation, its UserUnit and Group; the references that writing the Resources newly mapped.
    OutputPage* mPageInProgress = nullptr;
    RefCountPtr<PDFDictionary> mResourcesInProgress;
    long long mRotationInProgress = 0;
    RefCountPtr<PDFObject> mUserUnitInProgress;
    RefCountPtr<PDFDictionary> mGroupInProgress;
    ObjectIDList mPendingFromPageWrite;

    std::unique_ptr<Byte[]> mCopyBuffer;
    // The step under way (StepScope), which takes back the ids it reserved when it fails, and the
    // source ids it mapped; the page copy keeps its list here, reused from page to page.
    WritingStep* mStep = nullptr;
    ObjectIDList* mStepMapped = nullptr;
    ObjectIDList mPageMapped;
};
