#include "pdf/fonts/CFFStructureWriter.h"

Byte CFFStructureWriter::OffSizeFor(uint32_t inLastOffset)
{
    if (inLastOffset < 256)
        return 1;
    if (inLastOffset <= 65535)
        return 2;
    if (inLastOffset < (1u << 24))
        return 3;
    return 4;
}

OpStatus CFFStructureWriter::WriteIndex(CFFValueWriter& inWriter, const std::vector<std::string>& inItems)
{
    if (inItems.size() > 0xFFFF)
        return eFailure;
    uint64_t total = 0;
    for (const std::string& item : inItems)
        total += item.size();
    if (total >= 0xFFFFFFFFull)
        return eFailure;
    if (inWriter.PutCard16(static_cast<uint16_t>(inItems.size())) != eSuccess)
        return eFailure;
    if (inItems.empty())
        return eSuccess;
    Byte offSize = OffSizeFor(static_cast<uint32_t>(total + 1));
    inWriter.SetOffSize(offSize);
    if (inWriter.PutByte(offSize) != eSuccess)
        return eFailure;
    uint32_t offset = 1;
    if (inWriter.PutOffset(offset) != eSuccess)
        return eFailure;
    for (const std::string& item : inItems) {
        offset += static_cast<uint32_t>(item.size());
        if (inWriter.PutOffset(offset) != eSuccess)
            return eFailure;
    }
    for (const std::string& item : inItems)
        if (inWriter.Write(reinterpret_cast<const Byte*>(item.data()), item.size()) != eSuccess)
            return eFailure;
    return eSuccess;
}

OpStatus CFFStructureWriter::FillPlaceholder(std::string& ioData, size_t inPosition, int32_t inValue)
{
    if (inPosition > ioData.size() || ioData.size() - inPosition < 5 || ioData[inPosition] != 29)
        return eFailure;
    uint32_t value = static_cast<uint32_t>(inValue);
    for (int i = 0; i < 4; ++i)
        ioData[inPosition + 1 + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
    return eSuccess;
}
