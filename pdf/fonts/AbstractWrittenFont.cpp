#include "pdf/fonts/AbstractWrittenFont.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/objects/PDFArray.h"
#include "pdf/objects/PDFDictionary.h"
#include "pdf/objects/PDFInteger.h"
#include "pdf/objects/PDFObjectCastPtr.h"
#include "pdf/parsing/PDFParser.h"
#include "pdf/writing/DictionaryContext.h"
#include "pdf/writing/ObjectsContext.h"

#include <utility>

bool EncodeWithRepresentation(const WrittenFontRepresentation* inRepresentation, const GlyphTextRecordList& inGlyphList,
                              std::vector<uint16_t>& outEncodedCharacters)
{
    if (!inRepresentation)
        return false;
    std::vector<uint16_t> codes;
    codes.reserve(inGlyphList.size());
    for (const GlyphTextRecord& record : inGlyphList) {
        auto found = inRepresentation->mGlyphIDToEncodedChar.find(record.mGlyphCode);
        if (found == inRepresentation->mGlyphIDToEncodedChar.end())
            return false;
        codes.push_back(found->second.mEncodedCharacter);
    }
    outEncodedCharacters = std::move(codes);
    return true;
}

namespace {

bool EncodeListsWithRepresentation(const WrittenFontRepresentation* inRepresentation,
                                   const GlyphTextRecordListList& inGlyphLists, UShortListList& outEncodedCharacters)
{
    UShortListList codes(inGlyphLists.size());
    for (size_t i = 0; i < inGlyphLists.size(); ++i) {
        if (!EncodeWithRepresentation(inRepresentation, inGlyphLists[i], codes[i]))
            return false;
    }
    outEncodedCharacters = std::move(codes);
    return true;
}

// A non-negative integer value no larger than inMax, or false.
bool ReadBoundedInteger(PDFObject* inObject, long long inMax, long long& outValue)
{
    PDFObjectCastPtr<PDFInteger> integer(inObject);
    if (!integer || integer->GetValue() < 0 || integer->GetValue() > inMax)
        return false;
    outValue = integer->GetValue();
    return true;
}

} // namespace

AbstractWrittenFont::~AbstractWrittenFont() = default;

ObjectIDType AbstractWrittenFont::RepresentationObjectID(WrittenFontRepresentation& inRepresentation)
{
    if (inRepresentation.mWrittenObjectID == 0 && mObjectsContext)
        inRepresentation.mWrittenObjectID = mObjectsContext->GetInDirectObjectsRegistry().ReserveNewObjectID();
    return inRepresentation.mWrittenObjectID;
}

void AbstractWrittenFont::EncodeGlyphList(const GlyphTextRecordList& inGlyphList,
                                          std::vector<uint16_t>& outEncodedCharacters, bool& outIsCIDFont,
                                          ObjectIDType& outFontObjectID)
{
    // One text follows the same steps as several placed together.
    UShortListList codes;
    EncodeGlyphLists(GlyphTextRecordListList{inGlyphList}, codes, outIsCIDFont, outFontObjectID);
    outEncodedCharacters = std::move(codes.front());
}

void AbstractWrittenFont::EncodeGlyphLists(const GlyphTextRecordListList& inGlyphLists,
                                           UShortListList& outEncodedCharacters, bool& outIsCIDFont,
                                           ObjectIDType& outFontObjectID)
{
    if (EncodeListsWithRepresentation(mCIDRepresentation.get(), inGlyphLists, outEncodedCharacters)) {
        outIsCIDFont = true;
        outFontObjectID = RepresentationObjectID(*mCIDRepresentation);
        return;
    }
    if (EncodeListsWithRepresentation(mANSIRepresentation.get(), inGlyphLists, outEncodedCharacters)) {
        outIsCIDFont = false;
        outFontObjectID = RepresentationObjectID(*mANSIRepresentation);
        return;
    }
    if (!mCIDRepresentation) {
        if (!mANSIRepresentation)
            mANSIRepresentation = std::make_unique<WrittenFontRepresentation>();
        if (PlaceInANSIRepresentation(inGlyphLists, outEncodedCharacters)) {
            outIsCIDFont = false;
            outFontObjectID = RepresentationObjectID(*mANSIRepresentation);
            return;
        }
        mCIDRepresentation = std::make_unique<WrittenFontRepresentation>();
    }
    mCIDRepresentation->InsertNotDef();
    outEncodedCharacters.assign(inGlyphLists.size(), std::vector<uint16_t>());
    for (size_t i = 0; i < inGlyphLists.size(); ++i)
        AddToCIDRepresentation(inGlyphLists[i], outEncodedCharacters[i]);
    outIsCIDFont = true;
    outFontObjectID = RepresentationObjectID(*mCIDRepresentation);
}

void AbstractWrittenFont::AddToCIDRepresentation(const GlyphTextRecordList& inGlyphList,
                                                 std::vector<uint16_t>& outEncodedCharacters)
{
    outEncodedCharacters.clear();
    outEncodedCharacters.reserve(inGlyphList.size());
    for (const GlyphTextRecord& record : inGlyphList) {
        auto inserted = mCIDRepresentation->mGlyphIDToEncodedChar.emplace(
            record.mGlyphCode, GlyphEncodingInfo{record.mGlyphCode, record.mUnicodeValues});
        outEncodedCharacters.push_back(inserted.first->second.mEncodedCharacter);
    }
}

void AbstractWrittenFont::WriteStateEntries(ObjectsContext*, DictionaryContext*) {}

OpStatus AbstractWrittenFont::ReadStateEntries(PDFParser*, PDFDictionary*)
{
    return eSuccess;
}

OpStatus AbstractWrittenFont::SaveState(ObjectsContext* inStateWriter, ObjectIDType inObjectID)
{
    inStateWriter->StartIndirectObject(inObjectID);
    DictionaryContext* dictionary = inStateWriter->StartDictionary();
    dictionary->WriteKey("Type");
    inStateWriter->GetValueWriter().WriteNameValue(StateTypeName(), eTokenSeparatorEndLine);
    WriteStateEntries(inStateWriter, dictionary);

    ObjectIDType cidID = 0;
    ObjectIDType ansiID = 0;
    if (mCIDRepresentation) {
        cidID = inStateWriter->GetInDirectObjectsRegistry().ReserveNewObjectID();
        dictionary->WriteKey("mCIDRepresentation");
        inStateWriter->WriteIndirectObjectReference(cidID);
    }
    if (mANSIRepresentation) {
        ansiID = inStateWriter->GetInDirectObjectsRegistry().ReserveNewObjectID();
        dictionary->WriteKey("mANSIRepresentation");
        inStateWriter->WriteIndirectObjectReference(ansiID);
    }
    inStateWriter->EndDictionary(dictionary);
    inStateWriter->EndIndirectObject();

    if (mCIDRepresentation)
        WriteRepresentationState(inStateWriter, *mCIDRepresentation, cidID);
    if (mANSIRepresentation)
        WriteRepresentationState(inStateWriter, *mANSIRepresentation, ansiID);
    return eSuccess;
}

void AbstractWrittenFont::WriteRepresentationState(ObjectsContext* inStateWriter,
                                                   const WrittenFontRepresentation& inRepresentation,
                                                   ObjectIDType inObjectID)
{
    inStateWriter->StartIndirectObject(inObjectID);
    DictionaryContext* dictionary = inStateWriter->StartDictionary();
    dictionary->WriteKey("Type");
    inStateWriter->GetValueWriter().WriteNameValue("WrittenFontRepresentation", eTokenSeparatorEndLine);

    std::vector<ObjectIDType> entryIDs;
    dictionary->WriteKey("mGlyphIDToEncodedChar");
    inStateWriter->StartArray();
    for (const auto& entry : inRepresentation.mGlyphIDToEncodedChar) {
        entryIDs.push_back(inStateWriter->GetInDirectObjectsRegistry().ReserveNewObjectID());
        inStateWriter->WriteInteger(entry.first, eTokenSeparatorSpace);
        inStateWriter->WriteIndirectObjectReference(entryIDs.back(), eTokenSeparatorSpace);
    }
    inStateWriter->EndArray(eTokenSeparatorEndLine);
    dictionary->WriteKey("mWrittenObjectID");
    dictionary->WriteIntegerValue(inRepresentation.mWrittenObjectID);
    inStateWriter->EndDictionary(dictionary);
    inStateWriter->EndIndirectObject();

    size_t index = 0;
    for (const auto& entry : inRepresentation.mGlyphIDToEncodedChar) {
        inStateWriter->StartIndirectObject(entryIDs[index++]);
        DictionaryContext* entryDictionary = inStateWriter->StartDictionary();
        entryDictionary->WriteKey("Type");
        inStateWriter->GetValueWriter().WriteNameValue("GlyphEncodingInfo", eTokenSeparatorEndLine);
        entryDictionary->WriteKey("mEncodedCharacter");
        entryDictionary->WriteIntegerValue(entry.second.mEncodedCharacter);
        entryDictionary->WriteKey("mUnicodeCharacters");
        inStateWriter->StartArray();
        for (uint32_t value : entry.second.mUnicodeCharacters)
            inStateWriter->WriteInteger(value, eTokenSeparatorSpace);
        inStateWriter->EndArray(eTokenSeparatorEndLine);
        inStateWriter->EndDictionary(entryDictionary);
        inStateWriter->EndIndirectObject();
    }
}

OpStatus AbstractWrittenFont::LoadState(PDFParser* inStateReader, ObjectIDType inObjectID)
{
    PDFObjectCastPtr<PDFDictionary> state(inStateReader->ParseObjectByID(static_cast<uint32_t>(inObjectID)));
    if (!state) {
        TraceMessage("AbstractWrittenFont::LoadState, the state object %lu is not a dictionary",
                     static_cast<unsigned long>(inObjectID));
        return eFailure;
    }
    // Read everything first, so that a damaged state changes nothing.
    bool failed = false;
    std::unique_ptr<WrittenFontRepresentation> cid =
        ReadRepresentationState(inStateReader, state.GetPtr(), "mCIDRepresentation", kMaxCIDEntries, failed);
    std::unique_ptr<WrittenFontRepresentation> ansi =
        ReadRepresentationState(inStateReader, state.GetPtr(), "mANSIRepresentation", kMaxANSIEntries, failed);
    if (failed || ReadStateEntries(inStateReader, state.GetPtr()) != eSuccess)
        return eFailure;
    mCIDRepresentation = std::move(cid);
    mANSIRepresentation = std::move(ansi);
    return eSuccess;
}

std::unique_ptr<WrittenFontRepresentation> AbstractWrittenFont::ReadRepresentationState(
    PDFParser* inStateReader, PDFDictionary* inStateDictionary, const std::string& inKey, size_t inMaxEntries,
    bool& outFailed)
{
    PDFObjectCastPtr<PDFDictionary> saved(inStateReader->ResolveDictionaryValue(inStateDictionary, inKey));
    if (!saved)
        return nullptr;
    auto fail = [&](const char* inWhat) {
        TraceMessage("AbstractWrittenFont::LoadState, %s of %s", inWhat, inKey.c_str());
        outFailed = true;
        return nullptr;
    };

    auto representation = std::make_unique<WrittenFontRepresentation>();
    long long objectID = 0;
    if (!ReadBoundedInteger(saved->QueryDirectObject("mWrittenObjectID"), UINT32_MAX, objectID))
        return fail("no usable mWrittenObjectID");
    representation->mWrittenObjectID = static_cast<ObjectIDType>(objectID);

    PDFObjectCastPtr<PDFArray> entries(inStateReader->ResolveDictionaryValue(saved.GetPtr(), "mGlyphIDToEncodedChar"));
    if (!entries || entries->GetLength() % 2 != 0)
        return fail("no usable mGlyphIDToEncodedChar");
    if (entries->GetLength() / 2 > inMaxEntries)
        return fail("too many glyphs in mGlyphIDToEncodedChar");
    for (uint32_t i = 0; i < entries->GetLength(); i += 2) {
        long long glyph = 0;
        long long code = 0;
        if (!ReadBoundedInteger(entries->QueryObject(i), 0xFFFF, glyph))
            return fail("a glyph code out of range");
        PDFObjectCastPtr<PDFDictionary> info(inStateReader->ResolveArrayElement(entries.GetPtr(), i + 1));
        if (!info || !ReadBoundedInteger(info->QueryDirectObject("mEncodedCharacter"),
                                         inMaxEntries == kMaxANSIEntries ? 0xFF : 0xFFFF, code))
            return fail("an unusable GlyphEncodingInfo");
        GlyphEncodingInfo encoding;
        encoding.mEncodedCharacter = static_cast<uint16_t>(code);
        PDFObjectCastPtr<PDFArray> unicodes(inStateReader->ResolveDictionaryValue(info.GetPtr(), "mUnicodeCharacters"));
        for (uint32_t u = 0; unicodes && u < unicodes->GetLength(); ++u) {
            long long value = 0;
            if (!ReadBoundedInteger(unicodes->QueryObject(u), UINT32_MAX, value))
                return fail("a Unicode value out of range");
            encoding.mUnicodeCharacters.push_back(static_cast<uint32_t>(value));
        }
        representation->mGlyphIDToEncodedChar[static_cast<uint16_t>(glyph)] = std::move(encoding);
    }
    return representation;
}

OpStatus AbstractWrittenFont::WriteRepresentations(const char* inClassName, const RepresentationWriter& inWriteANSI,
                                                   const RepresentationWriter& inWriteCID)
{
    if (mANSIRepresentation && mANSIRepresentation->mWrittenObjectID != 0 &&
        inWriteANSI(*mANSIRepresentation) != eSuccess) {
        TraceMessage("%s::WriteFontDefinition, Failed to write Ansi font definition", inClassName);
        return eFailure;
    }
    if (mCIDRepresentation && mCIDRepresentation->mWrittenObjectID != 0 &&
        inWriteCID(*mCIDRepresentation) != eSuccess) {
        TraceMessage("%s::WriteFontDefinition, Failed to write CID font definition", inClassName);
        return eFailure;
    }
    return eSuccess;
}
