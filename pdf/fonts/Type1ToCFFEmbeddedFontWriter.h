#pragma once
// Embeds a Type 1 font as a CFF (Type1C) subset: reads the PFB file with Type1Input, converts the
// programs of the used glyphs (with glyph 0 and the components of accented glyphs) to Type 2
// charstrings and builds a whole CFF font in memory, which is copied into a FontFile3 stream
// only when complete. One writer per embedding; the face wrapper and the objects context are
// not owned. A font whose FSType forbids embedding is not a failure: no stream is written and
// the object id is 0.

#include "pdf/fonts/Type1Input.h"
#include "pdf/objects/ObjectIDType.h"

#include <map>
#include <string>
#include <vector>

class FreeTypeFaceWrapper;
class ObjectsContext;

class Type1ToCFFEmbeddedFontWriter {
public:
    // The character codes that the PDF shows glyphs by, for the subset's own encoding.
    typedef std::map<uint32_t, Byte> GlyphCodes;

    // Glyphs without a code in inGlyphCodes (the components of accented glyphs, or all glyphs
    // when there are no codes) keep their code in the font's encoding when no other glyph has
    // it, else take a code that no glyph has.
    OpStatus WriteEmbeddedFont(FreeTypeFaceWrapper& inFontInfo, const std::vector<uint32_t>& inSubsetGlyphIDs,
                               const std::string& inSubsetFontName, ObjectsContext* inObjectsContext,
                               ObjectIDType& outEmbeddedFontObjectID, const GlyphCodes* inGlyphCodes = nullptr);

    OpStatus CreateCFFSubset(FreeTypeFaceWrapper& inFontInfo, const std::vector<uint32_t>& inSubsetGlyphIDs,
                             const std::string& inSubsetFontName, bool& outNotEmbeddable, std::string& outFontProgram,
                             const GlyphCodes* inGlyphCodes = nullptr);

private:
    OpStatus AddDependentGlyphs(std::vector<std::string>& ioGlyphNames);
    OpStatus WriteTopIndex(std::string& ioOutput);
    OpStatus WriteEncoding(std::string& ioOutput);
    OpStatus WriteCharset(std::string& ioOutput);
    OpStatus WriteCharStrings(std::string& ioOutput);
    OpStatus WritePrivateDictionary(std::string& ioOutput);
    OpStatus UpdateIndexesAtTopDict(std::string& ioOutput);
    uint16_t SIDOf(const std::string& inText);

    Type1Input mType1Input;
    std::vector<std::string> mGlyphNames;
    std::map<std::string, Byte> mGlyphCodes; // the given codes by glyph name
    std::map<std::string, std::string> mPrograms; // converted glyph programs by name
    std::vector<std::string> mAddedStrings;
    std::map<std::string, uint16_t> mAddedStringSIDs;
    std::vector<uint16_t> mCharsetSIDs;
    size_t mCharsetPlaceHolderPosition = 0;
    size_t mEncodingPlaceHolderPosition = 0;
    size_t mCharStringsPlaceHolderPosition = 0;
    size_t mPrivatePlaceHolderPosition = 0;
    size_t mCharsetPosition = 0;
    size_t mEncodingPosition = 0;
    size_t mCharStringsPosition = 0;
    size_t mPrivatePosition = 0;
    size_t mPrivateSize = 0;
};
