#include "pdf/writing/DocumentContext.h"

#include "pdf/copying/CopySession.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputFile.h"
#include "pdf/io/MD5Digest.h"
#include "pdf/io/NumberText.h"
#include "pdf/io/PDFDate.h"
#include "pdf/objects/PDFObjectCastPtr.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/PDFPageInput.h"
#include "pdf/parsing/PDFParser.h"
#include "pdf/writing/DictionaryContext.h"
#include "pdf/writing/IDocumentContextExtender.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/OutputFormXObject.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PageContentContext.h"
#include "pdf/writing/PageTreeNode.h"
#include "pdf/writing/VersionUpdate.h"
#include "pdf/writing/WritingStep.h"

#include <cmath>

namespace {

const char scType[] = "Type";
const char scCatalog[] = "Catalog";
const char scPages[] = "Pages";
const char scPage[] = "Page";
const char scParent[] = "Parent";
const char scMediaBox[] = "MediaBox";
const char scCropBox[] = "CropBox";
const char scMatrix[] = "Matrix";
const char scBleedBox[] = "BleedBox";
const char scTrimBox[] = "TrimBox";
const char scArtBox[] = "ArtBox";
const char scResources[] = "Resources";
const char scContents[] = "Contents";
const char scXObject[] = "XObject";
const char scSubtype[] = "Subtype";
const char scForm[] = "Form";
const char scFormType[] = "FormType";
const char scBBox[] = "BBox";
const char scProcSet[] = "ProcSet";
const char scCount[] = "Count";
const char scKids[] = "Kids";
const char scTrailer[] = "trailer";
const char scStartXref[] = "startxref";
const char scSize[] = "Size";
const char scPrev[] = "Prev";
const char scRoot[] = "Root";
const char scInfo[] = "Info";
const char scID[] = "ID";
const char scTitle[] = "Title";
const char scAuthor[] = "Author";
const char scSubject[] = "Subject";
const char scKeywords[] = "Keywords";
const char scCreator[] = "Creator";
const char scProducer[] = "Producer";
const char scCreationDate[] = "CreationDate";
const char scModDate[] = "ModDate";
const char scTrapped[] = "Trapped";
const char scTrue[] = "True";
const char scFalse[] = "False";
const char scUnknown[] = "Unknown";
const char scEndOfFile[] = "%%EOF";
const char scVersion[] = "Version";
const char scXRef[] = "XRef";

// "PDF-1.0" to "PDF-1.7" for the codes 10 to 17; 18 also gives 1.7.
const char* const scVersionTexts[] = {"PDF-1.0", "PDF-1.1", "PDF-1.2", "PDF-1.3", "PDF-1.4",
                                      "PDF-1.5", "PDF-1.6", "PDF-1.7", "PDF-1.7"};

// A page without area cannot be shown; readers refuse or guess.
bool HasArea(const PDFRectangle& inBox)
{
    return std::isfinite(inBox.LowerLeftX) && std::isfinite(inBox.LowerLeftY) && std::isfinite(inBox.UpperRightX) &&
           std::isfinite(inBox.UpperRightY) && inBox.UpperRightX != inBox.LowerLeftX &&
           inBox.UpperRightY != inBox.LowerLeftY;
}

void AddText(MD5Digest& ioDigest, const std::string& inText)
{
    ioDigest.AddBytes(reinterpret_cast<const Byte*>(inText.data()), inText.size());
}

} // namespace

DocumentContext::DocumentContext(ObjectsContext* inObjectsContext)
    : mObjectsContext(inObjectsContext), mPageTree(inObjectsContext->GetInDirectObjectsRegistry()),
      mClock(&Platform::GetCurrentLocalTime)
{
    mJPEGImageHandler.SetOperationsContexts(this, mObjectsContext);
    mTIFFImageHandler.SetOperationsContexts(this, mObjectsContext);
    mPDFDocumentHandler.SetOperationsContexts(this, mObjectsContext);
    mUsedFontsRepository.SetObjectsContext(mObjectsContext);
}

DocumentContext::~DocumentContext()
{
    ResetForNewDocument();
}

void DocumentContext::SetClock(ClockFunction inClock)
{
    mClock = inClock ? inClock : &Platform::GetCurrentLocalTime;
}

void DocumentContext::SetKeepFirstDocumentIDPart(bool inKeep, const std::string& inFirstPart)
{
    mKeepFirstDocumentIDPart = inKeep;
    mFirstDocumentIDPart = inFirstPart;
}

OpStatus DocumentContext::WriteVersionHeader(int inPDFVersionCode)
{
    if (!IsKnownVersionCode(inPDFVersionCode)) {
        TraceMessage("DocumentContext::WriteVersionHeader, unknown PDF version code %d", inPDFVersionCode);
        return eFailure;
    }
    mObjectsContext->WriteComment(scVersionTexts[inPDFVersionCode - 10]);
    return eSuccess;
}

void DocumentContext::WriteNameEntry(DictionaryContext* inDictionary, const char* inKey, const char* inName)
{
    if (inDictionary->WriteKey(inKey) == eSuccess)
        mObjectsContext->GetValueWriter().WriteNameValue(inName, eTokenSeparatorEndLine);
}

void DocumentContext::WriteReferenceEntry(DictionaryContext* inDictionary, const char* inKey, ObjectIDType inObjectID)
{
    if (inDictionary->WriteKey(inKey) == eSuccess)
        mObjectsContext->WriteIndirectObjectReference(inObjectID);
}

void DocumentContext::WriteRectangleEntry(DictionaryContext* inDictionary, const char* inKey, const PDFRectangle& inBox)
{
    if (inDictionary->WriteKey(inKey) == eSuccess)
        inDictionary->WriteRectangleValue(inBox.LowerLeftX, inBox.LowerLeftY, inBox.UpperRightX, inBox.UpperRightY);
}

void DocumentContext::WriteLiteralStringEntry(DictionaryContext* inDictionary, const std::string& inKey,
                                              const std::string& inText)
{
    if (inDictionary->WriteKey(inKey) == eSuccess)
        mObjectsContext->GetValueWriter().WriteLiteralStringValue(inText, eTokenSeparatorEndLine);
}

// Pages

PageContentContext* DocumentContext::StartPageContentContext(OutputPage* inPage)
{
    if (!inPage->GetAssociatedContentContext())
        inPage->SetAssociatedContentContext(std::make_unique<PageContentContext>(this, inPage, mObjectsContext));
    return inPage->GetAssociatedContentContext();
}

OpStatus DocumentContext::ClosePageContentContext(PageContentContext* inContentContext)
{
    OutputPage* page = inContentContext->GetAssociatedPage();
    if (page->GetAssociatedContentContext() != inContentContext) {
        TraceMessage("DocumentContext::ClosePageContentContext, the content context is not the one open on its page");
        return eFailure;
    }
    OpStatus status = inContentContext->FinalizeCurrentStream();
    page->ReleaseAssociatedContentContext(); // deletes the context
    return status;
}

OpStatus DocumentContext::WritePage(OutputPage* inPage, ObjectIDType& outPageObjectID)
{
    outPageObjectID = 0;
    const PDFRectangle& mediaBox = inPage->GetMediaBox();
    if (!HasArea(mediaBox)) {
        TraceMessage("DocumentContext::WritePage, the page's MediaBox has no area");
        return eFailure;
    }
    // A content stream still open would take the page object into its data.
    if (PageContentContext* contentContext = inPage->GetAssociatedContentContext()) {
        OpStatus status = ClosePageContentContext(contentContext);
        if (status != eSuccess)
            return status;
    }

    ObjectIDType pageID = mObjectsContext->AllocateAndStartIndirectObject();
    outPageObjectID = pageID;
    DictionaryContext* pageDictionary = mObjectsContext->StartDictionary();
    WriteNameEntry(pageDictionary, scType, scPage);
    WriteReferenceEntry(pageDictionary, scParent, mPageTree.AddPage(pageID));
    WriteRectangleEntry(pageDictionary, scMediaBox, mediaBox);

    const OutputPage::OptionalBox& cropBox = inPage->GetCropBox();
    bool writeCropBox = cropBox.mIsSet && cropBox.mBox != mediaBox;
    if (writeCropBox)
        WriteRectangleEntry(pageDictionary, scCropBox, cropBox.mBox);
    const PDFRectangle& effectiveCropBox = writeCropBox ? cropBox.mBox : mediaBox;
    const std::pair<const char*, const OutputPage::OptionalBox*> otherBoxes[] = {
        {scBleedBox, &inPage->GetBleedBox()}, {scTrimBox, &inPage->GetTrimBox()}, {scArtBox, &inPage->GetArtBox()}};
    for (const auto& box : otherBoxes) {
        if (box.second->mIsSet && box.second->mBox != effectiveCropBox)
            WriteRectangleEntry(pageDictionary, box.first, box.second->mBox);
    }

    // A page that fails leaves the page tree, which would otherwise list a page never written whole.
    auto abandon = [&](OpStatus inStatus) {
        mPageTree.RemoveLastPage(pageID);
        mPageEndTasks.erase(inPage);
        return inStatus;
    };
    pageDictionary->WriteKey(scResources);
    OpStatus status = WriteResourcesDictionary(inPage->GetResourcesDictionary());
    if (status != eSuccess) {
        TraceMessage("DocumentContext::WritePage, failed to write resources dictionary");
        return abandon(status);
    }

    const std::vector<ObjectIDType>& contents = inPage->GetContentStreamReferences();
    if (contents.size() == 1) {
        WriteReferenceEntry(pageDictionary, scContents, contents.front());
    } else if (contents.size() > 1) {
        pageDictionary->WriteKey(scContents);
        mObjectsContext->StartArray();
        for (ObjectIDType contentID : contents)
            mObjectsContext->WriteIndirectObjectReference(contentID, eTokenSeparatorSpace);
        mObjectsContext->EndArray(eTokenSeparatorEndLine);
    }

    for (IDocumentContextExtender* extender : mExtenders) {
        status = extender->PageDictionaryWriting(inPage, pageDictionary, mObjectsContext, this);
        if (status != eSuccess) {
            TraceMessage(
                "DocumentContext::WritePage, unexpected failure. extender declared failure when writing page.");
            break;
        }
    }

    if (mObjectsContext->EndDictionary(pageDictionary) != eSuccess) {
        TraceMessage("DocumentContext::WritePage, unexpected failure. Failed to end dictionary in page write.");
        return abandon(eFailure);
    }
    mObjectsContext->EndIndirectObject();

    auto tasks = mPageEndTasks.find(inPage);
    if (tasks != mPageEndTasks.end()) {
        for (std::unique_ptr<IPageEndWritingTask>& task : tasks->second) {
            if (status != eSuccess)
                break;
            status = task->RunTask(inPage, mObjectsContext, this);
        }
        mPageEndTasks.erase(tasks);
    }
    return status == eSuccess ? status : abandon(status);
}

// Forms

std::unique_ptr<OutputFormXObject> DocumentContext::StartFormXObject(const PDFRectangle& inBoundingBox,
                                                                     ObjectIDType inFormObjectID,
                                                                     const double* inMatrix)
{
    auto step = std::make_unique<WritingStep>(*mObjectsContext);
    mObjectsContext->StartIndirectObject(inFormObjectID);
    DictionaryContext* formDictionary = mObjectsContext->StartDictionary();
    WriteNameEntry(formDictionary, scType, scXObject);
    WriteNameEntry(formDictionary, scSubtype, scForm);
    if (formDictionary->WriteKey(scFormType) == eSuccess)
        formDictionary->WriteIntegerValue(1);
    WriteRectangleEntry(formDictionary, scBBox, inBoundingBox);
    if (inMatrix && formDictionary->WriteKey(scMatrix) == eSuccess) {
        mObjectsContext->StartArray();
        for (int i = 0; i < 6; ++i)
            mObjectsContext->GetValueWriter().WriteRealValue(inMatrix[i], eTokenSeparatorSpace);
        mObjectsContext->EndArray(eTokenSeparatorEndLine);
    }
    ObjectIDType resourcesID = step->ReserveID();
    WriteReferenceEntry(formDictionary, scResources, resourcesID);

    for (IDocumentContextExtender* extender : mExtenders) {
        if (extender->FormXObjectDictionaryWriting(inFormObjectID, resourcesID, formDictionary, mObjectsContext,
                                                   this) != eSuccess) {
            TraceMessage(
                "DocumentContext::StartFormXObject, unexpected failure. extender declared failure when writing "
                "form xobject.");
            return nullptr; // the step unwinds
        }
    }
    std::unique_ptr<WrittenPDFStream> stream = mObjectsContext->StartStream(formDictionary);
    return std::make_unique<OutputFormXObject>(this, inFormObjectID, resourcesID, std::move(stream), std::move(step));
}

OpStatus DocumentContext::FinishFormXObject(OutputFormXObject* inForm)
{
    if (inForm->IsFinished()) {
        TraceMessage("DocumentContext::FinishFormXObject, the form %lu is finished already", inForm->GetObjectID());
        return eFailure;
    }
    inForm->MarkFinished();
    OpStatus status = mObjectsContext->EndStream(inForm->GetContentStream());
    if (status == eSuccess) {
        mObjectsContext->StartIndirectObject(inForm->GetResourcesDictionaryObjectID());
        status = WriteResourcesDictionary(inForm->GetResourcesDictionary());
        if (status == eSuccess && mObjectsContext->HasFailed()) {
            TraceMessage("DocumentContext::FinishFormXObject, the resources of the form %lu could not be written",
                         inForm->GetObjectID());
            status = eFailure;
        }
        if (status == eSuccess)
            mObjectsContext->EndIndirectObject();
    }

    // Moved out first: a task may finish forms of its own.
    std::vector<std::unique_ptr<IFormEndWritingTask>> due = TakeFormEndTasks(inForm);
    for (size_t i = 0; status == eSuccess && i < due.size(); ++i)
        status = due[i]->RunTask(inForm, mObjectsContext, this);
    if (status == eSuccess)
        inForm->GetWritingStep().Commit();
    else
        GiveUpForm(inForm, due);
    return status;
}

void DocumentContext::AbandonFormXObject(OutputFormXObject* inForm)
{
    if (inForm->IsFinished())
        return;
    inForm->MarkFinished();
    std::vector<std::unique_ptr<IFormEndWritingTask>> due = TakeFormEndTasks(inForm);
    GiveUpForm(inForm, due);
}

std::vector<std::unique_ptr<IFormEndWritingTask>> DocumentContext::TakeFormEndTasks(OutputFormXObject* inForm)
{
    std::vector<std::unique_ptr<IFormEndWritingTask>> tasks;
    auto found = mFormEndTasks.find(inForm);
    if (found != mFormEndTasks.end()) {
        tasks = std::move(found->second);
        mFormEndTasks.erase(found);
    }
    return tasks;
}

void DocumentContext::GiveUpForm(OutputFormXObject* inForm, std::vector<std::unique_ptr<IFormEndWritingTask>>& ioTasks)
{
    // Every task hears of it, also one that ran: what it mapped or wrote for the form must not
    // serve a later one. Entries its resources never wrote (its stream failed first) go too.
    for (std::unique_ptr<IFormEndWritingTask>& task : ioTasks)
        task->Abandon(this);
    for (int category = 0; category < ResourcesDictionary::eCategoryCount; ++category)
        mResourceWritingTasks.erase(ResourceCategoryKey(&inForm->GetResourcesDictionary(),
                                                        static_cast<ResourcesDictionary::ECategory>(category)));
    inForm->GetWritingStep().Unwind();
}

// Resources

OpStatus DocumentContext::WriteResourcesDictionary(ResourcesDictionary& inResources)
{
    DictionaryContext* resourcesDictionary = mObjectsContext->StartDictionary();

    const std::set<std::string>& procSets = inResources.GetProcSets();
    if (!procSets.empty() && resourcesDictionary->WriteKey(scProcSet) == eSuccess) {
        mObjectsContext->StartArray();
        for (const std::string& procSet : procSets)
            mObjectsContext->GetValueWriter().WriteNameValue(procSet, eTokenSeparatorSpace);
        mObjectsContext->EndArray(eTokenSeparatorEndLine);
    }

    for (int category = 0; category < ResourcesDictionary::eCategoryCount; ++category) {
        OpStatus status = WriteResourceDictionary(inResources, resourcesDictionary,
                                                  static_cast<ResourcesDictionary::ECategory>(category));
        if (status != eSuccess)
            return status;
    }

    OpStatus status = eSuccess;
    for (IDocumentContextExtender* extender : mExtenders) {
        status = extender->ResourcesDictionaryWriting(&inResources, resourcesDictionary, mObjectsContext, this);
        if (status != eSuccess) {
            TraceMessage(
                "DocumentContext::WriteResourcesDictionary, unexpected failure. extender declared failure when "
                "writing resources.");
            break;
        }
    }
    if (mObjectsContext->EndDictionary(resourcesDictionary) != eSuccess && status == eSuccess)
        status = eFailure;
    return status;
}

OpStatus DocumentContext::WriteResourceDictionary(ResourcesDictionary& inResources,
                                                  DictionaryContext* inResourcesDictionary,
                                                  ResourcesDictionary::ECategory inCategory)
{
    const ResourcesDictionary::ObjectIDToNameMap& names = inResources.GetCategory(inCategory);
    auto tasks = mResourceWritingTasks.find(ResourceCategoryKey(&inResources, inCategory));
    if (names.empty() && tasks == mResourceWritingTasks.end())
        return eSuccess;

    const char* categoryKey = ResourcesDictionary::CategoryKey(inCategory);
    if (inResourcesDictionary->WriteKey(categoryKey) != eSuccess)
        return eFailure;
    DictionaryContext* categoryDictionary = mObjectsContext->StartDictionary();
    for (const auto& entry : names) {
        if (categoryDictionary->WriteKey(entry.second) == eSuccess)
            mObjectsContext->WriteIndirectObjectReference(entry.first);
    }

    OpStatus status = eSuccess;
    if (tasks != mResourceWritingTasks.end()) {
        for (std::unique_ptr<IResourceWritingTask>& task : tasks->second) {
            status = task->RunTask(categoryDictionary, mObjectsContext, this);
            if (status != eSuccess)
                break;
        }
        mResourceWritingTasks.erase(tasks);
        if (status != eSuccess)
            return status;
    }

    for (IDocumentContextExtender* extender : mExtenders) {
        status = extender->ResourceCategoryWriting(categoryDictionary, categoryKey, mObjectsContext, this);
        if (status != eSuccess) {
            TraceMessage("DocumentContext::WriteResourceDictionary, unexpected failure. extender declared failure when "
                         "writing a resource dictionary.");
            break;
        }
    }
    if (mObjectsContext->EndDictionary(categoryDictionary) != eSuccess && status == eSuccess)
        status = eFailure;
    return status;
}

std::string DocumentContext::AddExtendedResourceMapping(ResourcesDictionary* inResources,
                                                        const std::string& inCategoryName,
                                                        std::unique_ptr<IResourceWritingTask> inTask)
{
    ResourcesDictionary::ECategory category;
    if (!ResourcesDictionary::CategoryOfKey(inCategoryName, category)) {
        TraceMessage("DocumentContext::AddExtendedResourceMapping:, unidentified category for registering a resource "
                     "writer %s",
                     inCategoryName.c_str());
        return std::string();
    }
    mResourceWritingTasks[ResourceCategoryKey(inResources, category)].push_back(std::move(inTask));
    return inResources->NewUnmappedName(category);
}

std::string DocumentContext::AddExtendedResourceMapping(OutputFormXObject* inForm, const std::string& inCategoryName,
                                                        std::unique_ptr<IResourceWritingTask> inTask)
{
    return AddExtendedResourceMapping(&inForm->GetResourcesDictionary(), inCategoryName, std::move(inTask));
}

void DocumentContext::ScheduleFormEndTask(OutputFormXObject* inForm, std::unique_ptr<IFormEndWritingTask> inTask)
{
    mFormEndTasks[inForm].push_back(std::move(inTask));
}

void DocumentContext::SchedulePageEndTask(OutputPage* inPage, std::unique_ptr<IPageEndWritingTask> inTask)
{
    mPageEndTasks[inPage].push_back(std::move(inTask));
}

// The end of the document

OpStatus DocumentContext::FinalizeNewDocument(bool inEmbedFonts)
{
    OpStatus status = mUsedFontsRepository.WriteAllUsedFonts(inEmbedFonts);
    if (status != eSuccess) {
        TraceMessage("DocumentContext::FinalizeNewDocument, failed to write the fonts of the document");
        return status;
    }

    PageTreeNode* top = mPageTree.GetTopNode();
    WritePageTreeNode(top, status);
    if (status != eSuccess)
        return status;

    ObjectReference root;
    root.mObjectID = top->GetID();
    status = WriteCatalogObject(root);
    if (status != eSuccess)
        return status;

    status = WriteInfoDictionary();
    if (status != eSuccess)
        return status;

    LongFilePositionType xrefPosition = 0;
    status = WriteXrefTableSection(xrefPosition);
    if (status != eSuccess)
        return status;
    WriteFileEnd(xrefPosition);
    return eSuccess;
}

OpStatus DocumentContext::WriteXrefTableSection(LongFilePositionType& outXrefPosition)
{
    OpStatus status = mObjectsContext->WriteXrefTable(outXrefPosition);
    if (status != eSuccess)
        return status;
    mObjectsContext->WriteKeyword(scTrailer);
    DictionaryContext* trailerDictionary = mObjectsContext->StartDictionary();
    status = WriteTrailerDictionaryValues(trailerDictionary);
    if (mObjectsContext->EndDictionary(trailerDictionary) != eSuccess || status != eSuccess)
        return eFailure;
    return eSuccess;
}

void DocumentContext::WriteFileEnd(LongFilePositionType inXrefPosition)
{
    mObjectsContext->WriteKeyword(scStartXref);
    mObjectsContext->WriteInteger(inXrefPosition, eTokenSeparatorEndLine);
    mObjectsContext->GetValueWriter().WriteText(scEndOfFile);
}

long long DocumentContext::WritePageTreeNode(PageTreeNode* inNode, OpStatus& ioStatus, ObjectIDType inTopParentID)
{
    long long count = 0;
    if (inNode->IsLeaf()) {
        count = static_cast<long long>(inNode->GetPageObjectIDs().size());
    } else {
        // Children first, so that each node knows the pages below it.
        for (const std::unique_ptr<PageTreeNode>& child : inNode->GetChildren())
            count += WritePageTreeNode(child.get(), ioStatus);
    }

    mObjectsContext->StartIndirectObject(inNode->GetID());
    DictionaryContext* nodeDictionary = mObjectsContext->StartDictionary();
    WriteNameEntry(nodeDictionary, scType, scPages);
    if (nodeDictionary->WriteKey(scCount) == eSuccess)
        nodeDictionary->WriteIntegerValue(count);
    nodeDictionary->WriteKey(scKids);
    mObjectsContext->StartArray();
    if (inNode->IsLeaf()) {
        for (ObjectIDType pageID : inNode->GetPageObjectIDs())
            mObjectsContext->WriteIndirectObjectReference(pageID, eTokenSeparatorSpace);
    } else {
        for (const std::unique_ptr<PageTreeNode>& child : inNode->GetChildren())
            mObjectsContext->WriteIndirectObjectReference(child->GetID(), eTokenSeparatorSpace);
    }
    mObjectsContext->EndArray(eTokenSeparatorEndLine);
    if (inNode->GetParent())
        WriteReferenceEntry(nodeDictionary, scParent, inNode->GetParent()->GetID());
    else if (inTopParentID != 0)
        WriteReferenceEntry(nodeDictionary, scParent, inTopParentID);
    if (mObjectsContext->EndDictionary(nodeDictionary) != eSuccess)
        ioStatus = eFailure;
    mObjectsContext->EndIndirectObject();
    return count;
}

OpStatus DocumentContext::WriteCatalogObject(const ObjectReference& inPageTreeRoot, PDFDictionary* inKeptEntries,
                                             CopySession* inSession)
{
    ObjectIDType catalogID = mObjectsContext->AllocateAndStartIndirectObject();
    mTrailerValues.mRoot.mObjectID = catalogID;
    mTrailerValues.mRoot.mGenerationNumber = 0;

    DictionaryContext* catalogDictionary = mObjectsContext->StartDictionary();
    WriteNameEntry(catalogDictionary, scType, scCatalog);
    if (catalogDictionary->WriteKey(scPages) == eSuccess)
        mObjectsContext->WriteIndirectObjectReference(inPageTreeRoot.mObjectID, inPageTreeRoot.mGenerationNumber);

    OpStatus status = eSuccess;
    for (IDocumentContextExtender* extender : mExtenders) {
        status = extender->CatalogWriting(&mPageTree, catalogDictionary, mObjectsContext, this);
        if (status != eSuccess) {
            TraceMessage("DocumentContext::WriteCatalogObject, unexpected failure. extender declared failure when "
                         "writing catalog.");
            break;
        }
    }
    // An updated file keeps its outlines, forms, names, metadata and everything else it had.
    if (status == eSuccess && inKeptEntries)
        status = CopyMissingEntries(catalogDictionary, inKeptEntries, inSession, "DocumentContext::WriteCatalogObject");
    if (mObjectsContext->EndDictionary(catalogDictionary) != eSuccess && status == eSuccess)
        status = eFailure;
    mObjectsContext->EndIndirectObject();
    return status;
}

OpStatus DocumentContext::WriteInfoDictionary(PDFDictionary* inKeptEntries, CopySession* inSession)
{
    const DocumentInfo& info = mTrailerValues.mInfoDictionary;
    if (info.IsEmpty() && (!inKeptEntries || inKeptEntries->GetSize() == 0))
        return eSuccess;

    ObjectIDType infoID = mObjectsContext->AllocateAndStartIndirectObject();
    mTrailerValues.mInfo.mObjectID = infoID;
    mTrailerValues.mInfo.mGenerationNumber = 0;

    DictionaryContext* infoDictionary = mObjectsContext->StartDictionary();
    const std::pair<const char*, const std::string*> texts[] = {
        {scTitle, &info.Title},       {scAuthor, &info.Author},   {scSubject, &info.Subject},
        {scKeywords, &info.Keywords}, {scCreator, &info.Creator}, {scProducer, &info.Producer}};
    for (const auto& text : texts) {
        if (!text.second->empty())
            WriteLiteralStringEntry(infoDictionary, text.first, *text.second);
    }
    if (!info.CreationDate.IsNull())
        WriteLiteralStringEntry(infoDictionary, scCreationDate, info.CreationDate.FormatAsPDFString());
    if (!info.ModDate.IsNull())
        WriteLiteralStringEntry(infoDictionary, scModDate, info.ModDate.FormatAsPDFString());
    if (info.Trapped != EInfoTrappedUnknown)
        WriteNameEntry(infoDictionary, scTrapped, info.Trapped == EInfoTrappedTrue ? scTrue : scFalse);
    for (const auto& entry : info.AdditionalInfoEntries)
        WriteLiteralStringEntry(infoDictionary, entry.first, entry.second);

    // The record's own entries (ModDate above all) win over the old ones.
    OpStatus status = eSuccess;
    if (inKeptEntries)
        status = CopyMissingEntries(infoDictionary, inKeptEntries, inSession, "DocumentContext::WriteInfoDictionary");
    if (mObjectsContext->EndDictionary(infoDictionary) != eSuccess)
        status = eFailure;
    mObjectsContext->EndIndirectObject();
    return status;
}

OpStatus DocumentContext::WriteTrailerDictionaryValues(DictionaryContext* inTrailerDictionary)
{
    if (inTrailerDictionary->WriteKey(scSize) == eSuccess)
        inTrailerDictionary->WriteIntegerValue(
            static_cast<long long>(mObjectsContext->GetInDirectObjectsRegistry().GetObjectsCount()));
    if (mTrailerValues.mPrev != 0 && inTrailerDictionary->WriteKey(scPrev) == eSuccess)
        inTrailerDictionary->WriteIntegerValue(mTrailerValues.mPrev);

    if (mTrailerValues.mRoot.mObjectID == 0) {
        TraceMessage(
            "DocumentContext::WriteTrailerDictionaryValues, Unexpected Failure. Didn't find catalog object while "
            "writing trailer");
        return eFailure;
    }
    if (inTrailerDictionary->WriteKey(scRoot) == eSuccess)
        mObjectsContext->WriteIndirectObjectReference(mTrailerValues.mRoot.mObjectID,
                                                      mTrailerValues.mRoot.mGenerationNumber);
    if (mTrailerValues.mInfo.mObjectID != 0 && inTrailerDictionary->WriteKey(scInfo) == eSuccess)
        mObjectsContext->WriteIndirectObjectReference(mTrailerValues.mInfo.mObjectID,
                                                      mTrailerValues.mInfo.mGenerationNumber);

    if (inTrailerDictionary->WriteKey(scID) == eSuccess) {
        std::string newID = GenerateMD5IDForFile();
        PDFValueWriter& writer = mObjectsContext->GetValueWriter();
        mObjectsContext->StartArray();
        writer.WriteHexStringValue(mKeepFirstDocumentIDPart ? mFirstDocumentIDPart : newID, eTokenSeparatorSpace);
        writer.WriteHexStringValue(newID, eTokenSeparatorSpace);
        mObjectsContext->EndArray(eTokenSeparatorEndLine);
    }
    return eSuccess;
}

std::string DocumentContext::GenerateMD5IDForFile()
{
    MD5Digest digest;
    PDFDate now;
    Platform::LocalTime time;
    if (mClock(time))
        now.SetToLocalTime(time);
    AddText(digest, now.FormatAsPDFString());
    AddText(digest, mOutputFilePath);
    IByteWriterWithPosition* output = mObjectsContext->GetOutputStream();
    AddText(digest, std::to_string(output ? output->TellPosition() : 0));

    const DocumentInfo& info = mTrailerValues.mInfoDictionary;
    for (const std::string* text :
         {&info.Title, &info.Author, &info.Subject, &info.Keywords, &info.Creator, &info.Producer})
        AddText(digest, *text);
    AddText(digest, info.CreationDate.FormatAsPDFString());
    AddText(digest, info.ModDate.FormatAsPDFString());
    AddText(digest,
            info.Trapped == EInfoTrappedTrue ? scTrue : (info.Trapped == EInfoTrappedFalse ? scFalse : scUnknown));
    for (const auto& entry : info.AdditionalInfoEntries)
        AddText(digest, entry.second);
    return digest.HexDigest();
}

// Incremental update

OpStatus DocumentContext::LoadStateFromModifiedFile(PDFParser* inModifiedFileParser)
{
    PDFDictionary* trailer = inModifiedFileParser->GetTrailer();
    if (!trailer) {
        TraceMessage("DocumentContext::LoadStateFromModifiedFile, the file has no trailer dictionary");
        return eFailure;
    }
    PDFObjectCastPtr<PDFIndirectObjectReference> root(trailer->QueryDirectObject(scRoot));
    if (!root) {
        TraceMessage("DocumentContext::LoadStateFromModifiedFile, the trailer has no Root reference");
        return eFailure;
    }
    // The catalog keeps the generation its reference names.
    mTrailerValues.mRoot.mObjectID = root->GetObjectID();
    mTrailerValues.mRoot.mGenerationNumber = root->GetGenerationNumber();
    mTrailerValues.mPrev = inModifiedFileParser->GetXrefPosition();

    Platform::LocalTime now;
    if (mClock(now))
        mTrailerValues.mInfoDictionary.ModDate.SetToLocalTime(now);

    // The first part of the ID names the document for good; without one the update gets a new ID
    // of its own rather than an empty first part.
    SetKeepFirstDocumentIDPart(false);
    PDFObjectCastPtr<PDFArray> id(trailer->QueryDirectObject(scID));
    if (id && id->GetLength() == 2) {
        RefCountPtr<PDFObject> first(id->QueryObject(0));
        if (first->GetType() == PDFObject::ePDFObjectHexString) {
            SetKeepFirstDocumentIDPart(true, static_cast<PDFHexString*>(first.GetPtr())->GetValue());
        } else if (first->GetType() == PDFObject::ePDFObjectLiteralString) {
            static const char scDigits[] = "0123456789ABCDEF";
            std::string hex;
            for (unsigned char byte : static_cast<PDFLiteralString*>(first.GetPtr())->GetValue()) {
                hex.push_back(scDigits[byte >> 4]);
                hex.push_back(scDigits[byte & 0x0F]);
            }
            SetKeepFirstDocumentIDPart(true, hex);
        }
    }
    return eSuccess;
}

namespace {

// The old catalog, or null after one log line.
PDFDictionary* ParseOriginalCatalog(PDFParser* inParser)
{
    PDFDictionary* trailer = inParser->GetTrailer();
    PDFObjectCastPtr<PDFIndirectObjectReference> root(trailer ? trailer->QueryDirectObject(scRoot) : nullptr);
    if (!root) {
        TraceMessage("DocumentContext::GetOriginalDocumentPageTreeRoot, failed to read catalog reference in trailer");
        return nullptr;
    }
    PDFObjectCastPtr<PDFDictionary> catalog(inParser->ParseObjectByID(root->GetObjectID()));
    if (!catalog) {
        TraceMessage("DocumentContext::GetOriginalDocumentPageTreeRoot, failed to read catalog");
        return nullptr;
    }
    return catalog.Detach();
}

// The version the old file declares: its header's, or its catalog's Version when that is higher.
int OriginalVersionCode(PDFParser* inParser, PDFDictionary* inCatalog)
{
    // The header's 1.4 is 1.399..., so the product is rounded a hair up before it is cut.
    double level = inParser->GetPDFLevel();
    if (inCatalog) {
        PDFObjectCastPtr<PDFName> version(inParser->ResolveDictionaryValue(inCatalog, scVersion));
        double catalogLevel = 0;
        if (version && NumberText::ParseDouble(version->GetValue(), catalogLevel) && catalogLevel > level)
            level = catalogLevel;
    }
    if (!(level > 0) || level > 100)
        return 0;
    return static_cast<int>(level * 10 + 1e-9);
}

} // namespace

ObjectReference DocumentContext::GetOriginalDocumentPageTreeRoot(PDFParser* inModifiedFileParser)
{
    ObjectReference pagesRoot;
    RefCountPtr<PDFDictionary> catalog(ParseOriginalCatalog(inModifiedFileParser));
    if (!catalog)
        return pagesRoot;
    PDFObjectCastPtr<PDFIndirectObjectReference> pages(catalog->QueryDirectObject(scPages));
    if (!pages) {
        TraceMessage("PDFParser::GetOriginalDocumentPageTreeRoot, failed to read pages reference in catalog");
        return pagesRoot;
    }
    pagesRoot.mObjectID = pages->GetObjectID();
    pagesRoot.mGenerationNumber = pages->GetGenerationNumber();
    return pagesRoot;
}

ObjectIDType DocumentContext::WriteCombinedPageTree(PDFParser* inModifiedFileParser, CopySession* inSession)
{
    ObjectReference oldRoot = GetOriginalDocumentPageTreeRoot(inModifiedFileParser);
    PDFObjectCastPtr<PDFDictionary> oldRootNode(
        oldRoot.mObjectID != 0 ? inModifiedFileParser->ParseObjectByID(oldRoot.mObjectID) : nullptr);
    if (!oldRootNode) {
        TraceMessage("DocumentContext::WriteCombinedPageTree, cannot read the page tree of the modified file");
        return 0;
    }
    if (!inSession) {
        TraceMessage("DocumentContext::WriteCombinedPageTree, Unable to copy original page tree. this probably means "
                     "that the original file is protected - and is therefore unsupported for such activity as adding "
                     "pages");
        return 0;
    }

    ObjectIDType newTopID = mObjectsContext->GetInDirectObjectsRegistry().ReserveNewObjectID();
    OpStatus status = eSuccess;
    PageTreeNode* addedTop = mPageTree.GetTopNode();
    long long addedCount = WritePageTreeNode(addedTop, status, newTopID);
    if (status != eSuccess)
        return 0;

    // The pages the old tree holds, as its reader found them: a Count that claims more (damaged, or
    // as large as a number goes) would make the new count wrong or overflow the sum.
    long long oldCount = static_cast<long long>(inModifiedFileParser->GetPageCount());

    // The old top node again, under its own id, with the new top node as its parent.
    mObjectsContext->StartUpdatedIndirectObject(oldRoot.mObjectID);
    DictionaryContext* oldNodeDictionary = mObjectsContext->StartDictionary();
    DictionaryIterator entries = oldRootNode->CreateIterator();
    while (status == eSuccess && entries.MoveNext()) {
        if (entries.GetKey()->GetValue() == scParent)
            continue;
        if (oldNodeDictionary->WriteKey(entries.GetKey()->GetValue()) != eSuccess ||
            inSession->CopyParsedValue(entries.GetValue()) != eSuccess)
            status = eFailure;
    }
    WriteReferenceEntry(oldNodeDictionary, scParent, newTopID);
    if (mObjectsContext->EndDictionary(oldNodeDictionary) != eSuccess)
        status = eFailure;
    mObjectsContext->EndIndirectObject();
    if (status != eSuccess) {
        TraceMessage("DocumentContext::WriteCombinedPageTree, failed to write the old page tree's top node again");
        return 0;
    }

    mObjectsContext->StartIndirectObject(newTopID);
    DictionaryContext* topDictionary = mObjectsContext->StartDictionary();
    WriteNameEntry(topDictionary, scType, scPages);
    if (topDictionary->WriteKey(scCount) == eSuccess)
        topDictionary->WriteIntegerValue(oldCount + addedCount);
    if (topDictionary->WriteKey(scKids) == eSuccess) {
        mObjectsContext->StartArray();
        mObjectsContext->WriteIndirectObjectReference(oldRoot.mObjectID, oldRoot.mGenerationNumber,
                                                      eTokenSeparatorSpace);
        mObjectsContext->WriteIndirectObjectReference(addedTop->GetID(), eTokenSeparatorSpace);
        mObjectsContext->EndArray(eTokenSeparatorEndLine);
    }
    if (mObjectsContext->EndDictionary(topDictionary) != eSuccess)
        status = eFailure;
    mObjectsContext->EndIndirectObject();
    return status == eSuccess ? newTopID : 0;
}

OpStatus DocumentContext::CopyMissingEntries(DictionaryContext* inDictionary, PDFDictionary* inSource,
                                             CopySession* inSession, const char* inCaller)
{
    DictionaryIterator entries = inSource->CreateIterator();
    while (entries.MoveNext()) {
        const std::string& key = entries.GetKey()->GetValue();
        if (inDictionary->HasKey(key))
            continue;
        if (!inSession) {
            TraceMessage("%s, no copying context to keep the entry %s of the modified file",
                         inCaller, TraceExcerpt(key).c_str());
            return eFailure;
        }
        if (inDictionary->WriteKey(key) != eSuccess || inSession->CopyParsedValue(entries.GetValue()) != eSuccess) {
            TraceMessage("%s, failed to keep the entry %s of the modified file", inCaller, TraceExcerpt(key).c_str());
            return eFailure;
        }
    }
    return eSuccess;
}

OpStatus DocumentContext::WriteXrefStreamSection(LongFilePositionType& outXrefPosition)
{
    IByteWriterWithPosition* output = mObjectsContext->GetOutputStream();
    outXrefPosition = output ? output->TellPosition() : 0;
    // The stream object is reserved before Size is written, so that it lists itself.
    mObjectsContext->AllocateAndStartIndirectObject();
    DictionaryContext* xrefDictionary = mObjectsContext->StartDictionary();
    WriteNameEntry(xrefDictionary, scType, scXRef);
    if (WriteTrailerDictionaryValues(xrefDictionary) != eSuccess) {
        mObjectsContext->EndDictionary(xrefDictionary);
        mObjectsContext->EndIndirectObject();
        return eFailure;
    }
    return mObjectsContext->WriteXrefStream(xrefDictionary);
}

OpStatus DocumentContext::FinalizeModifiedDocument(PDFParser* inModifiedFileParser, int inPDFVersionCode,
                                                   bool inEmbedFonts)
{
    OpStatus status = mUsedFontsRepository.WriteAllUsedFonts(inEmbedFonts);
    if (status != eSuccess) {
        TraceMessage("DocumentContext::FinalizeModifiedDocument, failed to write the fonts of the update");
        return status;
    }

    // Values of the old file are copied with their own ids; the session is opened on first need.
    std::unique_ptr<CopySession> session;
    bool sessionTried = false;
    auto copySession = [&]() -> CopySession* {
        if (!sessionTried) {
            sessionTried = true;
            session = CreateCopySessionForParser(inModifiedFileParser);
        }
        return session.get();
    };

    RefCountPtr<PDFDictionary> oldCatalog(ParseOriginalCatalog(inModifiedFileParser));
    ObjectReference root = GetOriginalDocumentPageTreeRoot(inModifiedFileParser);
    bool catalogNeeded = false;
    if (!mPageTree.IsEmpty()) {
        if (root.mObjectID == 0) {
            TraceMessage("DocumentContext::FinalizeModifiedDocument, the page tree of the modified file cannot be "
                         "found, the added pages cannot join it");
            return eFailure;
        }
        ObjectIDType combined = WriteCombinedPageTree(inModifiedFileParser, copySession());
        if (combined == 0)
            return eFailure;
        root.mObjectID = combined;
        root.mGenerationNumber = 0;
        catalogNeeded = true;
    }

    // 18 stands for 1.7, as in the header of a new file; a version is never lowered.
    int targetVersion = inPDFVersionCode > 17 ? 17 : inPDFVersionCode;
    bool versionRises = OriginalVersionCode(inModifiedFileParser, oldCatalog.GetPtr()) < targetVersion;
    if (!catalogNeeded && !versionRises) {
        for (IDocumentContextExtender* extender : mExtenders) {
            if (extender->CatalogRewriteWanted(inModifiedFileParser)) {
                catalogNeeded = true;
                break;
            }
        }
    }
    if (catalogNeeded || versionRises) {
        // A catalog without the old page tree would drop every page of the file.
        if (!oldCatalog || root.mObjectID == 0) {
            TraceMessage("DocumentContext::FinalizeModifiedDocument, the catalog or page tree of the modified file "
                         "cannot be read, its catalog cannot be written again");
            return eFailure;
        }
        std::unique_ptr<VersionUpdate> versionUpdate;
        if (versionRises) {
            versionUpdate = std::make_unique<VersionUpdate>(targetVersion);
            AttachExtender(versionUpdate.get());
        }
        status = WriteCatalogObject(root, oldCatalog.GetPtr(), copySession());
        if (versionUpdate)
            DetachExtender(versionUpdate.get());
        if (status != eSuccess)
            return status;
    }

    PDFDictionary* trailer = inModifiedFileParser->GetTrailer();
    PDFObjectCastPtr<PDFDictionary> oldInfo(trailer ? inModifiedFileParser->ResolveDictionaryValue(trailer, scInfo)
                                                    : nullptr);
    status = WriteInfoDictionary(oldInfo.GetPtr(),
                                 oldInfo && oldInfo->GetSize() > 0 ? copySession() : nullptr);
    if (status != eSuccess)
        return status;
    session.reset();

    PDFObjectCastPtr<PDFName> trailerType(trailer ? trailer->QueryDirectObject(scType) : nullptr);
    LongFilePositionType xrefPosition = 0;
    if (trailerType && trailerType->GetValue() == scXRef) {
        // The closing lines follow a cross-reference stream even when it failed.
        status = WriteXrefStreamSection(xrefPosition);
    } else {
        status = WriteXrefTableSection(xrefPosition);
        if (status != eSuccess)
            return status;
    }
    WriteFileEnd(xrefPosition);
    return status;
}

// Copying

AppendPagesResult DocumentContext::AppendPDFPagesFromPDF(const std::string& inSourcePath,
                                                         const PageSelection& inPageSelection,
                                                         const std::vector<ObjectIDType>& inExtraObjectIDs)
{
    return mPDFDocumentHandler.AppendPDFPagesFromPDF(inSourcePath, inPageSelection, inExtraObjectIDs);
}

std::unique_ptr<CopySession> DocumentContext::CreateCopySessionForFile(const std::string& inSourcePath)
{
    std::unique_ptr<CopySession> session = std::make_unique<CopySession>();
    if (session->Start(inSourcePath, this, mObjectsContext, nullptr) != eSuccess)
        return nullptr;
    return session;
}

std::unique_ptr<CopySession> DocumentContext::CreateCopySessionForParser(PDFParser* inSourceParser)
{
    std::unique_ptr<CopySession> session = std::make_unique<CopySession>();
    if (session->Start(inSourceParser, this, mObjectsContext) != eSuccess)
        return nullptr;
    return session;
}

void DocumentContext::AttachExtender(IDocumentContextExtender* inExtender)
{
    mExtenders.insert(inExtender);
    mJPEGImageHandler.AddDocumentContextExtender(inExtender);
    mTIFFImageHandler.AddDocumentContextExtender(inExtender);
    mPDFDocumentHandler.AddDocumentContextExtender(inExtender);
    for (CopySession* session : mCopySessions)
        session->AddDocumentContextExtender(inExtender);
}

void DocumentContext::DetachExtender(IDocumentContextExtender* inExtender)
{
    mExtenders.erase(inExtender);
    mJPEGImageHandler.RemoveDocumentContextExtender(inExtender);
    mTIFFImageHandler.RemoveDocumentContextExtender(inExtender);
    mPDFDocumentHandler.RemoveDocumentContextExtender(inExtender);
    for (CopySession* session : mCopySessions)
        session->RemoveDocumentContextExtender(inExtender);
}

// Images

DocumentContext::ImageInformation& DocumentContext::CachedImage(const std::string& inImagePath, int inImageIndex)
{
    return mImagesInformation[ImageKey(inImagePath, inImageIndex)];
}

DocumentContext::EImageKind DocumentContext::ImageKindOf(const std::string& inImagePath, int inImageIndex)
{
    ImageInformation& cached = CachedImage(inImagePath, inImageIndex);
    if (cached.mKind != eImageKindUnknown)
        return cached.mKind;

    InputFile file;
    if (file.OpenFile(inImagePath) != eSuccess)
        return eImageKindUnknown;
    Byte head[4] = {0, 0, 0, 0};
    // Past the read buffer: four bytes decide, and each page of a long TIFF file is probed.
    size_t count = file.GetInputStream()->GetSourceStream()->Read(head, sizeof(head));
    file.CloseFile();

    EImageKind kind = eImageKindUnknown;
    if (count == 4 && head[0] == '%' && head[1] == 'P' && head[2] == 'D' && head[3] == 'F')
        kind = eImageKindPDF;
    else if (count >= 2 && head[0] == 0xFF && head[1] == 0xD8)
        kind = eImageKindJPEG;
    else if (count == 4 &&
             ((head[0] == 0x4D && head[1] == 0x4D && head[2] == 0x00 && (head[3] == 0x2A || head[3] == 0x2B)) ||
              (head[0] == 0x49 && head[1] == 0x49 && (head[2] == 0x2A || head[2] == 0x2B) && head[3] == 0x00)))
        kind = eImageKindTIFF;
    cached.mKind = kind;
    return kind;
}

std::pair<double, double> DocumentContext::MeasureImage(const std::string& inImagePath, int inImageIndex)
{
    {
        const ImageInformation& cached = CachedImage(inImagePath, inImageIndex);
        if (cached.mWidth >= 0 && cached.mHeight >= 0)
            return std::make_pair(cached.mWidth, cached.mHeight);
    }

    std::pair<double, double> size(0, 0);
    if (inImageIndex < 0) {
        TraceMessage("DocumentContext::MeasureImage, image index %d of %s is not valid", inImageIndex,
                     inImagePath.c_str());
    } else {
        switch (ImageKindOf(inImagePath, inImageIndex)) {
        case eImageKindPDF:
            size = MeasurePDFPage(inImagePath, inImageIndex);
            break;
        case eImageKindJPEG: {
            std::pair<bool, JPEGImageInformation> information = mJPEGImageHandler.ReadJPGInformation(inImagePath);
            if (information.first)
                size = JPEGImageHandler::DisplaySizeInPoints(information.second);
            break;
        }
        case eImageKindTIFF: {
            TIFFImageDimensions dimensions =
                mTIFFImageHandler.ReadImageDimensions(inImagePath, static_cast<unsigned int>(inImageIndex));
            if (dimensions.mWidth >= 0 && dimensions.mHeight >= 0)
                size = std::make_pair(dimensions.mWidth, dimensions.mHeight);
            break;
        }
        case eImageKindUnknown:
            break;
        }
    }
    // Cached even when nothing could be read, so that the file is not read again.
    ImageInformation& cached = CachedImage(inImagePath, inImageIndex);
    cached.mWidth = size.first;
    cached.mHeight = size.second;
    return size;
}

std::pair<double, double> DocumentContext::MeasurePDFPage(const std::string& inImagePath, int inImageIndex)
{
    InputFile file;
    if (file.OpenFile(inImagePath) != eSuccess)
        return std::make_pair(0.0, 0.0);
    PDFParser parser;
    if (parser.ParseDocument(file.GetInputStream()) != eSuccess ||
        static_cast<unsigned int>(inImageIndex) >= parser.GetPageCount()) {
        TraceMessage("DocumentContext::MeasureImage, page %d of %s cannot be read", inImageIndex, inImagePath.c_str());
        return std::make_pair(0.0, 0.0);
    }
    PDFPageInput page(&parser, parser.ParsePage(static_cast<uint32_t>(inImageIndex)));
    PDFRectangle box = page.GetMediaBox();
    return std::make_pair(box.UpperRightX - box.LowerLeftX, box.UpperRightY - box.LowerLeftY);
}

OpStatus DocumentContext::WriteImageFileAsFormXObject(const std::string& inImagePath, int inImageIndex,
                                                      ObjectIDType inFormObjectID)
{
    if (inImageIndex < 0) {
        TraceMessage("DocumentContext::WriteImageFileAsFormXObject, image index %d of %s is not valid", inImageIndex,
                     inImagePath.c_str());
        return eFailure;
    }
    switch (ImageKindOf(inImagePath, inImageIndex)) {
    case eImageKindJPEG:
        return mJPEGImageHandler.CreateFormXObjectFromJPGFile(inImagePath, inFormObjectID) ? eSuccess : eFailure;
    case eImageKindTIFF: {
        TIFFImageOptions options;
        options.mPageIndex = static_cast<unsigned int>(inImageIndex);
        return mTIFFImageHandler.CreateFormXObjectFromTIFFFile(inImagePath, inFormObjectID, options) ? eSuccess
                                                                                                     : eFailure;
    }
    case eImageKindPDF:
        return WritePDFPageAsFormXObject(inImagePath, inImageIndex, inFormObjectID);
    case eImageKindUnknown:
        break;
    }
    TraceMessage("DocumentContext::WriteImageFileAsFormXObject, %s is not an image file of a known kind",
                 inImagePath.c_str());
    return eFailure;
}

OpStatus DocumentContext::WritePDFPageAsFormXObject(const std::string& inImagePath, int inImageIndex,
                                                    ObjectIDType inFormObjectID)
{
    std::unique_ptr<CopySession> session = CreateCopySessionForFile(inImagePath);
    if (!session)
        return eFailure;
    PDFParser* parser = session->GetSourceParser();
    // Checked before the form is begun, so that nothing is left half written.
    if (static_cast<unsigned int>(inImageIndex) >= parser->GetPageCount()) {
        TraceMessage("PDFDocumentHandler::MergePDFPageToFormXObject, request object index %ld is larger than maximum "
                     "page for input document = %ld",
                     static_cast<long>(inImageIndex), static_cast<long>(parser->GetPageCount()) - 1);
        return eFailure;
    }
    PDFPageInput page(parser, parser->ParsePage(static_cast<uint32_t>(inImageIndex)));
    std::unique_ptr<OutputFormXObject> form = StartFormXObject(page.GetMediaBox(), inFormObjectID);
    if (!form)
        return eFailure;
    OpStatus status = session->MergePDFPageToFormXObject(form.get(), static_cast<unsigned long>(inImageIndex));
    if (status != eSuccess) {
        TraceMessage("PDFDocumentHandler::MergePDFPageToFormXObject, failed to merge page %ld",
                     static_cast<long>(inImageIndex));
        // Nothing of a page merged in part is kept: the form, unfinished, is given up as it goes.
        return status;
    }
    return FinishFormXObject(form.get());
}

void DocumentContext::ForgetImageForm(const std::string& inImagePath, int inImageIndex, ObjectIDType inFormObjectID)
{
    auto found = mImageFormIDs.find(ImageKey(inImagePath, inImageIndex));
    if (found == mImageFormIDs.end() || found->second != inFormObjectID)
        return;
    mImageFormIDs.erase(found);
    IndirectObjectsReferenceRegistry& registry = mObjectsContext->GetInDirectObjectsRegistry();
    if (inFormObjectID < registry.GetObjectsCount() && !registry.GetEntry(inFormObjectID).mIsWritten)
        registry.ReleaseObjectID(inFormObjectID);
}

ObjectIDType DocumentContext::ImageFormIDFor(const std::string& inImagePath, int inImageIndex, bool& outIsNew)
{
    ImageKey key(inImagePath, inImageIndex);
    auto found = mImageFormIDs.find(key);
    outIsNew = found == mImageFormIDs.end();
    if (!outIsNew)
        return found->second;
    ObjectIDType formID = mObjectsContext->GetInDirectObjectsRegistry().ReserveNewObjectID();
    mImageFormIDs.emplace(key, formID);
    return formID;
}

void DocumentContext::ResetForNewDocument()
{
    mTrailerValues.Reset();
    mPageTree.Clear();
    mJPEGImageHandler.Reset();
    mTIFFImageHandler.Reset();
    mPDFDocumentHandler.ClearDocumentContextExtenders();
    mUsedFontsRepository.Reset();
    mExtenders.clear();
    for (CopySession* session : mCopySessions)
        session->ForgetDocumentContext();
    mCopySessions.clear();
    mOutputFilePath.clear();
    mKeepFirstDocumentIDPart = false;
    mFirstDocumentIDPart.clear();
    mFormEndTasks.clear();
    mPageEndTasks.clear();
    mResourceWritingTasks.clear();
    // Form ids belong to one document; the sizes and kinds of image files serve them all.
    mImageFormIDs.clear();
}
