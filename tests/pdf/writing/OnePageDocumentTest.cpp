// Whole files assembled directly through the objects context, checked by other readers.

#include "pdf/io/OutputFile.h"
#include "pdf/writing/ObjectsContext.h"

#include "pdf/writing/WriterTestSupport.h"
#include "pdf/support/TestDirectory.h"
#include "pdf/support/ExternalReaders.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::PdfinfoField;
using testsupport::RunMerged;
using testsupport::TestDirectory;

namespace {

struct DocumentForm {
    bool compress;
    bool bufferContent;
    bool crossReferenceStream;
};

void WriteName(ObjectsContext& inContext, DictionaryContext* inDictionary, const char* inKey, const char* inName)
{
    inDictionary->WriteKey(inKey);
    inContext.GetValueWriter().WriteNameValue(inName, eTokenSeparatorEndLine);
}

void WriteReference(ObjectsContext& inContext, DictionaryContext* inDictionary, const char* inKey, ObjectIDType inID)
{
    inDictionary->WriteKey(inKey);
    inContext.WriteIndirectObjectReference(inID, 0, eTokenSeparatorEndLine);
}

// Catalog, page tree, one page with a text content stream, a standard font, an information
// dictionary, then a table and trailer or a cross-reference stream.
bool WriteOnePageDocument(const std::string& inPath, const DocumentForm& inForm)
{
    OutputFile file;
    if (file.OpenFile(inPath) != eSuccess)
        return false;
    ObjectsContext context;
    context.SetOutputStream(file.GetOutputStream());
    context.SetCompressStreams(inForm.compress);
    context.WriteComment(inForm.crossReferenceStream ? "PDF-1.5" : "PDF-1.4");
    const Byte binaryComment[] = {0x25, 0xBD, 0xBE, 0xBC, 0x0D, 0x0A};
    file.GetOutputStream()->WriteBytes(binaryComment, sizeof(binaryComment));

    IndirectObjectsReferenceRegistry& registry = context.GetInDirectObjectsRegistry();
    ObjectIDType catalogID = registry.ReserveNewObjectID();
    ObjectIDType pagesID = registry.ReserveNewObjectID();
    ObjectIDType pageID = registry.ReserveNewObjectID();
    ObjectIDType fontID = registry.ReserveNewObjectID();

    ObjectIDType contentID = context.AllocateAndStartIndirectObject();
    std::unique_ptr<WrittenPDFStream> content = context.StartStream(nullptr, inForm.bufferContent);
    std::string text = "BT /F1 24 Tf 72 720 Td (Hello \\(World\\)) Tj ET\n";
    for (int line = 1; line < 40; ++line)
        text += "BT /F1 10 Tf 72 " + std::to_string(700 - line * 15) + " Td (Line " + std::to_string(line) + ") Tj ET\n";
    content->GetWriteStream()->WriteBytes(reinterpret_cast<const Byte*>(text.data()), text.size());
    context.EndStream(content.get());

    context.StartIndirectObject(pageID);
    DictionaryContext* page = context.StartDictionary();
    WriteName(context, page, "Type", "Page");
    WriteReference(context, page, "Parent", pagesID);
    page->WriteKey("MediaBox");
    page->WriteRectangleValue(0, 0, 595.28, 841.89);
    page->WriteKey("Resources");
    DictionaryContext* resources = context.StartDictionary();
    resources->WriteKey("Font");
    DictionaryContext* fonts = context.StartDictionary();
    WriteReference(context, fonts, "F1", fontID);
    context.EndDictionary(fonts);
    context.EndDictionary(resources);
    WriteReference(context, page, "Contents", contentID);
    context.EndDictionary(page);
    context.EndIndirectObject();

    context.StartIndirectObject(pagesID);
    DictionaryContext* pages = context.StartDictionary();
    WriteName(context, pages, "Type", "Pages");
    pages->WriteKey("Kids");
    context.StartArray();
    context.WriteIndirectObjectReference(pageID, 0, eTokenSeparatorSpace);
    context.EndArray(eTokenSeparatorEndLine);
    pages->WriteKey("Count");
    pages->WriteIntegerValue(1);
    context.EndDictionary(pages);
    context.EndIndirectObject();

    context.StartIndirectObject(fontID);
    DictionaryContext* font = context.StartDictionary();
    WriteName(context, font, "Type", "Font");
    WriteName(context, font, "Subtype", "Type1");
    WriteName(context, font, "BaseFont", "Helvetica");
    WriteName(context, font, "Encoding", "WinAnsiEncoding");
    context.EndDictionary(font);
    context.EndIndirectObject();

    context.StartIndirectObject(catalogID);
    DictionaryContext* catalog = context.StartDictionary();
    WriteName(context, catalog, "Type", "Catalog");
    WriteReference(context, catalog, "Pages", pagesID);
    context.EndDictionary(catalog);
    context.EndIndirectObject();

    ObjectIDType infoID = context.AllocateAndStartIndirectObject();
    DictionaryContext* info = context.StartDictionary();
    info->WriteKey("Title");
    context.GetValueWriter().WriteLiteralStringValue("Velloran (test) \\ one", eTokenSeparatorEndLine);
    context.EndDictionary(info);
    context.EndIndirectObject();

    LongFilePositionType crossReferencePosition = 0;
    if (inForm.crossReferenceStream) {
        crossReferencePosition = file.GetOutputStream()->TellPosition();
        context.AllocateAndStartIndirectObject();
        DictionaryContext* trailer = context.StartDictionary();
        WriteName(context, trailer, "Type", "XRef");
        trailer->WriteKey("Size");
        trailer->WriteIntegerValue(static_cast<long long>(registry.GetObjectsCount()));
        WriteReference(context, trailer, "Root", catalogID);
        WriteReference(context, trailer, "Info", infoID);
        if (context.WriteXrefStream(trailer) != eSuccess)
            return false;
    } else {
        if (context.WriteXrefTable(crossReferencePosition) != eSuccess)
            return false;
        context.WriteKeyword("trailer");
        DictionaryContext* trailer = context.StartDictionary();
        trailer->WriteKey("Size");
        trailer->WriteIntegerValue(static_cast<long long>(registry.GetObjectsCount()));
        WriteReference(context, trailer, "Root", catalogID);
        WriteReference(context, trailer, "Info", infoID);
        context.EndDictionary(trailer);
    }
    context.WriteKeyword("startxref");
    context.WriteInteger(crossReferencePosition, eTokenSeparatorEndLine);
    context.GetValueWriter().WriteText("%%EOF");
    bool ok = !context.HasFailed();
    return file.FlushAndClose() == eSuccess && ok;
}

void ExpectReadersAccept(const DocumentForm& inForm)
{
    TestDirectory folder;
    std::string path = folder.PathOf("one page.pdf");
    ASSERT_TRUE(WriteOnePageDocument(path, inForm));

    testsupport::ExpectQpdfAccepts(path);

    std::string output;

    EXPECT_EQ(RunMerged("pdfinfo '" + path + "'", output), 0) << output;
    EXPECT_EQ(PdfinfoField(output, "Pages"), "1") << output;
    EXPECT_EQ(PdfinfoField(output, "Title"), "Velloran (test) \\ one") << output;
    EXPECT_EQ(PdfinfoField(output, "Page size"), "595.28 x 841.89 pts (A4)") << output;
    EXPECT_EQ(output.find("Syntax Error"), std::string::npos) << output;
}

TEST(OnePageDocument, CompressedDirectContentWithTableIsAcceptedByOtherReaders)
{
    ExpectReadersAccept({true, false, false});
}

TEST(OnePageDocument, PlainBufferedContentWithTableIsAcceptedByOtherReaders)
{
    ExpectReadersAccept({false, true, false});
}

TEST(OnePageDocument, CrossReferenceStreamIsAcceptedByOtherReaders)
{
    ExpectReadersAccept({true, true, true});
    ExpectReadersAccept({false, false, true});
}

} // namespace
