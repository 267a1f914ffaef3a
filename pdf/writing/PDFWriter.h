#pragma once
// The one object through which a job produces a PDF file: start a new file, write pages, forms
// and fonts through the document context, append pages of other PDF files, end the file. One
// writer serves one output at a time on one thread; after EndPDF (which always closes the
// output and resets the writer) it may start again. The writer owns its objects context,
// document context and output file; destroying it closes an output still open without ending
// the document.

#include "pdf/copying/AppendPagesResult.h"
#include "pdf/copying/PageSelection.h"
#include "pdf/io/OutputFile.h"
#include "pdf/writing/DocumentContext.h"
#include "pdf/writing/LogSettings.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/WriterOptions.h"

#include <string>
#include <vector>

class PDFUsedFont;

// 10 to 17 for PDF 1.0 to 1.7 (18 is written as 1.7 too).
typedef int PDFVersionCode;

class PDFWriter {
public:
    PDFWriter();
    ~PDFWriter();
    PDFWriter(const PDFWriter&) = delete;
    PDFWriter& operator=(const PDFWriter&) = delete;

    // Applies the log settings, opens (truncating) the output and writes the header and the
    // binary comment. Fails without touching the output for an unknown version code, and while
    // another document is being written.
    OpStatus CreateNewPDF(const std::string& inOutputFilePath, PDFVersionCode inPDFVersion,
                          const LogSettings& inLogSettings = LogSettings(),
                          const WriterOptions& inOptions = WriterOptions());
    // Ends the document (fonts, page tree, catalog, information, cross-reference table, trailer),
    // closes the output and resets the writer. -1 when the document was not started, when any
    // write into the output was lost, or when closing failed; the output is closed either way and
    // is never deleted.
    OpStatus EndPDF();

    // Appends pages of another PDF file; the status and the ids of the pages written.
    AppendPagesResult AppendPDFPagesFromPDF(const std::string& inSourcePath, const PageSelection& inPageSelection,
                                            const std::vector<ObjectIDType>& inExtraObjectIDs = {});
    // The document's font for a font file and face, or null.
    PDFUsedFont* GetFontForFile(const std::string& inFontFilePath, long inFontIndex = 0);

    DocumentContext& GetDocumentContext() { return mDocumentContext; }
    ObjectsContext& GetObjectsContext() { return mObjectsContext; }
    OutputFile& GetOutputFile() { return mOutputFile; }
    bool IsDocumentStarted() const { return mDocumentStarted; }

private:
    static void ApplyLogSettings(const LogSettings& inLogSettings);
    void Reset();

    // Declared in this order so that the output file goes first and the objects context last.
    ObjectsContext mObjectsContext;
    DocumentContext mDocumentContext;
    bool mEmbedFonts = true;
    OutputFile mOutputFile;
    bool mDocumentStarted = false;
};
