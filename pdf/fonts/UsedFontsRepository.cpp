#include "pdf/fonts/UsedFontsRepository.h"

#include "pdf/fonts/FreeTypeWrapper.h"
#include "pdf/fonts/PDFUsedFont.h"
#include "pdf/io/DiagnosticLog.h"

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

    if (!mInputFontsInformation)
        mInputFontsInformation = std::make_unique<FreeTypeWrapper>();
    FT_Face face = inOptionalMetricsFile.empty()
                       ? mInputFontsInformation->NewFace(inFontFilePath, inFontIndex)
                       : mInputFontsInformation->NewFace(inFontFilePath, inOptionalMetricsFile, inFontIndex);
    if (!face) {
        TraceMessage("UsedFontsRepository::GetFontForFile, Failed to load font from %s", inFontFilePath.c_str());
        mUsedFonts[key] = nullptr;
        return nullptr;
    }
    auto font = std::make_unique<PDFUsedFont>(face, inFontFilePath, inOptionalMetricsFile, inFontIndex, mObjectsContext);
    if (!font->GetFreeTypeFont().GetFormatSpecificExtender()) {
        TraceMessage("UsedFontsRepository::GetFontForFile, Unreckognized font format for font in %s",
                     inFontFilePath.c_str());
        font.reset();
    }
    PDFUsedFont* result = font.get();
    mUsedFonts[key] = std::move(font);
    return result;
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
