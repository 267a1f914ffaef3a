// Speed of writing a new document: 10,000 pages, each with a few dozen operators (rectangles in
// named and numeric colours, a path, a saved and restored state, a form drawn on the page),
// with compressed streams as the application writes them. Prints pages per second: the median
// and spread of the runs after a warm-up. There is no peer. The last document written is checked
// (qpdf's check, the page count, every page's MediaBox) and a wrong one fails the benchmark.
// Usage: bench_write_pages [runs]

#include "bench/BenchSupport.h"
#include "bench/OutputChecks.h"
#include "pdf/writing/NamedColorTable.h"
#include "pdf/writing/OutputFormXObject.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/PageContentContext.h"
#include "pdf/writing/XObjectContentContext.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPageCount = 10000;

ObjectIDType WriteBadge(PDFWriter& inWriter)
{
    ObjectIDType formID = inWriter.GetObjectsContext().GetInDirectObjectsRegistry().ReserveNewObjectID();
    std::unique_ptr<OutputFormXObject> form =
        inWriter.GetDocumentContext().StartFormXObject(PDFRectangle(0, 0, 60, 30), formID);
    if (!form)
        return 0;
    XObjectContentContext* content = form->GetContentContext();
    content->SetFillRGBColor(0, 0, 0.5);
    content->Rectangle(0, 0, 60, 30);
    content->Fill();
    return inWriter.GetDocumentContext().FinishFormXObject(form.get()) == eSuccess ? formID : 0;
}

void DrawPage(PageContentContext* inContext, OutputPage& inPage, int inPageIndex, ObjectIDType inBadgeID)
{
    const std::map<std::string, uint32_t>& colors = NamedColorTable::Colors();
    auto color = colors.begin();
    std::advance(color, inPageIndex % colors.size());
    inContext->SaveGraphicState();
    for (int row = 0; row < 8; ++row) {
        inContext->SetFillColor(row % 2 ? color->second : 0x1F4E79 + row * 0x010203, eColorSpaceRGB);
        inContext->Rectangle(36 + row * 2.5, 700 - row * 60.25, 520 - row * 3, 40.5);
        inContext->Fill();
    }
    inContext->SetStrokeRGBColor(0.2, 0.4, 0.6);
    inContext->SetLineWidth(0.75);
    inContext->MoveTo(36, 36);
    for (int i = 1; i <= 12; ++i)
        inContext->LineTo(36 + i * 43.3, 36 + (i % 3) * 17.125);
    inContext->ClosePath();
    inContext->Stroke();
    inContext->SaveGraphicState();
    inContext->ConcatMatrix(1, 0, 0, 1, 500, 780);
    inContext->PaintXObject(inPage.GetResourcesDictionary().FormXObjectNameForObject(inBadgeID));
    inContext->RestoreGraphicState();
    inContext->RestoreGraphicState();
}

// Seconds for one document, or a negative value when writing failed.
double WriteDocument(const std::string& inPath)
{
    Clock::time_point start = Clock::now();
    PDFWriter writer;
    if (writer.CreateNewPDF(inPath, 13) != eSuccess)
        return -1;
    ObjectIDType badgeID = WriteBadge(writer);
    if (badgeID == 0)
        return -1;
    DocumentContext& document = writer.GetDocumentContext();
    for (int i = 0; i < kPageCount; ++i) {
        OutputPage page;
        page.SetMediaBox(PDFRectangle(0, 0, 595, 842));
        DrawPage(document.StartPageContentContext(&page), page, i, badgeID);
        ObjectIDType pageID = 0;
        if (document.WritePage(&page, pageID) != eSuccess)
            return -1;
    }
    if (writer.EndPDF() != eSuccess)
        return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = bench::RunCount(argc, argv, 1, 5);
    std::string path =
        (std::filesystem::temp_directory_path() / ("bench_write_pages_" + std::to_string(getpid()) + ".pdf")).string();
    bench::PrintLoad();
    const std::vector<bench::SideRuns> sides =
        bench::InterleaveInProcess(runs, {[&]() { return WriteDocument(path) >= 0; }});
    bench::Failures failures;
    const char* check = failures.Check("the document", sides[0], [&]() {
        bench::PdfExpectation expected;
        expected.pages = kPageCount;
        expected.mediaBox = {0, 0, 595, 842};
        return bench::PdfProblem(path, expected);
    });
    std::error_code noFile, ignored;
    const std::uintmax_t size = std::filesystem::file_size(path, noFile);
    std::filesystem::remove(path, ignored);

    const bench::Spread seconds = sides[0].Seconds();
    std::printf("%d pages, %ju bytes, compressed; %d runs; output %s\n", kPageCount, noFile ? 0 : size, runs, check);
    std::printf("seconds: median [min-max] %s\n", bench::Format(seconds, 3).c_str());
    std::printf("pages/s: median %.0f [%.0f-%.0f]\n", kPageCount / seconds.median, kPageCount / seconds.high,
                kPageCount / seconds.low);
    return failures.ExitStatus();
}
