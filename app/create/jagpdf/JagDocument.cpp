#include "app/create/jagpdf/JagDocument.h"

#include "app/create/jagpdf/JagFailure.h"
#include "app/create/jagpdf/PNGImageXObjectWriter.h"
#include "app/create/jagpdf/WinAnsiText.h"
#include "app/create/jagpdf/jagpdf.h"
#include "pdf/io/NumberText.h"
#include "pdf/writing/DictionaryContext.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/PageContentContext.h"

#include <QFile>

#include <cmath>

namespace {

// Nothing in these documents needs more than PDF 1.3.
const PDFVersionCode scPDFVersion = 13;

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
        if (mFaceObjectIDs[face] == 0)
            continue;
        objects.StartIndirectObject(mFaceObjectIDs[face]);
        DictionaryContext* dictionary = objects.StartDictionary();
        WriteNameEntry(objects, dictionary, "Type", "Font");
        WriteNameEntry(objects, dictionary, "Subtype", "Type1");
        WriteNameEntry(objects, dictionary, "BaseFont",
                       StandardFontMetrics::FaceName(static_cast<StandardFontMetrics::Face>(face)));
        WriteNameEntry(objects, dictionary, "Encoding", "WinAnsiEncoding");
        objects.EndDictionary(dictionary);
        objects.EndIndirectObject();
    }
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
    const std::string codes = WinAnsiText::FromUTF8(inUTF8);
    if (codes.empty())
        return;
    if (mPlacedFont != mFont) {
        ObjectIDType& faceID = mFaceObjectIDs[mFont->face];
        if (faceID == 0)
            faceID = mWriter->GetObjectsContext().GetInDirectObjectsRegistry().ReserveNewObjectID();
        canvas.SetFontAndSize(mPage->GetResourcesDictionary().FontNameForObject(faceID), mFont->size);
        mPlacedFont = mFont;
    }
    canvas.ShowTextLiteral(codes);
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
