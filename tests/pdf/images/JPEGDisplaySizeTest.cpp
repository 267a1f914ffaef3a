// The size in points of a JPEG image from the resolution its header gives.

#include "pdf/images/JPEGImageHandler.h"

#include <gtest/gtest.h>

namespace {

JPEGImageInformation Pixels(long long inWidth, long long inHeight)
{
    JPEGImageInformation information;
    information.SamplesWidth = inWidth;
    information.SamplesHeight = inHeight;
    information.ColorComponentsCount = 3;
    return information;
}

TEST(JPEGDisplaySize, ResolutionOfJFIFExifOrPhotoshop)
{
    JPEGImageInformation jfif = Pixels(300, 200);
    jfif.JFIFInformationExists = true;
    jfif.JFIFUnit = 1; // dots per inch
    jfif.JFIFXDensity = 150;
    jfif.JFIFYDensity = 150;
    EXPECT_EQ(JPEGImageHandler::DisplaySizeInPoints(jfif), std::make_pair(144.0, 96.0));
    jfif.JFIFUnit = 2; // dots per centimetre
    jfif.JFIFXDensity = 100;
    jfif.JFIFYDensity = 100;
    std::pair<double, double> size = JPEGImageHandler::DisplaySizeInPoints(jfif);
    EXPECT_DOUBLE_EQ(size.first, 216 / 2.54);
    EXPECT_DOUBLE_EQ(size.second, 144 / 2.54);
    jfif.JFIFUnit = 0; // no unit: one pixel per point, and Exif is not looked at
    jfif.ExifInformationExists = true;
    jfif.ExifUnit = 2;
    jfif.ExifXDensity = 72;
    EXPECT_EQ(JPEGImageHandler::DisplaySizeInPoints(jfif), std::make_pair(300.0, 200.0));

    JPEGImageInformation exif = Pixels(720, 360);
    exif.ExifInformationExists = true;
    exif.ExifUnit = 2; // per inch; a resolution of 0 counts as 1
    exif.ExifXDensity = 360;
    exif.ExifYDensity = 0;
    EXPECT_EQ(JPEGImageHandler::DisplaySizeInPoints(exif), std::make_pair(144.0, 360.0 * 72));
    exif.ExifUnit = 1; // no absolute unit
    EXPECT_EQ(JPEGImageHandler::DisplaySizeInPoints(exif), std::make_pair(720.0, 360.0));

    JPEGImageInformation photoshop = Pixels(600, 300);
    photoshop.PhotoshopInformationExists = true;
    photoshop.PhotoshopXDensity = 300;
    photoshop.PhotoshopYDensity = 150;
    EXPECT_EQ(JPEGImageHandler::DisplaySizeInPoints(photoshop), std::make_pair(144.0, 144.0));

    EXPECT_EQ(JPEGImageHandler::DisplaySizeInPoints(Pixels(640, 480)), std::make_pair(640.0, 480.0));
}

} // namespace
