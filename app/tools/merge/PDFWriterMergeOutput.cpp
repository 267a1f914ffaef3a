#include "app/tools/merge/PDFWriterMergeOutput.h"

// The library's PDFWriter is not part of the build yet. Until it is, every merge fails at Start
// with a console message; set this to 1 once pdf/writing/PDFWriter.h exists.
#define VELLORAN_MERGE_WITH_PDFWRITER 0

#if VELLORAN_MERGE_WITH_PDFWRITER

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
        // A default page range selects every page; no extra objects are copied.
        const auto result = writer.AppendPDFPagesFromPDF(Utf8(inputPath), PageRange(), {});
        return result.first == eSuccess;
    }

    bool End() override { return writer.EndPDF() == eSuccess; }

private:
    PDFWriter writer;
};

using MergeOutput = LibraryMergeOutput;
constexpr bool kWriterAvailable = true;

} // namespace

#else

#include <QtGlobal>

namespace {

class UnavailableMergeOutput : public IMergeOutput {
public:
    bool Start(const QString& outputPath) override
    {
        qWarning("PDFMerger: cannot write %s: this build has no PDF writer, so nothing was merged",
                 qUtf8Printable(outputPath));
        return false;
    }
    bool AppendAllPages(const QString&) override { return false; }
    bool End() override { return false; }
};

using MergeOutput = UnavailableMergeOutput;
constexpr bool kWriterAvailable = false;

} // namespace

#endif

std::unique_ptr<IMergeOutput> CreatePDFWriterMergeOutput()
{
    return std::make_unique<MergeOutput>();
}

bool PDFWriterMergeOutputAvailable()
{
    return kWriterAvailable;
}
