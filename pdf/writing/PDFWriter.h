#pragma once
// The one object through which a job produces a PDF file: start a new file, or start an
// incremental update of an existing one (appended to it in place, or to a copy); write pages,
// forms and fonts through the document context; append pages of other PDF files; end the file.
// One writer serves one output at a time on one thread; after EndPDF (which always closes the
// output and resets the writer) it may start again. The writer owns its objects context,
// document context, output file, and the input file and parser of the file being updated.
// An update appended in place that fails, or is abandoned by destroying the writer before
// EndPDF, is cut off again: the file is truncated back to its original size.
// Each entry point below begins a new operation of the calling thread's failure reason, so
// after a failed call GetLastFailure tells why, whether or not the trace log is on.

#include "pdf/copying/AppendPagesResult.h"
#include "pdf/copying/CopySession.h"
#include "pdf/copying/PageSelection.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputFile.h"
#include "pdf/io/OutputFile.h"
#include "pdf/io/OutputOffsetStream.h"
#include "pdf/parsing/PDFParser.h"
#include "pdf/writing/DocumentContext.h"
#include "pdf/writing/LogSettings.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/WriterOptions.h"

#include <memory>
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
    // Ends the document (fonts, page tree, catalog, information, cross-reference table, trailer;
    // for an update, its own end), closes the output and resets the writer. -1 when the document
    // was not started, when any write into the output was lost, or when closing failed; the output
    // is closed either way and is never deleted, and a failed update in place is cut back to the
    // file's original bytes.
    OpStatus EndPDF();

    // Opens an existing PDF file for an incremental update: appended to the source itself when
    // inOutputFilePath is empty or names the same file (by any spelling or link), else to an
    // exact copy made at inOutputFilePath. The source is parsed first; an unreadable or encrypted
    // source, a missing catalog reference or an unknown version code fail before any output is
    // touched, and a failed start leaves nothing for EndPDF to write. Both options (compression,
    // font embedding) apply to the update. The version code raises the file's version at the end
    // when it is higher than the file declares.
    OpStatus StartIncrementalUpdate(const std::string& inSourceFilePath, PDFVersionCode inPDFVersion,
                                    const std::string& inOutputFilePath = std::string(),
                                    const LogSettings& inLogSettings = LogSettings(),
                                    const WriterOptions& inOptions = WriterOptions());
    // A copying session over the file being updated (values are written keeping its object ids);
    // null when no update is under way or the session cannot start. Owned by the caller, who
    // deletes it before EndPDF.
    std::unique_ptr<CopySession> CreateCopySessionForModifiedFile();
    // The parser of the file being updated; null when no update is under way.
    PDFParser* GetModifiedFileParser() { return mIsModified ? &mModifiedFileParser : nullptr; }
    bool IsModifyingFile() const { return mIsModified; }

    // Appends pages of another PDF file; the status, the ids of the pages written and the pages
    // that could not be copied (AppendPagesResult).
    AppendPagesResult AppendPDFPagesFromPDF(const std::string& inSourcePath, const PageSelection& inPageSelection,
                                            const std::vector<ObjectIDType>& inExtraObjectIDs = {});
    // The document's font for a font file and face, or null.
    PDFUsedFont* GetFontForFile(const std::string& inFontFilePath, long inFontIndex = 0);

    // Why the calling thread's last failed operation failed, and the file it was about.
    static DiagnosticLog::FailureReason GetLastFailure() { return DiagnosticLog::LastFailure(); }

    DocumentContext& GetDocumentContext() { return mDocumentContext; }
    ObjectsContext& GetObjectsContext() { return mObjectsContext; }
    OutputFile& GetOutputFile() { return mOutputFile; }
    bool IsDocumentStarted() const { return mDocumentStarted; }

private:
    static void ApplyLogSettings(const LogSettings& inLogSettings);
    // The common first steps of both starts: log settings, refusals, reset, options.
    OpStatus PrepareStart(const char* inCaller, PDFVersionCode inPDFVersion, const LogSettings& inLogSettings,
                          const WriterOptions& inOptions);
    void Reset();
    // Closes the output and the updated file's parser and input; an update in place that did not
    // end well is cut back to the file's original bytes.
    OpStatus CloseFiles(bool inKeepOutput);
    // Opens the output of an update: the source for appending, or a new copy of it.
    OpStatus OpenUpdateOutput(const std::string& inSourceFilePath, const std::string& inOutputFilePath);

    // Declared in this order so that the parser goes first, then the input and output files, the
    // document context and the objects context last.
    ObjectsContext mObjectsContext;
    DocumentContext mDocumentContext;
    bool mEmbedFonts = true;
    OutputFile mOutputFile;
    InputFile mModifiedFile;
    PDFParser mModifiedFileParser;
    bool mDocumentStarted = false;
    bool mIsModified = false;
    PDFVersionCode mModifiedVersion = 0;
    // An update appended to the source itself, and the source's size before it.
    bool mUpdatesInPlace = false;
    LongFilePositionType mOriginalSize = 0;
    // The update's output seen from the source's header, when bytes stand before it.
    std::unique_ptr<OutputOffsetStream> mUpdateOutput;
};
