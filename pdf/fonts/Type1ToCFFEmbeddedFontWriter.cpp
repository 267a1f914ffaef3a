#include "pdf/fonts/Type1ToCFFEmbeddedFontWriter.h"

#include "pdf/fonts/CFFStandardStrings.h"
#include "pdf/fonts/CFFStructureWriter.h"
#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/fonts/StandardEncoding.h"
#include "pdf/fonts/Type1ToType2Converter.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputFile.h"
#include "pdf/io/OutputStringBufferStream.h"
#include "pdf/writing/ObjectsContext.h"

#include <cmath>
#include <set>

namespace {

const char scSubtype[] = "Subtype";
const char scType1C[] = "Type1C";

// Top and Private DICT operators.
enum : uint16_t {
    kVersion = 0,
    kNotice = 1,
    kFullName = 2,
    kFamilyName = 3,
    kWeight = 4,
    kFontBBox = 5,
    kBlueValues = 6,
    kOtherBlues = 7,
    kFamilyBlues = 8,
    kFamilyOtherBlues = 9,
    kStdHW = 10,
    kStdVW = 11,
    kUniqueID = 13,
    kCharset = 15,
    kEncoding = 16,
    kCharStrings = 17,
    kPrivate = 18,
    kCopyright = 0x0C00,
    kIsFixedPitch = 0x0C01,
    kItalicAngle = 0x0C02,
    kUnderlinePosition = 0x0C03,
    kUnderlineThickness = 0x0C04,
    kFontMatrix = 0x0C07,
    kStrokeWidth = 0x0C08,
    kBlueScale = 0x0C09,
    kBlueShift = 0x0C0A,
    kBlueFuzz = 0x0C0B,
    kStemSnapH = 0x0C0C,
    kStemSnapV = 0x0C0D,
    kForceBold = 0x0C0E,
    kLanguageGroup = 0x0C11,
    kPostScript = 0x0C15,
};

const int kRealDigits = 10;

// The FSType values that forbid embedding: restricted licence, alone or with bitmap-only.
bool ForbidsEmbedding(uint16_t inFSType)
{
    return inFSType == 2 || inFSType == 512 || inFSType == 514;
}

// Whole numbers as integers: shorter, and read the same by every CFF reader.
DictOperand Real(double inValue)
{
    if (inValue == std::trunc(inValue) && std::fabs(inValue) < 2147483647.0)
        return DictOperand::Integer(static_cast<int32_t>(inValue));
    return DictOperand::Real(inValue, kRealDigits);
}

template <typename T>
DictOperandList Deltas(const std::vector<T>& inValues)
{
    DictOperandList operands;
    T previous = 0;
    for (T value : inValues) {
        if constexpr (std::is_integral<T>::value)
            operands.push_back(DictOperand::Integer(static_cast<int32_t>(static_cast<int64_t>(value) - previous)));
        else
            operands.push_back(Real(value - previous));
        previous = value;
    }
    return operands;
}

// A DICT built in memory; the first entry that cannot be written fails the whole.
class DictBuilder {
public:
    DictBuilder() : mWriter(&mStream) {}

    void Put(uint16_t inKey, const DictOperandList& inOperands)
    {
        if (mStatus == eSuccess)
            mStatus = mWriter.PutDictEntry(inKey, inOperands);
    }
    // inCount five-byte integers and the operator; where they start, for filling in later.
    size_t PutPlaceholders(uint16_t inKey, int inCount)
    {
        size_t position = static_cast<size_t>(mStream.TellPosition());
        for (int i = 0; i < inCount && mStatus == eSuccess; ++i)
            mStatus = mWriter.PutFiveByteInteger(0);
        if (mStatus == eSuccess)
            mStatus = mWriter.PutByte(inKey);
        return position;
    }
    OpStatus Status() const { return mStatus; }
    std::string Data() const { return mStream.ContentsAsString(); }

private:
    OutputStringBufferStream mStream;
    CFFValueWriter mWriter;
    OpStatus mStatus = eSuccess;
};

} // namespace

OpStatus Type1ToCFFEmbeddedFontWriter::WriteEmbeddedFont(FreeTypeFaceWrapper& inFontInfo,
                                                         const std::vector<uint32_t>& inSubsetGlyphIDs,
                                                         const std::string& inSubsetFontName,
                                                         ObjectsContext* inObjectsContext,
                                                         ObjectIDType& outEmbeddedFontObjectID,
                                                         const GlyphCodes* inGlyphCodes)
{
    outEmbeddedFontObjectID = 0;
    bool notEmbeddable = false;
    std::string font;
    OpStatus status =
        CreateCFFSubset(inFontInfo, inSubsetGlyphIDs, inSubsetFontName, notEmbeddable, font, inGlyphCodes);
    if (status != eSuccess) {
        TraceMessage("Type1ToCFFEmbeddedFontWriter::WriteEmbeddedFont, failed to write embedded font program");
        return status;
    }
    if (notEmbeddable) {
        TraceMessage("Type1ToCFFEmbeddedFontWriter::WriteEmbeddedFont, font may not be embedded. so not embedding");
        return eSuccess;
    }

    outEmbeddedFontObjectID = inObjectsContext->AllocateAndStartIndirectObject();
    DictionaryContext* dictionary = inObjectsContext->StartDictionary();
    dictionary->WriteKey(scSubtype);
    inObjectsContext->GetValueWriter().WriteNameValue(scType1C, eTokenSeparatorEndLine);
    std::unique_ptr<WrittenPDFStream> stream = inObjectsContext->StartStream(dictionary);
    IByteWriterWithPosition* target = stream ? stream->GetWriteStream() : nullptr;
    if (!target || target->WriteBytes(reinterpret_cast<const Byte*>(font.data()), font.size()) != font.size()) {
        TraceMessage("Type1ToCFFEmbeddedFontWriter::WriteEmbeddedFont, failed to copy font program into pdf stream");
        if (stream)
            inObjectsContext->EndStream(stream.get());
        return eFailure;
    }
    return inObjectsContext->EndStream(stream.get());
}

OpStatus Type1ToCFFEmbeddedFontWriter::CreateCFFSubset(FreeTypeFaceWrapper& inFontInfo,
                                                       const std::vector<uint32_t>& inSubsetGlyphIDs,
                                                       const std::string& inSubsetFontName, bool& outNotEmbeddable,
                                                       std::string& outFontProgram, const GlyphCodes* inGlyphCodes)
{
    outNotEmbeddable = false;
    outFontProgram.clear();
    mGlyphNames.clear();
    mGlyphCodes.clear();
    mAddedStrings.clear();
    mAddedStringSIDs.clear();
    mCharsetSIDs.clear();

    std::vector<uint32_t> glyphs = inSubsetGlyphIDs;
    if (glyphs.empty() || glyphs.front() != 0)
        glyphs.insert(glyphs.begin(), 0);

    {
        InputFile file;
        if (file.OpenFile(inFontInfo.GetFontFilePath()) != eSuccess) {
            TraceMessage("Type1ToCFFEmbeddedFontWriter::CreateCFFSubset, cannot open Type 1 font file at %s",
                         inFontInfo.GetFontFilePath().c_str());
            return eFailure;
        }
        if (mType1Input.ParseFontFile(file.GetInputStream()) != eSuccess) {
            TraceMessage("Type1ToCFFEmbeddedFontWriter::CreateCFFSubset, failed to read Type 1 file");
            return eFailure;
        }
    }

    const Type1FontInfoDictionary& fontInfo = mType1Input.FontInfoDictionary();
    const Type1FontDictionary& fontDictionary = mType1Input.FontDictionary();
    if ((fontInfo.fsTypeValid && ForbidsEmbedding(fontInfo.FSType)) ||
        (!fontInfo.fsTypeValid && fontDictionary.fsTypeValid && ForbidsEmbedding(fontDictionary.FSType))) {
        outNotEmbeddable = true;
        return eSuccess;
    }

    // Glyphs are named by the face; ids beyond its glyphs all take the fallback name. Each glyph
    // goes into the font once.
    std::set<std::string> named;
    for (uint32_t glyph : glyphs) {
        if (glyph > 0xFFFF) {
            TraceMessage("Type1ToCFFEmbeddedFontWriter::CreateCFFSubset, glyph id %u is not a glyph of the font", glyph);
            return eFailure;
        }
        std::string name = inFontInfo.GlyphNameOfIndex(static_cast<uint16_t>(glyph));
        if (named.insert(name).second)
            mGlyphNames.push_back(name);
        if (inGlyphCodes && glyph != 0) {
            auto code = inGlyphCodes->find(glyph);
            if (code != inGlyphCodes->end())
                mGlyphCodes.emplace(name, code->second);
        }
    }
    if (AddDependentGlyphs(mGlyphNames) != eSuccess) {
        TraceMessage("Type1ToCFFEmbeddedFontWriter::CreateCFFSubset, failed to add dependent glyphs");
        return eFailure;
    }
    // The CharStrings INDEX and the charset count glyphs in 16 bits.
    if (mGlyphNames.size() > 0xFFFF) {
        TraceMessage("Type1ToCFFEmbeddedFontWriter::CreateCFFSubset, failed to write charstring");
        return eFailure;
    }

    OutputStringBufferStream buffer;
    CFFValueWriter writer(&buffer);
    // Each section is appended to the output as a whole; the placeholders are filled last.
    std::string name = inSubsetFontName.empty() ? fontDictionary.FontName : inSubsetFontName;
    const Byte header[] = {1, 0, 4, 2};
    if (writer.Write(header, sizeof(header)) != eSuccess) {
        TraceMessage("Type1ToCFFEmbeddedFontWriter::CreateCFFSubset, failed to write CFF header");
        return eFailure;
    }
    if (CFFStructureWriter::WriteIndex(writer, {name}) != eSuccess) {
        TraceMessage("Type1ToCFFEmbeddedFontWriter::CreateCFFSubset, failed to write CFF Name");
        return eFailure;
    }
    std::string output = buffer.ContentsAsString();
    if (WriteTopIndex(output) != eSuccess) {
        TraceMessage("Type1ToCFFEmbeddedFontWriter::CreateCFFSubset, failed to write Top Index");
        return eFailure;
    }
    for (size_t i = 1; i < mGlyphNames.size(); ++i)
        mCharsetSIDs.push_back(SIDOf(mGlyphNames[i]));

    // SIDs are 16-bit: a font naming more glyphs than that cannot be written.
    OutputStringBufferStream strings;
    CFFValueWriter stringsWriter(&strings);
    if (mAddedStrings.size() > 0xFFFFu - CFFStandardStrings::kCount ||
        CFFStructureWriter::WriteIndex(stringsWriter, mAddedStrings) != eSuccess) {
        TraceMessage("Type1ToCFFEmbeddedFontWriter::CreateCFFSubset, failed to write String Index");
        return eFailure;
    }
    output += strings.ContentsAsString();
    output.append(2, '\0'); // an empty Global Subr INDEX

    if (WriteEncoding(output) != eSuccess) {
        TraceMessage("Type1ToCFFEmbeddedFontWriter::CreateCFFSubset, failed to write encodings");
        return eFailure;
    }
    if (WriteCharset(output) != eSuccess || WriteCharStrings(output) != eSuccess) {
        TraceMessage("Type1ToCFFEmbeddedFontWriter::CreateCFFSubset, failed to write charstring");
        return eFailure;
    }
    if (WritePrivateDictionary(output) != eSuccess) {
        TraceMessage("Type1ToCFFEmbeddedFontWriter::CreateCFFSubset, failed to write private");
        return eFailure;
    }
    if (UpdateIndexesAtTopDict(output) != eSuccess) {
        TraceMessage("Type1ToCFFEmbeddedFontWriter::CreateCFFSubset, failed to update indexes");
        return eFailure;
    }
    outFontProgram.swap(output);
    return eSuccess;
}

OpStatus Type1ToCFFEmbeddedFontWriter::AddDependentGlyphs(std::vector<std::string>& ioGlyphNames)
{
    // Each glyph is converted here once, which also tells its seac components; the closure over
    // them visits each glyph once, so a font whose accented glyphs name each other cannot loop.
    Type1ToType2Converter converter;
    std::set<std::string> all(ioGlyphNames.begin(), ioGlyphNames.end());
    std::vector<std::string> pending(ioGlyphNames.rbegin(), ioGlyphNames.rend());
    bool hasComponents = false;
    mPrograms.clear();
    while (!pending.empty()) {
        std::string name = pending.back();
        pending.pop_back();
        if (mPrograms.count(name) != 0)
            continue;
        OutputStringBufferStream program;
        if (converter.WriteConvertedFontProgram(name, &mType1Input, &program) != eSuccess)
            return eFailure;
        mPrograms[name] = program.ContentsAsString();
        for (Byte code : converter.SeacComponents()) {
            hasComponents = true;
            std::string component = StandardEncoding::GlyphName(code);
            if (all.insert(component).second)
                pending.push_back(component);
        }
    }
    if (!hasComponents)
        return eSuccess;
    // Glyph 0 stays first: it is the font's .notdef glyph whatever its name sorts as.
    std::string first = ioGlyphNames.front();
    all.erase(first);
    ioGlyphNames.assign(1, first);
    ioGlyphNames.insert(ioGlyphNames.end(), all.begin(), all.end());
    return eSuccess;
}

uint16_t Type1ToCFFEmbeddedFontWriter::SIDOf(const std::string& inText)
{
    uint16_t sid = 0;
    if (CFFStandardStrings::SIDOfString(inText, sid))
        return sid;
    auto it = mAddedStringSIDs.find(inText);
    if (it != mAddedStringSIDs.end())
        return it->second;
    sid = static_cast<uint16_t>(CFFStandardStrings::kCount + mAddedStrings.size());
    mAddedStrings.push_back(inText);
    mAddedStringSIDs[inText] = sid;
    return sid;
}

OpStatus Type1ToCFFEmbeddedFontWriter::WriteTopIndex(std::string& ioOutput)
{
    const Type1FontInfoDictionary& info = mType1Input.FontInfoDictionary();
    const Type1FontDictionary& font = mType1Input.FontDictionary();
    DictBuilder dictionary;
    auto put = [&](uint16_t inKey, const DictOperandList& inOperands) { dictionary.Put(inKey, inOperands); };
    auto putText = [&](uint16_t inKey, const std::string& inText) {
        if (!inText.empty())
            put(inKey, {DictOperand::Integer(SIDOf(inText))});
    };
    putText(kVersion, info.version);
    putText(kNotice, info.Notice);
    putText(kCopyright, info.Copyright);
    putText(kFullName, info.FullName);
    putText(kFamilyName, info.FamilyName);
    putText(kWeight, info.Weight);
    if (info.isFixedPitch)
        put(kIsFixedPitch, {DictOperand::Integer(1)});
    if (info.ItalicAngle != 0)
        put(kItalicAngle, {Real(info.ItalicAngle)});
    if (info.UnderlinePosition != -100)
        put(kUnderlinePosition, {Real(info.UnderlinePosition)});
    if (info.UnderlineThickness != 50)
        put(kUnderlineThickness, {Real(info.UnderlineThickness)});
    // Only values the font has: the Type 1 defaults written as values would be wrong in CFF.
    if (font.HasUniqueID && font.UniqueID != 0)
        put(kUniqueID, {DictOperand::Integer(font.UniqueID)});
    if (font.HasStrokeWidth && font.StrokeWidth != 0)
        put(kStrokeWidth, {Real(font.StrokeWidth)});
    const double defaultMatrix[6] = {0.001, 0, 0, 0.001, 0, 0};
    if (!std::equal(font.FontMatrix, font.FontMatrix + 6, defaultMatrix)) {
        DictOperandList matrix;
        for (double value : font.FontMatrix)
            matrix.push_back(Real(value));
        put(kFontMatrix, matrix);
    }
    if (font.FontBBox[0] != 0 || font.FontBBox[1] != 0 || font.FontBBox[2] != 0 || font.FontBBox[3] != 0) {
        DictOperandList box;
        for (double value : font.FontBBox)
            box.push_back(Real(value));
        put(kFontBBox, box);
    }
    if (info.fsTypeValid || font.fsTypeValid) {
        uint16_t fsType = info.fsTypeValid ? info.FSType : font.FSType;
        putText(kPostScript, "/FSType " + std::to_string(fsType) + " def");
    }
    // Placeholders of five bytes each, at positions inside the DICT data that are moved once
    // the INDEX around it is written.
    mCharsetPlaceHolderPosition = dictionary.PutPlaceholders(kCharset, 1);
    mCharStringsPlaceHolderPosition = dictionary.PutPlaceholders(kCharStrings, 1);
    mPrivatePlaceHolderPosition = dictionary.PutPlaceholders(kPrivate, 2);
    mEncodingPlaceHolderPosition = dictionary.PutPlaceholders(kEncoding, 1);
    if (dictionary.Status() != eSuccess)
        return eFailure;

    std::string fixed = dictionary.Data();
    OutputStringBufferStream index;
    CFFValueWriter indexWriter(&index);
    if (CFFStructureWriter::WriteIndex(indexWriter, {fixed}) != eSuccess)
        return eFailure;
    std::string written = index.ContentsAsString();
    size_t dataStart = ioOutput.size() + written.size() - fixed.size();
    mCharsetPlaceHolderPosition += dataStart;
    mCharStringsPlaceHolderPosition += dataStart;
    mPrivatePlaceHolderPosition += dataStart;
    mEncodingPlaceHolderPosition += dataStart;
    ioOutput += written;
    return eSuccess;
}

OpStatus Type1ToCFFEmbeddedFontWriter::WriteEncoding(std::string& ioOutput)
{
    mEncodingPosition = ioOutput.size();
    size_t codes = std::min<size_t>(mGlyphNames.size() - 1, 255);
    ioOutput.push_back(0);
    ioOutput.push_back(static_cast<char>(codes));
    // The codes the PDF shows glyphs by come first, so that every code names one glyph only.
    bool taken[256] = {};
    for (const auto& entry : mGlyphCodes)
        taken[entry.second] = true;
    for (size_t i = 1; i <= codes; ++i) {
        Byte code = 0;
        auto given = mGlyphCodes.find(mGlyphNames[i]);
        if (given != mGlyphCodes.end()) {
            code = given->second;
        } else if (!mType1Input.CharCodeOfGlyphName(mGlyphNames[i], code) || code == 0 || taken[code]) {
            // Any code that no glyph has; 0 only when all are taken.
            code = 0;
            for (int free = 1; free < 256 && code == 0; ++free) {
                if (!taken[free])
                    code = static_cast<Byte>(free);
            }
        }
        taken[code] = true;
        ioOutput.push_back(static_cast<char>(code));
    }
    return eSuccess;
}

OpStatus Type1ToCFFEmbeddedFontWriter::WriteCharset(std::string& ioOutput)
{
    mCharsetPosition = ioOutput.size();
    ioOutput.push_back(0);
    for (uint16_t sid : mCharsetSIDs) {
        ioOutput.push_back(static_cast<char>(sid >> 8));
        ioOutput.push_back(static_cast<char>(sid & 0xFF));
    }
    return eSuccess;
}

OpStatus Type1ToCFFEmbeddedFontWriter::WriteCharStrings(std::string& ioOutput)
{
    std::vector<std::string> programs;
    programs.reserve(mGlyphNames.size());
    for (const std::string& name : mGlyphNames)
        programs.push_back(std::move(mPrograms[name]));
    mPrograms.clear();
    OutputStringBufferStream index;
    CFFValueWriter indexWriter(&index);
    if (CFFStructureWriter::WriteIndex(indexWriter, programs) != eSuccess)
        return eFailure;
    mCharStringsPosition = ioOutput.size();
    ioOutput += index.ContentsAsString();
    return eSuccess;
}

OpStatus Type1ToCFFEmbeddedFontWriter::WritePrivateDictionary(std::string& ioOutput)
{
    const Type1PrivateDictionary& priv = mType1Input.PrivateDictionary();
    DictBuilder dictionary;
    auto put = [&](uint16_t inKey, const DictOperandList& inOperands) { dictionary.Put(inKey, inOperands); };
    if (!priv.BlueValues.empty())
        put(kBlueValues, Deltas(priv.BlueValues));
    if (!priv.OtherBlues.empty())
        put(kOtherBlues, Deltas(priv.OtherBlues));
    if (!priv.FamilyBlues.empty())
        put(kFamilyBlues, Deltas(priv.FamilyBlues));
    if (!priv.FamilyOtherBlues.empty())
        put(kFamilyOtherBlues, Deltas(priv.FamilyOtherBlues));
    if (priv.BlueScale != 0.039625)
        put(kBlueScale, {Real(priv.BlueScale)});
    if (priv.BlueShift != 7)
        put(kBlueShift, {DictOperand::Integer(priv.BlueShift)});
    if (priv.BlueFuzz != 1)
        put(kBlueFuzz, {DictOperand::Integer(priv.BlueFuzz)});
    // -1 marks a value the font does not have; CFF has no such value.
    if (priv.StdHW != -1)
        put(kStdHW, {Real(priv.StdHW)});
    if (priv.StdVW != -1)
        put(kStdVW, {Real(priv.StdVW)});
    if (!priv.StemSnapH.empty())
        put(kStemSnapH, Deltas(priv.StemSnapH));
    if (!priv.StemSnapV.empty())
        put(kStemSnapV, Deltas(priv.StemSnapV));
    if (priv.ForceBold)
        put(kForceBold, {DictOperand::Integer(1)});
    if (priv.LanguageGroup != 0)
        put(kLanguageGroup, {DictOperand::Integer(priv.LanguageGroup)});
    if (dictionary.Status() != eSuccess)
        return eFailure;
    mPrivatePosition = ioOutput.size();
    std::string data = dictionary.Data();
    mPrivateSize = data.size();
    ioOutput += data;
    return eSuccess;
}

OpStatus Type1ToCFFEmbeddedFontWriter::UpdateIndexesAtTopDict(std::string& ioOutput)
{
    if (ioOutput.size() > 0x7FFFFFFF)
        return eFailure;
    auto fill = [&](size_t inPosition, size_t inValue) {
        return CFFStructureWriter::FillPlaceholder(ioOutput, inPosition, static_cast<int32_t>(inValue));
    };
    if (fill(mCharsetPlaceHolderPosition, mCharsetPosition) != eSuccess ||
        fill(mCharStringsPlaceHolderPosition, mCharStringsPosition) != eSuccess ||
        fill(mPrivatePlaceHolderPosition, mPrivateSize) != eSuccess ||
        fill(mPrivatePlaceHolderPosition + 5, mPrivatePosition) != eSuccess ||
        fill(mEncodingPlaceHolderPosition, mEncodingPosition) != eSuccess)
        return eFailure;
    return eSuccess;
}
