#pragma once
// Copies pages and objects of a parsed source PDF file into the file being written, renumbering
// objects, and merges a source page into a form XObject. The document context owns one handler
// (and each copy session one more) and sets its contexts (not owned). A copying context is open
// from StartCopyingContext to FinishCopyingContext.
//
// Page copying is not built yet: every copying operation fails with one trace-log line, and no
// copying context can be opened.

#include "pdf/copying/AppendPagesResult.h"
#include "pdf/copying/PageSelection.h"
#include "pdf/io/IByteReaderWithPosition.h"
#include "pdf/objects/ObjectIDType.h"
#include "pdf/writing/DocumentContextExtenderAdapter.h"

#include <set>
#include <string>
#include <vector>

class OutputFormXObject;
class PDFObject;

class PDFDocumentHandler : public DocumentContextExtenderAdapter {
public:
    PDFDocumentHandler();
    ~PDFDocumentHandler() override;
    PDFDocumentHandler(const PDFDocumentHandler&) = delete;
    PDFDocumentHandler& operator=(const PDFDocumentHandler&) = delete;

    void SetOperationsContexts(DocumentContext* inDocumentContext, ObjectsContext* inObjectsContext);

    // Opens, parses and copies the selected pages (and the extra source objects first).
    AppendPagesResult AppendPDFPagesFromPDF(const std::string& inSourcePath, const PageSelection& inPageSelection,
                                            const std::vector<ObjectIDType>& inExtraObjectIDs);

    // A copying context over a source stream (a parser made and owned here) or over a parser
    // that is open already (not owned).
    OpStatus StartCopyingContext(IByteReaderWithPosition* inSourceStream);
    OpStatus StartCopyingContext(PDFParser* inSourceParser);
    // Closes what the context opened; afterwards the handler owns nothing.
    void FinishCopyingContext();
    // The parser of the open copying context, or null.
    PDFParser* GetSourceParser() { return nullptr; }

    // Writes the page's content into the open form, its resources under the form's names.
    OpStatus MergePDFPageForXObject(OutputFormXObject* inTargetFormXObject, unsigned long inPageIndex);
    // Writes a parsed value into the target keeping the source's object ids (copying from the
    // modified file itself).
    OpStatus WriteObjectWithSourceIDs(PDFObject* inObject);

    // Fills the page being copied's resources while its dictionary is written; nothing to do
    // while no page copy is in progress.
    OpStatus ResourcesDictionaryWriting(ResourcesDictionary* inResources, DictionaryContext* inResourcesDictionary,
                                        ObjectsContext* inObjectsContext, DocumentContext* inDocumentContext) override;

    void AddDocumentContextExtender(IDocumentContextExtender* inExtender) { mExtenders.insert(inExtender); }
    void RemoveDocumentContextExtender(IDocumentContextExtender* inExtender) { mExtenders.erase(inExtender); }
    void ClearDocumentContextExtenders() { mExtenders.clear(); }

private:
    DocumentContext* mDocumentContext = nullptr;
    ObjectsContext* mObjectsContext = nullptr;
    std::set<IDocumentContextExtender*> mExtenders;
};
