#include "pdf/fonts/ToUnicodeMapWriter.h"

#include "pdf/writing/ObjectsContext.h"

#include <algorithm>
#include <cstdio>

namespace {

const char* const scCMapHeader = "/CIDInit /ProcSet findresource begin\n"
                                 "12 dict begin\n"
                                 "begincmap\n"
                                 "/CIDSystemInfo\n"
                                 "<< /Registry (Adobe)\n"
                                 "/Ordering (UCS) /Supplement 0 >> def\n"
                                 "/CMapName /Adobe-Identity-UCS def\n"
                                 "/CMapType 2 def\n"
                                 "1 begincodespacerange\n";
const char* const scBeginBFChar = "beginbfchar";
const char* const scEndBFChar = "endbfchar";
const char* const scCMapFooter = "endcmap CMapName currentdict /CMap defineresource pop end end\n";
const size_t kEntriesPerBlock = 100;

void AppendHex(std::string& ioText, unsigned inValue, int inDigits)
{
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "%0*x", inDigits, inValue);
    ioText += buffer;
}

std::string BlockStart(size_t inCount)
{
    return std::to_string(inCount) + " " + scBeginBFChar + "\r\n";
}

} // namespace

std::string ToUnicodeMapWriter::UTF16Hex(const std::vector<uint32_t>& inUnicodeValues)
{
    if (inUnicodeValues.empty())
        return "0000";
    std::string text;
    for (uint32_t value : inUnicodeValues) {
        if ((value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
            value = 0xFFFD;
        if (value < 0x10000) {
            AppendHex(text, value, 4);
        } else {
            value -= 0x10000;
            AppendHex(text, 0xD800 + (value >> 10), 4);
            AppendHex(text, 0xDC00 + (value & 0x3FF), 4);
        }
    }
    return text;
}

std::string ToUnicodeMapWriter::ToUnicodeMapText(const EncodedGlyphList& inEncodedGlyphs, ECodeWidth inCodeWidth)
{
    int digits = inCodeWidth == eOneByteCodes ? 2 : 4;
    std::string text = scCMapHeader;
    text += inCodeWidth == eOneByteCodes ? "<00> <FF>\r\n" : "<0000> <FFFF>\r\n";
    text += "endcodespacerange\n";

    // .notdef, the first record, shows no text.
    size_t entries = inEncodedGlyphs.empty() ? 0 : inEncodedGlyphs.size() - 1;
    text += BlockStart(std::min(kEntriesPerBlock, entries));
    for (size_t i = 0; i < entries; ++i) {
        const EncodedGlyph& glyph = inEncodedGlyphs[i + 1];
        text += "<";
        AppendHex(text, glyph.mEncodedCharacter, digits);
        text += "> <" + UTF16Hex(glyph.mUnicodeCharacters) + ">\n";
        size_t written = i + 1;
        if (written % kEntriesPerBlock == 0 && written < entries)
            text += std::string(scEndBFChar) + "\r\n" + BlockStart(std::min(kEntriesPerBlock, entries - written));
    }
    text += std::string(scEndBFChar) + "\r\n" + scCMapFooter;
    return text;
}

OpStatus ToUnicodeMapWriter::WriteToUnicodeMap(ObjectsContext* inObjectsContext, ObjectIDType inObjectID,
                                               const EncodedGlyphList& inEncodedGlyphs, ECodeWidth inCodeWidth)
{
    std::string text = ToUnicodeMapText(inEncodedGlyphs, inCodeWidth);
    inObjectsContext->StartIndirectObject(inObjectID);
    std::unique_ptr<WrittenPDFStream> stream = inObjectsContext->StartStream();
    IByteWriterWithPosition* target = stream->GetWriteStream();
    if (target)
        target->WriteBytes(reinterpret_cast<const Byte*>(text.data()), text.size());
    return inObjectsContext->EndStream(stream.get());
}
