#include "pdf/io/InputDCTDecodeStream.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/KestrinJPGException.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace {

constexpr size_t kSourceBufferSize = 4096;

struct KestrinJPGErrorManager {
    jpeg_error_mgr pub;
    jmp_buf landing;
};

struct KestrinJPGSourceManager {
    jpeg_source_mgr pub;
    IByteReader* stream;
    JOCTET* buffer;
};

void OutputMessageHook(j_common_ptr inInfo)
{
    char text[JMSG_LENGTH_MAX];
    (*inInfo->err->format_message)(inInfo, text);
    KestrinJPGOutputMessage(text);
}

// libjpeg's fatal errors must not unwind through its C frames as an exception; control goes
// back to the guarded call with longjmp, and the C++ side takes it from there.
void ErrorExitHook(j_common_ptr inInfo)
{
    (*inInfo->err->output_message)(inInfo);
    longjmp(reinterpret_cast<KestrinJPGErrorManager*>(inInfo->err)->landing, 1);
}

void ProgressHook(j_common_ptr inInfo)
{
    if (!inInfo->is_decompressor)
        return;
    j_decompress_ptr info = reinterpret_cast<j_decompress_ptr>(inInfo);
    // A crafted progressive file can hold thousands of tiny scans, each a pass over the image.
    if (info->input_scan_number > InputDCTDecodeStream::kMaxProgressiveScans) {
        KestrinJPGOutputMessage("too many scans in progressive JPEG data");
        longjmp(reinterpret_cast<KestrinJPGErrorManager*>(inInfo->err)->landing, 1);
    }
}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr inInfo)
{
    KestrinJPGSourceManager* source = reinterpret_cast<KestrinJPGSourceManager*>(inInfo->src);
    size_t got = 0;
    try {
        if (source->stream->HasMoreBytes())
            got = source->stream->Read(source->buffer, kSourceBufferSize);
    } catch (...) {
        // Nothing may unwind through libjpeg; a source that throws has simply ended.
        got = 0;
    }
    if (got == 0 || got > kSourceBufferSize) {
        // The data ended early: supply an end-of-image marker, so what was read still decodes.
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        got = 2;
    }
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = got;
    return TRUE;
}

void SkipInputData(j_decompress_ptr inInfo, long inCount)
{
    if (inCount <= 0)
        return;
    jpeg_source_mgr* source = inInfo->src;
    while (inCount > static_cast<long>(source->bytes_in_buffer)) {
        inCount -= static_cast<long>(source->bytes_in_buffer);
        FillInputBuffer(inInfo);
    }
    source->next_input_byte += inCount;
    source->bytes_in_buffer -= static_cast<size_t>(inCount);
}

} // namespace

struct InputDCTDecodeStream::DecoderContext {
    jpeg_decompress_struct info;
    KestrinJPGErrorManager error;
    jpeg_progress_mgr progress;
    JSAMPARRAY rows = nullptr;
    JDIMENSION rowsRead = 0;
    IByteReader* stream = nullptr;
};

namespace {

using DecoderContext = InputDCTDecodeStream::DecoderContext;
using GuardedOperation = void (*)(DecoderContext*);

// Runs one libjpeg operation; false when libjpeg gave up on the data. The frames between the
// setjmp here and libjpeg's error hook hold nothing that needs destruction.
bool RunGuarded(DecoderContext* inContext, GuardedOperation inOperation)
{
    if (setjmp(inContext->error.landing))
        return false;
    inOperation(inContext);
    return true;
}

void RunOrThrow(DecoderContext* inContext, GuardedOperation inOperation)
{
    if (!RunGuarded(inContext, inOperation))
        throw KestrinJPGException();
}

void CreateDecompressor(DecoderContext* inContext)
{
    jpeg_create_decompress(&inContext->info);
    inContext->info.mem->max_memory_to_use = InputDCTDecodeStream::kMaxDecoderMemory;
    inContext->progress.progress_monitor = ProgressHook;
    inContext->info.progress = &inContext->progress;

    KestrinJPGSourceManager* source = static_cast<KestrinJPGSourceManager*>((*inContext->info.mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(&inContext->info), JPOOL_PERMANENT, sizeof(KestrinJPGSourceManager)));
    source->buffer = static_cast<JOCTET*>((*inContext->info.mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(&inContext->info), JPOOL_PERMANENT, kSourceBufferSize));
    source->stream = inContext->stream;
    source->pub.init_source = InitSource;
    source->pub.fill_input_buffer = FillInputBuffer;
    source->pub.skip_input_data = SkipInputData;
    source->pub.resync_to_restart = jpeg_resync_to_restart;
    source->pub.term_source = TermSource;
    source->pub.bytes_in_buffer = 0;
    source->pub.next_input_byte = nullptr;
    inContext->info.src = &source->pub;
}

void StartDecompressor(DecoderContext* inContext)
{
    jpeg_read_header(&inContext->info, TRUE);
    jpeg_start_decompress(&inContext->info);
    JDIMENSION rowSize = inContext->info.output_width * static_cast<JDIMENSION>(inContext->info.output_components);
    inContext->rows = (*inContext->info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&inContext->info), JPOOL_IMAGE,
                                                           rowSize, static_cast<JDIMENSION>(inContext->info.rec_outbuf_height));
}

void ReadScanlines(DecoderContext* inContext)
{
    inContext->rowsRead = 0;
    inContext->rowsRead = jpeg_read_scanlines(&inContext->info, inContext->rows,
                                              static_cast<JDIMENSION>(inContext->info.rec_outbuf_height));
}

} // namespace

InputDCTDecodeStream::InputDCTDecodeStream(IByteReader* inSourceStream) : mStream(inSourceStream)
{
}

InputDCTDecodeStream::~InputDCTDecodeStream()
{
    if (mIsInitialized)
        jpeg_destroy_decompress(&mDecoder->info);
    delete mStream;
}

OpStatus InputDCTDecodeStream::InitializeDecodingState()
{
    if (mIsInitialized)
        return eSuccess;
    if (!mStream) {
        mFailed = true;
        return eFailure;
    }
    mDecoder.reset(new DecoderContext());
    memset(&mDecoder->info, 0, sizeof(mDecoder->info));
    memset(&mDecoder->progress, 0, sizeof(mDecoder->progress));
    mDecoder->stream = mStream;
    mDecoder->info.err = jpeg_std_error(&mDecoder->error.pub);
    mDecoder->error.pub.error_exit = ErrorExitHook;
    mDecoder->error.pub.output_message = OutputMessageHook;
    try {
        RunOrThrow(mDecoder.get(), CreateDecompressor);
    } catch (const KestrinJPGException&) {
        TraceMessage("InputDCTDecodeStream::InitializeDecodingState, caught exception in jpg decoding");
        // Whatever libjpeg had set up before it gave up is released here.
        jpeg_destroy_decompress(&mDecoder->info);
        mDecoder.reset();
        mFailed = true;
        return eFailure;
    }
    mIsInitialized = true;
    return eSuccess;
}

OpStatus InputDCTDecodeStream::StartRead()
{
    try {
        RunOrThrow(mDecoder.get(), StartDecompressor);
    } catch (const KestrinJPGException&) {
        TraceMessage("InputDCTDecodeStream::StartRead, caught exception in jpg decoding");
        mFailed = true;
        return eFailure;
    }
    mRowSize = static_cast<size_t>(mDecoder->info.output_width) * static_cast<size_t>(mDecoder->info.output_components);
    mRowsInBuffer = 0;
    mCurrentRow = 0;
    mOffsetInRow = 0;
    mIsStarted = true;
    return eSuccess;
}

bool InputDCTDecodeStream::ReadNextRows()
{
    try {
        RunOrThrow(mDecoder.get(), ReadScanlines);
    } catch (const KestrinJPGException&) {
        TraceMessage("InputDCTDecodeStream::Read, caught exception in jpg decoding");
        mFailed = true;
        return false;
    }
    mRowsInBuffer = mDecoder->rowsRead;
    mCurrentRow = 0;
    mOffsetInRow = 0;
    if (mRowsInBuffer == 0) {
        // Cannot happen with a source that never suspends; stop rather than spin.
        TraceMessage("InputDCTDecodeStream::Read, jpg decoder gave no rows before the end of the image");
        mFailed = true;
        return false;
    }
    return true;
}

size_t InputDCTDecodeStream::Read(Byte* inBuffer, size_t inBufferSize)
{
    if (!mIsInitialized || mFailed)
        return 0;
    if (!mIsStarted && StartRead() != eSuccess)
        return 0;

    size_t produced = 0;
    while (produced < inBufferSize) {
        if (mCurrentRow >= mRowsInBuffer) {
            if (mDecoder->info.output_scanline >= mDecoder->info.output_height)
                break;
            if (!ReadNextRows())
                break; // what was copied so far stays with the caller
        }
        size_t take = mRowSize - mOffsetInRow;
        if (take > inBufferSize - produced)
            take = inBufferSize - produced;
        memcpy(inBuffer + produced, mDecoder->rows[mCurrentRow] + mOffsetInRow, take);
        produced += take;
        mOffsetInRow += take;
        if (mOffsetInRow == mRowSize) {
            ++mCurrentRow;
            mOffsetInRow = 0;
        }
    }
    return produced;
}

bool InputDCTDecodeStream::HasMoreBytes()
{
    if (!mStream || !mIsInitialized || mFailed)
        return false;
    return !(mIsStarted && mCurrentRow >= mRowsInBuffer && mDecoder->info.output_scanline >= mDecoder->info.output_height);
}
