#pragma once
// A zlib inflate state with its input buffer, made once and reset for each stream it decodes:
// a parser keeps one for all the Flate streams it reads, since making a state (and its window)
// costs more than decoding a small object stream. One reader at a time holds it (TryTake ...
// Give); a reader that finds it held makes a state of its own. Begin readies it for a new
// stream whatever the last one left behind, a damaged stream included.

#include "pdf/io/IOBasicTypes.h"

#include <zlib.h>

#include <memory>

class InflateState {
public:
    static constexpr size_t kInputSize = 0x10000;

    InflateState() = default;
    ~InflateState();
    InflateState(const InflateState&) = delete;
    InflateState& operator=(const InflateState&) = delete;

    // Initialises zlib the first time and resets it afterwards, with no input pending; zlib's
    // status (Z_OK on success).
    int Begin();
    z_stream& Stream() { return mStream; }
    Byte* Input() { return mInput.get(); }

    bool TryTake();
    void Give() { mTaken = false; }

private:
    z_stream mStream{};
    bool mInitialised = false;
    bool mTaken = false;
    std::unique_ptr<Byte[]> mInput;
};
