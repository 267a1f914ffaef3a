#include "pdf/fonts/Type1Input.h"

#include "pdf/fonts/StandardEncoding.h"
#include "pdf/io/DiagnosticLog.h"

OpStatus Type1Input::ParseFontFile(IByteReader*)
{
    TraceMessage("Type1Input::ParseFontFile, reading Type 1 font files is not available in this build");
    return eFailure;
}

std::string Type1Input::GlyphNameOfCharCode(Byte inCharCode)
{
    return StandardEncoding::GlyphName(inCharCode);
}
