#include "app/create/jagpdf/StandardFontMetrics.h"

namespace {

const char* const scFaceNames[StandardFontMetrics::eFaceCount] = {
    "Courier",     "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique",
    "Times-Roman", "Times-Bold",   "Times-Italic",    "Times-BoldItalic"};

const unsigned short scWidths[StandardFontMetrics::eFaceCount][256] =
#include "app/create/jagpdf/StandardFontWidths.inc"
    ;

} // namespace

bool StandardFontMetrics::FaceForName(std::string_view inName, Face& outFace)
{
    for (int face = 0; face < eFaceCount; ++face) {
        if (inName == scFaceNames[face]) {
            outFace = static_cast<Face>(face);
            return true;
        }
    }
    return false;
}

const char* StandardFontMetrics::FaceName(Face inFace)
{
    return scFaceNames[inFace];
}

int StandardFontMetrics::Width(Face inFace, unsigned char inCode)
{
    return scWidths[inFace][inCode];
}

double StandardFontMetrics::Advance(Face inFace, std::string_view inWinAnsiText, double inSize)
{
    long long units = 0;
    for (char code : inWinAnsiText)
        units += scWidths[inFace][static_cast<unsigned char>(code)];
    return static_cast<double>(units) * inSize / 1000.0;
}
