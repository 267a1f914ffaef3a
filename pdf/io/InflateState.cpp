#include "pdf/io/InflateState.h"

InflateState::~InflateState()
{
    if (mInitialised)
        inflateEnd(&mStream);
}

int InflateState::Begin()
{
    int status = mInitialised ? inflateReset(&mStream) : inflateInit(&mStream);
    if (status != Z_OK) {
        // A state zlib refused to reset is made anew next time.
        if (mInitialised)
            inflateEnd(&mStream);
        mInitialised = false;
        mStream = z_stream{};
        return status;
    }
    mInitialised = true;
    if (!mInput)
        mInput.reset(new Byte[kInputSize]);
    mStream.next_in = mInput.get();
    mStream.avail_in = 0;
    return Z_OK;
}

bool InflateState::TryTake()
{
    if (mTaken)
        return false;
    mTaken = true;
    return true;
}
