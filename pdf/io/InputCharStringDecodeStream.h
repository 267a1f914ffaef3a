#pragma once
// Decrypts a Type 1 charstring read from a source it does not own (r = 4330, c1 = 52845,
// c2 = 22719). StartDecryption drops the font's lenIV leading bytes. A source read that yields
// nothing ends the stream, so no caller loops on it.

#include "pdf/io/IByteReader.h"

#include <cstdint>

class InputCharStringDecodeStream : public IByteReader {
public:
    explicit InputCharStringDecodeStream(IByteReader* inSourceStream = nullptr) : mSource(inSourceStream) {}

    void Assign(IByteReader* inSourceStream);

    // Resets the key and reads and drops the first inLenIV plain bytes (none when it is 0 or less).
    void StartDecryption(int inLenIV);

    size_t Read(Byte* inBuffer, size_t inBufferSize) override;
    bool HasMoreBytes() override;

private:
    bool ReadDecryptedByte(Byte& outByte);

    IByteReader* mSource;
    uint16_t mRandomizer = 4330;
    bool mFailed = false;
};
