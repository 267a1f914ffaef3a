#pragma once

#include "pdf/io/IByteReaderWithPosition.h"

class IReadPositionProvider {
public:
    virtual ~IReadPositionProvider() {}
    virtual LongFilePositionType TellPosition() = 0;
};

// Lets a positioned reader answer where it is, for code that only needs the position.
class AdapterIByteReaderWithPositionToIReadPositionProvider : public IReadPositionProvider {
public:
    AdapterIByteReaderWithPositionToIReadPositionProvider(IByteReaderWithPosition* inStream = nullptr)
        : mStream(inStream) {}
    void Assign(IByteReaderWithPosition* inStream) { mStream = inStream; }
    LongFilePositionType TellPosition() override { return mStream ? mStream->TellPosition() : 0; }

private:
    IByteReaderWithPosition* mStream;
};
