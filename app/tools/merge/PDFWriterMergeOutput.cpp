#include "app/tools/merge/PDFWriterMergeOutput.h"

#include "app/tools/FailedFile.h"

#include "pdf/copying/PageSelection.h"
#include "pdf/io/IOBasicTypes.h"
#include "pdf/writing/PDFWriter.h"

#include <QCoreApplication>

#include <string>

namespace {

// The library takes paths as the UTF-8 bytes of the QString.
std::string Utf8(const QString& path)
{
    return path.toUtf8().toStdString();
}

class LibraryMergeOutput : public IMergeOutput {
public:
    bool Start(const QString& writePath, const QString& documentPath) override
    {
        // Version code 13: the output's header says PDF 1.3, whatever the inputs say.
        if (writer.CreateNewPDF(Utf8(writePath), 13, LogSettings(), WriterOptions()) != eSuccess)
            return Failed(LibraryFailureReason());
        // The document's ID is made from its name.
        writer.GetDocumentContext().SetOutputFileInformation(Utf8(documentPath));
        document = documentPath;
        return true;
    }

    bool AppendAllPages(const QString& inputPath) override
    {
        // No extra objects are copied beside the pages.
        const AppendPagesResult result = writer.AppendPDFPagesFromPDF(Utf8(inputPath), PageSelection(), {});
        // An input that failed after some of its pages were written cannot be left out any
        // more: the output would hold part of it, so the whole merge fails at End.
        if (result.mStatus != eSuccess && !result.mPageObjectIDs.empty())
            partialInput = true;
        return result.mStatus == eSuccess || Failed(WriteOrLibraryReason());
    }

    bool End() override
    {
        if (writer.EndPDF() != eSuccess)
            return Failed(WriteOrLibraryReason());
        if (partialInput)
            return Failed(QCoreApplication::translate("PDFMerger",
                                                      "a document could be added only in part, so the result would "
                                                      "lack some of its pages"));
        return true;
    }

    QString LastFailure() const override { return lastFailure; }

private:
    // A write the disk refused names the document, whichever step met it.
    QString WriteOrLibraryReason()
    {
        return OutputFailureReason(document, writer.GetOutputFile(), LibraryFailureReason());
    }

    bool Failed(const QString& reason)
    {
        lastFailure = reason;
        return false;
    }

    QString lastFailure;
    QString document;
    PDFWriter writer;
    bool partialInput = false;
};

} // namespace

std::unique_ptr<IMergeOutput> CreatePDFWriterMergeOutput()
{
    return std::make_unique<LibraryMergeOutput>();
}
