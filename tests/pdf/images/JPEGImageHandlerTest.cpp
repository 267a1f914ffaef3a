// The objects the JPEG handler writes, byte for byte: the image XObject holding the file
// unchanged, the form that draws it at its size in points; the information cache; and the
// refusals that must leave the output untouched.

#include "pdf/images/JPEGImageHandler.h"
#include "pdf/writing/DictionaryContext.h"
#include "pdf/writing/DocumentContextExtenderAdapter.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/OutputFormXObject.h"

#include "pdf/support/JPEGTestSupport.h"
#include "pdf/writing/DocumentTestSupport.h"
#include "pdf/support/LogCapture.h"
#include "pdf/support/TestDirectory.h"

#include <gtest/gtest.h>

using testsupport::LogCapture;
using namespace JPEGTestSupport;
using DocumentTestSupport::MemoryDocument;
using DocumentTestSupport::ObjectText;
using testsupport::TestDirectory;

namespace {

// The form and image written into a fresh document in memory: form 1, image 2, the image's
// length 3, the form's resources 4 and its length 5.
struct WrittenImage {
    bool mWritten = false;
    std::string mBytes;
    std::string Object(unsigned long inObjectID) const { return ObjectText(mBytes, inObjectID); }
};

WrittenImage WriteImage(const std::string& inPath)
{
    MemoryDocument document;
    DocumentContext& context = document.Document();
    ObjectIDType formID = document.Objects().GetInDirectObjectsRegistry().ReserveNewObjectID();
    WrittenImage written;
    written.mWritten = context.GetJPEGImageHandler().CreateFormXObjectFromJPGFile(inPath, formID) != nullptr;
    EXPECT_FALSE(document.Objects().HasFailed());
    written.mBytes = document.Bytes();
    return written;
}

std::string ImageDictionary(const std::string& inColorEntries, int inWidth = 96, int inHeight = 64)
{
    return "2 0 obj\r\n<<\r\n\t/Type /XObject\r\n\t/Subtype /Image\r\n\t/Width " + std::to_string(inWidth) +
           "\r\n\t/Height " + std::to_string(inHeight) + "\r\n\t/BitsPerComponent 8\r\n" + inColorEntries +
           "\t/Filter /DCTDecode\r\n\t/Length 3 0 R\r\n>>\r\nstream\r\n";
}

TEST(JPEGImageHandler, ImageHoldsTheFileUnchangedAndTheFormDrawsItInPoints)
{
    TestDirectory folder;
    JPEGRecipe recipe;
    recipe.mDensityUnit = 1;
    recipe.mXDensity = 144;
    recipe.mYDensity = 96;
    std::string jpeg = MakeJPEG(recipe);
    WrittenImage written = WriteImage(folder.Write("rgb.jpg", jpeg));
    ASSERT_TRUE(written.mWritten);

    EXPECT_EQ(written.Object(2), ImageDictionary("\t/ColorSpace /DeviceRGB\r\n") + jpeg + "\r\nendstream\r\nendobj\r\n");
    EXPECT_EQ(written.Object(3), "3 0 obj\r\n" + std::to_string(jpeg.size()) + "\r\nendobj\r\n");
    EXPECT_EQ(written.Object(1), "1 0 obj\r\n<<\r\n\t/Type /XObject\r\n\t/Subtype /Form\r\n\t/FormType 1\r\n"
                                 "\t/BBox [ 0 0 48 48 ]\r\n\t/Resources 4 0 R\r\n\t/Length 5 0 R\r\n>>\r\n"
                                 "stream\r\nq\r\n48 0 0 48 0 0 cm\r\n/Im1 Do\r\nQ\r\n\r\nendstream\r\nendobj\r\n");
    EXPECT_EQ(written.Object(4), "4 0 obj\r\n<<\r\n\t/ProcSet [ /ImageC /PDF ]\r\n\t/XObject <<\r\n\t\t/Im1 2 0 R\r\n"
                                 "\t>>\r\n>>\r\nendobj\r\n");

    // Gray images need the black-and-white procedure set.
    recipe.mComponents = 1;
    recipe.mJFIF = false;
    recipe.mWidth = 17;
    recipe.mHeight = 3;
    jpeg = MakeJPEG(recipe);
    written = WriteImage(folder.Write("gray.jpg", jpeg));
    ASSERT_TRUE(written.mWritten);
    EXPECT_EQ(written.Object(2), ImageDictionary("\t/ColorSpace /DeviceGray\r\n", 17, 3) + jpeg +
                                     "\r\nendstream\r\nendobj\r\n");
    EXPECT_NE(written.Object(1).find("/BBox [ 0 0 17 3 ]"), std::string::npos);
    EXPECT_NE(written.Object(4).find("/ProcSet [ /ImageB /PDF ]"), std::string::npos);
}

TEST(JPEGImageHandler, CMYKIsInvertedOnlyInAdobesForm)
{
    TestDirectory folder;
    JPEGRecipe recipe;
    recipe.mComponents = 4;
    recipe.mJFIF = false;
    recipe.mAdobe = true;
    WrittenImage written = WriteImage(folder.Write("adobe.jpg", MakeJPEG(recipe)));
    ASSERT_TRUE(written.mWritten);
    std::string expected = ImageDictionary("\t/ColorSpace /DeviceCMYK\r\n\t/Decode [ 1 0 1 0 1 0 1 0 ]\r\n");
    EXPECT_EQ(written.Object(2).substr(0, expected.size()), expected);

    recipe.mAdobe = false;
    written = WriteImage(folder.Write("plain.jpg", MakeJPEG(recipe)));
    ASSERT_TRUE(written.mWritten);
    expected = ImageDictionary("\t/ColorSpace /DeviceCMYK\r\n");
    EXPECT_EQ(written.Object(2).substr(0, expected.size()), expected);
}

TEST(JPEGImageHandler, RefusedImagesLeaveTheOutputUntouched)
{
    TestDirectory folder;
    std::string good = MakeJPEG(JPEGRecipe());
    size_t frame = FindMarker(good, 0xC0);
    ASSERT_NE(frame, std::string::npos);
    std::string twoComponents = good;
    twoComponents[frame + 9] = 2;

    struct Refusal {
        std::string mPath;
        std::vector<std::string> mMessages;
    };
    std::vector<Refusal> refusals = {
        {folder.Write("two.jpg", twoComponents),
         {"JPEGImageHandler::CreateAndWriteImageXObjectFromJPGInformation, Unexpected Error, unfamilar color "
          "components count - 2",
          "JPEGImageHandler::CreateFormXObjectFromJPGFile, unable to create image xobject for "}},
        {folder.PathOf("missing.jpg"),
         {"JPEGImageHandler::JPEGImageHandler. Unable to open JPG file for reading, " + folder.PathOf("missing.jpg"),
          "JPEGImageHandler::CreateFormXObjectFromJPGFile, unable to retrieve image information for "}},
        {folder.Write("text.jpg", "plain text"),
         {"JPEGHeaderScanner::ScanHeader, the data does not begin with a JPEG start of image marker",
          "JPEGImageHandler::JPEGImageHandler. Failed to parse JPG file, " + folder.PathOf("text.jpg")}},
        {folder.Write("empty.jpg", ""), {"Failed to parse JPG file"}},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.mPath);
        LogCapture log;
        WrittenImage written = WriteImage(refusal.mPath);
        EXPECT_FALSE(written.mWritten);
        EXPECT_EQ(written.mBytes, "");
        for (const std::string& message : refusal.mMessages)
            EXPECT_TRUE(log.Contains(message)) << log.Text();
    }

    // A handler that no document context has set up writes nothing either.
    LogCapture log;
    JPEGImageHandler handler;
    EXPECT_EQ(handler.CreateFormXObjectFromJPGFile(folder.Write("good.jpg", good), 1), nullptr);
    EXPECT_TRUE(log.Contains("JPEGImageHandler::CreateFormXObjectFromJPGFile. Unexpected Error, mDocumentContex not "
                             "initialized with a document context"));
    EXPECT_TRUE(handler.ReadJPGInformation(folder.PathOf("good.jpg")).first);
}

TEST(JPEGImageHandler, InformationIsReadOncePerPathUntilReset)
{
    TestDirectory folder;
    JPEGRecipe small;
    small.mWidth = 32;
    std::string path = folder.Write("changing.jpg", MakeJPEG(small));
    JPEGImageHandler handler;
    std::pair<bool, JPEGImageInformation> first = handler.ReadJPGInformation(path);
    ASSERT_TRUE(first.first);
    EXPECT_EQ(first.second.SamplesWidth, 32);

    folder.Write("changing.jpg", MakeJPEG(JPEGRecipe()));
    EXPECT_EQ(handler.ReadJPGInformation(path).second.SamplesWidth, 32);
    handler.Reset();
    EXPECT_EQ(handler.ReadJPGInformation(path).second.SamplesWidth, 96);

    // A failure is not remembered: the file may be there later.
    std::string later = folder.PathOf("later.jpg");
    EXPECT_FALSE(handler.ReadJPGInformation(later).first);
    folder.Write("later.jpg", MakeJPEG(small));
    EXPECT_TRUE(handler.ReadJPGInformation(later).first);
}

// Adds an entry to every JPEG image dictionary, or refuses the image.
class ImageExtender : public DocumentContextExtenderAdapter {
public:
    explicit ImageExtender(OpStatus inAnswer) : mAnswer(inAnswer) {}
    OpStatus JPEGImageDictionaryWriting(ObjectIDType inImageObjectID, DictionaryContext* inImageDictionary,
                                        ObjectsContext*, DocumentContext*, JPEGImageHandler*) override
    {
        mImageObjectID = inImageObjectID;
        if (inImageDictionary->WriteKey("Interpolate") == eSuccess)
            inImageDictionary->WriteBooleanValue(true);
        return mAnswer;
    }
    ObjectIDType mImageObjectID = 0;

private:
    OpStatus mAnswer;
};

TEST(JPEGImageHandler, ExtendersAddToTheImageDictionaryOrRefuseIt)
{
    TestDirectory folder;
    std::string path = folder.Write("image.jpg", MakeJPEG(JPEGRecipe()));
    for (OpStatus answer : {eSuccess, eFailure}) {
        LogCapture log;
        MemoryDocument document;
        ImageExtender extender(answer);
        document.Document().AttachExtender(&extender);
        ObjectIDType formID = document.Objects().GetInDirectObjectsRegistry().ReserveNewObjectID();
        std::unique_ptr<OutputFormXObject> form =
            document.Document().GetJPEGImageHandler().CreateFormXObjectFromJPGFile(path, formID);
        EXPECT_EQ(extender.mImageObjectID, 2u);
        EXPECT_NE(document.Bytes().find("\t/Filter /DCTDecode\r\n\t/Interpolate true\r\n"), std::string::npos);
        if (answer == eSuccess) {
            EXPECT_NE(form, nullptr);
        } else {
            EXPECT_EQ(form, nullptr);
            EXPECT_TRUE(log.Contains("JPEGImageHandler::CreateAndWriteImageXObjectFromJPGInformation, unexpected "
                                     "failure. extender declared failure when writing image xobject."));
            EXPECT_EQ(document.Bytes().find("stream"), std::string::npos);
        }
        document.Document().DetachExtender(&extender);
    }
}

} // namespace
