#include "pdf/fonts/CFFFileInput.h"

#include "pdf/io/DiagnosticLog.h"

OpStatus CFFFileInput::ReadCFFFile(IByteReaderWithPosition*)
{
    ReleaseReadData();
    TraceMessage("CFFFileInput::ReadCFFFile, reading CFF font programs is not available in this build");
    return eFailure;
}
