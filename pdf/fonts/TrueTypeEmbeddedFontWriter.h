#pragma once
// Embeds a TrueType font as a subset: the font file is read again through OpenTypeFileInput,
// only the outlines of the glyphs in use (and of the glyphs composites are built from) are kept,
// and a complete font is built in memory, then copied into a stream object (FontFile2). Glyph
// ids are not renumbered: glyphs outside the subset stay in place with empty outlines, so the
// codes, widths and the Identity CIDToGIDMap of the PDF font keep referring to the font's own
// glyph ids. One writer serves one embedding; nothing is written to the PDF unless the whole
// subset could be built.

#include "pdf/fonts/OpenTypeFileInput.h"
#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"

#include <set>
#include <string>
#include <vector>

class FreeTypeFaceWrapper;
class IByteReaderWithPosition;
class ObjectsContext;

class TrueTypeEmbeddedFontWriter {
public:
    // outProgramID is the new stream object, or 0 (with result 0) when the font's embedding
    // rights forbid embedding.
    OpStatus WriteEmbeddedFont(FreeTypeFaceWrapper& inFontInfo, const std::vector<uint32_t>& inSubsetGlyphIDs,
                               ObjectsContext* inObjectsContext, ObjectIDType& outProgramID);

    // The subset of the face's font file in outFont; outNotEmbeddable (with 0 and no font) when
    // the font forbids embedding.
    OpStatus CreateTrueTypeSubset(FreeTypeFaceWrapper& inFontInfo, const std::vector<uint32_t>& inSubsetGlyphIDs,
                                  bool& outNotEmbeddable, std::string& outFont);
    // The same from an sfnt in a stream (the caller's, positioned at the font's start).
    OpStatus CreateTrueTypeSubset(IByteReaderWithPosition* inFontStream, uint16_t inFaceIndex,
                                  const std::vector<uint32_t>& inSubsetGlyphIDs, bool& outNotEmbeddable,
                                  std::string& outFont);

    // The OS/2 fsType values that forbid embedding: restricted licence, alone or with bitmap-only.
    static bool FSTypeForbidsEmbedding(uint16_t inFSType)
    {
        return inFSType == 2 || inFSType == 512 || inFSType == 514;
    }

private:
    // The listed glyphs with every glyph composites among them are built from, ascending;
    // false (logged) for a glyph id the font does not have.
    bool AddDependentGlyphs(std::vector<uint32_t>& ioGlyphs);

    OpStatus WriteTrueTypeHeader();
    OpStatus WriteHead();
    OpStatus WriteHHea();
    OpStatus WriteHMtx();
    OpStatus WriteMaxp();
    OpStatus CopyTable(const char* inName);
    OpStatus WriteGlyf(const std::vector<uint32_t>& inSubsetGlyphIDs, std::vector<uint32_t>& outLocaEnds);
    OpStatus WriteLoca(const std::vector<uint32_t>& inSubsetGlyphIDs, const std::vector<uint32_t>& inLocaEnds);

    // The source table's bytes appended to the font; -1 (logged) when they cannot all be read.
    OpStatus AppendSourceBytes(uint32_t inOffset, uint32_t inLength);
    // A source table that must be there and at least inMinimumLength long, appended; the
    // offset where it starts in the font. -1 (logged) otherwise.
    OpStatus AppendRequiredTable(const char* inName, uint32_t inMinimumLength, size_t& outStart);
    // Pads the table that began at inStart, fills its directory entry.
    void WriteTableEntry(const char* inName, size_t inStart);
    void WriteCheckSumAdjustment();

    void AppendUInt16(uint16_t inValue);
    void AppendUInt32(uint32_t inValue);
    void PutUInt16(size_t inAt, uint16_t inValue);
    void PutUInt32(size_t inAt, uint32_t inValue);

    OpenTypeFileInput mTrueTypeInput;
    BigEndianReader mSourceReader;
    std::string mFont;
    uint16_t mSubsetFontGlyphsCount = 0;
    std::vector<std::pair<uint32_t, size_t>> mTableEntryPositions; // tag, where its directory entry is
    size_t mHeadCheckSumOffset = 0;
};
