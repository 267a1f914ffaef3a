#include "pdf/io/InputFile.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputFileStream.h"

InputFile::~InputFile()
{
    CloseFile();
}

OpStatus InputFile::CloseFile()
{
    if (!mInputStream)
        return eSuccess;
    OpStatus status = mFileStream->Close();
    delete mInputStream; // deletes mFileStream too
    mInputStream = nullptr;
    mFileStream = nullptr;
    return status;
}

OpStatus InputFile::OpenFile(const std::string& inFilePath)
{
    if (CloseFile() != eSuccess) {
        TraceMessage("InputFile::OpenFile, Unexpected Failure. Couldn't close previously open file - %s",
                     mFilePath.c_str());
        return eFailure;
    }

    InputFileStream* fileStream = new InputFileStream();
    if (fileStream->OpenForReading(inFilePath) != eSuccess) {
        TraceMessage("InputFile::OpenFile, Unexpected Failure. Cannot open file for reading - %s", inFilePath.c_str());
        delete fileStream;
        return eFailure;
    }

    mFileStream = fileStream;
    mInputStream = new InputBufferedStream(fileStream, InputBufferedStream::kDefaultBufferSize);
    mFilePath = inFilePath;
    return eSuccess;
}
