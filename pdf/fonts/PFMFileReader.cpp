#include "pdf/fonts/PFMFileReader.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputFile.h"

OpStatus PFMFileReader::Read(const std::string& inPFMFilePath)
{
    InputFile file;
    if (file.OpenFile(inPFMFilePath) != eSuccess) {
        TraceMessage("PFMFileReader::Read, unable to open PFM file in %s", inPFMFilePath.c_str());
        mHeader = PFMHeader();
        mExtension = PFMExtension();
        mExtendedTextMetrics = PFMExtendedTextMetrics();
        return eFailure;
    }
    OpStatus status = ReadStream(file.GetInputStream());
    file.CloseFile();
    if (status != eSuccess)
        TraceMessage("PFMFileReader::Read, the PFM file %s is too short", inPFMFilePath.c_str());
    return status;
}

OpStatus PFMFileReader::ReadStream(IByteReaderWithPosition* inStream)
{
    mHeader = PFMHeader();
    mExtension = PFMExtension();
    mExtendedTextMetrics = PFMExtendedTextMetrics();
    mStream = inStream;
    mStatus = inStream ? eSuccess : eFailure;
    if (mStatus == eSuccess) {
        mStream->SeekFromStart(0);
        ReadHeader();
    }
    if (mStatus == eSuccess)
        ReadExtension();
    if (mStatus == eSuccess)
        ReadExtendedTextMetrics();
    mStream = nullptr;
    return mStatus;
}

Byte PFMFileReader::ReadByte()
{
    Byte value = 0;
    if (mStatus != eSuccess || mStream->Read(&value, 1) != 1) {
        mStatus = eFailure;
        return 0;
    }
    return value;
}

uint16_t PFMFileReader::ReadWord()
{
    uint16_t low = ReadByte();
    uint16_t high = ReadByte();
    return static_cast<uint16_t>(low | (high << 8));
}

uint32_t PFMFileReader::ReadDWord()
{
    uint32_t low = ReadWord();
    uint32_t high = ReadWord();
    return low | (high << 16);
}

void PFMFileReader::ReadHeader()
{
    PFMHeader& h = mHeader;
    h.dfVersion = ReadWord();
    h.dfSize = ReadDWord();
    for (Byte& value : h.dfCopyright)
        value = ReadByte();
    h.dfType = ReadWord();
    h.dfPoints = ReadWord();
    h.dfVertRes = ReadWord();
    h.dfHorizRes = ReadWord();
    h.dfAscent = ReadWord();
    h.dfInternalLeading = ReadWord();
    h.dfExternalLeading = ReadWord();
    h.dfItalic = ReadByte();
    h.dfUnderline = ReadByte();
    h.dfStrikeOut = ReadByte();
    h.dfWeight = ReadWord();
    h.dfCharSet = ReadByte();
    h.dfPixWidth = ReadWord();
    h.dfPixHeight = ReadWord();
    h.dfPitchAndFamily = ReadByte();
    h.dfAvgWidth = ReadWord();
    h.dfMaxWidth = ReadWord();
    h.dfFirstChar = ReadByte();
    h.dfLastChar = ReadByte();
    h.dfDefaultChar = ReadByte();
    h.dfBreakChar = ReadByte();
    h.dfWidthBytes = ReadWord();
    h.dfDevice = ReadDWord();
    h.dfFace = ReadDWord();
    h.dfBitsPointer = ReadDWord();
    h.dfBitsOffset = ReadDWord();
}

void PFMFileReader::ReadExtension()
{
    PFMExtension& e = mExtension;
    e.dfSizeFields = ReadWord();
    e.dfExtMetricsOffset = ReadDWord();
    e.dfExtentTable = ReadDWord();
    e.dfOriginTable = ReadDWord();
    e.dfPairKernTable = ReadDWord();
    e.dfTrackKernTable = ReadDWord();
    e.dfDriverInfo = ReadDWord();
    e.dfReserved = ReadDWord();
}

void PFMFileReader::ReadExtendedTextMetrics()
{
    // The extended metrics stand where the extension says; producers put the device name or
    // other tables between, so reading right after the extension would take those for metrics.
    // An offset inside the header or extension, or past the end of the file, is not believed.
    const uint32_t afterExtension = kHeaderSize + kExtensionSize;
    uint32_t offset = mExtension.dfExtMetricsOffset;
    if (offset > afterExtension) {
        LongFilePositionType position = mStream->TellPosition();
        mStream->SeekFromEnd(0);
        LongFilePositionType size = mStream->TellPosition();
        mStream->SeekFromStart(static_cast<LongFilePositionType>(offset) + 2 * 24 <= size ? offset : position);
    }
    uint16_t* fields[] = {
        &mExtendedTextMetrics.etmSize, &mExtendedTextMetrics.etmPointSize,
        &mExtendedTextMetrics.etmOrientation, &mExtendedTextMetrics.etmMasterHeight,
        &mExtendedTextMetrics.etmMinScale, &mExtendedTextMetrics.etmMaxScale,
        &mExtendedTextMetrics.etmMasterUnits, &mExtendedTextMetrics.etmCapHeight,
        &mExtendedTextMetrics.etmXHeight, &mExtendedTextMetrics.etmLowerCaseAscent,
        &mExtendedTextMetrics.etmLowerCaseDescent, &mExtendedTextMetrics.etmSlant,
        &mExtendedTextMetrics.etmSuperScript, &mExtendedTextMetrics.etmSubScript,
        &mExtendedTextMetrics.etmSuperScriptSize, &mExtendedTextMetrics.etmSubScriptSize,
        &mExtendedTextMetrics.etmUnderlineOffset, &mExtendedTextMetrics.etmUnderlineWidth,
        &mExtendedTextMetrics.etmDoubleUpperUnderlineOffset, &mExtendedTextMetrics.etmDoubleLowerUnderlineOffset,
        &mExtendedTextMetrics.etmDoubleUpperUnderlineWidth, &mExtendedTextMetrics.etmDoubleLowerUnderlineWidth,
        &mExtendedTextMetrics.etmStrikeOutOffset, &mExtendedTextMetrics.etmStrikeOutWidth};
    for (uint16_t* field : fields)
        *field = ReadWord();
}
