#include "pdf/io/OutputFile.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/OutputFileStream.h"

OutputFile::~OutputFile()
{
    FlushAndClose();
}

OpStatus OutputFile::CloseStreams()
{
    OpStatus status = mOutputStream->Flush();
    if (mFileStream->Close() != eSuccess)
        status = eFailure;
    mClosedFileFailure = mFileStream->GetFailure();
    delete mOutputStream; // deletes mFileStream too
    mOutputStream = nullptr;
    mFileStream = nullptr;
    return status;
}

OpStatus OutputFile::OpenFile(const std::string& inFilePath, bool inAppend)
{
    if (mOutputStream && CloseStreams() != eSuccess) {
        TraceMessage("OutputFile::OpenFile, Unexpected Failure. Couldn't close previously open file - %s",
                     mFilePath.c_str());
        return eFailure;
    }
    mClosedFileFailure.clear();

    OutputFileStream* fileStream = new OutputFileStream();
    if (fileStream->Open(inFilePath, inAppend) != eSuccess) {
        TraceMessage("OutputFile::OpenFile, Unexpected Failure. Cannot open file for writing - %s", inFilePath.c_str());
        delete fileStream;
        return eFailure;
    }

    mFileStream = fileStream;
    mOutputStream = new OutputBufferedStream(fileStream);
    mFilePath = inFilePath;
    return eSuccess;
}

std::string OutputFile::GetWriteFailure() const
{
    return mFileStream ? mFileStream->GetFailure() : mClosedFileFailure;
}

OpStatus OutputFile::FlushAndClose()
{
    if (!mOutputStream)
        return eSuccess;
    return CloseStreams();
}
