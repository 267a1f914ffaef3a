#include "pdf/writing/PDFWriter.h"

#include "pdf/io/DiagnosticLog.h"

namespace {

// "%", three bytes above 127, CR LF: tells transfer programs that the file is binary.
const Byte scBinaryComment[] = {0x25, 0xBD, 0xBE, 0xBC, 0x0D, 0x0A};

} // namespace

PDFWriter::PDFWriter() : mDocumentContext(&mObjectsContext)
{
}

PDFWriter::~PDFWriter() = default;

void PDFWriter::ApplyLogSettings(const LogSettings& inLogSettings)
{
    DiagnosticLog& log = DiagnosticLog::Instance();
    if (inLogSettings.mLogStream)
        log.SetLogStream(inLogSettings.mLogStream, inLogSettings.mEnabled);
    else
        log.SetLogFile(inLogSettings.mLogFilePath, inLogSettings.mEnabled, inLogSettings.mWriteByteOrderMark);
}

OpStatus PDFWriter::CreateNewPDF(const std::string& inOutputFilePath, PDFVersionCode inPDFVersion,
                                 const LogSettings& inLogSettings, const WriterOptions& inOptions)
{
    ApplyLogSettings(inLogSettings);
    if (mDocumentStarted) {
        TraceMessage("PDFWriter::CreateNewPDF, a document is being written to %s; end it first",
                     mOutputFile.GetFilePath().c_str());
        return eFailure;
    }
    // Refused before the output is opened, so that an existing file is not truncated for nothing.
    if (!DocumentContext::IsKnownVersionCode(inPDFVersion)) {
        TraceMessage("PDFWriter::CreateNewPDF, unknown PDF version code %d, expected 10 to 18", inPDFVersion);
        return eFailure;
    }
    // Whatever a failed earlier start left behind goes.
    Reset();

    mObjectsContext.SetCompressStreams(inOptions.mCompressStreams);
    mEmbedFonts = inOptions.mEmbedFonts;

    OpStatus status = mOutputFile.OpenFile(inOutputFilePath);
    if (status != eSuccess)
        return status;

    mObjectsContext.SetOutputStream(mOutputFile.GetOutputStream());
    mDocumentContext.SetOutputFileInformation(inOutputFilePath);
    mDocumentContext.SetKeepFirstDocumentIDPart(false);

    mDocumentContext.WriteVersionHeader(inPDFVersion);
    mObjectsContext.GetValueWriter().WriteBytes(scBinaryComment, sizeof(scBinaryComment));
    mDocumentStarted = true;
    return eSuccess;
}

OpStatus PDFWriter::EndPDF()
{
    if (!mDocumentStarted) {
        TraceMessage("PDFWriter::EndPDF, no PDF was started successfully, nothing to end");
        mOutputFile.FlushAndClose();
        Reset();
        return eFailure;
    }

    OpStatus status = mDocumentContext.FinalizeNewDocument(mEmbedFonts);
    // A write lost anywhere (a token, stream data, a buffer the file refused) spoils the file
    // even when every step reported success.
    if (status == eSuccess && mObjectsContext.HasFailed())
        status = eFailure;
    if (status != eSuccess) {
        TraceMessage("PDFWriter::EndPDF, Could not end PDF");
        mOutputFile.FlushAndClose();
        Reset();
        return status;
    }

    if (mOutputFile.FlushAndClose() != eSuccess) {
        TraceMessage("PDFWriter::EndPDF, Could not close output file");
        status = eFailure;
    }
    Reset();
    return status;
}

void PDFWriter::Reset()
{
    mObjectsContext.Reset();
    mDocumentContext.ResetForNewDocument();
    mDocumentStarted = false;
}

AppendPagesResult PDFWriter::AppendPDFPagesFromPDF(const std::string& inSourcePath,
                                                   const PageSelection& inPageSelection,
                                                   const std::vector<ObjectIDType>& inExtraObjectIDs)
{
    return mDocumentContext.AppendPDFPagesFromPDF(inSourcePath, inPageSelection, inExtraObjectIDs);
}

PDFUsedFont* PDFWriter::GetFontForFile(const std::string& inFontFilePath, long inFontIndex)
{
    return mDocumentContext.GetUsedFontsRepository().GetFontForFile(inFontFilePath, inFontIndex);
}
