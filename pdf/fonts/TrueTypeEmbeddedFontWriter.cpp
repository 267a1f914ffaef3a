#include "pdf/fonts/TrueTypeEmbeddedFontWriter.h"

#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/fonts/TableTag.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputFile.h"
#include "pdf/writing/ObjectsContext.h"

#include <algorithm>

namespace {

const char* const scLength1 = "Length1";

// Source bytes are copied through a buffer of this size, never in one allocation of a size the
// file states.
const size_t kCopyChunkSize = 64 * 1024;

// The fields patched in place must lie inside their tables.
const uint32_t kHeadMinimumLength = 54;
const uint32_t kHHeaMinimumLength = 36;
const uint32_t kMaxpMinimumLength = 6;
const size_t kHeadCheckSumAdjustmentAt = 8;
const size_t kHeadIndexToLocFormatAt = 50;
const size_t kHHeaNumberOfHMetricsAt = 34;
const size_t kMaxpNumGlyphsAt = 4;

unsigned FloorLog2(unsigned inValue)
{
    unsigned result = 0;
    while (inValue >>= 1)
        ++result;
    return result;
}

uint32_t CheckSum(const std::string& inFont, size_t inStart, size_t inEnd)
{
    uint32_t sum = 0;
    for (size_t at = inStart; at < inEnd; at += 4) {
        uint32_t word = 0;
        for (size_t i = 0; i < 4; ++i)
            word = (word << 8) | (at + i < inEnd ? static_cast<unsigned char>(inFont[at + i]) : 0u);
        sum += word;
    }
    return sum;
}

} // namespace

OpStatus TrueTypeEmbeddedFontWriter::WriteEmbeddedFont(FreeTypeFaceWrapper& inFontInfo,
                                                       const std::vector<uint32_t>& inSubsetGlyphIDs,
                                                       ObjectsContext* inObjectsContext, ObjectIDType& outProgramID)
{
    outProgramID = 0;
    bool notEmbeddable = false;
    std::string font;
    OpStatus status = CreateTrueTypeSubset(inFontInfo, inSubsetGlyphIDs, notEmbeddable, font);
    if (status != eSuccess) {
        TraceMessage("TrueTypeEmbeddedFontWriter::WriteEmbeddedFont, failed to write embedded font program");
        return status;
    }
    if (notEmbeddable) {
        TraceMessage("TrueTypeEmbeddedFontWriter::WriteEmbeddedFont, font may not be embedded. so not embedding");
        return eSuccess;
    }

    outProgramID = inObjectsContext->AllocateAndStartIndirectObject();
    DictionaryContext* dictionary = inObjectsContext->StartDictionary();
    dictionary->WriteKey(scLength1);
    dictionary->WriteIntegerValue(static_cast<long long>(font.size()));
    std::unique_ptr<WrittenPDFStream> stream = inObjectsContext->StartStream(dictionary);
    IByteWriterWithPosition* target = stream->GetWriteStream();
    if (!target || target->WriteBytes(reinterpret_cast<const Byte*>(font.data()), font.size()) != font.size()) {
        TraceMessage("TrueTypeEmbeddedFontWriter::WriteEmbeddedFont, failed to copy font program into pdf stream");
        // Ended all the same: the objects context must not keep a stream that is gone.
        inObjectsContext->EndStream(stream.get());
        return eFailure;
    }
    return inObjectsContext->EndStream(stream.get());
}

OpStatus TrueTypeEmbeddedFontWriter::CreateTrueTypeSubset(FreeTypeFaceWrapper& inFontInfo,
                                                          const std::vector<uint32_t>& inSubsetGlyphIDs,
                                                          bool& outNotEmbeddable, std::string& outFont)
{
    outNotEmbeddable = false;
    outFont.clear();
    InputFile fontFile;
    if (fontFile.OpenFile(inFontInfo.GetFontFilePath()) != eSuccess) {
        TraceMessage("TrueTypeEmbeddedFontWriter::CreateTrueTypeSubset, cannot open true type font file at %s",
                     inFontInfo.GetFontFilePath().c_str());
        return eFailure;
    }
    long faceIndex = inFontInfo.GetFontIndex();
    if (faceIndex < 0 || faceIndex > 0xFFFF) {
        TraceMessage("TrueTypeEmbeddedFontWriter::CreateTrueTypeSubset, face index %ld out of range", faceIndex);
        return eFailure;
    }
    OpStatus status = CreateTrueTypeSubset(fontFile.GetInputStream(), static_cast<uint16_t>(faceIndex),
                                           inSubsetGlyphIDs, outNotEmbeddable, outFont);
    fontFile.CloseFile();
    return status;
}

OpStatus TrueTypeEmbeddedFontWriter::CreateTrueTypeSubset(IByteReaderWithPosition* inFontStream,
                                                          uint16_t inFaceIndex,
                                                          const std::vector<uint32_t>& inSubsetGlyphIDs,
                                                          bool& outNotEmbeddable, std::string& outFont)
{
    outNotEmbeddable = false;
    outFont.clear();
    mFont.clear();
    mTableEntryPositions.clear();
    if (!inFontStream ||
        mTrueTypeInput.ReadOpenTypeFile(inFontStream, inFaceIndex, OpenTypeFileInput::eReadGlyphRecordsOnDemand) !=
            eSuccess) {
        TraceMessage("TrueTypeEmbeddedFontWriter::CreateTrueTypeSubset, failed to read true type file");
        return eFailure;
    }
    if (mTrueTypeInput.GetOpenTypeFontType() != eOpenTypeTrueType) {
        TraceMessage("TrueTypeEmbeddedFontWriter::CreateTrueTypeSubset, font file is not true type, so there is an "
                     "exceptions here. expecting true types only");
        return eFailure;
    }
    if (mTrueTypeInput.HasOS2() && FSTypeForbidsEmbedding(mTrueTypeInput.GetOS2().mFSType)) {
        outNotEmbeddable = true;
        return eSuccess;
    }

    // Table offsets count from where the font began; the reader keeps that origin.
    inFontStream->SeekFromStart(mTrueTypeInput.GetOrigin());
    mSourceReader.SetStream(inFontStream);

    std::vector<uint32_t> glyphs = inSubsetGlyphIDs;
    // .notdef stays: viewers draw it for codes without a glyph.
    glyphs.push_back(0);
    if (!AddDependentGlyphs(glyphs))
        return eFailure;
    mSubsetFontGlyphsCount = static_cast<uint16_t>(glyphs.back() + 1);

    struct Step {
        OpStatus (TrueTypeEmbeddedFontWriter::*write)();
        const char* what;
    };
    static const Step scSteps[] = {{&TrueTypeEmbeddedFontWriter::WriteTrueTypeHeader, "true type header"},
                                   {&TrueTypeEmbeddedFontWriter::WriteHead, "head table"},
                                   {&TrueTypeEmbeddedFontWriter::WriteHHea, "hhea table"},
                                   {&TrueTypeEmbeddedFontWriter::WriteHMtx, "hmtx table"},
                                   {&TrueTypeEmbeddedFontWriter::WriteMaxp, "Maxp table"}};
    for (const Step& step : scSteps) {
        if ((this->*step.write)() != eSuccess) {
            TraceMessage("TrueTypeEmbeddedFontWriter::CreateTrueTypeSubset, failed to write %s", step.what);
            return eFailure;
        }
    }
    struct Copied {
        const char* name;
        bool present;
        const char* what;
    };
    const Copied copied[] = {{"cvt ", mTrueTypeInput.HasCVT(), "cvt table"},
                             {"fpgm", mTrueTypeInput.HasFPGM(), "fpgm table"},
                             {"prep", mTrueTypeInput.HasPrep(), "prep table"},
                             {"name", true, "name table"},
                             {"OS/2", mTrueTypeInput.HasOS2(), "os2 table"},
                             {"cmap", true, "cmap table"}};
    for (const Copied& table : copied) {
        if (table.present && CopyTable(table.name) != eSuccess) {
            TraceMessage("TrueTypeEmbeddedFontWriter::CreateTrueTypeSubset, failed to write %s", table.what);
            return eFailure;
        }
    }
    std::vector<uint32_t> locaEnds;
    if (WriteGlyf(glyphs, locaEnds) != eSuccess)
        return eFailure;
    if (WriteLoca(glyphs, locaEnds) != eSuccess) {
        TraceMessage("TrueTypeEmbeddedFontWriter::CreateTrueTypeSubset, failed to write loca table");
        return eFailure;
    }
    WriteCheckSumAdjustment();
    outFont.swap(mFont);
    return eSuccess;
}

bool TrueTypeEmbeddedFontWriter::AddDependentGlyphs(std::vector<uint32_t>& ioGlyphs)
{
    uint16_t glyphCount = mTrueTypeInput.GetGlyphCount();
    // A work list and the set of glyphs seen: a composite that refers to itself, directly or
    // through its components, is walked once. The work list is taken in ascending order, so the
    // glyph records are read front to back through the file.
    std::set<uint32_t> subset;
    for (uint32_t glyph : ioGlyphs) {
        if (glyph >= glyphCount) {
            TraceMessage("TrueTypeEmbeddedFontWriter::AddComponentGlyphs, error, requested glyph index %u is larger "
                         "than the maximum glyph index for this font which is %d. ",
                         glyph, static_cast<int>(glyphCount) - 1);
            return false;
        }
        subset.insert(glyph);
    }
    std::set<uint32_t> pending = subset;
    while (!pending.empty()) {
        uint32_t glyph = *pending.begin();
        pending.erase(pending.begin());
        const GlyphEntry* entry = nullptr;
        if (mTrueTypeInput.LoadGlyphEntry(static_cast<uint16_t>(glyph), entry) != eSuccess) {
            TraceMessage("TrueTypeEmbeddedFontWriter::AddComponentGlyphs, cannot read glyph %u", glyph);
            return false;
        }
        if (!entry)
            continue;
        // Components were checked against the glyph count when their glyph was read.
        for (uint16_t component : entry->mComponentGlyphs) {
            if (subset.insert(component).second)
                pending.insert(component);
        }
    }
    ioGlyphs.assign(subset.begin(), subset.end());
    return true;
}

void TrueTypeEmbeddedFontWriter::AppendUInt16(uint16_t inValue)
{
    mFont.push_back(static_cast<char>(inValue >> 8));
    mFont.push_back(static_cast<char>(inValue & 0xFF));
}

void TrueTypeEmbeddedFontWriter::AppendUInt32(uint32_t inValue)
{
    AppendUInt16(static_cast<uint16_t>(inValue >> 16));
    AppendUInt16(static_cast<uint16_t>(inValue & 0xFFFF));
}

void TrueTypeEmbeddedFontWriter::PutUInt16(size_t inAt, uint16_t inValue)
{
    mFont[inAt] = static_cast<char>(inValue >> 8);
    mFont[inAt + 1] = static_cast<char>(inValue & 0xFF);
}

void TrueTypeEmbeddedFontWriter::PutUInt32(size_t inAt, uint32_t inValue)
{
    PutUInt16(inAt, static_cast<uint16_t>(inValue >> 16));
    PutUInt16(inAt + 2, static_cast<uint16_t>(inValue & 0xFFFF));
}

OpStatus TrueTypeEmbeddedFontWriter::WriteTrueTypeHeader()
{
    // Directory entries in ascending tag order, as the sfnt format asks.
    std::vector<const char*> tables;
    if (mTrueTypeInput.HasOS2())
        tables.push_back("OS/2");
    tables.push_back("cmap");
    if (mTrueTypeInput.HasCVT())
        tables.push_back("cvt ");
    if (mTrueTypeInput.HasFPGM())
        tables.push_back("fpgm");
    for (const char* name : {"glyf", "head", "hhea", "hmtx", "loca", "maxp", "name"})
        tables.push_back(name);
    if (mTrueTypeInput.HasPrep())
        tables.push_back("prep");

    unsigned tableCount = static_cast<unsigned>(tables.size());
    unsigned entrySelector = FloorLog2(tableCount);
    AppendUInt32(0x00010000);
    AppendUInt16(static_cast<uint16_t>(tableCount));
    AppendUInt16(static_cast<uint16_t>(16u << entrySelector));
    AppendUInt16(static_cast<uint16_t>(entrySelector));
    AppendUInt16(static_cast<uint16_t>((tableCount - (1u << entrySelector)) * 16));
    for (const char* name : tables) {
        mTableEntryPositions.emplace_back(MakeTableTag(name), mFont.size());
        AppendUInt32(MakeTableTag(name));
        mFont.append(12, '\0');
    }
    mFont.resize((mFont.size() + 3) & ~size_t(3), '\0');
    return eSuccess;
}

OpStatus TrueTypeEmbeddedFontWriter::AppendSourceBytes(uint32_t inOffset, uint32_t inLength)
{
    mSourceReader.SetOffset(inOffset);
    Byte buffer[kCopyChunkSize];
    uint32_t left = inLength;
    while (left > 0) {
        size_t chunk = std::min<size_t>(left, kCopyChunkSize);
        if (mSourceReader.Read(buffer, chunk) != eSuccess) {
            TraceMessage("TrueTypeEmbeddedFontWriter::AppendSourceBytes, the font file ended inside a table at %u",
                         inOffset);
            return eFailure;
        }
        mFont.append(reinterpret_cast<const char*>(buffer), chunk);
        left -= static_cast<uint32_t>(chunk);
    }
    return eSuccess;
}

OpStatus TrueTypeEmbeddedFontWriter::AppendRequiredTable(const char* inName, uint32_t inMinimumLength,
                                                         size_t& outStart)
{
    const TableEntry* entry = mTrueTypeInput.FindTableEntry(inName);
    if (!entry) {
        TraceMessage("TrueTypeEmbeddedFontWriter::AppendRequiredTable, the font has no %s table", inName);
        return eFailure;
    }
    if (entry->mLength < inMinimumLength) {
        TraceMessage("TrueTypeEmbeddedFontWriter::AppendRequiredTable, the %s table of %u bytes is shorter than %u",
                     inName, entry->mLength, inMinimumLength);
        return eFailure;
    }
    outStart = mFont.size();
    return AppendSourceBytes(entry->mOffset, entry->mLength);
}

void TrueTypeEmbeddedFontWriter::WriteTableEntry(const char* inName, size_t inStart)
{
    size_t end = mFont.size();
    mFont.resize((end + 3) & ~size_t(3), '\0');
    uint32_t tag = MakeTableTag(inName);
    for (const auto& entry : mTableEntryPositions) {
        if (entry.first != tag)
            continue;
        PutUInt32(entry.second + 4, CheckSum(mFont, inStart, end));
        PutUInt32(entry.second + 8, static_cast<uint32_t>(inStart));
        PutUInt32(entry.second + 12, static_cast<uint32_t>(end - inStart));
        return;
    }
}

OpStatus TrueTypeEmbeddedFontWriter::WriteHead()
{
    size_t start = 0;
    if (AppendRequiredTable("head", kHeadMinimumLength, start) != eSuccess)
        return eFailure;
    mHeadCheckSumOffset = start + kHeadCheckSumAdjustmentAt;
    PutUInt32(mHeadCheckSumOffset, 0);
    // loca is always written with 32-bit offsets.
    PutUInt16(start + kHeadIndexToLocFormatAt, 1);
    WriteTableEntry("head", start);
    return eSuccess;
}

OpStatus TrueTypeEmbeddedFontWriter::WriteHHea()
{
    size_t start = 0;
    if (AppendRequiredTable("hhea", kHHeaMinimumLength, start) != eSuccess)
        return eFailure;
    if (mSubsetFontGlyphsCount < mTrueTypeInput.GetHHea().mNumberOfHMetrics)
        PutUInt16(start + kHHeaNumberOfHMetricsAt, mSubsetFontGlyphsCount);
    WriteTableEntry("hhea", start);
    return eSuccess;
}

OpStatus TrueTypeEmbeddedFontWriter::WriteHMtx()
{
    const std::vector<HMtxTableEntry>& metrics = mTrueTypeInput.GetHMtx();
    if (metrics.size() < mSubsetFontGlyphsCount) {
        TraceMessage("TrueTypeEmbeddedFontWriter::WriteHMtx, the font has metrics for %zu glyphs only", metrics.size());
        return eFailure;
    }
    uint16_t fullMetrics = std::min(mSubsetFontGlyphsCount, mTrueTypeInput.GetHHea().mNumberOfHMetrics);
    size_t start = mFont.size();
    for (uint16_t glyph = 0; glyph < mSubsetFontGlyphsCount; ++glyph) {
        if (glyph < fullMetrics)
            AppendUInt16(metrics[glyph].mAdvanceWidth);
        AppendUInt16(static_cast<uint16_t>(metrics[glyph].mLeftSideBearing));
    }
    WriteTableEntry("hmtx", start);
    return eSuccess;
}

OpStatus TrueTypeEmbeddedFontWriter::WriteMaxp()
{
    size_t start = 0;
    if (AppendRequiredTable("maxp", kMaxpMinimumLength, start) != eSuccess)
        return eFailure;
    PutUInt16(start + kMaxpNumGlyphsAt, mSubsetFontGlyphsCount);
    WriteTableEntry("maxp", start);
    return eSuccess;
}

OpStatus TrueTypeEmbeddedFontWriter::CopyTable(const char* inName)
{
    size_t start = 0;
    if (AppendRequiredTable(inName, 0, start) != eSuccess)
        return eFailure;
    WriteTableEntry(inName, start);
    return eSuccess;
}

OpStatus TrueTypeEmbeddedFontWriter::WriteGlyf(const std::vector<uint32_t>& inSubsetGlyphIDs,
                                               std::vector<uint32_t>& outLocaEnds)
{
    const TableEntry* glyf = mTrueTypeInput.FindTableEntry("glyf");
    if (!glyf) {
        TraceMessage("TrueTypeEmbeddedFontWriter::WriteGlyf, the font has no glyf table");
        return eFailure;
    }
    const std::vector<uint32_t>& loca = mTrueTypeInput.GetLoca();
    size_t start = mFont.size();
    outLocaEnds.clear();
    for (uint32_t glyph : inSubsetGlyphIDs) {
        // The glyph ids were checked against the font, whose loca holds numGlyphs + 1 offsets
        // inside glyf.
        if (glyph + 1 >= loca.size()) {
            TraceMessage("TrueTypeEmbeddedFontWriter::WriteGlyf, error, requested glyph index %u is larger than the "
                         "maximum glyph index for this font which is %zu. ",
                         glyph, loca.size() - 2);
            return eFailure;
        }
        if (loca[glyph + 1] > loca[glyph] &&
            AppendSourceBytes(glyf->mOffset + loca[glyph], loca[glyph + 1] - loca[glyph]) != eSuccess)
            return eFailure;
        outLocaEnds.push_back(static_cast<uint32_t>(mFont.size() - start));
    }
    WriteTableEntry("glyf", start);
    return eSuccess;
}

OpStatus TrueTypeEmbeddedFontWriter::WriteLoca(const std::vector<uint32_t>& inSubsetGlyphIDs,
                                               const std::vector<uint32_t>& inLocaEnds)
{
    size_t start = mFont.size();
    uint32_t offset = 0;
    AppendUInt32(offset);
    size_t next = 0;
    for (uint32_t glyph = 0; glyph < mSubsetFontGlyphsCount; ++glyph) {
        // Glyphs outside the subset are empty: their end repeats the offset before them.
        if (next < inSubsetGlyphIDs.size() && inSubsetGlyphIDs[next] == glyph)
            offset = inLocaEnds[next++];
        AppendUInt32(offset);
    }
    WriteTableEntry("loca", start);
    return eSuccess;
}

void TrueTypeEmbeddedFontWriter::WriteCheckSumAdjustment()
{
    PutUInt32(mHeadCheckSumOffset, 0xB1B0AFBA - CheckSum(mFont, 0, mFont.size()));
}
