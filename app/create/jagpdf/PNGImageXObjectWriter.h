#pragma once
// Writes a PNG file as an image XObject: decoded by Qt, transparency flattened onto white (what
// the page under it shows), 8 bits per component, DeviceGray for a file of a gray colour type and
// DeviceRGB otherwise, Flate-compressed when the objects context compresses streams.

#include "pdf/objects/ObjectIDType.h"
#include "pdf/writing/ImageXObject.h"

#include <string>

class ObjectsContext;

class PNGImageXObjectWriter {
public:
    // Writes the image under inImageObjectID. Throws JagFailure (JAG_ERR_IMAGE) before writing
    // anything when the file cannot be decoded or its size is no longer inWidth x inHeight (the
    // size it was laid out with); JAG_ERR_IO when the stream could not be written.
    static ImageXObject Write(ObjectsContext& inObjectsContext, const std::string& inPath,
                              ObjectIDType inImageObjectID, unsigned int inWidth, unsigned int inHeight,
                              bool inGray);
};
