#include "pdf/writing/IndirectObjectsReferenceRegistry.h"
#include "pdf/writing/ObjectsContext.h"

#include "pdf/writing/WriterTestSupport.h"
#include "pdf/support/ZlibData.h"
#include "pdf/support/LogCapture.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using testsupport::Inflate;
using testsupport::LogCapture;
using WriterTestSupport::MemoryContext;

namespace {

// A parsed table: listed entries, every other id below the size in use at 1000 * id.
struct FakeTable {
    std::map<ObjectIDType, XrefEntry> listed;
    XrefEntry operator()(ObjectIDType inID) const
    {
        auto it = listed.find(inID);
        if (it != listed.end())
            return it->second;
        XrefEntry entry;
        entry.mType = eXrefEntryExisting;
        entry.mObjectPosition = static_cast<LongFilePositionType>(inID) * 1000;
        return entry;
    }
};

XrefEntry Entry(EXrefEntryType inType, LongFilePositionType inPosition, uint32_t inGeneration)
{
    XrefEntry entry;
    entry.mType = inType;
    entry.mObjectPosition = inPosition;
    entry.mGeneration = inGeneration;
    return entry;
}

// An update of a file whose table has inSize entries, inID listed as inEntry, rewriting inID.
void RewriteLoadedObject(ObjectsContext& inContext, ObjectIDType inSize, ObjectIDType inID, const XrefEntry& inEntry)
{
    FakeTable table;
    table.listed[inID] = inEntry;
    inContext.GetInDirectObjectsRegistry().LoadFromParsedFile(inSize, table);
    inContext.StartUpdatedIndirectObject(inID);
    inContext.EndIndirectObject();
}

void WriteSmallObject(ObjectsContext& inContext, ObjectIDType inID)
{
    inContext.StartIndirectObject(inID);
    inContext.WriteInteger(static_cast<long long>(inID));
    inContext.EndIndirectObject();
}

std::string Row(LongFilePositionType inFirst, unsigned long inGeneration, char inKind)
{
    char row[32];
    std::snprintf(row, sizeof(row), "%010lld %05lu %c\r\n", inFirst, inGeneration, inKind);
    return row;
}

// A position writer that starts far into a file, to reach the limits of the table rows.
class FarTarget : public IByteWriterWithPosition {
public:
    explicit FarTarget(LongFilePositionType inStart) : mPosition(inStart) {}
    size_t WriteBytes(const Byte*, size_t inSize) override
    {
        mPosition += static_cast<LongFilePositionType>(inSize);
        return inSize;
    }
    LongFilePositionType TellPosition() override { return mPosition; }

private:
    LongFilePositionType mPosition;
};

TEST(CrossReference, NewFileTableIsOneSubsectionWithObjectZeroAsFreeHead)
{
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    std::map<ObjectIDType, LongFilePositionType> positions;
    for (int i = 0; i < 5; ++i) {
        LongFilePositionType position = memory.Position();
        ObjectIDType id = context.AllocateAndStartIndirectObject();
        positions[id] = position;
        context.WriteNull();
        context.EndIndirectObject();
    }
    LongFilePositionType xrefPosition = -1;
    ASSERT_EQ(context.WriteXrefTable(xrefPosition), eSuccess);

    std::string expected = "xref\r\n0 6\r\n" + Row(0, 65535, 'f');
    for (ObjectIDType id = 1; id <= 5; ++id)
        expected += Row(positions[id], 0, 'n');
    std::string file = memory.Bytes();
    EXPECT_EQ(xrefPosition, static_cast<LongFilePositionType>(file.find("xref")));
    EXPECT_EQ(file.substr(static_cast<size_t>(xrefPosition)), expected);
    EXPECT_EQ(positions[1], 0);
    EXPECT_EQ(file.compare(static_cast<size_t>(positions[3]), 8, "3 0 obj\r"), 0);
}

TEST(CrossReference, AnObjectReservedButNeverWrittenFailsTheTable)
{
    LogCapture log;
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    context.AllocateAndStartIndirectObject();
    context.EndIndirectObject();
    context.GetInDirectObjectsRegistry().ReserveNewObjectID(); // 2, never written
    WriteSmallObject(context, context.GetInDirectObjectsRegistry().ReserveNewObjectID());
    LongFilePositionType xrefPosition = 0;
    EXPECT_EQ(context.WriteXrefTable(xrefPosition), eFailure);
    EXPECT_TRUE(log.Contains("ObjectsContext::WriteXrefTable, Unexpected Failure. Object of ID = 2 was not registered as "
                             "written. probably means it was not written"));
    // The rows before it are there; no row for 2 or after it.
    std::string table = memory.Bytes().substr(static_cast<size_t>(xrefPosition));
    EXPECT_EQ(table, "xref\r\n0 4\r\n" + Row(0, 65535, 'f') + Row(0, 0, 'n'));
    EXPECT_TRUE(context.HasFailed());
}

TEST(CrossReference, MarkingAnObjectTwiceOrOutOfRangeFails)
{
    LogCapture log;
    IndirectObjectsReferenceRegistry registry;
    ObjectIDType id = registry.ReserveNewObjectID();
    EXPECT_EQ(registry.MarkObjectAsWritten(id, 15), eSuccess);
    EXPECT_EQ(registry.MarkObjectAsWritten(id, 90), eFailure);
    EXPECT_TRUE(log.Contains("IndirectObjectsReferenceRegistry::MarkObjectAsWritten, Object rewrite failure. The object 1 was "
                             "already marked as written at 15. New position is 90"));
    EXPECT_EQ(registry.GetEntry(id).mPosition, 15);

    EXPECT_EQ(registry.MarkObjectAsWritten(7, 10), eFailure);
    EXPECT_TRUE(log.Contains("IndirectObjectsReferenceRegistry::MarkObjectAsWritten, Out of range failure. An Object ID is "
                             "marked as written, which was not allocated before. ID = 7"));
    // Object 0 heads the free list; marking it would put an in-use row first.
    EXPECT_EQ(registry.MarkObjectAsWritten(0, 10), eFailure);
    EXPECT_EQ(registry.MarkObjectAsUpdated(0, 10), eFailure);
    EXPECT_EQ(registry.MarkObjectAsUpdated(9, 10), eFailure);
    EXPECT_TRUE(log.Contains("IndirectObjectsReferenceRegistry::MarkObjectAsUpdated, Out of range failure. An Object ID is "
                             "marked for update,but there's no such object. ID = 9"));
    EXPECT_EQ(registry.GetEntry(0).mKind, eRegistryEntryFree);
    EXPECT_FALSE(registry.GetEntry(0).mIsWritten);
}

TEST(CrossReference, PositionsThatDoNotFitTenDigitsAreRefused)
{
    LogCapture log;
    IndirectObjectsReferenceRegistry registry;
    ObjectIDType last = registry.ReserveNewObjectID();
    ObjectIDType tooFar = registry.ReserveNewObjectID();
    EXPECT_EQ(registry.MarkObjectAsWritten(last, 9999999999LL), eSuccess);
    EXPECT_EQ(registry.MarkObjectAsWritten(tooFar, 10000000000LL), eFailure);
    EXPECT_TRUE(log.Contains("IndirectObjectsReferenceRegistry::MarkObjectAsWritten, Write position out of bounds. Trying to "
                             "write an object at position that cannot be represented in Xref = 10000000000. probably means "
                             "file got too long"));
    EXPECT_FALSE(registry.GetEntry(tooFar).mIsWritten);

    // Through the objects context: the object past the limit makes the table fail, never a long row.
    FarTarget target(9999999990LL);
    ObjectsContext context;
    context.SetOutputStream(&target);
    ObjectIDType fits = context.AllocateAndStartIndirectObject(); // at 9999999990
    context.EndIndirectObject();
    context.AllocateAndStartIndirectObject(); // at 10000000009
    EXPECT_EQ(fits, 1u);
    EXPECT_TRUE(context.HasFailed());
    EXPECT_EQ(context.GetInDirectObjectsRegistry().GetEntry(1).mPosition, 9999999990LL);
    LongFilePositionType xrefPosition = 0;
    EXPECT_EQ(context.WriteXrefTable(xrefPosition), eFailure);
}

TEST(CrossReference, UpdateWritesOnlyNewAndRewrittenObjectsWithTheirGenerations)
{
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    IndirectObjectsReferenceRegistry& registry = context.GetInDirectObjectsRegistry();
    FakeTable table;
    table.listed[3] = Entry(eXrefEntryExisting, 3000, 2);
    table.listed[4] = Entry(eXrefEntryDelete, 0, 1);
    table.listed[5] = Entry(eXrefEntryStreamObject, 12, 7);
    ASSERT_EQ(registry.LoadFromParsedFile(21, std::function<XrefEntry(ObjectIDType)>(table)), eSuccess);
    ASSERT_EQ(registry.GetObjectsCount(), 21u);
    EXPECT_FALSE(registry.GetEntry(4).mIsWritten);
    EXPECT_EQ(registry.GetEntry(4).mKind, eRegistryEntryFree);
    EXPECT_EQ(registry.GetEntry(5).mPosition, 12);
    EXPECT_EQ(registry.GetEntry(5).mGeneration, 0u); // the index inside the object stream is no generation
    EXPECT_FALSE(registry.GetEntry(5).mInThisSection);

    LongFilePositionType rewritten = memory.Position();
    context.StartUpdatedIndirectObject(3);
    context.WriteIndirectObjectReference(3);
    context.EndIndirectObject();
    LongFilePositionType first = memory.Position();
    ObjectIDType id21 = context.AllocateAndStartIndirectObject();
    context.EndIndirectObject();
    LongFilePositionType second = memory.Position();
    ObjectIDType id22 = context.AllocateAndStartIndirectObject();
    context.EndIndirectObject();
    EXPECT_EQ(id21, 21u);
    EXPECT_EQ(id22, 22u);

    LongFilePositionType xrefPosition = 0;
    ASSERT_EQ(context.WriteXrefTable(xrefPosition), eSuccess);
    std::string file = memory.Bytes();
    EXPECT_EQ(file.substr(0, static_cast<size_t>(xrefPosition)),
              "3 2 obj\r\n3 2 R\r\nendobj\r\n21 0 obj\r\nendobj\r\n22 0 obj\r\nendobj\r\n");
    EXPECT_EQ(file.substr(static_cast<size_t>(xrefPosition)),
              "xref\r\n0 1\r\n" + Row(0, 65535, 'f') + "3 1\r\n" + Row(rewritten, 2, 'n') + "21 2\r\n" +
                  Row(first, 0, 'n') + Row(second, 0, 'n'));
    EXPECT_FALSE(context.HasFailed());
}

TEST(CrossReference, RewritingAnObjectTheFileListsAsFreeFailsTheTable)
{
    LogCapture log;
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    RewriteLoadedObject(context, 4, 2, Entry(eXrefEntryDelete, 0, 1));
    LongFilePositionType xrefPosition = 0;
    EXPECT_EQ(context.WriteXrefTable(xrefPosition), eFailure);
    EXPECT_TRUE(log.Contains("Object of ID = 2 was not registered as written"));
}

TEST(CrossReference, GenerationsAboveTheRowLimitAreRefused)
{
    LogCapture log;
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    RewriteLoadedObject(context, 3, 1, Entry(eXrefEntryExisting, 1000, 70000));
    EXPECT_TRUE(log.Contains("IndirectObjectsReferenceRegistry::MarkObjectAsUpdated, Generation out of bounds. The object 1 "
                             "has generation 70000, which cannot be represented in Xref"));
    EXPECT_TRUE(context.HasFailed());
    EXPECT_FALSE(context.GetInDirectObjectsRegistry().GetEntry(1).mInThisSection);
    // The table holds no row with six digits of generation.
    LongFilePositionType xrefPosition = 0;
    context.WriteXrefTable(xrefPosition);
    EXPECT_EQ(memory.Bytes().substr(static_cast<size_t>(xrefPosition)), "xref\r\n0 1\r\n" + Row(0, 65535, 'f'));
}

TEST(CrossReference, LoadingNeedsAFreshRegistryAndATableOfTwoEntries)
{
    LogCapture log;
    FakeTable table;
    IndirectObjectsReferenceRegistry registry;
    EXPECT_EQ(registry.LoadFromParsedFile(1, table), eSuccess);
    EXPECT_EQ(registry.GetObjectsCount(), 1u);
    registry.ReserveNewObjectID();
    EXPECT_EQ(registry.LoadFromParsedFile(5, table), eFailure);
    EXPECT_EQ(registry.GetObjectsCount(), 2u);
    registry.Reset();
    EXPECT_EQ(registry.LoadFromParsedFile(5, table), eSuccess);
    EXPECT_EQ(registry.GetObjectsCount(), 5u);
    EXPECT_EQ(registry.ReserveNewObjectID(), 5u);
    EXPECT_EQ(registry.GetEntry(0).mGeneration, 65535u);
}

TEST(CrossReference, CrossReferenceStreamRecordsAreThirteenBytesEach)
{
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    context.SetCompressStreams(false);
    FakeTable table;
    table.listed[2] = Entry(eXrefEntryExisting, 2000, 3);
    context.GetInDirectObjectsRegistry().LoadFromParsedFile(6, table);
    LongFilePositionType rewritten = memory.Position();
    context.StartUpdatedIndirectObject(2);
    context.EndIndirectObject();
    LongFilePositionType streamPosition = memory.Position();
    ObjectIDType streamID = context.AllocateAndStartIndirectObject();
    ASSERT_EQ(streamID, 6u);
    DictionaryContext* dictionary = context.StartDictionary();
    dictionary->WriteKey("Type");
    context.GetValueWriter().WriteNameValue("XRef", eTokenSeparatorEndLine);
    dictionary->WriteKey("Size");
    dictionary->WriteIntegerValue(7);
    ASSERT_EQ(context.WriteXrefStream(dictionary), eSuccess);

    std::string records;
    records += std::string("\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xFF\xFF", 13);
    records += std::string("\x01\x00\x00\x00\x00\x00\x00\x00", 8) + static_cast<char>(rewritten) +
               std::string("\x00\x00\x00\x03", 4);
    records += std::string("\x01\x00\x00\x00\x00\x00\x00\x00", 8) + static_cast<char>(streamPosition) +
               std::string("\x00\x00\x00\x00", 4);
    ASSERT_LT(streamPosition, 128);
    std::string expected = "6 0 obj\r\n<<\r\n\t/Type /XRef\r\n\t/Size 7\r\n\t/Index [ 0 1 2 1 6 1 ]\r\n\t/W [ 1 8 4 ]\r\n"
                           "\t/Length 39\r\n>>\r\nstream\r\n" +
                           records + "\r\nendstream\r\nendobj\r\n";
    EXPECT_EQ(memory.Bytes().substr(static_cast<size_t>(streamPosition)), expected);
}

TEST(CrossReference, CompressedCrossReferenceStreamInflatesToTheRecords)
{
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    for (int i = 0; i < 300; ++i)
        WriteSmallObject(context, context.GetInDirectObjectsRegistry().ReserveNewObjectID());
    context.AllocateAndStartIndirectObject();
    DictionaryContext* dictionary = context.StartDictionary();
    ASSERT_EQ(context.WriteXrefStream(dictionary), eSuccess);

    std::string file = memory.Bytes();
    size_t start = file.find("stream\r\n") + 8;
    size_t end = file.rfind("\r\nendstream");
    EXPECT_NE(file.find("\t/Index [ 0 302 ]\r\n\t/W [ 1 8 4 ]\r\n\t/Filter /FlateDecode\r\n\t/Length "), std::string::npos);
    std::string records;
    ASSERT_TRUE(Inflate(file.substr(start, end - start), 302 * 13, records));
    const IndirectObjectsReferenceRegistry& registry = context.GetInDirectObjectsRegistry();
    for (ObjectIDType id = 1; id < 302; ++id) {
        const unsigned char* record = reinterpret_cast<const unsigned char*>(records.data()) + id * 13;
        ASSERT_EQ(record[0], 1);
        long long position = 0;
        for (int i = 1; i <= 8; ++i)
            position = (position << 8) | record[i];
        EXPECT_EQ(position, registry.GetEntry(id).mPosition);
    }
}

} // namespace
