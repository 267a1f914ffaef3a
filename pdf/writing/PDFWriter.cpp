#include "pdf/writing/PDFWriter.h"

#include "pdf/copying/CopySession.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/Platform.h"
#include "pdf/io/StreamCopier.h"
#include "pdf/objects/PDFObjectCastPtr.h"
#include "pdf/objects/PDFObjects.h"

namespace {

// "%", three bytes above 127, CR LF: tells transfer programs that the file is binary.
const Byte scBinaryComment[] = {0x25, 0xBD, 0xBE, 0xBC, 0x0D, 0x0A};
const Byte scEndLine[] = {0x0D, 0x0A};

// Whether the last byte of the stream ends a line; an empty stream counts as ended.
bool EndsWithEndLine(IByteReaderWithPosition* inStream)
{
    inStream->SeekFromEnd(0);
    if (inStream->TellPosition() <= 0)
        return true;
    inStream->SeekFromEnd(1);
    Byte last = 0;
    if (inStream->Read(&last, 1) != 1)
        return false;
    return last == '\r' || last == '\n';
}

} // namespace

PDFWriter::PDFWriter() : mDocumentContext(&mObjectsContext)
{
}

PDFWriter::~PDFWriter()
{
    // An update abandoned half way must not stay on the user's file.
    if (mDocumentStarted && mIsModified)
        CloseFiles(false);
}

void PDFWriter::ApplyLogSettings(const LogSettings& inLogSettings)
{
    DiagnosticLog& log = DiagnosticLog::Instance();
    if (inLogSettings.mLogStream)
        log.SetLogStream(inLogSettings.mLogStream, inLogSettings.mEnabled);
    else
        log.SetLogFile(inLogSettings.mLogFilePath, inLogSettings.mEnabled, inLogSettings.mWriteByteOrderMark);
}

OpStatus PDFWriter::PrepareStart(const char* inCaller, PDFVersionCode inPDFVersion, const LogSettings& inLogSettings,
                                 const WriterOptions& inOptions)
{
    ApplyLogSettings(inLogSettings);
    if (mDocumentStarted) {
        TraceMessage("%s, a document is being written to %s; end it first", inCaller,
                     mOutputFile.GetFilePath().c_str());
        return eFailure;
    }
    // Refused before any file is opened, so that an existing file is not truncated for nothing.
    if (!DocumentContext::IsKnownVersionCode(inPDFVersion)) {
        TraceMessage("%s, unknown PDF version code %d, expected 10 to 18", inCaller, inPDFVersion);
        return eFailure;
    }
    // Whatever a failed earlier start left behind goes.
    Reset();
    mObjectsContext.SetCompressStreams(inOptions.mCompressStreams);
    mEmbedFonts = inOptions.mEmbedFonts;
    return eSuccess;
}

OpStatus PDFWriter::CreateNewPDF(const std::string& inOutputFilePath, PDFVersionCode inPDFVersion,
                                 const LogSettings& inLogSettings, const WriterOptions& inOptions)
{
    DiagnosticLog::BeginOperation(inOutputFilePath);
    if (PrepareStart("PDFWriter::CreateNewPDF", inPDFVersion, inLogSettings, inOptions) != eSuccess)
        return eFailure;

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

OpStatus PDFWriter::StartIncrementalUpdate(const std::string& inSourceFilePath, PDFVersionCode inPDFVersion,
                                           const std::string& inOutputFilePath, const LogSettings& inLogSettings,
                                           const WriterOptions& inOptions)
{
    DiagnosticLog::BeginOperation(inSourceFilePath);
    if (PrepareStart("PDFWriter::StartIncrementalUpdate", inPDFVersion, inLogSettings, inOptions) != eSuccess)
        return eFailure;

    // Everything that can refuse the source is checked before any output is opened, so that a
    // refused update leaves every file as it was.
    OpStatus status = mModifiedFile.OpenFile(inSourceFilePath);
    if (status != eSuccess) {
        TraceMessage("PDFWriter::StartIncrementalUpdate, cannot open the file to modify %s", inSourceFilePath.c_str());
        CloseFiles(true);
        Reset();
        return status;
    }
    status = mModifiedFileParser.ParseDocument(mModifiedFile.GetInputStream());
    if (status != eSuccess) {
        TraceMessage("PDFWriter::StartIncrementalUpdate, cannot parse the file to modify %s", inSourceFilePath.c_str());
        CloseFiles(true);
        Reset();
        return status;
    }
    // Objects of an encrypted file would have to be encrypted again; any Encrypt entry that is
    // not null refuses the file, whatever it points to.
    PDFDictionary* trailer = mModifiedFileParser.GetTrailer();
    RefCountPtr<PDFObject> encrypt(trailer ? trailer->QueryDirectObject("Encrypt") : nullptr);
    if (encrypt && encrypt->GetType() != PDFObject::ePDFObjectNull) {
        TraceMessage("PDFWriter::StartIncrementalUpdate, %s is encrypted; encrypted files cannot be modified",
                     inSourceFilePath.c_str());
        CloseFiles(true);
        Reset();
        return eFailure;
    }

    status = mObjectsContext.GetInDirectObjectsRegistry().LoadFromParsedFile(
        mModifiedFileParser.GetXrefSize(),
        [this](ObjectIDType inID) { return *mModifiedFileParser.GetXrefEntry(static_cast<uint32_t>(inID)); });
    if (status == eSuccess)
        status = mDocumentContext.LoadStateFromModifiedFile(&mModifiedFileParser);
    if (status != eSuccess) {
        TraceMessage("PDFWriter::StartIncrementalUpdate, cannot take over the state of %s", inSourceFilePath.c_str());
        CloseFiles(true);
        Reset();
        return status;
    }

    status = OpenUpdateOutput(inSourceFilePath, inOutputFilePath);
    if (status != eSuccess) {
        CloseFiles(false);
        Reset();
        return status;
    }
    // Offsets of a file with bytes before its header count from the header: so do the update's.
    if (mModifiedFileParser.GetHeaderOffset() != 0) {
        mUpdateOutput = std::make_unique<OutputOffsetStream>(mOutputFile.GetOutputStream(),
                                                             mModifiedFileParser.GetHeaderOffset());
        mObjectsContext.SetOutputStream(mUpdateOutput.get());
    } else {
        mObjectsContext.SetOutputStream(mOutputFile.GetOutputStream());
    }
    mDocumentContext.SetOutputFileInformation(mOutputFile.GetFilePath());
    // A file whose "%%EOF" ends without a line end would have the update's first object on the
    // same line: a reader that scans the file would read it as part of the comment.
    if (!EndsWithEndLine(mModifiedFile.GetInputStream()))
        mObjectsContext.GetValueWriter().WriteBytes(scEndLine, sizeof(scEndLine));

    mModifiedVersion = inPDFVersion;
    mIsModified = true;
    mDocumentStarted = true;
    return eSuccess;
}

OpStatus PDFWriter::OpenUpdateOutput(const std::string& inSourceFilePath, const std::string& inOutputFilePath)
{
    mUpdatesInPlace = inOutputFilePath.empty() || inOutputFilePath == inSourceFilePath ||
                      Platform::IsSameFile(inSourceFilePath, inOutputFilePath);
    if (mUpdatesInPlace) {
        OpStatus status = mOutputFile.OpenFile(inSourceFilePath, true);
        if (status != eSuccess) {
            mUpdatesInPlace = false;
            return status;
        }
        // Nothing is written yet: the position is the file's size, the length it is cut back to.
        mOriginalSize = mOutputFile.GetOutputStream()->TellPosition();
        return eSuccess;
    }

    OpStatus status = mOutputFile.OpenFile(inOutputFilePath);
    if (status != eSuccess)
        return status;
    InputFile source;
    status = source.OpenFile(inSourceFilePath);
    if (status == eSuccess) {
        StreamCopier copier(mOutputFile.GetOutputStream());
        status = copier.CopyToEnd(source.GetInputStream());
        if (source.CloseFile() != eSuccess)
            status = eFailure;
    }
    if (status != eSuccess)
        TraceMessage("PDFWriter::StartIncrementalUpdate, failed to copy %s to %s", inSourceFilePath.c_str(),
                     inOutputFilePath.c_str());
    return status;
}

std::unique_ptr<CopySession> PDFWriter::CreateCopySessionForModifiedFile()
{
    DiagnosticLog::BeginOperation(mModifiedFile.GetFilePath());
    if (!mDocumentStarted || !mIsModified) {
        TraceMessage("PDFWriter::CreateCopySessionForModifiedFile, no file is being modified");
        return nullptr;
    }
    return mDocumentContext.CreateCopySessionForParser(&mModifiedFileParser);
}

OpStatus PDFWriter::EndPDF()
{
    DiagnosticLog::BeginOperation(mOutputFile.GetFilePath());
    if (!mDocumentStarted) {
        TraceMessage("PDFWriter::EndPDF, no PDF was started successfully, nothing to end");
        CloseFiles(true);
        Reset();
        return eFailure;
    }
    // A write the file refused earlier (a full disk) is why the end will fail; it was logged in
    // an operation before this one, so it is said again as this one's reason.
    const std::string refused = mOutputFile.GetWriteFailure();
    if (!refused.empty())
        TraceMessage("PDFWriter::EndPDF, the file cannot be written: %s", refused.c_str());

    OpStatus status = mIsModified
                          ? mDocumentContext.FinalizeModifiedDocument(&mModifiedFileParser, mModifiedVersion, mEmbedFonts)
                          : mDocumentContext.FinalizeNewDocument(mEmbedFonts);
    // A write lost anywhere (a token, stream data, a buffer the file refused) spoils the file
    // even when every step reported success.
    if (status == eSuccess && mObjectsContext.HasFailed())
        status = eFailure;
    if (status != eSuccess) {
        TraceMessage("PDFWriter::EndPDF, Could not end PDF");
        CloseFiles(false);
        Reset();
        return status;
    }

    status = CloseFiles(true);
    Reset();
    return status;
}

OpStatus PDFWriter::CloseFiles(bool inKeepOutput)
{
    OpStatus status = eSuccess;
    bool wasOpen = mOutputFile.IsOpen();
    if (mOutputFile.FlushAndClose() != eSuccess && inKeepOutput) {
        TraceMessage("PDFWriter::EndPDF, Could not close output file");
        status = eFailure;
        inKeepOutput = false;
    }
    if (wasOpen && mUpdatesInPlace && !inKeepOutput) {
        if (!Platform::TruncateFile(mOutputFile.GetFilePath(), mOriginalSize)) {
            TraceMessage("PDFWriter::EndPDF, could not cut %s back to its original %lld bytes",
                         mOutputFile.GetFilePath().c_str(), mOriginalSize);
            status = eFailure;
        }
    }
    mUpdatesInPlace = false;
    mOriginalSize = 0;
    mModifiedFileParser.ResetParser();
    if (mModifiedFile.CloseFile() != eSuccess)
        status = eFailure;
    return status;
}

void PDFWriter::Reset()
{
    mObjectsContext.Reset();
    mUpdateOutput.reset();
    mDocumentContext.ResetForNewDocument();
    mDocumentStarted = false;
    mIsModified = false;
    mModifiedVersion = 0;
}

AppendPagesResult PDFWriter::AppendPDFPagesFromPDF(const std::string& inSourcePath,
                                                   const PageSelection& inPageSelection,
                                                   const std::vector<ObjectIDType>& inExtraObjectIDs)
{
    DiagnosticLog::BeginOperation(inSourcePath);
    return mDocumentContext.AppendPDFPagesFromPDF(inSourcePath, inPageSelection, inExtraObjectIDs);
}

PDFUsedFont* PDFWriter::GetFontForFile(const std::string& inFontFilePath, long inFontIndex)
{
    return mDocumentContext.GetUsedFontsRepository().GetFontForFile(inFontFilePath, inFontIndex);
}
