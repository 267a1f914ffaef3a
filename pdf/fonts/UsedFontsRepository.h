#pragma once
// The fonts one written document uses: one PDFUsedFont per (font file path, face index), made on
// the first request and owned here; a request that failed is remembered (as null) and not tried
// again. At the end of the document every font that encoded glyphs writes its definition.
// Reset deletes every font, then the FreeType library (made again on the next request); the
// objects context is set by the document context and not owned. Memory that runs out while a
// font is loaded fails that request (logged); no allocation failure leaves GetFontForFile.

#include "pdf/io/IOBasicTypes.h"

#include <map>
#include <memory>
#include <string>
#include <utility>

class FreeTypeWrapper;
class ObjectsContext;
class PDFUsedFont;

class UsedFontsRepository {
public:
    UsedFontsRepository();
    ~UsedFontsRepository();
    UsedFontsRepository(const UsedFontsRepository&) = delete;
    UsedFontsRepository& operator=(const UsedFontsRepository&) = delete;

    void SetObjectsContext(ObjectsContext* inObjectsContext) { mObjectsContext = inObjectsContext; }

    // Null when the font cannot be used (logged once per path and index).
    PDFUsedFont* GetFontForFile(const std::string& inFontFilePath, long inFontIndex);
    PDFUsedFont* GetFontForFile(const std::string& inFontFilePath, const std::string& inOptionalMetricsFile,
                                long inFontIndex);

    // 0 when every font wrote its definition (and for a document without fonts); the first
    // failure otherwise, fonts before it in path order having been written. A remembered failed
    // request fails here too.
    OpStatus WriteAllUsedFonts(bool inEmbedFonts);

    void Reset();

private:
    typedef std::pair<std::string, long> FontKey;

    // The face opened and wrapped; null (logged) when it cannot be, or has no known format.
    std::unique_ptr<PDFUsedFont> LoadFont(const std::string& inFontFilePath, const std::string& inOptionalMetricsFile,
                                          long inFontIndex);

    ObjectsContext* mObjectsContext = nullptr;
    std::unique_ptr<FreeTypeWrapper> mInputFontsInformation;
    std::map<FontKey, std::unique_ptr<PDFUsedFont>> mUsedFonts; // null: the request failed
};
