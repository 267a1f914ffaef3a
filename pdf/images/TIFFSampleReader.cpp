#include "pdf/images/TIFFSampleReader.h"

#include "pdf/images/TIFFLibraryMessages.h"
#include "pdf/io/CheckedSize.h"
#include "pdf/io/DiagnosticLog.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

const uint64_t kMaxBytes = TIFFLibraryMessages::kMaxBufferBytes;

} // namespace

bool TIFFSampleReader::Allocate(uint64_t inSize, TIFFImageData& outData)
{
    outData.mBytes.reset(inSize <= kMaxBytes && inSize > 0 ? new (std::nothrow) Byte[inSize] : nullptr);
    outData.mSize = outData.mBytes ? inSize : 0;
    if (!outData.mBytes) {
        TraceMessage("TIFFImageHandler::WriteImageTileData, Can't allocate %llu bytes of memory, for image %s",
                     static_cast<unsigned long long>(inSize), mFileName.c_str());
        return false;
    }
    return true;
}

uint64_t TIFFSampleReader::RowBytes(uint32_t inWidth, uint16_t inSamples) const
{
    CheckedSize bits(inWidth);
    bits.Multiply(inSamples).Multiply(mPage.mBitsPerSample).BitsToBytes();
    return bits.Within(kMaxBytes) ? bits.Value() : 0;
}

bool TIFFSampleReader::ReadRaw(uint32_t inTile, TIFFImageData& outData)
{
    uint32_t index = mPage.mTiled ? inTile : 0;
    // The declared count is checked against what the file holds before anything is allocated.
    uint64_t size = TIFFGetStrileByteCount(mTIFF, index);
    uint64_t available = static_cast<uint64_t>(TIFFGetSizeProc(mTIFF)(TIFFClientdata(mTIFF)));
    if (size == 0 || size > available) {
        TraceMessage("TIFFImageHandler::WriteImageTileData, Error on reading %s %u of %s: it claims %llu bytes",
                     mPage.mTiled ? "tile" : "strip", index, mFileName.c_str(), static_cast<unsigned long long>(size));
        return false;
    }
    if (!Allocate(size, outData))
        return false;
    tmsize_t got = mPage.mTiled ? TIFFReadRawTile(mTIFF, index, outData.mBytes.get(), static_cast<tmsize_t>(size))
                                : TIFFReadRawStrip(mTIFF, index, outData.mBytes.get(), static_cast<tmsize_t>(size));
    if (got <= 0 || static_cast<uint64_t>(got) != size) {
        TraceMessage("TIFFImageHandler::WriteImageTileData, Error on reading %s %u of %s",
                     mPage.mTiled ? "tile" : "strip", index, mFileName.c_str());
        return false;
    }
    if (mPage.mPDFCompression == eTIFFPDFCompressionG4 && mPage.mFillOrder == FILLORDER_LSB2MSB)
        TIFFReverseBits(outData.mBytes.get(), got);
    outData.mWidth = mPage.mTiled ? mPage.mTileWidth : mPage.mWidth;
    outData.mLength = mPage.mTiled ? mPage.mTileLength : mPage.mLength;
    return true;
}

bool TIFFSampleReader::ReadDecoded(uint32_t inTile, TIFFImageData& outData)
{
    if (mPage.mYCbCrToRGB)
        return ReadRGBA(outData);
    if (!(mPage.mTiled ? ReadTile(inTile, outData) : ReadStrips(outData)))
        return false;
    if (mPage.mTiled)
        Crop(outData, mPage.TileWidthAt(inTile % mPage.mTilesAcross), mPage.TileLengthAt(inTile / mPage.mTilesAcross));
    if (mPage.mDropAlpha)
        DropAlpha(outData);
    if (mPage.mSignedLabToUnsigned)
        MakeLabUnsigned(outData);
    return true;
}

bool TIFFSampleReader::ReadStrips(TIFFImageData& outData)
{
    const uint16_t planes = mPage.mSeparatedToContiguous ? mPage.mSamplesPerPixel : 1;
    const uint64_t rowBytes = RowBytes(mPage.mWidth, mPage.mSamplesPerPixel / planes);
    // libtiff decodes rows of the size its own tags give; a buffer of another size would be
    // overrun or left partly unwritten.
    if (rowBytes == 0 || rowBytes != TIFFScanlineSize64(mTIFF)) {
        TraceMessage("Can't allocate %llu bytes of memory for t2p_readwrite_pdf_image, %s",
                     static_cast<unsigned long long>(rowBytes), mFileName.c_str());
        return false;
    }
    CheckedSize planeSize(rowBytes);
    planeSize.Multiply(mPage.mLength);
    CheckedSize total(planeSize.Value());
    total.Multiply(planes);
    if (!planeSize.Within(kMaxBytes) || !total.Within(kMaxBytes) || !Allocate(total.Value(), outData))
        return false;
    const uint64_t planeBytes = planeSize.Value();

    uint32_t rowsPerStrip = mPage.mLength;
    TIFFGetFieldDefaulted(mTIFF, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    rowsPerStrip = std::max<uint32_t>(1, std::min(rowsPerStrip, mPage.mLength));
    const uint32_t strips = TIFFNumberOfStrips(mTIFF);
    const uint32_t stripsPerPlane = strips / planes;
    const uint64_t stripBytes = rowBytes * rowsPerStrip;
    for (uint16_t plane = 0; plane < planes; ++plane) {
        uint64_t at = plane * planeBytes;
        const uint64_t end = at + planeBytes;
        for (uint32_t strip = 0; strip < stripsPerPlane && at < end; ++strip) {
            uint64_t size = std::min(stripBytes, end - at);
            tmsize_t got = TIFFReadEncodedStrip(mTIFF, plane * stripsPerPlane + strip, outData.mBytes.get() + at,
                                                static_cast<tmsize_t>(size));
            if (got < 0) {
                TraceMessage("Error on decoding strip %u of %s", plane * stripsPerPlane + strip, mFileName.c_str());
                return false;
            }
            at += size;
        }
        // Rows that no strip holds stay white rather than uninitialised.
        if (at < end)
            memset(outData.mBytes.get() + at, 0, end - at);
    }
    outData.mWidth = mPage.mWidth;
    outData.mLength = mPage.mLength;
    return !mPage.mSeparatedToContiguous || Interleave(outData, planeBytes);
}

bool TIFFSampleReader::ReadTile(uint32_t inTile, TIFFImageData& outData)
{
    const uint16_t planes = mPage.mSeparatedToContiguous ? mPage.mSamplesPerPixel : 1;
    const uint64_t rowBytes = RowBytes(mPage.mTileWidth, mPage.mSamplesPerPixel / planes);
    CheckedSize planeSize(rowBytes);
    planeSize.Multiply(mPage.mTileLength);
    CheckedSize total(planeSize.Value());
    total.Multiply(planes);
    if (rowBytes == 0 || !planeSize.Within(kMaxBytes) || planeSize.Value() != TIFFTileSize64(mTIFF) ||
        !total.Within(kMaxBytes)) {
        TraceMessage("TIFFImageHandler::WriteImageTileData, Can't allocate %llu bytes of memory, for image %s",
                     static_cast<unsigned long long>(total.Value()), mFileName.c_str());
        return false;
    }
    if (!Allocate(total.Value(), outData))
        return false;
    const uint64_t planeBytes = planeSize.Value();
    const uint32_t tilesPerPlane = mPage.TileCount();
    for (uint16_t plane = 0; plane < planes; ++plane) {
        uint32_t index = plane * tilesPerPlane + inTile;
        if (TIFFReadEncodedTile(mTIFF, index, outData.mBytes.get() + plane * planeBytes,
                                static_cast<tmsize_t>(planeBytes)) < 0) {
            TraceMessage("TIFFImageHandler::WriteImageTileData, Error on decoding tile %u of %s", index,
                         mFileName.c_str());
            return false;
        }
    }
    outData.mWidth = mPage.mTileWidth;
    outData.mLength = mPage.mTileLength;
    return !mPage.mSeparatedToContiguous || Interleave(outData, planeBytes);
}

bool TIFFSampleReader::ReadRGBA(TIFFImageData& outData)
{
    CheckedSize pixels(mPage.mWidth);
    pixels.Multiply(mPage.mLength);
    CheckedSize rasterSize(pixels.Value());
    rasterSize.Multiply(4);
    if (!pixels.Within(kMaxBytes) || !rasterSize.Within(kMaxBytes)) {
        TraceMessage("Can't allocate %llu bytes of memory for t2p_readwrite_pdf_image, %s",
                     static_cast<unsigned long long>(rasterSize.Value()), mFileName.c_str());
        return false;
    }
    std::unique_ptr<uint32_t[]> raster(new (std::nothrow) uint32_t[pixels.Value()]);
    if (!raster || !Allocate(pixels.Value() * 3, outData)) {
        TraceMessage("Can't allocate %llu bytes of memory for t2p_readwrite_pdf_image, %s",
                     static_cast<unsigned long long>(rasterSize.Value()), mFileName.c_str());
        return false;
    }
    // Asked for in the file's own orientation, the rows come as stored: the placement matrix
    // turns the image, as it does for every other page.
    uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(mTIFF, TIFFTAG_ORIENTATION, &orientation);
    if (orientation < ORIENTATION_TOPLEFT || orientation > ORIENTATION_LEFTBOT)
        orientation = ORIENTATION_TOPLEFT;
    if (!TIFFReadRGBAImageOriented(mTIFF, mPage.mWidth, mPage.mLength, raster.get(), orientation, 0)) {
        TraceMessage("Can't use TIFFReadRGBAImageOriented to extract RGB image from %s", mFileName.c_str());
        return false;
    }
    Byte* out = outData.mBytes.get();
    for (uint64_t i = 0; i < pixels.Value(); ++i) {
        uint32_t pixel = raster[i];
        out[i * 3] = static_cast<Byte>(TIFFGetR(pixel));
        out[i * 3 + 1] = static_cast<Byte>(TIFFGetG(pixel));
        out[i * 3 + 2] = static_cast<Byte>(TIFFGetB(pixel));
    }
    outData.mWidth = mPage.mWidth;
    outData.mLength = mPage.mLength;
    return true;
}

bool TIFFSampleReader::Interleave(TIFFImageData& ioData, uint64_t inPlaneBytes)
{
    // Separate planes are read only at 8 bits per sample: one byte per sample.
    const uint16_t samples = mPage.mSamplesPerPixel;
    std::unique_ptr<Byte[]> interleaved(new (std::nothrow) Byte[ioData.mSize]);
    if (!interleaved) {
        TraceMessage("Can't allocate %llu bytes of memory for t2p_readwrite_pdf_image, %s",
                     static_cast<unsigned long long>(ioData.mSize), mFileName.c_str());
        return false;
    }
    const Byte* planes = ioData.mBytes.get();
    Byte* out = interleaved.get();
    for (uint64_t i = 0; i < inPlaneBytes; ++i)
        for (uint16_t s = 0; s < samples; ++s)
            out[i * samples + s] = planes[s * inPlaneBytes + i];
    ioData.mBytes = std::move(interleaved);
    return true;
}

void TIFFSampleReader::Crop(TIFFImageData& ioData, uint32_t inWidth, uint32_t inLength)
{
    if (inWidth == ioData.mWidth && inLength == ioData.mLength)
        return;
    const uint64_t fullRow = RowBytes(ioData.mWidth, mPage.mSamplesPerPixel);
    const uint64_t row = RowBytes(inWidth, mPage.mSamplesPerPixel);
    Byte* bytes = ioData.mBytes.get();
    for (uint32_t y = 0; y < inLength; ++y)
        memmove(bytes + y * row, bytes + y * fullRow, row);
    ioData.mWidth = inWidth;
    ioData.mLength = inLength;
    ioData.mSize = row * inLength;
}

void TIFFSampleReader::DropAlpha(TIFFImageData& ioData)
{
    const uint16_t samples = mPage.mSamplesPerPixel;
    const uint16_t colors = samples - 1;
    const uint64_t pixels = uint64_t(ioData.mWidth) * ioData.mLength;
    Byte* bytes = ioData.mBytes.get();
    for (uint64_t i = 0; i < pixels; ++i) {
        const Byte* in = bytes + i * samples;
        Byte alpha = in[colors];
        Byte* out = bytes + i * colors;
        for (uint16_t c = 0; c < colors; ++c) {
            // Premultiplied colour over a white page: what the missing coverage lets through.
            unsigned value = in[c] + (mPage.mAssociatedAlpha ? 255u - alpha : 0u);
            out[c] = static_cast<Byte>(value > 255 ? 255 : value);
        }
    }
    ioData.mSize = pixels * colors;
}

void TIFFSampleReader::MakeLabUnsigned(TIFFImageData& ioData)
{
    const uint64_t pixels = uint64_t(ioData.mWidth) * ioData.mLength;
    Byte* bytes = ioData.mBytes.get();
    for (uint64_t i = 0; i < pixels; ++i) {
        bytes[i * 3 + 1] ^= 0x80;
        bytes[i * 3 + 2] ^= 0x80;
    }
}
