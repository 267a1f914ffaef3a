#include "pdf/copying/CopySession.h"

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

OpStatus CopySession::Start(const std::string&, DocumentContext* inDocumentContext, ObjectsContext* inObjectsContext,
                            IPDFParserExtender*)
{
    Register(inDocumentContext, inObjectsContext);
    // Opening the file is left to the copying work; without it no stream can be parsed.
    return mDocumentHandler.StartCopyingContext(static_cast<IByteReaderWithPosition*>(nullptr));
}

OpStatus CopySession::Start(PDFParser* inSourceParser, DocumentContext* inDocumentContext,
                            ObjectsContext* inObjectsContext)
{
    Register(inDocumentContext, inObjectsContext);
    return mDocumentHandler.StartCopyingContext(inSourceParser);
}

OpStatus CopySession::CopyParsedValue(PDFObject* inValue)
{
    return mDocumentHandler.WriteObjectWithSourceIDs(inValue);
}
