#pragma once
// What the header of a JPEG file tells: size in pixels, colour components, the resolution given
// by a JFIF, Exif or Photoshop block, when present, and whether an Adobe block marks the colour
// data as Adobe's (inverted CMYK in four-component files).

struct JPEGImageInformation {
    long long SamplesWidth = 0;
    long long SamplesHeight = 0;
    int ColorComponentsCount = 0;

    bool JFIFInformationExists = false;
    int JFIFUnit = 0;
    double JFIFXDensity = 0;
    double JFIFYDensity = 0;

    bool ExifInformationExists = false;
    int ExifUnit = 0;
    double ExifXDensity = 0;
    double ExifYDensity = 0;

    bool PhotoshopInformationExists = false;
    double PhotoshopXDensity = 0;
    double PhotoshopYDensity = 0;

    bool AdobeInformationExists = false;
};
