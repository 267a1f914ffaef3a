#pragma once
// Everything of one output document above single objects: the trailer values and document
// information, the page tree, the pages and forms being written with their resources, the tasks
// that run when a page, form or resource category ends, the image cache, the fonts in use, the
// page copier and its copy sessions, and the extenders. It writes page, form, resources and
// catalog objects and ends a new document, or an incremental update of an existing one, in a
// fixed order. The objects context is not owned and must outlive it; pages and forms belong to
// their callers between start and finish.
// ResetForNewDocument forgets the document (the image size cache stays: it serves every document
// of the same writer).

#include "pdf/copying/AppendPagesResult.h"
#include "pdf/copying/PDFDocumentHandler.h"
#include "pdf/copying/PageSelection.h"
#include "pdf/fonts/UsedFontsRepository.h"
#include "pdf/images/JPEGImageHandler.h"
#include "pdf/images/TIFFImageHandler.h"
#include "pdf/io/IOBasicTypes.h"
#include "pdf/io/Platform.h"
#include "pdf/objects/ObjectIDType.h"
#include "pdf/parsing/PDFRectangle.h"
#include "pdf/writing/IFormEndWritingTask.h"
#include "pdf/writing/IPageEndWritingTask.h"
#include "pdf/writing/IResourceWritingTask.h"
#include "pdf/writing/PageTreeBuilder.h"
#include "pdf/writing/ResourcesDictionary.h"
#include "pdf/writing/TrailerValues.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

class CopySession;
class DictionaryContext;
class IDocumentContextExtender;
class ObjectsContext;
class OutputFormXObject;
class OutputPage;
class PageContentContext;
class PageTreeNode;
class PDFDictionary;
class PDFParser;

class DocumentContext {
public:
    enum EImageKind { eImageKindUnknown = 0, eImageKindPDF = 1, eImageKindJPEG = 2, eImageKindTIFF = 3 };
    using ClockFunction = bool (*)(Platform::LocalTime&);

    explicit DocumentContext(ObjectsContext* inObjectsContext);
    ~DocumentContext();
    DocumentContext(const DocumentContext&) = delete;
    DocumentContext& operator=(const DocumentContext&) = delete;

    // The output file's path, part of the document ID.
    void SetOutputFileInformation(const std::string& inOutputFilePath) { mOutputFilePath = inOutputFilePath; }
    // The first line of the file: "%PDF-1.x" for version codes 10 to 18 (18 is written as 1.7).
    // -1 for any other code, with nothing written.
    OpStatus WriteVersionHeader(int inPDFVersionCode);
    static bool IsKnownVersionCode(int inPDFVersionCode) { return inPDFVersionCode >= 10 && inPDFVersionCode <= 18; }

    // Pages. The content context is made on first request and ended by ClosePageContentContext,
    // or by WritePage when it is still open.
    PageContentContext* StartPageContentContext(OutputPage* inPage);
    OpStatus ClosePageContentContext(PageContentContext* inContentContext);
    // Writes the page object and adds it to the page tree; then runs the page's end tasks.
    // The page's object id in outPageObjectID (0 when nothing was written).
    OpStatus WritePage(OutputPage* inPage, ObjectIDType& outPageObjectID);

    // Forms. StartFormXObject writes the form's dictionary and opens its stream under the id the
    // caller reserved; FinishFormXObject ends the stream, writes the resources and runs the
    // form's end tasks. The caller deletes the form afterwards. A matrix (six numbers) maps the
    // form's space into the space it is drawn in; none is the identity. A form is one writing
    // step (WritingStep): one that fails to start or finish, or that its caller gives up
    // (AbandonFormXObject, or deleting it unfinished), leaves nothing open and no id reserved for
    // it or for the images it was to write; each of its tasks is told (IFormEndWritingTask::
    // Abandon), whether it ran or not, and what its resources had still to write is dropped.
    std::unique_ptr<OutputFormXObject> StartFormXObject(const PDFRectangle& inBoundingBox, ObjectIDType inFormObjectID,
                                                        const double* inMatrix = nullptr);
    OpStatus FinishFormXObject(OutputFormXObject* inForm);
    void AbandonFormXObject(OutputFormXObject* inForm);

    // A resources dictionary written inline, and one of its categories.
    OpStatus WriteResourcesDictionary(ResourcesDictionary& inResources);
    OpStatus WriteResourceDictionary(ResourcesDictionary& inResources, DictionaryContext* inResourcesDictionary,
                                     ResourcesDictionary::ECategory inCategory);
    // A task that writes an entry of the category itself, under the name returned (empty, and
    // the task deleted, for an unknown category).
    std::string AddExtendedResourceMapping(ResourcesDictionary* inResources, const std::string& inCategoryName,
                                           std::unique_ptr<IResourceWritingTask> inTask);
    std::string AddExtendedResourceMapping(OutputFormXObject* inForm, const std::string& inCategoryName,
                                           std::unique_ptr<IResourceWritingTask> inTask);
    void ScheduleFormEndTask(OutputFormXObject* inForm, std::unique_ptr<IFormEndWritingTask> inTask);
    void SchedulePageEndTask(OutputPage* inPage, std::unique_ptr<IPageEndWritingTask> inTask);

    // The end of a new document: fonts, page tree, catalog, information, cross-reference table,
    // trailer, "startxref" and "%%EOF".
    OpStatus FinalizeNewDocument(bool inEmbedFonts);
    // A new catalog object that becomes the trailer's Root: Type, Pages, what the extenders add,
    // then every entry of inKeptEntries not written yet, copied through inSession (needed only
    // when there are such entries).
    OpStatus WriteCatalogObject(const ObjectReference& inPageTreeRoot, PDFDictionary* inKeptEntries = nullptr,
                                CopySession* inSession = nullptr);
    OpStatus WriteTrailerDictionaryValues(DictionaryContext* inTrailerDictionary);

    // Incremental update of an existing file. LoadStateFromModifiedFile takes the trailer's Root,
    // the newest cross-reference position (the update's Prev) and the first part of the ID, and
    // sets ModDate; -1 without a trailer or a Root reference. FinalizeModifiedDocument appends the
    // end of the update: fonts, the joined page tree when pages were added, a catalog when one is
    // needed, the information dictionary (the old entries kept), the cross-reference section in
    // the form of the file's newest one, "startxref" and "%%EOF".
    OpStatus LoadStateFromModifiedFile(PDFParser* inModifiedFileParser);
    OpStatus FinalizeModifiedDocument(PDFParser* inModifiedFileParser, int inPDFVersionCode, bool inEmbedFonts);
    // The old catalog's Pages reference; id 0 when it cannot be read.
    ObjectReference GetOriginalDocumentPageTreeRoot(PDFParser* inModifiedFileParser);
    // A new top node over the old page tree and the pages of this update; its id, 0 on failure.
    ObjectIDType WriteCombinedPageTree(PDFParser* inModifiedFileParser, CopySession* inSession);

    // Copying pages of other files (the page copier).
    AppendPagesResult AppendPDFPagesFromPDF(const std::string& inSourcePath, const PageSelection& inPageSelection,
                                            const std::vector<ObjectIDType>& inExtraObjectIDs);
    // A new session, or null.
    std::unique_ptr<CopySession> CreateCopySessionForFile(const std::string& inSourcePath);
    std::unique_ptr<CopySession> CreateCopySessionForParser(PDFParser* inSourceParser);
    void RegisterCopySession(CopySession* inSession) { mCopySessions.insert(inSession); }
    void UnregisterCopySession(CopySession* inSession) { mCopySessions.erase(inSession); }

    void AttachExtender(IDocumentContextExtender* inExtender);
    void DetachExtender(IDocumentContextExtender* inExtender);

    // Image files placed by content contexts.
    EImageKind ImageKindOf(const std::string& inImagePath, int inImageIndex);
    // Width and height in points; 0 x 0 for a file that cannot be measured.
    std::pair<double, double> MeasureImage(const std::string& inImagePath, int inImageIndex);
    OpStatus WriteImageFileAsFormXObject(const std::string& inImagePath, int inImageIndex, ObjectIDType inFormObjectID);
    // The form id of a placed image file, reserved on its first placement in the document.
    ObjectIDType ImageFormIDFor(const std::string& inImagePath, int inImageIndex, bool& outIsNew);
    // The form that placed the image failed: the next placement writes the image anew, and the
    // id is given back unless the image's form was written.
    void ForgetImageForm(const std::string& inImagePath, int inImageIndex, ObjectIDType inFormObjectID);

    void ResetForNewDocument();

    UsedFontsRepository& GetUsedFontsRepository() { return mUsedFontsRepository; }
    TrailerValues& GetTrailerValues() { return mTrailerValues; }
    DocumentInfo& GetDocumentInfo() { return mTrailerValues.mInfoDictionary; }
    PageTreeBuilder& GetPageTreeBuilder() { return mPageTree; }
    JPEGImageHandler& GetJPEGImageHandler() { return mJPEGImageHandler; }
    TIFFImageHandler& GetTIFFImageHandler() { return mTIFFImageHandler; }
    ObjectsContext* GetObjectsContext() { return mObjectsContext; }

    // An updated file keeps the first part of its document ID.
    void SetKeepFirstDocumentIDPart(bool inKeep, const std::string& inFirstPart = std::string());

    // The clock the document ID is made from; tests pin it. Null restores the system clock.
    void SetClock(ClockFunction inClock);

private:
    struct ImageInformation {
        EImageKind mKind = eImageKindUnknown;
        double mWidth = -1;
        double mHeight = -1;
    };
    typedef std::pair<std::string, int> ImageKey;
    typedef std::pair<ResourcesDictionary*, ResourcesDictionary::ECategory> ResourceCategoryKey;
    std::vector<std::unique_ptr<IFormEndWritingTask>> TakeFormEndTasks(OutputFormXObject* inForm);
    // A form that failed or was given up, with the end tasks taken from it.
    void GiveUpForm(OutputFormXObject* inForm, std::vector<std::unique_ptr<IFormEndWritingTask>>& ioTasks);

    // Writes the node and its subtree; the number of pages below it. A top node gets
    // inTopParentID as its Parent when that is not 0.
    long long WritePageTreeNode(PageTreeNode* inNode, OpStatus& ioStatus, ObjectIDType inTopParentID = 0);
    // The information record, then every entry of inKeptEntries that the record did not write.
    OpStatus WriteInfoDictionary(PDFDictionary* inKeptEntries = nullptr, CopySession* inSession = nullptr);
    // Entries of a parsed dictionary that the open dictionary does not hold yet, copied as parsed.
    OpStatus CopyMissingEntries(DictionaryContext* inDictionary, PDFDictionary* inSource, CopySession* inSession,
                                const char* inCaller);
    // The cross-reference table, "trailer" and the trailer dictionary.
    OpStatus WriteXrefTableSection(LongFilePositionType& outXrefPosition);
    // The trailer entries, then the cross-reference stream of the update.
    OpStatus WriteXrefStreamSection(LongFilePositionType& outXrefPosition);
    // "startxref", the section's position and "%%EOF" with nothing after it.
    void WriteFileEnd(LongFilePositionType inXrefPosition);
    std::string GenerateMD5IDForFile();
    ImageInformation& CachedImage(const std::string& inImagePath, int inImageIndex);
    std::pair<double, double> MeasurePDFPage(const std::string& inImagePath, int inImageIndex);
    OpStatus WritePDFPageAsFormXObject(const std::string& inImagePath, int inImageIndex, ObjectIDType inFormObjectID);
    void WriteNameEntry(DictionaryContext* inDictionary, const char* inKey, const char* inName);
    void WriteReferenceEntry(DictionaryContext* inDictionary, const char* inKey, ObjectIDType inObjectID);
    void WriteRectangleEntry(DictionaryContext* inDictionary, const char* inKey, const PDFRectangle& inBox);
    void WriteLiteralStringEntry(DictionaryContext* inDictionary, const std::string& inKey, const std::string& inText);

    ObjectsContext* mObjectsContext;
    TrailerValues mTrailerValues;
    std::string mOutputFilePath;
    bool mKeepFirstDocumentIDPart = false;
    std::string mFirstDocumentIDPart;
    PageTreeBuilder mPageTree;
    std::set<IDocumentContextExtender*> mExtenders;
    JPEGImageHandler mJPEGImageHandler;
    TIFFImageHandler mTIFFImageHandler;
    PDFDocumentHandler mPDFDocumentHandler;
    UsedFontsRepository mUsedFontsRepository;
    std::set<CopySession*> mCopySessions;
    std::map<OutputFormXObject*, std::vector<std::unique_ptr<IFormEndWritingTask>>> mFormEndTasks;
    std::map<OutputPage*, std::vector<std::unique_ptr<IPageEndWritingTask>>> mPageEndTasks;
    std::map<ResourceCategoryKey, std::vector<std::unique_ptr<IResourceWritingTask>>> mResourceWritingTasks;
    std::map<ImageKey, ImageInformation> mImagesInformation;
    std::map<ImageKey, ObjectIDType> mImageFormIDs;
    ClockFunction mClock;
};
