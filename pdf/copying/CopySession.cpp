#include "pdf/copying/CopySession.h"

#include "pdf/parsing/PDFParser.h"
#include "pdf/writing/DocumentContext.h"

CopySession::CopySession() = default;

CopySession::~CopySession()
{
    mDocumentHandler.FinishCopyingContext();
    if (mOwner)
        mOwner->UnregisterCopySession(this);
}

void CopySession::Register(DocumentContext* inDocumentContext, ObjectsContext* inObjectsContext)
{
    mOwner = inDocumentContext;
    mOwner->RegisterCopySession(this);
    mDocumentHandler.SetOperationsContexts(inDocumentContext, inObjectsContext);
}

OpStatus CopySession::Start(const std::string& inSourcePath, DocumentContext* inDocumentContext,
                            ObjectsContext* inObjectsContext, IPDFParserExtender* inParserExtender)
{
    Register(inDocumentContext, inObjectsContext);
    OpStatus status = mDocumentHandler.StartFileCopyingContext(inSourcePath);
    if (status == eSuccess && inParserExtender)
        mDocumentHandler.GetSourceParser()->SetParserExtender(inParserExtender);
    return status;
}

OpStatus CopySession::Start(PDFParser* inSourceParser, DocumentContext* inDocumentContext,
                            ObjectsContext* inObjectsContext)
{
    Register(inDocumentContext, inObjectsContext);
    return mDocumentHandler.StartCopyingContext(inSourceParser);
}

OpStatus CopySession::CopyParsedValue(PDFObject* inValue)
{
    return mDocumentHandler.WriteObjectWithSourceIDs(inValue, eTokenSeparatorEndLine);
}

OpStatus CopySession::MergePDFPageToFormXObject(OutputFormXObject* inForm, unsigned long inPageIndex)
{
    return mDocumentHandler.MergePDFPageForXObject(inForm, inPageIndex);
}

AppendPagesResult CopySession::AppendPDFPages(const PageSelection& inPageSelection)
{
    AppendPagesResult result;
    result.mStatus = mDocumentHandler.AppendSelectedPages(inPageSelection, result);
    return result;
}
