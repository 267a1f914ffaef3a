#include "pdf/copying/PDFDocumentHandler.h"

#include "pdf/copying/ColorSpaceCategoryServices.h"
#include "pdf/copying/ContentResourceRenamer.h"
#include "pdf/copying/ExtGStateCategoryServices.h"
#include "pdf/copying/FontCategoryServices.h"
#include "pdf/parsing/InheritedPageValues.h"
#include "pdf/copying/ObjectsCopyingTask.h"
#include "pdf/copying/PatternCategoryServices.h"
#include "pdf/copying/PropertyCategoryServices.h"
#include "pdf/copying/ResourceCopierTask.h"
#include "pdf/copying/ShadingCategoryServices.h"
#include "pdf/copying/XObjectCategoryServices.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputLimitedStream.h"
#include "pdf/io/InputStreamSkipperStream.h"
#include "pdf/io/NumberText.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/IPDFParserExtender.h"
#include "pdf/parsing/PDFParser.h"
#include "pdf/writing/DocumentContext.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/OutputFormXObject.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/WritingStep.h"
#include "pdf/writing/WrittenPDFStream.h"

#include <algorithm>
#include <cmath>

namespace {

// Bytes moved at a time when stream data is copied: the data of a stream is never held whole.
const size_t kCopyChunkSize = 64 * 1024;

// Decoded content a page placed as a form may have: this much at most, and no more than so many
// times the size of its file.
const long long kMaxDecodedContent = 256LL * 1024 * 1024;
const long long kDecodedContentPerSourceByte = 64;

const char scResources[] = "Resources";
const char scContents[] = "Contents";
const char scCropBox[] = "CropBox";
const char scRotate[] = "Rotate";
const char scUserUnit[] = "UserUnit";
const char scGroup[] = "Group";
const char scLength[] = "Length";
const char scProcSet[] = "ProcSet";

// A copied real keeps its exact value (the writer's usual six decimals would change the small
// numbers of Type 3 font matrices).
std::string CopiedRealText(double inValue)
{
    std::string text;
    NumberText::FormatShortest(inValue, text);
    return text;
}

bool IsPositiveNumber(PDFObject* inValue)
{
    if (inValue->GetType() == PDFObject::ePDFObjectInteger)
        return static_cast<PDFInteger*>(inValue)->GetValue() > 0;
    if (inValue->GetType() == PDFObject::ePDFObjectReal) {
        double value = static_cast<PDFReal*>(inValue)->GetValue();
        return std::isfinite(value) && value > 0;
    }
    return false;
}

} // namespace

PDFDocumentHandler::PDFDocumentHandler() = default;

PDFDocumentHandler::~PDFDocumentHandler()
{
    FinishCopyingContext();
}

void PDFDocumentHandler::SetOperationsContexts(DocumentContext* inDocumentContext, ObjectsContext* inObjectsContext)
{
    mDocumentContext = inDocumentContext;
    mObjectsContext = inObjectsContext;
}

// Copying context

OpStatus PDFDocumentHandler::StartFileCopyingContext(const std::string& inSourcePath)
{
    if (mInputFile.OpenFile(inSourcePath) != eSuccess) {
        TraceMessage("PDFDocumentHandler::StartFileCopyingContext, unable to open file for reading in %s",
                     inSourcePath.c_str());
        return eFailure;
    }
    return StartCopyingContext(mInputFile.GetInputStream());
}

OpStatus PDFDocumentHandler::StartCopyingContext(IByteReaderWithPosition* inSourceStream)
{
    if (!inSourceStream) {
        TraceMessage("PDFDocumentHandler::StartCopyingContext, no source stream to copy from");
        return eFailure;
    }
    if (!mOwnedParser)
        mOwnedParser = std::make_unique<PDFParser>();
    mParser = mOwnedParser.get();
    mSourceStream = inSourceStream;
    mSourceToTarget.clear();

    OpStatus status = mParser->ParseDocument(inSourceStream);
    if (status != eSuccess) {
        TraceMessage("PDFDocumentHandler::StartCopyingContext, failure occured while parsing PDF file.");
        return status;
    }
    // Positions count from the header, as the parser reads them.
    mSourceStream = mParser->GetParserStream();
    if (mParser->HasEncryptionDictionary()) {
        TraceMessage("PDFDocumentHandler::StartCopyingContext, Document contains an encryption dictionary. Library "
                     "does not support embedding of encrypted PDF");
        return eFailure;
    }
    mSourceStream->SeekFromEnd(0);
    mSourceSize = mSourceStream->TellPosition();
    return eSuccess;
}

OpStatus PDFDocumentHandler::StartCopyingContext(PDFParser* inSourceParser)
{
    mOwnedParser.reset();
    mParser = inSourceParser;
    mSourceToTarget.clear();
    mSourceStream = inSourceParser ? inSourceParser->GetParserStream() : nullptr;
    if (!mSourceStream) {
        TraceMessage("PDFDocumentHandler::StartCopyingContext, the parser has no parsed file to copy from");
        return eFailure;
    }
    if (mParser->HasEncryptionDictionary() &&
        !(mParser->GetParserExtender() && mParser->GetParserExtender()->DoesSupportEncryption())) {
        TraceMessage("PDFDocumentHandler::StartCopyingContext, Document contains an encryption dictionary. Library "
                     "does not support embedding of encrypted PDF");
        return eFailure;
    }
    // The parser reads from where it seeks; the size is taken without disturbing anything else.
    LongFilePositionType position = mSourceStream->TellPosition();
    mSourceStream->SeekFromEnd(0);
    mSourceSize = mSourceStream->TellPosition();
    mSourceStream->SeekFromStart(position);
    return eSuccess;
}

void PDFDocumentHandler::FinishCopyingContext()
{
    // The parser before the file it reads: a copy that an exception ended leaves it reading.
    if (mOwnedParser)
        mOwnedParser->ResetParser();
    mOwnedParser.reset();
    mParser = nullptr;
    mInputFile.CloseFile();
    mSourceStream = nullptr;
    mSourceSize = 0;
    mSourceToTarget.clear();
    mCopyBuffer.reset();
}

// Appending pages

AppendPagesResult PDFDocumentHandler::AppendPDFPagesFromPDF(const std::string& inSourcePath,
                                                            const PageSelection& inPageSelection,
                                                            const std::vector<ObjectIDType>& inExtraObjectIDs)
{
    AppendPagesResult result;
    result.mStatus = StartFileCopyingContext(inSourcePath);
    if (result.mStatus != eSuccess) {
        result.mStatus = eFailure;
        FinishCopyingContext();
        return result;
    }

    OpStatus status = eSuccess;
    for (IDocumentContextExtender* extender : mExtenders) {
        status = extender->CopySourceParsed(mObjectsContext, mDocumentContext, this);
        if (status != eSuccess) {
            TraceMessage("DocumentContext::AppendPDFPagesFromPDF, unexpected failure. extender declared failure "
                         "after parsing page.");
            break;
        }
    }

    if (status == eSuccess && !inExtraObjectIDs.empty()) {
        if (CopyPendingObjects(inExtraObjectIDs) != eSuccess) {
            TraceMessage("PDFDocumentHandler::AppendPDFPagesFromPDF, failed copying additional objects");
            status = eFailure;
        }
    }

    if (status == eSuccess)
        status = AppendSelectedPages(inPageSelection, result);

    if (status == eSuccess) {
        for (IDocumentContextExtender* extender : mExtenders) {
            status = extender->CopyEnding(mObjectsContext, mDocumentContext, this);
            if (status != eSuccess) {
                TraceMessage("DocumentContext::AppendPDFPagesFromPDF, unexpected failure. extender declared failure "
                             "before finalizing copy.");
                break;
            }
        }
    }

    FinishCopyingContext();
    result.mStatus = status;
    return result;
}

OpStatus PDFDocumentHandler::AppendSelectedPages(const PageSelection& inPageSelection, AppendPagesResult& ioResult)
{
    if (!mParser) {
        TraceMessage("PDFDocumentHandler::AppendPDFPagesFromPDF, no copying context is open");
        return eFailure;
    }
    const uint32_t pageCount = mParser->GetPageCount();
    std::vector<std::pair<uint32_t, uint32_t>> ranges;
    if (inPageSelection.mKind == PageSelection::AllPages) {
        if (pageCount > 0)
            ranges.emplace_back(0, pageCount - 1);
    } else {
        ranges = inPageSelection.mRanges;
    }
    OpStatus status = eSuccess;
    for (const auto& range : ranges) {
        if (range.second < range.first || range.second >= pageCount) {
            TraceMessage("PDFDocumentHandler::AppendPDFPagesFromPDF, range mismatch. first = %ld, second = %ld, PDF "
                         "page count = %ld",
                         static_cast<long>(range.first), static_cast<long>(range.second), static_cast<long>(pageCount));
            return eFailure;
        }
        for (uint32_t index = range.first;; ++index) {
            ObjectIDType pageID = 0;
            if (CreatePDFPageForPage(index, pageID) == eSuccess) {
                ioResult.mPageObjectIDs.push_back(pageID);
            } else {
                // The failed page left nothing behind (CreatePDFPageForPage): the pages after it
                // of a damaged file are copied all the same.
                TraceMessage("PDFDocumentHandler::AppendPDFPagesFromPDF, failed to embed page %ld",
                             static_cast<long>(index));
                ioResult.mFailedPages.push_back(index);
                status = eFailure;
            }
            // A write the system refused spoils the whole output: no later page could be kept.
            if (mObjectsContext->HasFailed()) {
                TraceMessage("PDFDocumentHandler::AppendPDFPagesFromPDF, the output could not be written, copy "
                             "ended at page %ld",
                             static_cast<long>(index));
                return eFailure;
            }
            if (index == range.second)
                break;
        }
    }
    return status;
}

OpStatus PDFDocumentHandler::CreatePDFPageForPage(uint32_t inPageIndex, ObjectIDType& outPageObjectID)
{
    // A page of a damaged file that fails part-way must not keep the document from ending, nor
    // leave anything that a later page would take for copied.
    WritingStep step(*mObjectsContext);
    // Room for what a page usually maps at once, rather than growing page by page.
    if (mPageMapped.capacity() == 0)
        mPageMapped.reserve(64);
    mPageMapped.clear();
    OpStatus status;
    {
        StepScope scope(*this, &step, &mPageMapped);
        status = CopyPage(inPageIndex, outPageObjectID);
    }
    if (status == eSuccess) {
        step.Commit();
        return status;
    }
    step.Unwind();
    AbandonFailedPage(outPageObjectID);
    outPageObjectID = 0;
    return status;
}

void PDFDocumentHandler::AbandonFailedPage(ObjectIDType inPageObjectID)
{
    if (inPageObjectID != 0)
        mDocumentContext->GetPageTreeBuilder().RemoveLastPage(inPageObjectID);
    ForgetMappings(mPageMapped);
    mPageMapped.clear();
    mPageInProgress = nullptr;
    mResourcesInProgress = nullptr;
    mRotationInProgress = 0;
    mUserUnitInProgress = nullptr;
    mGroupInProgress = nullptr;
    mPendingFromPageWrite.clear();
}

OpStatus PDFDocumentHandler::CopyPage(uint32_t inPageIndex, ObjectIDType& outPageObjectID)
{
    outPageObjectID = 0;
    RefCountPtr<PDFDictionary> page(mParser ? mParser->ParsePage(inPageIndex) : nullptr);
    if (!page) {
        TraceMessage("PDFDocumentHandler::CreatePDFPageForPage, unhexpected exception, page index does not denote a "
                     "page object. page index = %ld",
                     static_cast<long>(inPageIndex));
        return eFailure;
    }
    for (IDocumentContextExtender* extender : mExtenders) {
        if (extender->PageCopyStarting(page.GetPtr(), mObjectsContext, mDocumentContext, this) != eSuccess) {
            TraceMessage("DocumentContext::CreatePDFPageForPage, unexpected failure. extender declared failure before "
                         "writing page.");
            return eFailure;
        }
    }

    // The boxes as readers take them; one that no page can have fails the page with its reason.
    OutputPage targetPage;
    PDFRectangle mediaBox;
    if (!mInheritedValues.MediaBox(mParser, page.GetPtr(), mediaBox))
        return eFailure;
    targetPage.SetMediaBox(mediaBox);
    // The boxes that say where the page is cut and printed. Only CropBox passes from the nodes
    // above a page to the page; readers take the others (and UserUnit and Group) from the page
    // alone, so a node's would change the copy.
    const std::pair<const char*, void (OutputPage::*)(const PDFRectangle&)> boxes[] = {
        {scCropBox, &OutputPage::SetCropBox},
        {"BleedBox", &OutputPage::SetBleedBox},
        {"TrimBox", &OutputPage::SetTrimBox},
        {"ArtBox", &OutputPage::SetArtBox}};
    for (const auto& box : boxes) {
        PDFRectangle rectangle;
        const InheritedPageValues::EBox reading =
            box.first == scCropBox ? mInheritedValues.InheritedBox(mParser, page.GetPtr(), box.first, rectangle)
                                   : InheritedPageValues::OwnBox(mParser, page.GetPtr(), box.first, rectangle);
        if (reading == InheritedPageValues::eBoxUnusable)
            return eFailure;
        if (reading == InheritedPageValues::eBoxRead)
            (targetPage.*box.second)(rectangle);
    }

    OpStatus status = CopyPageResourceObjects(page.GetPtr());
    if (status != eSuccess)
        return status;

    status = CopyPageContentToTargetPage(&targetPage, page.GetPtr());
    if (status != eSuccess)
        return status;

    // While the page object is written, the resources and rotation hooks fill in the source's.
    mPageInProgress = &targetPage;
    mResourcesInProgress = PDFObjectCastPtr<PDFDictionary>(
        mInheritedValues.Query(mParser, page.GetPtr(), scResources));
    mRotationInProgress = mInheritedValues.Rotation(mParser, page.GetPtr());
    mUserUnitInProgress = mParser->ResolveDictionaryValue(page.GetPtr(), scUserUnit);
    mGroupInProgress = PDFObjectCastPtr<PDFDictionary>(mParser->ResolveDictionaryValue(page.GetPtr(), scGroup));
    // What the group refers to is copied first, as the resources are: an object that cannot be
    // read then fails the page before it enters the page tree.
    ObjectIDList groupReferences;
    if (mGroupInProgress)
        CollectUnmappedReferences(mGroupInProgress.GetPtr(), groupReferences);
    if (!groupReferences.empty() && CopyPendingObjects(groupReferences) != eSuccess)
        return eFailure;
    mPendingFromPageWrite.clear();
    mDocumentContext->AttachExtender(this);
    status = mDocumentContext->WritePage(&targetPage, outPageObjectID);
    mDocumentContext->DetachExtender(this);
    // A page that could not be written has left the page tree already.
    if (status != eSuccess)
        outPageObjectID = 0;
    mPageInProgress = nullptr;
    mResourcesInProgress = nullptr;
    mRotationInProgress = 0;
    mUserUnitInProgress = nullptr;
    mGroupInProgress = nullptr;
    if (status == eSuccess && !mPendingFromPageWrite.empty()) {
        ObjectIDList pending;
        pending.swap(mPendingFromPageWrite);
        status = CopyPendingObjects(pending);
    }
    // A page whose object the system refused to write is no page of the document.
    if (status == eSuccess && mObjectsContext->HasFailed()) {
        TraceMessage("PDFDocumentHandler::CreatePDFPageForPage, the page object could not be written");
        status = eFailure;
    }
    if (status != eSuccess)
        return status;

    for (IDocumentContextExtender* extender : mExtenders) {
        status = extender->PageCopyFinished(&targetPage, page.GetPtr(), mObjectsContext, mDocumentContext, this);
        if (status != eSuccess) {
            TraceMessage("DocumentContext::CreatePDFFormXObjectForPage, unexpected failure. extender declared failure "
                         "after writing page.");
            break;
        }
    }
    return status;
}

OpStatus PDFDocumentHandler::CopyPageResourceObjects(PDFDictionary* inSourcePage)
{
    // Resources may stand on an ancestor of the page in the page tree.
    PDFObjectCastPtr<PDFDictionary> resources(mInheritedValues.Query(mParser, inSourcePage, scResources));
    if (!resources)
        return PageNamesUnreadableObject(mParser, inSourcePage, scResources,
                                         "PDFDocumentHandler::CopyPageResourceObjects")
                   ? eFailure
                   : eSuccess;
    ObjectIDList pending;
    CollectUnmappedReferences(resources.GetPtr(), pending);
    return pending.empty() ? eSuccess : CopyPendingObjects(pending);
}

OpStatus PDFDocumentHandler::ResourcesDictionaryWriting(ResourcesDictionary* inResources,
                                                        DictionaryContext* inResourcesDictionary, ObjectsContext*,
                                                        DocumentContext*)
{
    if (!mPageInProgress || inResources != &mPageInProgress->GetResourcesDictionary() || !mResourcesInProgress)
        return eSuccess;
    DictionaryIterator entries = mResourcesInProgress->CreateIterator();
    while (entries.MoveNext()) {
        if (inResourcesDictionary->WriteKey(entries.GetKey()->GetValue()) != eSuccess)
            return eFailure;
        OpStatus status = WriteDictionaryValue(entries.GetValue(), mPendingFromPageWrite);
        if (status != eSuccess)
            return status;
    }
    return eSuccess;
}

OpStatus PDFDocumentHandler::PageDictionaryWriting(OutputPage* inPage, DictionaryContext* inPageDictionary,
                                                   ObjectsContext*, DocumentContext*)
{
    if (!mPageInProgress || inPage != mPageInProgress)
        return eSuccess;
    if (mRotationInProgress != 0) {
        if (inPageDictionary->WriteKey(scRotate) != eSuccess)
            return eFailure;
        inPageDictionary->WriteIntegerValue(mRotationInProgress);
    }
    // A page measured in larger units than points (UserUnit 3: a point of the page is 3 points)
    // keeps its size; a transparency group keeps how its content blends.
    if (mUserUnitInProgress && IsPositiveNumber(mUserUnitInProgress.GetPtr())) {
        if (inPageDictionary->WriteKey(scUserUnit) != eSuccess ||
            WriteDictionaryValue(mUserUnitInProgress.GetPtr(), mPendingFromPageWrite) != eSuccess)
            return eFailure;
    }
    if (mGroupInProgress) {
        if (inPageDictionary->WriteKey(scGroup) != eSuccess ||
            WriteDictionaryValue(mGroupInProgress.GetPtr(), mPendingFromPageWrite) != eSuccess)
            return eFailure;
    }
    return eSuccess;
}

OpStatus PDFDocumentHandler::CollectContentStreams(PDFParser* inParser, PDFDictionary* inPage, const char* inMethod,
                                                   std::vector<ContentStream>& outStreams)
{
    RefCountPtr<PDFObject> reference(inPage->QueryDirectObject(scContents));
    RefCountPtr<PDFObject> contents(inParser->ResolveDictionaryValue(inPage, scContents));
    // A null Contents is the same as none.
    if (!contents || contents->GetType() == PDFObject::ePDFObjectNull)
        return PageNamesUnreadableObject(inParser, inPage, scContents, inMethod) ? eFailure : eSuccess;
    if (contents->GetType() == PDFObject::ePDFObjectStream &&
        reference->GetType() == PDFObject::ePDFObjectIndirectObjectReference) {
        auto* streamReference = static_cast<PDFIndirectObjectReference*>(reference.GetPtr());
        outStreams.push_back({streamReference->GetObjectID(), streamReference->GetGenerationNumber(),
                              RefCountPtr<PDFStreamInput>(static_cast<PDFStreamInput*>(contents.Detach()))});
        return eSuccess;
    }
    if (contents->GetType() != PDFObject::ePDFObjectArray) {
        TraceMessage("%s, error copying page content, expected either array or stream, getting %s", inMethod,
                     PDFObject::TypeLabelFor(contents->GetType()));
        return eFailure;
    }
    // An item that is no stream (null, an object the file does not hold, a number) is left out,
    // as readers leave it: the page keeps the content of its other streams. Only an item the file
    // holds but that cannot be read fails, since it may be content.
    PDFArray* array = static_cast<PDFArray*>(contents.GetPtr());
    for (uint32_t i = 0; i < array->GetLength(); ++i) {
        PDFObjectCastPtr<PDFIndirectObjectReference> item(array->QueryObject(i));
        if (!item) {
            RefCountPtr<PDFObject> value(array->QueryObject(i));
            TraceNote("%s, item %u of the page's Contents is %s, not a reference to a stream; left out", inMethod,
                      i, PDFObject::TypeLabelFor(value->GetType()));
            continue;
        }
        if (!inParser->HoldsObject(item->GetObjectID())) {
            TraceNote("%s, item %u of the page's Contents names object %u, which the file does not hold; left out",
                      inMethod, i, item->GetObjectID());
            continue;
        }
        RefCountPtr<PDFObject> stream(inParser->ParseObjectByID(item->GetObjectID()));
        if (!stream) {
            TraceMessage("%s, content stream array contains references to non streams: object %u cannot be read",
                         inMethod, item->GetObjectID());
            return eFailure;
        }
        if (stream->GetType() != PDFObject::ePDFObjectStream) {
            TraceNote("%s, item %u of the page's Contents names object %u, which is %s, not a stream; left out",
                      inMethod, i, item->GetObjectID(), PDFObject::TypeLabelFor(stream->GetType()));
            continue;
        }
        outStreams.push_back({item->GetObjectID(), item->GetGenerationNumber(),
                              RefCountPtr<PDFStreamInput>(static_cast<PDFStreamInput*>(stream.Detach()))});
    }
    return eSuccess;
}

OpStatus PDFDocumentHandler::CopyPageContentToTargetPage(OutputPage* inTargetPage, PDFDictionary* inSourcePage)
{
    // The content streams are copied as they are, whatever their filters: decoding them only to
    // encode them again cost time without bound (a few kilobytes can inflate to gigabytes) and
    // failed on filters that are not decoded here. Each stays a content stream of its own, in
    // order, so the page reads as the source did; one shared by several pages is written once.
    std::vector<ContentStream> streams;
    OpStatus status =
        CollectContentStreams(mParser, inSourcePage, "PDFDocumentHandler::CopyPageContentToTargetPage", streams);
    // Unless the caller asked for uncompressed output: then the content is written decoded, so
    // that it stands readable in the file, when it decodes within the budget.
    if (status == eSuccess && !mObjectsContext->IsCompressingStreams() && !streams.empty() &&
        ContentDecodesWithinBudget(streams))
        return WriteDecodedContent(inTargetPage, streams);
    for (size_t i = 0; status == eSuccess && i < streams.size(); ++i) {
        ObjectIDType targetID = MapSourceID(streams[i].mSourceID, nullptr);
        TargetObject& target = mSourceToTarget[streams[i].mSourceID];
        if (!target.mWritten) {
            target.mWritten = true;
            ObjectIDList references;
            status = WriteCopiedObject(streams[i].mStream.GetPtr(), targetID, references);
            if (status == eSuccess && !references.empty())
                status = CopyPendingObjects(references);
        }
        if (status == eSuccess)
            inTargetPage->AddContentStreamReference(targetID);
    }
    if (status != eSuccess)
        TraceMessage("PDFDocumentHandler::WritePDFStreamInputToContentContext, failed to write content stream from "
                     "page input to target page");
    return status;
}

long long PDFDocumentHandler::DecodedContentBudget() const
{
    return std::min(kMaxDecodedContent, kDecodedContentPerSourceByte * std::max(mSourceSize, 1LL));
}

bool PDFDocumentHandler::ContentDecodesWithinBudget(const std::vector<ContentStream>& inStreams)
{
    long long budget = DecodedContentBudget();
    for (const ContentStream& stream : inStreams) {
        mSourceStream->SeekFromStart(stream.mStream->GetStreamContentStart());
        std::unique_ptr<IByteReader> reader(mParser->CreateInputStreamReader(stream.mStream.GetPtr()));
        if (!reader) {
            TraceNote("PDFDocumentHandler::CopyPageContentToTargetPage, content stream %lu cannot be decoded; the "
                      "page's content streams are copied as they are",
                      stream.mSourceID);
            return false;
        }
        InputLimitedStream limited(reader.get(), budget + 1, false);
        Byte* buffer = CopyBuffer();
        long long decoded = 0;
        while (limited.HasMoreBytes()) {
            size_t got = limited.Read(buffer, kCopyChunkSize);
            if (got == 0)
                break;
            decoded += static_cast<long long>(got);
        }
        if (decoded > budget || reader->HasMoreBytes()) {
            TraceNote("PDFDocumentHandler::CopyPageContentToTargetPage, the page's content decodes to more than "
                      "%lld bytes or stops short; its content streams are copied as they are",
                      DecodedContentBudget());
            return false;
        }
        budget -= decoded;
    }
    return true;
}

OpStatus PDFDocumentHandler::WriteDecodedContent(OutputPage* inTargetPage, const std::vector<ContentStream>& inStreams)
{
    for (const ContentStream& source : inStreams) {
        mSourceStream->SeekFromStart(source.mStream->GetStreamContentStart());
        std::unique_ptr<IByteReader> reader(mParser->CreateInputStreamReader(source.mStream.GetPtr()));
        OpStatus status = reader ? eSuccess : eFailure;
        if (status == eSuccess) {
            inTargetPage->AddContentStreamReference(mObjectsContext->AllocateAndStartIndirectObject());
            std::unique_ptr<WrittenPDFStream> stream = mObjectsContext->StartStream();
            status = CopyDecodedBytes(reader.get(), stream->GetWriteStream());
            if (mObjectsContext->EndStream(stream.get()) != eSuccess)
                status = eFailure;
        }
        if (status != eSuccess) {
            TraceMessage("PDFDocumentHandler::WritePDFStreamInputToContentContext, failed to write content stream from "
                         "page input to target page");
            return eFailure;
        }
    }
    return eSuccess;
}

// Object copying

void PDFDocumentHandler::CollectUnmappedReferences(PDFObject* inContainer, ObjectIDList& ioPending)
{
    // Direct containers nest no deeper than the parser allows, so the recursion is bounded.
    if (inContainer->GetType() == PDFObject::ePDFObjectDictionary) {
        DictionaryIterator entries = static_cast<PDFDictionary*>(inContainer)->CreateIterator();
        while (entries.MoveNext())
            CollectUnmappedReferences(entries.GetValue(), ioPending);
    } else if (inContainer->GetType() == PDFObject::ePDFObjectArray) {
        PDFArray* array = static_cast<PDFArray*>(inContainer);
        for (uint32_t i = 0; i < array->GetLength(); ++i) {
            RefCountPtr<PDFObject> element(array->QueryObject(i));
            CollectUnmappedReferences(element.GetPtr(), ioPending);
        }
    } else if (inContainer->GetType() == PDFObject::ePDFObjectIndirectObjectReference) {
        ObjectIDType sourceID = static_cast<PDFIndirectObjectReference*>(inContainer)->GetObjectID();
        if (mSourceToTarget.find(sourceID) == mSourceToTarget.end())
            ioPending.push_back(sourceID);
    }
}

ObjectIDType PDFDocumentHandler::MapSourceID(ObjectIDType inSourceID, ObjectIDList* ioPending)
{
    auto found = mSourceToTarget.find(inSourceID);
    if (found != mSourceToTarget.end())
        return found->second.mTargetID;
    TargetObject target;
    target.mTargetID = mStep ? mStep->ReserveID() : mObjectsContext->GetInDirectObjectsRegistry().ReserveNewObjectID();
    mSourceToTarget.emplace(inSourceID, target);
    if (mStepMapped)
        mStepMapped->push_back(inSourceID);
    if (ioPending)
        ioPending->push_back(inSourceID);
    return target.mTargetID;
}

OpStatus PDFDocumentHandler::CopyPendingObjects(const ObjectIDList& inPending)
{
    // A work list instead of recursion: a long chain of references must not exhaust the stack.
    // Popping from the back with each object's references pushed in reverse copies every object
    // right after the one that first referred to it.
    std::vector<ObjectIDType> work(inPending.rbegin(), inPending.rend());
    ObjectIDList references;
    while (!work.empty()) {
        ObjectIDType sourceID = work.back();
        work.pop_back();
        ObjectIDType targetID = MapSourceID(sourceID, nullptr);
        TargetObject& target = mSourceToTarget[sourceID];
        if (target.mWritten)
            continue;
        target.mWritten = true;
        references.clear();
        OpStatus status = CopyInDirectObject(sourceID, targetID, references);
        if (status != eSuccess)
            return status;
        work.insert(work.end(), references.rbegin(), references.rend());
    }
    return eSuccess;
}

OpStatus PDFDocumentHandler::CopyInDirectObject(ObjectIDType inSourceID, ObjectIDType inTargetID,
                                                ObjectIDList& outPending)
{
    if (!mParser->HoldsObject(inSourceID)) {
        // A reference to an object the file does not hold stands for null.
        TraceMessage("PDFDocumentHandler::CopyInDirectObject, object %ld is not in the source file, copied as null",
                     static_cast<long>(inSourceID));
        mObjectsContext->StartIndirectObject(inTargetID);
        mObjectsContext->WriteNull(eTokenSeparatorEndLine);
        mObjectsContext->EndIndirectObject();
        return eSuccess;
    }
    RefCountPtr<PDFObject> object(mParser->ParseObjectByID(static_cast<uint32_t>(inSourceID)));
    if (!object) {
        TraceMessage("PDFDocumentHandler::CopyInDirectObject, object not found. %ld", static_cast<long>(inSourceID));
        return eFailure;
    }
    return WriteCopiedObject(object.GetPtr(), inTargetID, outPending);
}

OpStatus PDFDocumentHandler::WriteCopiedObject(PDFObject* inObject, ObjectIDType inTargetID, ObjectIDList& outPending)
{
    // A stream whose data cannot be found fails before its object is begun.
    if (inObject->GetType() == PDFObject::ePDFObjectStream &&
        CheckedStreamLength(static_cast<PDFStreamInput*>(inObject)) < 0)
        return eFailure;

    mObjectsContext->StartIndirectObject(inTargetID);
    OpStatus status = WriteObjectByType(inObject, eTokenSeparatorEndLine, outPending);
    if (status == eSuccess)
        mObjectsContext->EndIndirectObject();
    return status;
}

OpStatus PDFDocumentHandler::WriteObjectByType(PDFObject* inObject, ETokenSeparator inSeparate,
                                               ObjectIDList& ioPending)
{
    return WriteValue(inObject, inSeparate, eMapReferences, &ioPending);
}

OpStatus PDFDocumentHandler::WriteDictionaryValue(PDFObject* inObject, ObjectIDList& ioPending)
{
    if (inObject->GetType() == PDFObject::ePDFObjectStream) {
        TraceMessage("PDFDocumentHandler::WriteObjectByType, got that wrong sir. ain't gonna write a stream in a "
                     "dictionary. must be a ref. we got exception here");
        return eFailure;
    }
    return WriteValue(inObject, eTokenSeparatorEndLine, eMapReferences, &ioPending);
}

OpStatus PDFDocumentHandler::WriteStreamObject(PDFStreamInput* inStream, ObjectIDList& ioPending)
{
    return WriteStream(inStream, eMapReferences, &ioPending);
}

OpStatus PDFDocumentHandler::WriteObjectWithSourceIDs(PDFObject* inObject, ETokenSeparator inSeparate)
{
    if (!mParser) {
        TraceMessage("PDFDocumentHandler::WriteObjectWithSourceIDs, no copying context is open");
        return eFailure;
    }
    return WriteValue(inObject, inSeparate, eKeepSourceIDs, nullptr);
}

OpStatus PDFDocumentHandler::WriteValue(PDFObject* inObject, ETokenSeparator inSeparate, EReferenceMode inMode,
                                        ObjectIDList* ioPending)
{
    PDFValueWriter& writer = mObjectsContext->GetValueWriter();
    switch (inObject->GetType()) {
    case PDFObject::ePDFObjectBoolean:
        mObjectsContext->WriteBoolean(static_cast<PDFBoolean*>(inObject)->GetValue(), inSeparate);
        return eSuccess;
    case PDFObject::ePDFObjectLiteralString:
        writer.WriteLiteralStringValue(static_cast<PDFLiteralString*>(inObject)->GetValue(), inSeparate);
        return eSuccess;
    case PDFObject::ePDFObjectHexString:
        writer.WriteHexStringValue(static_cast<PDFHexString*>(inObject)->GetValue(), inSeparate);
        return eSuccess;
    case PDFObject::ePDFObjectNull:
        mObjectsContext->WriteNull(inSeparate);
        return eSuccess;
    case PDFObject::ePDFObjectName:
        writer.WriteNameValue(static_cast<PDFName*>(inObject)->GetValue(), inSeparate);
        return eSuccess;
    case PDFObject::ePDFObjectInteger:
        mObjectsContext->WriteInteger(static_cast<PDFInteger*>(inObject)->GetValue(), inSeparate);
        return eSuccess;
    case PDFObject::ePDFObjectReal:
        writer.WriteText(CopiedRealText(static_cast<PDFReal*>(inObject)->GetValue()));
        writer.WriteSeparator(inSeparate);
        return eSuccess;
    case PDFObject::ePDFObjectSymbol:
        mObjectsContext->WriteKeyword(static_cast<PDFSymbol*>(inObject)->GetValue());
        return eSuccess;
    case PDFObject::ePDFObjectArray: {
        PDFArray* array = static_cast<PDFArray*>(inObject);
        mObjectsContext->StartArray();
        for (uint32_t i = 0; i < array->GetLength(); ++i) {
            RefCountPtr<PDFObject> element(array->QueryObject(i));
            if (element->GetType() == PDFObject::ePDFObjectStream) {
                TraceMessage("PDFDocumentHandler::WriteObjectByType, a stream inside an array cannot be written");
                return eFailure;
            }
            OpStatus status = WriteValue(element.GetPtr(), eTokenSeparatorSpace, inMode, ioPending);
            if (status != eSuccess)
                return status;
        }
        mObjectsContext->EndArray(inSeparate);
        return eSuccess;
    }
    case PDFObject::ePDFObjectDictionary:
        return WriteDictionary(static_cast<PDFDictionary*>(inObject), inMode, ioPending);
    case PDFObject::ePDFObjectIndirectObjectReference: {
        PDFIndirectObjectReference* reference = static_cast<PDFIndirectObjectReference*>(inObject);
        if (inMode == eKeepSourceIDs) {
            mObjectsContext->WriteIndirectObjectReference(reference->GetObjectID(),
                                                          reference->GetGenerationNumber(), eTokenSeparatorSpace);
        } else {
            mObjectsContext->WriteIndirectObjectReference(MapSourceID(reference->GetObjectID(), ioPending), 0,
                                                          inSeparate);
        }
        return eSuccess;
    }
    case PDFObject::ePDFObjectStream:
        return WriteStream(static_cast<PDFStreamInput*>(inObject), inMode, ioPending);
    }
    TraceMessage("PDFDocumentHandler::WriteObjectByType, unknown object type %d", inObject->GetType());
    return eFailure;
}

OpStatus PDFDocumentHandler::WriteDictionary(PDFDictionary* inDictionary, EReferenceMode inMode,
                                             ObjectIDList* ioPending, const long long* inLength)
{
    DictionaryContext* dictionary = mObjectsContext->StartDictionary();
    DictionaryIterator entries = inDictionary->CreateIterator();
    while (entries.MoveNext()) {
        if (inLength && entries.GetKey()->GetValue() == scLength)
            continue;
        if (dictionary->WriteKey(entries.GetKey()->GetValue()) != eSuccess)
            return eFailure;
        PDFObject* value = entries.GetValue();
        if (value->GetType() == PDFObject::ePDFObjectStream) {
            TraceMessage("PDFDocumentHandler::WriteObjectByType, got that wrong sir. ain't gonna write a stream in a "
                         "dictionary. must be a ref. we got exception here");
            return eFailure;
        }
        OpStatus status = WriteValue(value, eTokenSeparatorEndLine, inMode, ioPending);
        if (status != eSuccess)
            return status;
    }
    if (inLength) {
        if (dictionary->WriteKey(scLength) != eSuccess)
            return eFailure;
        dictionary->WriteIntegerValue(*inLength);
    }
    return mObjectsContext->EndDictionary(dictionary);
}

long long PDFDocumentHandler::CheckedStreamLength(PDFStreamInput* inStream, bool* outAsDeclared)
{
    long long length = mParser->GetStreamDataLength(inStream, outAsDeclared);
    if (length < 0)
        TraceMessage("PDFDocumentHandler::WriteStreamObject, stream does not have length, failing");
    return length;
}

OpStatus PDFDocumentHandler::WriteStream(PDFStreamInput* inStream, EReferenceMode inMode, ObjectIDList* ioPending)
{
    // Length is found before anything is written: reading it moves the source.
    bool asDeclared = false;
    long long length = CheckedStreamLength(inStream, &asDeclared);
    if (length < 0)
        return eFailure;
    RefCountPtr<PDFDictionary> dictionary(inStream->QueryStreamDictionary());
    // A Length that was missing or wrong is written as the count of bytes copied.
    if (WriteDictionary(dictionary.GetPtr(), inMode, ioPending, asDeclared ? nullptr : &length) != eSuccess) {
        TraceMessage("PDFDocumentHandler::WriteStreamObject, failed to write stream dictionary");
        return eFailure;
    }
    mObjectsContext->WriteKeyword("stream");
    if (CopySourceBytes(inStream->GetStreamContentStart(), length) != eSuccess)
        return eFailure;
    mObjectsContext->EndLine();
    mObjectsContext->WriteKeyword("endstream");
    return eSuccess;
}

bool PDFDocumentHandler::NamesUnreadableObject(PDFParser* inParser, PDFDictionary* inDictionary, const char* inKey)
{
    PDFObjectCastPtr<PDFIndirectObjectReference> reference(inDictionary->QueryDirectObject(inKey));
    if (!reference || !inParser->HoldsObject(reference->GetObjectID()))
        return false;
    RefCountPtr<PDFObject> value(inParser->ParseObjectByID(reference->GetObjectID()));
    return !value;
}

bool PDFDocumentHandler::PageNamesUnreadableObject(PDFParser* inParser, PDFDictionary* inPage, const char* inKey,
                                                   const char* inMethod)
{
    if (!NamesUnreadableObject(inParser, inPage, inKey))
        return false;
    PDFObjectCastPtr<PDFIndirectObjectReference> reference(inPage->QueryDirectObject(inKey));
    TraceMessage("%s, the page's %s names object %ld, which cannot be read", inMethod, inKey,
                 static_cast<long>(reference->GetObjectID()));
    return true;
}

Byte* PDFDocumentHandler::CopyBuffer()
{
    if (!mCopyBuffer)
        mCopyBuffer.reset(new Byte[kCopyChunkSize]);
    return mCopyBuffer.get();
}

OpStatus PDFDocumentHandler::CopySourceBytes(LongFilePositionType inPosition, long long inLength)
{
    Byte* buffer = CopyBuffer();
    PDFValueWriter& writer = mObjectsContext->GetValueWriter();
    mSourceStream->SeekFromStart(inPosition);
    while (inLength > 0) {
        size_t want = inLength < static_cast<long long>(kCopyChunkSize) ? static_cast<size_t>(inLength)
                                                                          : kCopyChunkSize;
        size_t got = mSourceStream->Read(buffer, want);
        if (got == 0) {
            // The data written so far no longer matches the Length written in the dictionary.
            TraceMessage("PDFDocumentHandler::WriteStreamObject, the source ended %lld bytes before the stream's "
                         "data did",
                         inLength);
            return eFailure;
        }
        writer.WriteBytes(buffer, got);
        inLength -= static_cast<long long>(got);
    }
    if (writer.HasFailed()) {
        TraceMessage("PDFDocumentHandler::WriteStreamObject, failed to write the stream's data");
        return eFailure;
    }
    return eSuccess;
}

OpStatus PDFDocumentHandler::CopyDecodedBytes(IByteReader* inSource, IByteWriter* inTarget)
{
    Byte* buffer = CopyBuffer();
    while (inSource->HasMoreBytes()) {
        size_t got = inSource->Read(buffer, kCopyChunkSize);
        if (got == 0)
            return inSource->HasMoreBytes() ? eFailure : eSuccess;
        if (inTarget->WriteBytes(buffer, got) != got)
            return eFailure;
    }
    return eSuccess;
}

// Merging a page into a form

OpStatus PDFDocumentHandler::MergePDFPageForXObject(OutputFormXObject* inTargetFormXObject,
                                                    unsigned long inPageIndex)
{
    RefCountPtr<PDFDictionary> page(mParser && inPageIndex <= UINT32_MAX
                                        ? mParser->ParsePage(static_cast<uint32_t>(inPageIndex))
                                        : nullptr);
    if (!page) {
        TraceMessage("PDFDocumentHandler::MergePDFPageForXObject, unhexpected exception, page index does not denote "
                     "a page object. page index = %ld",
                     static_cast<long>(inPageIndex));
        return eFailure;
    }
    // The ids mapped are the form's: its failure gives them back (the copying task scheduled for
    // them forgets them).
    StepScope scope(*this, &inTargetFormXObject->GetWritingStep(), nullptr);
    RenameMap renames;
    OpStatus status = RegisterPageResourcesForForm(inTargetFormXObject, page.GetPtr(), renames);
    if (status == eSuccess)
        status = MergePageContentToTargetXObject(inTargetFormXObject, page.GetPtr(), renames);
    return status;
}

OpStatus PDFDocumentHandler::RegisterPageResourcesForForm(OutputFormXObject* inTargetFormXObject,
                                                          PDFDictionary* inSourcePage, RenameMap& ioRenames)
{
    PDFObjectCastPtr<PDFDictionary> resources(mInheritedValues.Query(mParser, inSourcePage, scResources));
    if (!resources)
        return PageNamesUnreadableObject(mParser, inSourcePage, scResources,
                                         "PDFDocumentHandler::RegisterPageResourcesForForm")
                   ? eFailure
                   : eSuccess;

    ResourcesDictionary& formResources = inTargetFormXObject->GetResourcesDictionary();
    PDFObjectCastPtr<PDFArray> procSets(mParser->ResolveDictionaryValue(resources.GetPtr(), scProcSet));
    if (procSets) {
        for (uint32_t i = 0; i < procSets->GetLength(); ++i) {
            PDFObjectCastPtr<PDFName> name(procSets->QueryObject(i));
            if (name)
                formResources.AddProcSetName(name->GetValue());
        }
    }

    ExtGStateCategoryServices extGStates(&formResources);
    ColorSpaceCategoryServices colorSpaces(&formResources);
    PatternCategoryServices patterns(&formResources);
    ShadingCategoryServices shadings(&formResources);
    XObjectCategoryServices xObjects(&formResources);
    FontCategoryServices fonts(&formResources);
    PropertyCategoryServices properties(&formResources);
    ICategoryServicesCommand* categories[] = {&extGStates, &colorSpaces, &patterns, &shadings,
                                              &xObjects,   &fonts,       &properties};
    // A category that cannot be read would leave its names in the content without resources.
    for (ICategoryServicesCommand* category : categories) {
        const std::string key = category->CategoryKey();
        if (NamesUnreadableObject(mParser, resources.GetPtr(), key.c_str())) {
            PDFObjectCastPtr<PDFIndirectObjectReference> reference(resources->QueryDirectObject(key));
            TraceMessage("PDFDocumentHandler::RegisterPageResourcesForForm, the page's %s resources name object %ld, "
                         "which cannot be read",
                         key.c_str(), static_cast<long>(reference->GetObjectID()));
            return eFailure;
        }
    }
    ObjectIDList objectsToCopy;
    for (ICategoryServicesCommand* category : categories)
        RegisterCategoryResources(inTargetFormXObject, *category, resources.GetPtr(), objectsToCopy, ioRenames);
    if (!objectsToCopy.empty())
        ScheduleObjectsCopying(inTargetFormXObject, objectsToCopy);
    return eSuccess;
}

void PDFDocumentHandler::RegisterCategoryResources(OutputFormXObject* inTargetFormXObject,
                                                   ICategoryServicesCommand& inCategory, PDFDictionary* inResources,
                                                   ObjectIDList& ioObjectsToCopy, RenameMap& ioRenames)
{
    const std::string key = inCategory.CategoryKey();
    PDFObjectCastPtr<PDFDictionary> entries(mParser->ResolveDictionaryValue(inResources, key));
    if (!entries)
        return;
    DictionaryIterator entry = entries->CreateIterator();
    while (entry.MoveNext()) {
        const std::string& oldName = entry.GetKey()->GetValue();
        PDFObject* value = entry.GetValue();
        std::string newName;
        if (value->GetType() == PDFObject::ePDFObjectIndirectObjectReference) {
            ObjectIDType sourceID = static_cast<PDFIndirectObjectReference*>(value)->GetObjectID();
            newName = inCategory.RegisterObjectID(MapSourceID(sourceID, &ioObjectsToCopy));
        } else {
            std::unique_ptr<ResourceCopierTask> task =
                std::make_unique<ResourceCopierTask>(this, value, inTargetFormXObject);
            ResourceCopierTask* registered = task.get();
            newName = mDocumentContext->AddExtendedResourceMapping(inTargetFormXObject, key, std::move(task));
            registered->SetResourceName(newName);
        }
        ioRenames[oldName].emplace_back(key, newName);
    }
}

OpStatus PDFDocumentHandler::MergePageContentToTargetXObject(OutputFormXObject* inTargetFormXObject,
                                                             PDFDictionary* inSourcePage, const RenameMap& inRenames)
{
    std::vector<ContentStream> streams;
    OpStatus status =
        CollectContentStreams(mParser, inSourcePage, "PDFDocumentHandler::MergePageContentToTargetXObject", streams);
    // Renaming needs the decoded content, which a few kilobytes of a file can inflate to
    // gigabytes: the page's content as a whole is decoded within a budget.
    long long budget = DecodedContentBudget();
    IByteWriter* target = inTargetFormXObject->GetContentStream()->GetWriteStream();
    for (size_t i = 0; status == eSuccess && i < streams.size(); ++i) {
        status = WriteContentWithRenamedResources(target, streams[i].mStream.GetPtr(), inRenames, budget);
        const Byte endLine[2] = {'\r', '\n'};
        if (status == eSuccess && target->WriteBytes(endLine, 2) != 2)
            status = eFailure;
    }
    return status;
}

OpStatus PDFDocumentHandler::WriteContentWithRenamedResources(IByteWriter* inTarget, PDFStreamInput* inSourceStream,
                                                              const RenameMap& inRenames, long long& ioDecodeBudget)
{
    mSourceStream->SeekFromStart(inSourceStream->GetStreamContentStart());
    std::unique_ptr<IByteReader> reader(mParser->CreateInputStreamReader(inSourceStream));
    if (!reader) {
        TraceMessage("PDFDocumentHandler::WriteContentWithRenamedResources, failed to read a content stream of the "
                     "page");
        return eFailure;
    }
    // One byte more than the budget is let through, so that content beyond it shows.
    InputStreamSkipperStream counted(new InputLimitedStream(reader.release(), ioDecodeBudget + 1, true));
    OpStatus status = eSuccess;
    if (!inRenames.empty()) {
        ContentResourceRenamer renamer(inRenames);
        status = renamer.Copy(&counted, inTarget);
    } else {
        status = CopyDecodedBytes(&counted, inTarget);
    }
    if (counted.TellPosition() > ioDecodeBudget) {
        TraceMessage("PDFDocumentHandler::WriteContentWithRenamedResources, the page's content decodes to more than "
                     "%lld bytes, the most a page of a %lld-byte file may give a form",
                     ioDecodeBudget, static_cast<long long>(mSourceSize));
        return eFailure;
    }
    if (status != eSuccess) {
        TraceMessage("PDFDocumentHandler::WriteContentWithRenamedResources, failed to copy a content stream of the "
                     "page");
        return eFailure;
    }
    ioDecodeBudget -= counted.TellPosition();
    return eSuccess;
}

OpStatus PDFDocumentHandler::WriteValueAndListReferences(OutputFormXObject* inTargetFormXObject, PDFObject* inValue,
                                                         ObjectIDList& outPending)
{
    StepScope scope(*this, &inTargetFormXObject->GetWritingStep(), nullptr);
    outPending.clear();
    return WriteObjectByType(inValue, eTokenSeparatorEndLine, outPending);
}

OpStatus PDFDocumentHandler::CopyObjectsForForm(OutputFormXObject* inTargetFormXObject, ObjectIDList& ioObjects)
{
    const ObjectIDList objects = ioObjects;
    StepScope scope(*this, &inTargetFormXObject->GetWritingStep(), &ioObjects);
    return CopyPendingObjects(objects);
}

void PDFDocumentHandler::ForgetMappings(const ObjectIDList& inSourceIDs)
{
    for (ObjectIDType sourceID : inSourceIDs)
        mSourceToTarget.erase(sourceID);
}

void PDFDocumentHandler::ScheduleObjectsCopying(OutputFormXObject* inTargetFormXObject,
                                                const ObjectIDList& inObjectsToCopy)
{
    mDocumentContext->ScheduleFormEndTask(inTargetFormXObject,
                                          std::make_unique<ObjectsCopyingTask>(this, inObjectsToCopy));
}
