#pragma once
// Helpers of the incremental update tests: source files in every cross-reference form (classic
// table, cross-reference stream with object streams, hybrid, already updated), running an update
// in place or into a copy, and reading what qpdf reports about the result.

#include "pdf/copying/CopySession.h"
#include "pdf/objects/PDFObjectCastPtr.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/ParserTestSupport.h"
#include "pdf/writing/DocumentTestSupport.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/WriterTestSupport.h"
#include "pdf/support/ExternalReaders.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

namespace updatetest {

// Prefixed: print job commands before the header, from which the file's offsets count.
enum class SourceForm { ClassicTable, XrefStream, Hybrid, AlreadyUpdated, NoFinalEndLine, Prefixed };

inline const char* FormName(SourceForm inForm)
{
    switch (inForm) {
    case SourceForm::ClassicTable:
        return "ClassicTable";
    case SourceForm::XrefStream:
        return "XrefStream";
    case SourceForm::Hybrid:
        return "Hybrid";
    case SourceForm::AlreadyUpdated:
        return "AlreadyUpdated";
    case SourceForm::NoFinalEndLine:
        return "NoFinalEndLine";
    case SourceForm::Prefixed:
        return "Prefixed";
    }
    return "?";
}

// Two pages of 300 x 400 under one page tree node, each with a line as content; object 1 is the
// catalog, 2 the page tree, 3 and 5 the pages, 4 and 6 their contents.
inline parsertest::PdfBuilder TwoPageClassic(const std::string& inCatalogExtra = "", const std::string& inHeader = "")
{
    parsertest::PdfBuilder builder = parsertest::PagesDocument({"", ""}, "/MediaBox [0 0 300 400]");
    if (!inCatalogExtra.empty())
        builder.objects[0] = "<< /Type /Catalog /Pages 2 0 R " + inCatalogExtra + " >>";
    if (!inHeader.empty())
        builder.header = inHeader;
    return builder;
}

// The same two pages in every cross-reference form. The pages lie in an object stream (object 20)
// for the stream forms. Extra objects take the ids 7, 8 ...
inline std::string TwoPageSource(SourceForm inForm, const std::string& inCatalogExtra = "",
                                 const std::string& inTrailerExtra = "",
                                 const std::vector<std::string>& inExtraObjects = {})
{
    if (inForm == SourceForm::XrefStream || inForm == SourceForm::Hybrid) {
        parsertest::XrefStreamBuilder builder;
        builder.hybrid = inForm == SourceForm::Hybrid;
        builder.trailerExtra = inTrailerExtra;
        builder.fileObjects[1] = "<< /Type /Catalog /Pages 2 0 R " + inCatalogExtra + " >>";
        builder.fileObjects[2] = "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 /MediaBox [0 0 300 400] >>";
        builder.fileObjects[4] = parsertest::PdfBuilder::Stream("0 0 m 0 10 l S");
        builder.fileObjects[6] = parsertest::PdfBuilder::Stream("0 0 m 1 10 l S");
        builder.objectStreams[20] = {{3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>"},
                                     {5, "<< /Type /Page /Parent 2 0 R /Contents 6 0 R >>"}};
        for (size_t i = 0; i < inExtraObjects.size(); ++i)
            builder.fileObjects[static_cast<int>(7 + i)] = inExtraObjects[i];
        return builder.Build();
    }
    parsertest::PdfBuilder builder = TwoPageClassic(inCatalogExtra);
    builder.trailerExtra = inTrailerExtra;
    for (const std::string& object : inExtraObjects)
        builder.Add(object);
    std::string bytes = builder.Build();
    if (inForm == SourceForm::AlreadyUpdated) {
        // A second version of page 2's content, as an earlier update wrote it.
        bytes = parsertest::AppendUpdate(bytes, builder.xrefOffset, static_cast<int>(builder.objects.size() + 1),
                                         {{6, parsertest::PdfBuilder::Stream("0 0 m 20 20 l S")}}, inTrailerExtra);
    }
    if (inForm == SourceForm::NoFinalEndLine)
        bytes.pop_back();
    if (inForm == SourceForm::Prefixed)
        bytes = "\x1b%-12345X@PJL ENTER LANGUAGE = PDF\r\n" + bytes;
    return bytes;
}

// Starts an update of inSource (in place when inOutput is empty), runs inWork, ends it.
inline OpStatus RunUpdate(const std::string& inSource, const std::string& inOutput,
                          const std::function<void(PDFWriter&)>& inWork = nullptr, int inVersion = 13)
{
    PDFWriter writer;
    OpStatus status = writer.StartIncrementalUpdate(inSource, inVersion, inOutput);
    if (status != eSuccess)
        return status;
    if (inWork)
        inWork(writer);
    return writer.EndPDF();
}

// The crop tool's way: every page object written again under its own id with a new MediaBox,
// its other entries copied unchanged from the file being modified.
inline OpStatus CropAllPages(PDFWriter& inWriter, const PDFRectangle& inMediaBox)
{
    std::unique_ptr<CopySession> session = inWriter.CreateCopySessionForModifiedFile();
    if (!session)
        return eFailure;
    PDFParser* parser = session->GetSourceParser();
    ObjectsContext& objects = inWriter.GetObjectsContext();
    for (uint32_t i = 0; i < parser->GetPageCount(); ++i) {
        PDFObjectCastPtr<PDFDictionary> page(parser->ParsePage(i));
        if (!page)
            return eFailure;
        objects.StartUpdatedIndirectObject(parser->GetPageObjectID(i));
        DictionaryContext* dictionary = objects.StartDictionary();
        DictionaryIterator entries = page->CreateIterator();
        while (entries.MoveNext()) {
            if (entries.GetKey()->GetValue() == "MediaBox")
                continue;
            if (dictionary->WriteKey(entries.GetKey()->GetValue()) != eSuccess ||
                session->CopyParsedValue(entries.GetValue()) != eSuccess)
                return eFailure;
        }
        dictionary->WriteKey("MediaBox");
        dictionary->WriteRectangleValue(inMediaBox.LowerLeftX, inMediaBox.LowerLeftY, inMediaBox.UpperRightX,
                                        inMediaBox.UpperRightY);
        if (objects.EndDictionary(dictionary) != eSuccess)
            return eFailure;
        objects.EndIndirectObject();
    }
    return eSuccess;
}

// qpdf's report of one object ("trailer" for the trailer), or an empty text.
inline std::string QpdfObject(const std::string& inPath, const std::string& inObject)
{
    std::string output;
    testsupport::RunMerged("qpdf --show-object=" + inObject + " '" + inPath + "'", output);
    return output;
}

// qpdf's cross-reference listing: object "id/gen" -> the rest of its line.
inline std::map<std::string, std::string> QpdfXref(const std::string& inPath)
{
    std::map<std::string, std::string> entries;
    std::string output;
    testsupport::RunMerged("qpdf --show-xref '" + inPath + "'", output);
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        std::string line = output.substr(start, end - start);
        size_t colon = line.find(": ");
        if (colon != std::string::npos)
            entries[line.substr(0, colon)] = line.substr(colon + 2);
        start = end + 1;
    }
    return entries;
}

// The offset qpdf reports for an object kept in the file itself; -1 otherwise.
inline long long QpdfOffset(const std::map<std::string, std::string>& inXref, const std::string& inObject)
{
    auto found = inXref.find(inObject);
    if (found == inXref.end())
        return -1;
    size_t at = found->second.find("offset = ");
    return at == std::string::npos ? -1 : std::stoll(found->second.substr(at + 9));
}

} // namespace updatetest
