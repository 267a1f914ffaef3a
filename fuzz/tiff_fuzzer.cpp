// libFuzzer target: the fuzzer's bytes as a TIFF file, measured and placed as a form XObject
// (its first two pages) in a document written into memory. Built and run by
// fuzz/run-tiff-fuzzer.sh; not part of the test suite.

#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/OutputStringBufferStream.h"
#include "pdf/writing/DocumentContext.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/OutputFormXObject.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* inData, size_t inSize)
{
    OutputStringBufferStream output;
    ObjectsContext objects;
    objects.SetOutputStream(&output);
    DocumentContext document(&objects);
    TIFFImageHandler& handler = document.GetTIFFImageHandler();
    for (unsigned int page = 0; page < 2; ++page) {
        InputByteArrayStream measured(inData, static_cast<LongFilePositionType>(inSize));
        handler.ReadImageDimensions(&measured, page);
        InputByteArrayStream placed(inData, static_cast<LongFilePositionType>(inSize));
        TIFFImageOptions options;
        options.mPageIndex = page;
        handler.CreateFormXObjectFromTIFFFile(&placed, objects.GetInDirectObjectsRegistry().ReserveNewObjectID(),
                                              options);
    }
    return 0;
}
