#include "app/create/jagpdf/JagDocument.h"

#include "app/create/jagpdf/JagFailure.h"
#include "app/create/jagpdf/PNGImageXObjectWriter.h"
#include "app/create/jagpdf/StandardText.h"
#include "app/create/jagpdf/jagpdf.h"
#include "pdf/io/NumberText.h"
#include "pdf/writing/DictionaryContext.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/PageContentContext.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace {

// Nothing in these documents needs more than PDF 1.3.
const PDFVersionCode scPDFVersion = 13;

// The codes that WinAnsiEncoding leaves free (but 0), where a dictionary puts the glyphs beyond
// WinAnsi; every WinAnsi code keeps its character there, so that one dictionary shows a whole
// word of Latin-1 and other letters.
const unsigned char scFreeCodes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D,
                                     0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A,
                                     0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x7F, 0x81, 0x8D, 0x8F, 0x90, 0x9D};
const size_t scFreeCodeCount = sizeof(scFreeCodes);
// The widths of every code from the first free one to the last code.
const int scFirstWidthCode = 0x01;
const int scLastWidthCode = 0xFF;

[[noreturn]] void Refuse(int inCode, const std::string& inMessage)
{
    throw JagFailure{inCode, inMessage};
}

std::string Trimmed(const std::string& inText)
{
    const size_t first = inText.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return inText.substr(first, inText.find_last_not_of(" \t") - first + 1);
}

void WriteNameEntry(ObjectsContext& inObjectsContext, DictionaryContext* inDictionary, const char* inKey,
                    const char* inName)
{
    if (inDictionary->WriteKey(inKey) == eSuccess)
        inObjectsContext.GetValueWriter().WriteNameValue(inName, eTokenSeparatorEndLine);
}

} // namespace

JagDocument::JagDocument(const std::string& inPath) : mPath(inPath), mWriter(std::make_unique<PDFWriter>())
{
    if (mWriter->CreateNewPDF(inPath, scPDFVersion) != eSuccess)
        Refuse(JAG_ERR_IO, "cannot create the file " + inPath);
}

JagDocument::~JagDocument()
{
    Abandon();
}

JagDocument::Font JagDocument::ParseFontDescription(const std::string& inDescription)
{
    Font font;
    if (Trimmed(inDescription).empty())
        return font;
    bool standard = false;
    bool named = false;
    size_t start = 0;
    while (start <= inDescription.size()) {
        size_t end = inDescription.find(';', start);
        if (end == std::string::npos)
            end = inDescription.size();
        const std::string part = Trimmed(inDescription.substr(start, end - start));
        start = end + 1;
        if (part.empty())
            continue;
        if (part == "standard") {
            standard = true;
            continue;
        }
        const size_t equals = part.find('=');
        const std::string key = Trimmed(part.substr(0, equals));
        const std::string value = equals == std::string::npos ? std::string() : Trimmed(part.substr(equals + 1));
        if (key == "name") {
            if (!StandardFontMetrics::FaceForName(value, font.face))
                Refuse(JAG_ERR_FONT, "\"" + value + "\" is not a standard Times or Courier face");
            named = true;
        } else if (key == "size") {
            double size = 0;
            size_t used = 0;
            if (!NumberText::ParseDouble(value, size, &used) || used != value.size() || !std::isfinite(size) ||
                size <= 0)
                Refuse(JAG_ERR_INVALID_ARGUMENT, "the font size \"" + value + "\" is not a positive number");
            font.size = size;
        } else if (key == "enc") {
            if (value != "utf-8")
                Refuse(JAG_ERR_FONT, "the text encoding \"" + value + "\" is not utf-8");
        } else {
            Refuse(JAG_ERR_FONT, "the font description part \"" + part + "\" is not known");
        }
    }
    if (!standard || !named)
        Refuse(JAG_ERR_FONT, "the font description \"" + inDescription + "\" names no standard font");
    return font;
}

void JagDocument::CheckWriting() const
{
    switch (mState) {
    case eWriting:
        return;
    case eFinalized:
        Refuse(JAG_ERR_INVALID_STATE, "the document is finalized");
    case eFailed:
        Refuse(JAG_ERR_INVALID_STATE, "the document failed earlier: " + mFailure);
    case eAbandoned:
        break;
    }
    Refuse(JAG_ERR_INVALID_STATE, "the document was released");
}

void JagDocument::FailWriting(const std::string& inMessage)
{
    mState = eFailed;
    mFailure = inMessage;
    Refuse(JAG_ERR_IO, inMessage);
}

void JagDocument::StartPage(double inWidth, double inHeight)
{
    CheckWriting();
    if (mPage)
        Refuse(JAG_ERR_INVALID_STATE, "a page is open already");
    if (!std::isfinite(inWidth) || !std::isfinite(inHeight) || inWidth <= 0 || inHeight <= 0)
        Refuse(JAG_ERR_INVALID_ARGUMENT, "a page needs a positive width and height");
    mPage = std::make_unique<OutputPage>();
    mPage->SetMediaBox(PDFRectangle(0, 0, inWidth, inHeight));
    mCanvas = mWriter->GetDocumentContext().StartPageContentContext(mPage.get());
    ++mPageCount;
    mTextOpen = false;
    mPlacedFont.reset();
}

unsigned long JagDocument::OpenPage() const
{
    CheckWriting();
    if (!mPage)
        Refuse(JAG_ERR_INVALID_STATE, "no page is open");
    return mPageCount;
}

PageContentContext& JagDocument::Canvas(unsigned long inPage)
{
    if (OpenPage() != inPage)
        Refuse(JAG_ERR_INVALID_STATE, "the canvas belongs to a page that has ended");
    return *mCanvas;
}

void JagDocument::EndPage()
{
    OpenPage();
    if (mTextOpen)
        Refuse(JAG_ERR_INVALID_STATE, "the page's text object is still open");
    std::unique_ptr<OutputPage> page = std::move(mPage);
    mCanvas = nullptr;
    ObjectIDType pageID = 0;
    if (mWriter->GetDocumentContext().WritePage(page.get(), pageID) != eSuccess)
        FailWriting("page " + std::to_string(mPageCount) + " could not be written");
    // The images go right after the first page that shows them, so that their pixels need not be
    // kept until the end.
    std::vector<size_t> images;
    images.swap(mImagesToWrite);
    for (size_t index : images)
        WriteImage(mImages[index]);
    if (mWriter->GetObjectsContext().HasFailed())
        FailWriting("the file " + mPath + " could not be written");
}

void JagDocument::WriteImage(LoadedImage& ioImage)
{
    const JagImageFile& file = ioImage.file;
    if (file.kind == JagImageFile::eJPEG) {
        if (!mWriter->GetDocumentContext().GetJPEGImageHandler().CreateAndWriteImageXObjectFromJPGInformation(
                file.path, ioImage.objectID, file.jpeg))
            FailWriting("image " + file.path + ": could not be written");
        return;
    }
    try {
        PNGImageXObjectWriter::Write(mWriter->GetObjectsContext(), file.path, ioImage.objectID, file.width,
                                     file.height, file.gray);
    } catch (const JagFailure& failure) {
        // The image was drawn already: the document cannot be completed without it.
        FailWriting(failure.message);
    }
}

void JagDocument::WriteFontDictionaries()
{
    ObjectsContext& objects = mWriter->GetObjectsContext();
    for (int face = 0; face < StandardFontMetrics::eFaceCount; ++face) {
        const std::vector<ObjectIDType>& objectIDs = mFaces[face].objectIDs;
        if (!objectIDs.empty() && objectIDs[0] != 0) {
            objects.StartIndirectObject(objectIDs[0]);
            DictionaryContext* dictionary = objects.StartDictionary();
            WriteNameEntry(objects, dictionary, "Type", "Font");
            WriteNameEntry(objects, dictionary, "Subtype", "Type1");
            WriteNameEntry(objects, dictionary, "BaseFont",
                           StandardFontMetrics::FaceName(static_cast<StandardFontMetrics::Face>(face)));
            WriteNameEntry(objects, dictionary, "Encoding", "WinAnsiEncoding");
            objects.EndDictionary(dictionary);
            objects.EndIndirectObject();
        }
        for (size_t extra = 1; extra < objectIDs.size(); ++extra) {
            if (objectIDs[extra] != 0)
                WriteExtraGlyphDictionary(static_cast<StandardFontMetrics::Face>(face), extra);
        }
    }
}

void JagDocument::WriteExtraGlyphDictionary(StandardFontMetrics::Face inFace, size_t inDictionary)
{
    const FaceDictionaries& face = mFaces[inFace];
    // The glyph at each code of this dictionary: WinAnsi's, or one of its slots'.
    StandardGlyph glyphAt[256];
    for (int code = 0; code < 256; ++code)
        glyphAt[code] = static_cast<StandardGlyph>(code);
    const size_t firstSlot = (inDictionary - 1) * scFreeCodeCount;
    const size_t endSlot = std::min(face.extraGlyphs.size(), firstSlot + scFreeCodeCount);
    for (size_t slot = firstSlot; slot < endSlot; ++slot)
        glyphAt[scFreeCodes[slot - firstSlot]] = face.extraGlyphs[slot];

    ObjectsContext& objects = mWriter->GetObjectsContext();
    PDFValueWriter& values = objects.GetValueWriter();
    objects.StartIndirectObject(face.objectIDs[inDictionary]);
    DictionaryContext* dictionary = objects.StartDictionary();
    WriteNameEntry(objects, dictionary, "Type", "Font");
    WriteNameEntry(objects, dictionary, "Subtype", "Type1");
    WriteNameEntry(objects, dictionary, "BaseFont", StandardFontMetrics::FaceName(inFace));
    if (dictionary->WriteKey("Encoding") == eSuccess) {
        DictionaryContext* encoding = objects.StartDictionary();
        WriteNameEntry(objects, encoding, "Type", "Encoding");
        WriteNameEntry(objects, encoding, "BaseEncoding", "WinAnsiEncoding");
        if (encoding->WriteKey("Differences") == eSuccess) {
            // Each run of consecutive codes: its first code, then the names.
            objects.StartArray();
            for (size_t slot = firstSlot; slot < endSlot; ++slot) {
                const size_t index = slot - firstSlot;
                if (index == 0 || scFreeCodes[index] != scFreeCodes[index - 1] + 1)
                    objects.WriteInteger(scFreeCodes[index], eTokenSeparatorSpace);
                values.WriteNameValue(StandardFontMetrics::ExtraGlyphName(face.extraGlyphs[slot]),
                                      eTokenSeparatorSpace);
            }
            objects.EndArray(eTokenSeparatorEndLine);
        }
        objects.EndDictionary(encoding);
    }
    // Readers take the advances from here rather than from a face of their own whose widths of
    // these glyphs may differ, so the text sits where the layout measured it.
    if (dictionary->WriteKey("FirstChar") == eSuccess)
        dictionary->WriteIntegerValue(scFirstWidthCode);
    if (dictionary->WriteKey("LastChar") == eSuccess)
        dictionary->WriteIntegerValue(scLastWidthCode);
    if (dictionary->WriteKey("Widths") == eSuccess) {
        objects.StartArray();
        for (int code = scFirstWidthCode; code <= scLastWidthCode; ++code)
            objects.WriteInteger(StandardFontMetrics::GlyphWidth(inFace, glyphAt[code]), eTokenSeparatorSpace);
        objects.EndArray(eTokenSeparatorEndLine);
    }
    objects.EndDictionary(dictionary);
    objects.EndIndirectObject();
}

void JagDocument::Finalize()
{
    CheckWriting();
    if (mPage)
        Refuse(JAG_ERR_INVALID_STATE, "a page is still open");
    if (mPageCount == 0)
        Refuse(JAG_ERR_INVALID_STATE, "the document has no pages");
    WriteFontDictionaries();
    if (mWriter->EndPDF() != eSuccess)
        FailWriting("the file " + mPath + " could not be completed");
    mState = eFinalized;
}

void JagDocument::Abandon()
{
    if (mState == eAbandoned)
        return;
    const bool keep = mState == eFinalized;
    mState = eAbandoned;
    mCanvas = nullptr;
    mPage.reset();
    mWriter.reset(); // closes the output
    if (!keep)
        QFile::remove(QString::fromUtf8(mPath.c_str()));
}

size_t JagDocument::LoadImage(const std::string& inPath)
{
    CheckWriting();
    auto known = mImageIndexByPath.find(inPath);
    if (known != mImageIndexByPath.end())
        return known->second;
    LoadedImage image;
    image.file = JagImageFile::Read(inPath, mWriter->GetDocumentContext().GetJPEGImageHandler());
    mImages.push_back(image);
    mImageIndexByPath.emplace(inPath, mImages.size() - 1);
    return mImages.size() - 1;
}

const JagImageFile& JagDocument::Image(size_t inIndex) const
{
    return mImages.at(inIndex).file;
}

void JagDocument::TextStart(unsigned long inPage, double inX, double inY)
{
    PageContentContext& canvas = Canvas(inPage);
    if (mTextOpen)
        Refuse(JAG_ERR_INVALID_STATE, "a text object is open already");
    canvas.BeginText();
    canvas.MoveTextPosition(inX, inY);
    mTextOpen = true;
}

void JagDocument::SetFont(unsigned long inPage, const Font& inFont)
{
    Canvas(inPage);
    mFont = inFont;
}

void JagDocument::ShowText(unsigned long inPage, const std::string& inUTF8)
{
    PageContentContext& canvas = Canvas(inPage);
    if (!mTextOpen)
        Refuse(JAG_ERR_INVALID_STATE, "text needs a text object");
    if (!mFont)
        Refuse(JAG_ERR_INVALID_STATE, "text needs a font");
    const StandardGlyphs glyphs = StandardText::FromUTF8(inUTF8);
    // Each run is as long as one dictionary shows it: WinAnsi codes go with any of them.
    for (size_t start = 0; start < glyphs.size();) {
        size_t dictionary = 0;
        std::string codes;
        size_t at = start;
        for (; at < glyphs.size(); ++at) {
            const StandardGlyph glyph = glyphs[at];
            if (!StandardFontMetrics::IsExtraGlyph(glyph)) {
                codes.push_back(static_cast<char>(glyph));
                continue;
            }
            const size_t slot = SlotOf(glyph);
            const size_t needed = 1 + slot / scFreeCodeCount;
            if (dictionary != 0 && needed != dictionary)
                break;
            dictionary = needed;
            codes.push_back(static_cast<char>(scFreeCodes[slot % scFreeCodeCount]));
        }
        // WinAnsi text stays in the dictionary in place, or takes the WinAnsi one.
        if (dictionary == 0 && mPlacedFont && mPlacedFont->font == *mFont)
            dictionary = mPlacedFont->dictionary;
        PlaceFont(canvas, dictionary);
        canvas.ShowTextLiteral(codes);
        start = at;
    }
}

size_t JagDocument::SlotOf(StandardGlyph inGlyph)
{
    FaceDictionaries& face = mFaces[mFont->face];
    auto known = face.slotOfGlyph.find(inGlyph);
    if (known != face.slotOfGlyph.end())
        return known->second;
    face.extraGlyphs.push_back(inGlyph);
    face.slotOfGlyph.emplace(inGlyph, face.extraGlyphs.size() - 1);
    return face.extraGlyphs.size() - 1;
}

void JagDocument::PlaceFont(PageContentContext& ioCanvas, size_t inDictionary)
{
    if (mPlacedFont && mPlacedFont->font == *mFont && mPlacedFont->dictionary == inDictionary)
        return;
    std::vector<ObjectIDType>& objectIDs = mFaces[mFont->face].objectIDs;
    if (objectIDs.size() <= inDictionary)
        objectIDs.resize(inDictionary + 1, 0);
    if (objectIDs[inDictionary] == 0)
        objectIDs[inDictionary] = mWriter->GetObjectsContext().GetInDirectObjectsRegistry().ReserveNewObjectID();
    ioCanvas.SetFontAndSize(mPage->GetResourcesDictionary().FontNameForObject(objectIDs[inDictionary]),
                            mFont->size);
    mPlacedFont = PlacedFont{*mFont, inDictionary};
}

void JagDocument::TranslateLine(unsigned long inPage, double inDx, double inDy)
{
    PageContentContext& canvas = Canvas(inPage);
    if (!mTextOpen)
        Refuse(JAG_ERR_INVALID_STATE, "lines are moved inside a text object only");
    canvas.MoveTextPosition(inDx, inDy);
}

void JagDocument::TextEnd(unsigned long inPage)
{
    PageContentContext& canvas = Canvas(inPage);
    if (!mTextOpen)
        Refuse(JAG_ERR_INVALID_STATE, "no text object is open");
    canvas.EndText();
    mTextOpen = false;
}

void JagDocument::DrawImage(unsigned long inPage, size_t inImage, double inX, double inY, double inWidth,
                            double inHeight)
{
    PageContentContext& canvas = Canvas(inPage);
    if (mTextOpen)
        Refuse(JAG_ERR_INVALID_STATE, "images cannot be drawn inside a text object");
    if (inImage >= mImages.size())
        Refuse(JAG_ERR_INVALID_HANDLE, "the image belongs to another document");
    if (!std::isfinite(inWidth) || !std::isfinite(inHeight) || inWidth <= 0 || inHeight <= 0)
        Refuse(JAG_ERR_INVALID_ARGUMENT, "an image needs a positive width and height");
    LoadedImage& image = mImages[inImage];
    if (image.objectID == 0) {
        image.objectID = mWriter->GetObjectsContext().GetInDirectObjectsRegistry().ReserveNewObjectID();
        mImagesToWrite.push_back(inImage);
    }
    ImageXObject xobject;
    xobject.mImageObjectID = image.objectID;
    const bool gray = image.file.kind == JagImageFile::eJPEG ? image.file.jpeg.ColorComponentsCount == 1
                                                             : image.file.gray;
    xobject.mRequiredProcsetResourceNames.push_back(gray ? "ImageB" : "ImageC");
    canvas.SaveGraphicState();
    canvas.ConcatMatrix(inWidth, 0, 0, inHeight, inX, inY);
    canvas.PaintXObject(mPage->GetResourcesDictionary().ImageXObjectNameForObject(xobject));
    canvas.RestoreGraphicState();
}
