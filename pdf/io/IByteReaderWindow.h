#pragma once
// A reader whose next bytes already lie in memory and can be looked at in place: a tokenizer takes
// them without a call per byte. ReadWindow gives the unread bytes it holds (filling first when it
// holds none); ConsumeWindow marks some of them read. Any other call on the reader may move or
// refill the window, so a window is used only until the next call.

#include "pdf/io/IOBasicTypes.h"

class IByteReaderWindow {
public:
    virtual ~IByteReaderWindow() {}
    // The unread bytes in memory and their count; a count of 0 at the end of the data.
    virtual const Byte* ReadWindow(size_t& outAvailable) = 0;
    // inCount is at most the count ReadWindow gave.
    virtual void ConsumeWindow(size_t inCount) = 0;
};
