#pragma once
// What the layer knows of an image file once it is loaded: its kind (recognised from the first
// bytes), its size in pixels and its resolution, read from the header without decoding the
// pixels; only files that pass ImageFiles are loaded. A JPEG's header comes from the document's
// JPEG handler (which caches it per path); a PNG's from its IHDR and pHYs chunks. A resolution
// the file does not give, or gives as 0, is 72 dots per inch.

#include "pdf/images/JPEGImageInformation.h"

#include <string>

class JPEGImageHandler;
class QFile;

class JagImageFile {
public:
    enum Kind { eJPEG, ePNG };

    // Throws JagFailure (JAG_ERR_IMAGE) for a file that ImageFiles refuses (with its reason) or
    // whose header is damaged.
    static JagImageFile Read(const std::string& inPath, JPEGImageHandler& inJPEGHandler);

    Kind kind = eJPEG;
    std::string path;
    unsigned int width = 0;
    unsigned int height = 0;
    double dpiX = 72;
    double dpiY = 72;
    bool gray = false;         // of a PNG file: a gray colour type, with or without alpha
    JPEGImageInformation jpeg; // of a JPEG file

private:
    static void ReadJPEG(JagImageFile& ioImage, JPEGImageHandler& inJPEGHandler);
    static void ReadPNG(JagImageFile& ioImage, QFile& inFile);
};
