#include "app/tools/merge/PDFWriterMergeOutput.h"

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
    bool Start(const QString& outputPath) override
    {
        // Version code 13: the output's header says PDF 1.3, whatever the inputs say.
        return writer.CreateNewPDF(Utf8(outputPath), 13, LogSettings(), WriterOptions()) == eSuccess;
    }

    bool AppendAllPages(const QString& inputPath) override
    {
        // No extra objects are copied beside the pages.
        const AppendPagesResult result = writer.AppendPDFPagesFromPDF(Utf8(inputPath), PageSelection(), {});
        // An input that failed after some of its pages were written cannot be left out any
        // more: the output would hold part of it, so the whole merge fails at End.
        if (result.mStatus != eSuccess && !result.mPageObjectIDs.empty())
            partialInput = true;
        return result.mStatus == eSuccess;
    }

    bool End() override { return writer.EndPDF() == eSuccess && !partialInput; }

private:
    PDFWriter writer;
    bool partialInput = false;
};

} // namespace

std::unique_ptr<IMergeOutput> CreatePDFWriterMergeOutput()
{
    return std::make_unique<LibraryMergeOutput>();
}
