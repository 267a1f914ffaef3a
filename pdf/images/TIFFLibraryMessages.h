#pragma once
// libtiff's warnings and errors as trace-log lines ("module: Warning, text." and
// "module: Error, text."), set on each handle through its open options rather than as the
// process-wide handlers, which other users of libtiff in the same process (the OCR tool's image
// reader) keep. The options also cap libtiff's own single allocations.

#include <tiffio.h>

#include <cstdint>
#include <memory>

class TIFFLibraryMessages {
public:
    // The largest buffer that one decoded page, tile or strip may take.
    static constexpr uint64_t kMaxBufferBytes = uint64_t(1) << 30;

    struct OptionsDeleter {
        void operator()(TIFFOpenOptions* inOptions) const { TIFFOpenOptionsFree(inOptions); }
    };
    using OpenOptions = std::unique_ptr<TIFFOpenOptions, OptionsDeleter>;

    // Options for TIFFClientOpenExt with both handlers set and the allocation cap; null when
    // libtiff cannot allocate them.
    static OpenOptions NewOpenOptions();

private:
    static int Warning(TIFF* inTIFF, void* inUserData, const char* inModule, const char* inFormat, va_list inArguments);
    static int Error(TIFF* inTIFF, void* inUserData, const char* inModule, const char* inFormat, va_list inArguments);
    static void Log(const char* inKind, const char* inModule, const char* inFormat, va_list inArguments);
};
