#include "pdf/images/TIFFLibraryMessages.h"

#include "pdf/io/DiagnosticLog.h"

#include <cstdio>
#include <string>

TIFFLibraryMessages::OpenOptions TIFFLibraryMessages::NewOpenOptions()
{
    OpenOptions options(TIFFOpenOptionsAlloc());
    if (!options)
        return options;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), &TIFFLibraryMessages::Error, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), &TIFFLibraryMessages::Warning, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxBufferBytes));
    return options;
}

int TIFFLibraryMessages::Warning(TIFF*, void*, const char* inModule, const char* inFormat, va_list inArguments)
{
    Log(": Warning, ", inModule, inFormat, inArguments);
    return 1; // handled: libtiff's process-wide handler (stderr) is not called
}

int TIFFLibraryMessages::Error(TIFF*, void*, const char* inModule, const char* inFormat, va_list inArguments)
{
    Log(": Error, ", inModule, inFormat, inArguments);
    return 1;
}

void TIFFLibraryMessages::Log(const char* inKind, const char* inModule, const char* inFormat, va_list inArguments)
{
    if (!DiagnosticLog::Instance().IsEnabled())
        return;
    std::string format = std::string(inModule ? inModule : "") + inKind + (inFormat ? inFormat : "") + ".";
    char buffer[DiagnosticLog::kMaxMessageLength + 1];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    vsnprintf(buffer, sizeof(buffer), format.c_str(), inArguments);
#pragma GCC diagnostic pop
    TraceMessage("%s", buffer);
}
