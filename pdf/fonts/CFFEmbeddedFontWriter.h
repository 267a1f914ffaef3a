#pragma once
// Embeds an OpenType font with CFF outlines as a subset: a new CFF font program holding only
// the glyphs in use (plus glyph 0 and the components of accented glyphs), every glyph program
// flattened so that no subroutine is left and only the strings it uses kept, written as a FontFile3 stream (Type1C for simple
// fonts, CIDFontType0C for CID fonts). With a CID list the subset is CID-keyed, also when the
// source is name-keyed: ROS Adobe/Identity/0, one FD carrying the Private DICT, and a charset of
// the given CIDs, so that the CIDs in page content select the right glyphs. One writer serves
// one embedding; nothing is written to the PDF unless the whole subset could be built.

#include "pdf/fonts/CFFValueWriter.h"
#include "pdf/fonts/OpenTypeFileInput.h"
#include "pdf/io/OutputStringBufferStream.h"
#include "pdf/objects/ObjectIDType.h"

#include <map>
#include <string>
#include <vector>

class FreeTypeFaceWrapper;
class ObjectsContext;

class CFFEmbeddedFontWriter {
public:
    // outProgramID is the new stream object, or 0 (with result 0) when the font's embedding
    // rights forbid embedding. inCIDMapping, when given, holds the CID of each glyph id.
    OpStatus WriteEmbeddedFont(FreeTypeFaceWrapper& inFontInfo, const std::vector<uint32_t>& inSubsetGlyphIDs,
                               const std::string& inFontFile3SubType, const std::string& inSubsetFontName,
                               ObjectsContext* inObjectsContext, const std::vector<uint16_t>* inCIDMapping,
                               ObjectIDType& outProgramID);

    // The subset CFF program of the face's font file in outFont; outNotEmbeddable (with 0 and
    // no program) when the font forbids embedding.
    OpStatus CreateCFFSubset(FreeTypeFaceWrapper& inFontInfo, const std::vector<uint32_t>& inSubsetGlyphIDs,
                             const std::vector<uint16_t>* inCIDMapping, const std::string& inSubsetFontName,
                             bool& outNotEmbeddable, std::string& outFont);
    // The same from an OpenType font in a stream (the caller's, positioned at the font's start).
    OpStatus CreateCFFSubset(IByteReaderWithPosition* inFontStream, uint16_t inFaceIndex,
                             const std::vector<uint32_t>& inSubsetGlyphIDs, const std::vector<uint16_t>* inCIDMapping,
                             const std::string& inSubsetFontName, bool& outNotEmbeddable, std::string& outFont);
    // The same from CFF data read already (the caller's); inOS2 is the font's OS/2 table, if any.
    OpStatus CreateCFFSubset(CFFFileInput& inSource, const OS2Table* inOS2,
                             const std::vector<uint32_t>& inSubsetGlyphIDs, const std::vector<uint16_t>* inCIDMapping,
                             const std::string& inSubsetFontName, bool& outNotEmbeddable, std::string& outFont);

private:
    // The flattened program of every glyph, and of the components accented characters name;
    // with components, the list becomes every glyph in id order.
    OpStatus FlattenGlyphs(std::vector<uint16_t>& ioSubsetGlyphIDs);
    OpStatus WriteName(const std::string& inSubsetFontName);
    OpStatus WriteTopIndex();
    OpStatus WriteStringIndex();
    OpStatus WriteEncodings(const std::vector<uint16_t>& inSubsetGlyphIDs);
    OpStatus WriteCharsets(const std::vector<uint16_t>& inSubsetGlyphIDs);
    OpStatus WriteFDSelect(const std::vector<uint16_t>& inSubsetGlyphIDs);
    OpStatus WriteCharStrings(const std::vector<uint16_t>& inSubsetGlyphIDs);
    OpStatus WritePrivateDictionary(const CFFDict& inPrivateDict, LongFilePositionType& outSize,
                                    LongFilePositionType& outOffset);
    OpStatus WriteFDArray();
    OpStatus UpdateIndexesAtTopDict(std::string& ioFont);
    // The SID of an added string.
    uint16_t AddedStringSID(size_t inAddedIndex) const;
    // The font's strings that the subset uses, renumbered in their order.
    void SelectStrings(const std::vector<uint16_t>& inSubsetGlyphIDs);
    uint16_t RemapSID(uint16_t inSID) const;
    DictOperandList RemapSIDOperands(uint16_t inKey, const DictOperandList& inOperands) const;

    OpenTypeFileInput mOpenTypeInput;
    CFFFileInput* mSource = nullptr;
    OutputStringBufferStream mFontFileStream;
    CFFValueWriter mPrimitivesWriter;

    bool mIsCID = false;         // the subset is CID-keyed
    bool mConvertsToCID = false; // ... made from a name-keyed source
    std::map<uint16_t, std::string> mCharStrings; // flattened programs by glyph id
    std::vector<std::string> mSubsetStrings;
    std::map<uint16_t, uint16_t> mSIDRemap; // source SID to subset SID, for the font's own strings
    std::vector<std::string> mAddedStrings;
    uint16_t mFSType = 0;
    bool mHasFSType = false;
    // The CID of each subset glyph, in subset order (CID-keyed subsets).
    std::vector<uint16_t> mSubsetCIDs;
    // Used FDs in source FDArray order (CID-keyed sources), and the new FD number of each subset glyph.
    std::vector<const FontDictionary*> mUsedFDs;
    std::vector<uint8_t> mGlyphFD;

    // Where the five-byte placeholders of the Top DICT are (absolute in the output; 0 = none),
    // and what they get.
    LongFilePositionType mCharsetPlaceHolderPosition = 0;
    LongFilePositionType mEncodingPlaceHolderPosition = 0;
    LongFilePositionType mCharstringsPlaceHolderPosition = 0;
    LongFilePositionType mPrivatePlaceHolderPosition = 0;
    LongFilePositionType mFDArrayPlaceHolderPosition = 0;
    LongFilePositionType mFDSelectPlaceHolderPosition = 0;
    LongFilePositionType mCharsetPosition = 0;
    LongFilePositionType mEncodingPosition = 0;
    LongFilePositionType mCharStringPosition = 0;
    LongFilePositionType mPrivateSize = 0;
    LongFilePositionType mPrivatePosition = 0;
    LongFilePositionType mFDArrayPosition = 0;
    LongFilePositionType mFDSelectPosition = 0;
};
