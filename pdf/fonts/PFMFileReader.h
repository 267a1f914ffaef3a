#pragma once
// The Windows printer font metrics (PFM) that may come with a Type 1 font: the header, its
// extension and the first 24 fields of the extended text metrics, all little-endian. The
// extended metrics are read where dfExtMetricsOffset points when that lies past the extension,
// else right after it. Once a byte cannot be read the status stays -1 and every later field
// reads as 0.

#include "pdf/io/IByteReaderWithPosition.h"

#include <cstdint>
#include <string>

struct PFMHeader {
    uint16_t dfVersion = 0;
    uint32_t dfSize = 0;
    Byte dfCopyright[60] = {};
    uint16_t dfType = 0;
    uint16_t dfPoints = 0;
    uint16_t dfVertRes = 0;
    uint16_t dfHorizRes = 0;
    uint16_t dfAscent = 0;
    uint16_t dfInternalLeading = 0;
    uint16_t dfExternalLeading = 0;
    Byte dfItalic = 0;
    Byte dfUnderline = 0;
    Byte dfStrikeOut = 0;
    uint16_t dfWeight = 0;
    Byte dfCharSet = 0;
    uint16_t dfPixWidth = 0;
    uint16_t dfPixHeight = 0;
    Byte dfPitchAndFamily = 0;
    uint16_t dfAvgWidth = 0;
    uint16_t dfMaxWidth = 0;
    Byte dfFirstChar = 0;
    Byte dfLastChar = 0;
    Byte dfDefaultChar = 0;
    Byte dfBreakChar = 0;
    uint16_t dfWidthBytes = 0;
    uint32_t dfDevice = 0;
    uint32_t dfFace = 0;
    uint32_t dfBitsPointer = 0;
    uint32_t dfBitsOffset = 0;
};

struct PFMExtension {
    uint16_t dfSizeFields = 0;
    uint32_t dfExtMetricsOffset = 0;
    uint32_t dfExtentTable = 0;
    uint32_t dfOriginTable = 0;
    uint32_t dfPairKernTable = 0;
    uint32_t dfTrackKernTable = 0;
    uint32_t dfDriverInfo = 0;
    uint32_t dfReserved = 0;
};

struct PFMExtendedTextMetrics {
    uint16_t etmSize = 0;
    uint16_t etmPointSize = 0;
    uint16_t etmOrientation = 0;
    uint16_t etmMasterHeight = 0;
    uint16_t etmMinScale = 0;
    uint16_t etmMaxScale = 0;
    uint16_t etmMasterUnits = 0;
    uint16_t etmCapHeight = 0;
    uint16_t etmXHeight = 0;
    uint16_t etmLowerCaseAscent = 0;
    uint16_t etmLowerCaseDescent = 0;
    uint16_t etmSlant = 0;
    uint16_t etmSuperScript = 0;
    uint16_t etmSubScript = 0;
    uint16_t etmSuperScriptSize = 0;
    uint16_t etmSubScriptSize = 0;
    uint16_t etmUnderlineOffset = 0;
    uint16_t etmUnderlineWidth = 0;
    uint16_t etmDoubleUpperUnderlineOffset = 0;
    uint16_t etmDoubleLowerUnderlineOffset = 0;
    uint16_t etmDoubleUpperUnderlineWidth = 0;
    uint16_t etmDoubleLowerUnderlineWidth = 0;
    uint16_t etmStrikeOutOffset = 0;
    uint16_t etmStrikeOutWidth = 0;
};

class PFMFileReader {
public:
    static constexpr uint32_t kHeaderSize = 117;
    static constexpr uint32_t kExtensionSize = 30;

    OpStatus Read(const std::string& inPFMFilePath);
    // The same over an open stream (not owned), from its start.
    OpStatus ReadStream(IByteReaderWithPosition* inStream);

    const PFMHeader& Header() const { return mHeader; }
    const PFMExtension& Extension() const { return mExtension; }
    const PFMExtendedTextMetrics& ExtendedTextMetrics() const { return mExtendedTextMetrics; }

    Byte PitchAndFamily() const { return mHeader.dfPitchAndFamily; }
    uint16_t CapHeight() const { return mExtendedTextMetrics.etmCapHeight; }
    uint16_t XHeight() const { return mExtendedTextMetrics.etmXHeight; }

private:
    void ReadHeader();
    void ReadExtension();
    void ReadExtendedTextMetrics();
    Byte ReadByte();
    uint16_t ReadWord();
    uint32_t ReadDWord();

    PFMHeader mHeader;
    PFMExtension mExtension;
    PFMExtendedTextMetrics mExtendedTextMetrics;
    IByteReaderWithPosition* mStream = nullptr;
    OpStatus mStatus = eSuccess;
};
