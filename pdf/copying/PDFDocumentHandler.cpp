#include "pdf/copying/PDFDocumentHandler.h"

#include "pdf/io/DiagnosticLog.h"

PDFDocumentHandler::PDFDocumentHandler() = default;

PDFDocumentHandler::~PDFDocumentHandler() = default;

void PDFDocumentHandler::SetOperationsContexts(DocumentContext* inDocumentContext, ObjectsContext* inObjectsContext)
{
    mDocumentContext = inDocumentContext;
    mObjectsContext = inObjectsContext;
}

AppendPagesResult PDFDocumentHandler::AppendPDFPagesFromPDF(const std::string& inSourcePath, const PageSelection&,
                                                            const std::vector<ObjectIDType>&)
{
    TraceMessage("PDFDocumentHandler::AppendPDFPagesFromPDF, page copying is not available in this build, cannot copy "
                 "from %s",
                 inSourcePath.c_str());
    return AppendPagesResult();
}

OpStatus PDFDocumentHandler::StartCopyingContext(IByteReaderWithPosition*)
{
    TraceMessage("PDFDocumentHandler::StartCopyingContext, page copying is not available in this build");
    return eFailure;
}

OpStatus PDFDocumentHandler::StartCopyingContext(PDFParser*)
{
    TraceMessage("PDFDocumentHandler::StartCopyingContext, page copying is not available in this build");
    return eFailure;
}

void PDFDocumentHandler::FinishCopyingContext()
{
}

OpStatus PDFDocumentHandler::MergePDFPageForXObject(OutputFormXObject*, unsigned long inPageIndex)
{
    TraceMessage(
        "PDFDocumentHandler::MergePDFPageForXObject, page copying is not available in this build, cannot merge "
        "page %lu",
        inPageIndex);
    return eFailure;
}

OpStatus PDFDocumentHandler::WriteObjectWithSourceIDs(PDFObject*)
{
    TraceMessage("PDFDocumentHandler::WriteObjectWithSourceIDs, page copying is not available in this build");
    return eFailure;
}

OpStatus PDFDocumentHandler::ResourcesDictionaryWriting(ResourcesDictionary*, DictionaryContext*, ObjectsContext*,
                                                        DocumentContext*)
{
    return eSuccess;
}
