#include "pdf/writing/PageRewriter.h"

#include "pdf/copying/CopySession.h"
#include "pdf/parsing/InheritedPageValues.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/objects/PDFObjectCastPtr.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/InheritedPageEntry.h"
#include "pdf/parsing/PDFParser.h"
#include "pdf/writing/DictionaryContext.h"
#include "pdf/writing/DocumentContext.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/OutputFormXObject.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/ResourceName.h"
#include "pdf/writing/WritingStep.h"
#include "pdf/writing/WrittenPDFStream.h"

#include <algorithm>
#include <set>
#include <utility>

namespace {

const char scContents[] = "Contents";
const char scResources[] = "Resources";
const char scXObject[] = "XObject";
const char scNoResourcesPrefix[] = "myForm";
const char scEndLine[] = "\r\n";

// The character at the same place in a new name, sure to differ from inCharacter.
char NextInClass(char inCharacter)
{
    if (inCharacter >= '0' && inCharacter <= '8')
        return static_cast<char>(inCharacter + 1);
    if (inCharacter == '9')
        return '0';
    if (inCharacter >= 'a' && inCharacter <= 'y')
        return static_cast<char>(inCharacter + 1);
    if (inCharacter == 'z')
        return 'a';
    if (inCharacter >= 'A' && inCharacter <= 'Y')
        return static_cast<char>(inCharacter + 1);
    return 'A';
}

// The page's Resources, or the nearest ancestor's, resolved: a new reference, or null when no
// node on the way up has a Resources dictionary.
PDFDictionary* FindResources(PDFParser* inParser, PDFDictionary* inPage, bool& outHasEntry)
{
    RefCountPtr<PDFObject> value;
    // Through the parser's node cache: every page of a large tree would otherwise read the same
    // nodes (often from an object stream) again.
    outHasEntry = InheritedPageEntry::Find(inParser, inPage, scResources, value, &inParser->GetPageTreeNodeCache()) ==
                  InheritedPageEntry::eFound;
    return PDFObjectCastPtr<PDFDictionary>(value.Detach()).Detach();
}

} // namespace

PageRewriter::PageRewriter(PDFWriter* inModifiedFileWriter, unsigned long inPageIndex)
    : mWriter(inModifiedFileWriter), mPageIndex(inPageIndex)
{
}

// A form still open is given up with the rewriter (OutputFormXObject).
PageRewriter::~PageRewriter() = default;

std::string PageRewriter::FormResourceName(const std::vector<std::string>& inExistingNames, bool inHasResources,
                                           size_t inFormIndex)
{
    return FormResourceNames(inExistingNames, inHasResources, inFormIndex + 1).back();
}

std::vector<std::string> PageRewriter::FormResourceNames(const std::vector<std::string>& inExistingNames,
                                                         bool inHasResources, size_t inFormCount)
{
    std::string prefix;
    if (!inHasResources) {
        prefix = scNoResourcesPrefix;
    } else {
        // Differs from the n-th existing name at that name's n-th character, so from all of them.
        for (size_t n = 0; n < inExistingNames.size(); ++n)
            prefix.push_back(NextInClass(n < inExistingNames[n].size() ? inExistingNames[n][n] : '0'));
    }
    // On a page with more names than a name may have bytes the prefix is too long: those forms
    // take the first free of "_0", "_1" ... instead.
    std::set<std::string> taken(inExistingNames.begin(), inExistingNames.end());
    unsigned long counter = 0;
    std::vector<std::string> names;
    for (size_t i = 0; i < inFormCount; ++i)
        names.push_back(ResourceName::Unique(prefix + "_" + std::to_string(i), "_", taken, counter));
    return names;
}

XObjectContentContext* PageRewriter::StartContentContext()
{
    if (mOpenForm)
        return mOpenForm->GetContentContext();
    PDFParser* parser = mWriter->GetModifiedFileParser();
    if (!parser) {
        TraceMessage("PageRewriter::StartContentContext, no file is being modified");
        return nullptr;
    }
    RefCountPtr<PDFDictionary> page(parser->ParsePage(static_cast<uint32_t>(mPageIndex)));
    if (!page) {
        TraceMessage("PageRewriter::StartContentContext, the page cannot be read");
        return nullptr;
    }
    // The form covers what a reader shows of the page, upright as it is shown: the caller draws
    // from the shown lower-left corner, whatever the page's boxes and rotation.
    InheritedPageValues::ShownArea area;
    if (!InheritedPageValues().Shown(parser, page.GetPtr(), area))
        return nullptr;
    // A mark on a page that shows nothing would be reported as drawn and never be seen.
    if (!(area.ShownWidth() > 0 && area.ShownHeight() > 0)) {
        TraceMessage("PageRewriter::StartContentContext, the page shows no area to draw on");
        return nullptr;
    }
    mFormWidth = area.ShownWidth();
    mFormHeight = area.ShownHeight();
    double matrix[6];
    area.UprightMatrix(matrix);
    const double unit[6] = {1, 0, 0, 1, 0, 0};
    const bool identity = std::equal(matrix, matrix + 6, unit);
    ObjectIDType formID = mWriter->GetObjectsContext().GetInDirectObjectsRegistry().ReserveNewObjectID();
    mOpenForm = mWriter->GetDocumentContext().StartFormXObject(PDFRectangle(0, 0, mFormWidth, mFormHeight), formID,
                                                               identity ? nullptr : matrix);
    if (!mOpenForm) {
        TraceMessage("PageRewriter::StartContentContext, the form for the page could not be started");
        return nullptr;
    }
    return mOpenForm->GetContentContext();
}

OpStatus PageRewriter::EndContentContext()
{
    if (!mOpenForm) {
        TraceMessage("PageRewriter::EndContentContext, no form is open on the page");
        return eFailure;
    }
    // A form that fails leaves nothing behind and is not drawn.
    OpStatus status = mWriter->GetDocumentContext().FinishFormXObject(mOpenForm.get());
    if (status == eSuccess)
        mFinishedForms.push_back(mOpenForm->GetObjectID());
    mOpenForm.reset();
    return status;
}

OpStatus PageRewriter::WritePage()
{
    if (mOpenForm && EndContentContext() != eSuccess)
        return eFailure;
    // Nothing drawn, nothing to show: the page stays as it is.
    if (mFinishedForms.empty())
        return eSuccess;
    PDFParser* parser = mWriter->GetModifiedFileParser();
    if (!parser) {
        TraceMessage("PageRewriter::WritePage, no file is being modified");
        return eFailure;
    }
    // Nothing is reserved or written before the page is known to be readable.
    PDFObjectCastPtr<PDFDictionary> page(parser->ParsePage(static_cast<uint32_t>(mPageIndex)));
    ObjectIDType pageID = parser->GetPageObjectID(static_cast<uint32_t>(mPageIndex));
    if (!page || pageID == 0) {
        TraceMessage("PageRewriter::WritePage, the page cannot be read, nothing written");
        return eFailure;
    }
    std::unique_ptr<CopySession> session = mWriter->CreateCopySessionForModifiedFile();
    if (!session) {
        TraceMessage("PageRewriter::WritePage, cannot copy the values of the page");
        return eFailure;
    }
    bool hasResourcesEntry = false;
    RefCountPtr<PDFDictionary> resources(FindResources(parser, page.GetPtr(), hasResourcesEntry));
    // Resources that are there but cannot be read as a dictionary, or an XObject dictionary of
    // theirs that cannot be read: the page written again without them would lose every font and
    // image it shows. Only a null (or a reference to an object the file does not hold) on the page
    // itself means that it has none.
    bool unreadable = false;
    if (hasResourcesEntry && !resources) {
        RefCountPtr<PDFObject> own(page->QueryDirectObject(scResources));
        PDFIndirectObjectReference* reference =
            own && own->GetType() == PDFObject::ePDFObjectIndirectObjectReference
                ? static_cast<PDFIndirectObjectReference*>(own.GetPtr())
                : nullptr;
        unreadable = !own || !(own->GetType() == PDFObject::ePDFObjectNull ||
                               (reference && !parser->HoldsObject(reference->GetObjectID())));
    }
    if (unreadable || (resources && PDFDocumentHandler::NamesUnreadableObject(parser, resources.GetPtr(), scXObject))) {
        TraceMessage("PageRewriter::WritePage, the Resources of the page cannot be read, nothing written");
        return eFailure;
    }
    // Only the content streams are written again, as a page copy writes them: an item of another
    // kind makes some readers drop the whole array, the new forms with it.
    std::vector<PDFDocumentHandler::ContentStream> oldContents;
    if (PDFDocumentHandler::CollectContentStreams(parser, page.GetPtr(), "PageRewriter::WritePage", oldContents) !=
        eSuccess) {
        TraceMessage("PageRewriter::WritePage, the Contents of the page cannot be read, nothing written");
        return eFailure;
    }

    ObjectsContext& objects = mWriter->GetObjectsContext();
    // A page that cannot be written keeps its old version, so the update can go on with other
    // pages and end.
    WritingStep step(objects);
    // The old content runs inside its own q ... Q, so that whatever graphics state it leaves
    // behind cannot move or distort the forms drawn after it.
    ObjectIDType saveStateID = oldContents.empty() ? 0 : step.ReserveID();
    ObjectIDType drawFormsID = step.ReserveID();

    objects.StartUpdatedIndirectObject(pageID);
    DictionaryContext* pageDictionary = objects.StartDictionary();
    DictionaryIterator entries = page->CreateIterator();
    bool written = true;
    while (written && entries.MoveNext()) {
        const std::string& key = entries.GetKey()->GetValue();
        if (key != scContents && key != scResources)
            written = pageDictionary->WriteKey(key) == eSuccess &&
                      session->CopyParsedValue(entries.GetValue()) == eSuccess;
    }
    if (pageDictionary->WriteKey(scContents) == eSuccess) {
        objects.StartArray();
        if (saveStateID != 0)
            objects.WriteIndirectObjectReference(saveStateID, eTokenSeparatorSpace);
        for (const PDFDocumentHandler::ContentStream& stream : oldContents)
            objects.WriteIndirectObjectReference(stream.mSourceID, stream.mGeneration, eTokenSeparatorSpace);
        objects.WriteIndirectObjectReference(drawFormsID, eTokenSeparatorSpace);
        objects.EndArray(eTokenSeparatorEndLine);
    }
    std::vector<std::string> formNames;
    written = written &&
              WriteResources(pageDictionary, hasResourcesEntry ? resources.GetPtr() : nullptr, session.get(),
                             formNames) == eSuccess &&
              objects.EndDictionary(pageDictionary) == eSuccess;
    session.reset();
    // A write the system refused fails the page as well.
    if (!written || objects.HasFailed()) {
        TraceMessage("PageRewriter::WritePage, failed to write the page again");
        return eFailure;
    }
    objects.EndIndirectObject();
    // The page refers to both streams now: a write that fails from here on spoils the file.
    step.Commit();

    OpStatus status = eSuccess;
    std::string drawForms;
    if (saveStateID != 0) {
        if (WriteStream(saveStateID, std::string("q") + scEndLine) != eSuccess)
            status = eFailure;
        drawForms = std::string("Q") + scEndLine;
    }
    for (const std::string& name : formNames)
        drawForms += std::string("q") + scEndLine + "1 0 0 1 0 0 cm" + scEndLine + "/" + name + " Do" + scEndLine +
                     "Q" + scEndLine;
    if (WriteStream(drawFormsID, drawForms) != eSuccess || objects.HasFailed())
        status = eFailure;
    return status;
}

OpStatus PageRewriter::WriteResources(DictionaryContext* inPageDictionary, PDFDictionary* inResources,
                                      CopySession* inSession, std::vector<std::string>& outFormNames)
{
    ObjectsContext& objects = mWriter->GetObjectsContext();
    PDFParser* parser = mWriter->GetModifiedFileParser();
    if (inPageDictionary->WriteKey(scResources) != eSuccess)
        return eFailure;

    // The page gets a dictionary of its own: a Resources object that other pages share is not
    // changed, so each page shows its own forms only.
    OpStatus status = eSuccess;
    DictionaryContext* resourcesDictionary = objects.StartDictionary();
    RefCountPtr<PDFDictionary> oldXObjects;
    if (inResources) {
        DictionaryIterator entries = inResources->CreateIterator();
        while (status == eSuccess && entries.MoveNext()) {
            const std::string& key = entries.GetKey()->GetValue();
            if (key == scXObject)
                continue;
            if (resourcesDictionary->WriteKey(key) != eSuccess || inSession->CopyParsedValue(entries.GetValue()) != eSuccess)
                status = eFailure;
        }
        oldXObjects = PDFObjectCastPtr<PDFDictionary>(parser->ResolveDictionaryValue(inResources, scXObject)).Detach();
    }

    std::vector<std::string> existingNames;
    if (status == eSuccess && resourcesDictionary->WriteKey(scXObject) == eSuccess) {
        DictionaryContext* xobjectDictionary = objects.StartDictionary();
        if (oldXObjects) {
            DictionaryIterator entries = oldXObjects->CreateIterator();
            while (status == eSuccess && entries.MoveNext()) {
                existingNames.push_back(entries.GetKey()->GetValue());
                if (xobjectDictionary->WriteKey(existingNames.back()) != eSuccess ||
                    inSession->CopyParsedValue(entries.GetValue()) != eSuccess)
                    status = eFailure;
            }
        }
        if (status == eSuccess)
            outFormNames = FormResourceNames(existingNames, inResources != nullptr, mFinishedForms.size());
        for (size_t i = 0; status == eSuccess && i < mFinishedForms.size(); ++i) {
            if (xobjectDictionary->WriteKey(outFormNames[i]) != eSuccess)
                status = eFailure;
            else
                objects.WriteIndirectObjectReference(mFinishedForms[i]);
        }
        if (objects.EndDictionary(xobjectDictionary) != eSuccess)
            status = eFailure;
    }
    if (objects.EndDictionary(resourcesDictionary) != eSuccess)
        status = eFailure;
    return status;
}

OpStatus PageRewriter::WriteStream(ObjectIDType inObjectID, const std::string& inContent)
{
    ObjectsContext& objects = mWriter->GetObjectsContext();
    objects.StartIndirectObject(inObjectID);
    std::unique_ptr<WrittenPDFStream> stream = objects.StartStream(nullptr, true);
    IByteWriterWithPosition* data = stream->GetWriteStream();
    bool written = data->WriteBytes(reinterpret_cast<const Byte*>(inContent.data()), inContent.size()) ==
                   inContent.size();
    OpStatus status = objects.EndStream(stream.get());
    return written ? status : eFailure;
}
