#include "pdf/images/TIFFReadingHandle.h"

#include "pdf/images/TIFFLibraryMessages.h"

#include <cstdio>
#include <limits>

namespace {

const toff_t kSeekFailed = static_cast<toff_t>(-1);
const toff_t kMaxOffset = static_cast<toff_t>(std::numeric_limits<LongFilePositionType>::max() / 2);

} // namespace

TIFFReadingHandle::TIFFReadingHandle(IByteReaderWithPosition* inStream)
    : mStream(inStream), mStart(inStream ? inStream->TellPosition() : 0)
{
}

TIFFReadingHandle::~TIFFReadingHandle()
{
    if (mTIFF)
        TIFFClose(mTIFF);
}

bool TIFFReadingHandle::Open()
{
    if (!mStream || mTIFF)
        return mTIFF != nullptr;
    TIFFLibraryMessages::OpenOptions options = TIFFLibraryMessages::NewOpenOptions();
    if (!options)
        return false;
    // "m": never map, the procedures read the stream.
    mTIFF = TIFFClientOpenExt("Stream", "rm", static_cast<thandle_t>(this), &Read, &Write, &Seek, &Close, &Size, &Map,
                              &Unmap, options.get());
    return mTIFF != nullptr;
}

LongFilePositionType TIFFReadingHandle::DataSize()
{
    return static_cast<LongFilePositionType>(Size(static_cast<thandle_t>(this)));
}

tmsize_t TIFFReadingHandle::Read(thandle_t inHandle, void* inBuffer, tmsize_t inSize)
{
    TIFFReadingHandle* self = static_cast<TIFFReadingHandle*>(inHandle);
    if (inSize <= 0)
        return 0;
    Byte* buffer = static_cast<Byte*>(inBuffer);
    size_t wanted = static_cast<size_t>(inSize);
    size_t total = 0;
    while (total < wanted) {
        size_t got = self->mStream->Read(buffer + total, wanted - total);
        if (got == 0)
            break;
        total += got;
    }
    return static_cast<tmsize_t>(total);
}

tmsize_t TIFFReadingHandle::Write(thandle_t, void*, tmsize_t)
{
    return 0;
}

toff_t TIFFReadingHandle::Seek(thandle_t inHandle, toff_t inOffset, int inWhence)
{
    TIFFReadingHandle* self = static_cast<TIFFReadingHandle*>(inHandle);
    IByteReaderWithPosition* stream = self->mStream;
    // Offsets come from the file; one that cannot be a position fails instead of wrapping.
    switch (inWhence) {
    case SEEK_SET:
        if (inOffset > kMaxOffset)
            return kSeekFailed;
        stream->SeekFromStart(self->mStart + static_cast<LongFilePositionType>(inOffset));
        break;
    case SEEK_CUR:
        if (inOffset > kMaxOffset)
            return kSeekFailed;
        stream->SkipForward(static_cast<size_t>(inOffset));
        break;
    case SEEK_END:
    {
        // A signed amount carried in an unsigned type; a reading handle goes no further than the end.
        int64_t signedOffset = static_cast<int64_t>(inOffset);
        int64_t back = 0;
        if (signedOffset < 0 && signedOffset > -static_cast<int64_t>(kMaxOffset))
            back = -signedOffset;
        stream->SeekFromEnd(back);
        break;
    }
    default:
        return kSeekFailed;
    }
    LongFilePositionType position = stream->TellPosition() - self->mStart;
    return position < 0 ? kSeekFailed : static_cast<toff_t>(position);
}

int TIFFReadingHandle::Close(thandle_t)
{
    return 0;
}

toff_t TIFFReadingHandle::Size(thandle_t inHandle)
{
    TIFFReadingHandle* self = static_cast<TIFFReadingHandle*>(inHandle);
    IByteReaderWithPosition* stream = self->mStream;
    LongFilePositionType position = stream->TellPosition();
    stream->SeekFromEnd(0);
    LongFilePositionType end = stream->TellPosition();
    stream->SeekFromStart(position);
    return end > self->mStart ? static_cast<toff_t>(end - self->mStart) : 0;
}

int TIFFReadingHandle::Map(thandle_t, void**, toff_t*)
{
    return 0;
}

void TIFFReadingHandle::Unmap(thandle_t, void*, toff_t) {}
