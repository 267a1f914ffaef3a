#include "pdf/io/CodePointString.h"

OpStatus CodePointString::FromUTF8Bytes(const std::string& inUTF8)
{
    mCodePoints.clear();
    size_t i = 0;
    const size_t size = inUTF8.size();
    while (i < size) {
        Byte lead = static_cast<Byte>(inUTF8[i++]);
        uint32_t value;
        int continuations;
        if (lead < 0x80) {
            value = lead;
            continuations = 0;
        } else if ((lead & 0xE0) == 0xC0) {
            value = lead & 0x1F;
            continuations = 1;
        } else if ((lead & 0xF0) == 0xE0) {
            value = lead & 0x0F;
            continuations = 2;
        } else if ((lead & 0xF8) == 0xF0) {
            value = lead & 0x07;
            continuations = 3;
        } else {
            return eFailure;
        }
        for (int k = 0; k < continuations; ++k) {
            if (i >= size)
                return eFailure;
            Byte next = static_cast<Byte>(inUTF8[i++]);
            if (next < 0x80 || next > 0xBF)
                return eFailure;
            value = (value << 6) | (next & 0x3F);
        }
        mCodePoints.push_back(value);
    }
    return eSuccess;
}

CodePointString::UTF16Result CodePointString::ToUTF16Units() const
{
    UTF16Result result;
    for (uint32_t codePoint : mCodePoints) {
        if (codePoint <= 0xD7FF || (codePoint >= 0xE000 && codePoint <= 0xFFFF)) {
            result.units.push_back(static_cast<char16_t>(codePoint));
        } else if (codePoint >= 0x10000 && codePoint <= 0x10FFFF) {
            result.units.push_back(static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10)));
            result.units.push_back(static_cast<char16_t>(0xDC00 | (codePoint & 0x3FF)));
        } else {
            result.status = eFailure;
            break;
        }
    }
    return result;
}

OpStatus WidePathFromUTF8(const std::string& inUTF8, std::u16string& outWide)
{
    CodePointString codePoints;
    OpStatus decoded = codePoints.FromUTF8Bytes(inUTF8);
    CodePointString::UTF16Result encoded = codePoints.ToUTF16Units();
    outWide = std::move(encoded.units);
    return decoded == eSuccess && encoded.status == eSuccess ? eSuccess : eFailure;
}
