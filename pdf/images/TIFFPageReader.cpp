#include "pdf/images/TIFFPageReader.h"

#include "pdf/io/DiagnosticLog.h"

#include <algorithm>
#include <cmath>

#define PAGE_INFORMATION "TIFFImageHandler::ReadTIFFPageInformation"

namespace {

const double kDefaultResolution = 300;

bool ValidResolution(float inResolution)
{
    return std::isfinite(inResolution) && inResolution > 0;
}

} // namespace

bool TIFFPageReader::IsPage(uint32_t& ioPageNumber)
{
    uint32_t subfileType = 0;
    uint16_t oldSubfileType = 0;
    // Reduced-resolution copies (thumbnails) and transparency masks are not pages, whatever page
    // number they carry.
    if (TIFFGetField(mTIFF, TIFFTAG_SUBFILETYPE, &subfileType) &&
        (subfileType & (FILETYPE_REDUCEDIMAGE | FILETYPE_MASK)) != 0)
        return false;
    uint16_t page = 0;
    uint16_t total = 0;
    if (TIFFGetField(mTIFF, TIFFTAG_PAGENUMBER, &page, &total)) {
        ioPageNumber = total != 0 && total < page ? total : page;
        return true;
    }
    if (TIFFGetField(mTIFF, TIFFTAG_SUBFILETYPE, &subfileType))
        return true;
    if (TIFFGetField(mTIFF, TIFFTAG_OSUBFILETYPE, &oldSubfileType))
        return oldSubfileType == 0 || oldSubfileType == OFILETYPE_IMAGE || oldSubfileType == OFILETYPE_PAGE;
    return true;
}

bool TIFFPageReader::ReadPageList()
{
    mPages.clear();
    tdir_t count = TIFFNumberOfDirectories(mTIFF);
    // Read one after the other: selecting each by number would walk the chain from its start.
    for (tdir_t directory = 0; directory < count; ++directory) {
        if (!(directory == 0 ? TIFFSetDirectory(mTIFF, 0) : TIFFReadDirectory(mTIFF))) {
            TraceMessage("Can't set directory %u of input file %s", static_cast<unsigned>(directory),
                         mFileName.c_str());
            return false;
        }
        // Pages without a number are numbered by their place among the pages.
        uint32_t pageNumber = static_cast<uint32_t>(mPages.size());
        if (IsPage(pageNumber))
            mPages.push_back(PageEntry{pageNumber, {static_cast<uint32_t>(directory), TIFFCurrentDirOffset(mTIFF)}});
    }
    std::stable_sort(mPages.begin(), mPages.end(),
                     [](const PageEntry& inA, const PageEntry& inB) { return inA.mPageNumber < inB.mPageNumber; });
    return true;
}

std::vector<TIFFPageDirectory> TIFFPageReader::PageDirectories() const
{
    std::vector<TIFFPageDirectory> directories;
    for (const PageEntry& page : mPages)
        directories.push_back(page.mDirectory);
    return directories;
}

void TIFFPageReader::SetPageDirectories(const std::vector<TIFFPageDirectory>& inDirectories)
{
    mPages.clear();
    for (const TIFFPageDirectory& directory : inDirectories)
        mPages.push_back(PageEntry{static_cast<uint32_t>(mPages.size()), directory});
}

bool TIFFPageReader::ReadPageInformation(uint32_t inPageIndex, TIFFPageInformation& outPage)
{
    outPage = TIFFPageInformation();
    const TIFFPageDirectory& directory = mPages.at(inPageIndex).mDirectory;
    outPage.mDirectory = directory.mIndex;
    // By its offset, a handle that has seen the chain once reads the directory at once; by its
    // number, libtiff walks the chain from the first directory again.
    if (!TIFFSetSubDirectory(mTIFF, directory.mOffset)) {
        TraceMessage("Can't set directory %u of input file %s", outPage.mDirectory, mFileName.c_str());
        return false;
    }
    const char* name = mFileName.c_str();
    TIFFGetField(mTIFF, TIFFTAG_IMAGEWIDTH, &outPage.mWidth);
    TIFFGetField(mTIFF, TIFFTAG_IMAGELENGTH, &outPage.mLength);
    if (outPage.mWidth == 0) {
        TraceMessage(PAGE_INFORMATION ": No support for %s with zero width", name);
        return false;
    }
    if (outPage.mLength == 0) {
        TraceMessage(PAGE_INFORMATION ": No support for %s with zero length", name);
        return false;
    }
    if (!TIFFGetField(mTIFF, TIFFTAG_COMPRESSION, &outPage.mCompression)) {
        TraceMessage(PAGE_INFORMATION ": No support for %s with no compression tag", name);
        return false;
    }
    if (!TIFFIsCODECConfigured(outPage.mCompression)) {
        TraceMessage(PAGE_INFORMATION ": No support for %s with compression type %u:  not configured", name,
                     outPage.mCompression);
        return false;
    }
    return ReadSampleLayout(outPage) && ReadColorSpace(outPage) && ReadTiles(outPage) && ComposePage(outPage);
}

bool TIFFPageReader::ReadSampleLayout(TIFFPageInformation& ioPage)
{
    const char* name = mFileName.c_str();
    TIFFGetFieldDefaulted(mTIFF, TIFFTAG_BITSPERSAMPLE, &mLibraryBitsPerSample);
    ioPage.mBitsPerSample = mLibraryBitsPerSample;
    switch (ioPage.mBitsPerSample) {
    case 1:
    case 2:
    case 4:
    case 8:
        break;
    case 0:
        TraceMessage(PAGE_INFORMATION ": Image %s has 0 bits per sample, assuming 1", name);
        ioPage.mBitsPerSample = 1;
        break;
    default:
        TraceMessage(PAGE_INFORMATION ": No support for %s with %u bits per sample", name, ioPage.mBitsPerSample);
        return false;
    }
    TIFFGetFieldDefaulted(mTIFF, TIFFTAG_SAMPLESPERPIXEL, &ioPage.mSamplesPerPixel);
    if (ioPage.mSamplesPerPixel > 4) {
        TraceMessage(PAGE_INFORMATION ": No support for %s with %u samples per pixel", name, ioPage.mSamplesPerPixel);
        return false;
    }
    // Every size below is counted in samples: none per pixel leaves nothing to divide by.
    if (ioPage.mSamplesPerPixel == 0) {
        TraceMessage(PAGE_INFORMATION ": No support for %s with 0 samples per pixel", name);
        return false;
    }
    uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    if (TIFFGetField(mTIFF, TIFFTAG_SAMPLEFORMAT, &sampleFormat) && sampleFormat != SAMPLEFORMAT_UINT &&
        sampleFormat != SAMPLEFORMAT_VOID) {
        TraceMessage(PAGE_INFORMATION ": No support for %s with sample format %u", name, sampleFormat);
        return false;
    }
    TIFFGetFieldDefaulted(mTIFF, TIFFTAG_PLANARCONFIG, &ioPage.mPlanarConfig);
    switch (ioPage.mPlanarConfig) {
    case PLANARCONFIG_CONTIG:
        break;
    case PLANARCONFIG_SEPARATE:
        if (ioPage.mSamplesPerPixel > 1 && ioPage.mBitsPerSample != 8) {
            TraceMessage(PAGE_INFORMATION ", No support for %s with separated planar configuration and %u bits per "
                                          "sample",
                         name, ioPage.mBitsPerSample);
            return false;
        }
        ioPage.mSeparatedToContiguous = ioPage.mSamplesPerPixel > 1;
        break;
    case 0:
        TraceMessage(PAGE_INFORMATION ", Image %s has planar configuration 0, assuming 1", name);
        ioPage.mPlanarConfig = PLANARCONFIG_CONTIG;
        break;
    default:
        TraceMessage(PAGE_INFORMATION ", No support for %s with planar configuration %u", name, ioPage.mPlanarConfig);
        return false;
    }
    TIFFGetFieldDefaulted(mTIFF, TIFFTAG_FILLORDER, &ioPage.mFillOrder);
    // Only the codecs that know a predictor answer for it; the others report an error.
    if (ioPage.mCompression == COMPRESSION_ADOBE_DEFLATE || ioPage.mCompression == COMPRESSION_DEFLATE)
        TIFFGetFieldDefaulted(mTIFF, TIFFTAG_PREDICTOR, &ioPage.mPredictor);
    return true;
}

bool TIFFPageReader::ReadColorSpace(TIFFPageInformation& ioPage)
{
    const char* name = mFileName.c_str();
    if (!TIFFGetField(mTIFF, TIFFTAG_PHOTOMETRIC, &ioPage.mPhotometric)) {
        TraceMessage(PAGE_INFORMATION ": No support for %s with no photometric interpretation tag", name);
        return false;
    }
    uint16_t extraCount = 0;
    uint16_t* extraSamples = nullptr;
    TIFFGetField(mTIFF, TIFFTAG_EXTRASAMPLES, &extraCount, &extraSamples);
    const uint16_t samples = ioPage.mSamplesPerPixel;
    // An alpha sample after the colour is dropped (composed over white when the colour carries it
    // premultiplied); only whole bytes are taken apart.
    auto dropAlpha = [&](uint16_t inAlphaKind) {
        if (ioPage.mBitsPerSample != 8) {
            TraceMessage(PAGE_INFORMATION ", No support for %s with an alpha sample and %u bits per sample", name,
                         ioPage.mBitsPerSample);
            return false;
        }
        ioPage.mDropAlpha = true;
        ioPage.mAssociatedAlpha = inAlphaKind == EXTRASAMPLE_ASSOCALPHA;
        return true;
    };

    switch (ioPage.mPhotometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
        ioPage.mColorSpace = ioPage.mBitsPerSample == 1 ? eTIFFColorSpaceBilevel : eTIFFColorSpaceGray;
        ioPage.mSwitchDecode = ioPage.mPhotometric == PHOTOMETRIC_MINISWHITE;
        // A gray image holds one sample; a second one can only be alpha.
        if (samples == 2 && extraCount == 1) {
            if (!dropAlpha(extraSamples[0]))
                return false;
        } else if (samples != 1) {
            TraceMessage(PAGE_INFORMATION ", No support for gray image %s with %u samples per pixel", name, samples);
            return false;
        }
        break;
    case PHOTOMETRIC_RGB:
        ioPage.mColorSpace = eTIFFColorSpaceRGB;
        if (samples == 3)
            break;
        if (samples == 4 && extraCount == 1) {
            if (extraSamples[0] != EXTRASAMPLE_ASSOCALPHA && extraSamples[0] != EXTRASAMPLE_UNASSALPHA)
                TraceMessage(PAGE_INFORMATION ", RGB image %s has 4 samples per pixel, assuming RGBA", name);
            if (!dropAlpha(extraSamples[0]))
                return false;
            break;
        }
        if (samples == 4) {
            TraceMessage(PAGE_INFORMATION ", RGB image %s has 4 samples per pixel, assuming CMYK", name);
            ioPage.mColorSpace = eTIFFColorSpaceCMYK;
            ioPage.mSwitchDecode = true;
            break;
        }
        TraceMessage(PAGE_INFORMATION ", No support for RGB image %s with %u samples per pixel", name, samples);
        return false;
    case PHOTOMETRIC_PALETTE:
        ioPage.mColorSpace = eTIFFColorSpaceRGB;
        ioPage.mPalette = true;
        if (samples != 1) {
            TraceMessage(PAGE_INFORMATION ", No support for palettized image %s with not one sample per pixel", name);
            return false;
        }
        if (!ReadPalette(ioPage))
            return false;
        break;
    case PHOTOMETRIC_SEPARATED: {
        uint16_t inkSet = INKSET_CMYK;
        TIFFGetFieldDefaulted(mTIFF, TIFFTAG_INKSET, &inkSet);
        if (inkSet != INKSET_CMYK) {
            TraceMessage(PAGE_INFORMATION ", No support for %s because its inkset is not CMYK", name);
            return false;
        }
        // libtiff's colour map holds three channels: an indexed CMYK map cannot be read whole.
        uint16_t indexed = 0;
        if (TIFFGetField(mTIFF, TIFFTAG_INDEXED, &indexed) && indexed != 0) {
            TraceMessage(PAGE_INFORMATION ", No support for palettized CMYK image %s", name);
            return false;
        }
        if (samples != 4) {
            TraceMessage(PAGE_INFORMATION ", No support for %s because it has %u samples per pixel", name, samples);
            return false;
        }
        ioPage.mColorSpace = eTIFFColorSpaceCMYK;
        break;
    }
    case PHOTOMETRIC_YCBCR: {
        ioPage.mColorSpace = eTIFFColorSpaceRGB;
        ioPage.mYCbCrToRGB = true;
        ioPage.mSeparatedToContiguous = false;
        char message[1024] = "";
        if (!TIFFRGBAImageOK(mTIFF, message)) {
            TraceMessage("Can't use TIFFReadRGBAImageOriented to extract RGB image from %s", name);
            return false;
        }
        break;
    }
    case PHOTOMETRIC_CIELAB:
    case PHOTOMETRIC_ICCLAB:
    case PHOTOMETRIC_ITULAB: {
        ioPage.mColorSpace = eTIFFColorSpaceLab;
        if (samples != 3 || ioPage.mBitsPerSample != 8) {
            TraceMessage(PAGE_INFORMATION ", No support for L*a*b* image %s with %u samples of %u bits", name, samples,
                         ioPage.mBitsPerSample);
            return false;
        }
        // ICC L*a*b* stores a* and b* unsigned around 128: -128 to 127.
        const double ranges[3][4] = {{-127, 127, -127, 127}, {-128, 127, -128, 127}, {-85, 85, -75, 124}};
        const double* range = ranges[ioPage.mPhotometric - PHOTOMETRIC_CIELAB];
        std::copy(range, range + 4, ioPage.mLabRange);
        ioPage.mSignedLabToUnsigned = ioPage.mPhotometric != PHOTOMETRIC_ICCLAB;
        break;
    }
    case PHOTOMETRIC_LOGL:
    case PHOTOMETRIC_LOGLUV:
        TraceMessage(PAGE_INFORMATION ", No support for %s with photometric interpretation LogL/LogLuv", name);
        return false;
    default:
        TraceMessage(PAGE_INFORMATION ", No support for %s with photometric interpretation %u", name,
                     ioPage.mPhotometric);
        return false;
    }
    ReadColorValues(ioPage);
    return true;
}

bool TIFFPageReader::ReadPalette(TIFFPageInformation& ioPage)
{
    uint16_t* red = nullptr;
    uint16_t* green = nullptr;
    uint16_t* blue = nullptr;
    // libtiff's map has 2^BitsPerSample entries of the value it holds, which 0 would not match.
    if (mLibraryBitsPerSample != ioPage.mBitsPerSample || !TIFFGetField(mTIFF, TIFFTAG_COLORMAP, &red, &green, &blue) ||
        !red || !green || !blue) {
        TraceMessage(PAGE_INFORMATION ", Palettized image %s has no color map", mFileName.c_str());
        return false;
    }
    size_t entries = size_t(1) << ioPage.mBitsPerSample;
    ioPage.mPaletteBytes.resize(entries * 3);
    for (size_t i = 0; i < entries; ++i) {
        ioPage.mPaletteBytes[i * 3] = static_cast<uint8_t>(red[i] >> 8);
        ioPage.mPaletteBytes[i * 3 + 1] = static_cast<uint8_t>(green[i] >> 8);
        ioPage.mPaletteBytes[i * 3 + 2] = static_cast<uint8_t>(blue[i] >> 8);
    }
    return true;
}

void TIFFPageReader::ReadColorValues(TIFFPageInformation& ioPage)
{
    uint16_t* tables[3] = {nullptr, nullptr, nullptr};
    if (mLibraryBitsPerSample == ioPage.mBitsPerSample &&
        TIFFGetField(mTIFF, TIFFTAG_TRANSFERFUNCTION, &tables[0], &tables[1], &tables[2]) && tables[0]) {
        size_t entries = size_t(1) << ioPage.mBitsPerSample;
        bool one = !tables[1] || !tables[2] ||
                   (std::equal(tables[0], tables[0] + entries, tables[1]) &&
                    std::equal(tables[0], tables[0] + entries, tables[2]));
        for (int i = 0; i < (one ? 1 : 3); ++i)
            ioPage.mTransferFunctions.emplace_back(tables[i], tables[i] + entries);
    }
    float* whitePoint = nullptr;
    if (TIFFGetField(mTIFF, TIFFTAG_WHITEPOINT, &whitePoint) && whitePoint && std::isfinite(whitePoint[0]) &&
        std::isfinite(whitePoint[1]) && whitePoint[0] > 0 && whitePoint[1] > 0 && whitePoint[0] + whitePoint[1] < 1) {
        ioPage.mWhitePoint[0] = whitePoint[0];
        ioPage.mWhitePoint[1] = whitePoint[1];
    }
    uint32_t profileSize = 0;
    void* profile = nullptr;
    // A L*a*b* image is device-independent already.
    if (ioPage.mColorSpace != eTIFFColorSpaceLab && TIFFGetField(mTIFF, TIFFTAG_ICCPROFILE, &profileSize, &profile) &&
        profile && profileSize > 0) {
        const uint8_t* bytes = static_cast<const uint8_t*>(profile);
        ioPage.mICCProfile.assign(bytes, bytes + profileSize);
        ioPage.mICCBased = true;
    }
}

bool TIFFPageReader::ReadTiles(TIFFPageInformation& ioPage)
{
    const char* name = mFileName.c_str();
    uint32_t depth = 1;
    TIFFGetFieldDefaulted(mTIFF, TIFFTAG_IMAGEDEPTH, &depth);
    if (depth > 1) {
        TraceMessage(PAGE_INFORMATION ", No support for %s with an image depth of %u", name, depth);
        return false;
    }
    // A YCbCr image is converted whole through libtiff's RGBA reader, tiled or not.
    if (!TIFFIsTiled(mTIFF) || ioPage.mYCbCrToRGB)
        return true;
    ioPage.mTiled = true;
    TIFFGetField(mTIFF, TIFFTAG_TILEWIDTH, &ioPage.mTileWidth);
    TIFFGetField(mTIFF, TIFFTAG_TILELENGTH, &ioPage.mTileLength);
    if (ioPage.mTileWidth == 0 || ioPage.mTileLength == 0) {
        TraceMessage(PAGE_INFORMATION ", No support for %s with zero tile width or length", name);
        return false;
    }
    uint64_t across = (uint64_t(ioPage.mWidth) + ioPage.mTileWidth - 1) / ioPage.mTileWidth;
    uint64_t down = (uint64_t(ioPage.mLength) + ioPage.mTileLength - 1) / ioPage.mTileLength;
    uint64_t planes = ioPage.mPlanarConfig == PLANARCONFIG_SEPARATE ? ioPage.mSamplesPerPixel : 1;
    if (across * down > kMaxTiles || across * down * planes != TIFFNumberOfTiles(mTIFF)) {
        TraceMessage(PAGE_INFORMATION ", No support for %s with %llu tiles across and %llu down", name,
                     static_cast<unsigned long long>(across), static_cast<unsigned long long>(down));
        return false;
    }
    ioPage.mTilesAcross = static_cast<uint32_t>(across);
    ioPage.mTilesDown = static_cast<uint32_t>(down);
    return true;
}

void TIFFPageReader::ChooseTranscode(TIFFPageInformation& ioPage)
{
    bool converted = ioPage.mSeparatedToContiguous || ioPage.mDropAlpha || ioPage.mYCbCrToRGB ||
                     ioPage.mSignedLabToUnsigned;
    bool whole = ioPage.mTiled || TIFFNumberOfStrips(mTIFF) == 1;
    ioPage.mTranscode = eTIFFTranscodeEncode;
    ioPage.mPDFCompression = eTIFFPDFCompressionFlate;
    if (!whole || converted)
        return;
    if (ioPage.mCompression == COMPRESSION_CCITTFAX4 && ioPage.mBitsPerSample == 1 && mLibraryBitsPerSample == 1 &&
        ioPage.mSamplesPerPixel == 1) {
        ioPage.mTranscode = eTIFFTranscodeRaw;
        ioPage.mPDFCompression = eTIFFPDFCompressionG4;
        return;
    }
    // Deflate data is kept as it is when a PDF reader decodes it to the same samples: bytes in
    // their natural bit order, and a horizontal predictor only on whole-byte samples.
    bool deflate = ioPage.mCompression == COMPRESSION_ADOBE_DEFLATE || ioPage.mCompression == COMPRESSION_DEFLATE;
    bool predictor = ioPage.mPredictor == PREDICTOR_NONE ||
                     (ioPage.mPredictor == PREDICTOR_HORIZONTAL && ioPage.mBitsPerSample == 8);
    if (deflate && predictor && ioPage.mFillOrder == FILLORDER_MSB2LSB && mLibraryBitsPerSample == ioPage.mBitsPerSample)
        ioPage.mTranscode = eTIFFTranscodeRaw;
}

bool TIFFPageReader::ComposePage(TIFFPageInformation& ioPage)
{
    const char* name = mFileName.c_str();
    ChooseTranscode(ioPage);
    TIFFGetFieldDefaulted(mTIFF, TIFFTAG_ORIENTATION, &ioPage.mOrientation);
    if (ioPage.mOrientation > 8) {
        TraceMessage(PAGE_INFORMATION ", Image %s has orientation %u, assuming 0", name, ioPage.mOrientation);
        ioPage.mOrientation = 0;
    }

    TIFFGetFieldDefaulted(mTIFF, TIFFTAG_RESOLUTIONUNIT, &ioPage.mResolutionUnit);
    float x = 0;
    float y = 0;
    TIFFGetField(mTIFF, TIFFTAG_XRESOLUTION, &x);
    TIFFGetField(mTIFF, TIFFTAG_YRESOLUTION, &y);
    // Nothing is divided by a resolution that is missing, zero, negative or not a number.
    double xResolution = ValidResolution(x) ? x : kDefaultResolution;
    double yResolution = ValidResolution(y) ? y : kDefaultResolution;
    if (ioPage.mResolutionUnit == RESUNIT_CENTIMETER) {
        xResolution *= 2.54;
        yResolution *= 2.54;
    }
    ioPage.mXResolution = static_cast<float>(xResolution);
    ioPage.mYResolution = static_cast<float>(yResolution);
    double unit = ioPage.mResolutionUnit == RESUNIT_NONE ? 1 : 72;
    ioPage.mPixelWidthInPoints = unit / xResolution;
    ioPage.mPixelHeightInPoints = unit / yResolution;
    double width = ioPage.mWidth * ioPage.mPixelWidthInPoints;
    double height = ioPage.mLength * ioPage.mPixelHeightInPoints;
    if (!std::isfinite(width) || !std::isfinite(height) || width <= 0 || height <= 0) {
        TraceMessage(PAGE_INFORMATION ", No support for %s with a size in points of %g x %g", name, width, height);
        return false;
    }
    bool swapped = ioPage.mOrientation >= ORIENTATION_LEFTTOP;
    ioPage.mPageWidthInPoints = swapped ? height : width;
    ioPage.mPageHeightInPoints = swapped ? width : height;
    return true;
}
