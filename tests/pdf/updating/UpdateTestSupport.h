#pragma once
// Helpers of the incremental update tests: source files in every cross-reference form (classic
// table, cross-reference stream with object streams, hybrid, already updated), running an update
// in place or into a copy, and reading what qpdf reports about the result.

#include "pdf/parsing/ParserTestSupport.h"
#include "pdf/writing/DocumentTestSupport.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/WriterTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

namespace updatetest {

enum class SourceForm { ClassicTable, XrefStream, Hybrid, AlreadyUpdated, NoFinalEndLine };

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

// The same two pages in every cross-reference form. Pages and contents lie in an object stream
// for the stream forms.
inline std::string TwoPageSource(SourceForm inForm, const std::string& inCatalogExtra = "",
                                 const std::string& inTrailerExtra = "")
{
    if (inForm == SourceForm::XrefStream || inForm == SourceForm::Hybrid) {
        parsertest::XrefStreamBuilder builder;
        builder.hybrid = inForm == SourceForm::Hybrid;
        builder.trailerExtra = inTrailerExtra;
        builder.fileObjects[1] = "<< /Type /Catalog /Pages 2 0 R " + inCatalogExtra + " >>";
        builder.fileObjects[2] = "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 /MediaBox [0 0 300 400] >>";
        builder.fileObjects[4] = parsertest::PdfBuilder::Stream("0 0 m 0 10 l S");
        builder.fileObjects[6] = parsertest::PdfBuilder::Stream("0 0 m 1 10 l S");
        builder.objectStreams[7] = {{3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>"},
                                    {5, "<< /Type /Page /Parent 2 0 R /Contents 6 0 R >>"}};
        return builder.Build();
    }
    parsertest::PdfBuilder builder = TwoPageClassic(inCatalogExtra);
    builder.trailerExtra = inTrailerExtra;
    std::string bytes = builder.Build();
    if (inForm == SourceForm::AlreadyUpdated) {
        // A second version of page 2's content, as an earlier update wrote it.
        bytes = parsertest::AppendUpdate(bytes, builder.xrefOffset, 7,
                                         {{6, parsertest::PdfBuilder::Stream("0 0 m 20 20 l S")}}, inTrailerExtra);
    }
    if (inForm == SourceForm::NoFinalEndLine)
        bytes.pop_back();
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

// qpdf's report of one object ("trailer" for the trailer), or an empty text.
inline std::string QpdfObject(const std::string& inPath, const std::string& inObject)
{
    std::string output;
    WriterTestSupport::Run("qpdf --show-object=" + inObject + " '" + inPath + "'", output);
    return output;
}

// qpdf's cross-reference listing: object "id/gen" -> the rest of its line.
inline std::map<std::string, std::string> QpdfXref(const std::string& inPath)
{
    std::map<std::string, std::string> entries;
    std::string output;
    WriterTestSupport::Run("qpdf --show-xref '" + inPath + "'", output);
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
