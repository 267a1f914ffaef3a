#pragma once
// Helpers of the Type 1 tests: the URW test fonts made at build time, PFB files assembled from
// plain text (eexec and charstring encryption done here, independently of the library), and the
// outlines of a glyph drawn by running our interpreter, to compare with FreeType's.

#include "pdf/fonts/Type1CharStringInterpreter.h"
#include "pdf/fonts/Type1Input.h"
#include "pdf/fonts/StandardEncoding.h"
#include "pdf/io/InputByteArrayStream.h"
#include "tests/pdf/support/ExternalReaders.h"
#include "tests/pdf/support/TestDirectory.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace type1test {

// A byte reader over its own copy of some bytes.
class ByteSource : public InputByteArrayStream {
public:
    explicit ByteSource(std::string inData) : mData(std::move(inData))
    {
        Assign(reinterpret_cast<const Byte*>(mData.data()), static_cast<LongFilePositionType>(mData.size()));
    }

private:
    std::string mData;
};

inline std::string FontPath(const std::string& inName) { return std::string(VELLORAN_TYPE1_FONTS) + "/" + inName; }

// The URW faces of fonts-urw-base35 (as .pfb/.pfm in the test font folder).
inline const std::vector<std::string>& URWFaces()
{
    static const std::vector<std::string> faces = {
        "C059-BdIta", "C059-Bold", "C059-Italic", "C059-Roman", "D050000L",
        "NimbusMonoPS-Bold", "NimbusMonoPS-BoldItalic", "NimbusMonoPS-Italic", "NimbusMonoPS-Regular",
        "NimbusRoman-Bold", "NimbusRoman-BoldItalic", "NimbusRoman-Italic", "NimbusRoman-Regular",
        "NimbusSans-Bold", "NimbusSans-BoldItalic", "NimbusSans-Italic", "NimbusSans-Regular",
        "NimbusSansNarrow-Bold", "NimbusSansNarrow-BoldOblique", "NimbusSansNarrow-Oblique",
        "NimbusSansNarrow-Regular", "P052-Bold", "P052-BoldItalic", "P052-Italic", "P052-Roman",
        "StandardSymbolsPS", "URWBookman-Demi", "URWBookman-DemiItalic", "URWBookman-Light",
        "URWBookman-LightItalic", "URWGothic-Book", "URWGothic-BookOblique", "URWGothic-Demi",
        "URWGothic-DemiOblique", "Z003-MediumItalic"};
    return faces;
}

inline std::string Segment(int inType, const std::string& inData)
{
    std::string segment;
    segment.push_back(static_cast<char>(0x80));
    segment.push_back(static_cast<char>(inType));
    uint32_t length = static_cast<uint32_t>(inData.size());
    for (int i = 0; i < 4; ++i)
        segment.push_back(static_cast<char>((length >> (8 * i)) & 0xFF));
    return segment + inData;
}

inline std::string Encrypt(const std::string& inPlain, uint16_t inKey, size_t inLeading)
{
    std::string plain = std::string(inLeading, 'x') + inPlain;
    std::string cipher;
    uint16_t r = inKey;
    for (char value : plain) {
        unsigned char c = static_cast<unsigned char>(value) ^ (r >> 8);
        cipher.push_back(static_cast<char>(c));
        r = static_cast<uint16_t>((c + r) * 52845u + 22719u);
    }
    return cipher;
}

inline std::string EexecEncrypt(const std::string& inPlain) { return Encrypt(inPlain, 55665, 4); }
inline std::string CharStringEncrypt(const std::string& inPlain, size_t inLenIV = 4)
{
    return Encrypt(inPlain, 4330, inLenIV);
}

inline std::string Trailer()
{
    std::string trailer;
    for (int line = 0; line < 8; ++line)
        trailer += std::string(64, '0') + "\n";
    return trailer + "cleartomark\n";
}

// A PFB of one text segment, the encrypted part in one binary segment, the trailer and the end.
inline std::string MakePFB(const std::string& inClearText, const std::string& inPrivateText)
{
    return Segment(1, inClearText) + Segment(2, EexecEncrypt(inPrivateText)) + Segment(1, Trailer()) +
           std::string("\x80\x03", 2);
}

// Type 1 charstring bytes of integers and operators, written as text: numbers, and operator
// names of the table below ("12:12" for an escaped code).
inline std::string CharStringBytes(const std::vector<long>& inNumbers)
{
    std::string bytes;
    for (long value : inNumbers) {
        if (value >= -107 && value <= 107) {
            bytes.push_back(static_cast<char>(value + 139));
        } else if (value >= 108 && value <= 1131) {
            bytes.push_back(static_cast<char>((value - 108) / 256 + 247));
            bytes.push_back(static_cast<char>((value - 108) % 256));
        } else if (value <= -108 && value >= -1131) {
            bytes.push_back(static_cast<char>((-value - 108) / 256 + 251));
            bytes.push_back(static_cast<char>((-value - 108) % 256));
        } else {
            uint32_t bits = static_cast<uint32_t>(static_cast<int32_t>(value));
            bytes.push_back(static_cast<char>(255));
            for (int shift = 24; shift >= 0; shift -= 8)
                bytes.push_back(static_cast<char>((bits >> shift) & 0xFF));
        }
    }
    return bytes;
}

inline std::string Op(int inCode) { return std::string(1, static_cast<char>(inCode)); }
inline std::string Op12(int inCode) { return std::string("\x0c", 1) + static_cast<char>(inCode); }

// A synthetic font: FontInfo, an own encoding, Private values, subroutines and glyph programs
// (given plain, encrypted here with lenIV bytes unless it is -1).
struct FontParts {
    std::string encoding = "/Encoding 256 array\n0 1 255 {1 index exch /.notdef put} for\n"
                           "dup 65 /A put\ndup 66 /A put\ndup 67 /B put\nreadonly def\n";
    std::string lenIV;
    std::string subrsHeader = "/Subrs 2 array\n";
    std::vector<std::pair<std::string, std::string>> subrs;  // index text, plain program
    std::vector<std::pair<std::string, std::string>> glyphs; // name, plain program
    int charStringLenIV = 4;
};

inline std::string Program(const std::string& inPlain, int inLenIV)
{
    return inLenIV < 0 ? inPlain : CharStringEncrypt(inPlain, static_cast<size_t>(inLenIV));
}

inline FontParts DefaultParts()
{
    FontParts parts;
    parts.subrs = {{"0", CharStringBytes({3, 0}) + Op(1) + Op(11)}, {"1", Op(11)}};
    parts.glyphs = {{".notdef", CharStringBytes({0, 500}) + Op(13) + Op(14)},
                    {"A", CharStringBytes({50, 600, 10, 20}) + Op(21) + CharStringBytes({100, 0}) + Op(5) +
                              CharStringBytes({0, 100}) + Op(5) + Op(9) + Op(14)},
                    {"B", CharStringBytes({0, 1}) + Op(10) + CharStringBytes({0, 700, 0, 65, 67}) + Op12(6)}};
    return parts;
}

inline std::string FontText(const FontParts& inParts, std::string& outPrivate)
{
    std::string clear = "%!PS-AdobeFont-1.0: TestFont 001.000\n12 dict begin\n"
                        "/FontInfo 9 dict dup begin\n/version (1\\101b) readonly def\n"
                        "/Notice (a\\)b) readonly def\n/ItalicAngle -12.5 def\n/isFixedPitch true def\n"
                        "/FSType 8 def\nend readonly def\n/FontName /TestFont def\n/PaintType 0 def\n"
                        "/FontType 1 def\n/FontMatrix [0.001 0 0 0.001 0 0] readonly def\n"
                        "/FontBBox {-10 -20 900 800} readonly def\n" +
                        inParts.encoding + "currentdict end\ncurrentfile eexec\n";
    std::string priv = "dup /Private 8 dict dup begin\n/RD{string currentfile exch readstring pop}executeonly def\n"
                       "/ND{noaccess def}executeonly def\n/NP{noaccess put}executeonly def\n" +
                       inParts.lenIV +
                       "/BlueValues [-15 0 700 715] def\n/StdHW [50] def\n"
                       "/OtherSubrs [{} {} {} {systemdict /internaldict known not {pop 3} {dup begin end} ifelse}] ND\n" +
                       inParts.subrsHeader;
    for (const auto& subr : inParts.subrs) {
        std::string program = Program(subr.second, inParts.charStringLenIV);
        priv += "dup " + subr.first + " " + std::to_string(program.size()) + " RD " + program + " NP\n";
    }
    priv += "ND\n2 index /CharStrings " + std::to_string(inParts.glyphs.size()) + " dict dup begin\n";
    for (const auto& glyph : inParts.glyphs) {
        std::string program = Program(glyph.second, inParts.charStringLenIV);
        priv += "/" + glyph.first + " " + std::to_string(program.size()) + " RD " + program + " ND\n";
    }
    priv += "end\nend\nreadonly put\nnoaccess put\ndup/FontName get exch definefont pop\nmark currentfile closefile\n";
    outPrivate = priv;
    return clear;
}

inline std::string MakeFont(const FontParts& inParts)
{
    std::string priv;
    std::string clear = FontText(inParts, priv);
    return MakePFB(clear, priv);
}

inline OpStatus Parse(Type1Input& ioInput, const std::string& inBytes)
{
    ByteSource stream(inBytes);
    return ioInput.ParseFontFile(&stream);
}

struct OutlinePoint {
    long x;
    long y;
    bool on;
};
typedef std::vector<std::vector<OutlinePoint>> Outline;

// A closing point equal to the opening one is dropped, as FreeType's builder does.
inline void NormalizeOutline(Outline& ioOutline)
{
    for (auto& contour : ioOutline) {
        if (contour.size() > 1 && contour.back().on && contour.front().on && contour.back().x == contour.front().x &&
            contour.back().y == contour.front().y)
            contour.pop_back();
    }
    std::vector<std::vector<OutlinePoint>> kept;
    for (auto& contour : ioOutline) {
        if (contour.size() > 1)
            kept.push_back(contour);
    }
    ioOutline.swap(kept);
}

inline Outline FreeTypeOutline(FT_Face inFace, FT_UInt inGlyph)
{
    Outline outline;
    if (FT_Load_Glyph(inFace, inGlyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0)
        return outline;
    const FT_Outline& source = inFace->glyph->outline;
    int start = 0;
    for (int c = 0; c < source.n_contours; ++c) {
        std::vector<OutlinePoint> contour;
        for (int p = start; p <= source.contours[c]; ++p)
            contour.push_back({source.points[p].x, source.points[p].y, (source.tags[p] & 1) != 0});
        start = source.contours[c] + 1;
        outline.push_back(contour);
    }
    NormalizeOutline(outline);
    return outline;
}

// Draws a glyph of a parsed font with our interpreter: flex and seac as FreeType does them.
class OutlineBuilder : public Type1InterpreterImplementationAdapter {
public:
    explicit OutlineBuilder(Type1Input& inFont) : mFont(inFont) {}

    bool Build(const std::string& inGlyphName, Outline& outOutline)
    {
        mOutline.clear();
        if (!Draw(inGlyphName, 0, 0))
            return false;
        NormalizeOutline(mOutline);
        outOutline = mOutline;
        return true;
    }

    const Type1CharString* GetLocalSubr(long inIndex) override { return mFont.GetLocalSubr(inIndex); }
    int LenIVBytes() override { return mFont.LenIVBytes(); }

    int OnHsbw(Type1OperandStack& s) override { return SetOrigin(s[s.size() - 2], 0); }
    int OnSbw(Type1OperandStack& s) override { return SetOrigin(s[s.size() - 4], s[s.size() - 3]); }
    int OnRmoveto(Type1OperandStack& s) override { return MoveTo(s[s.size() - 2], s[s.size() - 1]); }
    int OnHmoveto(Type1OperandStack& s) override { return MoveTo(s.back(), 0); }
    int OnVmoveto(Type1OperandStack& s) override { return MoveTo(0, s.back()); }
    int OnRlineto(Type1OperandStack& s) override { return LineTo(s[s.size() - 2], s[s.size() - 1]); }
    int OnHlineto(Type1OperandStack& s) override { return LineTo(s.back(), 0); }
    int OnVlineto(Type1OperandStack& s) override { return LineTo(0, s.back()); }
    int OnRrcurveto(Type1OperandStack& s) override
    {
        size_t n = s.size();
        return CurveTo(s[n - 6], s[n - 5], s[n - 4], s[n - 3], s[n - 2], s[n - 1]);
    }
    int OnVhcurveto(Type1OperandStack& s) override
    {
        size_t n = s.size();
        return CurveTo(0, s[n - 4], s[n - 3], s[n - 2], s[n - 1], 0);
    }
    int OnHvcurveto(Type1OperandStack& s) override
    {
        size_t n = s.size();
        return CurveTo(s[n - 4], 0, s[n - 3], s[n - 2], 0, s[n - 1]);
    }
    int OnClosepath(Type1OperandStack&) override
    {
        mOpen = false;
        return 0;
    }
    bool AcceptsOtherSubr(long inIndex) override
    {
        if (inIndex == 1) {
            mFlex = true;
            mFlexPoints.clear();
            mFlexStart = {mX, mY, true};
        }
        return inIndex == 0 && mFlex;
    }
    int OnCallOtherSubr(Type1OperandStack&, Type1OperandStack& ioPostScriptStack) override
    {
        mFlex = false;
        if (mFlexPoints.size() != 7)
            return -1;
        mX = mFlexStart.x;
        mY = mFlexStart.y;
        for (int curve = 0; curve < 2; ++curve) {
            AddStartIfNeeded();
            for (int i = 1; i <= 3; ++i) {
                const OutlinePoint& point = mFlexPoints[static_cast<size_t>(curve * 3 + i)];
                mOutline.back().push_back({point.x, point.y, i == 3});
            }
        }
        mX = mFlexPoints[6].x;
        mY = mFlexPoints[6].y;
        ioPostScriptStack.push_back(static_cast<int32_t>(mY));
        ioPostScriptStack.push_back(static_cast<int32_t>(mX));
        return 0;
    }
    int OnSeac(Type1OperandStack& s) override
    {
        size_t n = s.size();
        long asb = s[n - 5], adx = s[n - 4], ady = s[n - 3];
        int base = s[n - 2], accent = s[n - 1];
        if (mDepth > 0 || base < 0 || base > 255 || accent < 0 || accent > 255)
            return -1;
        long offsetX = mOffsetX, offsetY = mOffsetY;
        bool ok = Draw(StandardEncoding::GlyphName(static_cast<Byte>(base)), offsetX, offsetY) &&
                  Draw(StandardEncoding::GlyphName(static_cast<Byte>(accent)), offsetX + adx - asb, offsetY + ady);
        return ok ? 0 : -1;
    }

private:
    bool Draw(const std::string& inGlyphName, long inOffsetX, long inOffsetY)
    {
        const Type1CharString* program = mFont.GetGlyphCharString(inGlyphName);
        if (!program)
            return false;
        long savedX = mOffsetX, savedY = mOffsetY;
        mOffsetX = inOffsetX;
        mOffsetY = inOffsetY;
        mX = inOffsetX;
        mY = inOffsetY;
        mOpen = false;
        ++mDepth;
        Type1CharStringInterpreter interpreter;
        bool ok = interpreter.InterpretCharString(*program, this) == eSuccess;
        --mDepth;
        mOffsetX = savedX;
        mOffsetY = savedY;
        return ok;
    }
    int SetOrigin(long inX, long inY)
    {
        mX = mOffsetX + inX;
        mY = mOffsetY + inY;
        return 0;
    }
    int MoveTo(long inDx, long inDy)
    {
        mX += inDx;
        mY += inDy;
        if (mFlex)
            mFlexPoints.push_back({mX, mY, true});
        else
            mOpen = false;
        return 0;
    }
    void AddStartIfNeeded()
    {
        if (!mOpen) {
            mOutline.push_back({{mX, mY, true}});
            mOpen = true;
        }
    }
    int LineTo(long inDx, long inDy)
    {
        AddStartIfNeeded();
        mX += inDx;
        mY += inDy;
        mOutline.back().push_back({mX, mY, true});
        return 0;
    }
    int CurveTo(long dx1, long dy1, long dx2, long dy2, long dx3, long dy3)
    {
        AddStartIfNeeded();
        long x1 = mX + dx1, y1 = mY + dy1;
        long x2 = x1 + dx2, y2 = y1 + dy2;
        mX = x2 + dx3;
        mY = y2 + dy3;
        mOutline.back().push_back({x1, y1, false});
        mOutline.back().push_back({x2, y2, false});
        mOutline.back().push_back({mX, mY, true});
        return 0;
    }

    Type1Input& mFont;
    Outline mOutline;
    long mX = 0, mY = 0, mOffsetX = 0, mOffsetY = 0;
    bool mOpen = false;
    bool mFlex = false;
    std::vector<OutlinePoint> mFlexPoints;
    OutlinePoint mFlexStart{0, 0, true};
    int mDepth = -1;
};

// Equal within inTolerance font units per coordinate (FreeType keeps fractions of div).
inline bool SameOutline(const Outline& inA, const Outline& inB, long inTolerance, std::string& outWhy)
{
    if (inA.size() != inB.size()) {
        outWhy = "contours " + std::to_string(inA.size()) + " vs " + std::to_string(inB.size());
        return false;
    }
    for (size_t c = 0; c < inA.size(); ++c) {
        if (inA[c].size() != inB[c].size()) {
            outWhy = "contour " + std::to_string(c) + " points " + std::to_string(inA[c].size()) + " vs " +
                     std::to_string(inB[c].size());
            return false;
        }
        for (size_t p = 0; p < inA[c].size(); ++p) {
            const OutlinePoint& a = inA[c][p];
            const OutlinePoint& b = inB[c][p];
            if (a.on != b.on || std::labs(a.x - b.x) > inTolerance || std::labs(a.y - b.y) > inTolerance) {
                outWhy = "contour " + std::to_string(c) + " point " + std::to_string(p) + ": " + std::to_string(a.x) +
                         "," + std::to_string(a.y) + " vs " + std::to_string(b.x) + "," + std::to_string(b.y);
                return false;
            }
        }
    }
    return true;
}

// fontTools, an independent reader of both formats, on a CFF program made from a PFB: every glyph
// of the CFF, accented ones decomposed, must draw the PFB's glyph of the same name with every
// point within half a unit, and have its width. The script's exit status (0: all agree) and its
// report in outReport.
inline int CompareWithFontTools(const std::string& inPFBPath, const std::string& inCFF,
                                const testsupport::TestDirectory& inFolder, std::string& outReport)
{
    std::string cffPath = inFolder.Write("compared.cff", inCFF);
    std::filesystem::path script = std::filesystem::path(__FILE__).parent_path() / "compare-type1-outlines.py";
    // Debian's Python, which python3-fonttools serves (not whichever python3 comes first).
    return testsupport::RunMerged("/usr/bin/python3 " + testsupport::Quote(script) + " " +
                                      testsupport::Quote(inPFBPath) + " " + testsupport::Quote(cffPath),
                                  outReport);
}

} // namespace type1test
