#include "pdf/fonts/WrittenFontTrueType.h"

#include "pdf/fonts/CIDFontWriter.h"
#include "pdf/fonts/TrueTypeANSIFontWriter.h"
#include "pdf/fonts/TrueTypeDescendentFontWriter.h"
#include "pdf/fonts/WinAnsiEncoding.h"
#include "pdf/io/DiagnosticLog.h"

#include <map>
#include <set>

OpStatus WrittenFontTrueType::WriteFontDefinition(FreeTypeFaceWrapper& inFontInfo, bool inEmbedFont)
{
    return WriteRepresentations(
        "WrittenFontTrueType",
        [&](const WrittenFontRepresentation& inRepresentation) {
            TrueTypeANSIFontWriter fontWriter;
            return fontWriter.WriteFont(inFontInfo, inRepresentation, mObjectsContext, inEmbedFont);
        },
        [&](const WrittenFontRepresentation& inRepresentation) {
            CIDFontWriter fontWriter;
            TrueTypeDescendentFontWriter descendentFontWriter;
            return fontWriter.WriteFont(inFontInfo, inRepresentation, mObjectsContext, &descendentFontWriter,
                                        inEmbedFont);
        });
}

bool WrittenFontTrueType::PlaceInANSIRepresentation(const GlyphTextRecordListList& inGlyphLists,
                                                    UShortListList& outEncodedCharacters)
{
    std::vector<const GlyphTextRecordList*> lists;
    for (const GlyphTextRecordList& list : inGlyphLists)
        lists.push_back(&list);
    return PlaceLists(lists, outEncodedCharacters);
}

bool WrittenFontTrueType::PlaceInANSIRepresentation(const GlyphTextRecordList& inGlyphList,
                                                    std::vector<uint16_t>& outEncodedCharacters)
{
    UShortListList codes;
    if (!PlaceLists({&inGlyphList}, codes))
        return false;
    outEncodedCharacters = std::move(codes.front());
    return true;
}

bool WrittenFontTrueType::PlaceLists(const std::vector<const GlyphTextRecordList*>& inGlyphLists,
                                     UShortListList& outEncodedCharacters)
{
    UShortToGlyphEncodingInfoMap& map = mANSIRepresentation->mGlyphIDToEncodedChar;
    std::set<uint16_t> takenCodes = {0}; // .notdef's
    for (const auto& entry : map)
        takenCodes.insert(entry.second.mEncodedCharacter);

    // Checked before anything changes: the whole text fits, or nothing is placed.
    std::map<uint16_t, Byte> newGlyphs;
    for (const GlyphTextRecordList* list : inGlyphLists) {
        for (const GlyphTextRecord& record : *list) {
            Byte code = 0;
            if (record.mUnicodeValues.size() != 1 || record.mUnicodeValues.front() == 0x2022 ||
                !WinAnsiEncoding::CodeForUnicode(record.mUnicodeValues.front(), code))
                return false;
            if (map.count(record.mGlyphCode) || newGlyphs.count(record.mGlyphCode))
                continue;
            // Two glyphs under one code would show the wrong one (glyphs chosen by the caller).
            if (!takenCodes.insert(code).second)
                return false;
            newGlyphs[record.mGlyphCode] = code;
        }
    }

    mANSIRepresentation->InsertNotDef();
    outEncodedCharacters.assign(inGlyphLists.size(), std::vector<uint16_t>());
    for (size_t i = 0; i < inGlyphLists.size(); ++i) {
        for (const GlyphTextRecord& record : *inGlyphLists[i]) {
            auto found = map.find(record.mGlyphCode);
            if (found == map.end())
                found = map.emplace(record.mGlyphCode, GlyphEncodingInfo{newGlyphs[record.mGlyphCode],
                                                                         record.mUnicodeValues})
                            .first;
            // A glyph placed before keeps its code: space and no-break space share one glyph.
            outEncodedCharacters[i].push_back(found->second.mEncodedCharacter);
        }
    }
    return true;
}
