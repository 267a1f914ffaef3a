#pragma once
// What the written fonts share: the choice between the one-byte (ANSI) and the CID
// representation, the CID representation's codes (glyph id = CID), and the saving and loading
// of both representations. The subclasses place glyphs in the ANSI representation their own
// way and write their own font dictionaries. A text goes to a representation only when all its
// glyphs are there or can be placed there; once a text did not fit the ANSI representation,
// new glyphs go to the CID one for good. The objects context is not owned.

#include "pdf/fonts/IWrittenFont.h"
#include "pdf/fonts/WrittenFontRepresentation.h"

#include <functional>
#include <memory>
#include <string>

class DictionaryContext;
class PDFDictionary;

class AbstractWrittenFont : public IWrittenFont {
public:
    explicit AbstractWrittenFont(ObjectsContext* inObjectsContext) : mObjectsContext(inObjectsContext) {}
    ~AbstractWrittenFont() override;

    void EncodeGlyphLists(const GlyphTextRecordListList& inGlyphLists, UShortListList& outEncodedCharacters,
                          bool& outIsCIDFont, ObjectIDType& outFontObjectID) override;
    void EncodeGlyphList(const GlyphTextRecordList& inGlyphList, std::vector<uint16_t>& outEncodedCharacters,
                         bool& outIsCIDFont, ObjectIDType& outFontObjectID) override;
    OpStatus SaveState(ObjectsContext* inStateWriter, ObjectIDType inObjectID) override;
    OpStatus LoadState(PDFParser* inStateReader, ObjectIDType inObjectID) override;

    const WrittenFontRepresentation* GetCIDRepresentation() const { return mCIDRepresentation.get(); }
    const WrittenFontRepresentation* GetANSIRepresentation() const { return mANSIRepresentation.get(); }

    // Most entries of a representation read back from a saved state: one-byte codes leave room
    // for 256, CIDs for every 16-bit glyph id.
    static constexpr size_t kMaxANSIEntries = 256;
    static constexpr size_t kMaxCIDEntries = 65536;

protected:
    // Places every glyph of the lists in the ANSI representation (which exists) and gives their
    // codes; false with nothing changed when they do not all fit.
    virtual bool PlaceInANSIRepresentation(const GlyphTextRecordListList& inGlyphLists,
                                           UShortListList& outEncodedCharacters) = 0;
    virtual bool PlaceInANSIRepresentation(const GlyphTextRecordList& inGlyphList,
                                           std::vector<uint16_t>& outEncodedCharacters) = 0;

    // The "Type" of the saved state, the kind's own entries of the state dictionary, and reading
    // them back (-1 when they are not usable; nothing is changed then).
    virtual const char* StateTypeName() const = 0;
    virtual void WriteStateEntries(ObjectsContext* inStateWriter, DictionaryContext* inStateDictionary);
    virtual OpStatus ReadStateEntries(PDFParser* inStateReader, PDFDictionary* inStateDictionary);

    // Writes the representations in use, the one-byte one first, each through the kind's writer;
    // a failure is logged under inClassName and returned at once.
    typedef std::function<OpStatus(const WrittenFontRepresentation&)> RepresentationWriter;
    OpStatus WriteRepresentations(const char* inClassName, const RepresentationWriter& inWriteANSI,
                                  const RepresentationWriter& inWriteCID);

    ObjectsContext* mObjectsContext;
    std::unique_ptr<WrittenFontRepresentation> mCIDRepresentation;
    std::unique_ptr<WrittenFontRepresentation> mANSIRepresentation;

private:
    void AddToCIDRepresentation(const GlyphTextRecordList& inGlyphList, std::vector<uint16_t>& outEncodedCharacters);
    ObjectIDType RepresentationObjectID(WrittenFontRepresentation& inRepresentation);
    void WriteRepresentationState(ObjectsContext* inStateWriter, const WrittenFontRepresentation& inRepresentation,
                                  ObjectIDType inObjectID);
    // Null (logged) when the representation's objects are not usable.
    std::unique_ptr<WrittenFontRepresentation> ReadRepresentationState(PDFParser* inStateReader,
                                                                       PDFDictionary* inStateDictionary,
                                                                       const std::string& inKey, size_t inMaxEntries,
                                                                       bool& outFailed);
};

// The codes a representation holds for every glyph of the list, or false when one is missing.
bool EncodeWithRepresentation(const WrittenFontRepresentation* inRepresentation, const GlyphTextRecordList& inGlyphList,
                              std::vector<uint16_t>& outEncodedCharacters);
