#include "pdf/fonts/FreeTypeWrapper.h"

#include "pdf/fonts/FreeTypeErrorMessages.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/InputFile.h"

#include <cstring>
#include <vector>

namespace {

// A font file as FreeType reads it: its bytes, read once through the library's input file, and
// a stream over them. FreeType reads small pieces all over a font; from the file each of those
// would cost a seek and a read of the system.
struct FontFileData {
    std::vector<Byte> bytes;
    InputByteArrayStream stream;
};

FontFileData* DataOf(FT_Stream inStream)
{
    return static_cast<FontFileData*>(inStream->descriptor.pointer);
}

// A read of count 0 is a seek, which succeeds with 0.
unsigned long ReadStream(FT_Stream inStream, unsigned long inOffset, unsigned char* outBuffer, unsigned long inCount)
{
    FontFileData* data = DataOf(inStream);
    if (!data)
        return inCount == 0 ? 1 : 0;
    data->stream.SeekFromStart(static_cast<LongFilePositionType>(inOffset));
    if (inCount == 0)
        return 0;
    return static_cast<unsigned long>(data->stream.Read(outBuffer, inCount));
}

void CloseStream(FT_Stream inStream)
{
    delete DataOf(inStream);
    inStream->descriptor.pointer = nullptr;
}

void LogFreeTypeError(FT_Error inError)
{
    TraceMessage("FreeTypeWrapper::NewFace, Free Type Error, Code = %d, Message = %s", inError,
                 FreeTypeErrorMessage(inError));
}

} // namespace

FreeTypeWrapper::FreeTypeWrapper()
{
    if (FT_Init_FreeType(&mFreeType) != 0) {
        TraceMessage("FreeTypeWrapper::FreeTypeWrapper, unexpected failure. failed to initialize Free Type");
        mFreeType = nullptr;
    }
}

FreeTypeWrapper::~FreeTypeWrapper()
{
    if (mFreeType)
        FT_Done_FreeType(mFreeType);
    // FreeType has closed every stream of a face it released; close what it never took.
    for (auto& entry : mOpenStreams) {
        for (auto& stream : entry.second)
            CloseStream(stream.get());
    }
}

std::unique_ptr<FT_StreamRec> FreeTypeWrapper::CreateStream(const std::string& inFilePath)
{
    InputFile file;
    if (file.OpenFile(inFilePath) != eSuccess) {
        TraceMessage("FreeTypeWrapper::FillOpenFaceArgumentsForWideString, Cannot Open file for reading %s",
                     inFilePath.c_str());
        return nullptr;
    }
    IByteReaderWithPosition* input = file.GetInputStream();
    input->SeekFromEnd(0);
    LongFilePositionType size = input->TellPosition();
    input->SeekFromStart(0);
    if (size < 0 || static_cast<unsigned long long>(size) > kMaxFontFileBytes) {
        TraceMessage("FreeTypeWrapper::NewFace, the file holds %lld bytes, more than any font file (%llu at most)",
                     static_cast<long long>(size), static_cast<unsigned long long>(kMaxFontFileBytes));
        return nullptr;
    }
    auto data = std::make_unique<FontFileData>();
    data->bytes.resize(static_cast<size_t>(size));
    if (size > 0 && input->Read(data->bytes.data(), data->bytes.size()) != data->bytes.size()) {
        TraceMessage("FreeTypeWrapper::FillOpenFaceArgumentsForWideString, Cannot read the file %s",
                     inFilePath.c_str());
        return nullptr;
    }
    data->stream.Assign(data->bytes.data(), size);

    auto stream = std::make_unique<FT_StreamRec>();
    std::memset(stream.get(), 0, sizeof(FT_StreamRec));
    stream->size = static_cast<unsigned long>(size);
    stream->descriptor.pointer = data.release();
    stream->read = &ReadStream;
    stream->close = &CloseStream;
    return stream;
}

bool FreeTypeWrapper::FillOpenFaceArgumentsForWideString(const std::string& inFilePath, FT_Open_Args& outArguments,
                                                         std::unique_ptr<FT_StreamRec>& outStream)
{
    outStream = CreateStream(inFilePath);
    if (!outStream)
        return false;
    std::memset(&outArguments, 0, sizeof(outArguments));
    outArguments.flags = FT_OPEN_STREAM;
    outArguments.stream = outStream.get();
    return true;
}

FT_Face FreeTypeWrapper::NewFace(const std::string& inFilePath, FT_Long inFaceIndex)
{
    FT_Open_Args arguments;
    std::unique_ptr<FT_StreamRec> stream;
    if (!FillOpenFaceArgumentsForWideString(inFilePath, arguments, stream))
        return nullptr;
    FT_Face face = nullptr;
    FT_Error error = FT_Open_Face(mFreeType, &arguments, inFaceIndex, &face);
    if (error != 0) {
        TraceMessage("FreeTypeWrapper::NewFace, unable to load font named %s with index %ld", inFilePath.c_str(),
                     static_cast<long>(inFaceIndex));
        LogFreeTypeError(error);
        // FreeType may have closed the stream already; closing again is harmless.
        CloseStream(stream.get());
        return nullptr;
    }
    mOpenStreams[face].push_back(std::move(stream));
    return face;
}

FT_Face FreeTypeWrapper::NewFace(const std::string& inFilePath, const std::string& inMetricsFilePath,
                                 FT_Long inFaceIndex)
{
    FT_Face face = NewFace(inFilePath, inFaceIndex);
    if (!face)
        return nullptr;

    FT_Open_Args arguments;
    std::unique_ptr<FT_StreamRec> stream;
    bool attached = false;
    if (FillOpenFaceArgumentsForWideString(inMetricsFilePath, arguments, stream)) {
        FT_Error error = FT_Attach_Stream(face, &arguments);
        if (error == 0) {
            attached = true;
        } else {
            TraceMessage("FreeTypeWrapper::NewFace, unable to load secondary file %s", inMetricsFilePath.c_str());
            LogFreeTypeError(error);
        }
    }
    if (attached) {
        mOpenStreams[face].push_back(std::move(stream));
        return face;
    }
    if (stream)
        CloseStream(stream.get());
    FT_Done_Face(face);
    mOpenStreams.erase(face);
    return nullptr;
}
