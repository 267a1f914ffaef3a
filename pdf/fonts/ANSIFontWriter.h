#pragma once
// Writes a written font's one-byte representation as a simple PDF font: the font dictionary
// with its first and last code, widths, encoding and ToUnicode map, the Encoding object when
// glyph names differ from WinAnsiEncoding, the ToUnicode stream and the font descriptor. The
// kind's writer (TrueType, Type 1/CFF) embeds the font program first and passes itself as the
// helper for what differs. Used for one call.

#include "pdf/fonts/EncodedGlyph.h"
#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"

#include <string>
#include <utility>
#include <vector>

class DictionaryContext;
class FreeTypeFaceWrapper;
class IANSIFontWriterHelper;
class ObjectsContext;

class ANSIFontWriter {
public:
    // The dictionary goes under the representation's object id.
    OpStatus WriteFont(FreeTypeFaceWrapper& inFontInfo, const WrittenFontRepresentation& inRepresentation,
                       ObjectsContext* inObjectsContext, IANSIFontWriterHelper* inFontSpecificHelper,
                       const std::string& inFontName);

private:
    void WriteWidths(DictionaryContext* inFontDictionary);
    void CollectDifferences();
    void WriteEncodingDictionary(ObjectIDType inEncodingObjectID);

    FreeTypeFaceWrapper* mFontInfo = nullptr;
    ObjectsContext* mObjectsContext = nullptr;
    EncodedGlyphList mEncodedGlyphs;
    std::vector<std::pair<uint16_t, std::string>> mDifferences;
};
