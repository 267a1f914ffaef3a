#pragma once
// Reads the tables of an sfnt font that subsetting needs, from a positioned stream the caller
// owns and keeps open while the data is used: a TrueType or OpenType file, one face of a
// TrueType collection or one face of a Mac resource-fork font (dfont). Offsets in the table
// directory are relative to the origin, the stream position when the read began. A collection
// is followed one level deep and a dfont one resource deep, so no file can make the reader loop.
// Every table is checked against the file before it is read; a damaged font fails with -1 and
// trace-log lines, and what was read stays until the next read or destruction. CFF-flavoured
// fonts hand their "CFF " table to the owned CFFFileInput and have no loca or glyph records.

#include "pdf/fonts/BigEndianReader.h"
#include "pdf/fonts/CFFFileInput.h"
#include "pdf/fonts/OpenTypeTables.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class OpenTypeFileInput {
public:
    OpenTypeFileInput() = default;
    OpenTypeFileInput(const OpenTypeFileInput&) = delete;
    OpenTypeFileInput& operator=(const OpenTypeFileInput&) = delete;

    // Whether the record of every glyph is read with the tables, or each only when asked for
    // through LoadGlyphEntry (a subset of a few glyphs of a large font reads only those).
    enum EGlyphRecords { eReadAllGlyphRecords, eReadGlyphRecordsOnDemand };

    // Reads every table of the face at inFaceIndex; a second read first frees the first one's data.
    OpStatus ReadOpenTypeFile(IByteReaderWithPosition* inFile, uint16_t inFaceIndex,
                              EGlyphRecords inGlyphRecords = eReadAllGlyphRecords);

    // The entry of a table by its name of up to four characters; null when the font has none.
    const TableEntry* FindTableEntry(const std::string& inName) const;
    const std::map<uint32_t, TableEntry>& GetTables() const { return mTables; }

    EOpenTypeInputType GetOpenTypeFontType() const { return mFontType; }
    uint16_t GetFaceIndex() const { return mFaceIndex; }
    // Where the chosen face's offset table starts, relative to the origin.
    LongFilePositionType GetHeaderOffset() const { return mHeaderOffset; }
    // The offset added to every directory offset (the resource start inside a dfont, else 0).
    LongFilePositionType GetTableOffset() const { return mTableOffset; }
    LongFilePositionType GetOrigin() const { return mPrimitivesReader.GetOrigin(); }

    const HeadTable& GetHead() const { return mHead; }
    const MaxpTable& GetMaxp() const { return mMaxp; }
    const HHeaTable& GetHHea() const { return mHHea; }
    // numGlyphs entries.
    const std::vector<HMtxTableEntry>& GetHMtx() const { return mHMtx; }
    bool HasOS2() const { return mOS2Exists; }
    const OS2Table& GetOS2() const { return mOS2; }
    const std::vector<NameTableEntry>& GetName() const { return mName; }
    // TrueType flavour: numGlyphs + 1 offsets into glyf, ascending and within the table.
    const std::vector<uint32_t>& GetLoca() const { return mLoca; }
    // The record of a glyph; null for an empty glyph, an id not below numGlyphs or a record not
    // read yet.
    const GlyphEntry* GetGlyphEntry(uint16_t inGlyphID) const;
    // The record of a glyph, read now when it was not (the stream must still be open); null for
    // an empty glyph. -1 (logged) for an id not below numGlyphs or a damaged record.
    OpStatus LoadGlyphEntry(uint16_t inGlyphID, const GlyphEntry*& outEntry);
    uint16_t GetGlyphCount() const { return mMaxp.mNumGlyphs; }

    bool HasCVT() const { return mHasCVT; }
    bool HasFPGM() const { return mHasFPGM; }
    bool HasPrep() const { return mHasPrep; }

    CFFFileInput& GetCFF() { return mCFF; }

private:
    void FreeTables();
    OpStatus ReaderTrueTypeHeader();
    OpStatus ReadOpenTypeSFNT();
    OpStatus ReadOpenTypeSFNTFromDfont();
    OpStatus ReadHead();
    OpStatus ReadMaxP();
    OpStatus ReadHHea();
    OpStatus ReadHMtx();
    OpStatus ReadOS2();
    OpStatus ReadName();
    OpStatus ReadLoca();
    OpStatus ReadGlyfForDependencies();
    OpStatus ReadGlyphEntry(uint16_t inGlyphID);
    OpStatus ReadCFF();
    // The entry of a table that must be there, positioned at its start; null (logged) otherwise.
    const TableEntry* SeekToTable(const char* inName, const char* inCaller);

    uint16_t mFaceIndex = 0;
    LongFilePositionType mHeaderOffset = 0;
    LongFilePositionType mTableOffset = 0;
    LongFilePositionType mFileLength = 0; // from the origin
    bool mInsideCollection = false;
    bool mInsideResource = false;
    BigEndianReader mPrimitivesReader;
    EOpenTypeInputType mFontType = eOpenTypeTrueType;
    bool mHasCVT = false;
    bool mHasFPGM = false;
    bool mHasPrep = false;
    CFFFileInput mCFF;

    std::map<uint32_t, TableEntry> mTables;
    HeadTable mHead;
    MaxpTable mMaxp;
    HHeaTable mHHea;
    std::vector<HMtxTableEntry> mHMtx;
    bool mOS2Exists = false;
    OS2Table mOS2;
    std::vector<NameTableEntry> mName;
    std::vector<uint32_t> mLoca;
    std::vector<std::unique_ptr<GlyphEntry>> mGlyphs; // by glyph id; null for empty glyphs
    std::vector<bool> mGlyphRead;                     // by glyph id
    EGlyphRecords mGlyphRecords = eReadAllGlyphRecords;
    uint32_t mGlyfOffset = 0;
};
