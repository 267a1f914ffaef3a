#include "app/tools/merge/PDFWriterMergeOutput.h"

#include "app/tools/FailedFile.h"
#include "app/tools/PageFailures.h"

#include "pdf/copying/PageSelection.h"
#include "pdf/io/IOBasicTypes.h"
#include "pdf/writing/PDFWriter.h"

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
        pagesOfLastInput = static_cast<int>(result.mPageObjectIDs.size());
        if (result.mStatus == eSuccess)
            return true;
        // A write the disk refused ends the whole document, whatever the input; an input that
        // cannot be read adds nothing.
        if (result.mFailedPages.empty() || writer.GetObjectsContext().HasFailed())
            return Failed(WriteOrLibraryReason());
        // A page that cannot be copied costs only itself: the pages after it are in the
        // document, and the input is listed with the first such page.
        PageFailures failures;
        failures.AddCopy(result, LibraryFailureReason());
        return Failed(failures.CopyReason());
    }

    int PagesOfLastInput() const override { return pagesOfLastInput; }

    bool End() override
    {
        if (writer.EndPDF() != eSuccess)
            return Failed(WriteOrLibraryReason());
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
    int pagesOfLastInput = 0;
};

} // namespace

std::unique_ptr<IMergeOutput> CreatePDFWriterMergeOutput()
{
    return std::make_unique<LibraryMergeOutput>();
}
