#pragma once
// A rectangle in PDF user space: lower-left x and y, upper-right x and y.

class PDFRectangle {
public:
    PDFRectangle() = default;
    PDFRectangle(double inLowerLeftX, double inLowerLeftY, double inUpperRightX, double inUpperRightY)
        : LowerLeftX(inLowerLeftX), LowerLeftY(inLowerLeftY), UpperRightX(inUpperRightX), UpperRightY(inUpperRightY)
    {
    }

    bool operator==(const PDFRectangle& inOther) const
    {
        return LowerLeftX == inOther.LowerLeftX && LowerLeftY == inOther.LowerLeftY &&
               UpperRightX == inOther.UpperRightX && UpperRightY == inOther.UpperRightY;
    }
    bool operator!=(const PDFRectangle& inOther) const { return !(*this == inOther); }

    double LowerLeftX = 0;
    double LowerLeftY = 0;
    double UpperRightX = 0;
    double UpperRightY = 0;
};
