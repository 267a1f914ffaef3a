#include "pdf/fonts/UsedFontsRepository.h"

#include "pdf/fonts/FreeTypeWrapper.h"
#include "pdf/fonts/PDFUsedFont.h"
#include "pdf/io/DiagnosticLog.h"

#include <new>

UsedFontsRepository::UsedFontsRepository() = default;

UsedFontsRepository::~UsedFontsRepository()
{
    Reset();
}

PDFUsedFont* UsedFontsRepository::GetFontForFile(const std::string& inFontFilePath, long inFontIndex)
{
    return GetFontForFile(inFontFilePath, std::string(), inFontIndex);
}

PDFUsedFont* UsedFontsRepository::GetFontForFile(const std::string& inFontFilePath,
                                                 const std::string& inOptionalMetricsFile, long inFontIndex)
{
    if (!mObjectsContext) {
        TraceMessage("UsedFontsRepository::GetFontForFile, exception, not objects context available");
        return nullptr;
    }
    FontKey key(inFontFilePath, inFontIndex);
    auto found = mUsedFonts.find(key);
    if (found != mUsedFonts.end())
        return found->second.get();

    // A font file is held in memory whole, and memory may run out on a large one: that is the
    // font's failure, never one that ends the caller's program.
    try {
        // Stands as the failed request until the font is made.
        std::unique_ptr<PDFUsedFont>& font = mUsedFonts[key];
        font = LoadFont(inFontFilePath, inOptionalMetricsFile, inFontIndex);
        return font.get();
    } catch (const std::bad_alloc&) {
        TraceMessage("UsedFontsRepository::GetFontForFile, Not enough memory to load font from %s",
                     inFontFilePath.c_str());
        return nullptr;
    }
}

std::unique_ptr<PDFUsedFont> UsedFontsRepository::LoadFont(const std::string& inFontFilePath,
                                                           const std::string& inOptionalMetricsFile, long inFontIndex)
{
    if (!mInputFontsInformation)
        mInputFontsInformation = std::make_unique<FreeTypeWrapper>();
    FT_Face face = inOptionalMetricsFile.empty()
                       ? mInputFontsInformation->NewFace(inFontFilePath, inFontIndex)
                       : mInputFontsInformation->NewFace(inFontFilePath, inOptionalMetricsFile, inFontIndex);
    if (!face) {
        TraceMessage("UsedFontsRepository::GetFontForFile, Failed to load font from %s", inFontFilePath.c_str());
        return nullptr;
    }
    auto font =
        std::make_unique<PDFUsedFont>(face, inFontFilePath, inOptionalMetricsFile, inFontIndex, mObjectsContext);
    if (!font->GetFreeTypeFont().GetFormatSpecificExtender()) {
        TraceMessage("UsedFontsRepository::GetFontForFile, Unreckognized font format for font in %s",
                     inFontFilePath.c_str());
        font.reset();
    }
    return font;
}

OpStatus UsedFontsRepository::WriteAllUsedFonts(bool inEmbedFonts)
{
    for (const auto& entry : mUsedFonts) {
        // The failed request was logged when it was made.
        if (!entry.second)
            return eFailure;
        IWrittenFont* writtenFont = entry.second->GetWrittenFont();
        if (!writtenFont)
            continue;
        OpStatus status = writtenFont->WriteFontDefinition(entry.second->GetFreeTypeFont(), inEmbedFonts);
        if (status != eSuccess)
            return status;
    }
    return eSuccess;
}

void UsedFontsRepository::Reset()
{
    // Every face goes before the FreeType library it belongs to.
    mUsedFonts.clear();
    mInputFontsInformation.reset();
}
