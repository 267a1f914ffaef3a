#include "pdf/fonts/WrittenFontCFF.h"

#include "pdf/fonts/CFFANSIFontWriter.h"
#include "pdf/fonts/CFFDescendentFontWriter.h"
#include "pdf/fonts/CIDFontWriter.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/objects/PDFArray.h"
#include "pdf/objects/PDFBoolean.h"
#include "pdf/objects/PDFDictionary.h"
#include "pdf/objects/PDFInteger.h"
#include "pdf/objects/PDFObjectCastPtr.h"
#include "pdf/parsing/PDFParser.h"
#include "pdf/writing/DictionaryContext.h"
#include "pdf/writing/ObjectsContext.h"

#include <algorithm>

WrittenFontCFF::WrittenFontCFF(ObjectsContext* inObjectsContext, bool inIsCID)
    : AbstractWrittenFont(inObjectsContext), mIsCID(inIsCID)
{
    mFreeList.push_back(ByteRange(1, 255));
    std::fill(std::begin(mAssignedPositionsAvailable), std::end(mAssignedPositionsAvailable), true);
    std::fill(std::begin(mAssignedPositions), std::end(mAssignedPositions), 0);
}

OpStatus WrittenFontCFF::WriteFontDefinition(FreeTypeFaceWrapper& inFontInfo, bool inEmbedFont)
{
    return WriteRepresentations(
        "WrittenFontCFF",
        [&](const WrittenFontRepresentation& inRepresentation) {
            CFFANSIFontWriter fontWriter;
            return fontWriter.WriteFont(inFontInfo, inRepresentation, mObjectsContext, inEmbedFont);
        },
        [&](const WrittenFontRepresentation& inRepresentation) {
            CIDFontWriter fontWriter;
            CFFDescendentFontWriter descendentFontWriter;
            return fontWriter.WriteFont(inFontInfo, inRepresentation, mObjectsContext, &descendentFontWriter,
                                        inEmbedFont);
        });
}

bool WrittenFontCFF::PlaceInANSIRepresentation(const GlyphTextRecordListList& inGlyphLists,
                                               UShortListList& outEncodedCharacters)
{
    std::vector<const GlyphTextRecordList*> lists;
    for (const GlyphTextRecordList& list : inGlyphLists)
        lists.push_back(&list);
    if (mIsCID || !HasRoomForGlyphs(lists))
        return false;
    // Also for an empty text: a representation in use always holds .notdef.
    ReserveNotDef();
    outEncodedCharacters.assign(inGlyphLists.size(), std::vector<uint16_t>());
    for (size_t i = 0; i < inGlyphLists.size(); ++i) {
        for (const GlyphTextRecord& record : inGlyphLists[i])
            outEncodedCharacters[i].push_back(EncodeGlyph(record.mGlyphCode, record.mUnicodeValues));
    }
    return true;
}

bool WrittenFontCFF::PlaceInANSIRepresentation(const GlyphTextRecordList& inGlyphList,
                                               std::vector<uint16_t>& outEncodedCharacters)
{
    UShortListList codes;
    if (!PlaceInANSIRepresentation(GlyphTextRecordListList{inGlyphList}, codes))
        return false;
    outEncodedCharacters = std::move(codes.front());
    return true;
}

bool WrittenFontCFF::HasRoomForGlyphs(const std::vector<const GlyphTextRecordList*>& inGlyphLists) const
{
    // A new glyph that repeats is counted each time, which only ever asks for too much room.
    long long needed = 0;
    for (const GlyphTextRecordList* list : inGlyphLists) {
        for (const GlyphTextRecord& record : *list) {
            if (!mANSIRepresentation->HoldsGlyph(record.mGlyphCode))
                ++needed;
        }
    }
    return needed <= mAvailablePositionsCount;
}

void WrittenFontCFF::ReserveNotDef()
{
    mANSIRepresentation->InsertNotDef();
    mAssignedPositionsAvailable[0] = false;
    mAssignedPositions[0] = 0;
}

uint16_t WrittenFontCFF::EncodeGlyph(uint16_t inGlyph, const std::vector<uint32_t>& inUnicodeValues)
{
    UShortToGlyphEncodingInfoMap& map = mANSIRepresentation->mGlyphIDToEncodedChar;
    auto found = map.find(inGlyph);
    if (found != map.end())
        return found->second.mEncodedCharacter;

    Byte position = static_cast<Byte>((inUnicodeValues.empty() ? inGlyph : inUnicodeValues.back()) & 0xFF);
    if (mAssignedPositionsAvailable[position]) {
        RemoveFromFreeList(position);
    } else {
        // The room check leaves a free code for every new glyph.
        if (mFreeList.empty())
            return 0;
        position = mFreeList.front().first;
        if (mFreeList.front().first == mFreeList.front().second)
            mFreeList.pop_front();
        else
            ++mFreeList.front().first;
    }
    mAssignedPositions[position] = inGlyph;
    mAssignedPositionsAvailable[position] = false;
    map.emplace(inGlyph, GlyphEncodingInfo{position, inUnicodeValues});
    --mAvailablePositionsCount;
    return position;
}

void WrittenFontCFF::RemoveFromFreeList(Byte inPosition)
{
    for (auto range = mFreeList.begin(); range != mFreeList.end(); ++range) {
        if (inPosition < range->first || inPosition > range->second)
            continue;
        if (range->first == range->second) {
            mFreeList.erase(range);
        } else if (range->first == inPosition) {
            ++range->first;
        } else if (range->second == inPosition) {
            --range->second;
        } else {
            mFreeList.insert(range, ByteRange(range->first, static_cast<Byte>(inPosition - 1)));
            range->first = static_cast<Byte>(inPosition + 1);
        }
        return;
    }
}

void WrittenFontCFF::WriteStateEntries(ObjectsContext* inStateWriter, DictionaryContext* inStateDictionary)
{
    inStateDictionary->WriteKey("mAvailablePositionsCount");
    inStateDictionary->WriteIntegerValue(mAvailablePositionsCount);

    inStateDictionary->WriteKey("mFreeList");
    inStateWriter->StartArray();
    for (const ByteRange& range : mFreeList) {
        inStateWriter->WriteInteger(range.first, eTokenSeparatorSpace);
        inStateWriter->WriteInteger(range.second, eTokenSeparatorSpace);
    }
    inStateWriter->EndArray(eTokenSeparatorEndLine);

    inStateDictionary->WriteKey("mAssignedPositions");
    inStateWriter->StartArray();
    for (uint32_t glyph : mAssignedPositions)
        inStateWriter->WriteInteger(glyph, eTokenSeparatorSpace);
    inStateWriter->EndArray(eTokenSeparatorEndLine);

    inStateDictionary->WriteKey("mAssignedPositionsAvailable");
    inStateWriter->StartArray();
    for (bool available : mAssignedPositionsAvailable)
        inStateWriter->WriteBoolean(available, eTokenSeparatorSpace);
    inStateWriter->EndArray(eTokenSeparatorEndLine);

    inStateDictionary->WriteKey("mIsCID");
    inStateDictionary->WriteBooleanValue(mIsCID);
}

OpStatus WrittenFontCFF::ReadStateEntries(PDFParser* inStateReader, PDFDictionary* inStateDictionary)
{
    PDFObjectCastPtr<PDFInteger> count(inStateDictionary->QueryDirectObject("mAvailablePositionsCount"));
    PDFObjectCastPtr<PDFArray> freeList(inStateReader->ResolveDictionaryValue(inStateDictionary, "mFreeList"));
    PDFObjectCastPtr<PDFArray> positions(inStateReader->ResolveDictionaryValue(inStateDictionary, "mAssignedPositions"));
    PDFObjectCastPtr<PDFArray> available(
        inStateReader->ResolveDictionaryValue(inStateDictionary, "mAssignedPositionsAvailable"));
    PDFObjectCastPtr<PDFBoolean> isCID(inStateDictionary->QueryDirectObject("mIsCID"));
    // One-byte codes: 256 of each at most, and free ranges of codes that exist.
    if (!count || count->GetValue() < 0 || count->GetValue() > 255 || !freeList || freeList->GetLength() % 2 != 0 ||
        freeList->GetLength() > 2 * 256 || !positions || positions->GetLength() > 256 || !available ||
        available->GetLength() > 256 || !isCID) {
        TraceMessage("WrittenFontCFF::LoadState, the saved code assignments are missing or out of bounds");
        return eFailure;
    }

    std::list<ByteRange> ranges;
    for (uint32_t i = 0; i < freeList->GetLength(); i += 2) {
        PDFObjectCastPtr<PDFInteger> first(freeList->QueryObject(i));
        PDFObjectCastPtr<PDFInteger> last(freeList->QueryObject(i + 1));
        if (!first || !last) {
            TraceMessage("WrittenFontCFF::LoadState, mFreeList holds a value that is not an integer");
            return eFailure;
        }
        ranges.push_back(ByteRange(static_cast<Byte>(first->GetValue() & 0xFF), static_cast<Byte>(last->GetValue() & 0xFF)));
    }
    uint32_t glyphs[256] = {0};
    bool flags[256];
    std::fill(std::begin(flags), std::end(flags), true);
    for (uint32_t i = 0; i < positions->GetLength(); ++i) {
        PDFObjectCastPtr<PDFInteger> glyph(positions->QueryObject(i));
        glyphs[i] = glyph ? static_cast<uint32_t>(glyph->GetValue()) : 0;
    }
    for (uint32_t i = 0; i < available->GetLength(); ++i) {
        PDFObjectCastPtr<PDFBoolean> flag(available->QueryObject(i));
        flags[i] = !flag || flag->GetValue();
    }

    mAvailablePositionsCount = static_cast<int>(count->GetValue());
    mFreeList = std::move(ranges);
    std::copy(std::begin(glyphs), std::end(glyphs), std::begin(mAssignedPositions));
    std::copy(std::begin(flags), std::end(flags), std::begin(mAssignedPositionsAvailable));
    mIsCID = isCID->GetValue();
    return eSuccess;
}
