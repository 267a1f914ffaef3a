#include "pdf/fonts/UsedFontsRepository.h"

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

PDFUsedFont* UsedFontsRepository::GetFontForFile(const std::string& inFontFilePath, const std::string&,
                                                 long inFontIndex)
{
    if (!mObjectsContext) {
        TraceMessage("UsedFontsRepository::GetFontForFile, exception, not objects context available");
        return nullptr;
    }
    FontKey key(inFontFilePath, inFontIndex);
    auto found = mUsedFonts.find(key);
    if (found != mUsedFonts.end())
        return found->second.get();

    TraceMessage("UsedFontsRepository::GetFontForFile, Failed to load font from %s (font embedding is not available "
                 "in this build)",
                 inFontFilePath.c_str());
    mUsedFonts[key] = nullptr;
    return nullptr;
}

OpStatus UsedFontsRepository::WriteAllUsedFonts(bool)
{
    for (const auto& entry : mUsedFonts) {
        // The failed request was logged when it was made.
        if (!entry.second)
            return eFailure;
    }
    return eSuccess;
}

void UsedFontsRepository::Reset()
{
    mUsedFonts.clear();
}
