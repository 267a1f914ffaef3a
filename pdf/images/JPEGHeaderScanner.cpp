#include "pdf/images/JPEGHeaderScanner.h"

#include "pdf/io/DiagnosticLog.h"

#include <cstdint>
#include <cstring>

namespace {

const Byte kMarkerPrefix = 0xFF;
const Byte kStartOfImage = 0xD8;
const Byte kEndOfImage = 0xD9;
const Byte kStartOfScan = 0xDA;
const Byte kAPP0 = 0xE0;
const Byte kAPP1 = 0xE1;
const Byte kAPP13 = 0xED;
const Byte kAPP14 = 0xEE;

// Frame headers of every coding process; C4 (Huffman tables), C8 (reserved) and CC (arithmetic
// conditioning) share the range but are not frames.
bool IsStartOfFrame(Byte inCode)
{
    return inCode >= 0xC0 && inCode <= 0xCF && inCode != 0xC4 && inCode != 0xC8 && inCode != 0xCC;
}

// Markers that stand alone, without a length: TEM, RST0-RST7 and SOI.
bool IsStandalone(Byte inCode)
{
    return inCode == 0x01 || (inCode >= 0xD0 && inCode <= 0xD8);
}

// Reads of a segment's data: each checks that the bytes lie inside it.
class SegmentView {
public:
    SegmentView(const Byte* inData, size_t inSize, bool inBigEndian = true)
        : mData(inData), mSize(inSize), mBigEndian(inBigEndian)
    {
    }
    size_t Size() const { return mSize; }
    bool Has(uint64_t inOffset, uint64_t inCount) const { return inOffset <= mSize && inCount <= mSize - inOffset; }
    bool Matches(uint64_t inOffset, const char* inText, size_t inCount) const
    {
        return Has(inOffset, inCount) && std::memcmp(mData + inOffset, inText, inCount) == 0;
    }
    bool Byte8(uint64_t inOffset, unsigned& outValue) const
    {
        if (!Has(inOffset, 1))
            return false;
        outValue = mData[inOffset];
        return true;
    }
    bool Unsigned16(uint64_t inOffset, unsigned& outValue) const
    {
        if (!Has(inOffset, 2))
            return false;
        const Byte* at = mData + inOffset;
        outValue = mBigEndian ? (unsigned(at[0]) << 8) | at[1] : (unsigned(at[1]) << 8) | at[0];
        return true;
    }
    bool Unsigned32(uint64_t inOffset, uint32_t& outValue) const
    {
        if (!Has(inOffset, 4))
            return false;
        const Byte* at = mData + inOffset;
        outValue = mBigEndian ? (uint32_t(at[0]) << 24) | (uint32_t(at[1]) << 16) | (uint32_t(at[2]) << 8) | at[3]
                              : (uint32_t(at[3]) << 24) | (uint32_t(at[2]) << 16) | (uint32_t(at[1]) << 8) | at[0];
        return true;
    }

private:
    const Byte* mData;
    size_t mSize;
    bool mBigEndian;
};

// Reads exactly one byte; false at the end of the data.
bool ReadByte(IByteReader* inStream, Byte& outByte)
{
    return inStream->Read(&outByte, 1) == 1;
}

} // namespace

OpStatus JPEGHeaderScanner::ScanHeader(IByteReader* inJPEGStream, JPEGImageInformation& outInformation)
{
    outInformation = JPEGImageInformation();
    Byte first = 0;
    Byte second = 0;
    if (!ReadByte(inJPEGStream, first) || !ReadByte(inJPEGStream, second) || first != kMarkerPrefix ||
        second != kStartOfImage) {
        TraceMessage("JPEGHeaderScanner::ScanHeader, the data does not begin with a JPEG start of image marker");
        return eFailure;
    }

    bool frameRead = false;
    bool jfifRead = false;
    bool exifRead = false;
    // Every pass consumes at least two bytes, so the walk ends with the data.
    for (;;) {
        Byte prefix = 0;
        if (!ReadByte(inJPEGStream, prefix) || prefix != kMarkerPrefix)
            break;
        // Any number of FF fill bytes may stand before a marker code.
        Byte code = kMarkerPrefix;
        bool haveCode = true;
        while (haveCode && code == kMarkerPrefix)
            haveCode = ReadByte(inJPEGStream, code);
        // 00 after FF is a stuffed data byte, not a marker: whatever follows is not a header.
        if (!haveCode || code == 0x00 || code == kEndOfImage || code == kStartOfScan)
            break;
        if (IsStandalone(code))
            continue;

        Byte lengthBytes[2];
        if (inJPEGStream->Read(lengthBytes, 2) != 2)
            break;
        unsigned length = (unsigned(lengthBytes[0]) << 8) | lengthBytes[1];
        if (length < 2) {
            // The length counts its own two bytes; less than that has no reading at all.
            TraceMessage("JPEGHeaderScanner::ScanHeader, segment of marker %02X declares a length of %u", code,
                         length);
            return eFailure;
        }
        // A buffer of the segment's own size, so that no read can stray into a longer earlier one.
        std::vector<Byte> segment(length - 2);
        if (!segment.empty() && inJPEGStream->Read(segment.data(), segment.size()) != segment.size())
            break; // a segment cut short by the end of the file ends the walk

        if (IsStartOfFrame(code)) {
            // The first frame describes the image; later ones belong to hierarchical refinements.
            if (!frameRead) {
                if (ReadFrame(segment, outInformation) != eSuccess)
                    return eFailure;
                frameRead = true;
            }
        } else if (code == kAPP0) {
            if (!jfifRead)
                jfifRead = ReadJFIF(segment, outInformation);
        } else if (code == kAPP1) {
            // XMP and other blocks share APP1; only the first Exif block counts.
            if (!exifRead)
                exifRead = ReadExif(segment, outInformation);
        } else if (code == kAPP13) {
            if (!outInformation.PhotoshopInformationExists)
                ReadPhotoshop(segment, outInformation);
        } else if (code == kAPP14) {
            if (!outInformation.AdobeInformationExists)
                ReadAdobe(segment, outInformation);
        }
    }

    if (!frameRead) {
        TraceMessage("JPEGHeaderScanner::ScanHeader, no frame header before the image data");
        return eFailure;
    }
    if (outInformation.SamplesWidth == 0 || outInformation.SamplesHeight == 0) {
        // A height of 0 defers it to a DNL marker after the first scan, which no PDF reader
        // takes from a DCT image; a width of 0 is not allowed at all.
        TraceMessage("JPEGHeaderScanner::ScanHeader, the frame declares an image of %lld x %lld pixels",
                     outInformation.SamplesWidth, outInformation.SamplesHeight);
        return eFailure;
    }
    return eSuccess;
}

OpStatus JPEGHeaderScanner::ReadFrame(const std::vector<Byte>& inSegment, JPEGImageInformation& ioInformation)
{
    // Precision (any value), height, width, component count.
    SegmentView view(inSegment.data(), inSegment.size());
    unsigned height = 0;
    unsigned width = 0;
    unsigned components = 0;
    if (!view.Unsigned16(1, height) || !view.Unsigned16(3, width) || !view.Byte8(5, components)) {
        TraceMessage("JPEGHeaderScanner::ReadFrame, the frame header holds only %zu bytes", inSegment.size());
        return eFailure;
    }
    ioInformation.SamplesHeight = height;
    ioInformation.SamplesWidth = width;
    ioInformation.ColorComponentsCount = static_cast<int>(components);
    return eSuccess;
}

bool JPEGHeaderScanner::ReadJFIF(const std::vector<Byte>& inSegment, JPEGImageInformation& ioInformation)
{
    // "JFIF" and a zero, version (2 bytes), unit, x density, y density. Other APP0 blocks (such
    // as the AVI1 of motion JPEG frames) carry no density.
    SegmentView view(inSegment.data(), inSegment.size());
    unsigned unit = 0;
    unsigned xDensity = 0;
    unsigned yDensity = 0;
    if (!view.Matches(0, "JFIF\0", 5) || !view.Byte8(7, unit) || !view.Unsigned16(8, xDensity) ||
        !view.Unsigned16(10, yDensity))
        return false;
    ioInformation.JFIFInformationExists = true;
    ioInformation.JFIFUnit = static_cast<int>(unit);
    ioInformation.JFIFXDensity = xDensity;
    ioInformation.JFIFYDensity = yDensity;
    return true;
}

bool JPEGHeaderScanner::ReadExif(const std::vector<Byte>& inSegment, JPEGImageInformation& ioInformation)
{
    // "Exif", a zero and a pad byte, then a TIFF block whose offsets count from its own start.
    if (!SegmentView(inSegment.data(), inSegment.size()).Matches(0, "Exif\0", 5))
        return false;
    if (inSegment.size() < 6)
        return true;
    const Byte* tiffData = inSegment.data() + 6;
    size_t tiffSize = inSegment.size() - 6;
    if (tiffSize < 8)
        return true;
    bool bigEndian;
    if (tiffData[0] == 'M' && tiffData[1] == 'M')
        bigEndian = true;
    else if (tiffData[0] == 'I' && tiffData[1] == 'I')
        bigEndian = false;
    else
        return true;
    SegmentView tiff(tiffData, tiffSize, bigEndian);
    unsigned magic = 0;
    uint32_t directoryOffset = 0;
    unsigned entryCount = 0;
    if (!tiff.Unsigned16(2, magic) || magic != 42 || !tiff.Unsigned32(4, directoryOffset) ||
        !tiff.Unsigned16(directoryOffset, entryCount))
        return true;

    const unsigned kTagXResolution = 282;
    const unsigned kTagYResolution = 283;
    const unsigned kTagResolutionUnit = 296;
    const unsigned kTypeShort = 3;
    const unsigned kTypeRational = 5;
    double resolutions[2] = {0, 0};
    bool resolutionRead[2] = {false, false};
    unsigned unit = 2; // inches, when the tag is missing
    // The entry count is at most 65,535 and each entry must lie inside the block.
    for (unsigned i = 0; i < entryCount; ++i) {
        uint64_t entry = uint64_t(directoryOffset) + 2 + uint64_t(i) * 12;
        unsigned tag = 0;
        unsigned type = 0;
        uint32_t count = 0;
        if (!tiff.Has(entry, 12) || !tiff.Unsigned16(entry, tag) || !tiff.Unsigned16(entry + 2, type) ||
            !tiff.Unsigned32(entry + 4, count))
            break;
        if ((tag == kTagXResolution || tag == kTagYResolution) && type == kTypeRational && count >= 1) {
            uint32_t valueOffset = 0;
            uint32_t numerator = 0;
            uint32_t denominator = 0;
            if (tiff.Unsigned32(entry + 8, valueOffset) && tiff.Unsigned32(valueOffset, numerator) &&
                tiff.Unsigned32(uint64_t(valueOffset) + 4, denominator) && denominator != 0) {
                int axis = tag == kTagXResolution ? 0 : 1;
                resolutions[axis] = static_cast<double>(numerator) / denominator;
                resolutionRead[axis] = true;
            }
        } else if (tag == kTagResolutionUnit && type == kTypeShort && count >= 1) {
            tiff.Unsigned16(entry + 8, unit);
        }
    }
    // A resolution given for one axis only, or as a fraction over zero, tells no size.
    if (resolutionRead[0] && resolutionRead[1]) {
        ioInformation.ExifInformationExists = true;
        ioInformation.ExifUnit = static_cast<int>(unit);
        ioInformation.ExifXDensity = resolutions[0];
        ioInformation.ExifYDensity = resolutions[1];
    }
    return true;
}

bool JPEGHeaderScanner::ReadPhotoshop(const std::vector<Byte>& inSegment, JPEGImageInformation& ioInformation)
{
    // An identifier ended by a zero byte, then "8BIM" resource blocks: id, padded Pascal name,
    // data size and data padded to an even size.
    if (inSegment.empty())
        return false;
    const Byte* zero = static_cast<const Byte*>(std::memchr(inSegment.data(), 0, inSegment.size()));
    if (!zero)
        return false;
    SegmentView view(inSegment.data(), inSegment.size());
    uint64_t position = static_cast<uint64_t>(zero - inSegment.data()) + 1;
    const unsigned kResolutionInformation = 0x03ED;
    // Each block takes at least 12 bytes, so the walk ends with the segment.
    while (view.Matches(position, "8BIM", 4)) {
        unsigned id = 0;
        unsigned nameLength = 0;
        if (!view.Unsigned16(position + 4, id) || !view.Byte8(position + 6, nameLength))
            return false;
        uint64_t nameSize = 1 + uint64_t(nameLength);
        nameSize += nameSize & 1;
        uint64_t sizeAt = position + 6 + nameSize;
        uint32_t dataSize = 0;
        if (!view.Unsigned32(sizeAt, dataSize))
            return false;
        uint64_t dataAt = sizeAt + 4;
        if (id == kResolutionInformation) {
            // Horizontal resolution in bytes 0-3 and vertical in 8-11, each 16.16 fixed point.
            unsigned xWhole = 0;
            unsigned xFraction = 0;
            unsigned yWhole = 0;
            unsigned yFraction = 0;
            if (dataSize < 16 || !view.Has(dataAt, 16) || !view.Unsigned16(dataAt, xWhole) ||
                !view.Unsigned16(dataAt + 2, xFraction) || !view.Unsigned16(dataAt + 8, yWhole) ||
                !view.Unsigned16(dataAt + 10, yFraction))
                return false;
            ioInformation.PhotoshopInformationExists = true;
            ioInformation.PhotoshopXDensity = xWhole + xFraction / 65536.0;
            ioInformation.PhotoshopYDensity = yWhole + yFraction / 65536.0;
            return true;
        }
        if (!view.Has(dataAt, dataSize))
            return false;
        position = dataAt + dataSize + (dataSize & 1);
    }
    return false;
}

bool JPEGHeaderScanner::ReadAdobe(const std::vector<Byte>& inSegment, JPEGImageInformation& ioInformation)
{
    // "Adobe", version, two flag words and the colour transform: 12 bytes.
    SegmentView view(inSegment.data(), inSegment.size());
    if (!view.Matches(0, "Adobe", 5) || !view.Has(0, 12))
        return false;
    ioInformation.AdobeInformationExists = true;
    return true;
}
