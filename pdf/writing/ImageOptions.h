#pragma once
// How DrawImage places an image file: as it is, through a matrix, or fitted into a box; and
// which image of a multi-image file (a TIFF page, a PDF page) is meant.

enum EImageTransformation { eImageTransformationNone = 0, eImageTransformationMatrix = 1, eImageTransformationFit = 2 };
enum EImageFitPolicy { eImageFitAlways = 0, eImageFitOverflowOnly = 1 };

struct ImageOptions {
    int mTransformationMethod = eImageTransformationNone;
    int mImageIndex = 0;
    double mMatrix[6] = {1, 0, 0, 1, 0, 0};
    double mBoundingBoxWidth = 0;
    double mBoundingBoxHeight = 0;
    bool mFitProportional = false;
    // eImageFitAlways scales to the box; any other value scales only what overflows it.
    int mFitPolicy = eImageFitAlways;
};
