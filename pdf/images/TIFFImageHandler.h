#pragma once
// Turns one page of a TIFF file into PDF objects of the document being written: one image
// XObject for the page (or one per tile), its colour map, ICC profile and transfer functions,
// and a form XObject that draws the image(s) at the page's physical size and orientation. Group 4
// and Deflate data that a PDF reader decodes to the same samples is copied unchanged; everything
// else is decoded by libtiff and encoded again as Flate. The document context owns one handler and
// sets its contexts (not owned) before use. A failure is one trace-log line and a null result;
// objects written before it stay in the output, and nothing is left half written.

#include "pdf/images/TIFFImageDimensions.h"
#include "pdf/images/TIFFImageOptions.h"
#include "pdf/io/IByteReaderWithPosition.h"
#include "pdf/objects/ObjectIDType.h"
#include "pdf/writing/ImageXObject.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class DictionaryContext;
class DocumentContext;
class IDocumentContextExtender;
class ObjectsContext;
class OutputFormXObject;
class TIFFPageReader;
struct TIFFPageDirectory;
class TIFFReadingHandle;
class TIFFSampleReader;
class TIFFStripEncoder;
struct TIFFPageInformation;

class TIFFImageHandler {
public:
    TIFFImageHandler();
    virtual ~TIFFImageHandler();
    TIFFImageHandler(const TIFFImageHandler&) = delete;
    TIFFImageHandler& operator=(const TIFFImageHandler&) = delete;

    void SetOperationsContexts(DocumentContext* inDocumentContext, ObjectsContext* inObjectsContext);

    // The finished form written under inFormObjectID, or null.
    std::unique_ptr<OutputFormXObject>
    CreateFormXObjectFromTIFFFile(const std::string& inTIFFFilePath, ObjectIDType inFormObjectID,
                                  const TIFFImageOptions& inOptions = TIFFImageOptions());
    // The stream stands at the start of the TIFF data; it is read, never closed.
    std::unique_ptr<OutputFormXObject>
    CreateFormXObjectFromTIFFFile(IByteReaderWithPosition* inTIFFStream, ObjectIDType inFormObjectID,
                                  const TIFFImageOptions& inOptions = TIFFImageOptions());
    // The page's size in points after resolution and orientation, and its samples per pixel.
    TIFFImageDimensions ReadImageDimensions(IByteReaderWithPosition* inTIFFStream, unsigned int inPageIndex);
    TIFFImageDimensions ReadImageDimensions(const std::string& inTIFFFilePath, unsigned int inPageIndex);

    void AddDocumentContextExtender(IDocumentContextExtender* inExtender) { mExtenders.insert(inExtender); }
    void RemoveDocumentContextExtender(IDocumentContextExtender* inExtender) { mExtenders.erase(inExtender); }
    // Forgets the extenders and the files' page lists, and closes the file kept open.
    void Reset();

private:
    struct OpenFile;
    // The libtiff handle of the file at the path, kept open from the last call on the same path;
    // null when the file cannot be opened (logged with the caller's text) or is no TIFF.
    TIFFReadingHandle* HandleForPath(const std::string& inPath, const char* inCannotOpenFile,
                                     const char* inCannotOpenStream);
    std::unique_ptr<OutputFormXObject> CreateFormXObject(TIFFReadingHandle& inHandle, const std::string& inFileName,
                                                         ObjectIDType inFormObjectID, const TIFFImageOptions& inOptions);
    TIFFImageDimensions ReadDimensions(TIFFReadingHandle& inHandle, const std::string& inFileName,
                                       unsigned int inPageIndex);
    // The page list of the file (remembered per path when there is one); false after a log line.
    bool ReadPageList(TIFFPageReader& ioReader, const std::string& inFileName);
    std::unique_ptr<OutputFormXObject> ConvertTiff2PDF(TIFFSampleReader* ioSamples,
                                                       TIFFPageInformation& ioPage, ObjectIDType inFormObjectID);
    ObjectIDType WriteTransferFunctions(const TIFFPageInformation& inPage);
    ObjectIDType WriteDataStream(const std::vector<Byte>& inData, const TIFFPageInformation* inICCPage);
    // Encoders of the page's tiles by width and length.
    using EncoderMap = std::map<std::pair<uint32_t, uint32_t>, std::unique_ptr<TIFFStripEncoder>>;
    // Under the id outImage holds already.
    bool WriteTileImageXObject(TIFFSampleReader& inSamples, const TIFFPageInformation& inPage, uint32_t inTile,
                               ObjectIDType inPaletteID, ObjectIDType inICCID, EncoderMap& ioEncoders,
                               ImageXObject& outImage);
    void WriteColorSpace(const TIFFPageInformation& inPage, ObjectIDType inPaletteID, ObjectIDType inICCID);
    void WriteBaseColorSpace(const TIFFPageInformation& inPage, ObjectIDType inICCID, bool inIgnoreICC);
    std::unique_ptr<OutputFormXObject> WriteImagesFormXObject(const TIFFPageInformation& inPage,
                                                              ObjectIDType inFormObjectID,
                                                              const std::vector<ImageXObject>& inImages,
                                                              ObjectIDType inExtGStateID);

    DocumentContext* mDocumentContext = nullptr;
    ObjectsContext* mObjectsContext = nullptr;
    std::set<IDocumentContextExtender*> mExtenders;
    // Each file's page directories in page order: reading every directory of a file of many pages
    // for each of its pages would take time that grows with the square of its pages.
    std::map<std::string, std::vector<TIFFPageDirectory>> mPageDirectories;
    // The pages of one file are usually measured and placed one after the other: kept open, its
    // handle goes straight to each page's directory, where a new one would read the chain of
    // directories up to it again.
    std::unique_ptr<OpenFile> mOpenFile;
    // The file of the current conversion, for log lines; empty when reading from a stream.
    std::string mFileName;
};
