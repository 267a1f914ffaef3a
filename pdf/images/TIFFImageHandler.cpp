#include "pdf/images/TIFFImageHandler.h"

#include "pdf/images/TIFFPageReader.h"
#include "pdf/images/TIFFReadingHandle.h"
#include "pdf/images/TIFFSampleReader.h"
#include "pdf/images/TIFFStripEncoder.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputFileStream.h"
#include "pdf/writing/DictionaryContext.h"
#include "pdf/writing/DocumentContext.h"
#include "pdf/writing/IDocumentContextExtender.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/OutputFormXObject.h"
#include "pdf/writing/WritingStep.h"
#include "pdf/writing/XObjectContentContext.h"

namespace {

const char scType[] = "Type";
const char scXObject[] = "XObject";
const char scSubtype[] = "Subtype";
const char scImage[] = "Image";
const char scWidth[] = "Width";
const char scHeight[] = "Height";
const char scBitsPerComponent[] = "BitsPerComponent";
const char scColorSpace[] = "ColorSpace";
const char scDeviceGray[] = "DeviceGray";
const char scDeviceRGB[] = "DeviceRGB";
const char scDeviceCMYK[] = "DeviceCMYK";
const char scIndexed[] = "Indexed";
const char scICCBased[] = "ICCBased";
const char scLab[] = "Lab";
const char scWhitePoint[] = "WhitePoint";
const char scRange[] = "Range";
const char scDecode[] = "Decode";
const char scFilter[] = "Filter";
const char scDecodeParms[] = "DecodeParms";
const char scCCITTFaxDecode[] = "CCITTFaxDecode";
const char scFlateDecode[] = "FlateDecode";
const char scK[] = "K";
const char scColumns[] = "Columns";
const char scRows[] = "Rows";
const char scBlackIs1[] = "BlackIs1";
const char scPredictor[] = "Predictor";
const char scColors[] = "Colors";
const char scN[] = "N";
const char scAlternate[] = "Alternate";
const char scFunctionType[] = "FunctionType";
const char scDomain[] = "Domain";
const char scSize[] = "Size";
const char scBitsPerSample[] = "BitsPerSample";
const char scExtGState[] = "ExtGState";
const char scTR[] = "TR";
const char scIdentity[] = "Identity";
const char scImageB[] = "ImageB";
const char scImageC[] = "ImageC";

void WriteName(ObjectsContext* inObjectsContext, DictionaryContext* inDictionary, const char* inKey, const char* inName)
{
    if (inDictionary->WriteKey(inKey) == eSuccess)
        inObjectsContext->GetValueWriter().WriteNameValue(inName, eTokenSeparatorEndLine);
}

void WriteInteger(DictionaryContext* inDictionary, const char* inKey, long long inValue)
{
    if (inDictionary->WriteKey(inKey) == eSuccess)
        inDictionary->WriteIntegerValue(inValue);
}

void WriteNumbers(ObjectsContext* inObjectsContext, DictionaryContext* inDictionary, const char* inKey,
                  const std::vector<double>& inNumbers)
{
    if (inDictionary->WriteKey(inKey) != eSuccess)
        return;
    inObjectsContext->StartArray();
    for (double number : inNumbers)
        inObjectsContext->GetValueWriter().WriteRealValue(number, eTokenSeparatorSpace);
    inObjectsContext->EndArray(eTokenSeparatorEndLine);
}

const char* DeviceSpace(const TIFFPageInformation& inPage)
{
    switch (inPage.mColorSpace) {
    case eTIFFColorSpaceRGB:
        return scDeviceRGB;
    case eTIFFColorSpaceCMYK:
        return scDeviceCMYK;
    default:
        return scDeviceGray;
    }
}

// Components of the colour space under a palette or ICC profile.
unsigned BaseComponents(const TIFFPageInformation& inPage)
{
    return inPage.mColorSpace == eTIFFColorSpaceCMYK ? 4 : inPage.mColorSpace == eTIFFColorSpaceRGB ||
                                                               inPage.mColorSpace == eTIFFColorSpaceLab
                                                           ? 3
                                                           : 1;
}

} // namespace

struct TIFFImageHandler::OpenFile {
    std::string mPath;
    InputFileStream mFile;
    std::unique_ptr<TIFFReadingHandle> mHandle;
};

TIFFImageHandler::TIFFImageHandler() = default;

TIFFImageHandler::~TIFFImageHandler() = default;

void TIFFImageHandler::SetOperationsContexts(DocumentContext* inDocumentContext, ObjectsContext* inObjectsContext)
{
    mDocumentContext = inDocumentContext;
    mObjectsContext = inObjectsContext;
}

TIFFReadingHandle* TIFFImageHandler::HandleForPath(const std::string& inPath, const char* inCannotOpenFile,
                                                   const char* inCannotOpenStream)
{
    if (mOpenFile && mOpenFile->mPath == inPath)
        return mOpenFile->mHandle.get();
    mOpenFile.reset();
    auto file = std::make_unique<OpenFile>();
    file->mPath = inPath;
    // Unbuffered: libtiff seeks from one directory to the next and reads a few bytes at each,
    // which would refill a large read buffer every time.
    if (file->mFile.OpenForReading(inPath) != eSuccess) {
        TraceMessage(inCannotOpenFile, inPath.c_str());
        return nullptr;
    }
    file->mHandle = std::make_unique<TIFFReadingHandle>(&file->mFile);
    if (!file->mHandle->Open()) {
        TraceMessage("%s", inCannotOpenStream);
        return nullptr;
    }
    mOpenFile = std::move(file);
    return mOpenFile->mHandle.get();
}

std::unique_ptr<OutputFormXObject> TIFFImageHandler::CreateFormXObjectFromTIFFFile(const std::string& inTIFFFilePath,
                                                                                   ObjectIDType inFormObjectID,
                                                                                   const TIFFImageOptions& inOptions)
{
    TIFFReadingHandle* handle =
        HandleForPath(inTIFFFilePath, "TIFFImageHandler::CreateFormXObjectFromTIFFFile. cannot open file for reading - %s",
                      "TIFFImageHandler::CreateFormXObjectFromTIFFFile. cannot open stream for reading");
    if (!handle)
        return nullptr;
    std::unique_ptr<OutputFormXObject> form = CreateFormXObject(*handle, inTIFFFilePath, inFormObjectID, inOptions);
    // libtiff's state after a failure is not worth trusting for the next page.
    if (!form)
        mOpenFile.reset();
    return form;
}

std::unique_ptr<OutputFormXObject>
TIFFImageHandler::CreateFormXObjectFromTIFFFile(IByteReaderWithPosition* inTIFFStream, ObjectIDType inFormObjectID,
                                                const TIFFImageOptions& inOptions)
{
    TIFFReadingHandle handle(inTIFFStream);
    if (!handle.Open()) {
        TraceMessage("TIFFImageHandler::CreateFormXObjectFromTIFFFile. cannot open stream for reading");
        return nullptr;
    }
    return CreateFormXObject(handle, "", inFormObjectID, inOptions);
}

std::unique_ptr<OutputFormXObject> TIFFImageHandler::CreateFormXObject(TIFFReadingHandle& inHandle,
                                                                       const std::string& inFileName,
                                                                       ObjectIDType inFormObjectID,
                                                                       const TIFFImageOptions& inOptions)
{
    if (!mObjectsContext || !mDocumentContext) {
        TraceMessage("TIFFImageHandler::CreateFormXObjectFromTIFFFile. Unexpected Error, mObjectsContext or "
                     "mContainerDocumentContext not initialized");
        return nullptr;
    }
    mFileName = inFileName;
    TIFFPageReader reader(inHandle.Get(), mFileName);
    TIFFPageInformation page;
    std::unique_ptr<OutputFormXObject> form;
    if (ReadPageList(reader, mFileName)) {
        if (inOptions.mPageIndex >= reader.PageCount())
            TraceMessage("TIFFImageHandler::ConvertTiff2PDF, Requested tiff page %u where the tiff only has %u pages. "
                         "Tiff file name - %s",
                         inOptions.mPageIndex, reader.PageCount(), mFileName.c_str());
        else if (reader.ReadPageInformation(inOptions.mPageIndex, page)) {
            TIFFSampleReader samples(inHandle.Get(), page, mFileName);
            form = ConvertTiff2PDF(&samples, page, inFormObjectID);
        }
    }
    mFileName.clear();
    return form;
}

bool TIFFImageHandler::ReadPageList(TIFFPageReader& ioReader, const std::string& inFileName)
{
    auto known = inFileName.empty() ? mPageDirectories.end() : mPageDirectories.find(inFileName);
    if (known != mPageDirectories.end()) {
        ioReader.SetPageDirectories(known->second);
        return true;
    }
    if (!ioReader.ReadPageList())
        return false;
    if (!inFileName.empty())
        mPageDirectories[inFileName] = ioReader.PageDirectories();
    return true;
}

TIFFImageDimensions TIFFImageHandler::ReadImageDimensions(IByteReaderWithPosition* inTIFFStream,
                                                          unsigned int inPageIndex)
{
    TIFFReadingHandle handle(inTIFFStream);
    if (!handle.Open()) {
        TraceMessage("TIFFImageHandler::ReadImageDimensions. cannot open stream for reading");
        return TIFFImageDimensions();
    }
    return ReadDimensions(handle, "", inPageIndex);
}

TIFFImageDimensions TIFFImageHandler::ReadImageDimensions(const std::string& inTIFFFilePath, unsigned int inPageIndex)
{
    TIFFReadingHandle* handle =
        HandleForPath(inTIFFFilePath, "TIFFImageHandler::ReadImageDimensions. cannot open file for reading - %s",
                      "TIFFImageHandler::ReadImageDimensions. cannot open stream for reading");
    if (!handle)
        return TIFFImageDimensions();
    TIFFImageDimensions dimensions = ReadDimensions(*handle, inTIFFFilePath, inPageIndex);
    if (dimensions.mWidth < 0)
        mOpenFile.reset();
    return dimensions;
}

TIFFImageDimensions TIFFImageHandler::ReadDimensions(TIFFReadingHandle& inHandle, const std::string& inFileName,
                                                     unsigned int inPageIndex)
{
    TIFFImageDimensions dimensions;
    TIFFPageReader reader(inHandle.Get(), inFileName);
    if (!ReadPageList(reader, inFileName))
        return dimensions;
    if (inPageIndex >= reader.PageCount()) {
        TraceMessage("TIFFImageHandler::ReadImageDimensions, Requested tiff page %u where the tiff only has %u pages. "
                     "Tiff file name - %s",
                     inPageIndex, reader.PageCount(), inFileName.c_str());
        return dimensions;
    }
    TIFFPageInformation page;
    if (!reader.ReadPageInformation(inPageIndex, page))
        return dimensions;
    dimensions.mWidth = page.mPageWidthInPoints;
    dimensions.mHeight = page.mPageHeightInPoints;
    dimensions.mSamplesPerPixel = page.mSamplesPerPixel;
    return dimensions;
}

std::unique_ptr<OutputFormXObject> TIFFImageHandler::ConvertTiff2PDF(TIFFSampleReader* ioSamples,
                                                                     TIFFPageInformation& ioPage,
                                                                     ObjectIDType inFormObjectID)
{
    // One step: a page that cannot be written whole leaves nothing open and no id reserved.
    WritingStep step(*mObjectsContext);
    ObjectIDType extGStateID = WriteTransferFunctions(ioPage);
    ObjectIDType paletteID = ioPage.mPalette ? WriteDataStream(ioPage.mPaletteBytes, nullptr) : 0;
    ObjectIDType iccID = ioPage.mICCBased ? WriteDataStream(ioPage.mICCProfile, &ioPage) : 0;

    std::vector<ImageXObject> images(ioPage.TileCount());
    EncoderMap encoders;
    for (uint32_t tile = 0; tile < ioPage.TileCount(); ++tile) {
        images[tile].mImageObjectID = step.ReserveID();
        if (!WriteTileImageXObject(*ioSamples, ioPage, tile, paletteID, iccID, encoders, images[tile]))
            return nullptr;
    }
    std::unique_ptr<OutputFormXObject> form = WriteImagesFormXObject(ioPage, inFormObjectID, images, extGStateID);
    if (form)
        step.Commit();
    return form;
}

ObjectIDType TIFFImageHandler::WriteTransferFunctions(const TIFFPageInformation& inPage)
{
    if (inPage.mTransferFunctions.empty())
        return 0;
    std::vector<ObjectIDType> functions;
    for (const std::vector<uint16_t>& table : inPage.mTransferFunctions) {
        functions.push_back(mObjectsContext->AllocateAndStartIndirectObject());
        DictionaryContext* dictionary = mObjectsContext->StartDictionary();
        WriteInteger(dictionary, scFunctionType, 0);
        WriteNumbers(mObjectsContext, dictionary, scDomain, {0, 1});
        WriteNumbers(mObjectsContext, dictionary, scRange, {0, 1});
        WriteNumbers(mObjectsContext, dictionary, scSize, {static_cast<double>(table.size())});
        WriteInteger(dictionary, scBitsPerSample, 16);
        std::unique_ptr<WrittenPDFStream> stream = mObjectsContext->StartStream(dictionary);
        std::vector<Byte> bytes;
        for (uint16_t entry : table) {
            bytes.push_back(static_cast<Byte>(entry >> 8));
            bytes.push_back(static_cast<Byte>(entry & 0xFF));
        }
        stream->GetWriteStream()->WriteBytes(bytes.data(), bytes.size());
        mObjectsContext->EndStream(stream.get());
    }
    ObjectIDType extGStateID = mObjectsContext->AllocateAndStartIndirectObject();
    DictionaryContext* dictionary = mObjectsContext->StartDictionary();
    WriteName(mObjectsContext, dictionary, scType, scExtGState);
    if (dictionary->WriteKey(scTR) == eSuccess) {
        if (functions.size() == 1) {
            mObjectsContext->WriteIndirectObjectReference(functions[0]);
        } else {
            mObjectsContext->StartArray();
            for (ObjectIDType function : functions)
                mObjectsContext->WriteIndirectObjectReference(function, eTokenSeparatorSpace);
            mObjectsContext->GetValueWriter().WriteNameValue(scIdentity, eTokenSeparatorSpace);
            mObjectsContext->EndArray(eTokenSeparatorEndLine);
        }
    }
    mObjectsContext->EndDictionary(dictionary);
    mObjectsContext->EndIndirectObject();
    return extGStateID;
}

ObjectIDType TIFFImageHandler::WriteDataStream(const std::vector<Byte>& inData, const TIFFPageInformation* inICCPage)
{
    ObjectIDType id = mObjectsContext->AllocateAndStartIndirectObject();
    DictionaryContext* dictionary = mObjectsContext->StartDictionary();
    if (inICCPage) {
        // N counts the profile's colour components: a palette's base or the colour without alpha.
        WriteInteger(dictionary, scN, BaseComponents(*inICCPage));
        if (dictionary->WriteKey(scAlternate) == eSuccess)
            WriteBaseColorSpace(*inICCPage, 0, true);
    }
    std::unique_ptr<WrittenPDFStream> stream = mObjectsContext->StartStream(dictionary);
    stream->GetWriteStream()->WriteBytes(inData.data(), inData.size());
    mObjectsContext->EndStream(stream.get());
    return id;
}

void TIFFImageHandler::WriteBaseColorSpace(const TIFFPageInformation& inPage, ObjectIDType inICCID, bool inIgnoreICC)
{
    PDFValueWriter& values = mObjectsContext->GetValueWriter();
    if (inPage.mICCBased && !inIgnoreICC) {
        mObjectsContext->StartArray();
        values.WriteNameValue(scICCBased, eTokenSeparatorSpace);
        mObjectsContext->WriteIndirectObjectReference(inICCID, eTokenSeparatorSpace);
        mObjectsContext->EndArray(eTokenSeparatorEndLine);
        return;
    }
    if (inPage.mColorSpace != eTIFFColorSpaceLab) {
        values.WriteNameValue(DeviceSpace(inPage), eTokenSeparatorEndLine);
        return;
    }
    mObjectsContext->StartArray();
    values.WriteNameValue(scLab, eTokenSeparatorSpace);
    DictionaryContext* lab = mObjectsContext->StartDictionary();
    // The chromaticity x, y of the white point as CIE XYZ with Y 1.
    double x = inPage.mWhitePoint[0];
    double y = inPage.mWhitePoint[1];
    WriteNumbers(mObjectsContext, lab, scWhitePoint, {x / y, 1, (1 - x - y) / y});
    WriteNumbers(mObjectsContext, lab, scRange,
                 {inPage.mLabRange[0], inPage.mLabRange[1], inPage.mLabRange[2], inPage.mLabRange[3]});
    mObjectsContext->EndDictionary(lab);
    mObjectsContext->EndArray(eTokenSeparatorEndLine);
}

void TIFFImageHandler::WriteColorSpace(const TIFFPageInformation& inPage, ObjectIDType inPaletteID,
                                       ObjectIDType inICCID)
{
    if (!inPage.mPalette) {
        WriteBaseColorSpace(inPage, inICCID, false);
        return;
    }
    mObjectsContext->StartArray();
    mObjectsContext->GetValueWriter().WriteNameValue(scIndexed, eTokenSeparatorSpace);
    WriteBaseColorSpace(inPage, inICCID, false);
    mObjectsContext->WriteInteger((1LL << inPage.mBitsPerSample) - 1, eTokenSeparatorSpace);
    mObjectsContext->WriteIndirectObjectReference(inPaletteID, eTokenSeparatorSpace);
    mObjectsContext->EndArray(eTokenSeparatorEndLine);
}

bool TIFFImageHandler::WriteTileImageXObject(TIFFSampleReader& inSamples, const TIFFPageInformation& inPage,
                                             uint32_t inTile, ObjectIDType inPaletteID, ObjectIDType inICCID,
                                             EncoderMap& ioEncoders, ImageXObject& outImage)
{
    // The data is read before the object starts, so that a damaged tile leaves nothing open.
    const bool raw = inPage.mTranscode == eTIFFTranscodeRaw;
    TIFFImageData data;
    if (!(raw ? inSamples.ReadRaw(inTile, data) : inSamples.ReadDecoded(inTile, data)))
        return false;
    const bool g4 = raw && inPage.mPDFCompression == eTIFFPDFCompressionG4;
    // Samples of whole bytes compress far better as differences to their neighbours (not palette
    // indexes, whose neighbours' differences mean nothing).
    const bool predictor = raw ? inPage.mPredictor == PREDICTOR_HORIZONTAL
                               : inPage.OutputBitsPerSample() == 8 && !inPage.mPalette;

    mObjectsContext->StartIndirectObject(outImage.mImageObjectID);
    DictionaryContext* dictionary = mObjectsContext->StartDictionary();
    WriteName(mObjectsContext, dictionary, scType, scXObject);
    WriteName(mObjectsContext, dictionary, scSubtype, scImage);
    WriteInteger(dictionary, scWidth, data.mWidth);
    WriteInteger(dictionary, scHeight, data.mLength);
    WriteInteger(dictionary, scBitsPerComponent, inPage.OutputBitsPerSample());
    if (dictionary->WriteKey(scColorSpace) == eSuccess)
        WriteColorSpace(inPage, inPaletteID, inICCID);
    if (inPage.mSwitchDecode && !g4) {
        std::vector<double> decode;
        for (unsigned component = 0; component < inPage.PDFComponents(); ++component)
            decode.insert(decode.end(), {1, 0});
        WriteNumbers(mObjectsContext, dictionary, scDecode, decode);
    }
    WriteName(mObjectsContext, dictionary, scFilter, g4 ? scCCITTFaxDecode : scFlateDecode);
    if (g4 || predictor) {
        if (dictionary->WriteKey(scDecodeParms) == eSuccess) {
            DictionaryContext* parameters = mObjectsContext->StartDictionary();
            if (g4) {
                WriteInteger(parameters, scK, -1);
                WriteInteger(parameters, scColumns, data.mWidth);
                WriteInteger(parameters, scRows, data.mLength);
                if (!inPage.mSwitchDecode && parameters->WriteKey(scBlackIs1) == eSuccess)
                    parameters->WriteBooleanValue(true);
            } else {
                WriteInteger(parameters, scPredictor, 2);
                WriteInteger(parameters, scColors, raw ? inPage.mSamplesPerPixel : inPage.PDFComponents());
                WriteInteger(parameters, scBitsPerComponent, inPage.OutputBitsPerSample());
                WriteInteger(parameters, scColumns, data.mWidth);
            }
            mObjectsContext->EndDictionary(parameters);
        }
    }
    for (IDocumentContextExtender* extender : mExtenders) {
        if (extender->TIFFImageDictionaryWriting(outImage.mImageObjectID, dictionary, mObjectsContext,
                                                 mDocumentContext, this) != eSuccess) {
            TraceMessage("TIFFImageHandler::WriteTileImageXObject, unexpected failure. extender declared failure when "
                         "writing image xobject.");
            return false;
        }
    }

    std::unique_ptr<WrittenPDFStream> stream = mObjectsContext->StartRawStream(dictionary);
    OpStatus status = eSuccess;
    if (raw) {
        if (stream->GetWriteStream()->WriteBytes(data.mBytes.get(), data.mSize) != data.mSize) {
            TraceMessage("Error writing encoded strip to output PDF %s", mFileName.c_str());
            status = eFailure;
        }
    } else {
        // Tiles of one size (at most four: whole, right edge, bottom edge, corner) share an encoder.
        std::unique_ptr<TIFFStripEncoder>& encoder = ioEncoders[std::make_pair(data.mWidth, data.mLength)];
        if (!encoder)
            encoder = std::make_unique<TIFFStripEncoder>(data.mWidth, data.mLength, inPage.OutputBitsPerSample(),
                                                         static_cast<uint16_t>(inPage.PDFComponents()), predictor,
                                                         mFileName);
        status = encoder->Encode(stream->GetWriteStream(), data.mBytes.get(), data.mSize);
    }
    // Ended even after a failure, so that the output stays well formed around it.
    if (mObjectsContext->EndStream(stream.get()) != eSuccess || status != eSuccess)
        return false;
    outImage.mRequiredProcsetResourceNames.assign(
        1, !inPage.mPalette && (inPage.mColorSpace == eTIFFColorSpaceBilevel || inPage.mColorSpace == eTIFFColorSpaceGray)
               ? scImageB
               : scImageC);
    return true;
}

std::unique_ptr<OutputFormXObject> TIFFImageHandler::WriteImagesFormXObject(const TIFFPageInformation& inPage,
                                                                            ObjectIDType inFormObjectID,
                                                                            const std::vector<ImageXObject>& inImages,
                                                                            ObjectIDType inExtGStateID)
{
    std::unique_ptr<OutputFormXObject> form = mDocumentContext->StartFormXObject(
        PDFRectangle(0, 0, inPage.mPageWidthInPoints, inPage.mPageHeightInPoints), inFormObjectID);
    OpStatus status = form ? eSuccess : eFailure;
    if (form) {
        XObjectContentContext* content = form->GetContentContext();
        if (inExtGStateID != 0) {
            content->SaveGraphicState();
            content->SetExtGState(form->GetResourcesDictionary().ExtGStateNameForObject(inExtGStateID));
        }
        for (uint32_t tile = 0; tile < inImages.size(); ++tile) {
            // Edge tiles copied whole reach past the image; the form's box clips them.
            const ImageXObject& image = inImages[tile];
            uint32_t width = inPage.mTranscode == eTIFFTranscodeRaw && inPage.mTiled
                                 ? inPage.mTileWidth
                                 : inPage.TileWidthAt(inPage.mTiled ? tile % inPage.mTilesAcross : 0);
            uint32_t length = inPage.mTranscode == eTIFFTranscodeRaw && inPage.mTiled
                                  ? inPage.mTileLength
                                  : inPage.TileLengthAt(inPage.mTiled ? tile / inPage.mTilesAcross : 0);
            TIFFPlacementMatrix matrix = inPage.PlacementOf(tile, width, length);
            const double* m = matrix.mValues;
            content->SaveGraphicState();
            content->ConcatMatrix(m[0], m[1], m[2], m[3], m[4], m[5]);
            content->PaintXObject(form->GetResourcesDictionary().ImageXObjectNameForObject(image));
            if (content->RestoreGraphicState() != eSuccess)
                status = eFailure;
        }
        if (inExtGStateID != 0 && content->RestoreGraphicState() != eSuccess)
            status = eFailure;
        if (mDocumentContext->FinishFormXObject(form.get()) != eSuccess)
            status = eFailure;
    }
    if (status != eSuccess) {
        TraceMessage("TIFFImageHandler::WriteImagesFormXObject, Error in writing form XObject for image %s",
                     mFileName.c_str());
        return nullptr;
    }
    return form;
}

void TIFFImageHandler::Reset()
{
    mExtenders.clear();
    mPageDirectories.clear();
    mOpenFile.reset();
}
