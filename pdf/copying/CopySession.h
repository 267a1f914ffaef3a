#pragma once
// An open copying context on one source file, for copying values and pages at will. The document
// context makes sessions (CreateCopySessionForFile, CreateCopySessionForParser) and keeps the set
// of open ones; the caller owns a session and deletes it, which ends its copying context and
// removes it from that set. When the document context is reset, open sessions forget it.

#include "pdf/copying/PDFDocumentHandler.h"

#include <string>

class IPDFParserExtender;
class OutputFormXObject;
class PDFObject;
class PDFParser;

class CopySession {
public:
    CopySession();
    ~CopySession();
    CopySession(const CopySession&) = delete;
    CopySession& operator=(const CopySession&) = delete;

    // Registers with the document context, opens and parses the file. -1 after one log line.
    OpStatus Start(const std::string& inSourcePath, DocumentContext* inDocumentContext,
                   ObjectsContext* inObjectsContext, IPDFParserExtender* inParserExtender);
    // The same over a parser that is open already (not owned).
    OpStatus Start(PDFParser* inSourceParser, DocumentContext* inDocumentContext, ObjectsContext* inObjectsContext);

    // The source's parser; null only when the session could not start (the document context
    // hands out started sessions only).
    PDFParser* GetSourceParser() { return mDocumentHandler.GetSourceParser(); }
    // Writes a source value where the caller has an object or a key open, keeping source ids:
    // references are written as the source's "id gen R" followed by one blank, streams with
    // their still-encoded data. -1 after a log line (a stream whose data is not in the file).
    OpStatus CopyParsedValue(PDFObject* inValue);
    // Writes a source page's content into the open form, its resources under the form's names;
    // the objects they use are copied when the form is finished, so the session must live
    // until then.
    OpStatus MergePDFPageToFormXObject(OutputFormXObject* inForm, unsigned long inPageIndex);
    // Appends the selected pages of the source as new pages of the document, objects renumbered;
    // objects shared with pages the session appended before are not written again. A source
    // parsed once can so be split into many documents (a session per document). A page that
    // cannot be copied costs only itself (PDFDocumentHandler::AppendSelectedPages).
    AppendPagesResult AppendPDFPages(const PageSelection& inPageSelection);

    void AddDocumentContextExtender(IDocumentContextExtender* inExtender)
    {
        mDocumentHandler.AddDocumentContextExtender(inExtender);
    }
    void RemoveDocumentContextExtender(IDocumentContextExtender* inExtender)
    {
        mDocumentHandler.RemoveDocumentContextExtender(inExtender);
    }
    // The document context is being reset: the session no longer belongs to it.
    void ForgetDocumentContext() { mOwner = nullptr; }

private:
    void Register(DocumentContext* inDocumentContext, ObjectsContext* inObjectsContext);

    DocumentContext* mOwner = nullptr;
    PDFDocumentHandler mDocumentHandler;
};
