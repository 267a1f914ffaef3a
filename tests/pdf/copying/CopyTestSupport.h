#pragma once
// Helpers of the copying tests: source documents with the features that copying must keep
// (fonts and an image shared by all pages, Resources and MediaBox inherited from page-tree nodes,
// rotated pages, crop boxes, several content streams), written in every cross-reference layout;
// and what other readers show of a page: pdftotext per page and pdftoppm pixels.

#include "FlateTestData.h"
#include "pdf/parsing/ParserTestSupport.h"

#include "pdf/copying/PageSelection.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/writing/PDFWriter.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace copytest {

using parsertest::PdfBuilder;
using testsupport::ExpectQpdfAccepts;
using testsupport::QpdfPageCount;
using parsertest::Quote;
using parsertest::ReadFile;
using parsertest::Run;
using parsertest::TestDirectory;
using parsertest::WriteFile;
using parsertest::XrefStreamBuilder;

// The objects of a source document by id; object 1 is the catalog. Which layout holds them is
// decided when the file is written.
struct SourceObjects {
    std::map<int, std::string> objects;
    int pageCount = 0;
    int Add(const std::string& inBody)
    {
        int id = objects.empty() ? 1 : objects.rbegin()->first + 1;
        objects[id] = inBody;
        return id;
    }
};

// A source document of inPages pages labelled inLabel. Pages hang below intermediate nodes of
// up to four pages; the even nodes carry the Resources and MediaBox their pages inherit, the odd
// ones give each page its own. Every third page is rotated (90, 180, 270 in turn, some inherited
// from the node), every fourth has a CropBox, every fifth has its content in two streams. Two
// standard fonts, an ExtGState written inline and an 8 x 8 image are shared by all pages.
inline SourceObjects MakeSourceDocument(int inPages, const std::string& inLabel)
{
    SourceObjects source;
    source.pageCount = inPages;
    source.Add("<< /Type /Catalog /Pages 2 0 R >>");
    source.Add(""); // the root, filled in below
    int helvetica = source.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    int times = source.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Times-Bold /Encoding /WinAnsiEncoding >>");
    std::string pixels;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            pixels.push_back(static_cast<char>(x * 32));
            pixels.push_back(static_cast<char>(y * 32));
            pixels.push_back(static_cast<char>((x + y) * 16));
        }
    int image = source.Add(FlateStream(pixels, " /Type /XObject /Subtype /Image /Width 8 /Height 8 "
                                               "/ColorSpace /DeviceRGB /BitsPerComponent 8"));
    int fontDictionary =
        source.Add("<< /F1 " + std::to_string(helvetica) + " 0 R /F2 " + std::to_string(times) + " 0 R >>");
    const std::string resources = "<< /ProcSet [/PDF /Text /ImageC] /Font " + std::to_string(fontDictionary) +
                                  " 0 R /XObject << /Im1 " + std::to_string(image) +
                                  " 0 R >> /ExtGState << /GS1 << /Type /ExtGState /CA 0.5 /ca 0.5 >> >> >>";

    std::string rootKids;
    int nodes = (inPages + 3) / 4;
    for (int node = 0; node < nodes; ++node) {
        int first = node * 4;
        int count = std::min(4, inPages - first);
        bool inherits = node % 2 == 0;
        int nodeID = source.Add("");
        rootKids += std::to_string(nodeID) + " 0 R ";
        std::string kids;
        for (int i = first; i < first + count; ++i) {
            std::string text = "q 0." + std::to_string(i % 10) + " 0.3 0.6 rg 40 40 " + std::to_string(100 + (i % 7) * 20) +
                               " 60 re f Q BT /F1 20 Tf 60 700 Td (" + inLabel + " page " + std::to_string(i + 1) +
                               ") Tj ET BT /F2 14 Tf 60 660 Td (Second line of page " + std::to_string(i + 1) +
                               ") Tj ET q /GS1 gs 120 0 0 120 300 300 cm /Im1 Do Q";
            std::string contents;
            if (i % 5 == 4) {
                // Streams divide content between tokens; the second begins with the second line.
                size_t split = text.find(" BT /F2");
                int a = source.Add(FlateStream(text.substr(0, split)));
                int b = source.Add(FlateStream(text.substr(split)));
                contents = "[" + std::to_string(a) + " 0 R " + std::to_string(b) + " 0 R]";
            } else {
                contents = std::to_string(source.Add(FlateStream(text))) + " 0 R";
            }
            std::string page = "<< /Type /Page /Parent " + std::to_string(nodeID) + " 0 R /Contents " + contents;
            if (!inherits)
                page += " /Resources " + resources + " /MediaBox [0 0 " + std::to_string(500 + i % 3 * 50) + " 800]";
            if (i % 3 == 2 && !(inherits && i % 2 == 0))
                page += " /Rotate " + std::to_string(90 * (1 + (i / 3) % 3));
            if (i % 4 == 3)
                page += " /CropBox [20 30 450 760]";
            kids += std::to_string(source.Add(page + " >>")) + " 0 R ";
        }
        std::string nodeBody = "<< /Type /Pages /Parent 2 0 R /Kids [" + kids + "] /Count " + std::to_string(count);
        if (inherits)
            nodeBody += " /Resources " + resources + " /MediaBox [0 0 612 792] /Rotate 90";
        source.objects[nodeID] = nodeBody + " >>";
    }
    source.objects[2] = "<< /Type /Pages /Kids [" + rootKids + "] /Count " + std::to_string(inPages) + " >>";
    return source;
}

// The document with a classic cross-reference table.
inline std::string ClassicFile(const SourceObjects& inSource)
{
    PdfBuilder builder;
    for (const auto& object : inSource.objects)
        builder.Add(object.second);
    return builder.Build();
}

// The document with a cross-reference stream; with inObjectStreams the objects that are not
// streams lie in object streams of up to 50 objects; as a hybrid, a classic table points to it.
inline std::string XrefStreamFile(const SourceObjects& inSource, bool inObjectStreams, bool inHybrid)
{
    XrefStreamBuilder builder;
    builder.hybrid = inHybrid;
    int streamID = static_cast<int>(inSource.objects.size()) + 1;
    int inCurrent = 0;
    for (const auto& object : inSource.objects) {
        bool isStream = object.second.find("stream\n") != std::string::npos;
        if (!inObjectStreams || isStream) {
            builder.fileObjects[object.first] = object.second;
            continue;
        }
        if (inCurrent == 50) {
            ++streamID;
            inCurrent = 0;
        }
        builder.objectStreams[streamID].emplace_back(object.first, object.second);
        ++inCurrent;
    }
    return builder.Build();
}

// A classic file followed by an incremental update that gives page inPage (0-based) a new
// content stream reading inNewText, and returns it with the update.
inline std::string UpdatedFile(const SourceObjects& inSource, int inPage, const std::string& inNewText)
{
    PdfBuilder builder;
    for (const auto& object : inSource.objects)
        builder.Add(object.second);
    std::string base = builder.Build();
    // Find the page object: the inPage-th "/Type /Page " body in id order.
    int seen = 0;
    int pageID = 0;
    for (const auto& object : inSource.objects) {
        if (object.second.compare(0, 17, "<< /Type /Page /P") == 0 && seen++ == inPage) {
            pageID = object.first;
            break;
        }
    }
    std::string page = inSource.objects.at(pageID);
    size_t contents = page.find("/Contents ");
    size_t end = page[contents + 10] == '[' ? page.find(']', contents) + 1 : page.find(" R", contents) + 2;
    int newContent = static_cast<int>(inSource.objects.size()) + 1;
    page.replace(contents, end - contents, "/Contents " + std::to_string(newContent) + " 0 R");
    std::string text = "BT /F1 24 Tf 72 600 Td (" + inNewText + ") Tj ET";
    return parsertest::AppendUpdate(base, builder.xrefOffset, newContent + 1,
                                    {{pageID, page}, {newContent, FlateStream(text)}});
}

// The layouts a merge must read. Each entry: file name and bytes.
inline std::vector<std::pair<std::string, std::string>> AllLayouts(const SourceObjects& inSource)
{
    return {{"classic.pdf", ClassicFile(inSource)},
            {"xrefstream.pdf", XrefStreamFile(inSource, false, false)},
            {"objectstreams.pdf", XrefStreamFile(inSource, true, false)},
            {"hybrid.pdf", XrefStreamFile(inSource, true, true)}};
}

// The stream objects of a parsed file whose Subtype is inSubtype ("Image", "Form"), in id order.
inline std::vector<RefCountPtr<PDFStreamInput>> StreamsOfSubtype(PDFParser& inParser, const std::string& inSubtype)
{
    std::vector<RefCountPtr<PDFStreamInput>> streams;
    for (uint32_t id = 1; id < inParser.GetXrefSize(); ++id) {
        PDFObjectCastPtr<PDFStreamInput> stream(inParser.ParseObjectByID(id));
        if (!stream)
            continue;
        RefCountPtr<PDFDictionary> dictionary(stream->QueryStreamDictionary());
        PDFObjectCastPtr<PDFName> subtype(dictionary->QueryDirectObject("Subtype"));
        if (subtype && subtype->GetValue() == inSubtype)
            streams.emplace_back(stream.Detach());
    }
    return streams;
}

// What readers show of a file: the text of every page (pdftotext, read once for the whole file)
// and pages rendered in grey at a low resolution (pdftoppm, one page at a time, kept).
class ShownDocument {
public:
    ShownDocument(const std::string& inPath, const std::string& inScratchPrefix)
        : mPath(inPath), mScratchPrefix(inScratchPrefix)
    {
    }

    // The text of the page (1-based), as pdftotext lays it out.
    const std::string& Text(int inPage)
    {
        if (!mTextRead) {
            mTextRead = true;
            std::string output;
            Run("pdftotext -q -layout " + Quote(mPath) + " -", &output);
            size_t start = 0;
            for (size_t feed = output.find('\f'); feed != std::string::npos; feed = output.find('\f', start)) {
                mTexts.push_back(output.substr(start, feed - start));
                start = feed + 1;
            }
        }
        static const std::string missing = "<no such page>";
        return inPage >= 1 && inPage <= static_cast<int>(mTexts.size()) ? mTexts[inPage - 1] : missing;
    }

    // The page (1-based) as PGM bytes.
    const std::string& Pixels(int inPage)
    {
        auto found = mPixels.find(inPage);
        if (found != mPixels.end())
            return found->second;
        std::string file = mScratchPrefix + "-" + std::to_string(inPage);
        Run("pdftoppm -q -r 24 -gray -singlefile -f " + std::to_string(inPage) + " -l " + std::to_string(inPage) +
            " " + Quote(mPath) + " '" + file + "'");
        std::string pixels = ReadFile(file + ".pgm");
        std::remove((file + ".pgm").c_str());
        return mPixels.emplace(inPage, pixels).first->second;
    }

    int TextPageCount()
    {
        Text(1);
        return static_cast<int>(mTexts.size());
    }

private:
    std::string mPath;
    std::string mScratchPrefix;
    bool mTextRead = false;
    std::vector<std::string> mTexts;
    std::map<int, std::string> mPixels;
};

// Page inTargetPage of the target shows what page inSourcePage of the source shows: the same text
// and (when asked) the same pixels.
inline void ExpectSamePage(ShownDocument& inSource, int inSourcePage, ShownDocument& inTarget, int inTargetPage,
                           bool inComparePixels)
{
    SCOPED_TRACE("source page " + std::to_string(inSourcePage) + ", target page " + std::to_string(inTargetPage));
    const std::string& sourceText = inSource.Text(inSourcePage);
    EXPECT_NE(sourceText.find_first_not_of(" \n"), std::string::npos) << "the source page shows no text";
    EXPECT_EQ(inTarget.Text(inTargetPage), sourceText);
    if (inComparePixels) {
        const std::string& sourcePixels = inSource.Pixels(inSourcePage);
        ASSERT_GT(sourcePixels.size(), 100u);
        EXPECT_TRUE(inTarget.Pixels(inTargetPage) == sourcePixels) << "the page renders differently";
    }
}

// Appends the given files (all pages, or the selection) into a new file; the status of the end.
inline OpStatus AppendFiles(const std::string& inTarget, const std::vector<std::string>& inSources,
                            const PageSelection& inSelection = PageSelection())
{
    PDFWriter writer;
    if (writer.CreateNewPDF(inTarget, 13) != eSuccess)
        return eFailure;
    OpStatus status = eSuccess;
    for (const std::string& source : inSources) {
        if (writer.AppendPDFPagesFromPDF(source, inSelection).mStatus != eSuccess)
            status = eFailure;
    }
    OpStatus end = writer.EndPDF();
    return status != eSuccess ? status : end;
}

inline PageSelection Ranges(const std::vector<std::pair<uint32_t, uint32_t>>& inRanges)
{
    PageSelection selection;
    selection.mKind = PageSelection::ListedRanges;
    selection.mRanges = inRanges;
    return selection;
}

} // namespace copytest
