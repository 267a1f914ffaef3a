#include "pdf/fonts/PFMFileReader.h"

#include "pdf/io/DiagnosticLog.h"

OpStatus PFMFileReader::Read(const std::string& inPFMFilePath)
{
    TraceMessage("PFMFileReader::Read, reading PFM files is not available in this build (%s)", inPFMFilePath.c_str());
    return eFailure;
}
