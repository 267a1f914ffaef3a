#pragma once
// Reads which directories of an open TIFF file are pages, in page order, and everything the PDF
// writer needs to know about one of them (TIFFPageInformation). Directories that are not pages
// (reduced-resolution images, transparency masks) take no page index. Every refusal is one
// trace-log line naming the file and a false result; the handle is borrowed.

#include "pdf/images/TIFFPageInformation.h"

#include <tiffio.h>

#include <cstdint>
#include <string>
#include <vector>

// Where a page's directory is: its number in the chain and its offset in the file.
struct TIFFPageDirectory {
    uint32_t mIndex;
    uint64_t mOffset;
};

class TIFFPageReader {
public:
    // The most tiles one page may have: each becomes an image object of its own.
    static constexpr uint64_t kMaxTiles = 1 << 14;

    TIFFPageReader(TIFF* inTIFF, const std::string& inFileName) : mTIFF(inTIFF), mFileName(inFileName) {}

    bool ReadPageList();
    uint32_t PageCount() const { return static_cast<uint32_t>(mPages.size()); }
    // The directory of each page, in page order: a list read once serves later readers of the
    // same file.
    std::vector<TIFFPageDirectory> PageDirectories() const;
    void SetPageDirectories(const std::vector<TIFFPageDirectory>& inDirectories);
    // Selects the page's directory and reads it; inPageIndex must be below PageCount.
    bool ReadPageInformation(uint32_t inPageIndex, TIFFPageInformation& outPage);

private:
    struct PageEntry {
        uint32_t mPageNumber;
        TIFFPageDirectory mDirectory;
    };

    bool IsPage(uint32_t& ioPageNumber);
    bool ReadSampleLayout(TIFFPageInformation& ioPage);
    bool ReadColorSpace(TIFFPageInformation& ioPage);
    bool ReadPalette(TIFFPageInformation& ioPage);
    void ReadColorValues(TIFFPageInformation& ioPage);
    bool ReadTiles(TIFFPageInformation& ioPage);
    void ChooseTranscode(TIFFPageInformation& ioPage);
    bool ComposePage(TIFFPageInformation& ioPage);

    TIFF* mTIFF;
    std::string mFileName;
    std::vector<PageEntry> mPages;
    // BitsPerSample as libtiff holds it, which sizes its colour map and transfer tables.
    uint16_t mLibraryBitsPerSample = 0;
};
